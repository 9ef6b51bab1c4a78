// state.cpp - the globals of the library and the text helpers every
// subsystem uses to fill fixed fields safely.
#include "frame/state.h"

namespace kh {

SystemState *g_state = nullptr;
char MessageBuffer[kNameLen];

bool CopyText(char *dst, size_t size, const char *src) {
    if (size == 0) return false;
    if (!src) src = "";
    size_t len = strlen(src);
    bool fits = len < size;
    if (!fits) len = size - 1;
    memcpy(dst, src, len);
    dst[len] = '\0';
    return fits;
}

}  // namespace kh
