// Words that no dictionary holds: with GUESSPRONS their pronunciations are
// guessed into the exercise dictionary alone, and a note says so.
#include "recognition.h"

using namespace khtest;

namespace {

const char kNote[] = "NOTE - GetWordId: Guessed the pronunciation of ZORBLAX: Z AO R B L AE K S\r\n\r\n";

// A started system at level ERROR, GUESSPRONS set as given.
class Guessed : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_EQ(InitWith(StandardConfig(std::string("DEBUG = ERROR\nGUESSPRONS = ") + (GetParam() ? "TRUE" : "FALSE") +
                                          "\n")),
                  1);
    }
    Workspace ws_;
};

}  // namespace

TEST_P(Guessed, AWordNoDictionaryHoldsIsGuessedOnlyWhenAsked) {
    KhSyntax s = khSyntaxCreate("S", nullptr);
    ASSERT_NE(s, nullptr);
    int added = khSyntaxAddOption(s, "GO FORWARD ZORBLAX METERS");
    std::string log = Log();
    if (!GetParam()) {
        EXPECT_EQ(added, -1);
        EXPECT_EQ(log,
                  "ERROR - GetWordId: Unable to find word ZORBLAX in system dictionary\r\n\r\n"
                  "ERROR - Could not find word ZORBLAX in dictionaries\r\n\r\n"
                  "ERROR - khSyntaxAddOption: Error in adding sentence\r\n\r\n");
        return;
    }
    ASSERT_EQ(added, 1) << log;
    EXPECT_EQ(log, kNote);
    // The recording aligns with all four words, and the guess is not kept
    // in the vocabulary dictionary file, which the fetched words reached.
    KhRecogniser rec = khRecCreate();
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(RecogniseWhole(rec, s), "GO FORWARD ZORBLAX METERS");
    EXPECT_EQ(khRecGetWords(rec, nullptr), 4);
    std::string vocab = ReadFile("english.dic");
    EXPECT_TRUE(Contains(vocab, "\nFORWARD ")) << vocab;
    EXPECT_FALSE(Contains(vocab, "ZORBLAX")) << vocab;
    EXPECT_EQ(Log(), kNote);
}

// A word the engine cannot guess fails as it would without guessing.
TEST_P(Guessed, AWordThatCannotBeGuessedFailsAsBefore) {
    KhSyntax s = khSyntaxCreate("S", nullptr);
    EXPECT_EQ(khSyntaxAddOption(s, "GO R2D2"), -1);
    EXPECT_EQ(Log(),
              "ERROR - GetWordId: Unable to find word R2D2 in system dictionary\r\n\r\n"
              "ERROR - Could not find word R2D2 in dictionaries\r\n\r\n"
              "ERROR - khSyntaxAddOption: Error in adding sentence\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(GuessProns, Guessed, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &i) { return i.param ? "On" : "Off"; });
