// diagnostics.cpp - complaints on standard error.
#include "base/diagnostics.h"

#include <cstdarg>
#include <cstdio>

namespace engine {

void complain(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    fputs("hapi: ", stderr);
    vfprintf(stderr, fmt, ap);
    fputc('\n', stderr);
    va_end(ap);
}

}  // namespace engine
