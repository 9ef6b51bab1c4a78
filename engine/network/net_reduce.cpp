// net_reduce.cpp - merging a network's states with the same future (the
// folding of its null transitions is in net_fold.cpp), in time and memory
// that grow with the graph.
//
// A grammar made of nested lattices has a word end state per word node:
// a choice of 14 words ends in 14 states that all go on the same way.
// Folding the null transitions copies the words that follow into each of
// them, so without merging the decoder would keep 14 copies of every
// following word active.
#include "network/net_graph.h"
#include "network/net_reduce.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <map>
#include <queue>
#include <set>
#include <tuple>
#include <unordered_map>

namespace engine::graph {

// Marks the states reached from `from` following the transitions
// forwards, or backwards.
std::vector<bool> reached(const engine::Grammar &g, int from, bool forwards) {
    ByState<int> next = by_state<int>(g, [forwards](const engine::Grammar::Trans &t, size_t, int *s, int *n) {
        *s = forwards ? t.from : t.to;
        *n = forwards ? t.to : t.from;
        return true;
    });
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
    std::vector<engine::Grammar::Trans> trans;
    for (const auto &t : g->trans)
        if (cls[t.from] >= 0 && cls[t.to] >= 0) trans.push_back({cls[t.from], cls[t.to], t.score, t.pron});
    // By state, target and word, the best score first.
    std::sort(trans.begin(), trans.end(), [](const engine::Grammar::Trans &a, const engine::Grammar::Trans &b) {
        return std::tie(a.from, a.to, a.pron, b.score) < std::tie(b.from, b.to, b.pron, a.score);
    });
    auto same = [](const engine::Grammar::Trans &a, const engine::Grammar::Trans &b) {
        return a.from == b.from && a.to == b.to && a.pron == b.pron;
    };
    trans.erase(std::unique(trans.begin(), trans.end(), same), trans.end());
    g->trans.swap(trans);
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

}  // namespace engine::graph

namespace {

using engine::graph::by_state;
using engine::graph::ByState;
using engine::graph::quotient;
using engine::graph::trim;

// One entry of a state's future: a word (or -1, a null transition), the
// class of the state it leads to and the best score.
struct Way {
    int pron, cls;
    float score;
    bool operator<(const Way &o) const { return std::tie(pron, cls, score) < std::tie(o.pron, o.cls, o.score); }
    bool operator==(const Way &o) const { return pron == o.pron && cls == o.cls && score == o.score; }
};

// The coarsest classes of states with the same future: states start apart
// only by being final, and a class splits while its states differ in the
// words, scores and classes of where they lead.  Only the states leading
// to a state that moved to a new class are looked at again, and of the
// parts of a class that splits the biggest keeps the class, so a state
// moves O(log n) times.  Classes are numbered by their first state.
class Futures {
public:
    explicit Futures(const engine::Grammar &g);
    std::vector<int> classes();

private:
    void look_again(const std::vector<int> &states);
    void split(int c, std::vector<int>::iterator begin, std::vector<int>::iterator end);
    int new_class() {
        members_.emplace_back();
        return static_cast<int>(members_.size()) - 1;
    }
    void remove(int s);
    void add(int s, int c);

