// checks.h - the checks every export runs on the system, its handles and
// its pointers, and the registry of live handles behind them.
#ifndef KH_FRAME_CHECKS_H
#define KH_FRAME_CHECKS_H

#include "frame/call_lock.h"
#include "frame/state.h"

namespace kh {

// The start of every record behind a handle: its kind, and the vocabulary
// whose exercise it belongs to.
struct RecordHead {
    explicit RecordHead(int32_t kind) : tag(kind) {}
    int32_t tag;
    VocabRecord *owner = nullptr;
};

// 1 when the system is initialised; else logs "SysError: System not
// initialised" and answers 0.
int CheckSystem();
// True in NOFUNCOPER mode: the export answers its no-operation value.
bool NoFuncOper();
// The record behind a live handle of the given tag in the current
// exercise, or null after logging why ("SysError: Invalid <kind>...").  A
// handle the library never issued, or one already freed, is refused
// without reading through it.
RecordHead *CheckHandle(const void *handle, int32_t tag, const char *kind);
// 1 for a non-null pointer; else logs and answers 0.
int CheckPointer(const void *pointer);

// The registry of live handles: records are added when made and removed
// before they are freed.
void RegisterHandle(RecordHead *record);
void UnregisterHandle(RecordHead *record);

}  // namespace kh

// The first steps of every export but khSysInit: the call lock is taken
// for the rest of the export, then a failed CheckSystem answers the
// family's failure value, NOFUNCOPER its no-operation value.
#define KH_FRAME_GUARD(failure_value, noop_value)       \
    kh::CallLock kh_call_lock;                          \
    do {                                                \
        if (!kh::CheckSystem()) return (failure_value); \
        if (kh::NoFuncOper()) return (noop_value);      \
    } while (0)

namespace kh {

// What an export answers when the engine or the standard library threw
// (memory ran out): the exception is logged as "NAME: Out of memory", or
// with its own text, and the export gives its failure value.
void LogCaught(const char *export_name);

}  // namespace kh

// The end of every export, after its body written as a function-try-block
// ("int KHAPI_CALL khX(...) try { ... } KH_CATCH(-1)"): nothing thrown
// leaves the library, whose callers are C programs.
#define KH_CATCH(failure_value)  \
    catch (...) {                \
        kh::LogCaught(__func__); \
        return (failure_value);  \
    }

#endif  // KH_FRAME_CHECKS_H
