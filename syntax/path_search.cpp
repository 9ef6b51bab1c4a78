// path_search.cpp - finding the option of a syntax that spells a sentence:
// a depth-first walk over the lattice that enters included syntaxes and
// comes back out of them, answering the arc that leaves the start node.
//
// Options written with { } or < > around optional parts make loops of
// null nodes, so the walk remembers the states it has tried (node, word
// position and inclusion context): a state met again adds no new path.
#include <map>
#include <set>
#include <tuple>

#include "dict/dict.h"
#include "syntax/syntax_internal.h"

namespace kh {

namespace {

// Deeper walks than this give up (no path) rather than exhaust the stack.
constexpr int kMaxDepth = 10000;

class PathSearch {
public:
    PathSearch(hapiDictObject dict, const std::vector<std::string> &words) : dict_(dict), words_(words) {}

    int FindArc(hapiLatObject lattice) {
        int start = FindStartNode(lattice);
        if (start == 0) return 0;
        for (int arc : NodeArcs(lattice, start, true)) {
            if (MatchAtNode(lattice, hapiLatArcEnd(lattice, arc), 1, 0)) return arc;
            if (too_deep_) return 0;
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
    using State = std::tuple<hapiLatObject, int, size_t, int>;
    enum Silence { SILENCE_PENDING, SILENCE_YES, SILENCE_NO };

    class Depth {
    public:
        explicit Depth(PathSearch *s) : s_(s) {
            if (++s_->depth_ > kMaxDepth) s_->too_deep_ = true;
        }
        ~Depth() { s_->depth_--; }
        Depth(const Depth &) = delete;
        Depth &operator=(const Depth &) = delete;

    private:
        PathSearch *s_;
    };

    int Enter(int outer, hapiLatObject lattice, int node) {
        auto key = std::make_tuple(lattice, node, outer);
        auto found = context_ids_.find(key);
        if (found != context_ids_.end()) return found->second;
        contexts_.push_back({lattice, node, outer});
        int id = static_cast<int>(contexts_.size() - 1);
        context_ids_.emplace(key, id);
        return id;
    }

    __attribute__((noinline)) bool WordMatches(size_t i, int word_id) {
        char base[kWordLen];
        std::string name = DictWordName(dict_, word_id);
        return WordBaseName(name.c_str(), base) && words_[i - 1] == base;
    }

    bool MatchAtNode(hapiLatObject lattice, int node, size_t i, int context) {
        Depth depth(this);
        if (too_deep_ || !tried_.insert(State(lattice, node, i, context)).second) return false;
        if (i > words_.size()) return NodeIsSilent(lattice, node, context);
        if (hapiLatObject sub = hapiLatNodeSublatObject(lattice, node)) {
            int start = FindStartNode(sub);
            return start && MatchAfterNode(sub, start, i, Enter(context, lattice, node));
        }
        if (hapiLatNodeWordId(lattice, node, 0) != 1) {
            if (!WordMatches(i, hapiLatNodeWordId(lattice, node, 0))) return false;
            i++;
        }
        return MatchAfterNode(lattice, node, i, context);
    }

    bool MatchAfterNode(hapiLatObject lattice, int node, size_t i, int context) {
        Depth depth(this);
        if (too_deep_) return false;
        std::vector<int> arcs = NodeArcs(lattice, node, true);
        for (int arc : arcs)
            if (MatchAtNode(lattice, hapiLatArcEnd(lattice, arc), i, context)) return true;
        if (!arcs.empty() || context == 0) return false;
        Context c = contexts_[static_cast<size_t>(context)];
        return MatchAfterNode(c.lattice, c.node, i, c.outer);
    }

    // The node reached after the last word must carry no word itself, so
    // that a sentence one word short of an option does not match it.
    bool NodeIsSilent(hapiLatObject lattice, int node, int context) {
        if (hapiLatObject sub = hapiLatNodeSublatObject(lattice, node)) {
            int start = FindStartNode(sub);
            return start && RestIsSilent(sub, start, Enter(context, lattice, node));
        }
        return hapiLatNodeWordId(lattice, node, 0) == 1 && RestIsSilent(lattice, node, context);
    }

    // True when the rest of the path after the node carries no word.  A
    // state met again while it is still being examined lies on a loop of
    // null nodes, which adds no word.
    bool RestIsSilent(hapiLatObject lattice, int node, int context) {
        Depth depth(this);
        if (too_deep_) return false;
        auto key = std::make_tuple(lattice, node, context);
        auto found = silence_.find(key);
        if (found != silence_.end()) return found->second != SILENCE_NO;
        silence_[key] = SILENCE_PENDING;
        bool silent = ExamineRest(lattice, node, context);
        silence_[key] = silent ? SILENCE_YES : SILENCE_NO;
        return silent;
    }

    bool ExamineRest(hapiLatObject lattice, int node, int context) {
        std::vector<int> arcs = NodeArcs(lattice, node, true);
        if (arcs.empty()) {
            if (context == 0) return true;
            Context c = contexts_[static_cast<size_t>(context)];
            return RestIsSilent(c.lattice, c.node, c.outer);
        }
        for (int arc : arcs) {
            int end = hapiLatArcEnd(lattice, arc);
            if (hapiLatObject sub = hapiLatNodeSublatObject(lattice, end)) {
                int start = FindStartNode(sub);
                // An included syntax that carries words ends the check like
                // a word node would; only a silent one lets it pass.
                if (!start || !RestIsSilent(sub, start, Enter(context, lattice, end))) return false;
                return true;
            }
            if (hapiLatNodeWordId(lattice, end, 0) != 1) return false;
            if (!RestIsSilent(lattice, end, context)) return false;
        }
        return true;
    }

    hapiDictObject dict_;
    const std::vector<std::string> &words_;
    std::vector<Context> contexts_{{nullptr, 0, 0}};  // entry 0: no context
    std::map<std::tuple<hapiLatObject, int, int>, int> context_ids_;
    std::set<State> tried_;
    std::map<std::tuple<hapiLatObject, int, int>, Silence> silence_;
    int depth_ = 0;
    bool too_deep_ = false;
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
