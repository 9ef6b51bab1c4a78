// lattice_file.cpp - reading and writing lattice files.
//
//   KILN-LATTICE 1
//   LATTICE "NAME" <nodes> <arcs>
//   NODE 1 WORD "word" <flag>
//   NODE 2 SUBLAT "NAME OF SUB-LATTICE"
//   ARC 1 <from> <to> <score>
//   END
//
// The first block is the lattice saved; each sub-lattice it includes,
// however deeply and however often, follows once as a block of its own and
// is referred to by name.  See docs/engine-files.md.
#include "base/diagnostics.h"
#include "base/files.h"
#include "lexicon/dictionary.h"
#include "lexicon/lattice.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace engine {

namespace {

const char kMagic[] = "KILN-LATTICE";
const int kVersion = 1;

// ---- writing ------------------------------------------------------------

void put_quoted(std::string *out, const std::string &s) {
    out->push_back('"');
    for (char c : s) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out->push_back('\\');
            out->push_back(c);
        } else if (u < 0x20 || u == 0x7f) {
            char esc[8];
            snprintf(esc, sizeof esc, "\\x%02x", u);
            out->append(esc);
        } else {
            out->push_back(c);
        }
    }
    out->push_back('"');
}

// The sub-lattices reached from lat, each once, in the order first met.
// The walk keeps its own stack, so deep nesting cannot exhaust the call stack.
std::vector<const hapi_lat *> collect_subs(const hapi_lat &lat) {
    std::vector<const hapi_lat *> subs;
    std::unordered_set<const hapi_lat *> seen;
    std::vector<std::pair<const hapi_lat *, size_t>> stack{{&lat, 1}};
    while (!stack.empty()) {
        const hapi_lat *cur = stack.back().first;
        size_t n = stack.back().second++;
        if (n >= cur->nodes.size()) {
            stack.pop_back();
            continue;
        }
        const hapi_lat *sub = cur->nodes[n].sub;
        if (sub && seen.insert(sub).second) {
            subs.push_back(sub);
            stack.emplace_back(sub, 1);
        }
    }
    return subs;
}

bool write_block(const hapi_lat &lat, std::string *out) {
    char num[64];
    out->append("LATTICE ");
    put_quoted(out, lat.name);
    snprintf(num, sizeof num, " %zu %zu\n", lat.nodes.size() - 1, lat.arcs.size() - 1);
    out->append(num);
    for (size_t n = 1; n < lat.nodes.size(); n++) {
        const hapi_lat::Node &node = lat.nodes[n];
        snprintf(num, sizeof num, "NODE %zu ", n);
        out->append(num);
        if (node.sub) {
            out->append("SUBLAT ");
            put_quoted(out, node.sub->name);
        } else {
            if (node.word < 1 || static_cast<size_t>(node.word) >= lat.dict->words.size()) {
                complain("lattice %s: node %zu holds no word of its dictionary", lat.name.c_str(), n);
                return false;
            }
            out->append("WORD ");
            put_quoted(out, lat.dict->words[node.word].name);
            snprintf(num, sizeof num, " %d", node.flag);
            out->append(num);
        }
        out->push_back('\n');
    }
    for (size_t a = 1; a < lat.arcs.size(); a++) {
        const hapi_lat::Arc &arc = lat.arcs[a];
        snprintf(num, sizeof num, "ARC %zu %d %d %.9g\n", a, arc.from, arc.to, static_cast<double>(arc.score));
        out->append(num);
    }
    out->append("END\n");
    return true;
}

// ---- reading ------------------------------------------------------------

struct NodeLine {
    bool is_sub = false;
    std::string ref;  // the word, or the sub-lattice's name
    int flag = 0;
    int line = 0;
};

struct Block {
    std::string name;
    int line = 0;
    size_t want_nodes = 0, want_arcs = 0;
    std::vector<NodeLine> nodes;
    std::vector<hapi_lat::Arc> arcs;
    std::vector<int> subs;  // resolved block index of each node, -1 for words
};

class Reader {
public:
    Reader(hapi_dict *dict, const std::string &path) : dict_(dict), path_(path) {}

