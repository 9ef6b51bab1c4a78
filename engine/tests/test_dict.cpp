// Dictionaries: editing, reading, the file format and saving.
#include "dict_file.h"
#include "hapi.h"
#include "notes.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

std::string word_name(hapiDictObject d, int id) {
    int n = hapiDictWordName(d, id, nullptr);
    if (n <= 0) return "<none>";
    std::string s(static_cast<size_t>(n), '\0');
    hapiDictWordName(d, id, &s[0]);
    s.resize(static_cast<size_t>(n - 1));
    return s;
}

std::string pron(hapiDictObject d, int id, int p) {
    int n = hapiDictWordPron(d, id, p, nullptr);
    if (n < 0) return "<none>";
    std::string s(static_cast<size_t>(n) + 1, '\0');
    hapiDictWordPron(d, id, p, &s[0]);
    s.resize(static_cast<size_t>(n));
    return s;
}

std::string outsym(hapiDictObject d, int id, int p) {
    const char *s = hapiDictPronOutSym(d, id, p, nullptr);
    return s ? s : "<none>";
}

std::vector<std::string> phones(hapiDictObject d) {
    int n = hapiDictAllPhoneNames(d, nullptr);
    std::vector<const char *> names(static_cast<size_t>(n) + 1);
    EXPECT_EQ(hapiDictAllPhoneNames(d, names.data()), n);
    return std::vector<std::string>(names.begin() + 1, names.end());
}

// Every word with every pronunciation and output symbol, in order.
std::string describe(hapiDictObject d) {
    std::string out;
    for (int w = 1; w <= hapiDictNumWords(d); w++) {
        out += word_name(d, w) + ":";
        for (int p = 1; p <= hapiDictNumProns(d, w); p++) out += " {" + pron(d, w, p) + "|" + outsym(d, w, p) + "}";
        out += "\n";
    }
    return out;
}

class DictTest : public ::testing::Test {
protected:
    void SetUp() override {
        d_ = hapiCreateDictObject();
        ASSERT_NE(d_, nullptr);
    }
    void TearDown() override { hapiDeleteDictObject(d_); }

    // Saves d and loads it back: the same words and phones, and saved
    // again, the same bytes.
    void expect_round_trip(hapiDictObject d, const std::string &name) {
        std::string path = dir_.file(name), again = dir_.file("again-" + name);
        ASSERT_EQ(hapiDictSave(d, path.c_str()), 0);
        hapiDictObject back = load(path);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(describe(back), describe(d));
        EXPECT_EQ(phones(back), phones(d));
        EXPECT_EQ(hapiDictSave(back, again.c_str()), 0);
        EXPECT_EQ(read_file(again), read_file(path));
        hapiDeleteDictObject(back);
    }

    hapiDictObject d_ = nullptr;
    TempDir dir_;
    Notes notes_;  // what the refused calls say
};

// ---- a dictionary in memory -------------------------------------------------

TEST_F(DictTest, ItemsAreAddedOnlyWhileModifying) {
    EXPECT_LT(hapiDictAddItem(d_, "hello", "HH AH L OW", nullptr), 0);
    ASSERT_EQ(hapiDictModify(d_), 0);
    ASSERT_EQ(hapiDictModify(d_), 0);
    EXPECT_EQ(hapiDictAddItem(d_, "hello", "HH AH L OW", nullptr), 2);
    ASSERT_EQ(hapiDictFinalise(d_), 0);
    ASSERT_EQ(hapiDictFinalise(d_), 0);
    EXPECT_LT(hapiDictAddItem(d_, "world", "W ER L D", nullptr), 0);
    EXPECT_EQ(hapiDictPronOutSym(d_, 2, 1, "HELLO"), nullptr);
    EXPECT_EQ(hapiDictNumWords(d_), 2);
    EXPECT_EQ(outsym(d_, 2, 1), "<none>");
}

