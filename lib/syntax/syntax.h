// syntax.h - the record behind a syntax handle, the lists that hold
// syntaxes, and the work of the syntax exports.
// syntaxes.
#ifndef KH_SYNTAX_SYNTAX_H
#define KH_SYNTAX_SYNTAX_H

#include "dict/dict.h"
#include "frame/checks.h"

namespace kh {

constexpr int kSyntaxNameLen = 256;  // syntax names: at most 255 characters

struct SyntaxRecord;

// An entry of every list of syntaxes; new entries go to the front.
struct SyntaxLink {
    SyntaxRecord *syntax = nullptr;
    int32_t count = 1;
    SyntaxLink *next = nullptr;
};

// One disabled option on a syntax's stack of disables.
struct DisableRecord {
    hapiLatObject lattice = nullptr;
    int32_t arc = 0;
    float saved_score = 0.0f;
    DisableRecord *next = nullptr;
};

struct SyntaxRecord : RecordHead {
    SyntaxRecord() : RecordHead(kSyntaxTag) {}
    char name[kSyntaxNameLen] = {};
    int32_t isEmpty = 1;
    hapiLatObject lattice = nullptr;
    SyntaxLink *includes = nullptr;
    SyntaxLink *containedIn = nullptr;
    DisableRecord *disables = nullptr;
};

// The record behind a live syntax handle of the current exercise, or null
// after logging why.
SyntaxRecord *CheckSyntax(const void *handle);

SyntaxRecord *SyntaxCreate(const char *name, const char *lattice_filename);
SyntaxRecord *SyntaxReturn(const char *name);
int SyntaxDeleteShallow(SyntaxRecord *syntax);
int SyntaxDeleteDeep(SyntaxRecord *syntax);
int SyntaxAddOption(SyntaxRecord *syntax, const char *bnf);
int SyntaxDisableOption(SyntaxRecord *syntax, const char *sentence);
int SyntaxReEnableOptions(SyntaxRecord *syntax, int number);

// Exports the library also runs as nested calls, after their guard: the
// entry and parameter lines, the handle check and the work.
SyntaxRecord *SyntaxReturnCall(const char *name);
int SyntaxDeleteShallowCall(const void *handle);
int SyntaxDeleteDeepCall(const void *handle);
int SyntaxReEnableOptionsCall(const void *handle, int number);

}  // namespace kh

#endif  // KH_SYNTAX_SYNTAX_H