    hapi_lat *read(const std::string &text) {
        if (!parse(text) || !resolve()) return nullptr;
        return build();
    }

private:
    bool fail_at(int line, const std::string &why) {
        complain("%s:%d: %s", path_.c_str(), line, why.c_str());
        return false;
    }
    bool fail(const std::string &why) { return fail_at(line_, why); }

    // Splits a line into blank-separated tokens; "quoted" tokens may hold
    // blanks and the escapes \" \\ \xHH.
    bool split(const char *p, const char *e, std::vector<std::string> *out) {
        out->clear();
        while (true) {
            while (p < e && (*p == ' ' || *p == '\t')) p++;
            if (p == e) return true;
            std::string tok;
            if (*p != '"') {
                while (p < e && *p != ' ' && *p != '\t') tok.push_back(*p++);
            } else {
                for (p++;; p++) {
                    if (p == e) return fail("unterminated quoted name");
                    if (*p == '"') break;
                    if (*p != '\\') {
                        tok.push_back(*p);
                        continue;
                    }
                    if (++p == e) return fail("unterminated quoted name");
                    if (*p == '"' || *p == '\\') {
                        tok.push_back(*p);
                    } else if (*p == 'x' && e - p > 2 && isxdigit(static_cast<unsigned char>(p[1])) &&
                               isxdigit(static_cast<unsigned char>(p[2]))) {
                        tok.push_back(static_cast<char>(strtol(std::string(p + 1, 2).c_str(), nullptr, 16)));
                        p += 2;
                    } else {
                        return fail("bad escape in a quoted name");
                    }
                }
                p++;
                if (p < e && *p != ' ' && *p != '\t') return fail("text directly after a quoted name");
            }
            if (tok.size() >= HAPI_MAX_NAME) return fail("name too long");
            out->push_back(std::move(tok));
        }
    }

    // A whole decimal number from lo to hi; what names it in the message.
    bool number(const char *what, const std::string &tok, long lo, long hi, long *out) {
        errno = 0;
        char *end = nullptr;
        long v = strtol(tok.c_str(), &end, 10);
        if (tok.empty() || *end || errno || v < lo || v > hi)
            return fail(std::string("bad ") + what + " '" + tok.substr(0, 32) + "' (expected " + std::to_string(lo) +
                        " to " + std::to_string(hi) + ")");
        *out = v;
        return true;
    }

    bool score(const std::string &tok, float *out) {
        errno = 0;
        char *end = nullptr;
        float v = strtof(tok.c_str(), &end);
        // Underflow to a denormal is fine: it is what was written.  The most
        // negative float is what a failed hapiLatArcScore answers, so no arc
        // may hold it.
        if (tok.empty() || *end || std::isnan(v) || (errno == ERANGE && std::isinf(v)) || v == -FLT_MAX)
            return fail("bad score '" + tok.substr(0, 32) + "'");
        *out = v;
        return true;
    }

    bool parse(const std::string &text) {
        const char *p = text.data(), *end = p + text.size();
        std::vector<std::string> t;
        bool header = false;
        Block *open = nullptr;
        while (p < end) {
            const char *nl = static_cast<const char *>(memchr(p, '\n', static_cast<size_t>(end - p)));
            const char *e = nl ? nl : end;
            line_++;
            if (e > p && e[-1] == '\r') e--;
            for (const char *c = p; c < e; c++)
                if ((static_cast<unsigned char>(*c) < 0x20 && *c != '\t') || *c == 0x7f)
                    return fail("control characters or binary data");
            const char *first = p;
            while (first < e && (*first == ' ' || *first == '\t')) first++;
            if (first < e && *first != '#') {
                if (!split(first, e, &t)) return false;
                if (!header) {
                    if (t.size() != 2 || t[0] != kMagic || t[1] != std::to_string(kVersion))
                        return fail(std::string("not a lattice file (expected \"") + kMagic + " 1\")");
                    header = true;
                } else if (!line(t, &open)) {
                    return false;
                }
            }
            p = nl ? nl + 1 : end;
        }
        if (!header) return fail_at(1, "not a lattice file (nothing in it)");
        if (open) return fail("the file ends inside lattice \"" + open->name + "\" (truncated?)");
        if (blocks_.empty()) return fail("no lattice in the file");
        return true;
    }

