// checks.cpp - CheckSystem, CheckRecogniser, CheckSyntax, CheckPointer.
#include "frame/checks.h"

#include <unordered_set>

#include "frame/trace.h"
#include "rec/recogniser.h"
#include "syntax/syntax.h"

namespace kh {

namespace {

std::unordered_set<const void *> &LiveSyntaxes() {
    static std::unordered_set<const void *> s;
    return s;
}

std::unordered_set<const void *> &LiveRecognisers() {
    static std::unordered_set<const void *> s;
    return s;
}

}  // namespace

int CheckSystem() {
    if (g_state && g_state->tag == kSystemTag && g_state->initialised) return 1;
    LogError("SysError: System not initialised");
    return 0;
}

bool NoFuncOper() { return g_state->trace_level == LEVEL_NOFUNCOPER; }

RecogniserRecord *CheckRecogniser(const void *handle) {
    if (!handle || !LiveRecognisers().count(handle)) {
        LogError("SysError: Invalid recogniser");
        return nullptr;
    }
    auto *rec = static_cast<RecogniserRecord *>(const_cast<void *>(handle));
    if (rec->tag != kRecogniserTag) {
        LogError("SysError: Invalid recogniser");
        return nullptr;
    }
    if (rec->vocab != g_state->current_vocab) {
        LogError("SysError: Invalid recogniser. Exercise has been corrupted");
        return nullptr;
    }
    TraceLine("SysCheck: Valid recogniser");
    return rec;
}

SyntaxRecord *CheckSyntax(const void *handle) {
    if (!handle || !LiveSyntaxes().count(handle)) {
        LogError("SysError: Invalid syntax");
        return nullptr;
    }
    auto *syntax = static_cast<SyntaxRecord *>(const_cast<void *>(handle));
    if (syntax->tag != kSyntaxTag) {
        LogError("SysError: Invalid syntax");
        return nullptr;
    }
    if (syntax->owner != g_state->current_vocab) {
        LogError("SysError: Invalid syntax. Exercise has been corrupted");
        return nullptr;
    }
    TraceLinef("SysCheck: Valid syntax with name %s", syntax->name);
    return syntax;
}

int CheckPointer(const void *pointer) {
    if (pointer) return 1;
    LogError("SysCheck: NULL pointer passed to the dll");
    return 0;
}

void RegisterSyntax(SyntaxRecord *syntax) { LiveSyntaxes().insert(syntax); }
void UnregisterSyntax(SyntaxRecord *syntax) { LiveSyntaxes().erase(syntax); }
void RegisterRecogniser(RecogniserRecord *rec) { LiveRecognisers().insert(rec); }
void UnregisterRecogniser(RecogniserRecord *rec) { LiveRecognisers().erase(rec); }

}  // namespace kh
