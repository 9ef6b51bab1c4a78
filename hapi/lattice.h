// lattice.h - what the lattice calls share with the lattice file code.
#ifndef HAPI_LATTICE_H
#define HAPI_LATTICE_H

#include "internal.h"

#include <string>

namespace kiln {

// Writes lat and every sub-lattice it includes, each once, atomically.
bool lat_save(const hapi_lat &lat, const std::string &path);

// Reads a lattice file against dict.  The sub-lattices come owned by the
// answered top lattice; all are finalised.  Null, with the file, line and
// reason written, when the file is malformed or a word is not in dict.
hapi_lat *lat_load(hapi_dict *dict, const std::string &path);

// Deletes a lattice and the sub-lattices it owns.
void lat_delete(hapi_lat *lat);

}  // namespace kiln

#endif  // HAPI_LATTICE_H
