// network.cpp - networks: a recognition grammar (a lattice with nested
// sub-lattices) turned into a graph of word and null transitions over the
// dictionary's pronunciations.
//
// Every lattice node becomes an entry and an exit state.  A word node
// joins them by one transition per pronunciation; a null node by a null
// transition; a sub-lattice node by a fresh copy of the sub-lattice.  Arcs
// become null transitions from the exit of one node to the entry of the
// next, carrying the arc's score.  A silence word (such as "<s>") may also
// be passed by a null transition, since the decoder absorbs silence
// around every word anyway; at the ends of the grammar it is only passed.
// The graph is then reduced for the decoder (net_reduce.h).  A grammar
// whose graph would grow past engine::kMaxTransitions, expanded or folded,
// is refused.
#include "base/diagnostics.h"
#include "base/model.h"
#include "decoding/hmmset.h"
#include "lexicon/dictionary.h"
#include "lexicon/lattice.h"
#include "network/net_reduce.h"
#include "network/network.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace {

const float kDisabledArcScore = -1000000.0f;
// What each phone of a garbage word costs (natural log).  A garbage word
// gives speech that is no word of the grammar a place to go; at no price
// its free phones would fit every word better than the word itself.
const float kGarbagePhoneCost = 45.0f;

// A garbage word is named as the decoder's fillers are, "++NAME++"; in the
// exercise dictionary the syntax's name may follow.
bool is_garbage_word(const std::string &name) { return name.rfind("++", 0) == 0 && name.size() > 2; }
// Deeper than any grammar nests: a lattice that includes itself.
const int kMaxDepth = 64;

void too_large() {
    engine::complain("hapiBuildNetObject: the grammar is too large: its network would have more than %zu transitions",
                     engine::kMaxTransitions);
}

class Builder {
public:
    Builder(engine::Grammar *g, const engine::Model &m) : g_(g), model_(m) {}

    // Adds a copy of lat; answers its entry and exit states.
    bool add_lattice(const hapi_lat *lat, int depth, int *entry, int *exit);
    bool is_silence_word(const hapi_dict *dict, int word) const;
    bool is_edge_silence(const hapi_lat *lat, int node) const;

private:
    int new_state() { return g_->nstates++; }
    void add_null(int from, int to, float score) { g_->trans.push_back({from, to, score, -1}); }
    bool add_node(const hapi_lat *lat, int node, int depth, int in, int out);
    bool add_word(const hapi_dict *dict, int word, int in, int out);
    int pron_index(const hapi_dict *dict, int word, int pron, std::string *why);

    engine::Grammar *g_;
    const engine::Model &model_;
    std::map<std::pair<const hapi_dict *, std::pair<int, int>>, int> prons_;
};

bool only_phone(const std::string &phones, const std::string &phone) {
    std::istringstream in(phones);
    std::string p;
    int n = 0;
    while (in >> p) {
        if (p != phone) return false;
        n++;
    }
    return n > 0;
}

int phone_count(const std::string &phones) {
    std::istringstream in(phones);
    std::string p;
    int n = 0;
    while (in >> p) n++;
    return n;
}

int Builder::pron_index(const hapi_dict *dict, int word, int pron, std::string *why) {
    auto key = std::make_pair(dict, std::make_pair(word, pron));
    auto it = prons_.find(key);
    if (it != prons_.end()) return it->second;
    const hapi_dict::Word &w = dict->words[word];
    const hapi_dict::Pron &p = w.prons[pron];
    std::istringstream in(p.phones);
    std::string phone;
    while (in >> phone)
        if (!model_.has_phone(phone)) return *why = "phone " + phone + " of " + w.name + " is not in the model", -1;
    engine::Grammar::Pron np;
    np.word = w.name;
    np.phones = p.phones;
    np.outsym = p.outsym ? *p.outsym : "";
    np.silence = only_phone(p.phones, model_.silence) || only_phone(p.phones, "SIL");
    np.garbage = is_garbage_word(w.name);
    g_->prons.push_back(np);
    int index = static_cast<int>(g_->prons.size()) - 1;
    prons_[key] = index;
    return index;
}

bool Builder::is_silence_word(const hapi_dict *dict, int word) const {
    if (!dict || word <= 1 || word >= static_cast<int>(dict->words.size())) return false;
    const auto &prons = dict->words[word].prons;
    if (prons.empty()) return false;
    for (const auto &p : prons)
        if (!only_phone(p.phones, model_.silence) && !only_phone(p.phones, "SIL")) return false;
    return true;
}

// A silence word that starts or ends a lattice.  At the ends of the whole
// grammar it is left to the decoder's own silence: the result reports the
// silence before and after speech anyway, and a word there would double
// every first and last word the decoder keeps active (once after the
// silence word, once without it).
bool Builder::is_edge_silence(const hapi_lat *lat, int node) const {
    const hapi_lat::Node &n = lat->nodes[node];
    return (n.pred.empty() || n.foll.empty()) && !n.sub && is_silence_word(lat->dict, n.word);
}

