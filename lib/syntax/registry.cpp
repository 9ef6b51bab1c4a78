// registry.cpp - the syntaxes of the current vocabulary, found by name, and
// the bookkeeping of which syntax includes which.
#include <unordered_set>
#include <vector>

#include "frame/checks.h"
#include "frame/records.h"
#include "frame/trace.h"
#include "syntax/syntax_internal.h"

namespace kh {

namespace {

// Puts syntax at the front of a list, or counts it again when present.
void AddLink(SyntaxLink **list, SyntaxRecord *syntax) {
    for (SyntaxLink *link = *list; link; link = link->next)
        if (link->syntax == syntax) {
            link->count++;
            return;
        }
    *list = new SyntaxLink{syntax, 1, *list};
}

SyntaxRecord *FindIn(VocabRecord *vocab, const char *name) {
    if (!vocab) return nullptr;
    for (SyntaxLink *link = vocab->syntaxes; link; link = link->next)
        if (strcmp(link->syntax->name, name) == 0) return link->syntax;
    return nullptr;
}

}  // namespace

SyntaxRecord *CheckSyntax(const void *handle) {
    auto *syntax = static_cast<SyntaxRecord *>(CheckHandle(handle, kSyntaxTag, "syntax"));
    if (syntax) TraceLinef("SysCheck: Valid syntax with name %s", syntax->name);
    return syntax;
}

SyntaxRecord *FindSyntax(const char *name) { return FindIn(g_state->current_vocab, name); }

SyntaxRecord *FindValidSyntax(const char *name) {
    SyntaxRecord *syntax = FindSyntax(name);
    return syntax ? CheckSyntax(syntax) : nullptr;
}

SyntaxRecord *NewSyntax(VocabRecord *vocab, const char *name) {
    if (FindIn(vocab, name)) {
        return Failure(Message("NewSyntax: Duplicate syntax name %s", name), nullptr);
    }
    if (strlen(name) >= static_cast<size_t>(kSyntaxNameLen)) {
        return Failure("NewSyntax: Syntax name is too long", nullptr);
    }
    auto *syntax = new SyntaxRecord;
    CopyField(syntax->name, name);
    syntax->owner = vocab;
    syntax->lattice = hapiCreateLatObject(vocab->exercise_dict, name);
    vocab->syntaxes = new SyntaxLink{syntax, 1, vocab->syntaxes};
    RegisterHandle(syntax);
    return syntax;
}

void AddInclusion(SyntaxRecord *parent, SyntaxRecord *child) {
    if (!parent) return;
    AddLink(&parent->includes, child);
    AddLink(&child->containedIn, parent);
}

void RemoveLink(SyntaxLink **list, SyntaxRecord *syntax) {
    for (SyntaxLink **at = list; *at; at = &(*at)->next)
        if ((*at)->syntax == syntax) {
            SyntaxLink *gone = *at;
            *at = gone->next;
            delete gone;
            return;
        }
}

// Depth first in list order, as a recursive search would go, but each
// syntax is searched once: a syntax reached again through another includer
// holds no hit, and shared inclusions would otherwise cost exponential time.
SyntaxRecord *FindIncludedSyntax(SyntaxRecord *root, const char *name) {
    if (!root) return nullptr;
    std::unordered_set<SyntaxRecord *> seen{root};
    std::vector<SyntaxRecord *> stack{root};
    while (!stack.empty()) {
        SyntaxRecord *syntax = stack.back();
        stack.pop_back();
        if (strcmp(syntax->name, name) == 0) return syntax;
        std::vector<SyntaxRecord *> children;
        for (SyntaxLink *link = syntax->includes; link; link = link->next)
            if (seen.insert(link->syntax).second) children.push_back(link->syntax);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return nullptr;
}

void FreeSyntax(SyntaxRecord *syntax) {
    RemoveLink(&syntax->owner->syntaxes, syntax);
    UnregisterHandle(syntax);
    RetireRecord(syntax);
}

}  // namespace kh
