// Syntaxes by name: creating, finding, the case of names, inclusion
// bookkeeping and shallow and deep deletion; and syntaxes loaded from saved
// lattice files: one syntax per sub-lattice, inclusions counted, edges
// trimmed to one null start and end, and a failed load leaving nothing
// registered.
#include "syntax_support.h"

using namespace khtest;

using Registry = SyntaxTest;
using Saved = SyntaxTest;

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
    EXPECT_TRUE(Contains(Log(),
                         "ERROR - khSyntaxDeleteDeep: Cannot delete top level syntax because it is included in "
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

TEST_F(Saved, NestedAndRepeatedSubLatticesBecomeSyntaxes) {
    Start();
    KhSyntax order = khSyntaxCreate("order", Data("syntax_nested.lat").c_str());
    ASSERT_NE(order, nullptr) << Log();
    KhSyntax drink = khSyntaxReturn("drink");
    KhSyntax size = khSyntaxReturn("size");
    ASSERT_NE(drink, nullptr);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(Registered(), 3);
    EXPECT_EQ(Rec(order)->isEmpty, 0);
    EXPECT_EQ(Links(order), "includes: DRINK*2 | in:");
    EXPECT_EQ(Links(drink), "includes: SIZE*1 | in: ORDER*2");
    EXPECT_EQ(Links(size), "includes: | in: DRINK*1");
    // The chain of null nodes at the start goes, and a null start is put
    // before the sub-lattice node; the arc scores come along.
    EXPECT_EQ(Picture(order), "nodes: $DRINK PLEASE_ORDER $DRINK !NULL !NULL | arcs: 1>2 2>3 4>1 3>5");
    EXPECT_EQ(ArcScore(order, 2), -2.5);
    // The markers become null nodes; a null start and end are added.
    EXPECT_EQ(Picture(drink), "nodes: $SIZE COFFEE_DRINK TEA_DRINK !NULL !NULL !NULL | arcs: 1>2 1>3 2>4 3>4 5>1 4>6");
    EXPECT_EQ(Picture(size), "nodes: !NULL LARGE_SIZE SMALL_SIZE !NULL | arcs: 1>2 1>3 2>4 3>4");
    // The words came from the system dictionary and were saved for later.
    std::string file = ReadFile("english.dic");
    for (const char *word : {"\nPLEASE ", "\nCOFFEE ", "\nTEA ", "\nLARGE ", "\nSMALL ", "\n<s> "})
        EXPECT_TRUE(Contains(file, word)) << word;
    EXPECT_FALSE(Contains(file, "_"));
    EXPECT_EQ(Log(), "");
    // A loaded syntax takes further options and deletes deep.
    EXPECT_EQ(khSyntaxAddOption(order, "yes"), 1);
    EXPECT_EQ(khSyntaxDeleteShallow(drink), -1);
    EXPECT_EQ(khSyntaxDeleteDeep(order), 1);
    EXPECT_EQ(Registered(), 0);
    // Markers around a single word.
    KhSyntax one = khSyntaxCreate("one", Data("syntax_single_word.lat").c_str());
    ASSERT_NE(one, nullptr) << Log();
    EXPECT_EQ(Picture(one), "nodes: YES_ONE !NULL !NULL | arcs: 2>1 1>3");
}

TEST_F(Saved, ASubLatticeNamedLikeTheFileLeavesNothing) {
    Start("FULL");
    EXPECT_EQ(khSyntaxCreate("Order", Data("syntax_same_name.lat").c_str()), nullptr);
    EXPECT_EQ(Registered(), 0);
    std::string log = Log();
    EXPECT_TRUE(Contains(log,
                         "ERROR - CreateSemanticSyn: Name of sublat same as name of top level lattice\r\n\r\n"
                         "ERROR - khSyntaxCreate: Error loading saved lattice\r\n\r\n"
                         "  khSyntaxReturn: Entering\r\n"
                         "    Parameter 1 (syntax name) = ORDER\r\n"))
        << log;
    EXPECT_TRUE(Contains(log, "  khSyntaxDeleteDeep: Entering\r\n")) << log;
    EXPECT_TRUE(Contains(log, "SysCheck: Valid syntax with name OUTER\r\n")) << log;
    EXPECT_FALSE(Contains(log, "khSyntaxCreate: Leaving"));
}

TEST_F(Saved, UnreadableFilesUnknownWordsAndTakenNamesLeaveTheRegistryAsItWas) {
    Start();
    for (const std::string &file : {Data("syntax_truncated.lat"), Data("syntax_unknown_word.lat"),
                                    std::string("no_such_file.lat"), std::string(), std::string(2000, 'x')})
        EXPECT_EQ(khSyntaxCreate("order", file.c_str()), nullptr) << file.substr(0, 80);
    EXPECT_EQ(Registered(), 0);
    EXPECT_EQ(Occurrences(Log(),
                          "ERROR - khSyntaxCreate: Error loading saved lattice\r\n\r\n"
                          "ERROR - khSyntaxReturn: No such syntax name ORDER\r\n\r\n"),
              5);
    // Names already taken are kept.
    KhSyntax size = Make("size", {"big"});
    EXPECT_EQ(khSyntaxCreate("order", Data("syntax_nested.lat").c_str()), nullptr);
    EXPECT_TRUE(Contains(Log(),
                         "ERROR - NewSyntax: Duplicate syntax name SIZE\r\n\r\n"
                         "ERROR - CreateSemanticSyn: Syntax name SIZE already exists\r\n\r\n"
                         "ERROR - khSyntaxCreate: Error loading saved lattice\r\n\r\n"))
        << Log();
    EXPECT_EQ(Registered(), 1);
    EXPECT_EQ(khSyntaxReturn("size"), size);
    EXPECT_EQ(Links(size), "includes: | in:");
    // The top name taken: the syntax that had it stays as it was.
    EXPECT_EQ(khSyntaxCreate("size", Data("syntax_single_word.lat").c_str()), nullptr);
    EXPECT_EQ(khSyntaxReturn("size"), size);
    EXPECT_EQ(Picture(size), "nodes: !NULL !NULL BIG_SIZE | arcs: 1>3 3>2");
}
