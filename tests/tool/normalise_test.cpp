// Texts as people write them, read as the words a speaker says; the
// lexicon that decides hyphenated words, accents and edge apostrophes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>

#include "session/weak_forms.h"
#include "texts/lexicon.h"
#include "texts/normalise.h"

namespace {

using Words = std::vector<std::string>;

// The test's dictionaries: one in the engine's format, one CMUdict-style
// with CR LF line ends.  Each holds words the other does not.
const char kEngineDict[] =
    "!!PHONESET AH AY B D EH EY F IH IY K L M N OW R S T V W Z\n"
    "!!PHONES SIL\n"
    "\n"
    "well-known [WELL-KNOWN] W EH L N OW N\n"
    "'tis T IH Z\n"
    "café [] K AE F EY\n"
    "résumé R EH Z AH M EY\n"
    "RÉSUMÉ(2) R EY Z UW M EY\n"
    "read [READ] R IY D\n"
    "read(2) R EH D\n"
    "orphan\n";
const char kPlainDict[] =
    ";;; a plain pronouncing dictionary\r\n"
    "# with comments\r\n"
    "CAFE  K AE F EY\r\n"
    "NAIVE  N AY IY V\r\n"
    "GOIN'  G OW IH N\r\n"
    "\r\n";

std::string Write(const char *name, const char *text) {
    std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

class Normalise : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string why;
        ASSERT_TRUE(lexicon_.Load(Write("khapi_engine.dic", kEngineDict), &why)) << why;
        ASSERT_TRUE(lexicon_.Load(Write("khapi_plain.dict", kPlainDict), &why)) << why;
    }
    static tool::Lexicon lexicon_, unknown_;
};
tool::Lexicon Normalise::lexicon_, Normalise::unknown_;

TEST_F(Normalise, LexiconHoldsTheWordsOfBothFormats) {
    const std::pair<const char *, bool> kHas[] = {
        {"WELL-KNOWN", true}, {"well-known", true}, {"'TIS", true},  {"café", true},        {"CAFÉ", true},
        {"Résumé", true},     {"RESUME", false},    {"READ", true},  {"READ(2)", false},    {"CAFE", true},
        {"naive", true},      {"NAIVE\r", false},   {"GOIN'", true}, {"!!PHONESET", false}, {"!!PHONES", false},
        {"ORPHAN", false},    {";;;", false},       {"#", false},    {"", false},
    };
    for (const auto &[word, has] : kHas) EXPECT_EQ(lexicon_.Has(word), has) << word;
    EXPECT_EQ(lexicon_.Size(), 8u);
    tool::Lexicon none;
    std::string why;
    EXPECT_FALSE(none.Load(::testing::TempDir() + "no/such.dic", &why));
    EXPECT_NE(why.find("no/such.dic"), std::string::npos) << why;
    EXPECT_TRUE(none.Empty());
}

