// lifecycle.cpp - creating, finding and deleting syntaxes: the work of
// khSyntaxCreate, khSyntaxReturn, khSyntaxDeleteShallow and
// khSyntaxDeleteDeep.
#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "khapi.h"
#include "frame/trace.h"
#include "frame/case.h"
#include "syntax/syntax.h"
#include "syntax/syntax_internal.h"

namespace kh {

namespace {

SyntaxRecord *Created(SyntaxRecord *syntax) {
    TraceReturnPointer("khSyntaxCreate", syntax);
    TraceLeave("khSyntaxCreate");
    return syntax;
}

// The frame of the two deletions after their guard.
int DeleteCall(const char *name, const void *handle, int (*remove)(SyntaxRecord *)) {
    TraceEnter(name);
    TraceParamPointer(1, "syntax ptr", handle);
    SyntaxRecord *record = CheckSyntax(handle);
    return record ? remove(record) : -1;
}

// Unlinks a syntax from every syntax it includes or is included by, and
// frees it with its lattice.
void Discard(SyntaxRecord *syntax) {
    while (SyntaxLink *link = syntax->containedIn) {
        RemoveLink(&link->syntax->includes, syntax);
        syntax->containedIn = link->next;
        delete link;
    }
    while (SyntaxLink *link = syntax->includes) {
        RemoveLink(&link->syntax->containedIn, syntax);
        syntax->includes = link->next;
        delete link;
    }
    FreeDisables(syntax);
    hapiDeleteLatObject(syntax->lattice);
    FreeSyntax(syntax);
}

// Removes what a failed load registered under the name; a syntax that had
// that name before the call stays.  Whatever else the load registered and
// the deep delete could not reach goes too, so nothing of it survives.
void CleanUpFailedLoad(const char *name, bool existed_before, const std::vector<std::string> &made) {
    {
        NestedCall nested;
        SyntaxRecord *syntax = SyntaxReturnCall(name);
        if (syntax && !existed_before) SyntaxDeleteDeepCall(syntax);
    }
    for (const std::string &left : made)
        if (SyntaxRecord *syntax = FindSyntax(left.c_str())) Discard(syntax);
}

// The syntax and every syntax it includes at any depth, each once, depth
// first in list order.
std::vector<SyntaxRecord *> CollectIncluded(SyntaxRecord *root) {
    std::vector<SyntaxRecord *> gathered;
    std::unordered_set<SyntaxRecord *> seen{root};
    std::vector<SyntaxRecord *> stack{root};
    while (!stack.empty()) {
        SyntaxRecord *syntax = stack.back();
        stack.pop_back();
        gathered.push_back(syntax);
        std::vector<SyntaxRecord *> children;
        for (SyntaxLink *link = syntax->includes; link; link = link->next)
            if (seen.insert(link->syntax).second) children.push_back(link->syntax);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return gathered;
}

bool AllIncludersIn(const SyntaxRecord *syntax, const std::vector<SyntaxRecord *> &set) {
    for (SyntaxLink *link = syntax->containedIn; link; link = link->next)
        if (std::find(set.begin(), set.end(), link->syntax) == set.end()) return false;
    return true;
}

// Keeps the root and the gathered syntaxes that only deletable syntaxes
// include, so that a syntax still needed by a kept one is kept too.
std::vector<SyntaxRecord *> Deletable(std::vector<SyntaxRecord *> set) {
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t k = 1; k < set.size(); k++)
            if (!AllIncludersIn(set[k], set)) {
                set.erase(set.begin() + static_cast<long>(k));
                changed = true;
                break;
            }
    }
    return set;
}

}  // namespace

SyntaxRecord *SyntaxCreate(const char *name, const char *lattice_filename) {
    if (!name || !name[0] || strlen(name) >= static_cast<size_t>(kSyntaxNameLen)) {
        return Failure("khSyntaxCreate: invalid syntax name", nullptr);
    }
    char upper[kNameLen];
    UpperCaseCopy(name, upper, kNameLen);
    if (!lattice_filename) {
        SyntaxRecord *syntax = NewSyntax(g_state->current_vocab, upper);
        return syntax ? Created(syntax) : nullptr;
    }
    bool existed_before = FindSyntax(upper) != nullptr;
    char filename[kNameLen];
    std::vector<std::string> made;
    SyntaxRecord *syntax = CopyArgument(lattice_filename, filename) ? LoadSavedSyntax(upper, filename, &made) : nullptr;
    if (syntax) return Created(syntax);
    LogError("khSyntaxCreate: Error loading saved lattice");
    CleanUpFailedLoad(upper, existed_before, made);
    return nullptr;
}

SyntaxRecord *SyntaxReturnCall(const char *name) {
    TraceEnter("khSyntaxReturn");
    TraceParamString(1, "syntax name", name);
    return SyntaxReturn(name);
}

int SyntaxDeleteShallowCall(const void *handle) {
    return DeleteCall("khSyntaxDeleteShallow", handle, SyntaxDeleteShallow);
}
int SyntaxDeleteDeepCall(const void *handle) { return DeleteCall("khSyntaxDeleteDeep", handle, SyntaxDeleteDeep); }

SyntaxRecord *SyntaxReturn(const char *name) {
    char upper[kNameLen];
    UpperCaseCopy(name ? name : "", upper, kNameLen);
    SyntaxRecord *syntax = FindValidSyntax(upper);
    if (!syntax) {
        return Failure(Message("khSyntaxReturn: No such syntax name %s", upper), nullptr);
    }
    TraceReturnPointer("khSyntaxReturn", syntax);
    TraceLeave("khSyntaxReturn");
    return syntax;
}

int SyntaxDeleteShallow(SyntaxRecord *syntax) {
    if (syntax->containedIn) {
        return Failure("khSyntaxDeleteShallow: Syntax is contained in another syntax. Cannot delete");
    }
    Discard(syntax);
    return Success("khSyntaxDeleteShallow", 1);
}

int SyntaxDeleteDeep(SyntaxRecord *syntax) {
    if (syntax->containedIn) {
        return Failure("khSyntaxDeleteDeep: Cannot delete top level syntax because it is included in another syntax");
    }
    std::vector<SyntaxRecord *> left = Deletable(CollectIncluded(syntax));
    // Each pass deletes the members that nothing includes any more; since
    // inclusions never form a circle, every pass deletes at least one.
    for (bool deleted = true; deleted && !left.empty();) {
        deleted = false;
        for (size_t k = 0; k < left.size();) {
            SyntaxRecord *s = left[k];
            if (s->containedIn) {
                k++;
                continue;
            }
            left.erase(left.begin() + static_cast<long>(k));
            NestedCall nested;
            if (SyntaxDeleteShallowCall(s) < 0) return -1;
            deleted = true;
        }
    }
    return Success("khSyntaxDeleteDeep", 1);
}

}  // namespace kh
