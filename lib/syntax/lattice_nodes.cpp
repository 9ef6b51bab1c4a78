// lattice_nodes.cpp - the start and end nodes of a syntax lattice and the
// small node and arc helpers that the reader, the loader and the path
// search share.
#include "syntax/syntax_internal.h"

namespace kh {

namespace {

int FirstNodeWithout(hapiLatObject lattice, int (*arcs)(hapiLatObject, int, int *)) {
    int nodes = hapiLatSize(lattice, nullptr);
    for (int node = 1; node <= nodes; node++)
        if (arcs(lattice, node, nullptr) == 0) return node;
    return 0;
}

}  // namespace

int FindStartNode(hapiLatObject lattice) { return FirstNodeWithout(lattice, hapiLatNodePredArc); }

int FindEndNode(hapiLatObject lattice) { return FirstNodeWithout(lattice, hapiLatNodeFollArc); }

std::vector<int> NodeArcs(hapiLatObject lattice, int node, bool follow) {
    auto list = follow ? hapiLatNodeFollArc : hapiLatNodePredArc;
    int count = list(lattice, node, nullptr);
    if (count <= 0) return {};
    std::vector<int> arcs(static_cast<size_t>(count));
    if (list(lattice, node, arcs.data()) != count) return {};
    return arcs;
}

int AddNullNode(hapiLatObject lattice) { return hapiLatAddNode(lattice, 1, 0); }

}  // namespace kh
