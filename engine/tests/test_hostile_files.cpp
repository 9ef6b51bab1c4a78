// Hostile dictionary and lattice files (tests/data, listed in
// hostile_files.txt): each is refused, and the complaint names the file
// and the line at fault.
#include "hapi.h"
#include "tempdir.h"

#include <gtest/gtest.h>

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

}  // namespace
