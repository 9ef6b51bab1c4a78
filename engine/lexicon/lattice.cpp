// lattice.cpp - lattice objects: nodes (word, null or sub-lattice) and
// scored arcs, both numbered from 1, over a dictionary's word ids.
// Structural edits need the modifiable state (hapiLatModify); arc scores
// may be rewritten at any time, which is how options are switched off.
#include "base/diagnostics.h"
#include "lexicon/dictionary.h"
#include "lexicon/lattice.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <unordered_set>

namespace engine {

namespace {

bool valid_node(const hapi_lat *lat, int node) {
    return lat && node >= 1 && static_cast<size_t>(node) < lat->nodes.size();
}

bool valid_arc(const hapi_lat *lat, int arc) { return lat && arc >= 1 && static_cast<size_t>(arc) < lat->arcs.size(); }

bool editable(const hapi_lat *lat, const char *function) {
    if (!lat) return complain("%s: no lattice", function), false;
    if (!lat->modifiable) return complain("%s: the lattice is not being modified", function), false;
    return true;
}

// True when target is from itself or is included, at any depth, by from.
bool reaches(const hapi_lat *from, const hapi_lat *target) {
    std::unordered_set<const hapi_lat *> seen{from};
    std::vector<const hapi_lat *> todo{from};
    while (!todo.empty()) {
        const hapi_lat *cur = todo.back();
        todo.pop_back();
        if (cur == target) return true;
        for (size_t n = 1; n < cur->nodes.size(); n++)
            if (cur->nodes[n].sub && seen.insert(cur->nodes[n].sub).second) todo.push_back(cur->nodes[n].sub);
    }
    return false;
}

// Every arc joins existing nodes and is listed once among its start node's
// followers and once among its end node's predecessors, and nothing else is.
bool consistent(const hapi_lat &lat) {
    std::vector<int> in(lat.arcs.size(), 0), out(lat.arcs.size(), 0);
    for (size_t n = 1; n < lat.nodes.size(); n++) {
        for (int a : lat.nodes[n].pred) {
            if (!valid_arc(&lat, a) || lat.arcs[a].to != static_cast<int>(n) || in[a]++) return false;
        }
        for (int a : lat.nodes[n].foll) {
            if (!valid_arc(&lat, a) || lat.arcs[a].from != static_cast<int>(n) || out[a]++) return false;
        }
    }
    for (size_t a = 1; a < lat.arcs.size(); a++)
        if (!valid_node(&lat, lat.arcs[a].from) || !valid_node(&lat, lat.arcs[a].to) || !in[a] || !out[a]) return false;
    return true;
}

int list_arcs(const std::vector<int> &list, int *arcs) {
    if (arcs && !list.empty()) memcpy(arcs, list.data(), list.size() * sizeof(int));
    return static_cast<int>(list.size());
}

int word_count(const hapi_lat *lat) { return static_cast<int>(lat->dict->words.size() - 1); }

}  // namespace

}  // namespace engine

using engine::complain;

