// khSysInit: the settings it reads, the models and vocabularies it loads,
// and every way it fails; khSysNewExercise: which vocabulary names select,
// and the clearing of the exercise that ends.
#include <filesystem>
#include <sstream>

#include "khapi.h"
#include "dict/dict.h"
#include "recognition.h"
#include "folders_and_env.h"
#include "system/system.h"
#include "frame/debugwin.h"

using namespace khtest;

namespace {

std::string ModelBlock(const std::string &name) {
    return name + "MMF = " + ModelDef() + "\n" + name + "HMMLIST = " + ModelDef() + "\n";
}

// Three vocabularies; ADULT, read last, is current.
class Exercise : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(InitWith(StandardConfig("DEBUG = FULL\nVOCAB2 = Child\nChildMODEL = ENUS\nChildDICT = child.dic\n"
                                          "VOCAB3 = ADULT\nADULTMODEL = ENUS\nADULTDICT = adult.dic\n")),
                  1);
    }
    Workspace ws_;
};

}  // namespace

// One way khSysInit fails: a file written first (and never rewritten), the
// configuration, and the whole log it leaves ("*" before a line that need
// only be in it).  No vocabulary dictionary is made by a failed start.
struct InitFailure {
    const char *name;
    const char *file;
    std::string text;
    std::string config;
    std::string log;
};

class SysInitFails : public ::testing::TestWithParam<InitFailure> {};

TEST_P(SysInitFails, AnswersMinusOneAndLogs) {
    Workspace ws;
    const InitFailure &f = GetParam();
    if (*f.file) WriteFile(f.file, f.text);
    // Without a configuration the file to read does not exist.
    EXPECT_EQ(f.config.empty() ? khSysInit("missing.conf") : InitWith(f.config), -1);
    if (f.log[0] == '*') EXPECT_TRUE(Contains(Log(), "ERROR - " + f.log.substr(1) + "\r\n\r\n")) << Log();
    else EXPECT_EQ(Log(), f.log);
    EXPECT_EQ(khRecCreate(), nullptr);
    EXPECT_EQ(*f.file ? ReadFile(f.file) : "", f.text);
    EXPECT_FALSE(Exists("v.dic"));
}

const std::string kErr = "DEBUG = ERROR\nMODEL1 = A\n";

