// net_graph.h - what the folding and the merging of a network's graph
// share: its transitions listed by state, reachability, and renumbering.
#ifndef ENGINE_NETWORK_NET_GRAPH_H
#define ENGINE_NETWORK_NET_GRAPH_H

#include "base/recognition_grammar.h"

#include <cstddef>
#include <vector>

namespace engine::graph {

// Items listed by state in one block (a graph as big as memory allows
// would need several times the memory as a list per state): those of state
// s are items[first[s]] up to items[first[s + 1]].
template <class T>
struct ByState {
    struct Range {
        const T *b, *e;
        const T *begin() const { return b; }
        const T *end() const { return e; }
        size_t size() const { return static_cast<size_t>(e - b); }
    };
    std::vector<size_t> first;
    std::vector<T> items;
    Range operator[](int s) const { return {items.data() + first[s], items.data() + first[s + 1]}; }
};

// The items that pick(transition, index, &state, &item) makes of g's
// transitions, when it answers true, listed by the state it names.
template <class T, class Pick>
ByState<T> by_state(const engine::Grammar &g, Pick pick) {
    ByState<T> b;
    b.first.assign(g.nstates + 1, 0);
    int s;
    T item;
    for (size_t i = 0; i < g.trans.size(); i++)
        if (pick(g.trans[i], i, &s, &item)) b.first[s + 1]++;
    for (int i = 0; i < g.nstates; i++) b.first[i + 1] += b.first[i];
    b.items.resize(b.first[g.nstates]);
    std::vector<size_t> next(b.first.begin(), b.first.end() - 1);
    for (size_t i = 0; i < g.trans.size(); i++)
        if (pick(g.trans[i], i, &s, &item)) b.items[next[s]++] = item;
    return b;
}

// Marks the states reached from `from` following the transitions
// forwards, or backwards.
std::vector<bool> reached(const Grammar &g, int from, bool forwards);

// Renumbers the states by cls (class numbers from 0 to n - 1), keeping the
// best of transitions that become the same.
void quotient(Grammar *g, const std::vector<int> &cls, int n);

// Keeps only the states on some path from the start to the final state.
void trim(Grammar *g);

}  // namespace engine::graph

#endif  // ENGINE_NETWORK_NET_GRAPH_H
