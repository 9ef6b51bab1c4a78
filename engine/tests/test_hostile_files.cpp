// Hostile dictionary and lattice files (tests/data, listed in
// hostile_files.txt): each is refused, and the complaint names the file
// and the line at fault.  And what a save meets where it writes.
#include "dict_file.h"
#include "hapi.h"
#include "notes.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#endif

#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct BadFile {
    std::string name;
    int line;  // the line named in the message; 0: any
};

// The files and their lines, listed beside them in hostile_files.txt.
std::vector<BadFile> bad_files() {
    std::vector<BadFile> out;
    std::ifstream in(test_data("hostile_files.txt"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        BadFile f;
        if (line[0] != '#' && fields >> f.name >> f.line) out.push_back(f);
    }
    return out;
}

// Loads a dictionary file, or a lattice file over a small dictionary;
// true when the engine accepted it.
bool loads(const std::string &path) {
    hapiDictObject d = hapiCreateDictObject();
    bool ok;
    if (path.size() > 5 && path.compare(path.size() - 5, 5, ".dict") == 0) {
        ok = hapiDictOverrideFileName(d, path.c_str()) == 0 && hapiDictInitialise(d) == 0;
    } else {
        hapiDictModify(d);
        hapiDictAddItem(d, "yes", "Y EH S", nullptr);
        hapiDictAddItem(d, "no", "N OW", nullptr);
        hapiLatObject l = hapiLoadLatObject(d, path.c_str(), nullptr);
        ok = l != nullptr;
        if (l) hapiDeleteLatObject(l);
    }
    hapiDeleteDictObject(d);
    return ok;
}

class HostileFileTest : public ::testing::TestWithParam<BadFile> {};

TEST_P(HostileFileTest, FailsNamingFileAndLine) {
    std::string path = test_data(GetParam().name);
    ASSERT_TRUE(std::ifstream(path).good()) << path;
    ::testing::internal::CaptureStderr();
    bool ok = loads(path);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(ok);
    std::string where = path + ":" + (GetParam().line ? std::to_string(GetParam().line) + ":" : std::string());
    EXPECT_NE(err.find(where), std::string::npos) << err;
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFileTest, ::testing::ValuesIn(bad_files()),
                         [](const ::testing::TestParamInfo<BadFile> &info) {
                             std::string n = info.param.name;
                             return n.substr(0, n.find('.'));
                         });

// What a save meets at the name of its temporary file, NAME.hapi-tmp: the
// file a killed save left is taken over; anything else is refused and left
// as it is, and so is the file being saved.
struct InTheWay {
    const char *name;
    void (*make)(const TempDir &dir, const std::string &temp);
    int error;  // errno of the refused save; 0: saved
};

class SaveMeets : public ::testing::TestWithParam<InTheWay> {};

TEST_P(SaveMeets, WhatIsAtTheTemporarysName) {
    TempDir dir;
    std::string path = dir.write("words.dict", "old W\n"), temp = path + ".hapi-tmp";
    std::string elsewhere = dir.write("elsewhere", "kept\n");
    GetParam().make(dir, temp);
    hapiDictObject d = load(path);
    ASSERT_NE(d, nullptr);
    hapiDictModify(d);
    hapiDictAddItem(d, "new", "W", nullptr);
    Notes notes;
    errno = 0;
    int status = hapiDictSave(d, path.c_str());
    int error = errno;
    hapiDeleteDictObject(d);
    EXPECT_EQ(read_file(elsewhere), "kept\n");
    if (!GetParam().error) {
        EXPECT_EQ(status, 0) << notes.text();
        EXPECT_EQ(read_file(path), "!!PHONESET W\nold W\nnew W\n");
        EXPECT_FALSE(std::filesystem::exists(temp));
        return;
    }
    EXPECT_LT(status, 0);
    EXPECT_EQ(error, GetParam().error) << strerror(error);
    EXPECT_EQ(read_file(path), "old W\n");
    EXPECT_NE(notes.text().find("cannot save dictionary " + path + ": cannot create a file beside it"),
              std::string::npos)
        << notes.text();
}

void partial_temporary(const TempDir &, const std::string &temp) { std::ofstream(temp) << "partial W\nne"; }
void folder_there(const TempDir &, const std::string &temp) { make_dir(temp); }
#ifndef _WIN32
void link_there(const TempDir &dir, const std::string &temp) {
    (void)symlink(dir.file("elsewhere").c_str(), temp.c_str());
}
void pipe_there(const TempDir &, const std::string &temp) { mkfifo(temp.c_str(), 0600); }
#endif

INSTANTIATE_TEST_SUITE_P(Table, SaveMeets,
                         ::testing::Values(InTheWay{"WhatAKilledSaveLeft", partial_temporary, 0},
                                           InTheWay{"AFolder", folder_there, EISDIR}
#ifndef _WIN32
                                           ,
                                           InTheWay{"ALink", link_there, ELOOP}, InTheWay{"APipe", pipe_there, ENXIO}
#endif
                                           ),
                         [](const ::testing::TestParamInfo<InTheWay> &i) { return std::string(i.param.name); });

#ifndef _WIN32
// A save that finds another one writing the temporary waits for it to end,
// never takes its file, and then saves.
TEST(SaveMeetsALiveSave, WaitsForIt) {
    TempDir dir;
    std::string path = dir.write("words.dict", "old W\n"), temp = path + ".hapi-tmp";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t other = fork();
    ASSERT_GE(other, 0);
    if (other == 0) {  // the other save, as the engine makes one
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT, 0600);
        bool ok = fd >= 0 && flock(fd, LOCK_EX) == 0 && write(fd, "other W\n", 8) == 8 && write(ready[1], "!", 1) == 1;
        usleep(300 * 1000);
        _exit(ok && rename(temp.c_str(), path.c_str()) == 0 ? 0 : 1);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    hapiDictObject d = load(path);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(hapiDictSave(d, path.c_str()), 0);
    hapiDeleteDictObject(d);
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);  // its file was there to be renamed
    EXPECT_EQ(read_file(path), "!!PHONESET W\nold W\n");         // saved after it
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"words.dict"});
}
#endif

}  // namespace
