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

// Runs job on every file; with jobs > 1 the files are shared out among
// that many worker processes forked from this one (after the library is
// started, so each worker has its own copy of it).  Prints each file's
// output in the files' order.  Answers 0 when every file succeeded, else 1.
int RunFiles(const std::vector<std::string> &files, int jobs, bool progress, const FileJob &job);

}  // namespace tool
