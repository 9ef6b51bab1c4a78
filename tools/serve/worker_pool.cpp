// worker_pool.cpp - dispatch, the queue, and the supervisor thread that
// replaces workers.
#include "serve/worker_pool.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "serve/scratch_dirs.h"
#include "serve/worker_spawn.h"

namespace tool {

namespace {

using Clock = std::chrono::steady_clock;

// Starting the library reads the model: seconds, not minutes.
constexpr auto kStartTime = std::chrono::seconds(120);
// A worker that cannot start is tried again after this, not at once.
constexpr auto kRetryPause = std::chrono::seconds(1);
// Workers told to end are given this long before they are killed.
constexpr auto kEndTime = std::chrono::seconds(3);

Deadline After(double seconds) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

std::string HowItEnded(int status) {
    if (WIFSIGNALED(status)) return "was killed by signal " + std::to_string(WTERMSIG(status));
    return "ended with status " + std::to_string(WEXITSTATUS(status));
}

std::string Seconds(double s) {
    char text[32];
    snprintf(text, sizeof text, "%g", s);
    return text;
}

}  // namespace

WorkerPool::WorkerPool(PoolSettings settings) : settings_(std::move(settings)), slots_(settings_.workers) {
    for (size_t i = 0; i < slots_.size(); i++) slots_[i].index = static_cast<int>(i) + 1;
}

WorkerPool::~WorkerPool() { Stop(); }

bool WorkerPool::Launch(Slot *slot, std::string *why) {
    if (slot->scratch.empty()) slot->scratch = MakeScratchDir(settings_.scratch_root, std::to_string(slot->index), why);
    Spawned s;
    if (!slot->scratch.empty()) {
        std::vector<std::string> args = settings_.worker_args;
        args.insert(args.end(), {"--worker", std::to_string(slot->index)});
        s = SpawnWorker(args, slot->scratch, why);
    }
    slot->pid = s.pid;
    slot->fd = s.fd;
    slot->exited = s.pid < 0;  // nothing to reap: tried again as if it had ended
    slot->state = s.pid < 0 ? State::Broken : State::Starting;
    return s.pid >= 0;
}

// A worker says 200 once it has started the library, or why it could not.
bool WorkerPool::AwaitReady(Slot *slot, std::string *why) {
    Answer a;
    Received r = ReceiveAnswer(slot->fd, &a, Clock::now() + kStartTime);
    if (r == Received::Ok && a.status == 200) return true;
    if (r == Received::TimedOut) return *why = "the worker did not start within two minutes", false;
    if (r == Received::Closed) return *why = "the worker process ended as it started", false;
    nlohmann::json body = nlohmann::json::parse(a.body, nullptr, false);
    *why = body.is_object() ? body.value("error", a.body) : a.body;
    return false;
}

bool WorkerPool::Start(std::string *why) {
    // The first worker starts alone: a bad configuration is told once, and
    // the vocabulary the others read is written before they start.
    for (size_t i = 0; i < slots_.size(); i++) {
        bool ok = Launch(&slots_[i], why) && (i > 0 || AwaitReady(&slots_[i], why));
        if (!ok) return EndAll(), false;
    }
    for (size_t i = 1; i < slots_.size(); i++)
        if (!AwaitReady(&slots_[i], why)) return EndAll(), false;
    for (Slot &slot : slots_) slot.state = State::Idle;
    thread_ = std::thread(&WorkerPool::Supervise, this);
    return true;
}

WorkerPool::Slot *WorkerPool::FreeSlot() {
    for (Slot &slot : slots_)
        if (slot.state == State::Idle && !slot.exited) return &slot;
    return nullptr;
}

// Jobs are served in the order they came: a free worker goes to the
// oldest waiting one, not to whichever thread wakes first.
Answer WorkerPool::Run(const Job &job) {
    std::unique_lock<std::mutex> lock(mutex_);
    Slot *slot = stopping_ || !queue_.empty() ? nullptr : FreeSlot();
    if (!slot && !stopping_) {
        if (queue_.size() >= settings_.queue)
            return {503, ErrorBody("every worker is busy and the queue is full: try again later")};
        uint64_t ticket = next_ticket_++;
        queue_.push_back(ticket);
        freed_.wait_until(lock, After(settings_.max_seconds),
                          [&] { return stopping_ || (queue_.front() == ticket && (slot = FreeSlot())); });
        queue_.erase(std::find(queue_.begin(), queue_.end(), ticket));
        freed_.notify_all();  // the next in line may take another free worker
    }
    if (!slot || stopping_)
        return {503, ErrorBody("no worker was free within " + Seconds(settings_.max_seconds) + " s: try again later")};
    slot->state = State::Busy;
    int fd = slot->fd;
    lock.unlock();

    Answer answer;
    Received r = SendJob(fd, job) ? ReceiveAnswer(fd, &answer, After(settings_.max_seconds)) : Received::Closed;
    lock.lock();
    if (r == Received::Ok) {
        slot->state = State::Idle;
        freed_.notify_all();
        return answer;
    }
    // Whatever the worker was doing is given up: it is replaced.
    slot->state = State::Broken;
    if (!slot->exited) kill(slot->pid, SIGKILL);
    supervisor_.notify_one();
    if (r == Received::TimedOut)
        return {504, ErrorBody("the recognition took longer than " + Seconds(settings_.max_seconds) + " s")};
    return {500, ErrorBody("the worker process ended while it was recognising this request")};
}

PoolCounts WorkerPool::Counts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    PoolCounts c;
    c.workers = static_cast<int>(slots_.size());
    for (const Slot &slot : slots_) {
        if (slot.state == State::Busy) c.busy++;
        if ((slot.state == State::Idle || slot.state == State::Busy) && !slot.exited) c.ready++;
    }
    c.queued = static_cast<int>(queue_.size());
    c.restarts = restarts_;
    return c;
}

