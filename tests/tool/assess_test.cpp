// The assessment's arithmetic on made-up recognitions: which text words
// are omitted, and how accuracy, completeness and fluency follow.
#include <gtest/gtest.h>

#include <cmath>

#include "utterance/assess.h"

namespace {

using tool::Assess;
using tool::Report;
using tool::WordReport;

// A spoken word from start to end with `phones` evenly spread phones of
// the given confidence (negative: no phone confidence).
WordReport Spoken(const std::string &word, double start, double end, int phones, double conf, double word_conf = 0.9) {
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

TEST(Omissions, FollowTheTextsOrder) {
    struct Case {
        const char *name;
        std::vector<std::string> text, recognised, expected;
    };
    const Case cases[] = {
        {"all_said", {"GO", "NOW"}, {"GO", "NOW"}, {"GO:none", "NOW:none"}},
        {"first_left_out", {"GO", "NOW"}, {"NOW"}, {"GO:omitted", "NOW:none"}},
        {"nothing_said", {"GO", "NOW"}, {}, {"GO:omitted", "NOW:omitted"}},
        // A repeated word: the one said is the earliest the grammar allows.
        {"repeated_word",
         {"THE", "CAT", "THE", "DOG"},
         {"THE", "DOG"},
         {"THE:none", "CAT:omitted", "THE:omitted", "DOG:none"}},
        {"any_case", {"go", "now"}, {"GO"}, {"GO:none", "now:omitted"}},
        // Speech that is none of the text's words keeps its place; a word
        // left out stands just before the next word said.
        {"inserted_between", {"GO", "NOW"}, {"GO", "++SPEECH++", "NOW"}, {"GO:none", ":inserted", "NOW:none"}},
        {"inserted_for_a_word", {"GO", "NOW"}, {"++SPEECH++", "NOW"}, {":inserted", "GO:omitted", "NOW:none"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Report r;
        double t = 0;
        for (const std::string &w : c.recognised) r.words.push_back(Spoken(w, t, t + 0.4, 4, 0.9)), t += 0.4;
        Assess(c.text, &r);
        EXPECT_EQ(Errors(r), c.expected);
        size_t said = 0;
        for (const std::string &e : c.expected) said += e.find(":none") != std::string::npos;
        EXPECT_DOUBLE_EQ(r.assessment->completeness, std::round(1000.0 * said / c.text.size()) / 10);
    }
}

TEST(Accuracy, ComesFromPhoneConfidencesElseTheWordsConfidence) {
    Report r;
    r.words = {Spoken("GOOD", 0, 0.5, 4, 0.4), Spoken("POOR", 0.5, 1.0, 4, 0.15),
               Spoken("UNTOLD", 1.0, 1.5, 4, -1, 0.75), Spoken("SAID", 1.5, 2.0, 4, 0.45)};
    r.words[0].phones[0].heard = "P0";  // heard as itself
    r.words[3].phones[2].heard = "S";   // heard as another: the word is said wrong, however accurate
    Assess({"GOOD", "POOR", "UNTOLD", "SAID", "GONE"}, &r);
    EXPECT_EQ(Errors(r),
              (std::vector<std::string>{"GOOD:none", "POOR:mispronounced", "UNTOLD:none", "SAID:mispronounced",
                                        "GONE:omitted"}));
    EXPECT_DOUBLE_EQ(*r.words[0].phones[0].accuracy, 80);
    EXPECT_DOUBLE_EQ(*r.words[0].accuracy, 80);
    EXPECT_DOUBLE_EQ(*r.words[1].accuracy, 30);
    EXPECT_FALSE(r.words[2].phones[0].accuracy.has_value());
    EXPECT_DOUBLE_EQ(*r.words[2].accuracy, 75);
    EXPECT_DOUBLE_EQ(*r.words[3].accuracy, 90);
    EXPECT_DOUBLE_EQ(*r.words[4].accuracy, 0);
    // The utterance's accuracy is over the spoken words only.
    EXPECT_DOUBLE_EQ(*r.assessment->accuracy, 68.8);
    EXPECT_DOUBLE_EQ(r.assessment->completeness, 80);
}

TEST(HeardAsAnother, IsAnErrorUnlessFluentSpeechSaysItSo) {
    struct Case {
        const char *meant, *heard, *error;
    } cases[] = {
        {"T", "K", "mispronounced"},   {"AH", "OW", "none"},          {"AH", "ER", "none"},
        {"IH", "AH", "none"},          {"AH", "AA", "mispronounced"}, {"IH", "IY", "mispronounced"},
        {"IH", "EH", "mispronounced"}, {"AE", "EH", "mispronounced"}, {"W", "UW", "none"},
        {"L", "EY", "mispronounced"},  {"NG", "N", "none"},           {"W", "V", "mispronounced"},
    };
    for (const Case &c : cases) {
        Report r;
        // The phone is the word's last, after IH.
        r.words = {Spoken("WORD", 0, 0.4, 2, 0.9)};
        r.words[0].phones[0].phone = "IH";
        r.words[0].phones[1].phone = c.meant;
        r.words[0].phones[1].heard = c.heard;
        Assess({"WORD"}, &r);
        EXPECT_EQ(r.words[0].error, c.error) << c.meant << " heard as " << c.heard;
    }
}

// A stretch of other speech too short to report that runs into a word's
// start took its first phone.
TEST(ShortSpeech, RunningIntoAContentWordBetweenWordsTakesItsFirstPhone) {
    struct Case {
        const char *name;
        std::vector<std::string> text;
        bool word_before;
        const char *error;
        const char *first_heard;
        const char *stretch_heard = "S";
    } cases[] = {
        {"content_word", {"I", "THINK"}, true, "THINK:mispronounced", "S"},
        {"function_word", {"I", "THE"}, true, "THE:none", "P0"},
        {"first_word", {"THINK"}, false, "THINK:none", "P0"},
        {"its_own_first_phone", {"I", "THINK"}, true, "THINK:none", "P0", "P0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Report r;
        if (c.word_before) r.words.push_back(Spoken("I", 0, 0.2, 1, 0.9));
        WordReport speech = Spoken("++SPEECH++", 0.2, 0.25, 1, 0.9);
        speech.phones[0].phone = c.stretch_heard;
        r.words.push_back(speech);
        r.words.push_back(Spoken(c.text.back(), 0.25, 0.6, 3, 0.9));
        for (tool::PhoneReport &p : r.words.back().phones) p.heard = p.phone;
        Assess(c.text, &r);
        const WordReport &w = r.words.back();
        EXPECT_EQ(w.word + ":" + w.error, c.error);
        EXPECT_EQ(*w.phones[0].heard, c.first_heard);
        EXPECT_EQ(r.words.size(), c.text.size());  // the stretch is not reported
    }
}

TEST(Vowels, AContentWordWithNoneOfItsVowelsThereIsMispronounced) {
    struct Case {
        const char *word;
        double vowel_conf;
        const char *error;
    } cases[] = {{"NINE", 0.01, "mispronounced"}, {"NINE", 0.05, "none"}, {"AND", 0.0, "none"}};
    for (const Case &c : cases) {
        Report r;
        r.words = {Spoken(c.word, 0, 0.3, 3, 0.9)};
        r.words[0].phones[1].phone = "AY";
        r.words[0].phones[1].confidence = c.vowel_conf;
        Assess({c.word}, &r);
        EXPECT_EQ(r.words[0].error, c.error) << c.word << " " << c.vowel_conf;
    }
}

TEST(Accuracy, IsFullFromEvenOddsOfThePhoneAgainstTheLoop) {
    for (auto [conf, accuracy] : {std::pair{0.0, 0.0}, {0.2, 40.0}, {0.5, 100.0}, {0.97, 100.0}})
        EXPECT_DOUBLE_EQ(tool::PhoneAccuracy(conf), accuracy) << conf;
    // A function word's phones are said weakly.
    for (auto [conf, accuracy] : {std::pair{0.05, 50.0}, {0.1, 100.0}})
        EXPECT_DOUBLE_EQ(tool::PhoneAccuracy(conf, true), accuracy) << conf;
}

// A word whose phones all have the given name.
WordReport Named(WordReport w, const std::string &phone) {
    for (tool::PhoneReport &p : w.phones) p.phone = phone;
    return w;
}

// Speech that is none of the text's words, from start to end.
WordReport Inserted(double start, double end) {
    WordReport w = Spoken("", start, end, 2, -1);
    w.error = "inserted";
    return w;
}

TEST(Fluency, RatesThePaceAgainstNativeDurationsAndTheUnexpectedPauses) {
    struct Case {
        const char *name;
        std::vector<WordReport> words;
        double expected;
    };
    // Phones the table lacks last 0.084 s natively.
    const Case cases[] = {
        // 10 phones in 1 s: at a pace of 0.84, full marks.
        {"brisk", {Spoken("A", 0, 0.5, 5, 1), Spoken("B", 0.5, 1.0, 5, 1)}, 100},
        // 11 phones in 2 s: a pace of 0.46, 40% of the way from 0.3 to 0.7.
        {"slow", {Spoken("A", 0, 1, 5, 1), Spoken("B", 1, 2, 6, 1)}, 40.5},
        {"very_slow", {Spoken("A", 0, 1, 2, 1), Spoken("B", 1, 2, 2, 1)}, 0},
        // The native duration is the phone's own: 4 EY (0.159 s) in 1 s.
        {"long_phones", {Named(Spoken("A", 0, 1, 4, 1), "EY")}, 84},
        {"short_phones", {Named(Spoken("A", 0, 1, 4, 1), "DH")}, 0},
        // A natural 0.3 s pause costs nothing.
        {"short_pause", {Spoken("A", 0, 0.5, 5, 1), Spoken("B", 0.8, 1.3, 5, 1)}, 100},
        // 0.5 s of a 0.8 s pause is unexpected: a third of 1.5 s.
        {"long_pause", {Spoken("A", 0, 0.35, 4, 1), Spoken("B", 1.15, 2.0, 9, 1)}, 66.7},
        // 0.5 s of other speech between them breaks the reading in full,
        // and the pause after it counts past its natural 0.3 s.
        {"hesitation", {Spoken("A", 0, 0.35, 4, 1), Inserted(0.35, 0.85), Spoken("B", 0.85, 1.7, 9, 1)}, 66.7},
        {"hesitation_and_pause",
         {Spoken("A", 0, 0.35, 4, 1), Inserted(0.35, 0.85), Spoken("B", 1.35, 2.2, 9, 1)},
         53.3},
        // Other speech before the text's first word is no break.
        {"speech_before", {Inserted(0, 0.5), Spoken("A", 0.5, 1.0, 5, 1), Spoken("B", 1.0, 1.5, 5, 1)}, 100},
    };
    for (const Case &c : cases) {
        std::optional<double> f = tool::Fluency(c.words);
        ASSERT_TRUE(f.has_value()) << c.name;
        EXPECT_NEAR(*f, c.expected, 0.15) << c.name;
    }
    EXPECT_FALSE(tool::Fluency({Spoken("A", 0, 0.5, 0, 1)}).has_value());  // no timed phones
}

TEST(FluencyFigure, NeedsTimedPhones) {
    Report none;
    Assess({"A"}, &none);
    EXPECT_DOUBLE_EQ(*none.assessment->fluency, 0);
    EXPECT_FALSE(none.assessment->accuracy.has_value());
}

}  // namespace
