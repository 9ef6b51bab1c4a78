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
#include <set>
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

// A state whose only way on is one null transition of score 0 has the
// future of the state that transition leads to.  Word ends in a choice,
// the ends of included syntaxes and the joins after them are such states:
// folding them with the state they lead to makes a loop over N words one
// state that starts them all rather than N states that each start all N
// (N * N transitions).  Answers the state each state stands for.  Only
// states on a path from the start to the final state are folded, as
// merge_equal_futures would merge them anyway.
std::vector<int> plain_null_targets(const engine::Grammar &g) {
    std::vector<bool> from_start = reached(g, g.start, true);
    std::vector<bool> to_final = reached(g, g.final, false);
    std::vector<int> outs(g.nstates, 0), to(g.nstates, -1);
    for (const auto &t : g.trans) {
        outs[t.from]++;
        if (t.pron < 0 && t.score == 0.0f && t.to != t.from && from_start[t.from] && to_final[t.from])
            to[t.from] = t.to;
    }
    // -1: not yet known; -2: on the chain being followed (a chain that
    // comes back on itself leaves its states as they are).
    std::vector<int> rep(g.nstates, -1);
    std::vector<int> chain;
    for (int s = 0; s < g.nstates; s++) {
        int u = s;
        while (rep[u] == -1 && outs[u] == 1 && to[u] >= 0 && u != g.start && u != g.final) {
            rep[u] = -2;
            chain.push_back(u);
            u = to[u];
        }
        bool loop = rep[u] == -2;
        if (rep[u] == -1) rep[u] = u;
        for (int c : chain) rep[c] = loop ? c : rep[u];
        chain.clear();
    }
    return rep;
}

// Numbers the folded states as if every state that starts words had been
// kept apart and the equal ones merged afterwards: a state takes the
// place of the first of the states it stands for that a word from the
// start leads to.  order gives each original state's place (-1: none);
// reached lists (from, original target) of each folded word transition.
std::vector<int> fold_numbers(const engine::Grammar &g, const std::vector<int> &rep, const std::vector<int> &order,
                              const std::vector<std::pair<int, int>> &reached) {
    std::vector<std::vector<int>> targets(g.nstates);
    for (auto [from, to] : reached) targets[from].push_back(to);
    const int none = static_cast<int>(g.nstates) + 1;
    std::vector<int> place(g.nstates, none);
    std::vector<bool> seen(g.nstates, false);
    std::vector<int> todo = {g.start};
    seen[g.start] = true;
    place[g.start] = order[g.start];
    while (!todo.empty()) {
        int s = todo.back();
        todo.pop_back();
        for (int u : targets[s]) {
            int r = rep[u];
            place[r] = std::min(place[r], order[u]);
            if (!seen[r]) seen[r] = true, todo.push_back(r);
        }
    }
    // The states no word from the start reaches come after, by their own
    // places; they are trimmed away later.
    std::vector<std::pair<std::pair<bool, int>, int>> keys;
    for (int s = 0; s < g.nstates; s++)
        if (order[s] >= 0 && rep[s] == s) keys.push_back({{!seen[s], seen[s] ? place[s] : order[s]}, s});
    std::sort(keys.begin(), keys.end());
    std::vector<int> number(g.nstates, -1);
    for (size_t i = 0; i < keys.size(); i++) number[keys[i].second] = static_cast<int>(i);
    return number;
}

}  // namespace

