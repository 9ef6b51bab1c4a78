// The separators of BNF text and FORCECASE, each under its own
// configuration.
#include "syntax_support.h"

using namespace khtest;

using BnfText = SyntaxTest;

TEST_F(BnfText, DefaultPunctuationSeparatesWords) {
    Start();
    KhSyntax s = Make("s", {"yes,please.\r\n"});
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL YES_S PLEASE_S | arcs: 1>3 3>4 4>2");
    KhSyntax t = khSyntaxCreate("t", nullptr);
    EXPECT_EQ(khSyntaxAddOption(t, "yes$no"), -1);  // one word
    EXPECT_TRUE(Contains(Log(), "Could not find word YES$NO in dictionaries"));
}

TEST_F(BnfText, PunctuationOfYourOwn) {
    Start("ERROR", "BNFPUNC = -[$\n");
    KhSyntax s = khSyntaxCreate("s", nullptr);
    EXPECT_EQ(khSyntaxAddOption(s, "yes, please."), -1);
    EXPECT_TRUE(Contains(Log(), "Could not find word YES, in dictionaries"));
    ASSERT_EQ(khSyntaxAddOption(s, "[yes-$no"), 1);
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL YES_S NO_S | arcs: 1>3 3>4 4>2");
}

TEST_F(BnfText, WithoutForcedCaseTextIsTakenAsWritten) {
    Start("ERROR", "FORCECASE = NONE\n");
    Make("b", {"YES"});
    KhSyntax s = khSyntaxCreate("s", nullptr);
    EXPECT_EQ(khSyntaxAddOption(s, "Yes"), -1);
    EXPECT_EQ(khSyntaxAddOption(s, "$b"), -1);
    EXPECT_TRUE(Contains(Log(), "Cannot find the syntax with name b\r\n"));
    ASSERT_EQ(khSyntaxAddOption(s, "NO $B"), 1);
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL NO_S $B | arcs: 1>3 3>4 4>2");
}

TEST_F(BnfText, LowerCaseForcedOnText) {
    Start("ERROR", "FORCECASE = lower\n");
    KhSyntax s = khSyntaxCreate("s", nullptr);
    EXPECT_EQ(khSyntaxAddOption(s, "YES"), -1);
    EXPECT_TRUE(Contains(Log(), "Could not find word yes in dictionaries"));
}
