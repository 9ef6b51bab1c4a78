// net_reduce.cpp - folding a network's null transitions away and merging
// its states with the same future, in time and memory that grow with the
// graph: a syntax that includes another twice, which includes another
// twice, and so on, makes a graph as big as memory allows.
//
// A grammar made of nested lattices has a word end state per word node:
// a choice of 14 words ends in 14 states that all go on the same way.
// Folding the null transitions copies the words that follow into each of
// them, so without merging the decoder would keep 14 copies of every
// following word active.
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

namespace {

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

// A word transition of a folded state: the word, the state standing for
// the word's end, the best score, and the earliest place (fold_numbers) of
// the word ends that state stands for.
struct Step {
    int pron, to;
    float score;
    int first;
};

// What a state that starts words folds to: its word transitions and its
// best null path into the final state.
struct Folded {
    std::vector<Step> steps;
    float final = -INFINITY;
};

// A null path from one state that starts words to another that passes no
// such state on the way, with its best score.
struct Link {
    int to;
    float score;
};

// How many links a search for a null path between two states that start
// words may follow (Folder::null_score).
const int kLinkSearch = 32;
// Word transitions of one word from one state that are compared with one
// another (Folder::keep_unbeaten); a bigger choice is left as it is.
const size_t kMostRivals = 16;
// The null-path scores between states that start words kept once found.
const size_t kKnownNullScores = 1 << 20;
// The work of folding (states searched, transitions gathered) may be this
// many times the transitions the folded graph may have; the searches for
// null paths that drop steps made useless have as much again.
const size_t kWorkPerTransition = 16;

// Folds each state that starts words (the start, and each state standing
// for the end of a word) to the words it reaches through null paths.
//
// A state searches its null paths only as far as the next states that
// start words (its links), and takes their words from their own folds, so
// a chain of optional parts costs its length, not its square.  The states
// of a loop of null paths are folded together, and every group after the
// groups it leads to.  Where one word leads from a state both to a state
// and to another that the first reaches through null paths at no loss,
// the second is dropped: the first has every string and score it has.
// Optional parts in a row ("[a] [a] [a]") would otherwise leave each state
// a copy of the word for every part that may be skipped.
class Folder {
public:
    Folder(const engine::Grammar &g, const std::vector<int> &rep, const std::vector<int> &order,
           size_t max_transitions)
        : g_(g), rep_(rep), order_(order), max_transitions_(max_transitions),
          max_work_(max_transitions * kWorkPerTransition), reach_(g.nstates, -INFINITY), slot_(g.nstates, -1) {
        nulls_ = by_state<Link>(g, [](const engine::Grammar::Trans &t, size_t, int *s, Link *l) {
            *s = t.from, *l = {t.to, t.score};
            return t.pron < 0;
        });
        words_ = by_state<int>(g, [](const engine::Grammar::Trans &t, size_t i, int *s, int *w) {
            *s = t.from, *w = static_cast<int>(i);
            return t.pron >= 0;
        });
        size_t places = 0;
        for (int p : order) places = std::max(places, static_cast<size_t>(p + 1));
        links_.resize(places);
        folded_.resize(places);
    }

    // False when the folded graph would have more than max_transitions
    // transitions, or finding them would take many times as long.
    bool fold();
    // What the state in each place (order) folds to.
    const std::vector<Folded> &folded() const { return folded_; }

private:
    bool starts_words(int s) const { return order_[s] >= 0 && rep_[s] == s; }
    bool spend(size_t work) { return (work_ += work) <= max_work_; }
    bool search(int s);
    bool fold_groups();
    bool fold_group(const std::vector<int> &group);
    bool gather(int s, Folded *out);
    bool fold_loop(const std::vector<int> &group, size_t allowance, std::vector<Folded> *out);
    bool through_group(const std::vector<int> &group, const std::vector<Folded> &out, size_t from, Folded *f);
    bool offers_more(const Folded &f, const Folded &old);
    bool beats(const Step &a, const Step &b) {
        float d = null_score(a.to, b.to);
        return d > -INFINITY && a.score + d >= b.score;
    }
    void keep_best(std::vector<Step> *steps);
    void keep_unbeaten(std::vector<Step> *rivals);
    float null_score(int from, int to);

