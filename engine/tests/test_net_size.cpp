// test_net_size.cpp - networks of syntaxes that include another twice,
// over and over: built in the size of what they say, and refused, with a
// note, when they would not fit in memory.
#include "network/network.h"
#include "notes.h"
#include "rec_fixture.h"

namespace {

class NestedSyntaxTest : public RecognitionTest {
protected:
    // N(0) = [go | forward | ten | meters] and N(d) = $N(d-1) $N(d-1), with
    // the null nodes the BNF reader makes.
    hapiLatObject nested(int depth) {
        hapiLatObject sub = depth > 0 ? nested(depth - 1) : nullptr;
        hapiLatObject l = lattice("T");
        int s = hapiLatAddNode(l, 1, 0), e = hapiLatAddNode(l, 1, 0);
        if (sub) {
            int a = hapiLatAddSublatNode(l, sub), b = hapiLatAddSublatNode(l, sub);
            hapiLatAddArc(l, s, a);
            hapiLatAddArc(l, a, b);
            hapiLatAddArc(l, b, e);
        } else {
            int open = hapiLatAddNode(l, 1, 0), join = hapiLatAddNode(l, 1, 0), close = hapiLatAddNode(l, 1, 0);
            for (const char *w : {"go", "forward", "ten", "meters"}) {
                int n = hapiLatAddNode(l, word(w), 1);
                hapiLatAddArc(l, open, n);
                hapiLatAddArc(l, n, join);
            }
            hapiLatAddArc(l, s, open);
            hapiLatAddArc(l, join, close);
            hapiLatAddArc(l, open, close);  // the choice may be skipped
            hapiLatAddArc(l, close, e);
        }
        hapiLatFinalise(l, 0, 0);
        return l;
    }
};

TEST_F(NestedSyntaxTest, NestedOptionalSyntaxesRecogniseAndGrowWithWhatTheySay) {
    hapiSourceObject src = file_source(testdata("goforward.raw"));
    EXPECT_EQ(names(recognise(src, network(nested(3)))), "<s> GO_T FORWARD_T TEN_T METERS_T <s>");
    // N(14) says up to 16,384 words: a state for each count of words said,
    // and the final one.
    hapiNetObject net = network(nested(14));
    ASSERT_NE(net, nullptr);
    const engine::Grammar &g = *net->grammar;
    size_t words = 0;
    for (const auto &t : g.trans) words += t.pron >= 0;
    EXPECT_EQ(g.nstates, (1 << 14) + 2);
    EXPECT_EQ(words, 4u << 14);
}

TEST_F(NestedSyntaxTest, ASyntaxTooLargeForMemoryIsRefusedWithANote) {
    // N(40) would say up to 2^40 words.
    hapiLatObject syntax = nested(40);
    hapiLatObject g = lattice("grammar");
    int sil = hapiDictWordId(dict_, "<s>");
    int a = hapiLatAddNode(g, sil, 0), s = hapiLatAddSublatNode(g, syntax), b = hapiLatAddNode(g, sil, 0);
    hapiLatAddArc(g, a, s);
    hapiLatAddArc(g, s, b);
    hapiLatFinalise(g, 0, 0);
    Notes notes;
    EXPECT_EQ(hapiBuildNetObject(HAPI_NETWORK_KIND, hmms_, dict_, g), nullptr);
    EXPECT_NE(notes.text().find("hapiBuildNetObject: the grammar is too large"), std::string::npos) << notes.text();
}

}  // namespace