    bool line(const std::vector<std::string> &t, Block **open) {
        const std::string &key = t[0];
        long a, b, c;
        if (!*open) {
            if (key != "LATTICE" || t.size() != 4) return fail("expected LATTICE \"NAME\" NODES ARCS");
            if (!number("node count", t[2], 0, INT_MAX - 1, &a) || !number("arc count", t[3], 0, INT_MAX - 1, &b))
                return false;
            blocks_.emplace_back();
            *open = &blocks_.back();
            (*open)->name = t[1];
            (*open)->line = line_;
            (*open)->want_nodes = static_cast<size_t>(a);
            (*open)->want_arcs = static_cast<size_t>(b);
            return true;
        }
        Block &bl = **open;
        if (key == "END" && t.size() == 1) {
            if (bl.nodes.size() != bl.want_nodes || bl.arcs.size() != bl.want_arcs)
                return fail("lattice \"" + bl.name + "\" ends before all its nodes and arcs");
            *open = nullptr;
            return true;
        }
        if (key == "NODE") {
            if (!bl.arcs.empty()) return fail("NODE after ARC");
            if (bl.nodes.size() == bl.want_nodes) return fail("more nodes than the lattice declares");
            if (t.size() < 4 || !number("node number", t[1], 1, INT_MAX, &a))
                return t.size() < 4 ? fail("short NODE line") : false;
            if (static_cast<size_t>(a) != bl.nodes.size() + 1) return fail("nodes must be numbered 1, 2, ... in order");
            NodeLine n;
            n.line = line_;
            n.ref = t[3];
            if (t[2] == "WORD" && t.size() == 5) {
                if (!number("flag", t[4], 0, 1, &c)) return false;
                n.flag = static_cast<int>(c);
            } else if (t[2] == "SUBLAT" && t.size() == 4) {
                n.is_sub = true;
            } else {
                return fail("expected NODE N WORD \"word\" FLAG or NODE N SUBLAT \"NAME\"");
            }
            bl.nodes.push_back(std::move(n));
            return true;
        }
        if (key == "ARC") {
            if (bl.arcs.size() == bl.want_arcs) return fail("more arcs than the lattice declares");
            if (bl.nodes.size() != bl.want_nodes) return fail("ARC before all the nodes");
            if (t.size() != 5) return fail("expected ARC N FROM TO SCORE");
            long top = static_cast<long>(bl.nodes.size());
            hapi_lat::Arc arc;
            if (!number("arc number", t[1], 1, INT_MAX, &a)) return false;
            if (static_cast<size_t>(a) != bl.arcs.size() + 1) return fail("arcs must be numbered 1, 2, ... in order");
            if (!number("start node", t[2], 1, top, &b) || !number("end node", t[3], 1, top, &c) ||
                !score(t[4], &arc.score))
                return false;
            arc.from = static_cast<int>(b);
            arc.to = static_cast<int>(c);
            bl.arcs.push_back(arc);
            return true;
        }
        return fail("unexpected '" + key.substr(0, 32) + "' inside lattice \"" + bl.name + "\"");
    }

    // Finds each sub-lattice by name and each word in the dictionary;
    // refuses cycles and blocks that nothing includes.
    bool resolve() {
        std::unordered_map<std::string, int> by_name;
        for (size_t i = 1; i < blocks_.size(); i++)
            if (!by_name.emplace(blocks_[i].name, static_cast<int>(i)).second)
                return fail_at(blocks_[i].line, "two sub-lattices named \"" + blocks_[i].name + "\"");
        for (Block &bl : blocks_) {
            for (const NodeLine &n : bl.nodes) {
                int sub = -1;
                if (n.is_sub) {
                    auto it = by_name.find(n.ref);
                    if (it == by_name.end()) return fail_at(n.line, "no sub-lattice named \"" + n.ref + "\"");
                    sub = it->second;
                } else if (engine::dict_find(*dict_, n.ref) == 0) {
                    return fail_at(n.line, "word \"" + n.ref + "\" is not in the dictionary");
                }
                bl.subs.push_back(sub);
            }
        }
        std::vector<int> state(blocks_.size(), 0);  // 0 unseen, 1 being visited, 2 done
        if (!acyclic(&state)) return false;
        for (size_t i = 1; i < blocks_.size(); i++)
            if (state[i] == 0)
                return fail_at(blocks_[i].line, "sub-lattice \"" + blocks_[i].name + "\" is not included");
        return true;
    }

