// Folding null transitions away and merging states with the same future
// must keep every word string of a network and its best score, while the
// graph the decoder gets shrinks.
#include "network/net_reduce.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

using Strings = std::map<std::vector<int>, float>;  // prons said -> best score

// A network of n states from 0 (start) to n - 1 (final) with the given
// transitions; prons are only counted, never looked at.
engine::Grammar graph(int n, const std::vector<engine::Grammar::Trans> &trans) {
    engine::Grammar net;
    net.nstates = n;
    net.start = 0;
    net.final = n - 1;
    net.trans = trans;
    return net;
}

// Every word string of at most `longest` words from the start to the
// final state, with the best score of its paths: the best score of each
// state after each string said so far, null paths followed in full.
void collect(const engine::Grammar &net, std::map<int, float> reach, std::vector<int> *said, size_t longest,
             Strings *out) {
    for (bool more = true; more;) {
        more = false;
        for (const auto &t : net.trans) {
            auto from = reach.find(t.from);
            if (t.pron >= 0 || from == reach.end()) continue;
            auto to = reach.find(t.to);
            if (to == reach.end() || from->second + t.score > to->second)
                reach[t.to] = from->second + t.score, more = true;
        }
    }
    if (reach.count(net.final)) (*out)[*said] = reach[net.final];
    if (said->size() == longest) return;
    std::map<int, std::map<int, float>> next;  // pron -> state -> best score
    for (const auto &t : net.trans) {
        auto from = reach.find(t.from);
        if (t.pron < 0 || from == reach.end()) continue;
        auto &r = next[t.pron];
        if (!r.count(t.to) || from->second + t.score > r[t.to]) r[t.to] = from->second + t.score;
    }
    for (const auto &[pron, r] : next) {
        said->push_back(pron);
        collect(net, r, said, longest, out);
        said->pop_back();
    }
}

Strings strings(const engine::Grammar &net, size_t longest = 6) {
    Strings out;
    std::vector<int> said;
    collect(net, {{net.start, 0.0f}}, &said, longest, &out);
    return out;
}

int word_transitions(const engine::Grammar &net) {
    int n = 0;
    for (const auto &t : net.trans) n += t.pron >= 0;
    return n;
}

// Words 0-2 as a choice (each word with its own end state, as lattices
// give them), then an optional word 3, then word 4.
engine::Grammar choice_then_words() {
    return graph(12,
                 {{0, 1, 0.0f, -1},
                  {1, 2, 0.0f, 0},
                  {1, 3, 0.0f, 1},
                  {1, 4, -0.5f, 2},
                  {2, 5, 0.0f, -1},
                  {3, 5, 0.0f, -1},
                  {4, 5, 0.0f, -1},
                  {5, 6, 0.0f, 3},
                  {5, 7, -1.0f, -1},
                  {6, 7, 0.0f, -1},
                  {7, 8, 0.0f, 4},
                  {8, 11, 0.0f, -1}});
}

TEST(NetReduceTest, StatesWithTheSameFutureBecomeOne) {
    engine::Grammar net = choice_then_words();
    Strings before = strings(net);
    engine::fold_null_transitions(&net);
    // The three choice ends share one copy of what follows: start, after
    // the choice, after word 3, after word 4, final.
    EXPECT_EQ(word_transitions(net), 6);
    engine::merge_equal_futures(&net);
    EXPECT_EQ(strings(net), before);
    EXPECT_EQ(net.nstates, 5);
    EXPECT_EQ(word_transitions(net), 6);
    for (const auto &t : net.trans)
        EXPECT_EQ(t.to == net.final ? t.pron : -1, -1) << "only null transitions end the graph";
    // The end of word 4 alone leads to the final state, at no cost, and
    // becomes the final state itself.
    engine::end_on_last_words(&net);
    EXPECT_EQ(strings(net), before);
    EXPECT_EQ(net.nstates, 4);
    for (const auto &t : net.trans) EXPECT_GE(t.pron, 0);
}