TEST_F(DictTest, WordsPronunciationsAndOutputSymbols) {
    hapiDictModify(d_);
    EXPECT_EQ(hapiDictAddItem(d_, "read", "  R  IY\tD ", "READ"), 2);
    EXPECT_EQ(hapiDictAddItem(d_, "read", "R EH D", ""), 2);
    EXPECT_EQ(hapiDictAddItem(d_, "Read", "R IY D", nullptr), 3);  // names are case-sensitive
    EXPECT_EQ(hapiDictWordId(d_, "READ"), 0);
    EXPECT_EQ(hapiDictWordPron(d_, 2, 1, nullptr), 6);
    // Blanks normalised; an empty symbol given with an item is none.
    EXPECT_EQ(describe(d_), "!NULL:\nread: {R IY D|READ} {R EH D|<none>}\nRead: {R IY D|<none>}\n");
    EXPECT_STREQ(hapiDictPronOutSym(d_, 2, 2, "RED"), "RED");
    EXPECT_STREQ(hapiDictPronOutSym(d_, 3, 1, ""), "");  // set afterwards, an empty symbol is not none
    EXPECT_EQ(describe(d_), "!NULL:\nread: {R IY D|READ} {R EH D|RED}\nRead: {R IY D|}\n");
    EXPECT_EQ(phones(d_), (std::vector<std::string>{"R", "IY", "D", "EH"}));
    char name[8];
    EXPECT_EQ(hapiDictPhoneName(d_, 4, name), 3);
    EXPECT_STREQ(name, "EH");
    EXPECT_EQ(hapiDictPhoneName(d_, 4, nullptr), 3);
    std::vector<int> refused = {
        hapiDictPhoneName(d_, 0, name),      hapiDictPhoneName(d_, 5, name), hapiDictWordPron(d_, 2, 3, nullptr),
        hapiDictWordPron(d_, 4, 1, nullptr), hapiDictNumProns(d_, 0),        hapiDictWordName(d_, 4, nullptr),
        hapiDictWordId(d_, nullptr),         hapiDictWordId(nullptr, "read")};
    for (size_t i = 0; i < refused.size(); i++) EXPECT_LT(refused[i], 0) << "call " << i;
    EXPECT_EQ(hapiDictPronOutSym(d_, 2, 0, nullptr), nullptr);
}

TEST_F(DictTest, RefusesWhatCouldNotBeSavedOrHandedOut) {
    hapiDictModify(d_);
    std::string longest(HAPI_MAX_NAME - 1, 'w');
    std::string too_long(HAPI_MAX_NAME, 'w');
    std::string long_pron;
    while (long_pron.size() < HAPI_MAX_NAME) long_pron += "AH ";
    EXPECT_GT(hapiDictAddItem(d_, longest.c_str(), "W", nullptr), 0);
    // Each refused item: its word, pronunciation and output symbol.
    const char *refused[][3] = {
        {nullptr, "W", nullptr},         {too_long.c_str(), "W", nullptr}, {"long", long_pron.c_str(), nullptr},
        {"long", "W", too_long.c_str()}, {"empty", "  ", nullptr},         {"", "W", nullptr},
        {"two words", "W", nullptr},     {"word(2)", "W", nullptr},        {"!!PHONESET", "W", nullptr},
        {"!!PHONES", "W", nullptr},      {"bracket", "W [X]", nullptr},    {"sym", "W", "a]b"},
        {"sym", "W", "line\nbreak"}};
    for (const auto &r : refused) EXPECT_LT(hapiDictAddItem(d_, r[0], r[1], r[2]), 0) << r[0] << " / " << r[1];
    EXPECT_EQ(hapiDictPronOutSym(d_, 2, 1, too_long.c_str()), nullptr);
    EXPECT_EQ(hapiDictNumWords(d_), 2);
    EXPECT_EQ(hapiDictWordName(d_, 2, nullptr), HAPI_MAX_NAME);
    EXPECT_EQ(phones(d_), std::vector<std::string>{"W"});  // refused items add no phones
}

TEST_F(DictTest, EmptyDictionaryKeepsThePhoneSet) {
    hapiDictModify(d_);
    hapiDictAddItem(d_, "cat", "K AE T", nullptr);
    hapiDictFinalise(d_);
    hapiDictObject e = hapiEmptyDictObject(d_);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(hapiDictNumWords(e), 1);
    EXPECT_EQ(phones(e), phones(d_));
    // It starts modifiable, and its phone set is declared, so closed.
    EXPECT_EQ(hapiDictPhoneSetDeclared(d_), 0);
    EXPECT_EQ(hapiDictPhoneSetDeclared(e), 1);
    EXPECT_EQ(hapiDictPhoneSetDeclared(nullptr), -1);
    EXPECT_EQ(hapiDictAddItem(e, "tack", "T AE K", nullptr), 2);
    EXPECT_LT(hapiDictAddItem(e, "dog", "D AO G", nullptr), 0);
    hapiDictFinalise(e);
    expect_round_trip(e, "empty.dict");
    hapiDeleteDictObject(e);
}

// ---- files ------------------------------------------------------------------