extern "C" {

hapiLatObject hapiCreateLatObject(hapiDictObject dict, const char *name) {
    if (engine::fault("hapiCreateLatObject")) return nullptr;
    if (!dict) return complain("hapiCreateLatObject: no dictionary"), nullptr;
    if (name && strlen(name) >= HAPI_MAX_NAME) return complain("hapiCreateLatObject: name too long"), nullptr;
    auto *lat = new hapi_lat;
    lat->name = name ? name : "";
    lat->dict = dict;
    lat->nodes.resize(1);
    lat->arcs.resize(1);
    lat->modifiable = true;
    return lat;
}

hapiLatObject hapiLoadLatObject(hapiDictObject dict, const char *filename, const char *name) {
    if (engine::fault("hapiLoadLatObject")) return nullptr;
    if (!dict || !filename) {
        complain("hapiLoadLatObject: %s", !dict ? "no dictionary" : "no file name");
        return nullptr;
    }
    if (name && strlen(name) >= HAPI_MAX_NAME) return complain("hapiLoadLatObject: name too long"), nullptr;
    hapi_lat *lat = engine::lat_load(dict, filename);
    if (!lat) return complain("hapiLoadLatObject: cannot load %s", filename), nullptr;
    if (name) lat->name = name;
    return lat;
}

int hapiLatSave(hapiLatObject lat, const char *filename, int flags) {
    if (engine::fault("hapiLatSave")) return -1;
    if (!lat || !filename || !*filename || flags != 0) {
        complain("hapiLatSave: %s", !lat ? "no lattice" : flags != 0 ? "flags must be 0" : "no file name");
        return -1;
    }
    return engine::lat_save(*lat, filename) ? 0 : -1;
}

int hapiDeleteLatObject(hapiLatObject lat) {
    if (engine::fault("hapiDeleteLatObject")) return -1;
    if (!lat) return complain("hapiDeleteLatObject: no lattice"), -1;
    if (lat->owner) {
        complain("hapiDeleteLatObject: lattice \"%s\" goes with the lattice it was loaded with", lat->name.c_str());
        return -1;
    }
    engine::lat_delete(lat);
    return 0;
}

int hapiLatModify(hapiLatObject lat) {
    if (engine::fault("hapiLatModify")) return -1;
    if (!lat) return complain("hapiLatModify: no lattice"), -1;
    lat->modifiable = true;
    return 0;
}

int hapiLatFinalise(hapiLatObject lat, int a, int b) {
    if (engine::fault("hapiLatFinalise")) return -1;
    if (!lat || a != 0 || b != 0) return complain("hapiLatFinalise: %s", !lat ? "no lattice" : "flags must be 0"), -1;
    if (!engine::consistent(*lat)) {
        complain("hapiLatFinalise: lattice \"%s\" is inconsistent", lat->name.c_str());
        return -1;
    }
    lat->modifiable = false;
    return 0;
}

int hapiLatAddNode(hapiLatObject lat, int word_id, int flag) {
    if (engine::fault("hapiLatAddNode")) return -1;
    if (!engine::editable(lat, "hapiLatAddNode")) return -1;
    if (word_id < 1 || word_id > engine::word_count(lat) || (flag != 0 && flag != 1)) {
        complain("hapiLatAddNode: bad word id %d or flag %d", word_id, flag);
        return -1;
    }
    hapi_lat::Node node;
    node.word = word_id;
    node.flag = flag;
    lat->nodes.push_back(std::move(node));
    return static_cast<int>(lat->nodes.size() - 1);
}

int hapiLatAddSublatNode(hapiLatObject lat, hapiLatObject sub) {
    if (engine::fault("hapiLatAddSublatNode")) return -1;
    if (!engine::editable(lat, "hapiLatAddSublatNode")) return -1;
    if (!sub || sub->dict != lat->dict) {
        complain("hapiLatAddSublatNode: %s", !sub ? "no sub-lattice" : "the sub-lattice uses another dictionary");
        return -1;
    }
    if (engine::reaches(sub, lat)) {
        complain("hapiLatAddSublatNode: \"%s\" would include itself", lat->name.c_str());
        return -1;
    }
    hapi_lat::Node node;
    node.sub = sub;
    lat->nodes.push_back(std::move(node));
    return static_cast<int>(lat->nodes.size() - 1);
}

int hapiLatAddArc(hapiLatObject lat, int from_node, int to_node) {
    if (engine::fault("hapiLatAddArc")) return -1;
    if (!engine::editable(lat, "hapiLatAddArc")) return -1;
    if (!engine::valid_node(lat, from_node) || !engine::valid_node(lat, to_node)) {
        complain("hapiLatAddArc: no node %d or %d", from_node, to_node);
        return -1;
    }
    int id = static_cast<int>(lat->arcs.size());
    lat->arcs.push_back(hapi_lat::Arc{from_node, to_node, 0.0f});
    lat->nodes[from_node].foll.push_back(id);
    lat->nodes[to_node].pred.push_back(id);
    return id;
}

int hapiLatDeleteNode(hapiLatObject lat, int node) {
    if (engine::fault("hapiLatDeleteNode")) return -1;
    if (!engine::editable(lat, "hapiLatDeleteNode")) return -1;
    if (!engine::valid_node(lat, node)) return complain("hapiLatDeleteNode: no node %d", node), -1;
    // New numbers of the arcs that stay (0: deleted with the node).
    std::vector<int> renumber(lat->arcs.size(), 0);
    std::vector<hapi_lat::Arc> arcs(1);
    for (size_t a = 1; a < lat->arcs.size(); a++) {
        hapi_lat::Arc arc = lat->arcs[a];
        if (arc.from == node || arc.to == node) continue;
        if (arc.from > node) arc.from--;
        if (arc.to > node) arc.to--;
        renumber[a] = static_cast<int>(arcs.size());
        arcs.push_back(arc);
    }
    lat->nodes.erase(lat->nodes.begin() + node);
    for (auto &n : lat->nodes)
        for (std::vector<int> *list : {&n.pred, &n.foll}) {
            std::vector<int> kept;
            for (int a : *list)
                if (renumber[a]) kept.push_back(renumber[a]);
            list->swap(kept);
        }
    lat->arcs.swap(arcs);
    return 0;
}

int hapiLatSize(hapiLatObject lat, int *narcs) {
    if (engine::fault("hapiLatSize")) return -1;
    if (!lat) return complain("hapiLatSize: no lattice"), -1;
    if (narcs) *narcs = static_cast<int>(lat->arcs.size() - 1);
    return static_cast<int>(lat->nodes.size() - 1);
}

int hapiLatNodeWordId(hapiLatObject lat, int node, int new_word_id) {
    if (engine::fault("hapiLatNodeWordId")) return -1;
    if (!engine::valid_node(lat, node)) return complain("hapiLatNodeWordId: no node %d", node), -1;
    hapi_lat::Node &n = lat->nodes[node];
    int old = n.word;
    if (new_word_id == 0) return old;
    if (!engine::editable(lat, "hapiLatNodeWordId")) return -1;
    if (new_word_id < 1 || new_word_id > engine::word_count(lat) || (n.sub && new_word_id != 1)) {
        complain("hapiLatNodeWordId: cannot give node %d the word id %d", node, new_word_id);
        return -1;
    }
    n.word = new_word_id;
    return old;
}

hapiLatObject hapiLatNodeSublatObject(hapiLatObject lat, int node) {
    if (engine::fault("hapiLatNodeSublatObject")) return nullptr;
    if (!engine::valid_node(lat, node)) return complain("hapiLatNodeSublatObject: no node %d", node), nullptr;
    return lat->nodes[node].sub;
}

int hapiLatNodePredArc(hapiLatObject lat, int node, int *arcs) {
    if (engine::fault("hapiLatNodePredArc")) return -1;
    if (!engine::valid_node(lat, node)) return complain("hapiLatNodePredArc: no node %d", node), -1;
    return engine::list_arcs(lat->nodes[node].pred, arcs);
}

int hapiLatNodeFollArc(hapiLatObject lat, int node, int *arcs) {
    if (engine::fault("hapiLatNodeFollArc")) return -1;
    if (!engine::valid_node(lat, node)) return complain("hapiLatNodeFollArc: no node %d", node), -1;
    return engine::list_arcs(lat->nodes[node].foll, arcs);
}

int hapiLatArcStart(hapiLatObject lat, int arc) {
    if (engine::fault("hapiLatArcStart")) return -1;
    if (!engine::valid_arc(lat, arc)) return complain("hapiLatArcStart: no arc %d", arc), -1;
    return lat->arcs[arc].from;
}

int hapiLatArcEnd(hapiLatObject lat, int arc) {
    if (engine::fault("hapiLatArcEnd")) return -1;
    if (!engine::valid_arc(lat, arc)) return complain("hapiLatArcEnd: no arc %d", arc), -1;
    return lat->arcs[arc].to;
}

double hapiLatArcScore(hapiLatObject lat, int arc, int kind, const float *new_score) {
    if (engine::fault("hapiLatArcScore")) return HAPI_FLOAT_FAIL;
    const char *why = !engine::valid_arc(lat, arc) ? "no such arc"
        : kind != 1                                ? "the score kind must be 1"
        : new_score && std::isnan(*new_score)      ? "the score is not a number"
        : new_score && *new_score == -FLT_MAX      ? "the score is the failure value"
                                                   : nullptr;
    if (why) return complain("hapiLatArcScore: arc %d: %s", arc, why), HAPI_FLOAT_FAIL;
    float old = lat->arcs[arc].score;
    if (new_score) lat->arcs[arc].score = *new_score;
    return old;
}

const char *hapiLatName(hapiLatObject lat) {
    if (engine::fault("hapiLatName")) return nullptr;
    if (!lat) return complain("hapiLatName: no lattice"), nullptr;
    return lat->name.c_str();
}

hapiDictObject hapiLatDictObject(hapiLatObject lat) {
    if (engine::fault("hapiLatDictObject")) return nullptr;
    if (!lat) return complain("hapiLatDictObject: no lattice"), nullptr;
    return lat->dict;
}

}  // extern "C"
