// files.cpp - whole-file reading and crash-safe writing.
#include "base/files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

namespace {

std::string errno_text() { return strerror(errno); }

bool write_all(int fd, const std::string &text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// The mode a new file gets: that of the file it replaces, else the
// ordinary 0666 less the process's umask.
mode_t mode_for(const std::string &path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool read_whole_file(const std::string &path, std::string *out, std::string *why) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return *why = errno_text(), false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *why = "not a regular file";
        close(fd);
        return false;
    }
    out->resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < out->size()) {
        ssize_t n = read(fd, &(*out)[done], out->size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *why = errno_text();
            close(fd);
            return false;
        }
        if (n == 0) break;  // the file shrank while being read
        done += static_cast<size_t>(n);
    }
    out->resize(done);
    close(fd);
    return true;
}

bool write_file_atomically(const std::string &path, const std::string &text, std::string *why) {
    if (path.empty()) return *why = "no file name", false;
    std::string temp = path + ".XXXXXX";
    int fd = mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0) return *why = "cannot create a file beside it: " + errno_text(), false;
    bool ok = fchmod(fd, mode_for(path)) == 0 && write_all(fd, text) && fsync(fd) == 0;
    if (!ok) *why = errno_text();
    if (close(fd) != 0 && ok) {
        ok = false;
        *why = errno_text();
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        *why = errno_text();
    }
    if (!ok) unlink(temp.c_str());
    return ok;
}

}  // namespace engine
