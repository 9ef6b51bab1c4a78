// recognition_grammar.cpp - the fingerprint that tells a recogniser
// whether a new network holds the grammar its decoder already has.
#include "base/recognition_grammar.h"

#include <cstddef>
#include <string>

namespace {

// FNV-1a, 64 bits, over the bytes of each value in turn.
class Hash {
public:
    void add(const void *data, size_t n) {
        const unsigned char *p = static_cast<const unsigned char *>(data);
        for (size_t i = 0; i < n; i++) h_ = (h_ ^ p[i]) * 1099511628211ull;
    }
    template <class T>
    void add(const T &value) {
        add(&value, sizeof value);
    }
    // Each string with its length, so that no two lists of strings run together.
    void add(const std::string &s) {
        add(s.size());
        add(s.data(), s.size());
    }
    std::uint64_t value() const { return h_; }

private:
    std::uint64_t h_ = 14695981039346656037ull;
};

}  // namespace

namespace engine {

std::uint64_t grammar_fingerprint(const Grammar &g) {
    Hash h;
    h.add(g.prons.size());
    for (const Grammar::Pron &p : g.prons) {
        h.add(p.word);
        h.add(p.phones);
        h.add(p.outsym);
        h.add(p.silence);
    }
    h.add(g.trans.size());
    for (const Grammar::Trans &t : g.trans) {
        h.add(t.from);
        h.add(t.to);
        h.add(t.score);
        h.add(t.pron);
    }
    h.add(g.nstates);
    h.add(g.start);
    h.add(g.final);
    return h.value();
}

}  // namespace engine
