// The queries on a recognition: what the library makes of the engine's
// result (indices from either end, strings, per-frame means, the N-best
// walk, nested traces) and one table of every refusal with its message.
#include <functional>
#include <vector>

#include "recognition.h"

using namespace khtest;

namespace {

// "GO FORWARD TEN METERS" recognised with N-best alternatives and phone
// confidences on.
class Results : public RoadTest {
protected:
    std::string ExtraConfig() override { return "PHONECONF = TRUE\n"; }
    void SetUp() override {
        RoadTest::SetUp();
        ASSERT_EQ(khRecActivateNBest(rec_), 1);
        ASSERT_EQ(RecogniseWhole(rec_, go_), "GO FORWARD TEN METERS");
    }
    // The next alternative's value and text.
    std::string Next(int start, int end) {
        char text[KH_MAX_TEXT] = "junk";
        int r = khRecGetNextBest(rec_, start, end, text);
        return std::to_string(r) + " " + text;
    }
};

char text[KH_MAX_TEXT];
double t1;

// A query that must refuse, the failure value it answers and the one
// message it writes.
struct Refusal {
    std::function<double(KhRecogniser)> query;
    double failure;
    const char *message;
};

const double kF = KH_FLOAT_FAIL;

// Refusals on the complete result of four words; GO has two phones.
const Refusal kOnFourWords[] = {
    {[](KhRecogniser r) { return khRecGetWordName(r, 0, text); }, -1, "khRecGetWordName: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetWordName(r, 5, text); }, -1, "khRecGetWordName: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetWordName(r, -5, text); }, -1, "khRecGetWordName: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetResSyntaxName(r, 0, text); }, -1, "khRecGetResSyntaxName: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetResSyntaxName(r, -5, text); }, -1,
     "khRecGetResSyntaxName: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetWordTimes(r, 5, &t1, nullptr); }, -1, "khRecGetWordTimes: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetWordTimes(r, 0, nullptr, &t1); }, -1, "khRecGetWordTimes: Invalid word index"},
    // Negative indices of the pronunciation query count from the next-to-last word.
    {[](KhRecogniser r) { return khRecGetWordInfo(r, -4, text); }, -1, "khRecGetWordInfo: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetWordInfo(r, 5, text); }, -1, "khRecGetWordInfo: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetNextBest(r, 0, 1, text); }, -1, "khRecGetNextBest: Invalid start word index"},
    {[](KhRecogniser r) { return khRecGetNextBest(r, 1, 5, text); }, -1, "khRecGetNextBest: Invalid end word index"},
    {[](KhRecogniser r) { return khRecGetNextBest(r, 3, 2, text); }, -1, "khRecGetNextBest: Invalid word indices"},
    {[](KhRecogniser r) { return khRecGetWordScore(r, 0, 1); }, kF, "khRecGetWordScore: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetWordScore(r, 1, 5); }, kF, "khRecGetWordScore: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetWordScore(r, -5, 1); }, kF, "khRecGetWordScore: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetWordScore(r, 3, 2); }, kF,
     "khRecGetWordScore: Start index cannot be larger than end index"},
    {[](KhRecogniser r) { return khRecGetWordConf(r, 0, 1); }, kF, "khRecGetWordConf: Invalid start word index"},
    {[](KhRecogniser r) { return khRecGetWordConf(r, 1, 5); }, kF, "khRecGetWordConf: Invalid end word index"},
    {[](KhRecogniser r) { return khRecGetWordConf(r, 3, 2); }, kF, "khRecGetWordConf: Invalid word indices"},
    {[](KhRecogniser r) { return khRecGetPhone(r, 0, 1, text); }, -1, "khRecGetPhone: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetPhone(r, 1, 0, text); }, -1, "khRecGetPhone: Invalid phone index"},
    {[](KhRecogniser r) { return khRecGetPhone(r, 1, 3, text); }, -1, "khRecGetPhone: Invalid phone index"},
    {[](KhRecogniser r) { return khRecGetPhones(r, 5, text); }, -1, "khRecGetPhones: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetPhoneHeard(r, -5, 1, text); }, -1, "khRecGetPhoneHeard: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetPhoneHeard(r, 1, -3, text); }, -1, "khRecGetPhoneHeard: Invalid phone index"},
    {[](KhRecogniser r) { return khRecGetPhoneTimes(r, 0, 1, &t1, nullptr); }, -1,
     "khRecGetPhoneTimes: Invalid word index"},
    {[](KhRecogniser r) { return khRecGetPhoneTimes(r, 1, 3, &t1, nullptr); }, -1,
     "khRecGetPhoneTimes: Invalid phone index"},
    {[](KhRecogniser r) { return khRecGetPhoneScore(r, 5, 1, 1); }, kF, "khRecGetPhoneScore: Incorrect word index"},
    {[](KhRecogniser r) { return khRecGetPhoneScore(r, 1, 1, 3); }, kF, "khRecGetPhoneScore: Incorrect phone index"},
    {[](KhRecogniser r) { return khRecGetPhoneScore(r, 1, -3, 1); }, kF, "khRecGetPhoneScore: Incorrect phone index"},
    {[](KhRecogniser r) { return khRecGetPhoneScore(r, 1, 2, 1); }, kF,
     "khRecGetPhoneScore: Start index cannot be larger than the end index"},
    // The phone confidence query refuses through the phone score query's
    // checks, under its own name.
    {[](KhRecogniser r) { return khRecGetPhoneConf(r, 5, 1, 1); }, kF, "khRecGetPhoneConf: Incorrect word index"},
    {[](KhRecogniser r) { return khRecGetPhoneConf(r, 1, 1, 3); }, kF, "khRecGetPhoneConf: Incorrect phone index"},
};

