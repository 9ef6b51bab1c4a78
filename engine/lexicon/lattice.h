// lattice.h - the lattice object and what the lattice calls share with the
// lattice file code.
#ifndef ENGINE_LEXICON_LATTICE_H
#define ENGINE_LEXICON_LATTICE_H

#include "hapi.h"

#include <memory>
#include <string>
#include <vector>

namespace engine {
struct Alternatives;
}

struct hapi_lat {
    struct Node {
        int word = 1;             // word id in dict; 1 is the null word
        hapi_lat *sub = nullptr;  // the lattice a sub-lattice node stands for
        int flag = 0;
        std::vector<int> pred;  // arcs entering, in the order added
        std::vector<int> foll;  // arcs leaving, in the order added
    };
    struct Arc {
        int from = 0;
        int to = 0;
        float score = 0.0f;
    };

    std::string name;
    hapi_dict *dict = nullptr;
    std::vector<Node> nodes;        // nodes[0] unused
    std::vector<Arc> arcs;          // arcs[0] unused
    std::vector<hapi_lat *> owned;  // sub-lattices loaded with this one, deleted with it
    hapi_lat *owner = nullptr;      // the lattice whose owned list holds this one
    bool modifiable = false;
    // Set in a lattice made from a recognition result: the alternatives
    // to what was recognised, found when asked for.
    std::shared_ptr<engine::Alternatives> alternatives;
};

namespace engine {

// Writes lat and every sub-lattice it includes, each once, atomically.
bool lat_save(const hapi_lat &lat, const std::string &path);

// Reads a lattice file against dict.  The sub-lattices come owned by the
// answered top lattice; all are finalised.  Null, with the file, line and
// reason written, when the file is malformed or a word is not in dict.
hapi_lat *lat_load(hapi_dict *dict, const std::string &path);

// Deletes a lattice and the sub-lattices it owns.
void lat_delete(hapi_lat *lat);

}  // namespace engine

#endif  // ENGINE_LEXICON_LATTICE_H