// Marks the workers that have ended; their pids are no longer signalled.
void WorkerPool::Reap() {
    int status;
    pid_t pid;
    while ((pid = waitpid(-1, &status, WNOHANG)) > 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (Slot &slot : slots_) {
            if (slot.pid != pid) continue;
            slot.exited = true;
            if (!stopping_)
                fprintf(stderr, "khapi serve: worker %d (pid %d) %s\n", slot.index, static_cast<int>(pid),
                        HowItEnded(status).c_str());
        }
    }
}

// Called with the lock held; lets it go while the new worker starts.
void WorkerPool::Replace(Slot *slot, std::unique_lock<std::mutex> *lock) {
    close(slot->fd);
    slot->fd = -1;
    EmptyScratchDir(slot->scratch);  // what the dead worker left there
    restarts_++;
    std::string why;
    bool ok = Launch(slot, &why);
    lock->unlock();
    ok = ok && AwaitReady(slot, &why);
    if (!ok) {
        fprintf(stderr, "khapi serve: worker %d could not start again: %s\n", slot->index, why.c_str());
        std::this_thread::sleep_for(kRetryPause);
    }
    lock->lock();
    if (ok) {
        fprintf(stderr, "khapi serve: worker %d started again (pid %d)\n", slot->index, static_cast<int>(slot->pid));
        slot->state = State::Idle;
        freed_.notify_all();
        return;
    }
    slot->state = State::Broken;
    if (!slot->exited && slot->pid > 0) kill(slot->pid, SIGKILL);
}

void WorkerPool::Supervise() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        Reap();
        lock.lock();
        for (Slot &slot : slots_)
            if (!stopping_ && slot.exited && slot.state != State::Busy) Replace(&slot, &lock);
        supervisor_.wait_for(lock, std::chrono::milliseconds(50));
    }
}

void WorkerPool::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return;
        stopping_ = true;
    }
    freed_.notify_all();
    supervisor_.notify_all();
    if (thread_.joinable()) thread_.join();
    EndAll();
}

// A worker ends when its socket closes; one that does not is killed.
void WorkerPool::EndAll() {
    for (Slot &slot : slots_)
        if (slot.fd >= 0) shutdown(slot.fd, SHUT_RDWR);
    auto until = Clock::now() + kEndTime;
    for (Slot &slot : slots_) {
        if (slot.pid > 0 && !slot.exited) {
            int status;
            while (waitpid(slot.pid, &status, WNOHANG) == 0 && Clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (waitpid(slot.pid, &status, WNOHANG) == 0) {
                kill(slot.pid, SIGKILL);
                waitpid(slot.pid, &status, 0);
            }
            slot.exited = true;
        }
        if (slot.fd >= 0) close(slot.fd);
        slot.fd = -1;
        if (!slot.scratch.empty()) RemoveScratchDir(slot.scratch);
    }
}

}  // namespace tool