// Refusals while the first frames are processed: no words, no phones yet.
const Refusal kBeforeAnyWord[] = {
    {[](KhRecogniser r) { return khRecGetWordName(r, 1, text); }, -1, "khRecGetWordName: No words available"},
    {[](KhRecogniser r) { return khRecGetResSyntaxName(r, 1, text); }, -1,
     "khRecGetResSyntaxName: No results available"},
    {[](KhRecogniser r) { return khRecGetWordTimes(r, 1, &t1, nullptr); }, -1,
     "khRecGetWordTimes: No results available"},
    {[](KhRecogniser r) { return khRecGetWordScore(r, 1, 1); }, kF, "khRecGetWordScore: No results available"},
    {[](KhRecogniser r) { return khRecGetWordConf(r, 1, 1); }, kF, "khRecGetWordConf: No results available"},
    {[](KhRecogniser r) { return khRecGetNextBest(r, 1, 1, text); }, -1, "khRecGetNextBest: No results available"},
    {[](KhRecogniser r) { return khRecGetPhone(r, 1, 1, text); }, -1,
     "khRecGetPhone: No phone level results available"},
    {[](KhRecogniser r) { return khRecGetPhones(r, 1, text); }, -1, "khRecGetPhones: No phone level results available"},
    {[](KhRecogniser r) { return khRecGetPhoneHeard(r, 1, 1, text); }, -1,
     "khRecGetPhoneHeard: No phone level results available"},
    {[](KhRecogniser r) { return khRecGetPhoneTimes(r, 1, 1, &t1, nullptr); }, -1,
     "khRecGetPhoneTimes: No phone level results available"},
    {[](KhRecogniser r) { return khRecGetPhoneScore(r, 1, 1, 1); }, kF,
     "khRecGetPhoneScore: No phone level results available"},
    {[](KhRecogniser r) { return khRecGetPhoneConf(r, 1, 1, 1); }, kF,
     "khRecGetPhoneConf: No phone level results available"},
};

// Each query answers its failure value and writes exactly its message.
template <size_t N>
void ExpectRefusals(KhRecogniser rec, const Refusal (&table)[N]) {
    for (size_t i = 0; i < N; i++) {
        std::string before = ReadFile("khapi.log");
        EXPECT_EQ(table[i].query(rec), table[i].failure) << "row " << i << ": " << table[i].message;
        EXPECT_EQ(ReadFile("khapi.log").substr(before.size()), std::string("ERROR - ") + table[i].message + "\r\n\r\n")
            << "row " << i;
    }
}

}  // namespace

