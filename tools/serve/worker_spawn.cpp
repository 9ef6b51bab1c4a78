// worker_spawn.cpp - posix_spawn of /proc/self/exe on a socket pair.
#include "serve/worker_spawn.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <unistd.h>

#include "serve/serve_worker.h"

extern char **environ;

namespace tool {

namespace {

// The environment, with TMPDIR replaced.
std::vector<std::string> WorkerEnvironment(const std::string &tmpdir) {
    std::vector<std::string> env;
    for (char **e = environ; *e; e++)
        if (strncmp(*e, "TMPDIR=", 7) != 0) env.emplace_back(*e);
    env.push_back("TMPDIR=" + tmpdir);
    return env;
}

std::vector<char *> Pointers(std::vector<std::string> &strings) {
    std::vector<char *> p;
    for (std::string &s : strings) p.push_back(&s[0]);
    p.push_back(nullptr);
    return p;
}

}  // namespace

Spawned SpawnWorker(const std::vector<std::string> &args, const std::string &tmpdir, std::string *why) {
    Spawned out;
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return *why = std::string("cannot make a socket: ") + strerror(errno), out;
    // dup2 onto itself would keep close-on-exec: the child's end is moved
    // out of the way first.
    if (fds[1] == kWorkerSocket) {
        int moved = fcntl(fds[1], F_DUPFD_CLOEXEC, kWorkerSocket + 1);
        close(fds[1]);
        fds[1] = moved;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], kWorkerSocket);
    posix_spawn_file_actions_addclosefrom_np(&actions, kWorkerSocket + 1);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> argv = {"khapi"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = WorkerEnvironment(tmpdir);
    std::vector<char *> argp = Pointers(argv), envp = Pointers(env);
    pid_t pid;
    int status = posix_spawn(&pid, "/proc/self/exe", &actions, &attr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(fds[1]);
    if (status != 0) {
        close(fds[0]);
        *why = std::string("cannot start a worker process: ") + strerror(status);
        return out;
    }
    out.pid = pid;
    out.fd = fds[0];
    return out;
}

}  // namespace tool
