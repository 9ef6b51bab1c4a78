// config.cpp - the engine's configuration store: the file read by
// hapiInitHAPI and the override calls that read and set single keys.
#include "base/config.h"
#include "base/diagnostics.h"
#include "hapi.h"

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#ifdef _WIN32
#include <string.h>
#else
#include <pwd.h>
#include <strings.h>
#include <unistd.h>
#endif
#include <sys/stat.h>

namespace {

// One key.  The typed fields are parsed from text when read and hold what
// the override calls hand out, so their addresses stay valid while the key
// exists (std::map never moves its nodes).
struct Entry {
    std::string text;
    int as_int = 0;
    float as_float = 0.0f;
};

std::map<std::string, Entry> &store() {
    static std::map<std::string, Entry> s;
    return s;
}

std::string trim(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && isspace(static_cast<unsigned char>(s[b]))) b++;
    while (e > b && isspace(static_cast<unsigned char>(s[e - 1]))) e--;
    return s.substr(b, e - b);
}

bool parse_int(const std::string &text, int *out) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    long v = strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT_MIN || v > INT_MAX) return false;
    *out = static_cast<int>(v);
    return true;
}

bool parse_float(const std::string &text, float *out) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    float v = strtof(text.c_str(), &end);
    if (errno != 0 || *end != '\0') return false;
    *out = v;
    return true;
}

// Splits one line into key and value.  Answers false for a malformed line.
bool parse_line(const std::string &raw, std::string *key, std::string *value) {
    std::string line = trim(raw);
    size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    *key = trim(line.substr(0, eq));
    if (key->empty()) return false;
    for (char c : *key)
        if (isspace(static_cast<unsigned char>(c))) return false;
    std::string v = trim(line.substr(eq + 1));
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    else if (!v.empty() && (v.front() == '"' || v.back() == '"')) return false;
    *value = v;
    return true;
}

// The user's home folder: $HOME, else the password database's entry
// (%USERPROFILE% on Windows); empty when there is none.
std::string home_folder() {
#ifdef _WIN32
    const char *home = getenv("USERPROFILE");
    return home ? home : "";
#else
    const char *home = getenv("HOME");
    if (home && *home) return home;
    const struct passwd *pw = getpwuid(getuid());
    return pw && pw->pw_dir ? pw->pw_dir : "";
#endif
}

bool ends_folder(char c) {
#ifdef _WIN32
    if (c == '\\') return true;
#endif
    return c == '/';
}

// Expands a value as it is read: "~" at its start (alone or before a
// folder separator) is the home folder, when one is known; "${NAME}" is
// the environment variable and "${NAME:-fallback}" the variable, or the
// fallback (itself expanded the same way) when it is unset or empty.  What
// a variable holds is not expanded again.  A '$' not followed by '{' is
// kept as it is.
class Expansion {
public:
    explicit Expansion(const std::string &text) : text_(text) {}

    // False when a "${" is not closed or holds no proper name.
    bool run(std::string *out) { return part(false, out); }

private:
    // Expands up to the end, or, nested in a fallback, up to its '}'.
    bool part(bool nested, std::string *out) {
        if (at_ < text_.size() && text_[at_] == '~' &&
            (at_ + 1 == text_.size() || ends_folder(text_[at_ + 1]) || (nested && text_[at_ + 1] == '}'))) {
            std::string home = home_folder();
            *out += home.empty() ? "~" : home;  // no home known: the '~' stays
            at_++;
        }
        while (at_ < text_.size()) {
            if (nested && text_[at_] == '}') return true;
            if (text_.compare(at_, 2, "${") == 0) {
                if (!variable(out)) return false;
            } else {
                *out += text_[at_++];
            }
        }
        return !nested;
    }