TEST_F(Results, EveryWordAndPhoneQueryRefusesIndicesOutOfRange) { ExpectRefusals(rec_, kOnFourWords); }

TEST_F(Results, ARangeAnswersTheMeanConfidenceOfItsPhones) {
    for (int w = 1; w <= 4; w++) {
        float c = khRecGetPhoneConf(rec_, w, 1, -1);
        EXPECT_GE(c, 0.0f) << w;
        EXPECT_LE(c, 1.0f) << w;
    }
    float g = khRecGetPhoneConf(rec_, 1, 1, 1), ow = khRecGetPhoneConf(rec_, 1, -1, -1);
    EXPECT_NEAR(khRecGetPhoneConf(rec_, 1, 1, 2), (g + ow) / 2, 1e-6);
}

TEST_F(Results, BeforeAnyWordTheQueriesRefuse) {
    ASSERT_EQ(khRecFinalise(rec_), 1);
    ASSERT_EQ(khRecActivateNBest(rec_), 1);
    ASSERT_EQ(khRecPrepare(rec_, go_, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(khRecDoPartSent(rec_, 5), 1);
    ASSERT_EQ(khRecGetWords(rec_, text), 0);
    ExpectRefusals(rec_, kBeforeAnyWord);
}

TEST_F(Results, NamesTimesAndPhonesCountFromEitherEnd) {
    EXPECT_EQ(khRecGetWords(rec_, nullptr), 4);
    auto name = [&](auto query, int i) { return query(rec_, i, text) == 1 ? std::string(text) : "<refused>"; };
    EXPECT_EQ(name(khRecGetWordName, -1) + " " + name(khRecGetWordName, -4) + " " + name(khRecGetResSyntaxName, 2),
              "METERS GO GO");
    EXPECT_EQ(khRecGetWordInfo(rec_, -1, text), 1);
    EXPECT_EQ(khRecGetWordInfo(rec_, 4, text), 1);
    double s = 0, e = 0, last_end = 0;
    ASSERT_EQ(khRecGetWordTimes(rec_, -1, &s, &last_end), 1);
    ASSERT_EQ(khRecGetWordTimes(rec_, 4, &s, &e), 1);
    EXPECT_EQ(e, last_end);
    auto phones = [&](int w) { return std::to_string(khRecGetPhones(rec_, w, text)) + " " + text; };
    EXPECT_EQ(phones(1), "2 G OW");
    EXPECT_EQ(phones(-1), "5 M IY T ER Z");
    int id = khRecGetPhone(rec_, -1, -1, text);
    EXPECT_GT(id, 0);
    EXPECT_STREQ(text, "Z");
    EXPECT_EQ(khRecGetPhone(rec_, -1, -1, nullptr), id);
    // The speaker says Z as written: it is heard as itself.
    EXPECT_EQ(khRecGetPhoneHeard(rec_, -1, -1, text), id);
    EXPECT_STREQ(text, "Z");
    // A run of phones scores the frame-weighted mean of its own phones.
    double weighted = 0, frames = 0;
    for (int p = 1; p <= 5; p++) {
        ASSERT_EQ(khRecGetPhoneTimes(rec_, -1, p, &s, &e), 1);
        weighted += khRecGetPhoneScore(rec_, -1, p, p) * (e - s);
        frames += e - s;
    }
    EXPECT_NEAR(khRecGetPhoneScore(rec_, -1, 1, -1), weighted / frames, 1e-3);
}

TEST_F(Results, ARangeScoresTheFrameWeightedMeanOfItsWords) {
    double weighted = 0, frames = 0, s = 0, e = 0;
    for (int i = 1; i <= 4; i++) {
        float score = khRecGetWordScore(rec_, i, i);
        EXPECT_LT(score, 0.0f) << i;
        EXPECT_GT(score, -20.0f) << i;  // per frame, not summed over the word
        ASSERT_EQ(khRecGetWordTimes(rec_, i, &s, &e), 1);
        weighted += score * (e - s);
        frames += e - s;
    }
    EXPECT_NEAR(khRecGetWordScore(rec_, 1, 4), weighted / frames, 0.05);
    EXPECT_EQ(khRecGetWordScore(rec_, 1, -1), khRecGetWordScore(rec_, 1, 4));
    EXPECT_EQ(khRecGetWordScore(rec_, -1, -1), khRecGetWordScore(rec_, 4, 4));
    float mean = 0;
    for (int i = 1; i <= 4; i++) mean += khRecGetWordConf(rec_, i, i) / 4;
    EXPECT_NEAR(khRecGetWordConf(rec_, 1, -1), mean, 1e-5);
}

TEST_F(Results, TheNBestWalkEndsWithZeroAndRestartsOnANewStretch) {
    std::string first = Next(1, 4), second = Next(1, 4);
    for (const std::string &alt : {first, second}) {
        EXPECT_EQ(alt.substr(0, 2), "1 ");
        EXPECT_NE(alt, "1 GO FORWARD TEN METERS");
        EXPECT_EQ(alt.find("  "), std::string::npos);
        EXPECT_NE(alt.back(), ' ');
    }
    // A new stretch restarts the walk; the grammar allows nothing but GO first.
    std::vector<std::string> walk = {Next(1, 4), Next(1, -1), Next(1, 1), Next(-1, -1)};
    EXPECT_EQ(walk, (std::vector<std::string>{"0 ", first, "0 ", "1 METER"}));
}

TEST_F(RecognisedTest, NBestMustBeActivatedAndAfterFinaliseNoResultIsAvailable) {
    EXPECT_EQ(khRecGetNextBest(rec_, 1, 1, text), -1);
    ASSERT_EQ(khRecFinalise(rec_), 1);
    EXPECT_EQ(khRecGetWordScore(rec_, 1, 1), KH_FLOAT_FAIL);
    EXPECT_EQ(khRecGetWords(rec_, text), -1);
    EXPECT_EQ(Log(),
              "ERROR - khRecGetNextBest: Recogniser has not been activated for NBest results\r\n\r\n"
              "ERROR - SysError: No results available\r\n\r\nERROR - SysError: No results available\r\n\r\n");
}

TEST_F(RoadTest, WordScoresAnswerDuringAPartSentenceRecognition) {
    ASSERT_EQ(khRecPrepare(rec_, go_, GoForward().c_str(), nullptr), 1);
    int r;
    while ((r = khRecDoPartSent(rec_, 40)) == 1)
        if (khRecGetWords(rec_, nullptr) > 0) break;
    ASSERT_EQ(r, 1);
    EXPECT_LT(khRecGetWordScore(rec_, 1, 1), 0.0f);
}

class ScoreLog : public RecognisedTest {
protected:
    std::string ExtraConfig() override { return "DEBUG = FULL\n"; }
};

TEST_F(ScoreLog, TheNestedTimeQueriesAreIndented) {
    WriteFile("khapi.log", "");
    float score = khRecGetWordScore(rec_, 2, -1);
    std::string log = ReadFile("khapi.log");
    char value[64];
    snprintf(value, sizeof value, "Return value = %f", static_cast<double>(score));
    const std::string ptr = "Parameter 1 (recogniser ptr) is a non-NULL pointer", valid = "SysCheck: Valid recogniser";
    // The start time of the first word, then the end time of the last.
    auto times = [&](const char *word, const char *start, const char *end) {
        return TraceOf("khRecGetWordTimes",
                       {ptr, std::string("Parameter 2 (word index) = ") + word,
                        std::string("Parameter 3 (start time) is a ") + start + " pointer",
                        std::string("Parameter 4 (end time) is a ") + end + " pointer", valid, "Return value = 1"},
                       1);
    };
    EXPECT_TRUE(Contains(log,
                         TraceOf("khRecGetWordScore",
                                 {ptr, "Parameter 2 (start index) = 2", "Parameter 3 (end index) = -1", valid,
                                  times("2", "non-NULL", "NULL"), times("4", "NULL", "non-NULL"), value})))
        << log;
}
