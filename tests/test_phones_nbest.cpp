// Phone-level results and N-best alternatives of a completed recognition.
#include <set>

#include "recognition.h"

using namespace khtest;

namespace {


using Completed = RecognisedTest;

class NBestTest : public RoadTest {
protected:
    void SetUp() override {
        RoadTest::SetUp();
        ASSERT_EQ(khRecActivateNBest(rec_), 1);
        ASSERT_EQ(khRecPrepare(rec_, go_, GoForward().c_str(), nullptr), 1);
        ASSERT_EQ(khRecDoWholeSent(rec_), 1);
        ASSERT_EQ(Words(rec_), "GO FORWARD TEN METERS");
    }
    std::string Next(int start, int end, int *result) {
        char text[KH_MAX_TEXT] = "junk";
        *result = khRecGetNextBest(rec_, start, end, text);
        return text;
    }
};

}  // namespace

TEST_F(Completed, PhonesOfEachWord) {
    char text[KH_MAX_TEXT];
    EXPECT_EQ(khRecGetPhones(rec_, 1, text), 2);
    EXPECT_STREQ(text, "G OW");
    EXPECT_EQ(khRecGetPhones(rec_, 3, text), 3);
    EXPECT_STREQ(text, "T EH N");
    EXPECT_EQ(khRecGetPhones(rec_, -1, text), 5);
    EXPECT_STREQ(text, "M IY T ER Z");
    int id = khRecGetPhone(rec_, -1, -1, text);
    EXPECT_GT(id, 0);
    EXPECT_STREQ(text, "Z");
    EXPECT_EQ(khRecGetPhone(rec_, -1, -1, nullptr), id);
    EXPECT_EQ(khRecGetPhone(rec_, 1, 0, text), -1);
    EXPECT_EQ(khRecGetPhone(rec_, 0, 1, text), -1);
    EXPECT_EQ(khRecGetPhones(rec_, 5, text), -1);
    std::string log = Log();
    EXPECT_TRUE(Contains(log, "ERROR - khRecGetPhone: Invalid phone index\r\n\r\n"));
    EXPECT_TRUE(Contains(log, "ERROR - khRecGetPhone: Invalid word index\r\n\r\n"));
    EXPECT_TRUE(Contains(log, "ERROR - khRecGetPhones: Invalid word index\r\n\r\n"));
}

TEST_F(Completed, PhoneTimesAreContiguousInsideTheirWord) {
    for (int w = 1; w <= 4; w++) {
        double ws = 0, we = 0;
        ASSERT_EQ(khRecGetWordTimes(rec_, w, &ws, &we), 1);
        char text[KH_MAX_TEXT];
        int np = khRecGetPhones(rec_, w, text);
        ASSERT_GT(np, 0);
        double previous = ws;
        for (int p = 1; p <= np; p++) {
            double s = -1, e = -1;
            ASSERT_EQ(khRecGetPhoneTimes(rec_, w, p, &s, &e), 1);
            EXPECT_NEAR(s, previous, 1e-6) << w << " " << p;
            EXPECT_GT(e, s);
            previous = e;
        }
        EXPECT_NEAR(previous, we, 1e-6) << w;
    }
    EXPECT_EQ(khRecGetPhoneTimes(rec_, 1, 3, nullptr, nullptr), 0);
    double t;
    EXPECT_EQ(khRecGetPhoneTimes(rec_, 1, 3, &t, nullptr), -1);
}

TEST_F(Completed, PhoneScoresAddUpToTheWord) {
    for (int w = 1; w <= 4; w++) {
        float word = khRecGetWordScore(rec_, w, w);
        float phones = khRecGetPhoneScore(rec_, w, 1, -1);
        EXPECT_LT(phones, 0.0f);
        EXPECT_NEAR(phones, word, 0.15 * std::abs(word) + 0.05) << w;
    }
    EXPECT_EQ(khRecGetPhoneScore(rec_, 1, 2, 1), KH_FLOAT_FAIL);
    EXPECT_EQ(khRecGetPhoneScore(rec_, 1, 1, 3), KH_FLOAT_FAIL);
    EXPECT_EQ(khRecGetPhoneConf(rec_, 1, 1, 1), KH_FLOAT_FAIL);
}

TEST_F(RoadTest, PhonesOnlyAfterACompletedRecognition) {
    char text[KH_MAX_TEXT];
    double t;
    ASSERT_EQ(khRecPrepare(rec_, go_, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(khRecDoPartSent(rec_, 150), 1);
    EXPECT_EQ(khRecGetPhone(rec_, 1, 1, text), -1);
    EXPECT_EQ(khRecGetPhones(rec_, 1, text), -1);
    EXPECT_EQ(khRecGetPhoneTimes(rec_, 1, 1, &t, &t), -1);
    EXPECT_EQ(khRecGetPhoneScore(rec_, 1, 1, 1), KH_FLOAT_FAIL);
    EXPECT_NE(khRecGetWordScore(rec_, 1, 1), KH_FLOAT_FAIL);  // word queries read the interim result
    std::string log = Log();
    for (const char *m : {"khRecGetPhone: No phone level results available", "khRecGetPhones: No phone level results available",
                          "khRecGetPhoneTimes: No phone level results available",
                          "khRecGetPhoneScore: No phone level results available"})
        EXPECT_TRUE(Contains(log, std::string("ERROR - ") + m + "\r\n\r\n")) << m;
}

TEST_F(NBestTest, AlternativesAreDistinctAndEndWithZero) {
    int r;
    std::set<std::string> seen{"GO FORWARD TEN METERS"};
    for (int i = 0; i < 2; i++) {
        std::string alt = Next(1, 4, &r);
        ASSERT_EQ(r, 1) << i;
        EXPECT_TRUE(seen.insert(alt).second) << alt;
        EXPECT_EQ(alt.find("  "), std::string::npos);
        EXPECT_NE(alt.front(), ' ');
        EXPECT_NE(alt.back(), ' ');
    }
    EXPECT_EQ(Next(1, 4, &r), "");
    EXPECT_EQ(r, 0);
    EXPECT_EQ(Next(1, -1, &r).empty(), false);  // a new stretch starts again
    EXPECT_EQ(r, 1);
}

TEST_F(NBestTest, OneWordStretches) {
    int r;
    EXPECT_EQ(Next(1, 1, &r), "");  // the grammar allows nothing but GO
    EXPECT_EQ(r, 0);
    std::string alt = Next(-1, -1, &r);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(alt, "METER");
}

TEST_F(NBestTest, IndexRules) {
    int r;
    Next(0, 1, &r);
    EXPECT_EQ(r, -1);
    Next(1, 5, &r);
    EXPECT_EQ(r, -1);
    Next(3, 2, &r);
    EXPECT_EQ(r, -1);
    std::string log = Log();
    for (const char *m : {"khRecGetNextBest: Invalid start word index", "khRecGetNextBest: Invalid end word index",
                          "khRecGetNextBest: Invalid word indices"})
        EXPECT_TRUE(Contains(log, std::string("ERROR - ") + m + "\r\n\r\n")) << m;
}

TEST_F(Completed, NBestMustBeActivated) {
    char text[KH_MAX_TEXT];
    EXPECT_EQ(khRecGetNextBest(rec_, 1, 1, text), -1);
    EXPECT_TRUE(
        Contains(Log(), "ERROR - khRecGetNextBest: Recogniser has not been activated for NBest results\r\n\r\n"));
}
