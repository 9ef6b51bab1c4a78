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
#else
#include <sys/file.h>
#endif

namespace engine {

namespace {

std::string errno_text() { return strerror(errno); }

// How long a save waits for another save of the same file to end.
constexpr int kSaveWaitMs = 10000;
constexpr int kPollMs = 10;

#ifdef _WIN32
// Windows has no close-on-exec, reads files as text unless told otherwise,
// cannot rename over an existing file or one that is open, and flushes
// with _commit.
const int kReadFlags = O_RDONLY | O_BINARY;

// The errno of a failed CreateFileA.
int error_of_create(const std::string &name, DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_DISK_FULL:
        return ENOSPC;
    case ERROR_ACCESS_DENIED: {
        DWORD attributes = GetFileAttributesA(name.c_str());
        bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        return folder ? EISDIR : EACCES;
    }
    default:
        return EIO;
    }
}

// The temporary file, opened unshared and emptied: a second save waits
// until the first has closed it, and a file that a killed save left is
// taken over.  -1 with errno set.
int open_temporary(std::string *temp) {
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int waited = 0; h == INVALID_HANDLE_VALUE; waited += kPollMs) {
        h = CreateFileA(temp->c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) break;
        if (GetLastError() != ERROR_SHARING_VIOLATION) return errno = error_of_create(*temp, GetLastError()), -1;
        if (waited >= kSaveWaitMs) return errno = EBUSY, -1;
        Sleep(kPollMs);
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return errno = EMFILE, -1;
    }
    if (_chsize(fd, 0) != 0) {
        int e = errno;
        _close(fd);
        return errno = e, -1;
    }
    return fd;
}

bool keep_mode_and_flush(int fd, const std::string &) { return _commit(fd) == 0; }

// Windows moves only a closed file.  A save that opens the temporary
// between this one's closing and its move empties it; the move then fails,
// the file being open, and this save is reported as failed.  The file is
// removed after a failure unless another save has it open.
bool put_in_place(int fd, const std::string &temp, const std::string &path, bool written) {
    int e = errno;
    bool ok = _close(fd) == 0 && written;
    if (written) e = ok ? EACCES : errno;
    if (ok) ok = MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) _unlink(temp.c_str());
    errno = e;
    return ok;
}
#else
// Not blocking: a FIFO would wait for a writer before it could be
// refused as no regular file.
const int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

bool same_file(const struct stat &a, const struct stat &b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Waits for an exclusive lock on the open file; false with errno set.
bool lock_within(int fd, int *waited) {
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (*waited >= kSaveWaitMs) return errno = EBUSY, false;
        usleep(kPollMs * 1000);
        *waited += kPollMs;
    }
    return true;
}

// The temporary file, opened, locked and emptied: one save of a file runs
// at a time, and the file that a killed save left is taken over, never one
// that a live save is writing.  The lock goes with the file when it is
// renamed over the target, so a save that waited for it checks that the
// name still holds that file, and opens anew when it does not.  Neither a
// link nor anything but a plain file is written through.  -1 with errno.
int open_locked_temporary(const std::string &temp) {
    int waited = 0;
    for (;;) {
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (fd < 0) return -1;
        struct stat held, named;
        bool ok = lock_within(fd, &waited) && fstat(fd, &held) == 0;
        if (ok && !S_ISREG(held.st_mode)) ok = (errno = EISDIR, false);
        if (ok && stat(temp.c_str(), &named) == 0 && same_file(held, named)) {
            if (ftruncate(fd, 0) == 0) return fd;
            ok = false;
        }
        int e = errno;
        close(fd);
        if (!ok) return errno = e, -1;
    }
}

// Where the file system locks no files, a temporary of a name of its own.
int open_temporary(std::string *temp) {
    int fd = open_locked_temporary(*temp);
    if (fd >= 0 || (errno != ENOLCK && errno != EOPNOTSUPP && errno != ENOSYS)) return fd;
    *temp += ".XXXXXX";
    return mkostemp(&(*temp)[0], O_CLOEXEC);
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

bool keep_mode_and_flush(int fd, const std::string &path) { return fchmod(fd, mode_for(path)) == 0 && fsync(fd) == 0; }

// Renamed while it is open, the file keeps its lock until it is in place;
// after a failure it is removed while it is still this save's.
bool put_in_place(int fd, const std::string &temp, const std::string &path, bool written) {
    bool ok = written && rename(temp.c_str(), path.c_str()) == 0;
    int e = errno;
    if (!ok) unlink(temp.c_str());
    close(fd);  // written and flushed already: a failure here loses nothing
    errno = e;
    return ok;
}
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

bool is_regular_file(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool write_file_atomically(const std::string &path, const std::string &text, std::string *why) {
    if (path.empty()) return *why = "no file name", errno = EINVAL, false;
    std::string temp = path + ".hapi-tmp";
    int fd = open_temporary(&temp);
    if (fd < 0) {
        int e = errno;
        *why = std::string(e == EBUSY ? "another save of it has not ended: " : "cannot create a file beside it: ") +
            strerror(e);
        return errno = e, false;
    }
    bool written = write_all(fd, text) && keep_mode_and_flush(fd, path);
    if (put_in_place(fd, temp, path, written)) return true;
    *why = errno_text();
    return false;
}

}  // namespace engine
