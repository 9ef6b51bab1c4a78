// files.cpp - whole-file reading and crash-safe writing.
#include "base/files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

namespace engine {

namespace {

std::string errno_text() { return strerror(errno); }

#ifdef _WIN32
// Windows has no close-on-exec, reads files as text unless told otherwise,
// cannot rename over an existing file and flushes with _commit.
const int kReadFlags = O_RDONLY | O_BINARY;

int create_beside(std::string *temp) {
    for (int attempt = 0; attempt < 100; attempt++) {
        std::string name = *temp;
        if (_mktemp_s(&name[0], name.size() + 1) != 0) return -1;
        int fd = _open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY | O_NOINHERIT, _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST) return *temp = name, fd;
    }
    return -1;
}

bool keep_mode_and_flush(int fd, const std::string &) { return _commit(fd) == 0; }

bool replace_file(const std::string &from, const std::string &to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    errno = EACCES;
    return false;
}
#else
// Not blocking: a FIFO would wait for a writer before it could be
// refused as no regular file.
const int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

int create_beside(std::string *temp) { return mkostemp(&(*temp)[0], O_CLOEXEC); }

// The mode a new file gets: that of the file it replaces, else the
// ordinary 0666 less the process's umask.
mode_t mode_for(const std::string &path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool keep_mode_and_flush(int fd, const std::string &path) {
    return fchmod(fd, mode_for(path)) == 0 && fsync(fd) == 0;
}

bool replace_file(const std::string &from, const std::string &to) { return rename(from.c_str(), to.c_str()) == 0; }
#endif

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

}  // namespace

bool read_whole_file(const std::string &path, std::string *out, std::string *why) {
    int fd = open(path.c_str(), kReadFlags);
    if (fd < 0) return *why = errno_text(), false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *why = "not a regular file";
        close(fd);
        return false;
    }
    if (st.st_size > kMaxTextFileBytes) {
        *why = "larger than " + std::to_string(kMaxTextFileBytes >> 20) + " MB";
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

std::string folder_of(const std::string &path) {
#ifdef _WIN32
    const char *separators = "\\/";
    size_t root = path.size() >= 2 && path[1] == ':' ? 2 : 0;  // a drive letter
#else
    const char *separators = "/";
    size_t root = 0;
#endif
    size_t slash = path.find_last_of(separators);
    if (slash == std::string::npos || slash < root) return root ? path.substr(0, root) : ".";
    return slash == root ? path.substr(0, root + 1) : path.substr(0, slash);
}

bool write_file_atomically(const std::string &path, const std::string &text, std::string *why) {
    if (path.empty()) return *why = "no file name", false;
    std::string temp = path + ".XXXXXX";
    int fd = create_beside(&temp);
    if (fd < 0) return *why = "cannot create a file beside it: " + errno_text(), false;
    bool ok = write_all(fd, text) && keep_mode_and_flush(fd, path);
    if (!ok) *why = errno_text();
    if (close(fd) != 0 && ok) {
        ok = false;
        *why = errno_text();
    }
    if (ok && !replace_file(temp, path)) {
        ok = false;
        *why = errno_text();
    }
    if (!ok) unlink(temp.c_str());
    return ok;
}

}  // namespace engine
