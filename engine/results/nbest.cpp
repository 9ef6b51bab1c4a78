// nbest.cpp - alternatives over a stretch of result words.
//
// A result's lattice keeps what the result was found from: the words with
// their frames, the grammar and the stored frames.  Alternatives for a
// stretch of words are found by decoding the stretch's frames again
// against the part of the grammar that can stand there: from the grammar
// states that the recognised words before the stretch can reach to those
// from which the recognised words after it can go on to the end.  The
// decoder's N-best list over that decode gives the other word strings,
// best first; strings that say the same words (PocketSphinx repeats them
// with other timings, or with silences elsewhere) count once.  Route 1 of
// every stretch is what was recognised.
#include "base/diagnostics.h"
#include "base/utterance.h"
#include "decoding/redecoder.h"
#include "lexicon/lattice.h"
#include "results/res.h"

#include <pocketsphinx.h>
#include <sphinxbase/fsg_model.h>

#include <map>
#include <set>
#include <unordered_map>

namespace engine {

struct Alternatives {
    std::vector<hapi_res::Word> words;  // the result's, word 1 the leading silence
    std::shared_ptr<Utterance> utt;
    std::shared_ptr<const Grammar> grammar;
    std::shared_ptr<Redecoder> redecoder;
    int keep = 1;                                           // routes to keep per stretch
    std::vector<std::vector<std::string>> routes;           // route r is routes[r - 1]
    std::map<std::pair<int, int>, std::vector<int>> found;  // stretch -> its routes
};

}  // namespace engine

namespace {

using engine::Alternatives;
using engine::Grammar;
using States = std::set<int>;

bool is_silence(const Grammar &g, int pron) { return pron < 0 || g.prons[pron].silence; }

// States reached from s through silence words, forwards or backwards.
States silence_closure(const Grammar &g, States s, bool forwards) {
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto &t : g.trans) {
            if (t.pron < 0 || !g.prons[t.pron].silence) continue;
            int from = forwards ? t.from : t.to, to = forwards ? t.to : t.from;
            if (s.count(from) && s.insert(to).second) grew = true;
        }
    }
    return s;
}

// States reached from s by one transition saying pron, forwards or backwards.
States step(const Grammar &g, const States &s, int pron, bool forwards) {
    States out;
    for (const auto &t : g.trans)
        if (t.pron == pron && s.count(forwards ? t.from : t.to)) out.insert(forwards ? t.to : t.from);
    return out;
}

// Where the recognised words stand in the grammar.  After word j (0:
// before the first of words[1..last], the grammar words recognised),
// before[j] holds the states that words 1..j reach from the start, and
// after[j] the states from which words j+1..last reach the end.
struct Positions {
    std::vector<States> before, after;
};

bool meet(const States &a, const States &b) {
    for (int s : a)
        if (b.count(s)) return true;
    return false;
}

Positions positions(const Grammar &g, const std::vector<hapi_res::Word> &words, int last) {
    Positions p;
    p.before.resize(last + 1);
    p.after.resize(last + 1);
    p.before[0] = silence_closure(g, {g.start}, true);
    for (int j = 1; j <= last; j++)
        p.before[j] = silence_closure(g, step(g, p.before[j - 1], words[j].pron, true), true);
    States accept = {g.final};
    for (const auto &t : g.trans)
        if (t.pron < 0 && t.to == g.final) accept.insert(t.from);
    p.after[last] = silence_closure(g, accept, false);
    // A result that stopped short of the grammar's end ends where it got to.
    if (!meet(p.before[last], p.after[last])) p.after[last] = p.before[last];
    for (int j = last; j > 0; j--)
        p.after[j - 1] = silence_closure(g, step(g, p.after[j], words[j].pron, false), false);
    return p;
}

// The words of a route without its silences: routes that differ only in
// silences say the same thing.
std::string spoken(const Grammar &g, const std::vector<std::pair<std::string, int>> &route) {
    std::string key;
    for (const auto &[name, pron] : route)
        if (!is_silence(g, pron)) key += name + '\n';
    return key;
}

using Route = std::vector<std::pair<std::string, int>>;  // word name, pron

// The word strings already found, as a tree of words.  Node 0 is the
// root; a node is terminal where a found string ends.
struct Found {
    std::vector<std::map<std::string, int>> next = {{}};
    std::vector<bool> terminal = {false};

