// Configuration file reading and the override calls.
#include "hapi.h"
#include "notes.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <pwd.h>
#endif

namespace {

class ConfigTest : public ::testing::Test {
protected:
    // Loads text as the configuration; answers hapiInitHAPI's result.
    int init(const std::string &text) { return hapiInitHAPI(dir_.write("engine.conf", text).c_str(), 0); }

    // Loads text that must be refused; answers what was written on stderr.
    std::string init_refused(const std::string &text) {
        ::testing::internal::CaptureStderr();
        int rc = init(text);
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_LT(rc, 0) << text;
        return err;
    }

    static std::string str(const char *key) {
        const char *v = hapiOverrideConfStr(key, nullptr);
        return v ? v : "<unset>";
    }

    // Reads key as a string ('s'), int ('i'), float ('f') or boolean ('b'), printed.
    static std::string typed(char kind, const char *key) {
        auto show = [](const auto *v) { return v ? ::testing::PrintToString(*v) : std::string("<unset>"); };
        switch (kind) {
        case 'i':
            return show(hapiOverrideConfInt(key, nullptr));
        case 'f':
            return show(hapiOverrideConfFlt(key, nullptr));
        case 'b':
            return show(hapiOverrideConfBool(key, nullptr));
        default:
            return str(key);
        }
    }

