// Syntaxes loaded from saved lattice files: one syntax per sub-lattice,
// inclusions counted, edges trimmed to one null start and end, and a
// failed load leaving nothing registered.
#include "syntax_support.h"

using namespace khtest;

namespace {

std::string Data(const std::string &name) { return std::string(KHAPI_SOURCE_DIR) + "/tests/data/" + name; }

}  // namespace

using Saved = SyntaxTest;

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
    EXPECT_TRUE(Contains(log, "ERROR - CreateSemanticSyn: Name of sublat same as name of top level lattice\r\n\r\n"
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
    EXPECT_EQ(Occurrences(Log(), "ERROR - khSyntaxCreate: Error loading saved lattice\r\n\r\n"
                                 "ERROR - khSyntaxReturn: No such syntax name ORDER\r\n\r\n"),
              5);
    // Names already taken are kept.
    KhSyntax size = Make("size", {"big"});
    EXPECT_EQ(khSyntaxCreate("order", Data("syntax_nested.lat").c_str()), nullptr);
    EXPECT_TRUE(Contains(Log(), "ERROR - NewSyntax: Duplicate syntax name SIZE\r\n\r\n"
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
