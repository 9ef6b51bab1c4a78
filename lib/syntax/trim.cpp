// trim.cpp - giving a loaded lattice one null start node and one null end
// node, and finalising it.
#include "dict/dict.h"
#include "frame/trace.h"
#include "syntax/syntax_internal.h"

namespace kh {

namespace {

// What the trimming looks at in one node.
struct NodeView {
    bool sub = false;
    std::string word;
    int preds = 0;
    int follows = 0;

    bool NullOrMarker() const { return word == "!NULL" || IsMarkerWord(word.c_str()); }
};

NodeView View(hapiLatObject lattice, hapiDictObject dict, int node) {
    NodeView v;
    v.sub = hapiLatNodeSublatObject(lattice, node) != nullptr;
    if (!v.sub) v.word = DictWordName(dict, hapiLatNodeWordId(lattice, node, 0));
    v.preds = hapiLatNodePredArc(lattice, node, nullptr);
    v.follows = hapiLatNodeFollArc(lattice, node, nullptr);
    return v;
}

// The node at the other end of a node's only arc, numbered as it will be
// once the node itself is deleted (the engine closes the gap).
int Neighbour(hapiLatObject lattice, int node, bool follow) {
    std::vector<int> arcs = NodeArcs(lattice, node, follow);
    if (arcs.size() != 1) return 0;
    return follow ? hapiLatArcEnd(lattice, arcs[0]) : hapiLatArcStart(lattice, arcs[0]);
}

int AfterDeletion(int node, int deleted) { return node > deleted ? node - 1 : node; }

// Turns a marker word into a null node, and puts a new null node before
// (at the start) or after (at the end) a node that is not a plain null node
// at the edge.
int SettleEdge(hapiLatObject lattice, int node, const NodeView &v, bool at_start) {
    if (v.preds < 0 || v.follows < 0) return 0;
    if (IsMarkerWord(v.word.c_str())) hapiLatNodeWordId(lattice, node, 1);
    int outer = at_start ? v.preds : v.follows;
    if (outer == 0 && v.word == "!NULL" && !v.sub) return 1;
    int added = AddNullNode(lattice);
    if (added < 0) return 0;
    int arc = at_start ? hapiLatAddArc(lattice, added, node) : hapiLatAddArc(lattice, node, added);
    return arc < 0 ? 0 : 1;
}

}  // namespace

int TrimStartNode(hapiLatObject lattice, hapiDictObject dict) {
    int node = FindStartNode(lattice);
    if (node == 0) return 0;
    NodeView v = View(lattice, dict, node);
    while (v.NullOrMarker() && !v.sub && v.follows == 1 && v.preds == 0) {
        int next = Neighbour(lattice, node, true);
        if (hapiLatDeleteNode(lattice, node) < 0) TraceLine("Could not delete extra start node");
        else next = AfterDeletion(next, node);
        if (next <= 0) return 0;
        node = next;
        v = View(lattice, dict, node);
    }
    return SettleEdge(lattice, node, v, true);
}

int TrimEndNode(hapiLatObject lattice, hapiDictObject dict) {
    int node = FindEndNode(lattice);
    if (node == 0) return 0;
    NodeView v = View(lattice, dict, node);
    while (v.NullOrMarker() && !v.sub && v.preds == 1 && v.follows == 0) {
        int previous = Neighbour(lattice, node, false);
        if (previous <= 0 || hapiLatDeleteNode(lattice, node) < 0) return 0;
        node = AfterDeletion(previous, node);
        v = View(lattice, dict, node);
    }
    return SettleEdge(lattice, node, v, false);
}

int FinaliseLoadedLattice(hapiLatObject lattice) {
    int nodes = hapiLatSize(lattice, nullptr);
    int counted = 0, last = 0;
    for (int node = 1; node <= nodes; node++)
        if (hapiLatNodeWordId(lattice, node, 0) >= 1 || hapiLatNodeSublatObject(lattice, node)) {
            counted++;
            last = node;
        }
    if (counted == 0) return 0;
    if (counted == 1) {
        int added = AddNullNode(lattice);
        if (added < 0 || hapiLatAddArc(lattice, last, added) < 0) return 0;
    }
    if (hapiLatFinalise(lattice, 0, 0) < 0) return 0;
    return nodes;
}

}  // namespace kh
