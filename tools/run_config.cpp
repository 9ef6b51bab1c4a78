// run_config.cpp - the packaged configuration, the per-user folder and the
// private copy handed to khSysInit.
#include "run_config.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <vector>
#include <unistd.h>

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

bool MakeDirs(const std::string &path) {
    for (size_t i = 1; i <= path.size(); i++) {
        if (i < path.size() && path[i] != '/') continue;
        std::string part = path.substr(0, i);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ProgramDir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string exe(buf, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

bool Readable(const std::string &path) { return access(path.c_str(), R_OK) == 0; }

}  // namespace

std::string Absolute(const std::string &path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

std::string PackagedConfig() {
    std::string dir = ProgramDir();
    // Installed: PREFIX/bin/khapi and PREFIX/share/khapi; built: build/bin and build/data.
    for (const char *rel : {"/../share/khapi/khapi.conf", "/../data/khapi.conf"})
        if (Readable(dir + rel)) return dir + rel;
    return dir + "/../share/khapi/khapi.conf";
}

std::string UserDataDir(std::string *why) {
    const char *xdg = getenv("XDG_DATA_HOME");
    const char *home = getenv("HOME");
    std::string dir;
    if (xdg && xdg[0] == '/') dir = std::string(xdg) + "/khapi";
    else if (home && home[0]) dir = std::string(home) + "/.local/share/khapi";
    else return *why = "neither XDG_DATA_HOME nor HOME is set", "";
    if (!MakeDirs(dir)) return *why = "cannot create " + dir + ": " + strerror(errno), "";
    return dir;
}

std::string WorkerLog(const std::string &path, int worker) {
    if (worker <= 0) return path;
    size_t slash = path.rfind('/');
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
            if (dict != keys.end() && !dict->second.empty() && dict->second[0] != '/')
                extra << key << " = " << dir << "/" << dict->second << "\n";
        }
    }
    out->log_path =
        WorkerLog(Absolute(!log.empty() ? log : keys.count("ERRORLOG") ? keys["ERRORLOG"] : "khapi.log"), worker);
    extra << "ERRORLOG = " << out->log_path << "\n";
    if (keys["DEBUG"] != "ERROR" && keys["DEBUG"] != "FULL") extra << "DEBUG = ERROR\n";
    // The assessment rates phones on their own confidences, unless the
    // configuration says otherwise.
    if (!keys.count("PHONECONF")) extra << "PHONECONF = TRUE\n";

    const char *tmp = getenv("TMPDIR");
    std::string name = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/khapi-XXXXXX.conf";
    std::vector<char> buf(name.begin(), name.end());
    buf.push_back('\0');
    int fd = mkstemps(buf.data(), 5);
    if (fd < 0) return *why = "cannot write a private configuration in " + name + ": " + strerror(errno), false;
    std::string body = text.str() + extra.str();
    bool ok = write(fd, body.data(), body.size()) == static_cast<ssize_t>(body.size());
    close(fd);
    out->file = buf.data();
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
