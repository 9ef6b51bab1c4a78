// Saving the vocabulary dictionary: a call whose words cannot be saved
// fails with one message and is taken once they can; the words that
// another run saved to the file meanwhile are kept.
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "dict/dict.h"
#include "recognition.h"
#include "syntax_support.h"

using namespace khtest;

namespace {

namespace fs = std::filesystem;

const char kDict[] = "v/english.dic";
const std::string kLatticeFile = std::string(KHAPI_SOURCE_DIR) + "/tests/data/syntax_single_word.lat";

// The words of the system dictionary's phone-set line.
std::string PhoneSetLine() {
    std::string all = ReadFile(SystemDictPath());
    return all.substr(0, all.find('\n') + 1);
}

bool FileHolds(const std::string &word) {
    hapiDictObject d = kh::LoadDictFile(kDict);
    bool holds = d && hapiDictWordId(d, word.c_str()) > 0;
    if (d) hapiDeleteDictObject(d);
    return holds;
}

enum Call { kOption, kPrepare, kLattice };

// What stands in the way of the save, set up once the library has started
// and taken away again before the call is retried.
struct SaveCase {
    const char *name;
    Call call;
    void (*block)();
    void (*unblock)();
    int error;           // the reason is this error's text, or
    const char *reason;  // this; neither: the save succeeds at once
};

void Nothing() {}
void InjectFault() { hapiFaultInject("hapiDictSave", 1); }
void LockFolder() { fs::permissions("v", fs::perms::owner_write, fs::perm_options::remove); }
void UnlockFolder() { fs::permissions("v", fs::perms::owner_write, fs::perm_options::add); }
void FolderAtTheTemporary() { fs::create_directory(std::string(kDict) + ".hapi-tmp"); }
void NoFolderAtTheTemporary() { fs::remove(std::string(kDict) + ".hapi-tmp"); }
void OtherPhoneSet() { WriteFile(kDict, "!!PHONESET X Y\nODD X Y\n"); }
void RemoveFile() { fs::remove(kDict); }
void AnotherRunSaved() { WriteFile(kDict, PhoneSetLine() + "OTHER AH DH ER\n"); }

class VocabularySave : public ::testing::TestWithParam<SaveCase> {
protected:
    void SetUp() override {
        fs::create_directory("v");
        ASSERT_EQ(InitWith(StandardConfig("DEBUG = ERROR\nENGLISHDICT = v/english.dic\n")), 1) << Log();
        syntax_ = khSyntaxCreate("s", nullptr);
        if (GetParam().call == kPrepare) {
            ASSERT_EQ(khSyntaxAddOption(syntax_, "forward"), 1);
        }
        rec_ = khRecCreate();
    }

    // Makes the call; true when it is answered as done.
    bool Run() {
        switch (GetParam().call) {
            case kOption: return khSyntaxAddOption(syntax_, "forward") == 1;
            case kPrepare: return khRecPrepare(rec_, syntax_, GoForward().c_str(), nullptr) == 1;
            case kLattice: return khSyntaxCreate("one", kLatticeFile.c_str()) != nullptr;
        }
        return false;
    }

    // The log of the failed call: its one message, and the lines that a
    // lookup's caller and a failed load write after it.
    static std::string FailureLog(Call call, const std::string &reason) {
        const std::string unable = "Unable to save vocabulary dictionary v/english.dic: " + reason + "\r\n\r\n";
        switch (call) {
            case kOption: return "ERROR - khSyntaxAddOption: " + unable;
            case kPrepare:
                return "ERROR - GetWordId: " + unable + "ERROR - khRecPrepare: Cannot find silence!\r\n\r\n";
            case kLattice:
                return "ERROR - khSyntaxCreate: " + unable + "ERROR - khSyntaxCreate: Error loading saved lattice\r\n\r\n"
                       "ERROR - khSyntaxReturn: No such syntax name ONE\r\n\r\n";  // the load's clean-up
        }
        return "";
    }

