// Acoustic scores per frame and confidences of runs of recognised words.
#include "recognition.h"

using namespace khtest;

namespace {


using Scored = RecognisedTest;

double Duration(KhRecogniser rec, int i) {
    double s = 0, e = 0;
    khRecGetWordTimes(rec, i, &s, &e);
    return e - s;
}

}  // namespace

TEST_F(Scored, ScoresAreLogLikelihoodsPerFrame) {
    for (int i = 1; i <= 4; i++) {
        float score = khRecGetWordScore(rec_, i, i);
        EXPECT_LT(score, 0.0f) << i;
        EXPECT_GT(score, -20.0f) << i;  // per frame, not summed over the word
    }
    // A range's score is the frame-weighted mean of its words' scores.
    double weighted = 0, frames = 0;
    for (int i = 1; i <= 4; i++) {
        weighted += khRecGetWordScore(rec_, i, i) * Duration(rec_, i);
        frames += Duration(rec_, i);
    }
    EXPECT_NEAR(khRecGetWordScore(rec_, 1, 4), weighted / frames, 0.05);
    EXPECT_EQ(khRecGetWordScore(rec_, 1, -1), khRecGetWordScore(rec_, 1, 4));
    EXPECT_EQ(khRecGetWordScore(rec_, -1, -1), khRecGetWordScore(rec_, 4, 4));
}

TEST_F(Scored, ConfidencesOfSpokenWordsAreHigh) {
    for (int i = 1; i <= 4; i++) {
        float conf = khRecGetWordConf(rec_, i, i);
        EXPECT_GT(conf, 0.5f) << i;
        EXPECT_LE(conf, 1.0f) << i;
    }
    float mean = 0;
    for (int i = 1; i <= 4; i++) mean += khRecGetWordConf(rec_, i, i) / 4;
    EXPECT_NEAR(khRecGetWordConf(rec_, 1, -1), mean, 1e-5);
}

