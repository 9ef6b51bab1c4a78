// triphones.cpp - reading a model definition's phones in context.
//
// The binary form's head (base/mdef_binary.h) is followed by a context
// tree (not needed here), a 12-byte entry per phone (its state sequence, its
// transitions, then word position, phone, left and right context as
// bytes), and the state sequences as int16 after an int32 count.  The
// text form has a line per phone: phone, left, right, position (b, e, i,
// s, or "-" for a context-independent phone), attribute, transitions,
// states, "N".
#include "base/mdef_binary.h"
#include "decoding/triphones.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

const int kMaxSenones = 1 << 20;
const size_t kMaxEntries = 1 << 22;

int position_of(const std::string &p) {
    static const char *const names[] = {"i", "b", "e", "s"};
    for (int i = 0; i < 4; i++)
        if (p == names[i]) return i;
    return -1;
}

}  // namespace

namespace engine {

bool Triphones::add(int phone, int left, int right, int pos, const States &s, std::string *why) {
    for (int x : s)
        if (x < 0 || x >= kMaxSenones) return *why = "a state number out of range", false;
    if (phone < 0 || phone >= n_ci_ || left < 0 || left >= n_ci_ || right < 0 || right >= n_ci_ || pos < 0 || pos > 3)
        return *why = "a phone or context out of range", false;
    if (cd_.size() >= kMaxEntries) return *why = "too many phones", false;
    cd_.push_back({key(phone, left, right, pos), s});
    return true;
}

bool Triphones::read(const std::string &path, const std::vector<std::string> &phones, std::string *why) {
    n_ci_ = static_cast<int>(phones.size());
    names_ = phones;
    ci_.assign(phones.size(), States{-1, -1, -1});
    cd_.clear();
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {0};
    if (!in || !in.read(magic, 4)) return *why = "cannot read " + path, false;
    bool ok = is_binary_mdef(magic) ? read_binary(path, why) : read_text(path, why);
    if (!ok) return *why = path + ": " + *why, false;
    return finish(why) || (*why = path + ": " + *why, false);
}

bool Triphones::read_binary(const std::string &path, std::string *why) {
    MdefBytes b;
    uint32_t c[10];
    std::vector<std::string> names;
    if (!b.load(path)) return *why = "cannot read", false;
    if (!read_mdef_head(&b, c, &names, why)) return false;
    const uint32_t n_ci = c[0], n_phone = c[1], n_emit = c[2], n_sseq = c[6], n_tree = c[8];
    if (names != names_ || n_phone < n_ci || n_phone > kMaxEntries || n_sseq > kMaxEntries || n_tree > 4 * kMaxEntries)
        return *why = "counts that do not fit its phones", false;
    if (n_emit != kStates) return *why = "phones of other than three states", false;
    b.at = (b.at + 3) / 4 * 4;
    struct Entry {
        uint32_t sseq;
        unsigned char attr[4];
    };
    std::vector<Entry> entries(n_phone);
    if (!b.skip(static_cast<size_t>(n_tree) * 8)) return *why = "truncated context tree", false;
    for (Entry &e : entries) {
        uint32_t tmat;
        if (!b.get(&e.sseq) || !b.get(&tmat) || b.data.size() - b.at < 4) return *why = "truncated phone table", false;
        memcpy(e.attr, b.data.data() + b.at, 4);
        b.at += 4;
        if (e.sseq >= n_sseq) return *why = "a state sequence out of range", false;
    }
    uint32_t count;
    if (!b.get(&count) || count != n_sseq * n_emit) return *why = "a state sequence table that does not fit", false;
    std::vector<States> sseq(n_sseq);
    for (States &s : sseq)
        for (int &x : s) {
            uint16_t v;
            if (!b.get(&v)) return *why = "truncated state sequences", false;
            x = v;
        }
    for (uint32_t i = 0; i < n_ci; i++) ci_[i] = sseq[entries[i].sseq];
    for (uint32_t i = n_ci; i < n_phone; i++) {
        const unsigned char *a = entries[i].attr;
        if (!add(a[1], a[2], a[3], a[0], sseq[entries[i].sseq], why)) return false;
    }
    return true;
}

bool Triphones::read_text(const std::string &path, std::string *why) {
    std::ifstream in(path);
    std::string line;
    bool counts_done = false;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::vector<std::string> w;
        for (std::string x; f >> x;) w.push_back(x);
        if (w.empty() || w[0][0] == '#' || w[0] == "0.3") continue;
        if (w.size() == 2 && w[1].rfind("n_", 0) == 0) {
            if (counts_done) return *why = "a count among the phones", false;
            continue;
        }
        counts_done = true;
        if (w.size() != 7 + kStates) return *why = "a phone line of other than three states", false;
        auto index = [&](const std::string &name) {
            auto it = std::find(names_.begin(), names_.end(), name);
            return it == names_.end() ? -1 : static_cast<int>(it - names_.begin());
        };
        States s;
        for (int i = 0; i < kStates; i++) s[i] = atoi(w[static_cast<size_t>(6 + i)].c_str());
        int phone = index(w[0]);
        if (phone < 0) return *why = "a phone not in its phone list: " + w[0], false;
        if (w[1] == "-") {
            ci_[static_cast<size_t>(phone)] = s;
            continue;
        }
        if (!add(phone, index(w[1]), index(w[2]), position_of(w[3]), s, why)) return false;
    }
    return true;
}

bool Triphones::finish(std::string *why) {
    for (const States &s : ci_)
        if (s[0] < 0) return *why = "a phone without states", false;
    std::sort(cd_.begin(), cd_.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    senones_ = 0;
    for (const States &s : ci_) senones_ = std::max(senones_, *std::max_element(s.begin(), s.end()) + 1);
    for (const auto &e : cd_) senones_ = std::max(senones_, *std::max_element(e.second.begin(), e.second.end()) + 1);
    phone_of_.assign(static_cast<size_t>(senones_), -1);
    for (int p = 0; p < n_ci_; p++)
        for (int s : ci_[static_cast<size_t>(p)]) phone_of_[static_cast<size_t>(s)] = p;
    for (const auto &e : cd_)
        for (int s : e.second) {
            int p = static_cast<int>(e.first >> 20);
            int &owner = phone_of_[static_cast<size_t>(s)];
            if (owner >= 0 && owner != p) return *why = "a state shared by two phones", false;
            owner = p;
        }
    return true;
}

Triphones::States Triphones::states(int phone, int left, int right, Position pos) const {
    uint32_t k = key(phone, left, right, pos);
    auto it = std::lower_bound(cd_.begin(), cd_.end(), k, [](const auto &e, uint32_t v) { return e.first < v; });
    if (it != cd_.end() && it->first == k) return it->second;
    return ci_[static_cast<size_t>(phone)];
}

}  // namespace engine
