// run_config.cpp - the packaged configuration, the log the tool names and the
// private copy handed to khSysInit.
#include "session/run_config.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/os_specific.h"
#include "platform/private_files.h"
#include "session/string_helpers.h"
#include "session/user_dict.h"
#include "session/weak_forms.h"

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
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        keys[key] = value;
    }
    return keys;
}

// Whether the library expands the value (a "~" folder at its start, or a
// "${"): it then names no file relative to the working folder.
bool Expands(const std::string &value) {
    if (value.find("${") != std::string::npos) return true;
    return !value.empty() && value[0] == '~' && (value.size() == 1 || strchr(kSeparators, value[1]));
}

bool Readable(const std::string &path) { return access(path.c_str(), R_OK) == 0; }

// The configuration is read whole, so it must be a plain file: a folder
// reads as empty, a FIFO waits for a writer, a device may never end.
bool PlainFile(const std::string &path, std::string *why) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return *why = strerror(errno), false;
    if (S_ISDIR(st.st_mode)) return *why = "it is a folder", false;
    if (!S_ISREG(st.st_mode)) return *why = "it is not a regular file", false;
    return true;
}

// A new private file for this run, named in `scratch`; -1 with why.
int ScratchFile(const std::string &suffix, RunConfig *out, std::string *why) {
    std::string name;
    int fd = CreatePrivateFile(suffix, &name);
    if (fd < 0) return *why = "cannot write a private file " + name + ": " + strerror(errno), -1;
    out->scratch.push_back(name);
    return fd;
}

// The keys that give the run a private USERDICT with the system phone
// set, holding the user's dictionary `dict` when given, the
// configuration's own USERDICT and, for an `assessment`, the garbage word
// and the weak forms of function words (session/weak_forms.h); and fresh
// vocabulary dictionaries, so that these words neither come from the
// cache kept across runs nor go into it.  Without `dict`, a dictionary
// the tool cannot read or copy leaves the run as it is, without them.
bool UserDictKeys(const std::string &dict, bool assessment, std::map<std::string, std::string> &keys, RunConfig *out,
                  std::ostream &extra, std::string *why) {
    std::string sysdict = keys["SYSDICT"], userdict = keys["USERDICT"];
    std::vector<std::string> phones;
    if (sysdict.empty() || Expands(sysdict)) {
        if (dict.empty()) return true;
        return *why = "--dict needs the configuration's SYSDICT as a plain file name", false;
    }
    if (!PhoneSet(sysdict, &phones, why)) return dict.empty() ? (why->clear(), true) : false;
    std::vector<std::string> files;
    if (!dict.empty()) files.push_back(dict);
    if (!userdict.empty() && !Expands(userdict)) files.push_back(userdict);
    else if (!userdict.empty() && dict.empty()) return true;
    int fd = ScratchFile(".dic", out, why);
    if (fd < 0) return false;
    std::string words = assessment ? GarbageEntries(phones) + WeakFormEntries(sysdict, phones) : "";
    bool ok = WriteUserDict(files, phones, words, fd, why);
    close(fd);
    if (!ok && dict.empty()) {
        // The configuration's own dictionary is the library's to judge.
        RemovePrivateFile(out->scratch.back());
        out->scratch.pop_back();
        return why->clear(), true;
    }
    if (!ok) return false;
    extra << "USERDICT = " << out->scratch.back() << "\n";
    out->garbage = assessment;
    out->dictionaries = {sysdict, out->scratch.back()};
    for (int i = 1; keys.count("VOCAB" + std::to_string(i)); i++) {
        // An empty file is made afresh as a dictionary.
        int vocab = ScratchFile(".dic", out, why);
        if (vocab < 0) return false;
        close(vocab);
        extra << keys["VOCAB" + std::to_string(i)] << "DICT = " << out->scratch.back() << "\n";
    }
    return true;
}

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

std::string WorkerLog(const std::string &path, int worker) {
    if (worker <= 0) return path;
    size_t slash = path.find_last_of(kSeparators);
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1) dot = path.size();
    return path.substr(0, dot) + "." + std::to_string(worker) + path.substr(dot);
}

bool MakeRunConfig(const std::string &config, const std::string &log, const std::string &dict, bool assessment,
                   int worker, RunConfig *out, std::string *why) {
    bool packaged = config.empty();
    std::string source = packaged ? PackagedConfig() : config;
    std::string cause;
    if (!PlainFile(source, &cause)) return *why = "cannot read the configuration " + source + ": " + cause, false;
    std::ifstream in(source);
    if (!in) return *why = "cannot read the configuration " + source + ": " + strerror(errno), false;
    std::stringstream text;
    text << in.rdbuf();
    std::map<std::string, std::string> keys = ParseKeys(text.str());

    // The log: --log; else a plain ERRORLOG of a given configuration (the
    // library's default when it has none); else, for the packaged
    // configuration and for names the library expands, the file in the
    // user's state folder, so that the tool can name it.
    std::string chosen = log;
    if (chosen.empty()) {
        std::string named = !keys["ERRORLOG"].empty() ? keys["ERRORLOG"] : "khapi.log";
        chosen = packaged || Expands(named) ? UserStateLog(why) : named;
        if (chosen.empty()) return false;
    }
    out->log_path = WorkerLog(Absolute(chosen), worker);
    // The library empties its log when it first writes to it in a process,
    // so a run sharing the file with another would lose its causes or quote
    // the other's: a log another process holds gives way to NAME.PID.EXT.
    if (!HoldForLife(out->log_path)) {
        out->log_path = WorkerLog(out->log_path, static_cast<int>(getpid()));
        HoldForLife(out->log_path);
    }
    std::ostringstream extra;
    extra << "\n# Added by the khapi tool for this run.\n";
    for (const char *key : {"SYSDICT", "USERDICT"})
        if (!keys[key].empty() && !Expands(keys[key])) out->dictionaries.push_back(keys[key]);
    if ((!dict.empty() || assessment) && !UserDictKeys(dict, assessment, keys, out, extra, why)) {
        RemoveScratch(out);
        return false;
    }
    extra << "ERRORLOG = " << out->log_path << "\n";
    if (keys["DEBUG"] != "ERROR" && keys["DEBUG"] != "FULL") extra << "DEBUG = ERROR\n";
    // The assessment rates phones on their own confidences, unless the
    // configuration says otherwise.
    if (!keys.count("PHONECONF")) extra << "PHONECONF = TRUE\n";
    // A word in no dictionary gets a guessed pronunciation, which the
    // report marks, unless the configuration says otherwise.
    if (!keys.count("GUESSPRONS")) extra << "GUESSPRONS = TRUE\n";

    std::string name;
    int fd = CreatePrivateFile(".conf", &name);
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

void RemoveScratch(RunConfig *config) {
    for (const std::string &file : config->scratch) RemovePrivateFile(file);
    config->scratch.clear();
}

void RemoveRunConfig(const RunConfig &config) {
    if (!config.file.empty()) RemovePrivateFile(config.file);
}

}  // namespace tool
