// Lattices: building and editing, sub-lattices, files and hostile files.
#include "lexicon/lattice.h"
#include "hapi.h"
#include "notes.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <regex>

namespace {

// The arcs into (pred) or out of (foll) a node.
using ArcsOfNode = int (*)(hapiLatObject, int, int *);
std::vector<int> arcs(hapiLatObject lat, int node, ArcsOfNode list) {
    std::vector<int> out(static_cast<size_t>(list(lat, node, nullptr)));
    list(lat, node, out.data());
    return out;
}
std::vector<int> pred(hapiLatObject lat, int node) { return arcs(lat, node, hapiLatNodePredArc); }
std::vector<int> foll(hapiLatObject lat, int node) { return arcs(lat, node, hapiLatNodeFollArc); }

std::string word_of(hapiLatObject lat, int node) {
    char name[HAPI_MAX_NAME];
    if (hapiDictWordName(hapiLatDictObject(lat), hapiLatNodeWordId(lat, node, 0), name) < 0) return "<bad>";
    return name;
}

// The whole lattice as text, sub-lattices written out where they are
// included, with words by name so that lattices over different
// dictionaries compare.
std::string describe(hapiLatObject lat, int depth = 0) {
    std::string pad(static_cast<size_t>(depth) * 2, ' ');
    int narcs = 0;
    int nodes = hapiLatSize(lat, &narcs);
    std::string out = pad + "lattice \"" + hapiLatName(lat) + "\"\n";
    for (int n = 1; n <= nodes; n++) {
        if (hapiLatObject sub = hapiLatNodeSublatObject(lat, n)) {
            out += pad + " node " + std::to_string(n) + " includes\n" + describe(sub, depth + 1);
        } else {
            out += pad + " node " + std::to_string(n) + " " + word_of(lat, n) + "\n";
        }
    }
    for (int a = 1; a <= narcs; a++) {
        char score[64];
        snprintf(score, sizeof score, "%a", hapiLatArcScore(lat, a, 1, nullptr));
        out += pad + " arc " + std::to_string(a) + " " + std::to_string(hapiLatArcStart(lat, a)) + "->" +
            std::to_string(hapiLatArcEnd(lat, a)) + " " + score + "\n";
    }
    return out;
}

class LatticeTest : public ::testing::Test {
protected:
    void SetUp() override {
        dict_ = hapiCreateDictObject();
        hapiDictModify(dict_);
        for (const char *w : {"<s>", "yes", "no", "please", "thanks"})
            ASSERT_GT(hapiDictAddItem(dict_, w, "SIL", nullptr), 0);
        hapiDictFinalise(dict_);
        yes_ = hapiDictWordId(dict_, "yes");
        no_ = hapiDictWordId(dict_, "no");
    }
    void TearDown() override {
        for (hapiLatObject l : lats_) hapiDeleteLatObject(l);
        hapiDeleteDictObject(dict_);
    }

    hapiLatObject make(const char *name) {
        hapiLatObject l = hapiCreateLatObject(dict_, name);
        lats_.push_back(l);
        return l;
    }

    // start -> word -> end for each word, between two null nodes.
    hapiLatObject options(const char *name, std::vector<int> words) {
        hapiLatObject l = make(name);
        int start = hapiLatAddNode(l, 1, 0), end = hapiLatAddNode(l, 1, 0);
        for (int w : words) {
            int n = hapiLatAddNode(l, w, 1);
            hapiLatAddArc(l, start, n);
            hapiLatAddArc(l, n, end);
        }
        EXPECT_EQ(hapiLatFinalise(l, 0, 0), 0);
        return l;
    }

