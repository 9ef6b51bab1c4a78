// files.h - whole-file reading and crash-safe writing for the engine's
// dictionary and lattice files.
#ifndef ENGINE_BASE_FILES_H
#define ENGINE_BASE_FILES_H

#include <string>

namespace engine {

// The largest dictionary or lattice file read, far above what one needs
// (the packaged system dictionary, 134,000 words, is 3.3 MB), so that a
// huge or sparse file is refused before memory runs out.
constexpr long long kMaxTextFileBytes = 256LL << 20;

// Reads a regular file of at most kMaxTextFileBytes whole into *out.  On
// failure answers false and puts the reason in *why.
bool read_whole_file(const std::string &path, std::string *out, std::string *why);

// Writes text to the file beside path named path + ".hapi-tmp", flushes
// it to disk and renames it over path, so that path holds either its old
// content or all of the new.  Saves of one file run one at a time (a save
// waits up to 10 seconds for another to end), and the temporary that a
// killed save left is taken over by the next save, so at most one is ever
// left.  Nothing is left behind on failure, which answers false with the
// reason in *why and errno set.  An existing file keeps its permissions.
bool write_file_atomically(const std::string &path, const std::string &text, std::string *why);
// The folder that holds a file: "/a" for "/a/b", "/" for "/b", "." for "b".
// On Windows a backslash separates as well as a slash, and a drive stays
// with its folder: "C:\a" for "C:\a\b", "C:\" for "C:\b", "C:" for "C:b".
std::string folder_of(const std::string &path);
// Whether path names a regular file (through links).
bool is_regular_file(const std::string &path);

}  // namespace engine

#endif  // ENGINE_BASE_FILES_H
