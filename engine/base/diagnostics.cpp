// diagnostics.cpp - complaints: to the program's message sink when it has
// set one, else to standard error; and to the note log when the
// configuration names one.
#include "base/config.h"
#include "base/diagnostics.h"
#include "hapi.h"

#include <cstdarg>
#include <cstdio>

namespace {

// Where notes go: standard error until a program sets a sink.
hapiMessageSink g_sink = nullptr;
void *g_sink_context = nullptr;

// A developer finds every note in the file NOTELOG names, whatever the
// program does with them: a program that takes them through a sink (the
// library does, to keep them out of its own log) or a service with no
// standard error.  A file that cannot be opened is passed over: a note
// about notes would have nowhere to go.
void copy_to_note_log(const char *line) {
    const std::string *path = engine::conf_text("NOTELOG");
    if (!path || path->empty()) return;
        // Binary, so that each line ends in "\n" on Windows too.
#ifdef _WIN32
    FILE *f = fopen(path->c_str(), "ab");
#else
    FILE *f = fopen(path->c_str(), "abe");  // not inherited by child programs
#endif
    if (!f) return;
    fprintf(f, "hapi: %s\n", line);
    fclose(f);
}

}  // namespace

namespace engine {

void complain(const char *fmt, ...) {
    char line[1024];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(line, sizeof line, fmt, ap);
    va_end(ap);
    copy_to_note_log(line);
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