    bool variable(std::string *out) {
        at_ += 2;
        size_t start = at_;
        while (at_ < text_.size() && (isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_')) at_++;
        if (at_ == start || at_ == text_.size()) return false;
        const char *value = getenv(text_.substr(start, at_ - start).c_str());
        bool set = value && *value;
        std::string fallback;
        if (text_.compare(at_, 2, ":-") == 0) {
            at_ += 2;
            if (!part(true, &fallback)) return false;
        } else if (text_[at_] != '}') {
            return false;
        }
        at_++;  // the closing '}'
        *out += set ? value : fallback;
        return true;
    }

    const std::string &text_;
    size_t at_ = 0;
};

Entry *find(const char *key) {
    if (!key) return nullptr;
    auto it = store().find(key);
    return it == store().end() ? nullptr : &it->second;
}

Entry &set(const char *key, const std::string &text) {
    Entry &e = store()[key];
    e.text = text;
    return e;
}

}  // namespace

namespace engine {

bool same_ignoring_case(const char *a, const char *b) {
#ifdef _WIN32
    return _stricmp(a, b) == 0;
#else
    return strcasecmp(a, b) == 0;
#endif
}

bool parse_bool(const std::string &text, bool *out) {
    static const char *truths[] = {"TRUE", "T", "YES", "1"};
    static const char *falses[] = {"FALSE", "F", "NO", "0"};
    for (const char *t : truths)
        if (same_ignoring_case(text.c_str(), t)) return *out = true, true;
    for (const char *f : falses)
        if (same_ignoring_case(text.c_str(), f)) return *out = false, true;
    return false;
}

const std::string *conf_text(const std::string &key) {
    Entry *e = find(key.c_str());
    return e ? &e->text : nullptr;
}

int conf_int(const std::string &key, int dflt) {
    const std::string *t = conf_text(key);
    int v;
    return t && parse_int(*t, &v) ? v : dflt;
}

float conf_float(const std::string &key, float dflt) {
    const std::string *t = conf_text(key);
    float v;
    return t && parse_float(*t, &v) ? v : dflt;
}

std::string conf_string(const std::string &key, const std::string &dflt) {
    const std::string *t = conf_text(key);
    return t ? *t : dflt;
}

}  // namespace engine

extern "C" {

int hapiInitHAPI(const char *config_filename, int flags) {
    if (engine::fault("hapiInitHAPI")) return -1;
    if (!config_filename || flags != 0) {
        engine::complain("hapiInitHAPI: %s", !config_filename ? "no configuration file" : "flags must be 0");
        return -1;
    }
    // A folder opens as a stream that reads as empty: refuse it here.
    struct stat st;
    std::ifstream in(config_filename, std::ios::binary);  // the same bytes on every system; "\r" is trimmed
    if (!in || stat(config_filename, &st) != 0 || S_ISDIR(st.st_mode)) {
        engine::complain("cannot read configuration file %s", config_filename);
        return -1;
    }
    std::map<std::string, Entry> fresh;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        number++;
        std::string t = trim(line);
        if (t.empty() || t[0] == '#') continue;
        std::string key, value;
        if (!parse_line(t, &key, &value)) {
            engine::complain("%s:%d: malformed line (expected KEY = VALUE)", config_filename, number);
            return -1;
        }
        std::string expanded;
        if (!Expansion(value).run(&expanded)) {
            engine::complain("%s:%d: malformed line (expected ${NAME} or ${NAME:-fallback})", config_filename, number);
            return -1;
        }
        fresh[key].text = expanded;
    }
    store().swap(fresh);
    engine::arm_faults_from_environment();
    return 0;
}

const int *hapiOverrideConfBool(const char *key, const int *value) {
    if (engine::fault("hapiOverrideConfBool") || !key) return nullptr;
    if (value) {
        Entry &e = set(key, *value ? "TRUE" : "FALSE");
        e.as_int = *value ? 1 : 0;
        return &e.as_int;
    }
    Entry *e = find(key);
    bool b;
    if (!e || !engine::parse_bool(e->text, &b)) return nullptr;
    e->as_int = b ? 1 : 0;
    return &e->as_int;
}

const int *hapiOverrideConfInt(const char *key, const int *value) {
    if (engine::fault("hapiOverrideConfInt") || !key) return nullptr;
    if (value) {
        Entry &e = set(key, std::to_string(*value));
        e.as_int = *value;
        return &e.as_int;
    }
    Entry *e = find(key);
    if (!e || !parse_int(e->text, &e->as_int)) return nullptr;
    return &e->as_int;
}

const float *hapiOverrideConfFlt(const char *key, const float *value) {
    if (engine::fault("hapiOverrideConfFlt") || !key) return nullptr;
    if (value) {
        char text[64];
        snprintf(text, sizeof text, "%.9g", static_cast<double>(*value));
        Entry &e = set(key, text);
        e.as_float = *value;
        return &e.as_float;
    }
    Entry *e = find(key);
    if (!e || !parse_float(e->text, &e->as_float)) return nullptr;
    return &e->as_float;
}

const char *hapiOverrideConfStr(const char *key, const char *value) {
    if (engine::fault("hapiOverrideConfStr") || !key) return nullptr;
    if (value) return set(key, value).text.c_str();
    Entry *e = find(key);
    return e ? e->text.c_str() : nullptr;
}

}  // extern "C"
