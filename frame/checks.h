// checks.h - the checks every export runs on the system, its handles and
// its pointers, and the registry of live handles behind them.
#ifndef KH_FRAME_CHECKS_H
#define KH_FRAME_CHECKS_H

#include "frame/state.h"

namespace kh {

struct SyntaxRecord;
struct RecogniserRecord;

// 1 when the system is initialised; else logs "SysError: System not
// initialised" and answers 0.
int CheckSystem();
// True in NOFUNCOPER mode: the export answers its no-operation value.
bool NoFuncOper();
// The record behind a live handle of the current exercise, or null after
// logging why.  A handle the library never issued, or one already freed,
// is refused without reading through it.
RecogniserRecord *CheckRecogniser(const void *handle);
SyntaxRecord *CheckSyntax(const void *handle);
// 1 for a non-null pointer; else logs and answers 0.
int CheckPointer(const void *pointer);

// The registry of live handles: records are added when made and removed
// before they are freed.
void RegisterSyntax(SyntaxRecord *syntax);
void UnregisterSyntax(SyntaxRecord *syntax);
void RegisterRecogniser(RecogniserRecord *rec);
void UnregisterRecogniser(RecogniserRecord *rec);

}  // namespace kh

// The first two steps of every export but khSysInit: a failed CheckSystem
// answers the family's failure value, NOFUNCOPER its no-operation value.
#define KH_FRAME_GUARD(failure_value, noop_value) \
    do {                                          \
        if (!kh::CheckSystem()) return (failure_value); \
        if (kh::NoFuncOper()) return (noop_value);      \
    } while (0)

#endif  // KH_FRAME_CHECKS_H
