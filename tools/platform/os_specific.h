// os_specific.h - what the tool does differently on Linux and on Windows:
// file names, where it finds itself and its configuration, the per-user
// state folder and the private configuration's temporary file.
#pragma once

#include <string>
#include <vector>

namespace tool {

// The characters that end a folder in a file name: "/" on Linux, also
// "\\" on Windows.
extern const char kSeparators[];

// "/x" on Linux; "C:\x", "C:/x", "\x" and "\\host\x" on Windows.
bool IsAbsolute(const std::string &path);

// The folder of this program, or "." when it cannot be found.
std::string ProgramDir();

// Where the packaged configuration may be, relative to ProgramDir(), in
// the order they are tried: installed first, then the build's.
extern const char *const kPackagedConfigs[2];

// khapi.log in the per-user state folder "khapi", the file the packaged
// configuration's ERRORLOG names: under $XDG_STATE_HOME, else
// ~/.local/state on Linux (the home from $HOME, else the password
// database); under %LOCALAPPDATA% on Windows.  Empty with why.
std::string UserStateLog(std::string *why);

// A file's size and the time it was last written, in nanoseconds, to
// the finest the system keeps; false when it cannot be read.
bool SizeAndTime(const std::string &path, long long *size, long long *mtime_ns);

// Whether standard error is a terminal that takes the progress line's
// escapes ("\r\033[K"); Windows' console is asked to take them.
bool ProgressTerminal();

// The program's arguments.  On Windows, where a program's arguments come
// in the ANSI code page, one that the code page cannot hold (a text in
// Cyrillic on a Western system) is taken from the wide command line as
// UTF-8 instead; the others keep their ANSI bytes, which name files as
// the library opens them (and which a text reader takes as Latin-1).
std::vector<std::string> Arguments(int argc, char **argv);

// Takes the file to log to for the rest of the process's life: false when
// another process holds it (an advisory lock that only the tool takes),
// true when it was free or cannot be taken at all (it is not there yet,
// or on Windows, where the tool takes none).  The file may be created.
bool HoldForLife(const std::string &path);

// The same text for every name of one file: for a file that is there its
// device and inode on Linux (links, "..", symbolic links, another spelling
// all lead to it), its volume and file index on Windows; for one that is
// not, its folder's real path and its name on Linux, its full path in
// lower case on Windows.  `exists` (when given) says which.
std::string FileIdentity(const std::string &path, bool *exists = nullptr);

// Creates a new file "khapi-XXXXXX" and the suffix (".conf") in the
// temporary folder, only this user may read, and answers its descriptor,
// open for writing in binary; -1 with errno and `name` the pattern tried.
int CreateTempFile(const std::string &suffix, std::string *name);

}  // namespace tool
