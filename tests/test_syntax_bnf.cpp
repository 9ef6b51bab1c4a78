// Options written in BNF: the lattice every construct builds, the reader's
// messages, the separators and FORCECASE (each under its own configuration)
// with the case conversions of names and text, and the words fetched into
// the dictionaries on the way.
#include <cerrno>
#include <cstring>
#include <tuple>

#include "dict/dict.h"
#include "frame/case.h"
#include "frame/trace.h"
#include "syntax_support.h"

using namespace khtest;

namespace {

class Bnf : public SyntaxTest {
protected:
    // A new syntax with one option; its picture, or the log when refused.
    std::string Shape(const std::string &name, const std::string &bnf) {
        KhSyntax s = khSyntaxCreate(name.c_str(), nullptr);
        if (khSyntaxAddOption(s, bnf.c_str()) != 1) return "refused: " + Log();
        return Picture(s);
    }
};

}  // namespace

TEST_F(Bnf, EveryConstructHasItsShape) {
    Start();
    EXPECT_EQ(Shape("alt", "yes | no"), "nodes: !NULL !NULL YES_ALT !NULL NO_ALT | arcs: 1>3 3>4 1>5 5>4 4>2");
    EXPECT_EQ(Shape("rep", "<yes>"), "nodes: !NULL !NULL !NULL YES_REP !NULL | arcs: 1>3 3>4 4>3 4>5 5>2");
    EXPECT_EQ(Shape("grp", "(yes | no)"),
              "nodes: !NULL !NULL !NULL YES_GRP !NULL NO_GRP | arcs: 1>3 3>4 4>5 3>6 6>5 5>2");
    EXPECT_EQ(Shape("any", "{yes}"),
              "nodes: !NULL !NULL !NULL !NULL YES_ANY !NULL | arcs: 1>3 3>4 4>5 5>4 5>6 3>6 6>2");
    EXPECT_EQ(Shape("opt", "[yes | no] stop"),
              "nodes: !NULL !NULL !NULL YES_OPT !NULL NO_OPT !NULL STOP_OPT"
              " | arcs: 1>3 3>4 4>5 3>6 6>5 5>7 3>7 7>8 8>2");
    EXPECT_EQ(Shape("inc", "go $ALT"), "nodes: !NULL !NULL GO_INC $ALT | arcs: 1>3 3>4 4>2");
}

TEST_F(Bnf, RefusedOptionsLeaveTheLatticeAsItWas) {
    Start();
    ASSERT_NE(khSyntaxCreate("empty", nullptr), nullptr);
    KhSyntax s = Make("s", {"yes"});
    ASSERT_EQ(khSyntaxAddOption(khSyntaxCreate("outer", nullptr), "go $s"), 1);
    std::string before = Picture(s);
    struct Case {
        std::string bnf;
        const char *messages;
    } cases[] = {
        {"", "khSyntaxAddOption: BNF string is invalid"},
        {" ,. !", ""},
        {"yes | | no", ""},
        {"()", ""},
        {"| yes", ""},
        {"[yes", "ReadBNF: Missing ']'"},
        {"<yes", "ReadBNF: Missing '>'"},
        {"(yes", "ReadBNF: Missing ')'"},
        {"{yes", "ReadBNF: Missing '}'"},
        {"yes ] no", "khSyntaxAddOption: Error in BNF"},
        {"xyzzyq",
         "GetWordId: Unable to find word XYZZYQ in system dictionary|"
         "Could not find word XYZZYQ in dictionaries"},
        {"$ empty", "khSyntaxAddOption: Invalid syntax name"},
        {"$nope", "khSyntaxAddOption: Cannot find the syntax with name NOPE"},
        {"$empty", "khSyntaxAddOption: Syntax EMPTY is empty and has not been added"},
        {"no $s", "khSyntaxAddOption: Cannot allow circular includes of lattices"},
        {"no $outer", "khSyntaxAddOption: Cannot allow circular includes of lattices"},
        {std::string(300, 'A'), "ReadBNF: Word or syntax name too long"},
        {"$" + std::string(300, 'A'), "ReadBNF: Word or syntax name too long"},
        {"yes " + std::string(1020, ' '), "khSyntaxAddOption: BNF string is invalid"},
    };
    for (const Case &c : cases) {
        Workspace fresh_log_dir;  // a new folder: the log is opened afresh
        kh::ResetLogStream();
        EXPECT_EQ(khSyntaxAddOption(s, c.bnf.c_str()), -1) << c.bnf;
        std::string expected;
        std::string messages = c.messages;
        for (size_t at = 0; !messages.empty() && at != std::string::npos;) {
            size_t bar = messages.find('|', at);
            expected += "ERROR - " + messages.substr(at, bar - at) + "\r\n\r\n";
            at = bar == std::string::npos ? bar : bar + 1;
        }
        if (!Contains(messages, "BNF string is invalid"))
            expected += "ERROR - khSyntaxAddOption: Error in adding sentence\r\n\r\n";
        EXPECT_EQ(Log(), expected) << c.bnf;
        EXPECT_EQ(Picture(s), before) << c.bnf;
    }
}

