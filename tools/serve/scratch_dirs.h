// scratch_dirs.h - the service's private temporary folders: one for each
// worker, so that what a worker killed outright leaves behind (a
// learner's audio, its private configuration) is found and removed.
#pragma once

#include <string>

namespace tool {

// A new folder "khapi-serve-XXXXXX" in $TMPDIR (else /tmp) that only this
// user may enter; empty with why.
std::string MakeScratchRoot(std::string *why);

// ROOT/NAME, made when missing; empty with why.
std::string MakeScratchDir(const std::string &root, const std::string &name, std::string *why);

// Removes the files in a folder (its workers make no folders).
void EmptyScratchDir(const std::string &dir);

// Empties and removes a folder.
void RemoveScratchDir(const std::string &dir);

}  // namespace tool
