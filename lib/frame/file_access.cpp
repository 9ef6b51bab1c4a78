// file_access.cpp - FileReadable and FileAppendable, the folders above a file
// and renaming over a file.
#include "frame/file_access.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#endif

namespace kh {

namespace {

bool Opens(const char *name, const char *mode) {
    if (!name || !name[0]) return false;
    FILE *f = fopen(name, mode);
    if (!f) return false;
    fclose(f);
    return true;
}

// Asked before opening, since opening a FIFO for reading waits for a
// writer: only a regular file is read (a folder, a FIFO or a device such
// as /dev/zero, which never ends, is not).
bool IsRegularFile(const char *name) {
    struct stat st;
    return name && name[0] && stat(name, &st) == 0 && S_ISREG(st.st_mode);
}

// Opening a FIFO for writing waits for a reader: only a missing file,
// which opening makes, a regular file or a character device such as
// /dev/null is appended to.
bool MayAppendTo(const char *name) {
    struct stat st;
    if (stat(name, &st) != 0) return true;
    return S_ISREG(st.st_mode) || S_ISCHR(st.st_mode);
}

bool IsFolder(const std::filesystem::path &path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

int MakeFolder(const std::string &path) {
#ifdef _WIN32
    return _mkdir(path.c_str());
#else
    return mkdir(path.c_str(), 0700);
#endif
}

}  // namespace

bool FileReadable(const char *name) { return IsRegularFile(name) && Opens(name, "r"); }
bool FileAppendable(const char *name) { return name && name[0] && MayAppendTo(name) && Opens(name, "a"); }

bool MakeParentFolders(const char *name) {
    if (!name || !name[0]) return true;
    std::filesystem::path parent = std::filesystem::path(name).parent_path();
    if (parent.empty() || IsFolder(parent)) return true;
    // Each folder from the top down, below the root ("/", "C:\\", ...).
    std::filesystem::path made = parent.root_path();
    for (const std::filesystem::path &part : parent.relative_path()) {
        made /= part;
        if (IsFolder(made)) continue;
        if (MakeFolder(made.string()) != 0 && !IsFolder(made)) {
            if (errno == EEXIST) errno = ENOTDIR;  // a file stands where the folder should be
            return false;
        }
    }
    return true;
}

bool RenameReplacing(const char *from, const char *to) {
#ifdef _WIN32
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING)) return true;
    errno = EACCES;
    return false;
#else
    return rename(from, to) == 0;
#endif
}

}  // namespace kh
