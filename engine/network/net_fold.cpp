// net_fold.cpp - folding a network's null transitions away, in time and
// memory that grow with the graph: a syntax that includes another twice,
// which includes another twice, and so on, makes a graph as big as memory
// allows, and each word end reaching every later word through skipped
// optional parts would make it quadratic.
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

namespace {

using engine::graph::by_state;
using engine::graph::ByState;
using engine::graph::reached;

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
    Folder(const engine::Grammar &g, const std::vector<int> &rep, const std::vector<int> &order, size_t max_transitions)
        : g_(g),
          rep_(rep),
          order_(order),
          max_transitions_(max_transitions),
          max_work_(max_transitions * kWorkPerTransition),
          reach_(g.nstates, -INFINITY),
          slot_(g.nstates, -1) {
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
    const std::uint64_t key =
        static_cast<std::uint64_t>(static_cast<std::uint32_t>(from)) << 32 | static_cast<std::uint32_t>(to);
    auto known = null_scores_.find(key);
    if (known != null_scores_.end()) return known->second;
    if (search_work_ > max_work_) return -INFINITY;
    std::vector<std::pair<int, float>> best = {{from, 0.0f}};
    std::priority_queue<std::pair<float, int>> todo;
    todo.push({0.0f, from});
    int followed = 0;
    float found = -INFINITY;
    while (!todo.empty() && followed < kLinkSearch) {
        float score = todo.top().first;
        int s = todo.top().second;
        todo.pop();
        if (s == to) {
            found = score;
            break;
        }
        if (score < std::find_if(
                        best.begin(), best.end(), [&](const auto &b) { return b.first == s; })
                        ->second)
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

}  // namespace engine