bool Builder::add_word(const hapi_dict *dict, int word, int in, int out) {
    if (!dict || word < 1 || word >= static_cast<int>(dict->words.size()))
        return engine::complain("hapiBuildNetObject: word id %d is not in the dictionary", word), false;
    const hapi_dict::Word &w = dict->words[word];
    if (w.prons.empty()) return engine::complain("hapiBuildNetObject: %s has no pronunciation", w.name.c_str()), false;
    for (size_t p = 0; p < w.prons.size(); p++) {
        std::string why;
        int index = pron_index(dict, word, static_cast<int>(p), &why);
        if (index < 0) return engine::complain("hapiBuildNetObject: %s", why.c_str()), false;
        const engine::Grammar::Pron &np = g_->prons[index];
        float price = np.garbage ? -kGarbagePhoneCost * static_cast<float>(phone_count(np.phones)) : 0.0f;
        g_->trans.push_back({in, out, price, index});
    }
    if (is_silence_word(dict, word)) add_null(in, out, 0.0f);
    return true;
}

bool Builder::add_node(const hapi_lat *lat, int node, int depth, int in, int out) {
    const hapi_lat::Node &n = lat->nodes[node];
    if (n.sub) {
        int sub_in, sub_out;
        if (!add_lattice(n.sub, depth + 1, &sub_in, &sub_out)) return false;
        add_null(in, sub_in, 0.0f);
        add_null(sub_out, out, 0.0f);
        return true;
    }
    if (n.word == 1) {
        add_null(in, out, 0.0f);
        return true;
    }
    return add_word(lat->dict, n.word, in, out);
}

bool Builder::add_lattice(const hapi_lat *lat, int depth, int *entry, int *exit) {
    if (depth > kMaxDepth)
        return engine::complain("hapiBuildNetObject: sub-lattices nest too deeply (one includes itself?)"), false;
    *entry = new_state();
    *exit = new_state();
    int nnodes = static_cast<int>(lat->nodes.size()) - 1;
    if (nnodes <= 0) {
        add_null(*entry, *exit, 0.0f);
        return true;
    }
    std::vector<int> in(nnodes + 1), out(nnodes + 1);
    for (int i = 1; i <= nnodes; i++) {
        in[i] = new_state();
        out[i] = new_state();
        if (depth == 0 && is_edge_silence(lat, i)) add_null(in[i], out[i], 0.0f);
        else if (!add_node(lat, i, depth, in[i], out[i])) return false;
        // Every inclusion is a fresh copy: a lattice that includes another
        // twice, which includes another twice, and so on, doubles at each
        // level, and a dozen lines of grammar can ask for more than memory.
        if (g_->trans.size() > engine::kMaxTransitions) return too_large(), false;
    }
    bool has_start = false, has_end = false;
    for (int i = 1; i <= nnodes; i++) {
        if (lat->nodes[i].pred.empty()) add_null(*entry, in[i], 0.0f), has_start = true;
        if (lat->nodes[i].foll.empty()) add_null(out[i], *exit, 0.0f), has_end = true;
    }
    if (!has_start || !has_end)
        return engine::complain("hapiBuildNetObject: lattice '%s' has no %s node", lat->name.c_str(),
                                has_start ? "end" : "start"),
               false;
    for (size_t a = 1; a < lat->arcs.size(); a++) {
        const hapi_lat::Arc &arc = lat->arcs[a];
        if (arc.score <= kDisabledArcScore) continue;
        if (arc.from < 1 || arc.from > nnodes || arc.to < 1 || arc.to > nnodes)
            return engine::complain("hapiBuildNetObject: arc %zu joins missing nodes", a), false;
        // A log probability cannot exceed 0.
        add_null(out[arc.from], in[arc.to], std::min(arc.score, 0.0f));
    }
    return true;
}

// The word standing for the silence before (or after) speech: the word of
// a start (or end) node of the top lattice that is made of silence.
std::string edge_silence_word(const Builder &b, const hapi_lat *lat, bool at_start) {
    for (size_t i = 1; i < lat->nodes.size(); i++) {
        const hapi_lat::Node &n = lat->nodes[i];
        bool edge = at_start ? n.pred.empty() : n.foll.empty();
        if (edge && !n.sub && b.is_silence_word(lat->dict, n.word)) return lat->dict->words[n.word].name;
    }
    return "<s>";
}

}  // namespace

extern "C" {

hapiNetObject hapiBuildNetObject(int kind, hapiHMMSetObject hmms, hapiDictObject dict, hapiLatObject lat) {
    if (engine::fault("hapiBuildNetObject")) return nullptr;
    if (kind != HAPI_NETWORK_KIND) return engine::complain("hapiBuildNetObject: unknown kind %d", kind), nullptr;
    if (!hmms || !hmms->loaded || !dict || !lat)
        return engine::complain("hapiBuildNetObject: needs a loaded HMM set, a dictionary and a lattice"), nullptr;
    if (lat->dict && lat->dict != dict)
        return engine::complain("hapiBuildNetObject: the lattice uses another dictionary"), nullptr;
    auto g = std::make_shared<engine::Grammar>();
    Builder b(g.get(), hmms->model);
    if (!b.add_lattice(lat, 0, &g->start, &g->final)) return nullptr;
    if (!engine::fold_null_transitions(g.get())) return too_large(), nullptr;
    engine::merge_equal_futures(g.get());
    engine::end_on_last_words(g.get());
    g->lead_word = edge_silence_word(b, lat, true);
    g->trail_word = edge_silence_word(b, lat, false);
    g->phone_set = dict->phones;
    g->silence_phone = hmms->model.silence;
    g->fingerprint = engine::grammar_fingerprint(*g);
    auto net = std::make_unique<hapi_net>();
    net->hmms = hmms;
    net->grammar = std::move(g);
    return net.release();
}

int hapiDeleteNetObject(hapiNetObject net) { return engine::delete_object(net, "hapiDeleteNetObject", "network"); }

}  // extern "C"
