// run_config.cpp - the packaged configuration, the per-user folder and the
// private copy handed to khSysInit.
#include "run_config.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "portable.h"
#include "text.h"

namespace tool {

namespace {

// KEY = VALUE lines, later keys replacing earlier ones, as the engine reads them.
std::map<std::string, std::string> ParseKeys(const std::string &text) {
    std::map<std::string, std::string> keys;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        std::string key = Trim(line.substr(0, eq == std::string::npos ? 0 : eq));
        if (key.empty() || key[0] == '#') continue;
        std::string value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        keys[key] = value;
    }
    return keys;
}

// Creates the folder and the missing ones above it; false with the first
// failure's errno.  (Creating a drive or the root fails harmlessly.)
bool MakeDirs(const std::string &path) {
    int failure = 0;
    for (size_t i = 1; i <= path.size(); i++) {
        if (i < path.size() && !strchr(kSeparators, path[i])) continue;
        if (!MakeDir(path.substr(0, i)) && errno != EEXIST && !failure) failure = errno;
    }
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    errno = failure ? failure : ENOTDIR;
    return false;
}

bool Readable(const std::string &path) { return access(path.c_str(), R_OK) == 0; }

}  // namespace

std::string Absolute(const std::string &path) {
    if (path.empty() || IsAbsolute(path)) return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

std::string PackagedConfig() {
    std::string dir = ProgramDir();
    for (const char *rel : kPackagedConfigs)
        if (Readable(dir + rel)) return dir + rel;
    return dir + kPackagedConfigs[0];
}

std::string UserDataDir(std::string *why) {
    std::string base = UserDataBase(why);
    if (base.empty()) return "";
    std::string dir = base + "/khapi";
    if (!MakeDirs(dir)) return *why = "cannot create " + dir + ": " + strerror(errno), "";
    return dir;
}

std::string WorkerLog(const std::string &path, int worker) {
    if (worker <= 0) return path;
    size_t slash = path.find_last_of(kSeparators);
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
        dot = path.size();
    return path.substr(0, dot) + "." + std::to_string(worker) + path.substr(dot);
}

bool MakeRunConfig(const std::string &config, const std::string &log, int worker, RunConfig *out,
                   std::string *why) {
    bool packaged = config.empty();
    std::string source = packaged ? PackagedConfig() : config;
    std::ifstream in(source);
    if (!in) return *why = "cannot read the configuration " + source + ": " + strerror(errno), false;
    std::stringstream text;
    text << in.rdbuf();
    std::map<std::string, std::string> keys = ParseKeys(text.str());

    std::ostringstream extra;
    extra << "\n# Added by the khapi tool for this run.\n";
    if (packaged) {
        std::string dir = UserDataDir(why);
        if (dir.empty()) return false;
        for (int i = 1; keys.count("VOCAB" + std::to_string(i)); i++) {
            std::string key = keys["VOCAB" + std::to_string(i)] + "DICT";
            auto dict = keys.find(key);
            if (dict != keys.end() && !dict->second.empty() && !IsAbsolute(dict->second))
                extra << key << " = " << dir << "/" << dict->second << "\n";
        }
    }
    for (const char *key : {"SYSDICT", "USERDICT"})
        if (!keys[key].empty()) out->dictionaries.push_back(keys[key]);
    out->log_path =
        WorkerLog(Absolute(!log.empty() ? log : keys.count("ERRORLOG") ? keys["ERRORLOG"] : "khapi.log"), worker);
    extra << "ERRORLOG = " << out->log_path << "\n";
    if (keys["DEBUG"] != "ERROR" && keys["DEBUG"] != "FULL") extra << "DEBUG = ERROR\n";
    // The assessment rates phones on their own confidences, unless the
    // configuration says otherwise.
    if (!keys.count("PHONECONF")) extra << "PHONECONF = TRUE\n";

    std::string name;
    int fd = CreateTempConfig(&name);
    if (fd < 0) return *why = "cannot write a private configuration in " + name + ": " + strerror(errno), false;
    std::string body = text.str() + extra.str();
    bool ok = write(fd, body.data(), body.size()) == static_cast<ssize_t>(body.size());
    close(fd);
    out->file = name;
    if (!ok) {
        RemoveRunConfig(*out);
        return *why = "cannot write " + out->file, false;
    }
    return true;
}

void RemoveRunConfig(const RunConfig &config) {
    if (!config.file.empty()) unlink(config.file.c_str());
}

}  // namespace tool
