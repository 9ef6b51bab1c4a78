// fault_injection.cpp - fault injection, built into the test builds only:
// tests make the nth call of a named engine function fail so that every
// failure path of the library can be reached.
#include "base/diagnostics.h"
#include "hapi.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <set>
#include <string>

namespace {

// Calls still to pass before each armed function fails (1: the next call).
std::map<std::string, int> &armed() {
    static std::map<std::string, int> a;
    return a;
}

// The armed functions whose fault is memory running out: they throw.
std::set<std::string> &throwing() {
    static std::set<std::string> t;
    return t;
}

// The injection points: the names that the hapi* functions ask fault()
// with, gathered from the sources by the build.  A name that is not among
// them is refused, since a fault armed on it would never fire.
bool known_name(const char *name) {
    static const std::set<std::string> points = {
#include "fault_points.inc"
    };
    return name && points.count(name);
}

}  // namespace

namespace engine {

bool fault(const char *function_name) {
    auto &a = armed();
    if (a.empty()) return false;
    auto it = a.find(function_name);
    if (it == a.end()) return false;
    if (--it->second > 0) return false;
    a.erase(it);
    if (throwing().erase(function_name)) throw std::bad_alloc();
    complain("%s: injected fault", function_name);
    return true;
}

int take_fault(const char *name) {
    auto &a = armed();
    auto it = a.find(name);
    if (it == a.end()) return 0;
    int n = it->second;
    a.erase(it);
    return n;
}

// HAPI_FAULT="hapiRecPrepare:1,hapiDictSave:2"
void arm_faults_from_environment() {
    const char *spec = getenv("HAPI_FAULT");
    if (!spec) return;
    std::string s(spec);
    size_t pos = 0;
    while (pos < s.size()) {
        size_t comma = s.find(',', pos);
        std::string item = s.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        size_t colon = item.find(':');
        std::string name = item.substr(0, colon);
        int n = colon == std::string::npos ? 1 : atoi(item.c_str() + colon + 1);
        if (hapiFaultInject(name.c_str(), n) < 0) complain("HAPI_FAULT: cannot arm '%s'", item.c_str());
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
}

}  // namespace engine

extern "C" {

int hapiFaultInject(const char *function_name, int nth) {
    if (!known_name(function_name) || nth < 1) return -1;
    armed()[function_name] = nth;
    throwing().erase(function_name);
    return 0;
}

int hapiFaultInjectBadAlloc(const char *function_name, int nth) {
    if (hapiFaultInject(function_name, nth) < 0) return -1;
    throwing().insert(function_name);
    return 0;
}

void hapiFaultClear(void) {
    armed().clear();
    throwing().clear();
}

}  // extern "C"