    const engine::Grammar &g_;
    const std::vector<int> &rep_, &order_;
    const size_t max_transitions_, max_work_;
    size_t work_ = 0, search_work_ = 0, transitions_ = 0;
    std::unordered_map<std::uint64_t, float> null_scores_;  // by (from, to)
    ByState<Link> nulls_;
    ByState<int> words_;  // word transitions by state
    // By the place (order) of each state that starts words.
    std::vector<std::vector<Link>> links_;
    std::vector<Folded> folded_;
    // Best null-path score from the state at hand; only the states a
    // search touched are reset.
    std::vector<float> reach_;
    std::vector<int> touched_;
    std::vector<int> slot_;  // place in the group being folded, or -1
};

bool Folder::fold() {
    for (int s = 0; s < g_.nstates; s++)
        if (starts_words(s) && !search(s)) return false;
    return fold_groups();
}

// The words and the final state that s reaches by null paths passing no
// other state that starts words, and its links to those states.
bool Folder::search(int s) {
    std::priority_queue<std::pair<float, int>> todo;
    reach_[s] = 0.0f;
    touched_.assign(1, s);
    todo.push({0.0f, s});
    while (!todo.empty()) {
        auto [score, u] = todo.top();
        todo.pop();
        if (score < reach_[u] || (u != s && starts_words(u))) continue;
        if (!spend(1 + nulls_[u].size())) return false;
        for (auto [v, w] : nulls_[u]) {
            if (score + w <= reach_[v]) continue;
            if (reach_[v] == -INFINITY) touched_.push_back(v);
            reach_[v] = score + w, todo.push({score + w, v});
        }
    }
    Folded &f = folded_[order_[s]];
    for (int u : touched_) {
        if (u != s && starts_words(u)) {
            links_[order_[s]].push_back({u, reach_[u]});
        } else {
            if (u == g_.final) f.final = reach_[u];
            for (int i : words_[u]) {
                const engine::Grammar::Trans &t = g_.trans[i];
                f.steps.push_back({t.pron, rep_[t.to], reach_[u] + t.score, order_[t.to]});
            }
        }
        reach_[u] = -INFINITY;
    }
    return spend(f.steps.size());
}

// Groups the states that start words by the links that lead round from
// one to another (Tarjan's strongly connected components, without
// recursion), folding each group as it is complete: after every group it
// leads to.
bool Folder::fold_groups() {
    const int n = g_.nstates;
    std::vector<int> index(n, -1), low(n, 0);
    std::vector<bool> stacked(n, false);
    std::vector<int> stack, group;
    std::vector<std::pair<int, size_t>> path;  // state, next link to follow
    int next = 0;
    auto enter = [&](int s) {
        index[s] = low[s] = next++;
        stack.push_back(s), stacked[s] = true;
        path.push_back({s, 0});
    };
    for (int root = 0; root < n; root++) {
        if (!starts_words(root) || index[root] >= 0) continue;
        enter(root);
        while (!path.empty()) {
            int s = path.back().first;
            size_t i = path.back().second++;
            const std::vector<Link> &links = links_[order_[s]];
            if (i < links.size()) {
                int r = links[i].to;
                if (index[r] < 0) enter(r);
                else if (stacked[r]) low[s] = std::min(low[s], index[r]);
                continue;
            }
            path.pop_back();
            if (!path.empty()) low[path.back().first] = std::min(low[path.back().first], low[s]);
            if (low[s] != index[s]) continue;
            group.clear();
            int m;
            do {
                m = stack.back();
                stack.pop_back(), stacked[m] = false;
                group.push_back(m);
            } while (m != s);
            if (!fold_group(group)) return false;
        }
    }
    return true;
}

// What s offers apart from the links within its group: its own steps and
// those of the states its other links lead to, folded already.
bool Folder::gather(int s, Folded *out) {
    *out = folded_[order_[s]];
    for (const Link &l : links_[order_[s]]) {
        if (slot_[l.to] >= 0) continue;
        const Folded &f = folded_[order_[l.to]];
        if (!spend(f.steps.size()) || out->steps.size() + f.steps.size() > max_transitions_) return false;
        for (Step st : f.steps) {
            st.score = l.score + st.score;
            out->steps.push_back(st);
        }
        out->final = std::max(out->final, l.score + f.final);
    }
    keep_best(&out->steps);
    return true;
}

// Folds the states of a loop of null paths together: each takes what it
// offers itself and, through its links within the loop, what the others
// offer, again whenever one of those comes to offer more, until none
// does.  No best path goes round a loop (scores are at most 0), so this
// ends.  out holds what each offers itself, and its fold once done; false,
// with out as it was, when the work would pass the allowance or the folds
// the most transitions.
bool Folder::fold_loop(const std::vector<int> &group, size_t allowance, std::vector<Folded> *out) {
    const size_t most = work_ + allowance;
    std::vector<std::vector<size_t>> preds(group.size());
    for (size_t i = 0; i < group.size(); i++)
        for (const Link &l : links_[order_[group[i]]])
            if (slot_[l.to] >= 0) preds[static_cast<size_t>(slot_[l.to])].push_back(i);
    std::vector<Folded> fold = *out;
    size_t held = 0;
    for (const Folded &f : fold) held += f.steps.size();
    std::deque<size_t> todo;
    std::vector<bool> queued(group.size(), true);
    for (size_t i = 0; i < group.size(); i++) todo.push_back(i);
    while (!todo.empty()) {
        size_t i = todo.front();
        todo.pop_front();
        queued[i] = false;
        Folded f = (*out)[i];
        for (const Link &l : links_[order_[group[i]]]) {
            if (slot_[l.to] < 0) continue;
            const Folded &to = fold[static_cast<size_t>(slot_[l.to])];
            if (!spend(to.steps.size() + 1) || work_ > most) return false;
            for (Step st : to.steps) {
                st.score = l.score + st.score;
                f.steps.push_back(st);
            }
            f.final = std::max(f.final, l.score + to.final);
        }
        keep_best(&f.steps);
        if (!offers_more(f, fold[i])) continue;
        held = held + f.steps.size() - fold[i].steps.size();
        if (transitions_ + held > max_transitions_) return false;
        fold[i] = std::move(f);
        for (size_t p : preds[i])
            if (!queued[p]) queued[p] = true, todo.push_back(p);
    }
    out->swap(fold);
    return true;
}

// What the member `from` of a group offers through the group's links:
// what each member it reaches offers, after the best null path there.
bool Folder::through_group(const std::vector<int> &group, const std::vector<Folded> &out, size_t from, Folded *f) {
    std::vector<float> best(group.size(), -INFINITY);
    std::priority_queue<std::pair<float, int>> todo;
    best[from] = 0.0f;
    todo.push({0.0f, static_cast<int>(from)});
    while (!todo.empty()) {
        auto [score, i] = todo.top();
        todo.pop();
        if (score < best[i]) continue;
        const std::vector<Link> &links = links_[order_[group[i]]];
        if (!spend(1 + links.size() + out[i].steps.size())) return false;
        for (const Link &l : links) {
            int j = slot_[l.to];
            if (j >= 0 && score + l.score > best[j]) best[j] = score + l.score, todo.push({best[j], j});
        }
    }
    f->steps.clear();
    f->final = -INFINITY;
    for (size_t i = 0; i < group.size(); i++) {
        if (best[i] == -INFINITY) continue;
        for (Step st : out[i].steps) {
            st.score = i == from ? st.score : best[i] + st.score;
            f->steps.push_back(st);
        }
        f->final = std::max(f->final, i == from ? out[i].final : best[i] + out[i].final);
    }
    keep_best(&f->steps);
    return true;
}

// Whether f offers a step or a final score that `old`, kept by
// keep_best, neither has nor makes useless.
bool Folder::offers_more(const Folded &f, const Folded &old) {
    if (f.final > old.final) return true;
    for (const Step &st : f.steps) {
        auto range = std::equal_range(old.steps.begin(), old.steps.end(), st,
                                      [](const Step &a, const Step &b) { return a.pron < b.pron; });
        bool rivals = static_cast<size_t>(range.second - range.first) < kMostRivals;
        bool covered = false;
        for (auto o = range.first; o != range.second && !covered; ++o)
            covered = o->to == st.to ? o->score >= st.score && o->first <= st.first : rivals && beats(*o, st);
        if (!covered) return true;
    }
    return false;
}

bool Folder::fold_group(const std::vector<int> &group) {
    for (size_t i = 0; i < group.size(); i++) slot_[group[i]] = static_cast<int>(i);
    std::vector<Folded> out(group.size());
    bool ok = true;
    for (size_t i = 0; ok && i < group.size(); i++) ok = gather(group[i], &out[i]);
    if (ok && group.size() > 1) {
        // Taking from one another's folds drops, as it goes, what one
        // state makes useless in another (a loop round a chain of optional
        // parts); when it does not, it repeats work, and each state
        // searches the loop for itself instead.
        size_t offered = 0;
        for (const Folded &f : out) offered += f.steps.size() + 1;
        size_t each = std::min(offered, max_work_) * group.size();
        if (!fold_loop(group, each, &out)) {
            std::vector<Folded> through(group.size());
            size_t held = 0;
            for (size_t i = 0; ok && i < group.size(); i++) {
                ok = through_group(group, out, i, &through[i]);
                held += through[i].steps.size();
                ok = ok && transitions_ + held <= max_transitions_;
            }
            out.swap(through);
        }
    }
    for (size_t i = 0; i < group.size(); i++) {
        slot_[group[i]] = -1;
        transitions_ += out[i].steps.size() + (out[i].final > -INFINITY);
        folded_[order_[group[i]]] = std::move(out[i]);
    }
    return ok && transitions_ <= max_transitions_;
}

// Keeps the best score (and the earliest place) of steps with the same
// word to the same state, and drops the steps that another step of the
// same word makes useless.  Leaves the steps by word and target.
void Folder::keep_best(std::vector<Step> *steps) {
    std::sort(steps->begin(), steps->end(), [](const Step &a, const Step &b) {
        return std::tie(a.pron, a.to, b.score) < std::tie(b.pron, b.to, a.score);
    });
    size_t n = 0;
    for (const Step &st : *steps) {
        if (n > 0 && (*steps)[n - 1].pron == st.pron && (*steps)[n - 1].to == st.to) {
            (*steps)[n - 1].first = std::min((*steps)[n - 1].first, st.first);
            continue;
        }
        (*steps)[n++] = st;
    }
    steps->resize(n);
    std::vector<Step> kept, rivals;
    kept.reserve(n);
    for (size_t i = 0; i < n;) {
        size_t j = i;
        while (j < n && (*steps)[j].pron == (*steps)[i].pron) j++;
        if (j - i == 1 || j - i > kMostRivals) {
            kept.insert(kept.end(), steps->begin() + i, steps->begin() + j);
        } else {
            rivals.assign(steps->begin() + i, steps->begin() + j);
            keep_unbeaten(&rivals);
            kept.insert(kept.end(), rivals.begin(), rivals.end());
        }
        i = j;
    }
    steps->swap(kept);
}

// Of steps of one word to different states, drops each that a kept one
// beats: its score and the best null path from its target to the other's
// make at least the other's score.  The best are tried first.
void Folder::keep_unbeaten(std::vector<Step> *rivals) {
    std::stable_sort(rivals->begin(), rivals->end(), [](const Step &a, const Step &b) {
        return std::tie(b.score, a.first) < std::tie(a.score, b.first);
    });
    std::vector<Step> kept;
    for (const Step &st : *rivals) {
        bool beaten = false;
        for (const Step &k : kept) beaten = beaten || beats(k, st);
        if (beaten) continue;
        kept.erase(std::remove_if(kept.begin(), kept.end(), [&](const Step &k) { return beats(st, k); }), kept.end());
        kept.push_back(st);
    }
    std::sort(kept.begin(), kept.end(), [](const Step &a, const Step &b) { return a.to < b.to; });
    rivals->swap(kept);
}

// The best score of a null path from one state that starts words to
// another, found by following at most kLinkSearch links; -infinity when
// none is found, or when the searches have had their share of the work:
// steps are then only kept that might have been dropped.
float Folder::null_score(int from, int to) {
    const std::uint64_t key = static_cast<std::uint64_t>(static_cast<std::uint32_t>(from)) << 32 |
                              static_cast<std::uint32_t>(to);
    auto known = null_scores_.find(key);
    if (known != null_scores_.end()) return known->second;
    if (search_work_ > max_work_) return -INFINITY;
    std::vector<std::pair<int, float>> best = {{from, 0.0f}};
    std::priority_queue<std::pair<float, int>> todo;
    todo.push({0.0f, from});
    int followed = 0;
    float found = -INFINITY;
    while (!todo.empty() && followed < kLinkSearch) {
        auto [score, s] = todo.top();
        todo.pop();
        if (s == to) {
            found = score;
            break;
        }
        if (score < std::find_if(best.begin(), best.end(), [&](const auto &b) { return b.first == s; })->second)
            continue;
        for (const Link &l : links_[order_[s]]) {
            if (++followed > kLinkSearch) break;
            float reach = score + l.score;
            auto it = std::find_if(best.begin(), best.end(), [&](const auto &b) { return b.first == l.to; });
            if (it == best.end()) best.push_back({l.to, reach}), todo.push({reach, l.to});
            else if (reach > it->second) it->second = reach, todo.push({reach, l.to});
        }
    }
    search_work_ += static_cast<size_t>(followed) + 1;
    if (null_scores_.size() < kKnownNullScores) null_scores_.emplace(key, found);
    return found;
}

// Numbers the folded states as if every state that starts words had been
// kept apart and the equal ones merged afterwards: a state takes the
// place of the first of the states it stands for that a word from the
// start leads to.  order gives each original state's place (-1: none),
// folded what the state in each place folds to.
std::vector<int> fold_numbers(const engine::Grammar &g, const std::vector<int> &rep, const std::vector<int> &order,
                              const std::vector<Folded> &folded) {
    const int none = static_cast<int>(g.nstates) + 1;
    std::vector<int> place(g.nstates, none);
    std::vector<bool> seen(g.nstates, false);
    std::vector<int> todo = {g.start};
    seen[g.start] = true;
    place[g.start] = order[g.start];
    while (!todo.empty()) {
        int s = todo.back();
        todo.pop_back();
        for (const Step &st : folded[order[s]].steps) {
            place[st.to] = std::min(place[st.to], st.first);
            if (!seen[st.to]) seen[st.to] = true, todo.push_back(st.to);
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

Futures::Futures(const engine::Grammar &g)
    : g_(g), cls_(g.nstates), pos_(g.nstates), members_(2), future_(g.nstates) {
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
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        return cls_[a] != cls_[b] ? cls_[a] < cls_[b] : future_[a] < future_[b];
    });
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

bool fold_null_transitions(engine::Grammar *g, size_t max_transitions) {
    std::vector<int> rep = plain_null_targets(*g);
    // Each state that starts words (the start and every word's end) in
    // the order first met; a state folded into another starts the other.
    std::vector<int> order(g->nstates, -1);
    int kept = 0;
    order[g->start] = kept++;
    for (const auto &t : g->trans)
        if (t.pron >= 0 && order[t.to] < 0) order[t.to] = kept++;
    for (int s = 0; s < g->nstates; s++)
        if (order[s] >= 0 && order[rep[s]] < 0) order[rep[s]] = kept++;
    Folder folder(*g, rep, order, max_transitions);
    if (!folder.fold()) return false;
    const std::vector<Folded> &folded = folder.folded();
    std::vector<int> number = fold_numbers(*g, rep, order, folded);
    int final = 0;
    for (int n : number) final = std::max(final, n + 1);
    std::vector<Grammar::Trans> trans;
    for (int s = 0; s < g->nstates; s++) {
        if (number[s] < 0) continue;
        const Folded &f = folded[order[s]];
        for (const Step &st : f.steps) trans.push_back({number[s], number[st.to], st.score, st.pron});
        if (f.final > -INFINITY) trans.push_back({number[s], final, f.final, -1});
    }
    std::sort(trans.begin(), trans.end(), [](const Grammar::Trans &a, const Grammar::Trans &b) {
        return std::tie(a.from, a.to, a.pron) < std::tie(b.from, b.to, b.pron);
    });
    g->trans.swap(trans);
    g->nstates = final + 1;
    g->start = number[g->start];
    g->final = final;
    return true;
}

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