TEST(NetReduceTest, ACostlyOrSharedWayIntoTheFinalStateStays) {
    const engine::Grammar kept[] = {
        graph(3, {{0, 1, 0.0f, 0}, {1, 2, -1.0f, -1}}),                                    // costs
        graph(4, {{0, 1, 0.0f, 0}, {0, 2, 0.0f, 1}, {1, 3, 0.0f, -1}, {2, 3, 0.0f, -1}}),  // two ways in
        graph(3, {{0, 1, 0.0f, 0}, {1, 2, 0.0f, -1}, {2, 1, 0.0f, 1}}),                    // a way out
    };
    for (const engine::Grammar &g : kept) {
        engine::Grammar net = g;
        engine::end_on_last_words(&net);
        EXPECT_EQ(net.nstates, g.nstates);
        EXPECT_EQ(net.final, g.final);
    }
}

// Merging keeps every word string with its best score, and the start and
// final states apart; -1: any number.
TEST(NetReduceTest, MergingKeepsTheStringsAndTheirBestScores) {
    const struct {
        const char *name;
        engine::Grammar net;
        bool fold;  // null transitions folded away first
        int nstates, words;
    } cases[] = {
        // Words 0 and 1 lead on to word 2, but at different costs.
        {"DifferentScoresKeepStatesApart",
         graph(6, {{0, 1, 0.0f, 0}, {0, 2, 0.0f, 1}, {1, 3, -1.0f, 2}, {2, 3, -2.0f, 2}, {3, 5, 0.0f, -1}}), false, 5,
         -1},
        // The same word twice from the start, to states with the same future.
        {"ParallelTransitionsKeepTheBestScore",
         graph(4, {{0, 1, -3.0f, 0}, {0, 2, -1.0f, 0}, {1, 3, 0.0f, -1}, {2, 3, 0.0f, -1}}), false, -1, 1},
        // Word 0 repeated any number of times through a loop of null states,
        // next to a second, equal loop on word 0 from another state.
        {"LoopsKeepTheirStrings",
         graph(7,
               {{0, 1, 0.0f, -1},
                {1, 2, 0.0f, 0},
                {2, 3, 0.0f, -1},
                {3, 1, -0.5f, -1},
                {0, 4, -0.5f, 1},
                {4, 5, 0.0f, 0},
                {5, 4, -0.5f, -1},
                {5, 6, 0.0f, -1},
                {3, 6, 0.0f, -1}}),
         true, -1, -1},
        // Word 1 leads nowhere; word 2 starts from a state nothing reaches.
        {"StatesOffEveryPathAreDropped",
         graph(6, {{0, 1, 0.0f, 0}, {0, 2, 0.0f, 1}, {3, 1, 0.0f, 2}, {1, 5, 0.0f, -1}}), false, 3, -1},
        {"AGraphAcceptingNothingStaysWhole", graph(3, {{0, 1, 0.0f, 0}}), false, -1, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        engine::Grammar net = c.net;
        Strings before = strings(net);
        if (c.fold) engine::fold_null_transitions(&net);
        engine::merge_equal_futures(&net);
        EXPECT_EQ(strings(net), before);
        if (c.nstates >= 0) {
            EXPECT_EQ(net.nstates, c.nstates);
        }
        if (c.words >= 0) {
            EXPECT_EQ(word_transitions(net), c.words);
        }
        EXPECT_NE(net.start, net.final);
        EXPECT_LT(std::max(net.start, net.final), net.nstates);
    }
}

// Any of n words, once or more, as lattices give it: a choice whose word
// ends join, inside a loop back to its start.
engine::Grammar repeated_choice(int n) {
    std::vector<engine::Grammar::Trans> trans = {{0, 1, 0.0f, -1}};
    int join = 2 + 2 * n, after = join + 1;
    for (int w = 0; w < n; w++) {
        int in = 2 + 2 * w, out = in + 1;
        trans.insert(trans.end(), {{1, in, 0.0f, -1}, {in, out, 0.0f, w}, {out, join, 0.0f, -1}});
    }
    trans.insert(trans.end(), {{join, 1, 0.0f, -1}, {join, after, 0.0f, -1}, {after, after + 1, 0.0f, -1}});
    return graph(after + 2, trans);
}

TEST(NetReduceTest, ARepeatedChoiceFoldsToOneCopyOfItsWords) {
    engine::Grammar small = repeated_choice(3);
    Strings before = strings(small, 4);
    engine::fold_null_transitions(&small);
    engine::merge_equal_futures(&small);
    EXPECT_EQ(strings(small, 4), before);
    // The decoder gets the words once, from a state that the start and
    // the loop both reach by a null transition.
    engine::Grammar shared = small;
    shared.trans = engine::share_word_choices(small, 3, &shared.nstates);
    EXPECT_EQ(strings(shared, 4), before);
    EXPECT_EQ(word_transitions(shared), 3);
    EXPECT_EQ(shared.nstates, small.nstates + 1);
    int unchanged = 0;
    EXPECT_EQ(engine::share_word_choices(small, 4, &unchanged).size(), small.trans.size());
    // Every word end leads on to all the words: folded one by one, n ends
    // would each start n words.
    engine::Grammar big = repeated_choice(2000);
    engine::fold_null_transitions(&big);
    EXPECT_EQ(word_transitions(big), 2 * 2000);
    engine::merge_equal_futures(&big);
    EXPECT_EQ(word_transitions(big), 2 * 2000);
    EXPECT_EQ(big.nstates, 3);
    big.trans = engine::share_word_choices(big, 100, &big.nstates);
    EXPECT_EQ(word_transitions(big), 2000);
}

}  // namespace