TEST_F(Bnf, WordsComeFromTheSystemDictionaryOnceAndAreSaved) {
    Start("FULL");
    Make("s", {"hello"});
    Make("t", {"hello"});
    EXPECT_EQ(Occurrences(Log(), "Attempting to retrieve word HELLO from system/user dictionary"), 1);
    std::string file = ReadFile("english.dic");
    EXPECT_TRUE(Contains(file, "\nHELLO ") || file.rfind("HELLO ", 0) == 0) << file;
    hapiDictObject exercise = kh::g_state->current_vocab->exercise_dict;
    EXPECT_GT(hapiDictWordId(exercise, "HELLO_S"), 0);
    EXPECT_GT(hapiDictWordId(exercise, "HELLO_T"), 0);
    EXPECT_EQ(hapiDictWordId(exercise, "HELLO"), 0);
    // Every pronunciation of the word comes along.
    hapiDictObject vocab = kh::g_state->current_vocab->vocab_dict;
    EXPECT_EQ(hapiDictNumProns(exercise, hapiDictWordId(exercise, "HELLO_S")),
              hapiDictNumProns(vocab, hapiDictWordId(vocab, "HELLO")));
    // A marker word is fetched under its own name.
    int id = kh::GetWordId(kh::g_state->current_vocab, "<s>");
    EXPECT_GT(id, 0);
    EXPECT_EQ(hapiDictWordId(exercise, "<s>"), id);
    EXPECT_TRUE(Contains(ReadFile("english.dic"), "<s> SIL"));
}

TEST_F(Bnf, AnOptionSavesTheVocabularyOnceHoweverManyWordsItFetches) {
    Start("FULL", "NOTELOG = notes.log\n");
    KhSyntax s = khSyntaxCreate("s", nullptr);
    auto saved = [] {
        hapiDictObject d = hapiCreateDictObject();
        hapiDictOverrideFileName(d, "english.dic");
        std::string words;
        if (hapiDictInitialise(d) == 0)
            for (const char *w : {"ONE", "TWO", "SEVEN", "EIGHT", "NINE", "TEN"})
                if (hapiDictWordId(d, w) > 0) words += std::string(words.empty() ? "" : " ") + w;
        hapiDeleteDictObject(d);
        return words;
    };
    // The second save from here on fails: the option's eight words are
    // written by one save, and the file holds them all once it returns.
    ASSERT_EQ(hapiFaultInject("hapiDictSave", 2), 0);
    ASSERT_EQ(khSyntaxAddOption(s, "one | two | three | four | five | six | seven | eight"), 1);
    EXPECT_EQ(Occurrences(Log(), "Attempting to retrieve word"), 8);
    EXPECT_EQ(Occurrences(ReadFile("notes.log"), "hapiDictSave: injected fault"), 0);
    EXPECT_EQ(saved(), "ONE TWO SEVEN EIGHT");
    // A failed save fails the option, which is not added; the word stays in
    // the dictionaries, and the option is taken once a save has written it.
    std::string before = Picture(s);
    ASSERT_EQ(khSyntaxAddOption(s, "nine"), -1);
    EXPECT_EQ(Occurrences(ReadFile("notes.log"), "hapi: hapiDictSave: injected fault\n"), 1);
    EXPECT_TRUE(Contains(Log(),
                         "ERROR - khSyntaxAddOption: Unable to save vocabulary dictionary english.dic: " +
                             std::string(strerror(EIO)) + "\r\n\r\n"));
    EXPECT_EQ(Picture(s), before);
    EXPECT_EQ(saved(), "ONE TWO SEVEN EIGHT");
    ASSERT_EQ(khSyntaxAddOption(s, "nine | ten"), 1);
    EXPECT_EQ(saved(), "ONE TWO SEVEN EIGHT NINE TEN");
    EXPECT_EQ(Occurrences(Log(), "Attempting to retrieve word"), 10);  // nine was fetched once
}

TEST_F(Bnf, WordNameHelpers) {
    Start();
    EXPECT_FALSE(kh::IsMarkerWord("<S>"));
    EXPECT_EQ(kh::QualifiedWordName("HELP", nullptr), "HELP");
    EXPECT_EQ(kh::QualifiedWordName("!NULL", "S"), "!NULL");
    EXPECT_EQ(kh::QualifiedWordName("</s>", "S"), "</s>");  // a marker keeps its name
    EXPECT_EQ(kh::QualifiedWordName(std::string(250, 'A').c_str(), "SYNTAX"), "");
    char base[kh::kWordLen];
    EXPECT_STREQ(kh::WordBaseName("HELLO_GREET_X", base), "HELLO");
    EXPECT_STREQ(kh::WordBaseName("HELLO", base), "HELLO");
    EXPECT_EQ(kh::WordBaseName(nullptr, base), nullptr);
    EXPECT_EQ(kh::WordBaseName(std::string(400, 'A').c_str(), base), nullptr);
    EXPECT_EQ(kh::GetWordId(kh::g_state->current_vocab, ""), 0);
}

