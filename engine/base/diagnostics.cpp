// diagnostics.cpp - complaints: to the program's message sink when it has
// set one, else to standard error.
#include "base/diagnostics.h"
#include "hapi.h"

#include <cstdarg>
#include <cstdio>

namespace {

// Where notes go: standard error until a program sets a sink.
hapiMessageSink g_sink = nullptr;
void *g_sink_context = nullptr;

}  // namespace

namespace engine {

void complain(const char *fmt, ...) {
    char line[1024];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(line, sizeof line, fmt, ap);
    va_end(ap);
    if (g_sink) g_sink(line, g_sink_context);
    else fprintf(stderr, "hapi: %s\n", line);
}

}  // namespace engine

extern "C" {

void hapiSetMessageSink(hapiMessageSink sink, void *context) {
    g_sink = sink;
    g_sink_context = context;
}

}  // extern "C"
