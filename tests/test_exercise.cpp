// Switching exercises: which vocabulary names select, and the clearing of
// the exercise that ends.
#include "dict/dict.h"
#include "recognition.h"

using namespace khtest;

namespace {

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

TEST_F(Exercise, NamesAreComparedInUpperCaseAgainstTheConfiguredNames) {
    EXPECT_STREQ(kh::g_state->current_vocab->name, "ADULT");
    EXPECT_EQ(khSysNewExercise("english"), 1);
    EXPECT_STREQ(kh::g_state->current_vocab->name, "ENGLISH");
    EXPECT_EQ(khSysNewExercise("Child"), -1);  // only upper-case names can be selected
    EXPECT_EQ(khSysNewExercise("CHILD"), -1);
    EXPECT_EQ(khSysNewExercise(nullptr), -1);
    EXPECT_STREQ(kh::g_state->current_vocab->name, "ENGLISH");
    EXPECT_TRUE(Contains(Log(), "  Parameter 1 (exercise name) is a NULL string\r\n"
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
        return TraceOf("khSyntaxDeleteShallow", {"Parameter 1 (syntax ptr) is a non-NULL pointer",
                                                 "SysCheck: Valid syntax with name " + name, "Return value = 1"}, 1);
    };
    EXPECT_TRUE(Contains(log, TraceOf("khSysNewExercise", {"Parameter 1 (exercise name) = adult", deleted("A"),
                                                           deleted("B"), "Return value = 1"})))
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
