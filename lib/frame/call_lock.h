// call_lock.h - the one lock every export runs under.  The library's state
// is global, so an application that calls it from several threads would
// otherwise corrupt it; calls are serialised instead.  The lock is
// recursive because exports call exports.
#ifndef KH_FRAME_CALL_LOCK_H
#define KH_FRAME_CALL_LOCK_H

#include <mutex>

namespace kh {

class CallLock {
public:
    CallLock();
    CallLock(const CallLock &) = delete;
    CallLock &operator=(const CallLock &) = delete;

private:
    std::lock_guard<std::recursive_mutex> guard_;
};

}  // namespace kh

#endif  // KH_FRAME_CALL_LOCK_H
