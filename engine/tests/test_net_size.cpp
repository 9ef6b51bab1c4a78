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

// N(3) recognises, N(14) (up to 16,384 words) builds, and N(40) (2^40
// words) is refused with a note; the sizes are the reduction's tests'.
TEST_F(NestedSyntaxTest, NestedOptionalSyntaxesBuildOrAreRefused) {
    hapiSourceObject src = file_source(testdata("goforward.raw"));
    EXPECT_EQ(names(recognise(src, network(nested(3)))), "<s> GO_T FORWARD_T TEN_T METERS_T <s>");
    EXPECT_NE(network(nested(14)), nullptr);
    hapiLatObject g = lattice("grammar");
    int sil = hapiDictWordId(dict_, "<s>");
    int a = hapiLatAddNode(g, sil, 0), s = hapiLatAddSublatNode(g, nested(40)), b = hapiLatAddNode(g, sil, 0);
    hapiLatAddArc(g, a, s);
    hapiLatAddArc(g, s, b);
    hapiLatFinalise(g, 0, 0);
    Notes notes;
    EXPECT_EQ(hapiBuildNetObject(HAPI_NETWORK_KIND, hmms_, dict_, g), nullptr);
    EXPECT_NE(notes.text().find("hapiBuildNetObject: the grammar is too large"), std::string::npos) << notes.text();
}

}  // namespace