    TempDir dir_;
};

// Each file replaces the whole configuration before its keys are read.
TEST_F(ConfigTest, ReadsKeysAndValues) {
    struct Key {
        char kind;
        const char *key, *want;
    };
    const struct {
        const char *text;
        std::vector<Key> keys;
    } files[] = {
        {"# engine settings\n\n   # an indented comment\nMMF = /models/en-us/mdef\nGENBEAM=250.5\n"
         "  NTOKS   =   7  \nAUDIOIN = \"file:some name.wav\"\nEMPTY =\nQUOTED_EMPTY = \"\"\nEQUALS = a=b\n"
         "HASH = red # not a comment\n",
         {{'s', "MMF", "/models/en-us/mdef"},
          {'s', "AUDIOIN", "file:some name.wav"},
          {'s', "EMPTY", ""},
          {'s', "QUOTED_EMPTY", ""},
          {'s', "EQUALS", "a=b"},
          {'s', "HASH", "red # not a comment"},
          {'f', "GENBEAM", "250.5"},
          {'i', "NTOKS", "7"}}},
        // Written on Windows: CRLF line ends, a Windows file name as a value,
        // and a last line without a line end.
        {"# written on Windows\r\n\r\nMMF = C:\\models\\en-us\\mdef\r\nNTOKS = 7\r\nFLAG = TRUE",
         {{'s', "MMF", "C:\\models\\en-us\\mdef"},
          {'i', "NTOKS", "7"},
          {'b', "FLAG", "1"},
          {'s', "AUDIOIN", "<unset>"}}},
        // Keys are case-sensitive and later lines win.
        {"GENBEAM = 1\nGENBEAM = 2\ngenbeam = 3\n",
         {{'s', "GENBEAM", "2"}, {'s', "genbeam", "3"}, {'s', "GenBeam", "<unset>"}}},
        {"B1 = TRUE\nB2 = true\nB3 = T\nB4 = t\nB5 = YES\nB6 = Yes\nB7 = 1\nB8 = FALSE\nB9 = False\nB10 = F\n"
         "B11 = f\nB12 = NO\nB13 = no\nB14 = 0\nB15 = maybe\n",
         {{'b', "B1", "1"},
          {'b', "B2", "1"},
          {'b', "B3", "1"},
          {'b', "B4", "1"},
          {'b', "B5", "1"},
          {'b', "B6", "1"},
          {'b', "B7", "1"},
          {'b', "B8", "0"},
          {'b', "B9", "0"},
          {'b', "B10", "0"},
          {'b', "B11", "0"},
          {'b', "B12", "0"},
          {'b', "B13", "0"},
          {'b', "B14", "0"},
          {'b', "B15", "<unset>"}}},
        // Typed reads refuse text of another type; the ends of the range are ints.
        {"WORD = hello\nBIG = 99999999999\nHALF = 0.5\nLEAST = -2147483648\n",
         {{'i', "LEAST", "-2147483648"},
          {'i', "WORD", "<unset>"},
          {'i', "BIG", "<unset>"},
          {'i', "HALF", "<unset>"},
          {'f', "WORD", "<unset>"},
          {'i', "MISSING", "<unset>"},
          {'f', "MISSING", "<unset>"},
          {'b', "MISSING", "<unset>"},
          {'s', "MISSING", "<unset>"}}},
    };
    for (const auto &f : files) {
        ASSERT_EQ(init(f.text), 0) << f.text;
        for (const Key &k : f.keys) EXPECT_EQ(typed(k.kind, k.key), k.want) << k.kind << " " << k.key;
    }
}

// "~" and "${...}" are expanded once, as the file is read.
TEST_F(ConfigTest, ValuesNameTheUsersFolders) {
#ifdef _WIN32
    const char *home_variable = "USERPROFILE";
    const std::string home = "C:\\Users\\tester";
#else
    const char *home_variable = "HOME";
    const std::string home = "/home/tester";
#endif
    const char *saved = getenv(home_variable);
    const std::string saved_home = saved ? saved : "";
    set_env(home_variable, home.c_str());
    set_env("KILN_SET", "/set");
    set_env("KILN_EMPTY", "");
    set_env("KILN_RAW", "${KILN_SET}~");
    unset_env("KILN_UNSET");
    const struct {
        const char *value;
        std::string want;
    } values[] = {
        {"~", home},
        {"~/.local/share/khapi/english.dic", home + "/.local/share/khapi/english.dic"},
        {"\"~/a b\"", home + "/a b"},
        {"~user/x", "~user/x"},  // only the user's own home
        {"a/~/x", "a/~/x"},
        {"${KILN_SET}/khapi", "/set/khapi"},
        {"${KILN_UNSET}/khapi", "/khapi"},
        {"${KILN_SET:-~/fallback}", "/set"},
        {"${KILN_UNSET:-~/.local/state}/khapi/khapi.log", home + "/.local/state/khapi/khapi.log"},
        {"${KILN_EMPTY:-fallback}", "fallback"},
        {"${KILN_UNSET:-}x", "x"},
        {"${KILN_UNSET:-${KILN_SET}/in}", "/set/in"},
        {"${KILN_UNSET:-${KILN_EMPTY:-deep}}/x", "deep/x"},
        {"${KILN_UNSET:-~}", home},
        {"${KILN_SET}${KILN_SET}", "/set/set"},
        {"${KILN_RAW}", "${KILN_SET}~"},  // what a variable holds is kept as it is
        {"$HOME/x costs $5 or $", "$HOME/x costs $5 or $"},
        {"{KILN_SET} }", "{KILN_SET} }"},
        {"${KILN_UNSET:-C:\\x}", "C:\\x"},
    };
    std::string text;
    for (size_t i = 0; i < sizeof values / sizeof values[0]; i++)
        text += "V" + std::to_string(i) + " = " + values[i].value + "\n";
    ASSERT_EQ(init(text), 0) << text;
    for (size_t i = 0; i < sizeof values / sizeof values[0]; i++)
        EXPECT_EQ(str(("V" + std::to_string(i)).c_str()), values[i].want) << values[i].value;
    // Set later, a value is taken as it is.
    EXPECT_STREQ(hapiOverrideConfStr("LATER", "~/${KILN_SET}"), "~/${KILN_SET}");
#ifndef _WIN32
    // Without $HOME, the password database names the home folder.
    unset_env("HOME");
    const struct passwd *pw = getpwuid(getuid());
    ASSERT_EQ(init("V = ~/x\n"), 0);
    if (pw && pw->pw_dir && *pw->pw_dir) {
        EXPECT_EQ(str("V"), std::string(pw->pw_dir) + "/x");
    }
#endif
    if (saved) set_env(home_variable, saved_home.c_str());
    else unset_env(home_variable);
}

TEST_F(ConfigTest, OverridesAreKeptExactlyAsText) {
    ASSERT_EQ(init("NBEST = 1\n"), 0);
    int five = 5;
    hapiOverrideConfInt("NBEST", &five);
    EXPECT_EQ(str("NBEST"), "5");  // a typed value is text like any other
    float beam = 0.1f;
    hapiOverrideConfFlt("GOPTBEAM", &beam);
    EXPECT_EQ(*hapiOverrideConfFlt("GOPTBEAM", nullptr), 0.1f);  // exactly, not nearly
    int yes = 7;                                                 // any non-zero value is true
    hapiOverrideConfBool("LATSAVE", &yes);
    EXPECT_EQ(*hapiOverrideConfBool("LATSAVE", nullptr), 1);
    EXPECT_STREQ(hapiOverrideConfStr("BKHMMNAME", ""), "");
    EXPECT_EQ(hapiOverrideConfStr(nullptr, nullptr), nullptr);
}

// A refused file keeps the previous configuration.
TEST_F(ConfigTest, MalformedLinesAreRefusedWithFileAndLine) {
    ASSERT_EQ(init("KEEP = me\n"), 0);
    const char *bad[] = {
        "NOEQUALS\n",              // no '='
        "= value\n",               // no key
        "TWO WORDS = 1\n",         // blank inside the key
        "OPEN = \"half quoted\n",  // unbalanced quote
        "CLOSE = half quoted\"\n",
        "OPEN = ${UNCLOSED/x\n",  // an unterminated ${
        "OPEN = ${A:-${B}/x\n",
        "EMPTY = ${}\n",  // no name, or not a name
        "NAME = ${TWO WORDS}\n",
        "COLON = ${A:fallback}\n",
    };
    for (const char *line : bad) {
        std::string err = init_refused(std::string("# first\nKEEP = other\n") + line);
        EXPECT_NE(err.find(dir_.file("engine.conf") + ":3:"), std::string::npos) << line << err;
        EXPECT_EQ(str("KEEP"), "me") << line;
    }
}

// Notes go to the program's sink when one is set, else to standard error.
TEST_F(ConfigTest, MissingFileAndBadArguments) {
    {
        Notes notes;
        ::testing::internal::CaptureStderr();
        EXPECT_LT(hapiInitHAPI(nullptr, 0), 0);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(notes.text(), "hapiInitHAPI: no configuration file\n");
    }
    ::testing::internal::CaptureStderr();
    EXPECT_LT(hapiInitHAPI(dir_.file("absent.conf").c_str(), 0), 0);
    EXPECT_LT(hapiInitHAPI(dir_.write("ok.conf", "A = 1\n").c_str(), 1), 0);
    EXPECT_LT(hapiInitHAPI(dir_.path().c_str(), 0), 0);  // a folder is no file
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("hapi: cannot read configuration file " + dir_.file("absent.conf") + "\n", 0), 0u) << err;
}

