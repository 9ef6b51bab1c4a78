// serve_worker.h - a worker process of the service: the library started
// once, then one job at a time from the service's socket.
#pragma once

#include "options.h"

namespace tool {

// The worker's socket, handed to it by the service.
constexpr int kWorkerSocket = 3;

// Starts the library (logging as worker `index`), says whether it could,
// then answers jobs until the service closes the socket.  Answers the
// process's exit status.
int RunServeWorker(const CommonOptions &common, int index);

}  // namespace tool
