// private_files.cpp - the run's private files, and what an interrupting
// signal does with them and with the worker processes.
#include "platform/private_files.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/os_specific.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tool {

namespace {

#ifdef _WIN32
const int kSignals[] = {SIGINT, SIGBREAK, SIGTERM};
int Self() { return _getpid(); }
void Unlink(const char *path) { _unlink(path); }
#else
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int Self() { return static_cast<int>(getpid()); }
void Unlink(const char *path) { unlink(path); }
#endif

// Fixed slots, since a signal handler can neither allocate nor lock.  A
// slot is this process's when its owner is this process's id: a forked
// worker inherits its parent's slots, and leaves the parent's alone.
constexpr int kSlots = 64;
constexpr size_t kLongestPath = 4096;

struct FileSlot {
    volatile sig_atomic_t owner;
    char path[kLongestPath];
};
FileSlot g_files[kSlots];

void RemoveOwn(int self) {
    for (FileSlot &slot : g_files)
        if (slot.owner == self) {
            Unlink(slot.path);
            slot.owner = 0;
        }
}

#ifdef _WIN32

// Windows has neither signal masks nor worker processes.
class SignalsHeld {
public:
    SignalsHeld() {}
    ~SignalsHeld() {}
};

void OnSignal(int sig) {
    RemoveOwn(Self());
    signal(sig, SIG_DFL);
    raise(sig);
}

#else

struct WorkerSlot {
    volatile sig_atomic_t owner, pid;
};
WorkerSlot g_workers[kSlots];

// Holds the interrupting signals back while the slots change, so that the
// handler never sees a half-made one or a file made but not yet in a slot.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t these;
        sigemptyset(&these);
        for (int sig : kSignals) sigaddset(&these, sig);
        sigprocmask(SIG_BLOCK, &these, &before_);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &before_, nullptr); }
    SignalsHeld(const SignalsHeld &) = delete;
    SignalsHeld &operator=(const SignalsHeld &) = delete;

private:
    sigset_t before_;
};

// The workers get the signal too (a signal sent to the tool alone would
// leave them running, holding their files) and are waited for, so that
// nothing of the run is left when it has ended.  The handler is reset
// on entry (SA_RESETHAND): the signal raised again ends the process once
// the handler returns.
void OnSignal(int sig) {
    int saved = errno;
    int self = Self();
    for (WorkerSlot &w : g_workers)
        if (w.owner == self) kill(w.pid, sig);
    for (WorkerSlot &w : g_workers)
        if (w.owner == self) {
            while (waitpid(w.pid, nullptr, 0) < 0 && errno == EINTR) {}
            w.owner = 0;
        }
    RemoveOwn(self);
    raise(sig);
    errno = saved;
}

#endif

// A slot this process may take: free, or a copy of its parent's.
template <typename Slot>
Slot *FreeSlot(Slot (&slots)[kSlots]) {
    for (Slot &slot : slots)
        if (slot.owner != Self()) return &slot;
    return nullptr;
}

}  // namespace

void RemovePrivateFilesOnSignals() {
    for (int sig : kSignals) {
#ifdef _WIN32
        // A signal ignored from the start (by the caller) stays ignored.
        if (signal(sig, OnSignal) == SIG_IGN) signal(sig, SIG_IGN);
#else
        struct sigaction now, before;
        if (sigaction(sig, nullptr, &before) != 0 || before.sa_handler == SIG_IGN) continue;
        memset(&now, 0, sizeof now);
        now.sa_handler = OnSignal;
        now.sa_flags = SA_RESETHAND;
        sigemptyset(&now.sa_mask);
        for (int other : kSignals) sigaddset(&now.sa_mask, other);
        sigaction(sig, &now, nullptr);
#endif
    }
}

int CreatePrivateFile(const std::string &suffix, std::string *name) {
    SignalsHeld held;
    int fd = CreateTempFile(suffix, name);
    if (fd < 0) return fd;
    FileSlot *slot = FreeSlot(g_files);
    if (!slot || name->size() >= kLongestPath) {
        // A file that could not be removed on a signal is not made.
        int why = slot ? ENAMETOOLONG : EMFILE;
        close(fd);
        Unlink(name->c_str());
        errno = why;
        return -1;
    }
    memcpy(slot->path, name->c_str(), name->size() + 1);
    slot->owner = Self();
    return fd;
}

void RemovePrivateFile(const std::string &name) {
    SignalsHeld held;
    Unlink(name.c_str());
    for (FileSlot &slot : g_files)
        if (slot.owner == Self() && name == slot.path) slot.owner = 0;
}

void RemovePrivateFiles() {
    SignalsHeld held;
    RemoveOwn(Self());
}

#ifndef _WIN32

int ForkWorker() {
    SignalsHeld held;  // in the worker too, until it returns
    pid_t pid = fork();
    WorkerSlot *slot = pid > 0 ? FreeSlot(g_workers) : nullptr;
    if (slot) {
        slot->pid = pid;
        slot->owner = Self();
    }
    return pid;
}

void ForgetWorker(int pid) {
    SignalsHeld held;
    for (WorkerSlot &w : g_workers)
        if (w.owner == Self() && w.pid == pid) w.owner = 0;
}

#endif

bool WriteAll(int fd, const std::string &bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        auto n = write(fd, bytes.data() + done, static_cast<unsigned>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace tool