const InitFailure kInitFailures[] = {
    {"Unreadable", "", "", "", ""},
    {"Malformed", "", "", "DEBUG = ERROR\nthis line has no equals sign\n", ""},
    {"LowerCaseDebugIsSilent", "", "", "DEBUG = full\n", ""},
    {"NoModels", "", "", "DEBUG = ERROR\n", "ERROR - khSysInit: No models loaded\r\n\r\n"},
    {"NoMmf", "", "", kErr, "ERROR - khSysInit: No MMF file specified\r\n\r\n"},
    {"NoHmmList", "", "", kErr + "AMMF = " + ModelDef() + "\n", "ERROR - khSysInit: No HMMList file specified\r\n\r\n"},
    {"UnreadableModel", "", "", kErr + "AMMF = nothere/mdef\n",
     "ERROR - khSysInit: File nothere/mdef does not exist, or cannot be read\r\n\r\n"},
    {"UnreadableHmmList", "", "", kErr + "AMMF = " + ModelDef() + "\nAHMMLIST = nothere/list\n",
     "ERROR - khSysInit: File nothere/list does not exist, or cannot be read\r\n\r\n"},
    // The engine refuses a model without a message of the library's own.
    {"ModelTheEngineRefuses", "mdef", "this is not a model definition\n", kErr + "AMMF = mdef\nAHMMLIST = mdef\n", ""},
    {"TruncatedModel", "mdef", "0.3\nn_base 5\n", kErr + "AMMF = mdef\nAHMMLIST = mdef\n", ""},
    {"ModelNameComparedExactly", "", "", kErr + ModelBlock("A") + "VOCAB1 = V\nVMODEL = a\nVDICT = v.dic\n",
     "*khSysInit: Could not find model with name a"},
    {"VocabWithoutModel", "", "", kErr + ModelBlock("A") + "VOCAB1 = V\n", "*khSysInit: Invalid model name"},
    {"VocabWithoutDictionary", "", "", kErr + ModelBlock("A") + "VOCAB1 = V\nVMODEL = A\n",
     "*khSysInit: Invalid or unspecified vocab filename"},
    {"NoVocabs", "", "", kErr + ModelBlock("A"), "ERROR - khSysInit: No vocabs loaded\r\n\r\n"},
    {"BrokenVocabularyDictionary", "english.dic", "HELLO [unterminated HH AH L OW\n", StandardConfig("DEBUG = ERROR\n"),
     "*khSysInit: Unable to load dictionary with filename english.dic"},
    {"NoSystemDictionaryToMakeAVocabularyOne", "", "",
     kErr + ModelBlock("A") + "VOCAB1 = V\nVMODEL = A\nVDICT = v.dic\n",
     "*khSysInit: Unable to load dictionary with filename v.dic"},
    {"SecondModelFails", "", "", kErr + ModelBlock("A") + "MODEL2 = B\n",
     "ERROR - khSysInit: No MMF file specified\r\n\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Table, SysInitFails, ::testing::ValuesIn(kInitFailures), RowName());

TEST(SysInitRefuses, NullNameLeavesTheSystemUnusableForGood) {
    Workspace ws;
    EXPECT_EQ(khSysInit(nullptr), -1);
    EXPECT_EQ(khRecCreate(), nullptr);
    WriteFile("test.conf", StandardConfig());
    EXPECT_EQ(khSysInit("test.conf"), -1);  // the system is started once per process
}

// The settings khSysInit read, as one line.
std::string Settings() {
    const kh::SystemState *s = kh::g_state;
    auto flag = [](const char *key) {
        const int *v = hapiOverrideConfBool(key, nullptr);
        return v ? *v : -1;
    };
    std::ostringstream text;
    text << "case " << s->forced_case << " punc '" << s->bnf_punc << "'/" << s->bnf_punc_len << " beams "
         << s->general_beam << "/" << s->opt_beam << " silseq " << s->sil_seq_count << " latsave " << s->save_lattices
         << " log " << s->log_file << " user " << s->user_dict_given << " tree " << flag("PHNTREESTRUCT") << " gauss "
         << flag("GAUSSOPT") << " forceout " << flag("FORCEOUT");
    return text.str();
}

// The settings left out, or given empty or false, take their defaults.
TEST(SysInit, StandardConfigurationStartsAndLogsToItsFile) {
    Workspace ws;
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = FULL\nERRORLOG = full.log\nFORCECASE = upper\nBNFPUNC = \n"
                                      "PHNTREESTRUCT = false\n")),
              1);
    EXPECT_EQ(Settings(),
              "case 1 punc '.,?!'/4 beams 150/25 silseq 100 latsave 0 log full.log user 0 "
              "tree 1 gauss 1 forceout 0");
    EXPECT_EQ(kh::g_state->current_vocab, kh::FindVocab("ENGLISH"));
}

// The folders above the log and a new vocabulary dictionary are made.
TEST(SysInit, MakesTheFoldersItWritesInto) {
    Workspace ws;
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = FULL\nERRORLOG = logs/today/k.log\n"
                                      "ENGLISHDICT = words/en/english.dic\n")),
              1);
    EXPECT_EQ(Log("logs/today/k.log").rfind("khSysInit: Entering\r\n", 0), 0u);
    EXPECT_TRUE(Contains(ReadFile("words/en/english.dic"), "!!PHONESET"));
}

// A log that cannot be opened, because a file stands where its folder
// should be or because it is a folder, is said once on standard error,
// and the library goes on without it.
class UnopenableLog : public ::testing::TestWithParam<const char *> {};

