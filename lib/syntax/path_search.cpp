// path_search.cpp - finding the option of a syntax that spells a sentence:
// a walk over the lattice that enters included syntaxes and comes back out
// of them, answering the arc that leaves the start node.
//
// Options written with { } or < > around optional parts make loops of
// null nodes, and brackets may nest as deep as the text allows, so the walk
// keeps its own stack instead of recursing and remembers the states it has
// tried (node, word position and inclusion context): a state met again adds
// no new path.  Whether a state is reached, and whether the rest of a path
// is silent, is a question of what can be reached from it, so the answer
// does not depend on the order in which the engine lists arcs.
#include <unordered_map>
#include <unordered_set>

#include "dict/dict.h"
#include "frame/trace.h"
#include "syntax/syntax_internal.h"

namespace kh {

namespace {

// The states one search may hold at once; a search that needs more is
// given up, with a message, rather than exhaust the memory.
constexpr size_t kMaxStates = 4000000;

// A place in the walk: a node of a lattice reached in an inclusion context,
// with the position of the next word to match (unused by the silence check).
struct State {
    hapiLatObject lattice;
    int node;
    size_t word;
    int context;
    bool operator==(const State &o) const {
        return lattice == o.lattice && node == o.node && word == o.word && context == o.context;
    }
};

struct StateHash {
    size_t operator()(const State &s) const {
        size_t h = std::hash<const void *>()(s.lattice);
        for (size_t part : {static_cast<size_t>(s.node), s.word, static_cast<size_t>(s.context)})
            h ^= part + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        return h;
    }
};

class PathSearch {
public:
    PathSearch(hapiDictObject dict, const std::vector<std::string> &words) : dict_(dict), words_(words) {}

    // The first start arc, in the engine's order, from which the sentence
    // can be spelt.
    int FindArc(hapiLatObject lattice) {
        int start = FindStartNode(lattice);
        if (start == 0) return 0;
        for (int arc : NodeArcs(lattice, start, true)) {
            if (Spells({lattice, hapiLatArcEnd(lattice, arc), 1, 0})) return arc;
            if (too_big_) return 0;
        }
        return 0;
    }

private:
    // One level of inclusion: the sub-lattice node by which the walk entered
    // a sub-lattice, and the level around it (0: the syntax's own lattice).
    struct Context {
        hapiLatObject lattice;
        int node;
        int outer;
    };

    bool Room() {
        if (tried_.size() + silence_.size() + contexts_.size() <= kMaxStates) return true;
        if (!too_big_) LogError("FindSentenceArc: The sentence search needs too much memory");
        too_big_ = true;
        return false;
    }

    int Enter(int outer, hapiLatObject lattice, int node) {
        State key{lattice, node, 0, outer};
        auto found = context_ids_.find(key);
        if (found != context_ids_.end()) return found->second;
        contexts_.push_back({lattice, node, outer});
        int id = static_cast<int>(contexts_.size() - 1);
        context_ids_.emplace(key, id);
        return id;
    }

    bool WordMatches(size_t i, int word_id) {
        char base[kWordLen];
        std::string name = DictWordName(dict_, word_id);
        return WordBaseName(name.c_str(), base) && words_[i - 1] == base;
    }

    // The nodes the walk goes on to after a node: its followers, or when it
    // ends a sub-lattice, the followers of the sub-lattice node around it.
    void Next(State at, std::vector<State> *out) {
        std::vector<int> arcs = NodeArcs(at.lattice, at.node, true);
        while (arcs.empty() && at.context != 0) {
            Context c = contexts_[static_cast<size_t>(at.context)];
            at = {c.lattice, c.node, at.word, c.outer};
            arcs = NodeArcs(at.lattice, at.node, true);
        }
        for (int arc : arcs) out->push_back({at.lattice, hapiLatArcEnd(at.lattice, arc), at.word, at.context});
    }

