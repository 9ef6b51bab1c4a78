// call_lock.cpp - the mutex behind CallLock.
#include "frame/call_lock.h"

namespace kh {

namespace {

std::recursive_mutex &CallMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

}  // namespace

CallLock::CallLock() : guard_(CallMutex()) {}

}  // namespace kh