    hapiDictObject dict_ = nullptr;
    int yes_ = 0, no_ = 0;
    std::vector<hapiLatObject> lats_;
    TempDir dir_;
    Notes notes_;  // what the refused calls say
};

// ---- building and reading ----------------------------------------------------

TEST_F(LatticeTest, NodesAndArcsNumberedFromOne) {
    hapiLatObject l = make("GREET");
    EXPECT_STREQ(hapiLatName(l), "GREET");
    EXPECT_EQ(hapiLatDictObject(l), dict_);
    int narcs = -1;
    EXPECT_EQ(hapiLatSize(l, &narcs), 0);
    EXPECT_EQ(narcs, 0);
    // Three nodes, then three arcs (a braced list is evaluated in order).
    std::vector<int> numbers = {hapiLatAddNode(l, 1, 0), hapiLatAddNode(l, yes_, 1), hapiLatAddNode(l, 1, 0),
                                hapiLatAddArc(l, 1, 2),  hapiLatAddArc(l, 2, 3),     hapiLatAddArc(l, 1, 3)};
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(describe(l),
              "lattice \"GREET\"\n node 1 !NULL\n node 2 yes\n node 3 !NULL\n arc 1 1->2 0x0p+0\n"
              " arc 2 2->3 0x0p+0\n arc 3 1->3 0x0p+0\n");
    EXPECT_EQ(hapiLatSize(l, nullptr), 3);
    EXPECT_EQ((std::vector<std::vector<int>>{foll(l, 1), pred(l, 3), pred(l, 1)}),
              (std::vector<std::vector<int>>{{1, 3}, {2, 3}, {}}));
    EXPECT_EQ(hapiLatFinalise(l, 0, 0), 0);
    EXPECT_STREQ(hapiLatName(make(nullptr)), "");
}

TEST_F(LatticeTest, RefusesBadNumbers) {
    hapiLatObject l = options("L", {yes_});
    hapiLatModify(l);
    // Each refused in turn (a braced list is evaluated in order).
    std::vector<int> refused = {hapiLatAddNode(l, 0, 0),
                                hapiLatAddNode(l, hapiDictNumWords(dict_) + 1, 0),
                                hapiLatAddNode(l, yes_, 2),
                                hapiLatAddArc(l, 0, 1),
                                hapiLatAddArc(l, 1, 4),
                                hapiLatNodeWordId(l, 4, 0),
                                hapiLatNodeWordId(l, 1, -1),
                                hapiLatNodeWordId(l, 1, 99),
                                hapiLatNodePredArc(l, 0, nullptr),
                                hapiLatNodeFollArc(l, 4, nullptr),
                                hapiLatArcStart(l, 3),
                                hapiLatArcEnd(l, 0),
                                hapiLatFinalise(l, 1, 0),
                                hapiLatSize(nullptr, nullptr)};
    for (size_t i = 0; i < refused.size(); i++) EXPECT_LT(refused[i], 0) << "call " << i;
    EXPECT_EQ(hapiLatNodeSublatObject(l, 4), nullptr);
    float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<double> bad_scores = {hapiLatArcScore(l, 3, 1, nullptr), hapiLatArcScore(l, 1, 2, nullptr),
                                      hapiLatArcScore(l, 1, 1, &nan)};
    EXPECT_EQ(bad_scores, std::vector<double>(3, HAPI_FLOAT_FAIL));
    EXPECT_EQ(hapiLatName(nullptr), nullptr);
    EXPECT_EQ(hapiCreateLatObject(nullptr, "X"), nullptr);
    EXPECT_EQ(hapiCreateLatObject(dict_, std::string(HAPI_MAX_NAME, 'x').c_str()), nullptr);
    int narcs = 0;
    EXPECT_EQ(hapiLatSize(l, &narcs), 3);
    EXPECT_EQ(narcs, 2);
}

TEST_F(LatticeTest, StructureChangesOnlyWhileModifying) {
    hapiLatObject l = options("L", {yes_, no_});
    hapiLatObject sub = options("S", {yes_});
    std::vector<int> refused = {hapiLatAddNode(l, yes_, 1), hapiLatAddSublatNode(l, sub), hapiLatAddArc(l, 1, 2),
                                hapiLatDeleteNode(l, 3), hapiLatNodeWordId(l, 3, no_)};
    for (size_t i = 0; i < refused.size(); i++) EXPECT_LT(refused[i], 0) << "call " << i;
    EXPECT_EQ(hapiLatSize(l, nullptr), 4);
    // Scores change at any time: this is how options are switched off.
    float off = -1000000.0f;
    EXPECT_EQ(hapiLatArcScore(l, 1, 1, &off), 0.0);
    EXPECT_EQ(hapiLatArcScore(l, 1, 1, nullptr), -1000000.0);
    float back = 0.25f;
    EXPECT_EQ(hapiLatArcScore(l, 1, 1, &back), -1000000.0);
    EXPECT_EQ(hapiLatArcScore(l, 1, 1, nullptr), 0.25);
    ASSERT_EQ(hapiLatModify(l), 0);
    EXPECT_EQ(hapiLatNodeWordId(l, 3, no_), yes_);
    EXPECT_EQ(hapiLatNodeWordId(l, 3, 0), no_);
    EXPECT_EQ(hapiLatFinalise(l, 0, 0), 0);
}

TEST_F(LatticeTest, DeletingANodeRenumbersTheRest) {
    hapiLatObject l = make("L");
    for (int i = 0; i < 4; i++) hapiLatAddNode(l, i == 0 || i == 3 ? 1 : yes_ + i - 1, 1);
    for (auto [from, to] : {std::pair{1, 2}, {2, 3}, {3, 4}, {1, 3}, {2, 4}}) hapiLatAddArc(l, from, to);
    ASSERT_EQ(hapiLatDeleteNode(l, 2), 0);
    // Old node 3 (no) is node 2; old arcs 3 (3->4) and 4 (1->3) are 1 and 2.
    EXPECT_EQ(describe(l),
              "lattice \"L\"\n node 1 !NULL\n node 2 no\n node 3 !NULL\n arc 1 2->3 0x0p+0\n"
              " arc 2 1->2 0x0p+0\n");
    using Lists = std::vector<std::vector<int>>;
    EXPECT_EQ((Lists{foll(l, 1), pred(l, 2), foll(l, 2), pred(l, 3)}), (Lists{{2}, {2}, {1}, {1}}));
    EXPECT_EQ(hapiLatFinalise(l, 0, 0), 0);
}

TEST_F(LatticeTest, FinaliseRefusesAnInconsistentLattice) {
    hapiLatObject l = options("L", {yes_});
    hapiLatModify(l);
    l->arcs[1].to = 9;  // damage it from inside, as no call can
    EXPECT_LT(hapiLatFinalise(l, 0, 0), 0);
    l->arcs[1].to = 3;
    EXPECT_EQ(hapiLatFinalise(l, 0, 0), 0);
}

TEST_F(LatticeTest, SubLatticesCannotIncludeThemselves) {
    hapiLatObject a = options("A", {yes_}), b = make("B"), c = make("C");
    EXPECT_EQ(hapiLatAddSublatNode(b, a), 1);
    EXPECT_EQ(hapiLatAddSublatNode(c, b), 1);
    EXPECT_EQ(hapiLatNodeSublatObject(c, 1), b);
    EXPECT_EQ(hapiLatNodeWordId(c, 1, 0), 1);
    hapiLatModify(a);
    // c includes b includes a
    for (hapiLatObject cycle : {a, c, hapiLatObject{}}) EXPECT_LT(hapiLatAddSublatNode(a, cycle), 0);
    EXPECT_LT(hapiLatNodeWordId(c, 1, yes_), 0);  // a sub-lattice node holds no word
    hapiDictObject other = hapiEmptyDictObject(dict_);
    hapiLatObject foreign = hapiCreateLatObject(other, "F");
    EXPECT_LT(hapiLatAddSublatNode(a, foreign), 0);
    hapiDeleteLatObject(foreign);
    hapiDeleteDictObject(other);
}

// ---- files ------------------------------------------------------------------

TEST_F(LatticeTest, SavedLatticeLoadsWithNestedAndRepeatedSubLattices) {
    hapiLatObject inner = options("INNER", {no_});
    hapiLatObject mid = make("MID has blanks \"and quotes\"");
    int m1 = hapiLatAddSublatNode(mid, inner), m2 = hapiLatAddNode(mid, yes_, 1);
    hapiLatAddArc(mid, m1, m2);
    hapiLatFinalise(mid, 0, 0);
    hapiLatObject top = make("");
    int s = hapiLatAddNode(top, hapiDictWordId(dict_, "<s>"), 0);
    int a = hapiLatAddSublatNode(top, mid);
    int b = hapiLatAddSublatNode(top, inner);  // inner again, directly
    int c = hapiLatAddSublatNode(top, mid);    // mid again
    int e = hapiLatAddNode(top, hapiDictWordId(dict_, "<s>"), 0);
    float scores[] = {0.1f, -1000000.0f, -INFINITY, FLT_MAX, 1e-42f, -0.0f};
    int arcs[][2] = {{s, a}, {s, b}, {a, c}, {b, c}, {c, e}, {s, e}};
    for (int i = 0; i < 6; i++) {
        int arc = hapiLatAddArc(top, arcs[i][0], arcs[i][1]);
        hapiLatArcScore(top, arc, 1, &scores[i]);
    }
    ASSERT_EQ(hapiLatFinalise(top, 0, 0), 0);
    std::string path = dir_.file("grammar.lat");
    ASSERT_EQ(hapiLatSave(top, path.c_str(), 0), 0);
    EXPECT_EQ(dir_.entries(), std::vector<std::string>{"grammar.lat"});
    // Each sub-lattice is written once.
    std::string text = read_file(path);
    EXPECT_EQ(std::regex_search(text, std::regex("LATTICE \"INNER\"")), true);
    EXPECT_EQ(text.find("LATTICE \"INNER\""), text.rfind("LATTICE \"INNER\""));
    // Load against a dictionary that numbers the same words differently.
    hapiDictObject other = hapiCreateDictObject();
    hapiDictModify(other);
    for (const char *w : {"thanks", "no", "yes", "<s>"}) hapiDictAddItem(other, w, "SIL", nullptr);
    hapiLatObject back = hapiLoadLatObject(other, path.c_str(), nullptr);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(describe(back), describe(top));
    EXPECT_EQ(hapiLatDictObject(back), other);
    // The repeated inclusions are one lattice, as they were.
    EXPECT_EQ(hapiLatNodeSublatObject(back, a), hapiLatNodeSublatObject(back, c));
    hapiLatObject mid_back = hapiLatNodeSublatObject(back, a);
    EXPECT_EQ(hapiLatNodeSublatObject(mid_back, 1), hapiLatNodeSublatObject(back, b));
    EXPECT_EQ(std::signbit(hapiLatArcScore(back, 6, 1, nullptr)), true);  // -0 stays -0
    // Saved again, it is the same file.
    std::string again = dir_.file("again.lat");
    ASSERT_EQ(hapiLatSave(back, again.c_str(), 0), 0);
    EXPECT_EQ(read_file(again), text);
    // Sub-lattices loaded with a lattice go with it.
    EXPECT_LT(hapiDeleteLatObject(mid_back), 0);
    EXPECT_EQ(hapiDeleteLatObject(back), 0);
    hapiDeleteDictObject(other);
}

TEST_F(LatticeTest, LoadedLatticeIsFinalisedMayBeRenamedAndNeedsEveryWord) {
    std::string path = dir_.file("please.lat");
    ASSERT_EQ(hapiLatSave(options("L", {yes_, hapiDictWordId(dict_, "please")}), path.c_str(), 0), 0);
    hapiLatObject named = hapiLoadLatObject(dict_, path.c_str(), "OTHER");
    ASSERT_NE(named, nullptr);
    lats_.push_back(named);
    EXPECT_STREQ(hapiLatName(named), "OTHER");
    EXPECT_LT(hapiLatAddNode(named, yes_, 1), 0);
    ASSERT_EQ(hapiLatModify(named), 0);
    EXPECT_EQ(hapiLatAddNode(named, yes_, 1), 5);
    hapiDictObject small = hapiCreateDictObject();
    hapiDictModify(small);
    hapiDictAddItem(small, "yes", "SIL", nullptr);
    EXPECT_EQ(hapiLoadLatObject(small, path.c_str(), nullptr), nullptr);
    EXPECT_NE(notes_.text().find("please"), std::string::npos) << notes_.text();
    EXPECT_NE(notes_.text().find(path), std::string::npos) << notes_.text();
    hapiDeleteDictObject(small);
}

TEST_F(LatticeTest, SaveRefusesWhatCouldNotBeLoadedBack) {
    hapiLatObject one = options("SAME", {yes_});
    hapiLatObject two = options("SAME", {no_});
    hapiLatObject top = make("TOP");
    hapiLatAddSublatNode(top, one);
    hapiLatAddSublatNode(top, two);
    EXPECT_LT(hapiLatSave(top, dir_.file("clash.lat").c_str(), 0), 0);
    EXPECT_LT(hapiLatSave(one, dir_.file("flags.lat").c_str(), 1), 0);
    EXPECT_LT(hapiLatSave(one, nullptr, 0), 0);
    const std::string &err = notes_.text();
    EXPECT_NE(err.find("SAME"), std::string::npos);
    EXPECT_TRUE(dir_.entries().empty());
}

TEST_F(LatticeTest, DeepNestingLoadsAndSaves) {
    // A chain of 20000 sub-lattices, each including the next.
    const int depth = 20000;
    std::string text = "KILN-LATTICE 1\n";
    for (int i = 0; i < depth; i++) {
        text += "LATTICE \"L" + std::to_string(i) + "\" 1 0\n";
        text += i + 1 < depth ? "NODE 1 SUBLAT \"L" + std::to_string(i + 1) + "\"\n" : "NODE 1 WORD \"yes\" 1\n";
        text += "END\n";
    }
    std::string path = dir_.write("deep.lat", text);
    hapiLatObject deep = hapiLoadLatObject(dict_, path.c_str(), nullptr);
    ASSERT_NE(deep, nullptr);
    ASSERT_EQ(hapiLatSave(deep, dir_.file("deep2.lat").c_str(), 0), 0);
    EXPECT_EQ(read_file(dir_.file("deep2.lat")), text);
    hapiDeleteLatObject(deep);
}

}  // namespace
