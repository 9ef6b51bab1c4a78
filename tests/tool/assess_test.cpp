// The assessment's arithmetic on made-up recognitions: which text words
// are omitted, and how accuracy, completeness and fluency follow.
#include <gtest/gtest.h>

#include <cmath>

#include "assess.h"

namespace {

using tool::Assess;
using tool::Report;
using tool::WordReport;

// A spoken word from start to end with `phones` evenly spread phones of
// the given confidence (negative: no phone confidence).
WordReport Spoken(const std::string &word, double start, double end, int phones, double conf,
                  double word_conf = 0.9) {
    WordReport w;
    w.word = word;
    w.start = start;
    w.end = end;
    w.confidence = word_conf;
    for (int i = 0; i < phones; i++) {
        tool::PhoneReport p;
        p.phone = "P" + std::to_string(i);
        p.start = start + (end - start) * i / phones;
        p.end = start + (end - start) * (i + 1) / phones;
        if (conf >= 0) p.confidence = conf;
        w.phones.push_back(p);
    }
    return w;
}

std::vector<std::string> Errors(const Report &r) {
    std::vector<std::string> e;
    for (const WordReport &w : r.words) e.push_back(w.word + ":" + w.error);
    return e;
}

struct OmissionCase {
    const char *name;
    std::vector<std::string> text;
    std::vector<std::string> recognised;
    std::vector<std::string> expected;
};

void PrintTo(const OmissionCase &c, std::ostream *os) { *os << c.name; }

class Omissions : public testing::TestWithParam<OmissionCase> {};

TEST_P(Omissions, FollowTheTextsOrder) {
    const OmissionCase &c = GetParam();
    Report r;
    double t = 0;
    for (const std::string &w : c.recognised) r.words.push_back(Spoken(w, t, t + 0.4, 4, 0.9)), t += 0.4;
    Assess(c.text, &r);
    EXPECT_EQ(Errors(r), c.expected);
    EXPECT_DOUBLE_EQ(r.assessment->completeness,
                     std::round(1000.0 * c.recognised.size() / c.text.size()) / 10);
}

INSTANTIATE_TEST_SUITE_P(
    Text, Omissions,
    testing::Values(
        OmissionCase{"all_said", {"GO", "NOW"}, {"GO", "NOW"}, {"GO:none", "NOW:none"}},
        OmissionCase{"first_left_out", {"GO", "NOW"}, {"NOW"}, {"GO:omitted", "NOW:none"}},
        OmissionCase{"nothing_said", {"GO", "NOW"}, {}, {"GO:omitted", "NOW:omitted"}},
        // A repeated word: the one said is the earliest the grammar allows.
        OmissionCase{"repeated_word", {"THE", "CAT", "THE", "DOG"}, {"THE", "DOG"},
                     {"THE:none", "CAT:omitted", "THE:omitted", "DOG:none"}},
        OmissionCase{"any_case", {"go", "now"}, {"GO"}, {"GO:none", "now:omitted"}}),
    [](const testing::TestParamInfo<OmissionCase> &info) { return std::string(info.param.name); });

TEST(Accuracy, ComesFromPhoneConfidencesElseTheWordsConfidence) {
    Report r;
    r.words = {Spoken("GOOD", 0, 0.5, 4, 0.4), Spoken("POOR", 0.5, 1.0, 4, 0.15),
               Spoken("UNTOLD", 1.0, 1.5, 4, -1, 0.75)};
    Assess({"GOOD", "POOR", "UNTOLD", "GONE"}, &r);
    EXPECT_EQ(Errors(r), (std::vector<std::string>{"GOOD:none", "POOR:mispronounced", "UNTOLD:none", "GONE:omitted"}));
    EXPECT_DOUBLE_EQ(*r.words[0].phones[0].accuracy, 80);
    EXPECT_DOUBLE_EQ(*r.words[0].accuracy, 80);
    EXPECT_DOUBLE_EQ(*r.words[1].accuracy, 30);
    EXPECT_FALSE(r.words[2].phones[0].accuracy.has_value());
    EXPECT_DOUBLE_EQ(*r.words[2].accuracy, 75);
    EXPECT_DOUBLE_EQ(*r.words[3].accuracy, 0);
    // The utterance's accuracy is over the spoken words only.
    EXPECT_DOUBLE_EQ(*r.assessment->accuracy, 61.7);
    EXPECT_DOUBLE_EQ(r.assessment->completeness, 75);
}

TEST(Accuracy, IsFullFromEvenOddsOfThePhoneAgainstTheLoop) {
    for (auto [conf, accuracy] : {std::pair{0.0, 0.0}, {0.2, 40.0}, {0.5, 100.0}, {0.97, 100.0}})
        EXPECT_DOUBLE_EQ(tool::PhoneAccuracy(conf), accuracy) << conf;
}

struct FluencyCase {
    const char *name;
    std::vector<WordReport> words;
    double expected;
};

void PrintTo(const FluencyCase &c, std::ostream *os) { *os << c.name; }

class FluencyOf : public testing::TestWithParam<FluencyCase> {};

TEST_P(FluencyOf, RatesSpeedAndPauses) {
    std::optional<double> f = tool::Fluency(GetParam().words);
    ASSERT_TRUE(f.has_value());
    EXPECT_NEAR(*f, GetParam().expected, 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    Speech, FluencyOf,
    testing::Values(
        // 10 phones a second without pauses: full marks.
        FluencyCase{"brisk", {Spoken("A", 0, 0.5, 5, 1), Spoken("B", 0.5, 1.0, 5, 1)}, 100},
        // 5.5 phones a second: half the rate credit.
        FluencyCase{"slow", {Spoken("A", 0, 1, 5, 1), Spoken("B", 1, 2, 6, 1)}, 50},
        FluencyCase{"very_slow", {Spoken("A", 0, 1, 2, 1), Spoken("B", 1, 2, 2, 1)}, 0},
        // A natural 0.3 s pause costs nothing.
        FluencyCase{"short_pause", {Spoken("A", 0, 0.5, 5, 1), Spoken("B", 0.8, 1.3, 5, 1)}, 100},
        // 0.5 s of a 1.3 s pause is long, over a span of 2 s: a quarter off.
        FluencyCase{"long_pause", {Spoken("A", 0, 0.35, 4, 1), Spoken("B", 1.15, 2.0, 9, 1)}, 75}),
    [](const testing::TestParamInfo<FluencyCase> &info) { return std::string(info.param.name); });

TEST(FluencyFigure, NeedsTimedPhones) {
    EXPECT_FALSE(tool::Fluency({Spoken("A", 0, 0.5, 0, 1)}).has_value());
    Report none;
    Assess({"A"}, &none);
    EXPECT_DOUBLE_EQ(*none.assessment->fluency, 0);
    EXPECT_FALSE(none.assessment->accuracy.has_value());
}

}  // namespace
