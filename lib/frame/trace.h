// trace.h - the log and trace lines every export writes.
//
// Each operation tests the trace level itself, so callers call them
// unconditionally once SystemState exists.  Lines end with "\r\n"; a line
// too long for its 1024-character buffer is cut, keeping its line end.
#ifndef KH_FRAME_TRACE_H
#define KH_FRAME_TRACE_H

// printf-style checking; MinGW-w64 builds use the C99 printf
// (__USE_MINGW_ANSI_STDIO), which its compiler calls gnu_printf.
#ifdef __MINGW32__
#define KH_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define KH_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#endif

namespace kh {

void TraceEnter(const char *name);
void TraceLeave(const char *name);
void TraceLine(const char *text);
void TraceLinef(const char *fmt, ...) KH_PRINTF_FORMAT(1, 2);
void LogError(const char *text);
// Formats a message that names a file or a value in MessageBuffer and
// answers it, for LogError, Failure or TraceLine.
const char *Message(const char *fmt, ...) KH_PRINTF_FORMAT(1, 2);
// Something the library did in place of failing, such as a guessed
// pronunciation, written where errors are: "NOTE - " and the text.
void LogNote(const char *text);
void TraceReturnInt(int value);
void TraceReturnFloat(double value);
void TraceReturnPointer(const char *name, const void *pointer);
void TraceOutString(const char *text);
void TraceParamString(int n, const char *label, const char *text);
void TraceParamInt(int n, const char *label, int value);
void TraceParamDouble(int n, const char *label, double value);
void TraceParamPointer(int n, const char *label, const void *pointer);
void TraceCalibration(const float *levels);

// The one way to fail.  The end of a call that failed: its one message,
// then -1; a call that answers something else on failure (a null
// handle, false) names that value.
int Failure(const char *message);
template <typename T>
T Failure(const char *message, T failed) {
    LogError(message);
    return failed;
}
// The end of a score or confidence export that failed: its one message,
// then KH_FLOAT_FAIL.
float FloatFailure(const char *message);
// The end of an export that succeeded: its return and Leaving lines, then
// the result.
int Success(const char *name, int result);

// Sets the trace indentation to two blanks for the life of the object, so
// that an export called from inside another export writes its lines
// indented and without the blank line after its Leaving line.  The
// indentation in force before is restored, so that a call nested inside a
// nested call leaves its caller's lines indented.
class NestedCall {
public:
    NestedCall();
    ~NestedCall();
    NestedCall(const NestedCall &) = delete;
    NestedCall &operator=(const NestedCall &) = delete;

private:
    char saved_[5] = {};
};

// Drops the open log stream so that the next line reopens (and empties)
// the log file.
void ResetLogStream();

}  // namespace kh

#endif  // KH_FRAME_TRACE_H