    // Arriving at a node with the words before at.word matched: true when
    // some path from here spells the rest of the sentence and then ends
    // without a further word.
    bool Spells(State first) {
        std::vector<State> stack{first};
        while (!stack.empty() && Room()) {
            State at = stack.back();
            stack.pop_back();
            if (!tried_.insert(at).second) continue;
            if (at.word > words_.size()) {
                if (NodeIsSilent(at)) return true;
                continue;
            }
            if (hapiLatObject sub = hapiLatNodeSublatObject(at.lattice, at.node)) {
                int start = FindStartNode(sub);
                if (start) stack.push_back({sub, start, at.word, Enter(at.context, at.lattice, at.node)});
                continue;
            }
            int word_id = hapiLatNodeWordId(at.lattice, at.node, 0);
            if (word_id != 1) {
                if (!WordMatches(at.word, word_id)) continue;
                at.word++;
            }
            Next(at, &stack);
        }
        return false;
    }

    // The node reached after the last word must carry no word itself, so
    // that a sentence one word short of an option does not match it.
    bool NodeIsSilent(const State &at) {
        if (hapiLatObject sub = hapiLatNodeSublatObject(at.lattice, at.node)) {
            int start = FindStartNode(sub);
            return start && RestIsSilent({sub, start, 0, Enter(at.context, at.lattice, at.node)});
        }
        return hapiLatNodeWordId(at.lattice, at.node, 0) == 1 && RestIsSilent({at.lattice, at.node, 0, at.context});
    }

    // True when no path on from the node meets a word, or an included
    // syntax that cannot be entered.  Every state found silent is
    // remembered; a state found to lead to a word is the only one known to.
    bool RestIsSilent(State from) {
        std::unordered_set<State, StateHash> seen;
        std::vector<State> stack{from};
        std::vector<State> ends;
        bool silent = true;
        while (silent && !stack.empty() && Room()) {
            State at = stack.back();
            stack.pop_back();
            auto known = silence_.find(at);
            if (known != silence_.end()) {
                silent = known->second;
                continue;
            }
            if (!seen.insert(at).second) continue;
            ends.clear();
            Next(at, &ends);
            for (State &e : ends) {
                if (hapiLatObject sub = hapiLatNodeSublatObject(e.lattice, e.node)) {
                    int start = FindStartNode(sub);
                    if (!start) silent = false;
                    else stack.push_back({sub, start, 0, Enter(e.context, e.lattice, e.node)});
                } else if (hapiLatNodeWordId(e.lattice, e.node, 0) != 1) {
                    silent = false;
                } else {
                    stack.push_back(e);
                }
            }
        }
        if (too_big_) return false;
        if (!silent) silence_[from] = false;
        else
            for (const State &s : seen) silence_[s] = true;
        return silent;
    }

    hapiDictObject dict_;
    const std::vector<std::string> &words_;
    std::vector<Context> contexts_{{nullptr, 0, 0}};  // entry 0: no context
    std::unordered_map<State, int, StateHash> context_ids_;
    std::unordered_set<State, StateHash> tried_;
    std::unordered_map<State, bool, StateHash> silence_;
    bool too_big_ = false;
};

}  // namespace

int SplitSentence(const char *text, std::vector<std::string> *words) {
    auto is_end = [](char c) { return c == '\0' || c == '\n' || c == '\r' || IsBnfSeparator(c); };
    int count = 0;
    const char *p = text;
    while (IsBnfSeparator(*p)) p++;
    while (!is_end(*p)) {
        const char *start = p;
        while (!is_end(*p)) p++;
        if (words) words->emplace_back(start, p);
        count++;
        while (IsBnfSeparator(*p)) p++;
    }
    return count;
}

int FindSentenceArc(hapiLatObject lattice, hapiDictObject dict, const std::vector<std::string> &words) {
    if (words.empty()) return 0;
    return PathSearch(dict, words).FindArc(lattice);
}

}  // namespace kh