    static const char *Word(Call call) { return call == kOption ? "FORWARD" : call == kPrepare ? "<s>" : "YES"; }

    Workspace ws_;
    KhSyntax syntax_ = nullptr;
    KhRecogniser rec_ = nullptr;
};

TEST_P(VocabularySave, FailsTheCallUntilTheWordsAreSaved) {
    const SaveCase &c = GetParam();
    if (c.block == LockFolder && !folders_can_be_locked()) GTEST_SKIP() << "a locked folder does not stop root";
    c.block();
    if (c.error || c.reason) {
        std::string before = Picture(syntax_);
        EXPECT_FALSE(Run());
        EXPECT_EQ(Log(), FailureLog(c.call, c.error ? strerror(c.error) : c.reason));
        EXPECT_EQ(Picture(syntax_), before);  // the option is not added
        EXPECT_EQ(Registered(), 1);           // nor the saved lattice's syntax
        c.unblock();
    }
    // Taken once the words it fetched are saved, though nothing is fetched again.
    EXPECT_TRUE(Run()) << Log();
    EXPECT_TRUE(FileHolds(Word(c.call)));
    EXPECT_EQ(FileHolds("OTHER"), c.block == AnotherRunSaved);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VocabularySave,
    ::testing::Values(SaveCase{"OptionFault", kOption, InjectFault, Nothing, EIO, nullptr},
                      SaveCase{"PrepareFault", kPrepare, InjectFault, Nothing, EIO, nullptr},
                      SaveCase{"LatticeFault", kLattice, InjectFault, Nothing, EIO, nullptr},
                      SaveCase{"ReadOnlyFolder", kOption, LockFolder, UnlockFolder, EACCES, nullptr},
                      SaveCase{"FolderAtTheTemporary", kOption, FolderAtTheTemporary, NoFolderAtTheTemporary, EISDIR,
                               nullptr},
                      SaveCase{"FileOfAnotherPhoneSet", kOption, OtherPhoneSet, RemoveFile, 0,
                               "the file there holds words of another phone set"},
                      SaveCase{"AnotherRunsWordsKept", kLattice, AnotherRunSaved, Nothing, 0, nullptr}),
    [](const ::testing::TestParamInfo<SaveCase> &i) { return std::string(i.param.name); });

}  // namespace

#ifndef _WIN32
// Two runs at once fetch different words into the one vocabulary
// dictionary, each saving after every word: the file ends with all of them.
// (Windows leaves the file unlocked.)
TEST(SharedVocabulary, TwoRunsAtOnceKeepEachOthersWords) {
    Workspace ws;
    const std::vector<std::string> words[2] = {
        {"ONE", "TWO", "THREE", "FOUR", "FIVE", "SIX", "SEVEN", "EIGHT"},
        {"RED", "GREEN", "BLUE", "BLACK", "WHITE", "BROWN", "PINK", "GREY"}};
    for (int run = 0; run < 2; run++)
        WriteFile("run" + std::to_string(run) + ".conf",
                  StandardConfig("DEBUG = ERROR\nERRORLOG = run" + std::to_string(run) + ".log\n"));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    int run = child == 0 ? 1 : 0;
    int failures = khSysInit(("run" + std::to_string(run) + ".conf").c_str()) == 1 ? 0 : 1;
    KhSyntax s = khSyntaxCreate("s", nullptr);
    for (const std::string &w : words[run]) failures += khSyntaxAddOption(s, w.c_str()) == 1 ? 0 : 1;
    if (child == 0) _exit(failures);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadFile("run1.log");
    EXPECT_EQ(failures, 0) << Log("run0.log");
    hapiDictObject d = kh::LoadDictFile("english.dic");
    ASSERT_NE(d, nullptr);
    for (const auto &list : words)
        for (const std::string &w : list) EXPECT_GT(hapiDictWordId(d, w.c_str()), 0) << w;
    hapiDeleteDictObject(d);
}
#endif
