// Switching options off by the sentence they spell and back on again,
// through included syntaxes; and syntaxes that a failed step or a hostile
// lattice file must not leave half made: failed passes undone, failed
// loads leaving nothing behind, sub-lattice names that clash, and sentence
// searches that must find every path whatever the nesting or the order of
// arcs.
#include "syntax_support.h"

using namespace khtest;

namespace {

// A lattice file of one block per entry; each block is "NAME" then its
// node and arc lines.
std::string LatticeFile(std::initializer_list<std::pair<const char *, std::vector<std::string>>> blocks) {
    std::string text = "KILN-LATTICE 1\n";
    for (const auto &[name, lines] : blocks) {
        int nodes = 0, arcs = 0;
        for (const std::string &line : lines) (line.rfind("NODE", 0) == 0 ? nodes : arcs)++;
        text += "LATTICE \"" + std::string(name) + "\" " + std::to_string(nodes) + " " + std::to_string(arcs) + "\n";
        for (const std::string &line : lines) text += line + "\n";
        text += "END\n";
    }
    return text;
}

// A block that holds one sub-lattice or word between two null nodes.
std::vector<std::string> Around(const std::string &middle) {
    return {"NODE 1 WORD \"!NULL\" 0", "NODE 2 " + middle, "NODE 3 WORD \"!NULL\" 0", "ARC 1 1 2 0", "ARC 2 2 3 0"};
}

using SyntaxFaults = SyntaxTest;

struct HostileFile {
    const char *name;
    std::string text;
    const char *message;
    const char *failing_call;  // an engine call that fails once while loading
};

void PrintTo(const HostileFile &file, std::ostream *out) { *out << file.name; }

class HostileLattice : public SyntaxFaults, public ::testing::WithParamInterface<HostileFile> {};

int StackSize(KhSyntax s) {
    int n = 0;
    for (kh::DisableRecord *d = Rec(s)->disables; d; d = d->next) n++;
    return n;
}

using Disable = SyntaxTest;

}  // namespace

