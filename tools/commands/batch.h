// batch.h - runs one job per file, in this process or spread over worker
// processes, with a progress line and one exit status for all.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tool {

struct Outcome {
    bool ok = true;
    std::string out;  // for standard output
    std::string err;  // for standard error
};

using FileJob = std::function<Outcome(const std::string &file)>;
// Starts the library in a process: worker 0 is the tool's own process,
// workers 1 to n are forked ones.  False with why.
using StartJob = std::function<bool(int worker, std::string *why)>;

// Starts the library and runs job on every file.  With jobs > 1 the files
// are shared out among that many worker processes, each of which starts
// the library itself (with a log of its own: the library writes its log
// from the start in every process); on Windows, which cannot fork, they
// all run in this process, one after another.  Prints each file's output in the
// files' order, and a message that several files share only once.
// A run that cannot start fails every file: its cause is printed once,
// and with `json` each file gets its failure document.  Answers 0 when
// every file succeeded, else 1.
int RunFiles(const std::vector<std::string> &files, int jobs, bool progress, bool json, const StartJob &start,
             const FileJob &job);

}  // namespace tool
