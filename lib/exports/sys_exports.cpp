// sys_exports.cpp - khSysInit and khSysNewExercise.
#include "khapi.h"

#include "frame/checks.h"
#include "frame/trace.h"
#include "exercise/exercise.h"
#include "system/system.h"

extern "C" {

int KHAPI_CALL khSysInit(const char *config_filename) try {
    kh::CallLock lock;
    return kh::g_state ? kh::Reinitialise(config_filename) : kh::SysInit(config_filename);
}
KH_CATCH(-1)

int KHAPI_CALL khSysNewExercise(const char *exercise_name) try {
    KH_FRAME_GUARD(-1, 0);
    kh::TraceEnter("khSysNewExercise");
    kh::TraceParamString(1, "exercise name", exercise_name);
    return kh::SysNewExercise(exercise_name);
}
KH_CATCH(-1)

}  // extern "C"
