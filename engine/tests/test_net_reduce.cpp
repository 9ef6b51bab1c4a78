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
// final state, with the best score of its paths.  Null paths are followed
// up to a fixed depth, which is enough for the small graphs here.
void collect(const engine::Grammar &net, int state, std::vector<int> *said, float score, int nulls, size_t longest,
             Strings *out) {
    if (state == net.final) {
        auto it = out->find(*said);
        if (it == out->end() || score > it->second) (*out)[*said] = score;
    }
    for (const auto &t : net.trans) {
        if (t.from != state) continue;
        if (t.pron < 0) {
            if (nulls < 8) collect(net, t.to, said, score + t.score, nulls + 1, longest, out);
        } else if (said->size() < longest) {
            said->push_back(t.pron);
            collect(net, t.to, said, score + t.score, 0, longest, out);
            said->pop_back();
        }
    }
}

Strings strings(const engine::Grammar &net, size_t longest = 6) {
    Strings out;
    std::vector<int> said;
    collect(net, net.start, &said, 0.0f, 0, longest, &out);
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
    return graph(12, {{0, 1, 0.0f, -1},  {1, 2, 0.0f, 0},   {1, 3, 0.0f, 1},  {1, 4, -0.5f, 2},
                      {2, 5, 0.0f, -1},  {3, 5, 0.0f, -1},  {4, 5, 0.0f, -1}, {5, 6, 0.0f, 3},
                      {5, 7, -1.0f, -1}, {6, 7, 0.0f, -1},  {7, 8, 0.0f, 4},  {8, 11, 0.0f, -1}});
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
        graph(3, {{0, 1, 0.0f, 0}, {1, 2, -1.0f, -1}}),                                       // costs
        graph(4, {{0, 1, 0.0f, 0}, {0, 2, 0.0f, 1}, {1, 3, 0.0f, -1}, {2, 3, 0.0f, -1}}),    // two ways in
        graph(3, {{0, 1, 0.0f, 0}, {1, 2, 0.0f, -1}, {2, 1, 0.0f, 1}}),                       // a way out
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
         graph(7, {{0, 1, 0.0f, -1}, {1, 2, 0.0f, 0}, {2, 3, 0.0f, -1}, {3, 1, -0.5f, -1}, {0, 4, -0.5f, 1},
                   {4, 5, 0.0f, 0}, {5, 4, -0.5f, -1}, {5, 6, 0.0f, -1}, {3, 6, 0.0f, -1}}),
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
        if (c.nstates >= 0) { EXPECT_EQ(net.nstates, c.nstates); }
        if (c.words >= 0) { EXPECT_EQ(word_transitions(net), c.words); }
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