TEST_F(DictTest, ReadsTheFileFormat) {
    std::string path = dir_.write("small.dict",
                                  "!!PHONESET AH B K T\r\n"
                                  "!!PHONES D\n"
                                  "\n"
                                  "but B AH T\n"
                                  "a(2) AH\n"
                                  "a [A] AH\n"
                                  "a(3)  [] \tK AH\n"
                                  "[NOISE] [a noise] D\n"
                                  "tub(x) T AH B");  // no final newline
    hapiDictObject d = load(path);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(phones(d), (std::vector<std::string>{"AH", "B", "K", "T", "D"}));
    EXPECT_EQ(hapiDictPhoneSetDeclared(d), 1);
    EXPECT_EQ(describe(d),
              "!NULL:\n"
              "but: {B AH T|<none>}\n"
              "a: {AH|<none>} {AH|A} {K AH|}\n"
              "[NOISE]: {D|a noise}\n"
              "tub(x): {T AH B|<none>}\n");
    EXPECT_EQ(hapiDictWordId(d, "!!PHONESET"), 0);
    EXPECT_EQ(hapiDictWordId(d, "a(2)"), 0);
    // A loaded dictionary is finalised.
    EXPECT_LT(hapiDictAddItem(d, "tab", "T AH B", nullptr), 0);
    hapiDeleteDictObject(d);
}

TEST_F(DictTest, SavesWhatItLoads) {
    ASSERT_EQ(hapiDictModify(d_), 0);
    const char *items[][3] = {{"zebra", "Z IY B R AH", "ZEBRA"},
                              {"zebra", "Z EH B R AH", nullptr},
                              {"<s>", "SIL", nullptr},
                              {"New_York", "N UW Y AO R K", "New York"},
                              {"caf\xc3\xa9", "K AE F EY", nullptr}};
    for (const auto &i : items) ASSERT_GT(hapiDictAddItem(d_, i[0], i[1], i[2]), 0) << i[0];
    ASSERT_NE(hapiDictPronOutSym(d_, 3, 1, ""), nullptr);
    ASSERT_EQ(hapiDictFinalise(d_), 0);
    expect_round_trip(d_, "round.dict");
}

TEST_F(DictTest, SaveWithoutNameUsesTheDictionarysFile) {
    std::string path = dir_.write("own.dict", "one W AH N\n");
    hapiDictObject d = load(path);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(hapiDictPhoneSetDeclared(d), 0);  // a file without the line
    hapiDictModify(d);
    hapiDictAddItem(d, "won", "W AH N", nullptr);
    ASSERT_EQ(hapiDictSave(d, nullptr), 0);
    EXPECT_EQ(read_file(path), "!!PHONESET W AH N\none W AH N\nwon W AH N\n");
    EXPECT_EQ(dir_.entries(), std::vector<std::string>{"own.dict"});  // no temporary file left behind
    hapiDeleteDictObject(d);
}

TEST_F(DictTest, FailedSaveKeepsTheOldFile) {
    // A folder in the way of the rename: the new file cannot take its place.
    std::string blocked = dir_.file("blocked.dict");
    ASSERT_EQ(make_dir(blocked), 0);
    dir_.write("blocked.dict/inside", "x");
    EXPECT_LT(hapiDictSave(d_, blocked.c_str()), 0);
#ifdef _WIN32
    EXPECT_EQ(errno, EACCES);  // errno says why
#else
    EXPECT_EQ(errno, EISDIR);  // errno says why
#endif
    EXPECT_LT(hapiDictSave(d_, dir_.file("no/such/folder.dict").c_str()), 0);
    EXPECT_EQ(errno, ENOENT);
    const std::string &err = notes_.text();
    EXPECT_NE(err.find("blocked.dict"), std::string::npos);
    EXPECT_EQ(dir_.entries(), std::vector<std::string>{"blocked.dict"});
}

TEST_F(DictTest, FailedSaveInALockedFolderKeepsTheOldFile) {
    if (!folders_can_be_locked())
        GTEST_SKIP() << "no folder is locked against this process (root may write anywhere; "
                        "Windows does not lock read-only folders)";
    std::string locked = dir_.file("locked");
    ASSERT_EQ(make_dir(locked), 0);
    std::string path = dir_.write("locked/words.dict", "old W\n");
    ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    EXPECT_LT(hapiDictSave(d_, path.c_str()), 0);
    EXPECT_EQ(read_file(path), "old W\n");
}

TEST_F(DictTest, FailedLoadLeavesTheDictionaryAsItWas) {
    EXPECT_LT(hapiDictInitialise(d_), 0);  // no file name yet
    hapiDictObject d = load(dir_.write("good.dict", "one W AH N\n"));
    ASSERT_NE(d, nullptr);
    for (const std::string &bad : {test_data("dict_no_phones.dict"), dir_.file("absent.dict"), dir_.path()}) {
        hapiDictOverrideFileName(d, bad.c_str());
        EXPECT_LT(hapiDictInitialise(d), 0) << bad;
        EXPECT_EQ(hapiDictWordId(d, "one"), 2) << bad;
    }
    EXPECT_EQ(hapiDictNumWords(d), 2);
    EXPECT_NE(notes_.text().find("absent.dict"), std::string::npos);
    hapiDeleteDictObject(d);
}

}  // namespace