namespace engine {

void fold_null_transitions(engine::Grammar *g) {
    std::vector<int> rep = plain_null_targets(*g);
    std::vector<std::vector<std::pair<int, float>>> nulls(g->nstates);
    std::vector<std::vector<int>> words(g->nstates);
    // Each state that starts words (the start and every word's end) in
    // the order first met; a state folded into another starts the other.
    std::vector<int> order(g->nstates, -1);
    int kept = 0;
    order[g->start] = kept++;
    for (size_t i = 0; i < g->trans.size(); i++) {
        const engine::Grammar::Trans &t = g->trans[i];
        if (t.pron < 0) nulls[t.from].push_back({t.to, t.score});
        else words[t.from].push_back(static_cast<int>(i));
        if (t.pron >= 0 && order[t.to] < 0) order[t.to] = kept++;
    }
    for (int s = 0; s < g->nstates; s++)
        if (order[s] >= 0 && order[rep[s]] < 0) order[rep[s]] = kept++;
    std::map<std::pair<std::pair<int, int>, int>, float> best;  // (from, to), pron -> score
    std::vector<std::pair<int, int>> reached_by;                // (from, original target)
    // Best null-path score from the state at hand (scores are at most 0);
    // only the states a search touched are visited and reset, so the
    // searches together cost what the null paths they follow do.
    std::vector<float> reach(g->nstates, -INFINITY);
    std::vector<int> touched;
    for (int s = 0; s < g->nstates; s++) {
        if (order[s] < 0 || rep[s] != s) continue;
        std::priority_queue<std::pair<float, int>> todo;
        reach[s] = 0.0f;
        touched.assign(1, s);
        todo.push({0.0f, s});
        while (!todo.empty()) {
            auto [score, u] = todo.top();
            todo.pop();
            if (score < reach[u]) continue;
            for (auto [v, w] : nulls[u]) {
                if (score + w <= reach[v]) continue;
                if (reach[v] == -INFINITY) touched.push_back(v);
                reach[v] = score + w, todo.push({score + w, v});
            }
        }
        for (int u : touched) {
            if (u == g->final) best[{{s, -1}, -1}] = reach[u];
            for (int i : words[u]) {
                const engine::Grammar::Trans &t = g->trans[i];
                reached_by.push_back({s, t.to});
                auto key = std::make_pair(std::make_pair(s, rep[t.to]), t.pron);
                float score = reach[u] + t.score;
                auto it = best.find(key);
                if (it == best.end() || score > it->second) best[key] = score;
            }
            reach[u] = -INFINITY;
        }
    }
    std::vector<int> number = fold_numbers(*g, rep, order, reached_by);
    int states = 0;
    for (int n : number) states = std::max(states, n + 1);
    int final = states;
    std::map<std::pair<std::pair<int, int>, int>, float> renumbered;
    for (const auto &[key, score] : best) {
        int to = key.first.second < 0 ? final : number[key.first.second];
        renumbered[{{number[key.first.first], to}, key.second}] = score;
    }
    g->trans.clear();
    for (const auto &[key, score] : renumbered)
        g->trans.push_back({key.first.first, key.first.second, score, key.second});
    g->nstates = final + 1;
    g->start = number[g->start];
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

std::vector<Grammar::Trans> share_word_choices(const Grammar &g, size_t min_words, int *nstates) {
    // The states that offer each word transition (word, target, score),
    // then the word transitions offered by each such set of states.
    using Offer = std::tuple<int, int, float>;  // pron, to, score
    std::map<Offer, std::vector<int>> offered_by;
    for (const auto &t : g.trans)
        if (t.pron >= 0) offered_by[{t.pron, t.to, t.score}].push_back(t.from);
    std::map<std::vector<int>, std::vector<Offer>> choices;
    for (auto &[offer, states] : offered_by) {
        std::sort(states.begin(), states.end());
        choices[states].push_back(offer);
    }
    *nstates = g.nstates;
    std::set<std::pair<int, Offer>> moved;  // (from, offer) now offered by a shared state
    std::vector<Grammar::Trans> out;
    for (const auto &[states, offers] : choices) {
        if (states.size() < 2 || offers.size() < min_words) continue;
        int shared = (*nstates)++;
        for (int s : states) out.push_back({s, shared, 0.0f, -1});
        for (const auto &[pron, to, score] : offers) {
            out.push_back({shared, to, score, pron});
            for (int s : states) moved.insert({s, {pron, to, score}});
        }
    }
    for (const auto &t : g.trans)
        if (t.pron < 0 || !moved.count({t.from, {t.pron, t.to, t.score}})) out.push_back(t);
    return out;
}

void end_on_last_words(Grammar *g) {
    int into = -1, count = 0;
    for (const auto &t : g->trans) {
        if (t.from == g->final) return;
        if (t.to == g->final) count++, into = t.pron < 0 && t.score == 0.0f ? t.from : -1;
    }
    if (count != 1 || into < 0 || into == g->start) return;
    std::vector<int> cls(g->nstates);
    for (int s = 0; s < g->nstates; s++) cls[s] = s == g->final ? -1 : s - (s > g->final ? 1 : 0);
    int last = cls[into];
    quotient(g, cls, g->nstates - 1);
    g->final = last;
}

}  // namespace engine
