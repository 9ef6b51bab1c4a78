// rec_exports.cpp - the recogniser exports: their call frame, then the
// work in rec/.
#include "khapi.h"

#include "frame/checks.h"
#include "frame/trace.h"
#include "rec/rec.h"

namespace {

KhRecogniser const kNoOpHandle = reinterpret_cast<KhRecogniser>(1);

// The opening every export on a single recogniser shares.
kh::RecogniserRecord *EnterWithRecogniser(const char *name, KhRecogniser rec) {
    kh::TraceEnter(name);
    kh::TraceParamPointer(1, "recogniser ptr", rec);
    return kh::CheckRecogniser(rec);
}

}  // namespace

extern "C" {

KhRecogniser KHAPI_CALL khRecCreate(void) try {
    KH_FRAME_GUARD(nullptr, kNoOpHandle);
    kh::TraceEnter("khRecCreate");
    kh::TraceLine("No parameters passed");
    return kh::RecCreate();
}
KH_CATCH(nullptr)

int KHAPI_CALL khRecDelete(KhRecogniser rec) try {
    KH_FRAME_GUARD(-1, 0);
    kh::RecogniserRecord *record = EnterWithRecogniser("khRecDelete", rec);
    if (!record) return -1;
    return kh::RecDelete(record);
}
KH_CATCH(-1)

int KHAPI_CALL khRecPrepare(KhRecogniser rec, KhSyntax syntax, const char *wav_filename, const char *map_filename) try {
    KH_FRAME_GUARD(-1, 0);
    kh::TraceEnter("khRecPrepare");
    kh::TraceParamPointer(1, "recogniser ptr", rec);
    kh::TraceParamPointer(2, "syntax ptr", syntax);
    kh::TraceParamString(3, "wav filename", wav_filename);
    kh::TraceParamString(4, "map filename", map_filename);
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecPrepare(record, syntax, wav_filename, map_filename);
}
KH_CATCH(-1)

int KHAPI_CALL khRecDoWholeSent(KhRecogniser rec) try {
    KH_FRAME_GUARD(-1, 0);
    kh::RecogniserRecord *record = EnterWithRecogniser("khRecDoWholeSent", rec);
    if (!record) return -1;
    return kh::RecDoWholeSent(record);
}
KH_CATCH(-1)

int KHAPI_CALL khRecDoPartSent(KhRecogniser rec, int number_of_frames) try {
    KH_FRAME_GUARD(-1, 0);
    kh::TraceEnter("khRecDoPartSent");
    kh::TraceParamPointer(1, "recogniser ptr", rec);
    kh::TraceParamInt(2, "number of frames", number_of_frames);
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecDoPartSent(record, number_of_frames);
}
KH_CATCH(-1)

int KHAPI_CALL khRecFinalise(KhRecogniser rec) try {
    KH_FRAME_GUARD(-1, 0);
    kh::RecogniserRecord *record = EnterWithRecogniser("khRecFinalise", rec);
    if (!record) return -1;
    return kh::RecFinalise(record);
}
KH_CATCH(-1)

int KHAPI_CALL khRecSetPauseLength(KhRecogniser rec, const char *pause_value) try {
    KH_FRAME_GUARD(-1, 0);
    kh::TraceEnter("khRecSetPauseLength");
    kh::TraceParamPointer(1, "recogniser ptr", rec);
    kh::TraceParamString(2, "pause value", pause_value);
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecSetPauseLength(record, pause_value);
}
KH_CATCH(-1)

int KHAPI_CALL khRecSetOptimisation(KhRecogniser rec, const char *speed_value) try {
    KH_FRAME_GUARD(-1, 0);
    kh::TraceEnter("khRecSetSpeed");
    kh::TraceParamPointer(1, "recogniser ptr", rec);
    kh::TraceParamString(2, "speed value", speed_value);
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecSetSpeed(record, speed_value);
}
KH_CATCH(-1)

int KHAPI_CALL khRecActivateNBest(KhRecogniser rec) try {
    KH_FRAME_GUARD(-1, 0);
    kh::RecogniserRecord *record = EnterWithRecogniser("khRecActivateNBest", rec);
    if (!record) return -1;
    return kh::RecActivateNBest(record);
}
KH_CATCH(-1)

}  // extern "C"
