// worker_pool.h - the service's worker processes: each runs one job at a
// time; a job waits in a bounded queue for a free one; a worker that dies
// or overruns is killed and replaced, and only its own job fails.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "serve/worker_protocol.h"

namespace tool {

struct PoolSettings {
    int workers = 1;
    size_t queue = 32;                     // jobs that may wait for a worker
    double max_seconds = 30;               // a job's longest wait, and its longest run
    std::vector<std::string> worker_args;  // what a worker is started with; "--worker K" is added
    std::string scratch_root;              // the workers' private folders go in it
};

struct PoolCounts {
    int workers = 0, ready = 0, busy = 0, queued = 0, restarts = 0;
};

class WorkerPool {
public:
    explicit WorkerPool(PoolSettings settings);
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Starts every worker and waits until each has started the library;
    // false with the first one's cause when one cannot.
    bool Start(std::string *why);
    // Runs a job on the next free worker: its answer; 503 when the queue
    // is full or no worker frees up in time, 504 past max_seconds, 500
    // when the worker died on it.
    Answer Run(const Job &job);
    PoolCounts Counts() const;
    // Ends every worker and removes their private folders.
    void Stop();

private:
    enum class State { Starting, Idle, Busy, Broken };
    struct Slot {
        int index = 0;
        pid_t pid = -1;
        int fd = -1;
        State state = State::Starting;
        bool exited = false;  // reaped: its pid is no longer ours
        std::string scratch;
    };

    bool Launch(Slot *slot, std::string *why);
    bool AwaitReady(Slot *slot, std::string *why);
    Slot *FreeSlot();
    void Supervise();
    void Reap();
    void Replace(Slot *slot, std::unique_lock<std::mutex> *lock);
    void EndAll();

    PoolSettings settings_;
    mutable std::mutex mutex_;
    std::condition_variable freed_;       // a worker became free
    std::condition_variable supervisor_;  // a worker needs the supervisor
    std::vector<Slot> slots_;
    std::deque<uint64_t> queue_;  // the tickets of the jobs waiting, oldest first
    uint64_t next_ticket_ = 0;
    int restarts_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tool