namespace {

// Appends a copy of the syntax N(depth) from state `in`, answering its last
// state: N(0) is an optional choice of words 0-3, each with its own end
// state as lattices give them, and N(d) is N(d - 1) twice.
int nested_optional(engine::Grammar *net, int depth, int in) {
    auto state = [net] { return net->nstates++; };
    int out = state();
    if (depth == 0) {
        net->trans.push_back({in, out, 0.0f, -1});
        for (int w = 0; w < 4; w++) {
            int end = state();
            net->trans.insert(net->trans.end(), {{in, end, 0.0f, w}, {end, out, 0.0f, -1}});
        }
        return out;
    }
    int half = nested_optional(net, depth - 1, in), join = state();
    net->trans.push_back({half, join, 0.0f, -1});
    net->trans.push_back({nested_optional(net, depth - 1, join), out, 0.0f, -1});
    return out;
}

// N(d) says up to 2^d of the words.  Each word end reaches the words of
// every later copy through the skipped ones, but the decoder needs only
// one state per count of words said, and the final state: folded and
// merged, the graph grows with the copies, not their square (N(8) had
// 131,584 word transitions).
TEST(NetReduceTest, NestedOptionalPartsFoldToOneStatePerWordCount) {
    for (int depth : {0, 1, 2, 6, 8}) {
        SCOPED_TRACE(depth);
        engine::Grammar net;
        net.nstates = 1;
        net.final = nested_optional(&net, depth, net.start = 0);
        Strings before = depth <= 2 ? strings(net, 5) : Strings();
        ASSERT_TRUE(engine::fold_null_transitions(&net));
        engine::merge_equal_futures(&net);
        int copies = 1 << depth;
        EXPECT_EQ(net.nstates, copies + 2);
        EXPECT_EQ(word_transitions(net), 4 * copies);
        if (depth <= 2) {
            EXPECT_EQ(strings(net, 5), before);
        }
    }
}

TEST(NetReduceTest, AFoldPastTheLimitLeavesTheGraphAsItWas) {
    engine::Grammar net = repeated_choice(100);
    const engine::Grammar before = net;
    // The start and the end of each word start the 100 words, and the
    // end of each word may end the graph.
    EXPECT_FALSE(engine::fold_null_transitions(&net, 200));
    EXPECT_EQ(net.nstates, before.nstates);
    EXPECT_EQ(net.trans.size(), before.trans.size());
    EXPECT_TRUE(engine::fold_null_transitions(&net, 201));
}

}  // namespace