    // Depth-first over the inclusions with a stack of its own: a hostile
    // file may nest sub-lattices very deeply.
    bool acyclic(std::vector<int> *state) {
        std::vector<std::pair<int, size_t>> stack{{0, 0}};
        (*state)[0] = 1;
        while (!stack.empty()) {
            int b = stack.back().first;
            size_t n = stack.back().second++;
            const Block &bl = blocks_[b];
            if (n >= bl.nodes.size()) {
                (*state)[b] = 2;
                stack.pop_back();
                continue;
            }
            int s = bl.subs[n];
            if (s < 0 || (*state)[s] == 2) continue;
            if ((*state)[s] == 1)
                return fail_at(bl.nodes[n].line, "sub-lattice \"" + blocks_[s].name + "\" includes itself");
            (*state)[s] = 1;
            stack.emplace_back(s, 0);
        }
        return true;
    }

    hapi_lat *build() {
        std::vector<hapi_lat *> lats;
        for (const Block &bl : blocks_) {
            auto *lat = new hapi_lat;
            lat->name = bl.name;
            lat->dict = dict_;
            lats.push_back(lat);
        }
        for (size_t b = 0; b < blocks_.size(); b++) {
            const Block &bl = blocks_[b];
            hapi_lat *lat = lats[b];
            lat->nodes.resize(bl.nodes.size() + 1);
            for (size_t n = 0; n < bl.nodes.size(); n++) {
                hapi_lat::Node &node = lat->nodes[n + 1];
                if (bl.subs[n] >= 0) {
                    node.sub = lats[bl.subs[n]];
                } else {
                    node.word = engine::dict_find(*dict_, bl.nodes[n].ref);
                    node.flag = bl.nodes[n].flag;
                }
            }
            lat->arcs.resize(1);
            for (const hapi_lat::Arc &arc : bl.arcs) {
                int id = static_cast<int>(lat->arcs.size());
                lat->arcs.push_back(arc);
                lat->nodes[arc.from].foll.push_back(id);
                lat->nodes[arc.to].pred.push_back(id);
            }
        }
        hapi_lat *top = lats[0];
        for (size_t b = 1; b < lats.size(); b++) {
            lats[b]->owner = top;
            top->owned.push_back(lats[b]);
        }
        return top;
    }

    hapi_dict *dict_;
    const std::string &path_;
    int line_ = 0;
    std::vector<Block> blocks_;
};

}  // namespace

bool lat_save(const hapi_lat &lat, const std::string &path) {
    std::vector<const hapi_lat *> subs = collect_subs(lat);
    std::unordered_map<std::string, const hapi_lat *> names;
    for (const hapi_lat *s : subs)
        if (!names.emplace(s->name, s).second) {
            complain("cannot save lattice %s: two different sub-lattices are named \"%s\"", path.c_str(),
                     s->name.c_str());
            return false;
        }
    std::string out = std::string(kMagic) + " " + std::to_string(kVersion) + "\n";
    if (!write_block(lat, &out)) return false;
    for (const hapi_lat *s : subs)
        if (!write_block(*s, &out)) return false;
    std::string why;
    if (!write_file_atomically(path, out, &why)) {
        complain("cannot save lattice %s: %s", path.c_str(), why.c_str());
        return false;
    }
    return true;
}

hapi_lat *lat_load(hapi_dict *dict, const std::string &path) {
    std::string text, why;
    if (!read_whole_file(path, &text, &why)) {
        complain("cannot read lattice %s: %s", path.c_str(), why.c_str());
        return nullptr;
    }
    return Reader(dict, path).read(text);
}

void lat_delete(hapi_lat *lat) {
    for (hapi_lat *sub : lat->owned) delete sub;
    delete lat;
}

}  // namespace engine
