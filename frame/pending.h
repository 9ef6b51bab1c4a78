// pending.h - the answer of an export whose work this version of the
// library does not do yet: one failure message naming the export.
#ifndef KH_FRAME_PENDING_H
#define KH_FRAME_PENDING_H

#include "frame/trace.h"

namespace kh {

inline int Pending(const char *export_name) {
    LogErrorf("%s: Not available in this version of the library", export_name);
    return -1;
}

}  // namespace kh

#endif  // KH_FRAME_PENDING_H
