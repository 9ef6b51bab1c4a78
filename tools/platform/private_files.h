// private_files.h - the files a run makes for itself (the private
// configuration, scratch dictionaries), removed when the run ends, also
// when it is interrupted (SIGINT, SIGTERM, SIGHUP; Ctrl-C and Ctrl-Break
// on Windows) or a worker process leaves through _exit.
#pragma once

#include <string>

namespace tool {

// Has SIGINT, SIGTERM and SIGHUP remove this process's private files,
// pass the signal on to its worker processes and wait for them, and then
// end the process by the signal as it would have ended without this.
void RemovePrivateFilesOnSignals();

// CreateTempFile, the file remembered at once (no signal comes between):
// its descriptor, or -1 with errno and `name` the pattern tried.
int CreatePrivateFile(const std::string &suffix, std::string *name);

// Writes all of `bytes` to the descriptor, going on after an interrupted
// or partial write; false on a write error.
bool WriteAll(int fd, const std::string &bytes);

// Removes one private file and forgets it.
void RemovePrivateFile(const std::string &name);

// Removes every private file this process made: for a worker that ends
// with _exit, which runs no destructor.
void RemovePrivateFiles();

#ifndef _WIN32
// fork(), with the worker made watched at once: an interrupting signal is
// passed on to it until ForgetWorker, once it has been waited for.
int ForkWorker();
void ForgetWorker(int pid);
#endif

}  // namespace tool
