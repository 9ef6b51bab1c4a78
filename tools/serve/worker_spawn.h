// worker_spawn.h - starting a worker process: this program run afresh, so
// that it holds none of the service's threads, locks or sockets.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace tool {

struct Spawned {
    pid_t pid = -1;
    int fd = -1;  // the service's end of the worker's socket
};

// Runs this program with `args` (after its name) and TMPDIR set to
// `tmpdir`, its end of a new socket on descriptor kWorkerSocket and no
// other descriptor but the standard three, with the default signal
// dispositions and mask.  pid -1 with why.
Spawned SpawnWorker(const std::vector<std::string> &args, const std::string &tmpdir, std::string *why);

}  // namespace tool
