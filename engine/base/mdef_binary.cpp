// mdef_binary.cpp - the head of a binary model definition.
#include "base/mdef_binary.h"
#include "hapi.h"

#include <fstream>
#include <sstream>

namespace engine {

bool MdefBytes::load(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    data = all.str();
    at = 0;
    swapped = data.compare(0, 4, "FDMB") == 0;
    return true;
}

bool is_binary_mdef(const char magic[4]) { return memcmp(magic, "BMDF", 4) == 0 || memcmp(magic, "FDMB", 4) == 0; }

bool read_mdef_head(MdefBytes *b, uint32_t counts[10], std::vector<std::string> *names, std::string *why) {
    uint32_t version, desc_len;
    if (!b->skip(4) || !b->get(&version) || !b->get(&desc_len)) return *why = "truncated header", false;
    if (desc_len > (1u << 20)) return *why = "malformed header", false;
    if (!b->skip(desc_len)) return *why = "truncated header", false;
    for (int i = 0; i < 10; i++)
        if (!b->get(&counts[i])) return *why = "truncated header", false;
    int32_t n = static_cast<int32_t>(counts[0]), sil = static_cast<int32_t>(counts[9]);
    if (n < 1 || n > 1000 || sil < 0 || sil >= n) return *why = "implausible phone count", false;
    for (int i = 0; i < n; i++) {
        size_t end = b->data.find('\0', b->at);
        if (end == std::string::npos) return *why = "malformed phone list", false;
        std::string name = b->data.substr(b->at, end - b->at);
        if (name.empty() || name.size() >= HAPI_MAX_NAME) return *why = "malformed phone list", false;
        names->push_back(name);
        b->at = end + 1;
    }
    return true;
}

}  // namespace engine