TEST_P(UnopenableLog, IsSaidOnceOnStandardError) {
    Workspace ws;
    WriteFile("afile", "");
    std::filesystem::create_directory("afolder");
    ::testing::internal::CaptureStderr();
    int status = InitWith(StandardConfig(std::string("DEBUG = FULL\nERRORLOG = ") + GetParam() + "\n"));
    EXPECT_EQ(khRecFinalise(nullptr), -1);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    const std::string said = std::string("KHAPI: cannot open the log file ") + GetParam() + " (";
    const std::string end = "): failures are not logged\n";
    EXPECT_EQ(err.rfind(said, 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_TRUE(err.size() > end.size() && err.compare(err.size() - end.size(), end.size(), end) == 0) << err;
}

INSTANTIATE_TEST_SUITE_P(Table, UnopenableLog, ::testing::Values("afile/k.log", "afolder"),
                         [](const auto &i) { return std::string(i.index ? "AFolder" : "UnderAFile"); });

TEST(SysInit, OtherForcedCasesAndValues) {
    Workspace ws;
    ASSERT_EQ(InitWith(StandardConfig("FORCECASE = Lower\nGENBEAM = 200\nSILSEQCOUNT = 60\nBNFPUNC = -\n"
                                      "LATSAVE = yes\nGAUSSOPT = F\n")),
              1);
    EXPECT_EQ(Settings(),
              "case -1 punc '-'/1 beams 200/25 silseq 60 latsave 1 log khapi.log user 0 "
              "tree 1 gauss 0 forceout 0");
}

TEST(SysInit, IndexedKeysAllowGapsBelowOneHundredOnly) {
    Workspace ws;
    std::string config = StandardConfig("DEBUG = FULL\n") + "MODEL3 = M3\n" + ModelBlock("M3") + "MODEL100 = M100\n" +
        ModelBlock("M100") + "MODEL102 = M102\n" + ModelBlock("M102");
    ASSERT_EQ(InitWith(config), 1);
    for (const char *model : {"ENUS", "M3", "M100"}) EXPECT_NE(kh::FindModel(model), nullptr) << model;
    EXPECT_EQ(kh::FindModel("M102"), nullptr);
    EXPECT_STREQ(kh::FindModel("M3")->background, "bckgrd");
    EXPECT_STREQ(kh::FindModel("ENUS")->background, "SIL");
}

// A second call fails; a name of more than 1023 characters, given twice,
// is the same name, and one character more names a different file.
TEST(SysInit, ASecondCallFailsAndNamesADifferentFile) {
    Workspace ws;
    std::string folder = ".";
    for (int k = 0; k < 6; k++) folder += "/" + std::string(200, 'a' + k);
    std::filesystem::create_directories(folder);
    std::string name = folder + "/khapi.conf";
    ASSERT_GT(name.size(), 1023u);
    WriteFile(name, StandardConfig("DEBUG = ERROR\n"));
    ASSERT_EQ(khSysInit(name.c_str()), 1) << Log();
    EXPECT_EQ(khSysInit(name.c_str()), -1);
    EXPECT_EQ(khSysInit((name + "x").c_str()), -1);
    EXPECT_EQ(Log(),
              "ERROR - khSysInit: System already initialised\r\n\r\n"
              "ERROR - khSysInit: System already initialised\r\n\r\n"
              "ERROR - khSysInit: Tried to reinitialise with a different config filename\r\n\r\n");
    // The system stays usable.
    EXPECT_EQ(khSysNewExercise("english"), 1);
}

TEST(SysInit, DebugWindowCopiesEveryLine) {
    Workspace ws;
    std::string window = ws.path() + "/window.txt";
    set_env("KHAPI_DEBUGWIN", window.c_str());
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = ERROR\nDEBUGWIN = TRUE\n")), 1);
    EXPECT_EQ(khRecFinalise(nullptr), -1);
    EXPECT_EQ(ReadFile(window), "ERROR - SysError: Invalid recogniser\r\n\r\n");
    EXPECT_EQ(Log(), "ERROR - SysError: Invalid recogniser\r\n\r\n");
}

TEST(SysInit, TheDebugWindowStaysClosedWhenNothingIsTraced) {
    Workspace ws;
    std::string window = ws.path() + "/window.txt";
    set_env("KHAPI_DEBUGWIN", window.c_str());
    ASSERT_EQ(InitWith(StandardConfig("DEBUGWIN = TRUE\n")), 1);
    EXPECT_EQ(khRecFinalise(nullptr), -1);
    EXPECT_FALSE(Exists(window));
    EXPECT_FALSE(Exists("khapi.log"));
}

// The window takes lines only while open, opens once, and says so when it
// takes no more lines (a full device).
TEST(DebugWindow, OpensOnceAndTakesLinesOnlyWhileOpen) {
    Workspace ws;
    ASSERT_EQ(kh::LoadDebugWindow(), 1);
    EXPECT_FALSE(kh::SendToDebugWindow("before the window"));
#ifdef _WIN32
    set_env("KHAPI_DEBUGWIN", "");  // an empty name is the terminal
#else
    set_env("KHAPI_DEBUGWIN", "/dev/full");
#endif
    EXPECT_EQ(kh::StartDebugWindowCall(), 1);
    EXPECT_EQ(kh::StartDebugWindowCall(), 1);  // already open
    EXPECT_FALSE(kh::SendToDebugWindow(nullptr));
#ifndef _WIN32
    EXPECT_FALSE(kh::SendToDebugWindow("a line"));
#endif
}

TEST_F(Exercise, NamesAreComparedInUpperCaseAgainstTheConfiguredNames) {
    EXPECT_STREQ(kh::g_state->current_vocab->name, "ADULT");
    EXPECT_EQ(khSysNewExercise("english"), 1);
    EXPECT_STREQ(kh::g_state->current_vocab->name, "ENGLISH");
    EXPECT_EQ(khSysNewExercise("Child"), -1);  // only upper-case names can be selected
    EXPECT_EQ(khSysNewExercise("CHILD"), -1);
    EXPECT_EQ(khSysNewExercise(nullptr), -1);
    EXPECT_STREQ(kh::g_state->current_vocab->name, "ENGLISH");
    EXPECT_TRUE(Contains(Log(),
                         "  Parameter 1 (exercise name) is a NULL string\r\n"
                         "ERROR - khSysNewExercise: Invalid vocab name\r\n\r\n"));
}

// Included syntaxes go in a later pass, their traces indented; the words
// fetched from the system dictionary stay in the vocabulary dictionary file
// for later runs.
TEST_F(Exercise, SelectingTheCurrentVocabularyAgainClearsItIncludedSyntaxesLast) {
    KhSyntax b = khSyntaxCreate("B", nullptr);
    ASSERT_EQ(khSyntaxAddOption(b, "TEN METERS"), 1);
    KhSyntax a = khSyntaxCreate("A", nullptr);
    ASSERT_EQ(khSyntaxAddOption(a, "GO FORWARD $B"), 1);
    EXPECT_GT(hapiDictWordId(kh::g_state->current_vocab->exercise_dict, "TEN_B"), 0);
    KhRecogniser rec = khRecCreate();
    ASSERT_NE(rec, nullptr);
    WriteFile("khapi.log", "");
    ASSERT_EQ(khSysNewExercise("adult"), 1);
    EXPECT_EQ(khSyntaxReturn("A"), nullptr);
    EXPECT_EQ(khSyntaxReturn("B"), nullptr);
    EXPECT_EQ(khRecFinalise(rec), -1);
    EXPECT_EQ(hapiDictWordId(kh::g_state->current_vocab->exercise_dict, "TEN_B"), 0);
    EXPECT_TRUE(Contains(ReadFile("adult.dic"), "\nTEN "));
    std::string log = ReadFile("khapi.log");
    auto deleted = [](const std::string &name) {
        return TraceOf("khSyntaxDeleteShallow",
                       {"Parameter 1 (syntax ptr) is a non-NULL pointer", "SysCheck: Valid syntax with name " + name,
                        "Return value = 1"},
                       1);
    };
    EXPECT_TRUE(
        Contains(log,
                 TraceOf("khSysNewExercise",
                         {"Parameter 1 (exercise name) = adult", deleted("A"), deleted("B"), "Return value = 1"})))
        << log;
}

TEST_F(LeakyRoadTest, AnExerciseThatCannotBeClearedStaysCurrent) {
    ASSERT_EQ(hapiFaultInject("hapiDeleteRecObject", 1), 0);
    EXPECT_EQ(khSysNewExercise("ENGLISH"), -1);
    hapiFaultClear();
    EXPECT_TRUE(Contains(Log(), "ERROR - khSysNewExercise: Error deleting previous exercise\r\n\r\n"));
    // The syntaxes went first; the recogniser that could not be freed is
    // no longer usable, and the exercise can be cleared again.
    EXPECT_EQ(khSyntaxReturn("GO"), nullptr);
    EXPECT_EQ(khSysNewExercise("ENGLISH"), 1);
}
