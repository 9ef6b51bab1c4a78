// audio_exports.cpp - the speech utilities: their call frame, then the
// work in audio/.
#include "khapi.h"

#include "audio/audio.h"
#include "frame/checks.h"
#include "frame/trace.h"

namespace {

void EnterWithFile(const char *name, KhRecogniser rec, const char *file_label, const char *file) {
    kh::TraceEnter(name);
    kh::TraceParamPointer(1, "recogniser ptr", rec);
    kh::TraceParamString(2, file_label, file);
}

}  // namespace

extern "C" {

int KHAPI_CALL khSysGetSpeech(KhRecogniser rec, const char *wav_filename, short *samples) try {
    KH_FRAME_GUARD(-1, 0);
    EnterWithFile("khSysGetSpeech", rec, "wav filename", wav_filename);
    kh::TraceParamPointer(3, "short ptr", samples);
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::SysGetSpeech(record, wav_filename, samples);
}
KH_CATCH(-1)

int KHAPI_CALL khSysGetF0Track(KhRecogniser rec, const char *wav_filename, float *track) try {
    KH_FRAME_GUARD(-1, 0);
    EnterWithFile("khSysGetF0Track", rec, "wav filename", wav_filename);
    kh::TraceParamPointer(3, "float ptr", track);
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::SysGetF0Track(record, wav_filename, track);
}
KH_CATCH(-1)

int KHAPI_CALL khRecSaveSpeech(KhRecogniser rec, const char *save_filename) try {
    KH_FRAME_GUARD(-1, 0);
    EnterWithFile("khRecSaveSpeech", rec, "save filename", save_filename);
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecSaveSpeech(record, save_filename);
}
KH_CATCH(-1)

int KHAPI_CALL khSysPlayPrompt(const char *filename) try {
    KH_FRAME_GUARD(-1, 0);
    kh::TraceEnter("khSysPlayPrompt");
    kh::TraceParamString(1, "filename", filename);
    if (!kh::CheckPointer(filename)) return -1;
    return kh::SysPlayPrompt(filename);
}
KH_CATCH(-1)

int KHAPI_CALL khRecPlayUtterance(KhRecogniser rec, double start_time, double end_time) try {
    KH_FRAME_GUARD(-1, 0);
    kh::TraceEnter("khRecPlayUtterance");
    kh::TraceParamPointer(1, "recogniser ptr", rec);
    kh::TraceParamDouble(2, "start time", start_time);
    kh::TraceParamDouble(3, "end time", end_time);
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecPlayUtterance(record, start_time, end_time);
}
KH_CATCH(-1)

int KHAPI_CALL khSysCalibrateSpeech(float *levels) try {
    KH_FRAME_GUARD(-1, 0);
    kh::TraceEnter("khSysCalibrateSpeech");
    kh::TraceParamPointer(1, "float ptr", levels);
    return kh::SysCalibrateSpeech(levels);
}
KH_CATCH(-1)

}  // extern "C"