TEST_F(Bnf, EngineFailuresWhileAddingAnOption) {
    Start();
    KhSyntax s = Make("s", {"yes"});
    for (auto [call, bnf] : {std::pair{"hapiLatModify", "no"}, {"hapiLatFinalise", "no"}, {"hapiLatAddNode", "stop"}}) {
        hapiFaultInject(call, 1);
        EXPECT_EQ(khSyntaxAddOption(s, bnf), -1) << call;
    }
    EXPECT_EQ(Log(),
              "ERROR - khSyntaxAddOption: Unable to modify lattice\r\n\r\n"
              "ERROR - khSyntaxAddOption: Unable to finalise lattice\r\n\r\n"
              "ERROR - khSyntaxAddOption: Serious syntax error. Syntax is now invalid\r\n\r\n");
    // The syntax stays registered and takes options again.
    EXPECT_EQ(khSyntaxAddOption(s, "help"), 1);
}

TEST(CaseCopy, SeventeenLatin1PairsAndNothingElse) {
    const std::string upper = "\xC1\xC2\xC4\xC7\xC9\xCA\xCB\xCD\xCE\xCF\xD1\xD3\xD4\xD6\xDA\xDB\xDC";
    const std::string lower = "\xE1\xE2\xE4\xE7\xE9\xEA\xEB\xED\xEE\xEF\xF1\xF3\xF4\xF6\xFA\xFB\xFC";
    const std::string unpaired = "\xC0\xC3\xC5\xC8\xE0\xE3\xE5\xE8\xFF\xDF";
    using Copy = void (*)(const char *, char *, int);
    const Copy up = kh::UpperCaseCopy, down = kh::LowerCaseCopy;
    // Each copy, a pair to a line: the conversion, the text, the limit
    // (which bounds the copy) and what is copied.
    const std::tuple<Copy, std::string, int, std::string> copies[] = {
        {up, lower, 1024, upper},
        {down, upper, 1024, lower},
        {up, unpaired, 1024, unpaired},
        {down, unpaired, 1024, unpaired},
        {up, "Hello, World_1!", 1024, "HELLO, WORLD_1!"},
        {down, "Hello, World_1!", 1024, "hello, world_1!"},
        {up, "abcdefghijk", 5, "ABCD"},
        {down, "ABC", 0, "abc"},
        {up, "", 1024, ""},
    };
    for (const auto &[copy, text, limit, copied] : copies) {
        char out[1024];
        copy(text.c_str(), out, limit);
        EXPECT_EQ(out, copied) << text;
    }
    EXPECT_EQ(kh::CharToUpper('q'), 'Q');
    EXPECT_EQ(kh::CharToLower(static_cast<char>(0xC9)), static_cast<signed char>(0xE9));
}

TEST_F(Bnf, DefaultPunctuationSeparatesWords) {
    Start();
    KhSyntax s = Make("s", {"yes,please.\r\n"});
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL YES_S PLEASE_S | arcs: 1>3 3>4 4>2");
    KhSyntax t = khSyntaxCreate("t", nullptr);
    EXPECT_EQ(khSyntaxAddOption(t, "yes$no"), -1);  // one word
    EXPECT_TRUE(Contains(Log(), "Could not find word YES$NO in dictionaries"));
}

TEST_F(Bnf, PunctuationOfYourOwn) {
    Start("ERROR", "BNFPUNC = -[$\n");
    KhSyntax s = khSyntaxCreate("s", nullptr);
    EXPECT_EQ(khSyntaxAddOption(s, "yes, please."), -1);
    EXPECT_TRUE(Contains(Log(), "Could not find word YES, in dictionaries"));
    ASSERT_EQ(khSyntaxAddOption(s, "[yes-$no"), 1);
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL YES_S NO_S | arcs: 1>3 3>4 4>2");
}

TEST_F(Bnf, WithoutForcedCaseTextIsTakenAsWritten) {
    Start("ERROR", "FORCECASE = NONE\n");
    Make("b", {"YES"});
    KhSyntax s = khSyntaxCreate("s", nullptr);
    EXPECT_EQ(khSyntaxAddOption(s, "Yes"), -1);
    EXPECT_EQ(khSyntaxAddOption(s, "$b"), -1);
    EXPECT_TRUE(Contains(Log(), "Cannot find the syntax with name b\r\n"));
    ASSERT_EQ(khSyntaxAddOption(s, "NO $B"), 1);
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL NO_S $B | arcs: 1>3 3>4 4>2");
}

TEST_F(Bnf, LowerCaseForcedOnText) {
    Start("ERROR", "FORCECASE = lower\n");
    KhSyntax s = khSyntaxCreate("s", nullptr);
    EXPECT_EQ(khSyntaxAddOption(s, "YES"), -1);
    EXPECT_TRUE(Contains(Log(), "Could not find word yes in dictionaries"));
}
