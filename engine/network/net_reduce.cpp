// net_reduce.cpp - folding a network's null transitions away and merging
// its states with the same future.
//
// A grammar made of nested lattices has a word end state per word node:
// a choice of 14 words ends in 14 states that all go on the same way.
// Folding the null transitions copies the words that follow into each of
// them, so without merging the decoder would keep 14 copies of every
// following word active.
#include "network/net_reduce.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <queue>
#include <tuple>

namespace {

// Marks the states reached from `from` following the transitions
// forwards, or backwards.
std::vector<bool> reached(const engine::Grammar &g, int from, bool forwards) {
    std::vector<std::vector<int>> next(g.nstates);
    for (const auto &t : g.trans) next[forwards ? t.from : t.to].push_back(forwards ? t.to : t.from);
    std::vector<bool> seen(g.nstates, false);
    std::vector<int> todo = {from};
    seen[from] = true;
    while (!todo.empty()) {
        int s = todo.back();
        todo.pop_back();
        for (int n : next[s])
            if (!seen[n]) seen[n] = true, todo.push_back(n);
    }
    return seen;
}

// Renumbers the states by cls (class numbers from 0 to n - 1), keeping the
// best of transitions that become the same.
void quotient(engine::Grammar *g, const std::vector<int> &cls, int n) {
    std::map<std::tuple<int, int, int>, float> best;  // from, to, pron -> score
    for (const auto &t : g->trans) {
        if (cls[t.from] < 0 || cls[t.to] < 0) continue;
        auto key = std::make_tuple(cls[t.from], cls[t.to], t.pron);
        auto it = best.find(key);
        if (it == best.end()) best.emplace(key, t.score);
        else it->second = std::max(it->second, t.score);
    }
    g->trans.clear();
    for (const auto &[key, score] : best)
        g->trans.push_back({std::get<0>(key), std::get<1>(key), score, std::get<2>(key)});
    g->nstates = n;
    g->start = cls[g->start];
    g->final = cls[g->final];
}

// Keeps only the states on some path from the start to the final state.
void trim(engine::Grammar *g) {
    std::vector<bool> from_start = reached(*g, g->start, true);
    std::vector<bool> to_final = reached(*g, g->final, false);
    std::vector<int> cls(g->nstates, -1);
    int n = 0;
    for (int s = 0; s < g->nstates; s++)
        if (from_start[s] && to_final[s]) cls[s] = n++;
    if (cls[g->start] < 0 || cls[g->final] < 0) {
        // Nothing is accepted; keep the two ends so the graph stays whole.
        cls.assign(g->nstates, -1);
        cls[g->start] = 0;
        cls[g->final] = g->final == g->start ? 0 : 1;
        n = g->final == g->start ? 1 : 2;
    }
    quotient(g, cls, n);
}

}  // namespace

namespace engine {

void fold_null_transitions(engine::Grammar *g) {
    std::vector<std::vector<std::pair<int, float>>> nulls(g->nstates);
    std::vector<std::vector<int>> words(g->nstates);
    std::vector<int> keep(g->nstates, -1);
    int kept = 0;
    keep[g->start] = kept++;
    for (size_t i = 0; i < g->trans.size(); i++) {
        const engine::Grammar::Trans &t = g->trans[i];
        if (t.pron < 0) nulls[t.from].push_back({t.to, t.score});
        else words[t.from].push_back(static_cast<int>(i));
        if (t.pron >= 0 && keep[t.to] < 0) keep[t.to] = kept++;
    }
    int final = kept++;
    std::map<std::pair<std::pair<int, int>, int>, float> best;  // (from, to), pron -> score
    std::vector<float> reach(g->nstates);
    for (int s = 0; s < g->nstates; s++) {
        if (keep[s] < 0) continue;
        // Best null-path score from s to every state (scores are at most 0).
        std::fill(reach.begin(), reach.end(), -INFINITY);
        std::priority_queue<std::pair<float, int>> todo;
        reach[s] = 0.0f;
        todo.push({0.0f, s});
        while (!todo.empty()) {
            auto [score, u] = todo.top();
            todo.pop();
            if (score < reach[u]) continue;
            for (auto [v, w] : nulls[u])
                if (score + w > reach[v]) reach[v] = score + w, todo.push({score + w, v});
        }
        for (int u = 0; u < g->nstates; u++) {
            if (reach[u] == -INFINITY) continue;
            if (u == g->final) best[{{keep[s], final}, -1}] = reach[u];
            for (int i : words[u]) {
                const engine::Grammar::Trans &t = g->trans[i];
                auto key = std::make_pair(std::make_pair(keep[s], keep[t.to]), t.pron);
                float score = reach[u] + t.score;
                auto it = best.find(key);
                if (it == best.end() || score > it->second) best[key] = score;
            }
        }
    }
    g->trans.clear();
    for (const auto &[key, score] : best) g->trans.push_back({key.first.first, key.first.second, score, key.second});
    g->nstates = kept;
    g->start = keep[g->start];
    g->final = final;
}

void merge_equal_futures(engine::Grammar *g) {
    trim(g);
    // Partition refinement: states start apart only by being final, and
    // are split by the words, scores and classes of where they lead until
    // no class splits any more.
    using Future = std::map<std::pair<int, int>, float>;  // pron, class of target -> best score
    std::vector<int> cls(g->nstates);
    for (int s = 0; s < g->nstates; s++) cls[s] = s == g->final ? 1 : 0;
    int n = 0;
    for (;;) {
        std::vector<Future> future(g->nstates);
        for (const auto &t : g->trans) {
            auto key = std::make_pair(t.pron, cls[t.to]);
            auto it = future[t.from].find(key);
            if (it == future[t.from].end()) future[t.from].emplace(key, t.score);
            else it->second = std::max(it->second, t.score);
        }
        std::map<std::pair<int, Future>, int> classes;
        std::vector<int> split(g->nstates);
        for (int s = 0; s < g->nstates; s++)
            split[s] = classes.emplace(std::make_pair(cls[s], future[s]), static_cast<int>(classes.size())).first->second;
        int count = static_cast<int>(classes.size());
        cls.swap(split);
        if (count == n) break;
        n = count;
    }
    quotient(g, cls, n);
}

}  // namespace engine