TEST_F(RoadTest, WordsForcedOntoOtherAudioHaveLowConfidence) {
    KhSyntax wrong = khSyntaxCreate("WRONG", nullptr);
    ASSERT_EQ(khSyntaxAddOption(wrong, "SEVEN OF HEARTS PLEASE"), 1);
    ASSERT_EQ(khRecPrepare(rec_, wrong, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(khRecDoWholeSent(rec_), 1);
    int n = khRecGetWords(rec_, nullptr);
    ASSERT_GT(n, 0);
    EXPECT_LT(khRecGetWordConf(rec_, 1, n), 0.5f);
}

TEST_F(Scored, IndexRulesAndMessages) {
    EXPECT_EQ(khRecGetWordScore(rec_, 0, 1), KH_FLOAT_FAIL);
    EXPECT_EQ(khRecGetWordScore(rec_, 1, 5), KH_FLOAT_FAIL);
    EXPECT_EQ(khRecGetWordScore(rec_, -5, 1), KH_FLOAT_FAIL);
    EXPECT_EQ(khRecGetWordScore(rec_, 3, 2), KH_FLOAT_FAIL);
    EXPECT_EQ(khRecGetWordConf(rec_, 0, 1), KH_FLOAT_FAIL);
    EXPECT_EQ(khRecGetWordConf(rec_, 1, 5), KH_FLOAT_FAIL);
    EXPECT_EQ(khRecGetWordConf(rec_, 3, 2), KH_FLOAT_FAIL);
    std::string log = Log();
    for (const char *m : {"khRecGetWordScore: Invalid word index",
                          "khRecGetWordScore: Start index cannot be larger than end index",
                          "khRecGetWordConf: Invalid start word index", "khRecGetWordConf: Invalid end word index",
                          "khRecGetWordConf: Invalid word indices"})
        EXPECT_TRUE(Contains(log, std::string("ERROR - ") + m + "\r\n\r\n")) << m;
    ASSERT_EQ(khRecFinalise(rec_), 1);
    EXPECT_EQ(khRecGetWordScore(rec_, 1, 1), KH_FLOAT_FAIL);
    EXPECT_TRUE(Contains(Log(), "ERROR - SysError: No results available\r\n\r\n"));
}

TEST_F(Scored, ScoresAnswerDuringAPartSentenceRecognitionToo) {
    KhRecogniser rec = khRecCreate();
    ASSERT_EQ(khRecPrepare(rec, go_, GoForward().c_str(), nullptr), 1);
    int r;
    while ((r = khRecDoPartSent(rec, 40)) == 1)
        if (khRecGetWords(rec, nullptr) > 0) break;
    ASSERT_EQ(r, 1);
    EXPECT_LT(khRecGetWordScore(rec, 1, 1), 0.0f);
}

TEST_F(Scored, EngineFailures) {
    ASSERT_EQ(hapiFaultInject("hapiCoderObservationWindowAdvance", 1), 0);
    EXPECT_EQ(khRecGetWordScore(rec_, 1, 1), KH_FLOAT_FAIL);
    ASSERT_EQ(hapiFaultInject("hapiResWordScore", 1), 0);
    EXPECT_EQ(khRecGetWordScore(rec_, 1, 1), KH_FLOAT_FAIL);
    ASSERT_EQ(hapiFaultInject("hapiResWordScore", 1), 0);
    EXPECT_EQ(khRecGetWordConf(rec_, 1, 1), KH_FLOAT_FAIL);
    ASSERT_EQ(hapiFaultInject("hapiResWordTimes", 3), 0);  // after the two nested time queries
    EXPECT_EQ(khRecGetWordScore(rec_, 1, 1), KH_FLOAT_FAIL);
    std::string log = Log();
    for (const char *m : {"khRecGetWordScore: Error finding length of observation advance",
                          "khRecGetWordScore: Error returning finding acoustic score",
                          "khRecGetWordConf: Error getting confidence score",
                          "khRecGetWordScore: Error retrieving start and end times"})
        EXPECT_TRUE(Contains(log, std::string("ERROR - ") + m + "\r\n\r\n")) << m;
}

TEST(ScoreLog, TheNestedTimeQueriesAreIndented) {
    Workspace ws;
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = FULL\n")), 1);
    KhSyntax go = khSyntaxCreate("GO", nullptr);
    ASSERT_EQ(khSyntaxAddOption(go, kGoGrammar), 1);
    KhRecogniser rec = khRecCreate();
    ASSERT_EQ(khRecPrepare(rec, go, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(khRecDoWholeSent(rec), 1);
    WriteFile("khapi.log", "");
    float score = khRecGetWordScore(rec, 2, -1);
    std::string log = ReadFile("khapi.log");
    char value[64];
    snprintf(value, sizeof value, "  Return value = %f\r\n", static_cast<double>(score));
    EXPECT_TRUE(Contains(log,
                         "khRecGetWordScore: Entering\r\n"
                         "  Parameter 1 (recogniser ptr) is a non-NULL pointer\r\n"
                         "  Parameter 2 (start index) = 2\r\n"
                         "  Parameter 3 (end index) = -1\r\n"
                         "  SysCheck: Valid recogniser\r\n"
                         "  khRecGetWordTimes: Entering\r\n"
                         "    Parameter 1 (recogniser ptr) is a non-NULL pointer\r\n"
                         "    Parameter 2 (word index) = 2\r\n"
                         "    Parameter 3 (start time) is a non-NULL pointer\r\n"
                         "    Parameter 4 (end time) is a NULL pointer\r\n"
                         "    SysCheck: Valid recogniser\r\n"
                         "    Return value = 1\r\n"
                         "  khRecGetWordTimes: Leaving\r\n"
                         "  khRecGetWordTimes: Entering\r\n"
                         "    Parameter 1 (recogniser ptr) is a non-NULL pointer\r\n"
                         "    Parameter 2 (word index) = 4\r\n"
                         "    Parameter 3 (start time) is a NULL pointer\r\n"
                         "    Parameter 4 (end time) is a non-NULL pointer\r\n"
                         "    SysCheck: Valid recogniser\r\n"
                         "    Return value = 1\r\n"
                         "  khRecGetWordTimes: Leaving\r\n" +
                             std::string(value) + "khRecGetWordScore: Leaving\r\n\r\n"))
        << log;
}