// A failed load registers nothing: the exercise can still be switched, and
// the names are free again.
TEST_P(HostileLattice, IsRefusedAndLeavesNothing) {
    Start();
    WriteFile("hostile.lat", GetParam().text);
    if (GetParam().failing_call) hapiFaultInject(GetParam().failing_call, 1);
    EXPECT_EQ(khSyntaxCreate("top", "hostile.lat"), nullptr);
    hapiFaultClear();
    EXPECT_EQ(Registered(), 0);
    EXPECT_TRUE(Contains(Log(),
                         std::string("ERROR - ") + GetParam().message +
                             "\r\n\r\n"
                             "ERROR - khSyntaxCreate: Error loading saved lattice\r\n\r\n"))
        << Log();
    EXPECT_EQ(khSyntaxReturn(""), nullptr);
    EXPECT_EQ(khSysNewExercise("ENGLISH"), 1) << Log();
    EXPECT_NE(khSyntaxCreate("greet", nullptr), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    SyntaxFaults, HostileLattice,
    ::testing::Values(HostileFile{"SelfInclusionByCase",
                                  LatticeFile({{"top", Around("SUBLAT \"greet\"")},
                                               {"greet", Around("SUBLAT \"GREET\"")},
                                               {"GREET", Around("WORD \"HELLO\" 0")}}),
                                  "CreateSemanticSyn: Sub-lattice names greet and GREET differ only in case", nullptr},
                      HostileFile{"CircleOfThree",
                                  LatticeFile({{"top", Around("SUBLAT \"A\"")},
                                               {"A", Around("SUBLAT \"b\"")},
                                               {"b", Around("SUBLAT \"a\"")},
                                               {"a", Around("WORD \"HELLO\" 0")}}),
                                  "CreateSemanticSyn: Sub-lattice names A and a differ only in case", nullptr},
                      HostileFile{"SiblingsByCase",
                                  LatticeFile({{"top",
                                                {"NODE 1 WORD \"!NULL\" 0", "NODE 2 SUBLAT \"x\"",
                                                 "NODE 3 SUBLAT \"X\"", "NODE 4 WORD \"!NULL\" 0", "ARC 1 1 2 0",
                                                 "ARC 2 1 3 0", "ARC 3 2 4 0", "ARC 4 3 4 0"}},
                                               {"x", Around("WORD \"HELLO\" 0")},
                                               {"X", Around("WORD \"GOODBYE\" 0")}}),
                                  "CreateSemanticSyn: Sub-lattice names x and X differ only in case", nullptr},
                      HostileFile{"EmptyName",
                                  LatticeFile({{"top", Around("SUBLAT \"\"")}, {"", Around("WORD \"HELLO\" 0")}}),
                                  "CreateSemanticSyn: Sub-lattice without a name", nullptr},
                      // An arc score that cannot be read is the engine's failure value, never a score.
                      HostileFile{"UnreadableArcScore", LatticeFile({{"top", Around("WORD \"HELLO\" 0")}}),
                                  "CopySemanticLattice: Arc 1 has no usable score", "hapiLatArcScore"}),
    RowName());

// A build pass that fails half way leaves the lattice as it was: the next
// option is laid between a proper start and end, and an included syntax
// that never made it into the lattice is not recorded as included.
TEST_F(SyntaxFaults, AFailedBuildPassIsUndone) {
    Start();
    KhSyntax s = khSyntaxCreate("s", nullptr);
    ASSERT_EQ(hapiFaultInject("hapiLatAddArc", 1), 0);
    EXPECT_EQ(khSyntaxAddOption(s, "yes"), -1);
    hapiFaultClear();
    EXPECT_EQ(Picture(s), "nodes: | arcs:");
    EXPECT_EQ(khSyntaxAddOption(s, "no"), 1);
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL NO_S | arcs: 1>3 3>2");
    KhSyntax g = Make("g", {"forward"});
    ASSERT_EQ(hapiFaultInject("hapiLatAddArc", 2), 0);
    EXPECT_EQ(khSyntaxAddOption(s, "$g back"), -1);
    hapiFaultClear();
    EXPECT_EQ(Picture(s), "nodes: !NULL !NULL NO_S | arcs: 1>3 3>2");
    EXPECT_EQ(Links(s), "includes: | in:");
    EXPECT_EQ(Links(g), "includes: | in:");
    EXPECT_EQ(Occurrences(Log(), "ERROR - khSyntaxAddOption: Serious syntax error. Syntax is now invalid\r\n"), 2);
    EXPECT_EQ(khSyntaxDeleteShallow(g), 1);
    EXPECT_EQ(khSyntaxDisableOption(s, "no"), -1);  // the last option stays
    EXPECT_EQ(khSyntaxAddOption(s, "maybe"), 1);
    EXPECT_EQ(khSyntaxDisableOption(s, "no"), 1);
}

// A repeat around optional brackets nested 300 deep around "go": each
// further "go" takes the walk through all 600 brackets again, and every
// run length is found.
TEST_F(SyntaxFaults, DeeplyNestedOptionsAreSearchedWhole) {
    Start();
    KhSyntax s = Make("deep", {"stop"});
    std::string option = "<" + std::string(300, '[') + "go" + std::string(300, ']') + "> back";
    ASSERT_EQ(khSyntaxAddOption(s, option.c_str()), 1);
    std::string sentence = "back";
    for (int repeats = 0; repeats <= 12; repeats++, sentence = "go " + sentence) {
        EXPECT_EQ(khSyntaxDisableOption(s, sentence.c_str()), 1) << repeats << Log();
        EXPECT_EQ(khSyntaxReEnableOptions(s, 0), 1);
    }
    EXPECT_EQ(Log(), "");
}

// A loop of null nodes after "go" that can lead on to "back": "go" alone is
// never a whole option, whichever start arc the engine lists first.
TEST_F(SyntaxFaults, SilenceDoesNotDependOnArcOrder) {
    Start();
    const std::vector<std::string> body = {"NODE 1 WORD \"!NULL\" 0",
                                           "NODE 2 WORD \"GO\" 0",
                                           "NODE 3 WORD \"GO\" 0",
                                           "NODE 4 WORD \"!NULL\" 0",
                                           "NODE 5 WORD \"!NULL\" 0",
                                           "NODE 6 WORD \"BACK\" 0",
                                           "NODE 7 WORD \"!NULL\" 0",
                                           "ARC 3 2 4 0",
                                           "ARC 4 3 5 0",
                                           "ARC 5 4 5 0",
                                           "ARC 6 5 4 0",
                                           "ARC 7 4 6 0",
                                           "ARC 8 6 7 0"};
    for (bool swapped : {false, true}) {
        std::vector<std::string> lines(body.begin(), body.begin() + 7);
        lines.push_back(swapped ? "ARC 1 1 3 0" : "ARC 1 1 2 0");
        lines.push_back(swapped ? "ARC 2 1 2 0" : "ARC 2 1 3 0");
        lines.insert(lines.end(), body.begin() + 7, body.end());
        WriteFile("loop.lat", LatticeFile({{"loop", lines}}));
        KhSyntax s = khSyntaxCreate("loop", "loop.lat");
        ASSERT_NE(s, nullptr) << Log();
        EXPECT_EQ(khSyntaxDisableOption(s, "go"), -1) << swapped;
        EXPECT_EQ(khSyntaxDisableOption(s, "go back"), 1) << swapped;
        EXPECT_EQ(khSyntaxDeleteDeep(s), 1);
    }
    EXPECT_EQ(Occurrences(Log(), "ERROR - khSyntaxDisableOption: No path found\r\n"), 2);
}

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
    for (const std::string &sentence :
         {std::string("maybe"), std::string("yes"), std::string("stop"), std::string("no no"), std::string(),
          std::string(" ,. !"), std::string(1500, 'A')})
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
