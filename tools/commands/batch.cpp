// batch.cpp - worker processes, progress and the exit status.
#include "commands/batch.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>
#include <unistd.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "platform/os_specific.h"
#include "platform/private_files.h"
#include "session/session.h"

namespace tool {

namespace {

class Progress {
public:
    Progress(bool on, size_t total) : on_(on && total > 1 && ProgressTerminal()), total_(total) {}
    void Done(const std::string &file) {
        if (!on_) return;
        fprintf(stderr, "\r\033[K[%zu/%zu] %s", ++done_, total_, file.c_str());
        fflush(stderr);
    }
    void Clear() {
        if (on_) fputs("\r\033[K", stderr);
    }

private:
    bool on_;
    size_t total_, done_ = 0;
};

// Every file of a run that did not start: the cause once, then a
// failure document for each file with --json.
int FailAll(const std::vector<std::string> &files, bool json, const std::string &why) {
    fprintf(stderr, "khapi: %s\n", why.c_str());
    for (const std::string &file : files) fputs(FileFailure(json, file, why).out.c_str(), stdout);
    fflush(stdout);
    return 1;
}

void Emit(const Outcome &o) {
    fputs(o.out.c_str(), stdout);
    fflush(stdout);
    fputs(o.err.c_str(), stderr);
}

#ifndef _WIN32

// One record a finished file on the pipe:
// "index ok out_len err_len\n" then the two texts.
bool SendOutcome(int fd, size_t index, const Outcome &o) {
    std::ostringstream head;
    head << index << " " << (o.ok ? 1 : 0) << " " << o.out.size() << " " << o.err.size() << "\n";
    return WriteAll(fd, head.str() + o.out + o.err);
}

// A forked process: a tool that has gone away fails its next write
// rather than killing it (SIGPIPE) with its files.
pid_t ForkQuietWorker() {
    pid_t pid = ForkWorker();
    if (pid == 0) signal(SIGPIPE, SIG_IGN);
    return pid;
}

// A forked process ends with _exit, which runs no destructor: its private
// files are removed first.
[[noreturn]] void EndWorker(int status) {
    RemovePrivateFiles();
    _exit(status);
}

void Worker(int fd, size_t first, size_t stride, const std::vector<std::string> &files, bool json,
            const StartJob &start, const FileJob &job) {
    std::string why;
    bool started = start(static_cast<int>(first) + 1, &why);
    for (size_t i = first; i < files.size(); i += stride) {
        Outcome o =
            started ? job(files[i]) : Outcome{false, FileFailure(json, files[i], why).out, "khapi: " + why + "\n"};
        if (!SendOutcome(fd, i, o)) EndWorker(1);
    }
    close(fd);
    EndWorker(0);
}

// Reads records until every worker has closed its end.
void Collect(FILE *in, std::vector<Outcome> *results, std::vector<bool> *seen, Progress *progress,
             const std::vector<std::string> &files) {
    size_t index, out_len, err_len;
    int ok;
    while (fscanf(in, "%zu %d %zu %zu\n", &index, &ok, &out_len, &err_len) == 4 && index < files.size()) {
        Outcome o;
        o.ok = ok == 1;
        o.out.resize(out_len);
        o.err.resize(err_len);
        if ((out_len && fread(&o.out[0], 1, out_len, in) != out_len) ||
            (err_len && fread(&o.err[0], 1, err_len, in) != err_len))
            break;
        (*results)[index] = o;
        (*seen)[index] = true;
        progress->Done(files[index]);
    }
}

// Starts the library once in a process of its own before the workers do:
// a bad configuration or grammar is reported once, and the words the
// syntax needs are in the vocabulary dictionary before several processes
// read it.
bool StartFirst(const StartJob &start, std::string *why) {
    int fds[2];
    if (pipe(fds) != 0) return *why = std::string("cannot start worker processes: ") + strerror(errno), false;
    fflush(nullptr);
    pid_t pid = ForkQuietWorker();
    if (pid == 0) {
        close(fds[0]);
        std::string cause;
        bool ok = start(0, &cause);
        WriteAll(fds[1], ok ? "" : cause);
        EndWorker(ok ? 0 : 1);
    }
    close(fds[1]);
    std::string cause;
    char buf[512];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) cause.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    if (pid < 0) return *why = std::string("cannot start worker processes: ") + strerror(errno), false;
    waitpid(pid, &status, 0);
    ForgetWorker(pid);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    *why = cause.empty() ? "the library could not start" : cause;
    return false;
}

int RunWorkers(const std::vector<std::string> &files, size_t jobs, Progress *progress, bool json, const StartJob &start,
               const FileJob &job) {
    std::string why;
    if (!StartFirst(start, &why)) return FailAll(files, json, why);
    int fds[2];
    if (pipe(fds) != 0) {
        fprintf(stderr, "khapi: cannot start worker processes: %s\n", strerror(errno));
        return 1;
    }
    fflush(nullptr);
    std::vector<pid_t> pids;
    for (size_t k = 0; k < jobs; k++) {
        pid_t pid = ForkQuietWorker();
        if (pid == 0) {
            close(fds[0]);
            Worker(fds[1], k, jobs, files, json, start, job);
        }
        if (pid > 0) pids.push_back(pid);
    }
    close(fds[1]);
    std::vector<Outcome> results(files.size());
    std::vector<bool> seen(files.size(), false);
    FILE *in = fdopen(fds[0], "r");
    if (in) {
        Collect(in, &results, &seen, progress, files);
        fclose(in);
    } else {
        close(fds[0]);
    }
    for (pid_t pid : pids) {
        waitpid(pid, nullptr, 0);
        ForgetWorker(pid);
    }
    progress->Clear();
    int status = 0;
    std::set<std::string> said;
    for (size_t i = 0; i < files.size(); i++) {
        if (!seen[i]) results[i] = FileFailure(json, files[i], "its worker process ended before it was done");
        if (!said.insert(results[i].err).second) results[i].err.clear();
        Emit(results[i]);
        if (!results[i].ok) status = 1;
    }
    return status;
}
#endif

}  // namespace

int RunFiles(const std::vector<std::string> &files, int jobs, bool progress, bool json, const StartJob &start,
             const FileJob &job) {
    Progress line(progress, files.size());
#ifdef _WIN32
    // Windows has no fork: the files run one after another in this process.
    (void)jobs;
#else
    size_t workers = std::min(files.size(), static_cast<size_t>(jobs > 0 ? jobs : 1));
    if (workers > 1) return RunWorkers(files, workers, &line, json, start, job);
#endif
    std::string why;
    if (!start(0, &why)) return FailAll(files, json, why);
    int status = 0;
    std::set<std::string> said;
    for (const std::string &file : files) {
        Outcome o = job(file);
        if (!said.insert(o.err).second) o.err.clear();
        line.Clear();
        Emit(o);
        line.Done(file);
        if (!o.ok) status = 1;
    }
    line.Clear();
    return status;
}

}  // namespace tool
