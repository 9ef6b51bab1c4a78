// Pronunciations guessed for words that no dictionary holds, in the phone
// set of the packaged system dictionary and of other phone sets.
#include "dict_file.h"
#include "hapi.h"
#include "notes.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace {

// The guess, or "<refused>".
std::string guess(hapiDictObject d, const char *word) {
    int n = hapiDictGuessPron(d, word, nullptr);
    if (n < 0) return "<refused>";
    std::string s(static_cast<size_t>(n) + 1, '\x7f');
    EXPECT_EQ(hapiDictGuessPron(d, word, &s[0]), n);
    EXPECT_EQ(s[static_cast<size_t>(n)], '\0');
    s.resize(static_cast<size_t>(n));
    return s;
}

class GuessTest : public ::testing::Test {
protected:
    // The packaged system dictionary, loaded once for all the tests.
    static void SetUpTestSuite() { sysdict_ = load(ENGINE_SYSDICT); }
    static void TearDownTestSuite() { hapiDeleteDictObject(sysdict_); }
    void SetUp() override { ASSERT_NE(sysdict_, nullptr) << ENGINE_SYSDICT; }

    static hapiDictObject sysdict_;
    TempDir dir_;
};

hapiDictObject GuessTest::sysdict_ = nullptr;

TEST_F(GuessTest, RealAndMadeUpWordsInTheSystemPhoneSet) {
    // Each word and its guess: the lexicon's words in the dictionary's
    // phones, made-up ones by the letter-to-sound rules.
    const char *table[][2] = {{"HELLO", "HH AH L OW"},
                              {"hello", "HH AH L OW"},
                              {"About", "AH B AW T"},
                              {"O'NEILL", "AA N IY L"},
                              {"ZORBLAX", "Z AO R B L AE K S"},
                              {"QWRTP", "K R T P"},
                              {"JACK-IN-THE-BOX", "JH AE K IH N DH AH B AA K S"}};
    int n = hapiDictAllPhoneNames(sysdict_, nullptr);
    std::vector<const char *> names(static_cast<size_t>(n) + 1);
    hapiDictAllPhoneNames(sysdict_, names.data());
    std::set<std::string> phone_set(names.begin() + 1, names.end());
    for (const auto &row : table) {
        std::string got = guess(sysdict_, row[0]);
        EXPECT_EQ(got, row[1]) << row[0];
        std::istringstream phones(got);
        for (std::string p; phones >> p;) EXPECT_TRUE(phone_set.count(p)) << row[0] << ": " << p;
    }
    // The whole length is allowed.
    EXPECT_NE(guess(sysdict_, std::string(HAPI_GUESS_MAX_WORD, 'A').c_str()), "<refused>");
}

TEST_F(GuessTest, AGuessCanBeAddedToADictionaryOfThatPhoneSet) {
    hapiDictObject d = hapiEmptyDictObject(sysdict_);
    ASSERT_NE(d, nullptr);
    std::string pron = guess(d, "ZORBLAX");
    EXPECT_EQ(hapiDictAddItem(d, "ZORBLAX", pron.c_str(), nullptr), 2);
    hapiDictFinalise(d);
    EXPECT_EQ(hapiDictNumProns(d, 2), 1);
    hapiDeleteDictObject(d);
}

TEST_F(GuessTest, RefusesWhatItCannotGuess) {
    std::string too_long(HAPI_GUESS_MAX_WORD + 1, 'A');
    const char *refused[] = {"",    "R2D2", "HELLO!",      "TWO WORDS",     "-", "A--B", "-AB",
                             "AB-", "'",    "CAF\xc3\x89", too_long.c_str()};
    for (const char *word : refused) {
        Notes notes;
        EXPECT_EQ(hapiDictGuessPron(sysdict_, word, nullptr), -1) << word;
        EXPECT_EQ(notes.text().rfind("hapiDictGuessPron: ", 0), 0u) << word;
        EXPECT_EQ(std::count(notes.text().begin(), notes.text().end(), '\n'), 1) << notes.text();
    }
    Notes notes;
    EXPECT_EQ(hapiDictGuessPron(nullptr, "HELLO", nullptr), -1);
    EXPECT_EQ(hapiDictGuessPron(sysdict_, nullptr, nullptr), -1);
    EXPECT_EQ(notes.text(), "hapiDictGuessPron: no dictionary\nhapiDictGuessPron: no word\n");
}

TEST_F(GuessTest, PhonesAreMatchedToThePhoneSetGiven) {
    // Lower-case names answer in lower case; a phone set with its own schwa
    // keeps it; one that lacks a needed phone refuses the word.
    hapiDictObject lower = load(dir_.write("lower.dict", "!!PHONESET z ao r b l ae k s\n"));
    hapiDictObject schwa = load(dir_.write("schwa.dict", "!!PHONESET AX AH B AW T\n"));
    hapiDictObject no_s = load(dir_.write("no-s.dict", "!!PHONESET Z AO R B L AE K\n"));
    ASSERT_TRUE(lower && schwa && no_s);
    EXPECT_EQ(guess(lower, "ZORBLAX"), "z ao r b l ae k s");
    EXPECT_EQ(guess(schwa, "ABOUT"), "AX B AW T");
    Notes notes;
    EXPECT_EQ(guess(no_s, "ZORBLAX"), "<refused>");
    EXPECT_EQ(notes.text(), "hapiDictGuessPron: ZORBLAX: the phone set has no phone for s\n");
    for (hapiDictObject d : {lower, schwa, no_s}) hapiDeleteDictObject(d);
}

}  // namespace
