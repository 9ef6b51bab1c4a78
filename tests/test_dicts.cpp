// The system and user dictionaries: loading once, merging, phone sets,
// and vocabulary dictionaries created when missing; and words that no
// dictionary holds, whose pronunciations GUESSPRONS has guessed into the
// exercise dictionary alone, with a note that says so.
#include "dict/dict.h"
#include "dict/dict.h"
#include "khapi.h"
#include "recognition.h"

using namespace khtest;

namespace {

std::string SmallConfig(const std::string &dict_lines) {
    return "DEBUG = FULL\n" + ModelLines() + "VOCAB1 = V\nVMODEL = ENUS\nVDICT = vocab.dic\n" + dict_lines;
}

// Starts the library with an existing vocabulary dictionary, so that
// nothing else needs the system dictionary, and answers the system
// dictionary, which a second call answers again without reading anything.
hapiDictObject LoadedOnce(const std::string &dict_lines) {
    WriteFile("vocab.dic", PhoneSetLine() + "HELLO HH AH L OW\n");
    EXPECT_EQ(InitWith(SmallConfig(dict_lines)), 1);
    hapiDictObject d = kh::LoadSysDict();
    EXPECT_EQ(kh::LoadSysDict(), d);
    return d;
}

std::string Pron(hapiDictObject d, const char *word, int p) {
    std::string phones, sym;
    bool has;
    int id = hapiDictWordId(d, word);
    if (id <= 0 || !kh::ReadPron(d, id, p, &phones, &sym, &has)) return "?";
    return has ? "[" + sym + "] " + phones : phones;
}

const char kNote[] = "NOTE - GetWordId: Guessed the pronunciation of ZORBLAX: Z AO R B L AE K S\r\n\r\n";

// The log of an option refused for a word that no dictionary holds.
std::string Refused(const std::string &word) {
    return "ERROR - GetWordId: Unable to find word " + word +
        " in system dictionary\r\n\r\n"
        "ERROR - Could not find word " +
        word +
        " in dictionaries\r\n\r\n"
        "ERROR - khSyntaxAddOption: Error in adding sentence\r\n\r\n";
}

// A started system at level ERROR, GUESSPRONS set as given.
class Guessed : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        std::string guess = GetParam() ? "TRUE" : "FALSE";
        ASSERT_EQ(InitWith(StandardConfig("DEBUG = ERROR\nGUESSPRONS = " + guess + "\n")), 1);
    }
    Workspace ws_;
};

}  // namespace

TEST(SystemDictionary, IsLoadedOnceAndMergedWithTheUserDictionary) {
    Workspace ws;
    WriteFile("sys.dic", PhoneSetLine() + "HELLO HH AH L OW\nWORLD W ER L D\n");
    std::string long_pron = "AH";  // as long as the engine takes
    while (long_pron.size() + 3 < HAPI_MAX_NAME) long_pron += " AH";
    WriteFile("user.dic",
              PhoneSetLine() + "HELLO [greeting] HH AH L OW\nHELLO HH EH L OW\nNEWWORD N UW\nLONG " + long_pron + "\n");
    hapiDictObject d = LoadedOnce("SYSDICT = sys.dic\nUSERDICT = user.dic\n");
    ASSERT_NE(d, nullptr);
    // A shared pronunciation is kept once and takes the user's symbol; a
    // new one is added; a new word joins.
    EXPECT_EQ(hapiDictNumProns(d, hapiDictWordId(d, "HELLO")), 2);
    EXPECT_EQ(Pron(d, "HELLO", 1) + "|" + Pron(d, "HELLO", 2) + "|" + Pron(d, "NEWWORD", 1) + "|" + Pron(d, "WORLD", 1),
              "[greeting] HH AH L OW|HH EH L OW|N UW|W ER L D");
    EXPECT_EQ(Pron(d, "LONG", 1), long_pron);
    EXPECT_GT(kh::GetWordId(kh::g_state->current_vocab, "LONG"), 0);
    EXPECT_EQ(Pron(kh::g_state->current_vocab->exercise_dict, "LONG", 1), long_pron);
    std::string log = Log();
    EXPECT_TRUE(Contains(log,
                         "  Attempting to load the system dictionary\r\n"
                         "  Attempting to load the user dictionary\r\n"
                         "  Valid system dictionary returned\r\n"))
        << log;
}

