// Syntaxes by name: creating, finding, the case of names, inclusion
// bookkeeping and shallow and deep deletion.
#include "syntax_support.h"

using namespace khtest;

using Registry = SyntaxTest;

TEST_F(Registry, NamesAreStoredInUpperCaseFoundInAnyCaseAndRefusedWhenBad) {
    Start();
    KhSyntax s = khSyntaxCreate("greeting", nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(Rec(s)->name, "GREETING");
    EXPECT_EQ(Rec(s)->isEmpty, 1);
    EXPECT_EQ(Picture(s), "nodes: | arcs:");
    EXPECT_EQ(khSyntaxReturn("Greeting"), s);
    EXPECT_EQ(khSyntaxReturn("GREETING"), s);
    KhSyntax latin1 = khSyntaxCreate("caf\xE9 \xE8t\xE9", nullptr);
    ASSERT_NE(latin1, nullptr);
    EXPECT_STREQ(Rec(latin1)->name, "CAF\xC9 \xE8T\xC9");
    EXPECT_EQ(khSyntaxReturn("CAF\xC9 \xE8t\xE9"), latin1);
    EXPECT_EQ(khSyntaxCreate("GreeTing", nullptr), nullptr);
    EXPECT_EQ(khSyntaxReturn("greeting"), s);
    EXPECT_EQ(khSyntaxCreate(nullptr, nullptr), nullptr);
    EXPECT_EQ(khSyntaxCreate("", nullptr), nullptr);
    EXPECT_EQ(khSyntaxCreate(std::string(256, 'A').c_str(), nullptr), nullptr);
    EXPECT_NE(khSyntaxCreate(std::string(255, 'A').c_str(), nullptr), nullptr);
    for (const char *name : {"", static_cast<const char *>(nullptr), "farewell"})
        EXPECT_EQ(khSyntaxReturn(name), nullptr);
    EXPECT_EQ(Log(),
              "ERROR - NewSyntax: Duplicate syntax name GREETING\r\n\r\n"
              "ERROR - khSyntaxCreate: invalid syntax name\r\n\r\n"
              "ERROR - khSyntaxCreate: invalid syntax name\r\n\r\n"
              "ERROR - khSyntaxCreate: invalid syntax name\r\n\r\n"
              "ERROR - khSyntaxReturn: No such syntax name \r\n\r\n"
              "ERROR - khSyntaxReturn: No such syntax name \r\n\r\n"
              "ERROR - khSyntaxReturn: No such syntax name FAREWELL\r\n\r\n");
}

TEST_F(Registry, ShallowDeletion) {
    Start();
    KhSyntax b = Make("b", {"yes"}), a = Make("a", {"$B and $B", "no $B"});
    EXPECT_EQ(Links(a), "includes: B*3 | in:");  // counted once per pair
    EXPECT_EQ(Links(b), "includes: | in: A*3");
    EXPECT_EQ(khSyntaxDeleteShallow(b), -1);
    EXPECT_EQ(khSyntaxReturn("b"), b);
    EXPECT_EQ(khSyntaxDeleteShallow(a), 1);
    EXPECT_EQ(Links(b), "includes: | in:");  // every inclusion goes at once
    EXPECT_EQ(khSyntaxReturn("a"), nullptr);
    EXPECT_EQ(khSyntaxDeleteShallow(a), -1);  // the handle is dead
    EXPECT_EQ(khSyntaxDeleteShallow(b), 1);
    EXPECT_EQ(kh::g_state->current_vocab->syntaxes, nullptr);
    EXPECT_EQ(Log(),
              "ERROR - khSyntaxDeleteShallow: Syntax is contained in another syntax. Cannot delete\r\n\r\n"
              "ERROR - khSyntaxReturn: No such syntax name A\r\n\r\n"
              "ERROR - SysError: Invalid syntax\r\n\r\n");
}

TEST_F(Registry, DeepDeletionKeepsWhatOthersStillInclude) {
    Start("FULL");
    KhSyntax c = Make("c", {"yes"});
    Make("b", {"no"});
    KhSyntax d = Make("d", {"$C"}), a = Make("a", {"$B | $C"});
    EXPECT_EQ(khSyntaxDeleteDeep(c), -1);
    EXPECT_TRUE(Contains(Log(), "ERROR - khSyntaxDeleteDeep: Cannot delete top level syntax because it is included in "
                           "another syntax\r\n"));
    EXPECT_EQ(khSyntaxDeleteDeep(a), 1);
    EXPECT_EQ(khSyntaxReturn("a"), nullptr);
    EXPECT_EQ(khSyntaxReturn("b"), nullptr);
    EXPECT_EQ(khSyntaxReturn("c"), c);
    EXPECT_EQ(khSyntaxReturn("d"), d);
    EXPECT_EQ(Links(c), "includes: | in: D*1");
    // The deletions are nested calls of khSyntaxDeleteShallow.
    EXPECT_EQ(Occurrences(Log(), "  khSyntaxDeleteShallow: Entering\r\n"), 2);
    EXPECT_EQ(Occurrences(Log(), "  khSyntaxDeleteShallow: Leaving\r\n  khSyntaxDeleteShallow: Entering"), 1);
}

TEST_F(Registry, DeepDeletionOfASharedChainKeepsTheWholeSharedPart) {
    Start();
    KhSyntax c = Make("c", {"yes"}), b = Make("b", {"$C"}), a = Make("a", {"$B no"}), d = Make("d", {"$B"});
    // b is needed by d, so c, which only b includes, stays as well.
    EXPECT_EQ(khSyntaxDeleteDeep(a), 1);
    EXPECT_EQ(khSyntaxReturn("a"), nullptr);
    EXPECT_EQ(khSyntaxReturn("b"), b);
    EXPECT_EQ(khSyntaxReturn("c"), c);
    EXPECT_EQ(Links(c), "includes: | in: B*1");
    EXPECT_EQ(khSyntaxDeleteDeep(d), 1);
    EXPECT_EQ(kh::g_state->current_vocab->syntaxes, nullptr);
}