    void add(const Grammar &g, const Route &route) {
        int k = 0;
        for (const auto &[name, pron] : route) {
            if (is_silence(g, pron)) continue;
            auto it = next[k].find(name);
            if (it == next[k].end()) {
                next.push_back({});
                terminal.push_back(false);
                it = next[k].emplace(name, static_cast<int>(next.size()) - 1).first;
            }
            k = it->second;
        }
        terminal[k] = true;
    }
};

const int kDiverged = -1;

// The grammar between the state sets, crossed with the tree of strings
// found: its paths say exactly the strings that have not been found.
// Null when it has none.
fsg_model_t *unfound_grammar(const Alternatives &a, const States &from, const States &to, const Found &found,
                             std::unordered_map<std::string, int> *pron_of) {
    const Grammar &g = *a.grammar;
    engine::Redecoder &rd = *a.redecoder;
    std::map<std::pair<int, int>, int> id;  // (grammar state, tree node) -> state
    std::vector<std::pair<int, int>> todo;
    auto state = [&](int s, int k) {
        auto it = id.find({s, k});
        if (it != id.end()) return it->second;
        todo.push_back({s, k});
        return id[{s, k}] = static_cast<int>(id.size());
    };
    struct Arc {
        int from, to, pron;
        float score;
    };
    std::vector<Arc> arcs;
    for (int s : from) state(s, 0);
    for (size_t i = 0; i < todo.size(); i++) {
        auto [s, k] = todo[i];
        int here = id[{s, k}];
        for (const auto &t : g.trans) {
            if (t.from != s || t.pron < 0) continue;
            int k2 = k;
            if (!is_silence(g, t.pron) && k != kDiverged) {
                auto it = found.next[k].find(g.prons[t.pron].word);
                k2 = it == found.next[k].end() ? kDiverged : it->second;
            }
            arcs.push_back({here, state(t.to, k2), t.pron, t.score});
        }
    }
    std::vector<int> exits;
    for (const auto &[key, st] : id)
        if (to.count(key.first) && (key.second == kDiverged || !found.terminal[key.second])) exits.push_back(st);
    if (exits.empty()) return nullptr;
    int n = static_cast<int>(id.size());
    fsg_model_t *fsg = rd.new_grammar(n + 2);
    if (!fsg) return nullptr;
    logmath_t *lmath = ps_get_logmath(rd.decoder());
    for (const Arc &arc : arcs) {
        const Grammar::Pron &p = g.prons[arc.pron];
        const char *w = rd.word_for(p.word, p.phones);
        if (!w) return fsg_model_free(fsg), nullptr;
        pron_of->emplace(w, arc.pron);
        fsg_model_trans_add(fsg, arc.from, arc.to, logmath_ln_to_log(lmath, arc.score), fsg_model_word_add(fsg, w));
    }
    for (int s : from) fsg_model_null_trans_add(fsg, n, id[{s, 0}], 0);
    for (int st : exits) fsg_model_null_trans_add(fsg, st, n + 1, 0);
    fsg->start_state = n;
    fsg->final_state = n + 1;
    return fsg;
}

// True when the route leads from a state of `from` to one of `to`.
bool leads(const Grammar &g, const Route &route, const States &from, const States &to) {
    States s = silence_closure(g, from, true);
    for (const auto &w : route) s = silence_closure(g, step(g, s, w.second, true), true);
    for (int x : s)
        if (to.count(x)) return true;
    return false;
}

// Decodes frames first..end-1 again and again, each time against the
// grammar between the state sets less every string found so far; answers
// up to `want` new routes, best first.
std::vector<Route> decoded_routes(Alternatives &a, const States &from, const States &to, int first, int end,
                                  const Route &recognised, int want) {
    std::vector<Route> out;
    const Grammar &g = *a.grammar;
    Found found;
    found.add(g, recognised);
    while (static_cast<int>(out.size()) < want) {
        std::unordered_map<std::string, int> pron_of;
        fsg_model_t *fsg = unfound_grammar(a, from, to, found, &pron_of);
        if (!fsg || !a.redecoder->decode(*a.utt, first, end, fsg, true)) break;
        Route route;
        for (ps_seg_t *seg = ps_seg_iter(a.redecoder->decoder()); seg; seg = ps_seg_next(seg)) {
            const char *w = ps_seg_word(seg);
            auto it = w ? pron_of.find(w) : pron_of.end();
            if (it != pron_of.end()) route.push_back({g.prons[it->second].word, it->second});
        }
        // Silence at either end belongs to the words around the stretch.
        while (!route.empty() && is_silence(g, route.back().second)) route.pop_back();
        while (!route.empty() && is_silence(g, route.front().second)) route.erase(route.begin());
        // A decode that could not reach the end of the grammar in time
        // answers a broken route: there is no further alternative here.
        if (spoken(g, route).empty() || !leads(g, route, from, to)) break;
        found.add(g, route);
        out.push_back(route);
    }
    return out;
}

