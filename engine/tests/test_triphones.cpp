// test_triphones.cpp - reading a model's phones in context, both forms of
// the model definition, and cut or malformed files refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "base/model.h"
#include "decoding/triphones.h"
#include "tempdir.h"

namespace {

using engine::Triphones;

const std::string kMdef = std::string(ENGINE_MODEL_DIR) + "/mdef";

std::vector<std::string> packaged_phones() {
    std::vector<std::string> phones;
    std::string why;
    EXPECT_TRUE(engine::read_mdef_phones(kMdef, &phones, &why)) << why;
    return phones;
}

int at(const std::vector<std::string> &phones, const std::string &p) {
    return static_cast<int>(std::find(phones.begin(), phones.end(), p) - phones.begin());
}

}  // namespace

TEST(Triphones, ThePackagedModelsPhonesHaveTheirOwnStatesInEachContext) {
    std::vector<std::string> ph = packaged_phones();
    Triphones t;
    std::string why;
    ASSERT_TRUE(t.read(kMdef, ph, &why)) << why;
    EXPECT_EQ(t.senones(), 5126);  // as many as its mixture weights
    int T = at(ph, "T"), IY = at(ph, "IY"), ER = at(ph, "ER"), S = at(ph, "S");
    // The context-independent states come first, three a phone.
    Triphones::States own = t.states(T, IY, ER, Triphones::kInternal);
    EXPECT_NE(own, t.states(T, S, ER, Triphones::kInternal));
    for (int s : own) EXPECT_EQ(t.phone_of(s), T);
    // A context the model lacks falls back to the phone's own states.
    int sil = at(ph, "SIL");
    EXPECT_EQ(t.states(T, sil, sil, Triphones::kInternal), (Triphones::States{3 * T, 3 * T + 1, 3 * T + 2}));
}

TEST(Triphones, TheTextFormGivesItsTable) {
    TempDir dir;
    std::ofstream(dir.file("mdef")) << "0.3\n2 n_base\n1 n_tri\n9 n_state_map\n9 n_tied_state\n6 n_tied_ci_state\n"
                                       "2 n_tied_tmat\n#\n# base lft rt p attrib tmat states\n"
                                       "A - - - n/a 0 0 1 2 N\nB - - - n/a 1 3 4 5 N\nA B B s n/a 0 6 7 8 N\n";
    Triphones t;
    std::string why;
    ASSERT_TRUE(t.read(dir.file("mdef"), {"A", "B"}, &why)) << why;
    EXPECT_EQ(t.states(0, 1, 1, Triphones::kSingle), (Triphones::States{6, 7, 8}));
    EXPECT_EQ(t.states(0, 1, 1, Triphones::kBegin), (Triphones::States{0, 1, 2}));
    EXPECT_EQ(t.phone_of(7), 0);
    EXPECT_EQ(t.senones(), 9);
}

TEST(Triphones, CutAndMalformedFilesAreRefusedWithTheirReason) {
    std::ifstream in(kMdef, std::ios::binary);
    std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TempDir dir;
    struct Case {
        const char *name;
        std::string content;
    };
    const Case cases[] = {
        {"cut_in_the_header", whole.substr(0, 30)},
        {"cut_in_the_phone_names", whole.substr(0, 1110)},
        {"cut_in_the_phone_table", whole.substr(0, whole.size() / 2)},
        {"cut_in_the_state_sequences", whole.substr(0, whole.size() - 10)},
        {"four_states", "0.3\n2 n_base\nA - - - n/a 0 0 1 2 3 N\n"},
        {"unknown_phone", "0.3\n2 n_base\nC - - - n/a 0 0 1 2 N\n"},
        {"phone_without_states", "0.3\n2 n_base\nA - - - n/a 0 0 1 2 N\n"},
        {"unknown_position", "0.3\n2 n_base\nA - - - n/a 0 0 1 2 N\nB - - - n/a 0 3 4 5 N\nA B B x n/a 0 6 7 8 N\n"},
    };
    for (const Case &c : cases) {
        std::ofstream(dir.file(c.name), std::ios::binary) << c.content;
        std::vector<std::string> phones =
            c.content.compare(0, 4, "BMDF") == 0 ? packaged_phones() : std::vector<std::string>{"A", "B"};
        Triphones t;
        std::string why;
        EXPECT_FALSE(t.read(dir.file(c.name), phones, &why)) << c.name;
        EXPECT_EQ(why.rfind(dir.file(c.name) + ": ", 0), 0u) << c.name << ": " << why;
    }
}
