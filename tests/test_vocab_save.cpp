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
const std::string kLatticeFile = Data("syntax_single_word.lat");

bool FileHolds(const std::string &word) {
    hapiDictObject d = kh::LoadDictFile(kDict);
    bool holds = d && hapiDictWordId(d, word.c_str()) > 0;
    if (d) hapiDeleteDictObject(d);
    return holds;
}

// A call that fetches a word and saves it: how it is made (true when it is
// answered as done), the word, and what its log holds when the save fails
// around the one message: the caller named in it, and the lines that a
// lookup's caller and a failed load write after it.
struct Call {
    bool (*run)(KhSyntax syntax, KhRecogniser rec);
    const char *word;
    const char *caller;
    const char *after;
};
const Call kOption = {[](KhSyntax s, KhRecogniser) { return khSyntaxAddOption(s, "forward") == 1; }, "FORWARD",
                      "khSyntaxAddOption", ""};
const Call kPrepare = {[](KhSyntax s, KhRecogniser r) { return khRecPrepare(r, s, GoForward().c_str(), nullptr) == 1; },
                       "<s>", "GetWordId", "ERROR - khRecPrepare: Cannot find silence!\r\n\r\n"};
const Call kLattice = {[](KhSyntax, KhRecogniser) { return khSyntaxCreate("one", kLatticeFile.c_str()) != nullptr; },
                       "YES", "khSyntaxCreate",
                       "ERROR - khSyntaxCreate: Error loading saved lattice\r\n\r\n"
                       "ERROR - khSyntaxReturn: No such syntax name ONE\r\n\r\n"};  // the load's clean-up

// What stands in the way of the save, set up once the library has started
// and taken away again before the call is retried.
struct SaveCase {
    const char *name;
    const Call *call;
    void (*block)();
    void (*unblock)();
    int error;           // the reason is this error's text, or
    const char *reason;  // this; neither: the save succeeds at once
};

void Nothing() {}
void InjectFault() { hapiFaultInject("hapiDictSave", 1); }
void LockFolder() { fs::permissions("v", fs::perms::owner_write, fs::perm_options::remove); }
void UnlockFolder() { fs::permissions("v", fs::perms::owner_write, fs::perm_options::add); }
void OtherPhoneSet() { WriteFile(kDict, "!!PHONESET X Y\nODD X Y\n"); }
void RemoveFile() { fs::remove(kDict); }
void AnotherRunSaved() { WriteFile(kDict, PhoneSetLine() + "OTHER AH DH ER\n"); }

class VocabularySave : public ::testing::TestWithParam<SaveCase> {
protected:
    void SetUp() override {
        fs::create_directory("v");
        ASSERT_EQ(InitWith(StandardConfig("DEBUG = ERROR\nENGLISHDICT = v/english.dic\n")), 1) << Log();
        syntax_ = khSyntaxCreate("s", nullptr);
        if (GetParam().call == &kPrepare) {
            ASSERT_EQ(khSyntaxAddOption(syntax_, "forward"), 1);
        }
        rec_ = khRecCreate();
    }

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
        EXPECT_FALSE(c.call->run(syntax_, rec_));
        EXPECT_EQ(Log(),
                  std::string("ERROR - ") + c.call->caller + ": Unable to save vocabulary dictionary " + kDict + ": " +
                      (c.error ? strerror(c.error) : c.reason) + "\r\n\r\n" + c.call->after);
        EXPECT_EQ(Picture(syntax_), before);  // the option is not added
        EXPECT_EQ(Registered(), 1);           // nor the saved lattice's syntax
        c.unblock();
    }
    // Taken once the words it fetched are saved, though nothing is fetched again.
    EXPECT_TRUE(c.call->run(syntax_, rec_)) << Log();
    EXPECT_TRUE(FileHolds(c.call->word));
    EXPECT_EQ(FileHolds("OTHER"), c.block == AnotherRunSaved);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VocabularySave,
    ::testing::Values(SaveCase{"OptionFault", &kOption, InjectFault, Nothing, EIO, nullptr},
                      SaveCase{"PrepareFault", &kPrepare, InjectFault, Nothing, EIO, nullptr},
                      SaveCase{"LatticeFault", &kLattice, InjectFault, Nothing, EIO, nullptr},
                      SaveCase{"ReadOnlyFolder", &kOption, LockFolder, UnlockFolder, EACCES, nullptr},
                      SaveCase{"FileOfAnotherPhoneSet", &kOption, OtherPhoneSet, RemoveFile, 0,
                               "the file there holds words of another phone set"},
                      SaveCase{"AnotherRunsWordsKept", &kLattice, AnotherRunSaved, Nothing, 0, nullptr}),
    RowName());

}  // namespace

#ifndef _WIN32
// Two runs at once fetch different words into the one vocabulary
// dictionary, each saving after every word: the file ends with all of them.
// (Windows leaves the file unlocked.)
TEST(SharedVocabulary, TwoRunsAtOnceKeepEachOthersWords) {
    Workspace ws;
    const std::vector<std::string> words[2] = {{"ONE", "TWO", "THREE", "FOUR", "FIVE", "SIX", "SEVEN", "EIGHT"},
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