    const engine::Grammar &g_;
    ByState<int> out_, preds_;  // transitions from each state, states leading to it
    std::vector<int> cls_, pos_;
    std::vector<std::vector<int>> members_;
    std::vector<std::vector<Way>> future_;
    std::vector<int> moved_;
};

Futures::Futures(const engine::Grammar &g) : g_(g), cls_(g.nstates), pos_(g.nstates), members_(2), future_(g.nstates) {
    out_ = by_state<int>(g, [](const engine::Grammar::Trans &t, size_t i, int *s, int *out) {
        *s = t.from, *out = static_cast<int>(i);
        return true;
    });
    preds_ = by_state<int>(g, [](const engine::Grammar::Trans &t, size_t, int *s, int *pred) {
        *s = t.to, *pred = t.from;
        return true;
    });
    for (int s = 0; s < g.nstates; s++) add(s, s == g.final ? 1 : 0);
}

void Futures::remove(int s) {
    std::vector<int> &m = members_[cls_[s]];
    pos_[m.back()] = pos_[s];
    m[pos_[s]] = m.back();
    m.pop_back();
}

void Futures::add(int s, int c) {
    cls_[s] = c;
    pos_[s] = static_cast<int>(members_[c].size());
    members_[c].push_back(s);
}

std::vector<int> Futures::classes() {
    std::vector<int> all(g_.nstates);
    for (int s = 0; s < g_.nstates; s++) all[s] = s;
    look_again(all);
    std::vector<int> looked;
    std::vector<bool> mark(g_.nstates, false);
    while (!moved_.empty()) {
        looked.clear();
        for (int m : moved_)
            for (int p : preds_[m])
                if (!mark[p]) mark[p] = true, looked.push_back(p);
        for (int p : looked) mark[p] = false;
        moved_.clear();
        look_again(looked);
    }
    std::vector<int> number(members_.size(), -1), cls(g_.nstates);
    int n = 0;
    for (int s = 0; s < g_.nstates; s++) {
        if (number[cls_[s]] < 0) number[cls_[s]] = n++;
        cls[s] = number[cls_[s]];
    }
    return cls;
}

// Takes the futures of the states again and splits their classes where
// they now differ.
void Futures::look_again(const std::vector<int> &states) {
    for (int s : states) {
        std::vector<Way> &f = future_[s];
        f.clear();
        for (int i : out_[s]) f.push_back({g_.trans[i].pron, cls_[g_.trans[i].to], g_.trans[i].score});
        // Per word and class the best score, which sorts last.
        std::sort(f.begin(), f.end());
        size_t n = 0;
        for (size_t i = 0; i < f.size(); i++) {
            if (i + 1 < f.size() && f[i + 1].pron == f[i].pron && f[i + 1].cls == f[i].cls) continue;
            f[n++] = f[i];
        }
        f.resize(n);
    }
    std::vector<int> order = states;
    std::sort(order.begin(), order.end(),
              [this](int a, int b) { return cls_[a] != cls_[b] ? cls_[a] < cls_[b] : future_[a] < future_[b]; });
    for (auto i = order.begin(); i != order.end();) {
        auto j = i;
        while (j != order.end() && cls_[*j] == cls_[*i]) ++j;
        split(cls_[*i], i, j);
        i = j;
    }
}

// Splits class c, whose states in [begin, end) were looked at again (in
// the order of their futures); the others keep the future they had.
void Futures::split(int c, std::vector<int>::iterator begin, std::vector<int>::iterator end) {
    for (auto i = begin; i != end; ++i) remove(*i);
    // The parts: the states not looked at with those whose future is
    // theirs, and one part for each other future.
    std::vector<std::pair<std::vector<int>::iterator, std::vector<int>::iterator>> parts;
    auto same = end;
    for (auto i = begin; i != end;) {
        auto j = i;
        while (j != end && future_[*j] == future_[*i]) ++j;
        if (!members_[c].empty() && future_[*i] == future_[members_[c][0]]) same = i;
        else parts.push_back({i, j});
        i = j;
    }
    size_t stay = members_[c].size(), biggest = stay;
    if (same != end)
        for (auto i = same; i != end && future_[*i] == future_[*same]; ++i) stay++, biggest++;
    int keeper = -1;  // the part that keeps c; -1: the states not looked at
    for (size_t p = 0; p < parts.size(); p++) {
        size_t size = static_cast<size_t>(parts[p].second - parts[p].first);
        if (size > biggest) biggest = size, keeper = static_cast<int>(p);
    }
    if (same != end)
        for (auto i = same; i != end && future_[*i] == future_[*same]; ++i) add(*i, c);
    if (keeper >= 0 && stay > 0) {
        int k = new_class();
        std::vector<int> left;
        left.swap(members_[c]);
        for (int s : left) add(s, k), moved_.push_back(s);
    }
    for (size_t p = 0; p < parts.size(); p++) {
        int k = static_cast<int>(p) == keeper ? c : new_class();
        for (auto i = parts[p].first; i != parts[p].second; ++i) {
            add(*i, k);
            if (k != c) moved_.push_back(*i);
        }
    }
}

}  // namespace

namespace engine {

void merge_equal_futures(engine::Grammar *g) {
    trim(g);
    std::vector<int> cls = Futures(*g).classes();
    int n = 0;
    for (int c : cls) n = std::max(n, c + 1);
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
