// folders_and_env.h - what the tests need from the system that POSIX and
// Windows spell differently: scratch folders, folders, environment
// variables.
#ifndef ENGINE_TESTS_FOLDERS_AND_ENV_H
#define ENGINE_TESTS_FOLDERS_AND_ENV_H

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

// A new empty folder in the temporary folder, its name begun with prefix;
// empty when none can be made.
inline std::string make_temp_dir(const char *prefix) {
#ifdef _WIN32
    std::error_code ec;
    std::string base = std::filesystem::temp_directory_path(ec).string();
    if (ec) return "";
    // _mktemp_s gives at most 26 names for one process id, and Wine reuses
    // process ids, so folders left by earlier tests used them all up.
    static unsigned made = 0;
    for (int attempt = 0; attempt < 1000; attempt++) {
        std::string name = base + "\\" + prefix + std::to_string(_getpid()) + "-" + std::to_string(++made);
        if (_mkdir(name.c_str()) == 0) return name;
    }
    return "";
#else
    const char *base = getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    return mkdtemp(&tmpl[0]) ? tmpl : "";
#endif
}

// mkdir with the usual mode; 0 on success.
inline int make_dir(const std::string &path) {
#ifdef _WIN32
    return _mkdir(path.c_str());
#else
    return mkdir(path.c_str(), 0755);
#endif
}

// Whether a folder can be made read-only to this process: not for root,
// and not on Windows, where a folder's read-only flag does not keep files
// from being made in it.
inline bool folders_can_be_locked() {
#ifdef _WIN32
    return false;
#else
    return geteuid() != 0;
#endif
}

inline void set_env(const char *name, const char *value) {
#ifdef _WIN32
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
}

inline void unset_env(const char *name) {
#ifdef _WIN32
    _putenv_s(name, "");  // an empty value removes the variable
#else
    unsetenv(name);
#endif
}

#endif  // ENGINE_TESTS_FOLDERS_AND_ENV_H