// Finds the routes of the stretch start..end (result words from 1 without
// the leading silence); answers their numbers, best first.
const std::vector<int> &find_routes(Alternatives &a, int start, int end) {
    auto known = a.found.find({start, end});
    if (known != a.found.end()) return known->second;
    std::vector<int> &ids = a.found[{start, end}];
    const Grammar &g = *a.grammar;
    std::vector<std::pair<std::string, int>> best;
    for (int j = start; j <= end; j++) best.push_back({a.words[j].name, a.words[j].pron});
    a.routes.push_back({});
    for (const auto &w : best) a.routes.back().push_back(w.first);
    ids.push_back(static_cast<int>(a.routes.size()));

    int last = 0;  // the last grammar word recognised
    for (int j = 1; j < static_cast<int>(a.words.size()); j++)
        if (a.words[j].pron >= 0) last = j;
    if (a.keep < 2 || start > last) return ids;
    int stop = std::min(end, last);
    Positions pos = positions(g, a.words, last);
    Route recognised(best.begin(), best.begin() + (stop - start + 1));
    auto found = decoded_routes(a, pos.before[start - 1], pos.after[stop], a.words[start].first, a.words[stop].end,
                                recognised, a.keep - 1);
    for (auto &route : found) {
        a.routes.push_back({});
        for (const auto &w : route) a.routes.back().push_back(w.first);
        // The silence after the last word ends every route that reaches it.
        for (int j = stop + 1; j <= end; j++) a.routes.back().push_back(a.words[j].name);
        ids.push_back(static_cast<int>(a.routes.size()));
    }
    return ids;
}

}  // namespace

extern "C" {

hapiLatObject hapiResLatGenerate(hapiResObject res, int flags) {
    if (engine::fault("hapiResLatGenerate")) return nullptr;
    if (!res || flags != 0) return engine::complain("hapiResLatGenerate: needs a result and flags 0"), nullptr;
    if (!res->final || res->words.empty() || !res->grammar || !res->redecoder || !res->utt)
        return engine::complain("hapiResLatGenerate: alternatives come only from a completed recognition"), nullptr;
    auto a = std::make_shared<Alternatives>();
    a->words = res->words;
    a->utt = res->utt;
    a->grammar = res->grammar;
    a->redecoder = res->redecoder;
    a->keep = res->nbest;
    auto *lat = new hapi_lat;
    lat->name = "results";
    lat->alternatives = a;
    return lat;
}

int hapiLatWordAlternatives(hapiLatObject lat, int start, int end, int flags, int nbest, int *routes) {
    if (engine::fault("hapiLatWordAlternatives")) return -1;
    if (!lat || !lat->alternatives) return engine::complain("hapiLatWordAlternatives: not the lattice of a result"), -1;
    Alternatives &a = *lat->alternatives;
    int n = static_cast<int>(a.words.size()) - 1;
    if (flags != 0 || nbest < 1 || start < 1 || end < start || end > n)
        return engine::complain("hapiLatWordAlternatives: stretch %d..%d of %d words, %d routes, flags %d", start, end,
                                n, nbest, flags),
               -1;
    const std::vector<int> &ids = find_routes(a, start, end);
    int m = std::min(nbest, static_cast<int>(ids.size()));
    if (routes)
        for (int i = 0; i < m; i++) routes[i] = ids[i];
    return m;
}

int hapiLatRouteWordNames(hapiLatObject lat, const char **names, int route) {
    if (engine::fault("hapiLatRouteWordNames")) return -1;
    if (!lat || !lat->alternatives) return engine::complain("hapiLatRouteWordNames: not the lattice of a result"), -1;
    const Alternatives &a = *lat->alternatives;
    if (route < 1 || route > static_cast<int>(a.routes.size()))
        return engine::complain("hapiLatRouteWordNames: no route %d", route), -1;
    const std::vector<std::string> &words = a.routes[route - 1];
    if (names)
        for (size_t i = 0; i < words.size(); i++) names[i] = words[i].c_str();
    return static_cast<int>(words.size());
}

}  // extern "C"