// Texts read alike whatever the dictionaries hold.
const std::pair<const char *, Words> kTexts[] = {
    {"10 of clubs", {"TEN", "OF", "CLUBS"}},
    {"Don’t say ‘isn’t’; it's ten o'clock.", {"DON'T", "SAY", "ISN'T", "IT'S", "TEN", "O'CLOCK"}},
    {"\"Yes\", “no” „ja“ «oui» 'maybe'", {"YES", "NO", "JA", "OUI", "MAYBE"}},
    {"wait—what? now–then ‒ ― -- ok", {"WAIT", "WHAT", "NOW", "THEN", "OK"}},
    {"naïve Straße Ærø Œuvre Łódź ŞİŞLİ façade", {"NAIVE", "STRASSE", "AERO", "OEUVRE", "LODZ", "SISLI", "FACADE"}},
    {"cafe\xCC\x81 ÿ ﬁnal", {"CAFE", "Y", "FINAL"}},  // a decomposed accent, a ligature
    {"Москва αβγ 東京 ab😀cd", {"МОСКВА", "ΑΒΓ", "東京", "AB", "CD"}},
    {"21 1,000,000 305 999,999,999,999",
     {"TWENTY",  "ONE",    "ONE",     "MILLION",  "THREE",   "HUNDRED", "FIVE",   "NINE",    "HUNDRED",
      "NINETY",  "NINE",   "BILLION", "NINE",     "HUNDRED", "NINETY",  "NINE",   "MILLION", "NINE",
      "HUNDRED", "NINETY", "NINE",    "THOUSAND", "NINE",    "HUNDRED", "NINETY", "NINE"}},
    {"1000000000000 007 10,20",
     {"ONE", "ZERO", "ZERO", "ZERO", "ZERO", "ZERO", "ZERO", "ZERO", "ZERO", "ZERO", "ZERO", "ZERO", "ZERO", "ZERO",
      "ZERO", "SEVEN", "TEN", "TWENTY"}},
    {"1990 1905 1900 2000 2005",
     {"NINETEEN", "NINETY", "NINETEEN", "OH", "FIVE", "NINETEEN", "HUNDRED", "TWO", "THOUSAND", "TWO", "THOUSAND",
      "FIVE"}},
    {"2010 2099 1066 2100 1,990",
     {"TWENTY", "TEN", "TWENTY", "NINETY", "NINE", "ONE", "THOUSAND", "SIXTY", "SIX", "TWO", "THOUSAND", "ONE",
      "HUNDRED", "ONE", "THOUSAND", "NINE", "HUNDRED", "NINETY"}},
    {"1990s 1900s 2000s '80s", {"NINETEEN", "NINETIES", "NINETEEN", "HUNDREDS", "TWO", "THOUSANDS", "EIGHTIES"}},
    {"1st 2nd 3RD 21st 100th 12th", {"FIRST", "SECOND", "THIRD", "TWENTY", "FIRST", "ONE", "HUNDREDTH", "TWELFTH"}},
    {"0th 5x", {"ZERO", "TH", "FIVE", "X"}},
    {"3.5 0.25 .5 -5 −2.5",
     {"THREE", "POINT", "FIVE", "ZERO", "POINT", "TWO", "FIVE", "POINT", "FIVE", "MINUS", "FIVE", "MINUS", "TWO",
      "POINT", "FIVE"}},
    {"5-3 COVID-19 mp3", {"FIVE", "THREE", "COVID", "NINETEEN", "MP", "THREE"}},
    {"50% 1990% rock & roll",
     {"FIFTY", "PERCENT", "ONE", "THOUSAND", "NINE", "HUNDRED", "NINETY", "PERCENT", "ROCK", "AND", "ROLL"}},
    {"$5 $1 $3.50 $1.01",
     {"FIVE", "DOLLARS", "ONE", "DOLLAR", "THREE", "DOLLARS", "FIFTY", "CENTS", "ONE", "DOLLAR", "ONE", "CENT"}},
    {"$0.50 $2.5 million £1 €3.05",
     {"FIFTY", "CENTS", "TWO", "POINT", "FIVE", "MILLION", "DOLLARS", "ONE", "POUND", "THREE", "EUROS", "FIVE",
      "CENTS"}},
    {"It cost $5. Then 3, then 4.", {"IT", "COST", "FIVE", "DOLLARS", "THEN", "THREE", "THEN", "FOUR"}},
    {"10:30 10:05 10:00 13:00 25:99",
     {"TEN", "THIRTY", "TEN", "OH", "FIVE", "TEN", "O'CLOCK", "THIRTEEN", "HUNDRED", "TWENTY", "FIVE", "NINETY",
      "NINE"}},
    {"１０ ＡＢ", {"TEN", "AB"}},                                                             // full width
    {"caf\xE9 don\x92t \x93quoted\x94 \x96 na\xEFve", {"CAFE", "DON'T", "QUOTED", "NAIVE"}},  // Windows Latin-1
    {"x\xC3 \xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80 \xE2\x80", {"XA", "A", "I", "O", "A"}},    // broken UTF-8
    {"", {}},
    {" ,.;:!?()[]{}<>|$_*/\\@#~^", {}},
};

TEST_F(Normalise, ReadsTextsAsPeopleWriteThem) {
    for (const auto &[text, words] : kTexts) {
        EXPECT_EQ(tool::SpokenWords(text, lexicon_), words) << text;
        EXPECT_EQ(tool::SpokenWords(text, unknown_), words) << text;
    }
}

// Texts whose reading depends on what the dictionaries hold.
struct Known {
    const char *text;
    Words with_lexicon, without;
};
const Known kKnown[] = {
    {"a well-known-ish word", {"A", "WELL-KNOWN", "ISH", "WORD"}, {"A", "WELL", "KNOWN", "ISH", "WORD"}},
    {"Well‐Known", {"WELL-KNOWN"}, {"WELL", "KNOWN"}},  // a typographic hyphen
    {"'Tis goin' ’tis’", {"'TIS", "GOIN'", "'TIS"}, {"TIS", "GOIN", "TIS"}},
    {"café résumé RÉSUMÉ resume", {"CAFE", "RÉSUMÉ", "RÉSUMÉ", "RESUME"}, {"CAFE", "RESUME", "RESUME", "RESUME"}},
};