// The note log gets every note as well, from the moment the key names it.
TEST_F(ConfigTest, NotesAreCopiedToTheNoteLog) {
    std::string log = dir_.file("notes.log");
    Notes notes;
    ASSERT_EQ(init("NOTELOG = " + log + "\n"), 0);
    EXPECT_LT(hapiInitHAPI(dir_.file("absent.conf").c_str(), 0), 0);
    EXPECT_EQ(str("NOTELOG"), log);  // the failed read kept the configuration
    hapiOverrideConfStr("NOTELOG", dir_.file("no folder/notes.log").c_str());
    EXPECT_LT(hapiInitHAPI(nullptr, 0), 0);  // an unopenable note log is passed over
    EXPECT_EQ(notes.text(),
              "cannot read configuration file " + dir_.file("absent.conf") + "\nhapiInitHAPI: no configuration file\n");
    EXPECT_EQ(read_file(log), "hapi: cannot read configuration file " + dir_.file("absent.conf") + "\n");
}

TEST_F(ConfigTest, InjectedFaultFailsOneCall) {
    // Armed from the environment as the configuration is read.
    set_env("HAPI_FAULT", "hapiOverrideConfStr:2,hapiNoSuchCall");
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(init("A = 1\n"), 0);
    unset_env("HAPI_FAULT");
    EXPECT_STREQ(hapiOverrideConfStr("A", nullptr), "1");
    EXPECT_EQ(hapiOverrideConfStr("A", nullptr), nullptr);
    EXPECT_STREQ(hapiOverrideConfStr("A", nullptr), "1");
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("HAPI_FAULT: cannot arm 'hapiNoSuchCall'"), std::string::npos) << err;
    EXPECT_NE(err.find("injected fault"), std::string::npos) << err;
    EXPECT_LT(hapiFaultInject("notAnEngineCall", 1), 0);
    EXPECT_LT(hapiFaultInject("hapiNoSuchCall", 1), 0);  // looks like one, but nothing asks for it
    EXPECT_LT(hapiFaultInject("hapiDictSave", 0), 0);
    ASSERT_EQ(hapiFaultInject("hapiOverrideConfStr", 1), 0);
    hapiFaultClear();
    EXPECT_STREQ(hapiOverrideConfStr("A", nullptr), "1");
}

}  // namespace