TEST(SystemDictionary, UserDictionaryAloneStandsInForAMissingSystemOne) {
    Workspace ws;
    WriteFile("user.dic", PhoneSetLine() + "NEWWORD N UW\n");
    hapiDictObject d = LoadedOnce("USERDICT = user.dic\n");
    ASSERT_NE(d, nullptr);
    EXPECT_GT(hapiDictWordId(d, "NEWWORD"), 0);
}

TEST(SystemDictionary, UnreadableSystemDictionaryIsNotTriedAgain) {
    Workspace ws;
    EXPECT_EQ(LoadedOnce("SYSDICT = missing.dic\n"), nullptr);
    std::string log = Log();
    size_t first = log.find("ERROR - LoadSysDict: Unable to read system dictionary missing.dic\r\n\r\n");
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find("LoadSysDict: Unable to read", first + 20), std::string::npos) << log;
}

TEST(SystemDictionary, AUserDictionaryOnAnotherPhoneSetIsNotMerged) {
    Workspace ws;
    WriteFile("sys.dic", PhoneSetLine() + "HELLO HH AH L OW\n");
    WriteFile("user.dic", "!!PHONESET X Y\nODD X Y\n");
    hapiDictObject d = LoadedOnce("SYSDICT = sys.dic\nUSERDICT = user.dic\n");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(hapiDictWordId(d, "ODD"), 0);
    EXPECT_TRUE(Contains(Log(), "ERROR - AddDict2Dict: Dictionaries do not have the same phone set\r\n\r\n"));
}

// The system dictionary alone is answered, once and at once, without
// claiming a valid merged one.
TEST(SystemDictionary, AnUnreadableUserDictionaryLeavesTheSystemOne) {
    Workspace ws;
    WriteFile("sys.dic", PhoneSetLine() + "HELLO HH AH L OW\n");
    WriteFile("user.dic", "this is [ not a dictionary\n");
    hapiDictObject d = LoadedOnce("SYSDICT = sys.dic\nUSERDICT = user.dic\n");
    ASSERT_NE(d, nullptr);
    std::string log = Log();
    const std::string only =
        "  LoadSysDict: Unable to load user dictionary user.dic (returning system dictionary only)\r\n";
    EXPECT_TRUE(Contains(log, only)) << log;
    EXPECT_EQ(log.find(only), log.rfind(only)) << log;
    EXPECT_FALSE(Contains(log, "Valid system dictionary returned")) << log;
}

// A missing file, or an empty one that another program is still creating,
// becomes an empty dictionary with the system phone set.
class VocabularyFile : public ::testing::TestWithParam<bool> {};

TEST_P(VocabularyFile, IsCreatedWithTheSystemPhoneSet) {
    Workspace ws;
    WriteFile("sys.dic", PhoneSetLine() + "HELLO HH AH L OW\n");
    if (GetParam()) WriteFile("vocab.dic", "");
    ASSERT_EQ(InitWith(SmallConfig("SYSDICT = sys.dic\n")), 1);
    ASSERT_TRUE(Exists("vocab.dic"));
    hapiDictObject vocab = kh::g_state->current_vocab->vocab_dict;
    EXPECT_TRUE(kh::PhoneSetsEqual(vocab, kh::LoadSysDict()));
    EXPECT_EQ(hapiDictWordId(vocab, "HELLO"), 0);
    EXPECT_EQ(ReadFile("vocab.dic"), PhoneSetLine());  // saved as made; the engine reads back what it saves
}

INSTANTIATE_TEST_SUITE_P(VocabularyDictionary, VocabularyFile, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &i) { return i.param ? "Empty" : "Missing"; });

// A vocabulary dictionary file without a phone-set line takes the system
// phone set, so that words with other phones can be fetched into it and
// its next save declares the whole set; one that declares another phone
// set refuses them.
struct PhoneSetCase {
    const char *name;
    const char *declared;  // the file's phone-set line
    int status;
};

class VocabularyPhoneSet : public ::testing::TestWithParam<PhoneSetCase> {};

