// os_specific.cpp - the tool's Linux and Windows ways, one function each.
#include "platform/os_specific.h"

#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <random>
#include <windows.h>
#include <shellapi.h>
#else
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace tool {

#ifdef _WIN32

const char kSeparators[] = "/\\";
// Shipped, the configuration sits beside khapi.exe.
const char *const kPackagedConfigs[2] = {"/khapi.conf", "/../data/khapi.conf"};

bool IsAbsolute(const std::string &path) {
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
    return path.size() > 2 && path[1] == ':' && (path[2] == '/' || path[2] == '\\');
}

std::string ProgramDir() {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return ".";
    std::string exe(buf, n);
    return exe.substr(0, exe.find_last_of(kSeparators));
}

std::string UserStateLog(std::string *why) {
    const char *local = getenv("LOCALAPPDATA");
    if (local && IsAbsolute(local)) return std::string(local) + "\\khapi\\khapi.log";
    return *why = "LOCALAPPDATA is not set", "";
}

bool SizeAndTime(const std::string &path, long long *size, long long *mtime_ns) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return false;
    *size = static_cast<long long>(a.nFileSizeHigh) << 32 | a.nFileSizeLow;
    // In 100 ns steps.
    *mtime_ns =
        (static_cast<long long>(a.ftLastWriteTime.dwHighDateTime) << 32 | a.ftLastWriteTime.dwLowDateTime) * 100;
    return true;
}

bool ProgressTerminal() {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return _isatty(_fileno(stderr)) && GetConsoleMode(err, &mode) &&
        SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

std::vector<std::string> Arguments(int argc, char **argv) {
    std::vector<std::string> args(argv, argv + argc);
    int n = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!wide) return args;
    for (int i = 0; i < argc && n == argc; i++) {
        BOOL lost = FALSE;
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide[i], -1, nullptr, 0, nullptr, &lost);
        if (!lost) continue;
        int len = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        if (len <= 0) continue;
        std::vector<char> utf8(static_cast<size_t>(len));
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, utf8.data(), len, nullptr, nullptr);
        args[static_cast<size_t>(i)] = utf8.data();
    }
    LocalFree(wide);
    return args;
}

// Runs are one process at a time on Windows, but two runs may still share
// a log there: byte-range locks would stop the library's own writes.
bool HoldForLife(const std::string &) { return true; }

std::string FileIdentity(const std::string &path, bool *exists) {
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info;
    bool found = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (exists) *exists = found;
    if (found)
        return "file " + std::to_string(info.dwVolumeSerialNumber) + ":" +
            std::to_string(static_cast<unsigned long long>(info.nFileIndexHigh) << 32 | info.nFileIndexLow);
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    std::string name = n > 0 && n < sizeof full ? std::string(full, n) : path;
    CharLowerBuffA(&name[0], static_cast<DWORD>(name.size()));
    return "name " + name;
}

int CreateTempFile(const std::string &suffix, std::string *name) {
    char dir[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof dir, dir);  // ends in a backslash
    std::string folder = n > 0 && n < sizeof dir ? std::string(dir, n) : ".\\";
    std::random_device seed;
    std::mt19937 pick(seed());
    const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; attempt++) {
        std::string stem;
        for (int i = 0; i < 6; i++) stem += letters[pick() % (sizeof letters - 1)];
        *name = folder + "khapi-" + stem + suffix;
        int fd = _open(name->c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    *name = folder + "khapi-XXXXXX" + suffix;
    return -1;
}

#else

const char kSeparators[] = "/";
// Installed: PREFIX/bin/khapi and PREFIX/share/khapi; built: build/bin and build/data.
const char *const kPackagedConfigs[2] = {"/../share/khapi/khapi.conf", "/../data/khapi.conf"};

bool IsAbsolute(const std::string &path) { return !path.empty() && path[0] == '/'; }

std::string ProgramDir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string exe(buf, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

// As the library expands ${XDG_STATE_HOME:-~/.local/state}/khapi/khapi.log.
std::string UserStateLog(std::string *why) {
    const char *xdg = getenv("XDG_STATE_HOME");
    if (xdg && xdg[0]) return std::string(xdg) + "/khapi/khapi.log";
    const char *home = getenv("HOME");
    const struct passwd *pw = home && home[0] ? nullptr : getpwuid(getuid());
    if (pw && pw->pw_dir && pw->pw_dir[0]) home = pw->pw_dir;
    if (home && home[0]) return std::string(home) + "/.local/state/khapi/khapi.log";
    return *why = "neither XDG_STATE_HOME nor HOME is set", "";
}

bool SizeAndTime(const std::string &path, long long *size, long long *mtime_ns) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return false;
    *size = static_cast<long long>(st.st_size);
    *mtime_ns = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return true;
}

bool ProgressTerminal() { return isatty(STDERR_FILENO); }

std::vector<std::string> Arguments(int argc, char **argv) { return std::vector<std::string>(argv, argv + argc); }

bool HoldForLife(const std::string &path) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;  // kept open, and so held, until the process ends
    bool taken = errno == EWOULDBLOCK;
    close(fd);
    return !taken;
}

std::string FileIdentity(const std::string &path, bool *exists) {
    struct stat st;
    bool found = stat(path.c_str(), &st) == 0;
    if (exists) *exists = found;
    if (found) return "file " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    char real[PATH_MAX];
    if (!realpath(folder.c_str(), real)) return "name " + path;
    return "name " + std::string(real) + "/" + path.substr(slash == std::string::npos ? 0 : slash + 1);
}

int CreateTempFile(const std::string &suffix, std::string *name) {
    const char *tmp = getenv("TMPDIR");
    *name = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/khapi-XXXXXX" + suffix;
    std::vector<char> buf(name->begin(), name->end());
    buf.push_back('\0');
    int fd = mkstemps(buf.data(), static_cast<int>(suffix.size()));
    if (fd >= 0) *name = buf.data();
    return fd;
}

#endif

}  // namespace tool
