// config.h - what the parts of the engine share with one another.
//
// The configuration store, fault injection and the dictionary and lattice
// objects are defined here so that the network builder can read
// dictionaries and lattices directly.  Nothing here is visible outside
// libHAPI_kiln.
#ifndef ENGINE_BASE_CONFIG_H
#define ENGINE_BASE_CONFIG_H

#include "hapi.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine {

struct Alternatives;

// ---- diagnostics ---------------------------------------------------------

// Writes "hapi: <message>\n" to standard error.
void complain(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// True when an armed fault makes this call of the named function fail.
// Every hapi* function asks this first, with its own name.
bool fault(const char *function_name);

// ---- configuration -----------------------------------------------------

// The raw text of a key, or null when it is not set.
const std::string *conf_text(const std::string &key);
// Typed readers with defaults, for the engine's own keys.
bool conf_bool(const std::string &key, bool dflt);
int conf_int(const std::string &key, int dflt);
float conf_float(const std::string &key, float dflt);
std::string conf_string(const std::string &key, const std::string &dflt);
// Parses a boolean the way the configuration file writes it
// (TRUE, T, YES, 1 / FALSE, F, NO, 0 in any case).  False when not one.
bool parse_bool(const std::string &text, bool *out);

}  // namespace engine

// ---- dictionaries -----------------------------------------------------------

struct hapi_dict {
    struct Pron {
        std::string phones;   // phone names separated by single blanks
        std::string outsym;   // meaningful only when has_outsym
        bool has_outsym = false;
    };
    struct Word {
        std::string name;
        std::vector<Pron> prons;
    };

    std::string filename;
    std::vector<std::string> phones;                // phone set in order; ids from 1 = index + 1
    std::unordered_map<std::string, int> phone_ids; // name -> id (from 1)
    bool phones_declared = false;                   // set by "!!PHONESET"/"!!PHONES" or inherited
    std::vector<Word> words;                        // words[0] unused; words[1] is "!NULL"
    std::unordered_map<std::string, int> word_ids;  // name -> id
    bool modifiable = false;
};

// ---- lattices ---------------------------------------------------------------

struct hapi_lat {
    struct Node {
        int word = 1;               // word id in dict; 1 is the null word
        hapi_lat *sub = nullptr;    // the lattice a sub-lattice node stands for
        int flag = 0;
        std::vector<int> pred;      // arcs entering, in the order added
        std::vector<int> foll;      // arcs leaving, in the order added
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

#endif  // ENGINE_BASE_CONFIG_H
