// checks.cpp - CheckSystem, CheckHandle, CheckPointer and the registry of
// live handles.
#include "frame/checks.h"

#include <exception>
#include <new>
#include <unordered_set>

#include "frame/trace.h"

namespace kh {

namespace {

std::unordered_set<const void *> &LiveHandles() {
    static std::unordered_set<const void *> s;
    return s;
}

}  // namespace

int CheckSystem() {
    if (g_state && g_state->tag == kSystemTag && g_state->initialised) return 1;
    return Failure("SysError: System not initialised", 0);
}

bool NoFuncOper() { return g_state->trace_level == LEVEL_NOFUNCOPER; }

RecordHead *CheckHandle(const void *handle, int32_t tag, const char *kind) {
    if (!handle || !LiveHandles().count(handle)) {
        return Failure(Message("SysError: Invalid %s", kind), nullptr);
    }
    auto *head = static_cast<RecordHead *>(const_cast<void *>(handle));
    if (head->tag != tag) {
        return Failure(Message("SysError: Invalid %s", kind), nullptr);
    }
    if (head->owner != g_state->current_vocab) {
        return Failure(Message("SysError: Invalid %s. Exercise has been corrupted", kind), nullptr);
    }
    return head;
}

int CheckPointer(const void *pointer) {
    if (pointer) return 1;
    return Failure("SysCheck: NULL pointer passed to the dll", 0);
}

void RegisterHandle(RecordHead *record) { LiveHandles().insert(record); }
void UnregisterHandle(RecordHead *record) { LiveHandles().erase(record); }

void LogCaught(const char *export_name) {
    CallLock lock;  // the export's own went as the exception left it
    try {
        throw;
    } catch (const std::bad_alloc &) {
        LogError(Message("%s: Out of memory", export_name));
    } catch (const std::exception &e) {
        LogError(Message("%s: Unexpected failure: %s", export_name, e.what()));
    } catch (...) {
        LogError(Message("%s: Unexpected failure", export_name));
    }
}

}  // namespace kh
