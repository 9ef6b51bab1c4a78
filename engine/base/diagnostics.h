// diagnostics.h - complaints, fault injection and the checks every hapi
// call shares.
#ifndef ENGINE_BASE_DIAGNOSTICS_H
#define ENGINE_BASE_DIAGNOSTICS_H

// printf-style checking of complaints; MinGW-w64 builds use the C99 printf
// (__USE_MINGW_ANSI_STDIO), which its compiler calls gnu_printf.
#ifdef __MINGW32__
#define ENGINE_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define ENGINE_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#endif

namespace engine {

// Gives a note to the sink set with hapiSetMessageSink, or writes
// "hapi: <note>\n" to standard error when none is set.
void complain(const char *fmt, ...) ENGINE_PRINTF_FORMAT(1, 2);

// True when an armed fault makes this call of the named function fail.
// Every hapi* function asks this first, with its own name.  Only the test
// builds inject faults (fault_injection.cpp); elsewhere the question folds
// away, and the shipped library carries no injection points and never
// reads HAPI_FAULT.
#ifdef ENGINE_FAULT_INJECTION
bool fault(const char *function_name);
// Arms the faults that HAPI_FAULT names; hapiInitHAPI calls it.
void arm_faults_from_environment();
// For faults counted somewhere else (such as blocks of a sound card's
// capture): the count armed for the name, which disarms it, or 0.
int take_fault(const char *name);
#else
constexpr bool fault(const char *) { return false; }
inline void arm_faults_from_environment() {}
constexpr int take_fault(const char *) { return 0; }
#endif

// The body of the hapiDelete* calls of objects that own nothing shared:
// 0 when obj was deleted, -1 (with a complaint when obj is null) otherwise.
template <class T>
int delete_object(T *obj, const char *function_name, const char *what) {
    if (fault(function_name)) return -1;
    if (!obj) return complain("%s: no %s", function_name, what), -1;
    delete obj;
    return 0;
}

}  // namespace engine

#endif  // ENGINE_BASE_DIAGNOSTICS_H