TEST_P(VocabularyPhoneSet, IsTheSystemsUnlessTheFileDeclaresAnother) {
    Workspace ws;
    const PhoneSetCase &c = GetParam();
    const std::string words = "HELLO HH AH L OW\nGO G OW\n";
    WriteFile("vocab.dic", c.declared + words);
    ASSERT_EQ(InitWith(SmallConfig("DEBUG = ERROR\nSYSDICT = " + SystemDictPath() + "\n")), 1) << Log();
    EXPECT_EQ(khSyntaxAddOption(khSyntaxCreate("s", nullptr), "HELLO GO FORWARD"), c.status);
    std::string file = ReadFile("vocab.dic");
    if (c.status == 1) {
        EXPECT_EQ(file.substr(0, PhoneSetLine().size() + words.size()), PhoneSetLine() + words);
        EXPECT_TRUE(Contains(file, "\nFORWARD F AO R W ER D\n")) << file;
    } else {
        EXPECT_EQ(file, c.declared + words);
        EXPECT_TRUE(Contains(Log(),
                             "ERROR - GetWordId: Unable to add word FORWARD to vocabulary dictionary vocab.dic: "
                             "it has another phone set\r\n\r\n"))
            << Log();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, VocabularyPhoneSet,
                         ::testing::Values(PhoneSetCase{"Undeclared", "", 1},
                                           PhoneSetCase{"DeclaredAnother", "!!PHONESET HH AH L OW G\n", -1}),
                         RowName());

// A vocabulary dictionary that does not load is kept and refused, unless
// VOCABCACHE says it is only a cache of fetched words: then it is set aside
// (over an older one) and made afresh, when it can be set aside.
struct DamagedCase {
    const char *name;
    const char *cache;
    bool folder_in_the_way;  // a folder holds the name it would be set aside as
    int status;
    const char *message;
};

class DamagedVocabulary : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedVocabulary, IsRenewedOnlyAsACache) {
    Workspace ws;
    const DamagedCase &c = GetParam();
    const std::string damaged = PhoneSetLine() + "HELLO [unterminated HH AH L OW\n";
    WriteFile("sys.dic", PhoneSetLine() + "HELLO HH AH L OW\n");
    WriteFile("vocab.dic", damaged);
    if (c.folder_in_the_way) {
        std::filesystem::create_directory("vocab.dic.damaged");
        WriteFile("vocab.dic.damaged/kept", "");
    } else {
        WriteFile("vocab.dic.damaged", "an older one\n");
    }
    EXPECT_EQ(InitWith(SmallConfig(std::string("SYSDICT = sys.dic\nVOCABCACHE = ") + c.cache + "\n")), c.status);
    EXPECT_TRUE(Contains(Log(), std::string("ERROR - ") + c.message + "\r\n\r\n")) << Log();
    bool renewed = c.status == 1;
    EXPECT_EQ(ReadFile("vocab.dic"), renewed ? PhoneSetLine() : damaged);
    if (!c.folder_in_the_way) {
        EXPECT_EQ(ReadFile("vocab.dic.damaged"), renewed ? damaged : "an older one\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, DamagedVocabulary,
                         ::testing::Values(DamagedCase{"NotACache", "FALSE", false, -1,
                                                       "LoadDict: Unable to load existing file vocab.dic"},
                                           DamagedCase{"ACache", "TRUE", false, 1,
                                                       "LoadDict: Unable to load existing file vocab.dic: set aside as "
                                                       "vocab.dic.damaged and made afresh"},
                                           DamagedCase{"ACacheThatCannotBeSetAside", "TRUE", true, -1,
                                                       "LoadDict: Unable to load existing file vocab.dic"}),
                         RowName());

// A word the engine cannot guess fails as it would without guessing.
TEST_P(Guessed, AWordNoDictionaryHoldsIsGuessedOnlyWhenAsked) {
    KhSyntax s = khSyntaxCreate("S", nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(khSyntaxAddOption(s, "GO R2D2"), -1);
    int added = khSyntaxAddOption(s, "GO FORWARD ZORBLAX METERS");
    std::string log = Log();
    if (!GetParam()) {
        EXPECT_EQ(added, -1);
        EXPECT_EQ(log, Refused("R2D2") + Refused("ZORBLAX"));
        return;
    }
    ASSERT_EQ(added, 1) << log;
    EXPECT_EQ(log, Refused("R2D2") + kNote);
    // The recording aligns with all four words, and the guess is not kept
    // in the vocabulary dictionary file, which the fetched words reached.
    KhRecogniser rec = khRecCreate();
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(RecogniseWhole(rec, s), "GO FORWARD ZORBLAX METERS");
    EXPECT_EQ(khRecGetWords(rec, nullptr), 4);
    std::string vocab = ReadFile("english.dic");
    EXPECT_TRUE(Contains(vocab, "\nFORWARD ")) << vocab;
    EXPECT_FALSE(Contains(vocab, "ZORBLAX")) << vocab;
    EXPECT_EQ(Log(), log);
}

INSTANTIATE_TEST_SUITE_P(GuessProns, Guessed, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &i) { return i.param ? "On" : "Off"; });
