// lattice.h - what the lattice calls share with the lattice file code.
#ifndef ENGINE_LEXICON_LATTICE_H
#define ENGINE_LEXICON_LATTICE_H

#include "base/config.h"

#include <string>

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
