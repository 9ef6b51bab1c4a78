// Switching options off by the sentence they spell and back on again,
// through included syntaxes.
#include "syntax_support.h"

using namespace khtest;

namespace {

int StackSize(KhSyntax s) {
    int n = 0;
    for (kh::DisableRecord *d = Rec(s)->disables; d; d = d->next) n++;
    return n;
}

using Disable = SyntaxTest;

}  // namespace

TEST_F(Disable, TheLastEnabledOptionCannotBeDisabled) {
    Start();
    KhSyntax s = Make("s", {"yes", "no"});
    EXPECT_EQ(khSyntaxDisableOption(s, "yes"), 1);
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL YES_S NO_S | arcs: 1>3(disabled) 3>2 1>4 4>2");
    EXPECT_EQ(khSyntaxDisableOption(s, "yes"), -1);
    EXPECT_EQ(khSyntaxDisableOption(s, "no"), -1);
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL YES_S NO_S | arcs: 1>3(disabled) 3>2 1>4 4>2");
    EXPECT_EQ(StackSize(s), 1);
    EXPECT_EQ(Log(),
              "ERROR - khSyntaxDisableOption: Arc already disabled\r\n\r\n"
              "ERROR - khSyntaxDisableOption: No valid path through lattice. Undoing disable.\r\n\r\n");
}

TEST_F(Disable, SentencesThatFindNothing) {
    Start("FULL");
    KhSyntax s = Make("s", {"yes please", "no", "stop [now]"});
    // "yes" is one word short of an option; after "stop" a word may follow.
    for (const std::string &sentence : {std::string("maybe"), std::string("yes"), std::string("stop"),
                                        std::string("no no"), std::string(), std::string(" ,. !"), std::string(1500, 'A')})
        EXPECT_EQ(khSyntaxDisableOption(s, sentence.c_str()), -1) << sentence;
    EXPECT_EQ(khSyntaxDisableOption(s, nullptr), -1);
    EXPECT_EQ(Occurrences(Log(), "ERROR - khSyntaxDisableOption: No path found\r\n"), 4);
    EXPECT_EQ(Occurrences(Log(), "ERROR - khSyntaxDisableOption: invalid sentence\r\n"), 4);
    EXPECT_EQ(khSyntaxDisableOption(s, "Yes, please!"), 1);
    EXPECT_TRUE(Contains(Log(), "  Number of words in sentence is 2\r\n"));
    EXPECT_EQ(khSyntaxDisableOption(s, "stop now"), 1);
    EXPECT_EQ(StackSize(s), 2);
}

TEST_F(Disable, WordsInsideIncludedAndLoadedSubLattices) {
    Start();
    KhSyntax cup = Make("cup", {"coffee | tea"});
    KhSyntax s = Make("s", {"stop", "$CUP please"});
    EXPECT_EQ(khSyntaxDisableOption(s, "tea please"), 1);
    // The arc disabled is the start arc of the including syntax.
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL STOP_S $CUP PLEASE_S | arcs: 1>3 3>2 1>4(disabled) 4>5 5>2");
    EXPECT_EQ(Picture(cup), "nodes: !NULL !NULL COFFEE_CUP !NULL TEA_CUP | arcs: 1>3 3>4 1>5 5>4 4>2");
    EXPECT_EQ(khSyntaxDisableOption(s, "tea"), -1);
    EXPECT_TRUE(Contains(Log(), "No path found"));
    // Sub-lattices of a loaded file, nested twice.
    KhSyntax order = khSyntaxCreate("order", Data("syntax_nested.lat").c_str());
    ASSERT_NE(order, nullptr);
    EXPECT_EQ(khSyntaxDisableOption(order, "large coffee please"), -1);
    EXPECT_EQ(Occurrences(Log(), "No path found"), 2);
    // Found, but it is the only option, so the disable is undone.
    EXPECT_EQ(khSyntaxDisableOption(order, "large coffee please small tea"), -1);
    EXPECT_TRUE(Contains(Log(), "No valid path through lattice. Undoing disable."));
    EXPECT_EQ(StackSize(order), 0);
}

TEST_F(Disable, ReEnablingUndoesTheMostRecentFirst) {
    Start("FULL");
    KhSyntax s = Make("s", {"yes", "no", "stop"});
    EXPECT_EQ(khSyntaxReEnableOptions(s, 0), 1);
    EXPECT_TRUE(Contains(Log(), "  No options to enable\r\n"));
    ASSERT_EQ(khSyntaxDisableOption(s, "yes"), 1);
    ASSERT_EQ(khSyntaxDisableOption(s, "no"), 1);
    EXPECT_EQ(khSyntaxReEnableOptions(s, -1), 1);
    EXPECT_EQ(StackSize(s), 2);
    EXPECT_EQ(khSyntaxReEnableOptions(s, 1), 1);
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL YES_S NO_S STOP_S | arcs: 1>3(disabled) 3>2 1>4 4>2 1>5 5>2");
    EXPECT_EQ(khSyntaxReEnableOptions(s, 2), -1);
    EXPECT_TRUE(Contains(Log(), "ERROR - khSyntaxReEnableOptions: Tried to undo more than actual number of disables"));
    EXPECT_EQ(StackSize(s), 0);
    EXPECT_EQ(ArcScore(s, 1), 0.0);
    // A score written behind the stack's back is noticed.
    ASSERT_EQ(khSyntaxDisableOption(s, "stop"), 1);
    float zero = 0.0f;
    hapiLatArcScore(Rec(s)->lattice, 5, 1, &zero);
    EXPECT_EQ(khSyntaxReEnableOptions(s, 0), -1);
    EXPECT_TRUE(Contains(Log(), "ERROR - khSyntaxReEnableOptions: Arc was not originally disabled"));
    EXPECT_EQ(StackSize(s), 1);
}

TEST_F(Disable, AddingAnOptionReEnablesEverything) {
    Start("FULL");
    KhSyntax s = Make("s", {"yes", "no"});
    ASSERT_EQ(khSyntaxDisableOption(s, "yes"), 1);
    EXPECT_EQ(khSyntaxAddOption(s, ""), -1);
    EXPECT_TRUE(Contains(Log(), "  Reenabling all disables\r\n  khSyntaxReEnableOptions: Entering\r\n"));
    EXPECT_EQ(StackSize(s), 0);
    EXPECT_EQ(ArcScore(s, 1), 0.0);
    ASSERT_EQ(khSyntaxDisableOption(s, "no"), 1);
    EXPECT_EQ(khSyntaxAddOption(s, "stop"), 1);
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL YES_S NO_S STOP_S | arcs: 1>3 3>2 1>4 4>2 1>5 5>2");
    // Deleting a syntax with disables writes nothing back and frees them.
    ASSERT_EQ(khSyntaxDisableOption(s, "stop"), 1);
    EXPECT_EQ(khSyntaxDeleteShallow(s), 1);
}
