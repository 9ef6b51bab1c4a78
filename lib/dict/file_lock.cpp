// file_lock.cpp - advisory locks on dictionary files.
#include "dict/dict_internal.h"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kh {

#ifdef _WIN32

// Windows cannot replace a file that is held open, and a save replaces the
// dictionary file, so it is not locked there: two runs that save the same
// file at the same moment may still lose the words of one.
FileLock::FileLock(const char *) {}
FileLock::~FileLock() {}

#else

namespace {

constexpr int kWaitMs = 10000;
constexpr int kPollMs = 10;

bool SameFile(const struct stat &a, const struct stat &b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

// A save renames a new file over the one locked, so a program that waited
// checks that the name still holds the file it locked, and locks the new
// one when it does not.
FileLock::FileLock(const char *path) {
    for (int waited = 0;;) {
        fd_ = open(path, O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
        if (fd_ < 0) {
            why_ = strerror(errno);
            return;
        }
        while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) {
                // Where the file system locks nothing, the save goes unlocked.
                if (errno == ENOLCK || errno == EOPNOTSUPP) return;
                why_ = strerror(errno);
            } else if (waited >= kWaitMs) {
                why_ = "another program has held it locked for 10 seconds";
            } else {
                usleep(kPollMs * 1000);
                waited += kPollMs;
                continue;
            }
            close(fd_);
            fd_ = -1;
            return;
        }
        struct stat held, named;
        if (fstat(fd_, &held) == 0 && stat(path, &named) == 0 && SameFile(held, named)) return;
        close(fd_);
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) close(fd_);
}

#endif

}  // namespace kh
