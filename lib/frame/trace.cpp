// trace.cpp - the line writer and the trace operations built on it.
#include "frame/trace.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "khapi.h"
#include "frame/debugwin.h"
#include "frame/file_access.h"
#include "frame/state.h"

namespace kh {

namespace {

constexpr size_t kLineLen = 1024;

bool At(int level) { return g_state && g_state->trace_level == level; }
bool Full() { return At(LEVEL_FULL); }
bool Logging() { return At(LEVEL_FULL) || At(LEVEL_ERROR); }

// Opens the log file, emptied, making the folders above it.  A log that
// cannot be opened is said once on standard error, the one thing the
// library writes there, since nothing else would tell that failures are
// lost; it is tried again on the next line.
void OpenLog() {
    errno = 0;
    int reason = MakeParentFolders(g_state->log_file) ? 0 : errno;
    if (FileAppendable(g_state->log_file))
        g_state->log = fopen(g_state->log_file, "wb");  // the lines carry their own "\r\n"
    if (g_state->log || g_state->log_failure_said) return;
    if (!reason) reason = errno ? errno : EINVAL;
    g_state->log_failure_said = 1;
    fprintf(stderr, "KHAPI: cannot open the log file %s (%s): failures are not logged\n", g_state->log_file,
            strerror(reason));
}

// Passes one finished line to the debug window and the log file.
void WriteLine(const char *line) {
    if (g_state->debug_window_active && !SendToDebugWindow(line)) g_state->debug_window_active = 0;
    if (!g_state->log) OpenLog();
    if (!g_state->log) return;
    fputs(line, g_state->log);
    fflush(g_state->log);
}

// Builds prefix + body + ending in a line buffer, cutting the body so that
// the line end always survives.
void EmitLine(const char *prefix, const char *body, const char *ending) {
    char line[kLineLen];
    size_t room = kLineLen - strlen(ending) - 1;
    int n = snprintf(line, room + 1, "%s%s", prefix, body);
    size_t used = n < 0 ? 0 : (static_cast<size_t>(n) > room ? room : static_cast<size_t>(n));
    memcpy(line + used, ending, strlen(ending) + 1);
    WriteLine(line);
}

void VTraceLine(const char *fmt, va_list ap) {
    char body[kLineLen];
    vsnprintf(body, sizeof body, fmt, ap);
    TraceLine(body);
}

}  // namespace

void TraceEnter(const char *name) {
    if (!Full()) return;
    char body[kLineLen];
    snprintf(body, sizeof body, "%s: Entering", name);
    EmitLine(g_state->indent, body, "\r\n");
}

void TraceLeave(const char *name) {
    if (!Full()) return;
    char body[kLineLen];
    snprintf(body, sizeof body, "%s: Leaving", name);
    EmitLine(g_state->indent, body, g_state->indent[0] ? "\r\n" : "\r\n\r\n");
}

void TraceLine(const char *text) {
    if (!Full()) return;
    char prefix[16];
    snprintf(prefix, sizeof prefix, "%s  ", g_state->indent);
    EmitLine(prefix, text ? text : "", "\r\n");
}

void TraceLinef(const char *fmt, ...) {
    if (!Full()) return;
    va_list ap;
    va_start(ap, fmt);
    VTraceLine(fmt, ap);
    va_end(ap);
}

void LogError(const char *text) {
    if (!Logging()) return;
    EmitLine("ERROR - ", text ? text : "", "\r\n\r\n");
}

const char *Message(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(MessageBuffer, sizeof MessageBuffer, fmt, ap);
    va_end(ap);
    return MessageBuffer;
}

void LogNote(const char *text) {
    if (!Logging()) return;
    EmitLine("NOTE - ", text ? text : "", "\r\n\r\n");
}

void TraceReturnInt(int value) { TraceLinef("Return value = %d", value); }

void TraceReturnFloat(double value) { TraceLinef("Return value = %f", value); }

void TraceReturnPointer(const char *name, const void *pointer) {
    if (pointer) TraceLine("Return value is a valid pointer");
    else LogError(Message("%s: null pointer returned", name));
}

void TraceOutString(const char *text) {
    if (!text) return;
    if (!text[0]) TraceLine("Outstring is empty");
    else TraceLinef("Outstring = %s", text);
}

void TraceParamString(int n, const char *label, const char *text) {
    if (text) TraceLinef("Parameter %d (%s) = %s", n, label, text);
    else TraceLinef("Parameter %d (%s) is a NULL string", n, label);
}

void TraceParamInt(int n, const char *label, int value) { TraceLinef("Parameter %d (%s) = %d", n, label, value); }

void TraceParamDouble(int n, const char *label, double value) {
    TraceLinef("Parameter %d (%s) = %lf", n, label, value);
}

void TraceParamPointer(int n, const char *label, const void *pointer) {
    TraceLinef(pointer ? "Parameter %d (%s) is a non-NULL pointer" : "Parameter %d (%s) is a NULL pointer", n, label);
}

void TraceCalibration(const float *levels) {
    TraceLinef("Mean Speech level = %f dB", static_cast<double>(levels[0]));
    TraceLinef("Background = %f dB", static_cast<double>(levels[1]));
    TraceLinef("Signal to noise ration = %f dB", static_cast<double>(levels[2]));
    TraceLinef("Peak to peak  = %f", static_cast<double>(levels[3]));
}

int Failure(const char *message) { return Failure(message, -1); }

float FloatFailure(const char *message) { return Failure(message, KH_FLOAT_FAIL); }

int Success(const char *name, int result) {
    TraceReturnInt(result);
    TraceLeave(name);
    return result;
}

NestedCall::NestedCall() {
    if (!g_state) return;
    CopyField(saved_, g_state->indent);
    CopyField(g_state->indent, "  ");
}

NestedCall::~NestedCall() {
    if (g_state) CopyField(g_state->indent, saved_);
}

void ResetLogStream() {
    if (g_state->log) fclose(g_state->log);
    g_state->log = nullptr;
}

}  // namespace kh