TEST_F(Normalise, KeepsHyphensAccentsAndApostrophesTheLexiconHolds) {
    for (const Known &k : kKnown) {
        EXPECT_EQ(tool::SpokenWords(k.text, lexicon_), k.with_lexicon) << k.text;
        EXPECT_EQ(tool::SpokenWords(k.text, unknown_), k.without) << k.text;
    }
}

// Every word is something the grammar can hold: capitals, apostrophes and
// hyphens in ASCII, valid UTF-8 above it.
bool Speakable(const std::string &word) {
    if (word.empty() || word.front() == '-' || word.back() == '-') return false;
    for (size_t i = 0; i < word.size(); i++) {
        unsigned char c = static_cast<unsigned char>(word[i]);
        if (c >= 0x80) {
            size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
            if (len == 0 || i + len > word.size()) return false;
            for (size_t k = 1; k < len; k++)
                if ((static_cast<unsigned char>(word[i + k]) & 0xC0) != 0x80) return false;
            i += len - 1;
        } else if (!(c >= 'A' && c <= 'Z') && c != '\'' && c != '-') {
            return false;
        }
    }
    return true;
}

TEST_F(Normalise, HostileBytesGiveSpeakableWords) {
    std::mt19937 random(7);
    std::string junk(100000, ' ');
    for (char &c : junk) c = static_cast<char>(1 + random() % 255);
    std::string hyphens, digits(100000, '9');
    for (int i = 0; i < 50000; i++) hyphens += "a-";
    const std::pair<std::string, size_t> kHostile[] = {
        {hyphens, 50000},
        {digits, 100000},
        {std::string(100000, 'x'), 1},
        {std::string(100000, '\''), 0},
        {std::string(100000, '\xE9'), 1},
    };
    for (const auto &[text, count] : kHostile) EXPECT_EQ(tool::SpokenWords(text, lexicon_).size(), count);
    Words words = tool::SpokenWords(junk, lexicon_);
    EXPECT_GT(words.size(), 1000u);
    EXPECT_EQ(words, tool::SpokenWords(junk, lexicon_));
    for (const std::string &w : words) ASSERT_TRUE(Speakable(w)) << w;
}

// Every word a number is read with is in the packaged dictionary.
TEST(PackagedDictionary, HoldsEveryNumberWord) {
    const char *path = std::getenv("KHAPI_SYSDICT");
    if (!path) GTEST_SKIP() << "KHAPI_SYSDICT names no dictionary";
    tool::Lexicon sysdict;
    std::string why;
    ASSERT_TRUE(sysdict.Load(path, &why)) << why;
    EXPECT_GT(sysdict.Size(), 100000u);
    std::string text = "999,999,999,999 999,999,999,999th -.5 0.5 & 50% 1,000,000th 1,000,000,000th";
    for (int n = 0; n <= 2100; n++) {
        std::string s = std::to_string(n), pair = (n % 100 < 10 ? "0" : "") + std::to_string(n % 100);
        text += " " + s + " " + s + "th " + s + "s $" + s + " $" + s + ".01 £" + s + ".01 €" + s + ".5 " +
            std::to_string(n % 24) + ":" + pair;
    }
    for (const std::string &w : tool::SpokenWords(text, tool::Lexicon())) EXPECT_TRUE(sysdict.Has(w)) << w;
    EXPECT_EQ(tool::SpokenWords("well-known mother-in-law café naïve 'tis", sysdict),
              Words({"WELL-KNOWN", "MOTHER-IN-LAW", "CAFE", "NAIVE", "'TIS"}));
}

// Weak forms are given for the function words the dictionary has, in the
// phones the model has.
TEST(PackagedDictionary, GivesTheWeakFormsOfItsFunctionWords) {
    const char *path = std::getenv("KHAPI_SYSDICT");
    if (!path) GTEST_SKIP() << "KHAPI_SYSDICT names no dictionary";
    std::vector<std::string> phones = {"AE", "AH", "D", "DH", "F", "HH", "IY", "N", "R", "V"};
    std::string forms = tool::WeakFormEntries(path, phones);
    for (const char *line : {"HE(11) IY\n", "AND(11) AH N\n", "AND(12) AE N\n", "HAVE(11) AH V\n"})
        EXPECT_NE(forms.find(line), std::string::npos) << line << " in " << forms;
    EXPECT_EQ(forms.find("F ER"), std::string::npos) << "ER is not one of the phones";
    EXPECT_EQ(tool::WeakFormEntries("/nonexistent/dict", phones), "");
}

}  // namespace
