// result_exports.cpp - the word and phone result queries: their call
// frame, then the work in results/.
#include "khapi.h"

#include "frame/checks.h"
#include "frame/trace.h"
#include "results/results.h"

namespace {

constexpr float kScoreNoOp = 100.0f;
constexpr float kConfNoOp = 2.0f;

void Clear(char *text) {
    if (text) text[0] = '\0';
}

void EnterIndexed(const char *name, KhRecogniser rec, int index, const char *index_label) {
    kh::TraceEnter(name);
    kh::TraceParamPointer(1, "recogniser ptr", rec);
    kh::TraceParamInt(2, index_label, index);
}

// Entry, parameters and checks of the queries on a range of words.
kh::RecogniserRecord *EnterRange(const char *name, KhRecogniser rec, int start, int end) {
    EnterIndexed(name, rec, start, "start index");
    kh::TraceParamInt(3, "end index", end);
    return kh::CheckRecogniser(rec);
}

// Entry and parameters of the queries on one phone of a word, which write
// a name into `text`.
void EnterPhone(const char *name, KhRecogniser rec, int word, int phone, const char *text_label, char *text) {
    Clear(text);
    EnterIndexed(name, rec, word, "word index");
    kh::TraceParamInt(3, "phone index", phone);
    kh::TraceParamPointer(4, text_label, text);
}

// Entry and parameters of the queries on a range of phones of a word.
void EnterPhoneRange(const char *name, KhRecogniser rec, int word, int start, int end) {
    EnterIndexed(name, rec, word, "word index");
    kh::TraceParamInt(3, "start index", start);
    kh::TraceParamInt(4, "end index", end);
}

}  // namespace

extern "C" {

int KHAPI_CALL khRecGetWords(KhRecogniser rec, char *results_string) try {
    KH_FRAME_GUARD(-1, 0);
    Clear(results_string);
    kh::TraceEnter("khRecGetWords");
    kh::TraceParamPointer(1, "recogniser ptr", rec);
    kh::TraceParamPointer(2, "results string", results_string);
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecGetWords(record, results_string);
}
KH_CATCH(-1)

int KHAPI_CALL khRecGetWordName(KhRecogniser rec, int word_index, char *word_name) try {
    KH_FRAME_GUARD(-1, 0);
    Clear(word_name);
    EnterIndexed("khRecGetWordName", rec, word_index, "word index");
    kh::TraceParamPointer(3, "word name", word_name);
    if (!kh::CheckPointer(word_name)) return -1;
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecGetWordName(record, word_index, word_name);
}
KH_CATCH(-1)

int KHAPI_CALL khRecGetResSyntaxName(KhRecogniser rec, int word_index, char *sublat_name) try {
    KH_FRAME_GUARD(-1, 0);
    Clear(sublat_name);
    EnterIndexed("khRecGetResSyntaxName", rec, word_index, "word index");
    kh::TraceParamPointer(3, "sublat name", sublat_name);
    if (!kh::CheckPointer(sublat_name)) return -1;
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecGetResSyntaxName(record, word_index, sublat_name);
}
KH_CATCH(-1)

int KHAPI_CALL khRecGetWordTimes(KhRecogniser rec, int word_index, double *start_time, double *end_time) try {
    KH_FRAME_GUARD(-1, 0);
    return kh::RecGetWordTimesCall(rec, word_index, start_time, end_time);
}
KH_CATCH(-1)

int KHAPI_CALL khRecGetWordInfo(KhRecogniser rec, int word_index, char *pronunciation_info) try {
    KH_FRAME_GUARD(-1, 0);
    Clear(pronunciation_info);
    EnterIndexed("khRecGetWordInfo", rec, word_index, "word index");
    kh::TraceParamPointer(3, "pronunciation info", pronunciation_info);
    // The engine would write the symbol through this pointer: refuse null.
    if (!kh::CheckPointer(pronunciation_info)) return -1;
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecGetWordInfo(record, word_index, pronunciation_info);
}
KH_CATCH(-1)

int KHAPI_CALL khRecGetNextBest(KhRecogniser rec, int start_index, int end_index, char *next_best_string) try {
    KH_FRAME_GUARD(-1, 0);
    Clear(next_best_string);
    EnterIndexed("khRecGetNextBest", rec, start_index, "start index");
    kh::TraceParamInt(3, "end index", end_index);
    kh::TraceParamPointer(4, "next best string", next_best_string);
    if (!kh::CheckPointer(next_best_string)) return -1;
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecGetNextBest(record, start_index, end_index, next_best_string);
}
KH_CATCH(-1)

float KHAPI_CALL khRecGetWordScore(KhRecogniser rec, int start_index, int end_index) try {
    KH_FRAME_GUARD(KH_FLOAT_FAIL, kScoreNoOp);
    kh::RecogniserRecord *record = EnterRange("khRecGetWordScore", rec, start_index, end_index);
    if (!record) return KH_FLOAT_FAIL;
    return kh::RecGetWordScore(record, start_index, end_index);
}
KH_CATCH(KH_FLOAT_FAIL)

float KHAPI_CALL khRecGetWordConf(KhRecogniser rec, int start_index, int end_index) try {
    KH_FRAME_GUARD(KH_FLOAT_FAIL, kConfNoOp);
    kh::RecogniserRecord *record = EnterRange("khRecGetWordConf", rec, start_index, end_index);
    if (!record) return KH_FLOAT_FAIL;
    return kh::RecGetWordConf(record, start_index, end_index);
}
KH_CATCH(KH_FLOAT_FAIL)

int KHAPI_CALL khRecGetPhone(KhRecogniser rec, int word_index, int phone_index, char *phone_name) try {
    KH_FRAME_GUARD(-1, 0);
    EnterPhone("khRecGetPhone", rec, word_index, phone_index, "phone string array", phone_name);
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecGetPhone(record, word_index, phone_index, phone_name);
}
KH_CATCH(-1)

int KHAPI_CALL khRecGetPhoneHeard(KhRecogniser rec, int word_index, int phone_index, char *heard) try {
    KH_FRAME_GUARD(-1, 0);
    EnterPhone("khRecGetPhoneHeard", rec, word_index, phone_index, "phone heard", heard);
    if (!kh::g_state->phone_confidences)
        return kh::Failure("khRecGetPhoneHeard: Phone level confidences are off (PHONECONF is not set)");
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecGetPhoneHeard(record, word_index, phone_index, heard);
}
KH_CATCH(-1)

int KHAPI_CALL khRecGetPhones(KhRecogniser rec, int word_index, char *phone_string) try {
    KH_FRAME_GUARD(-1, 0);
    Clear(phone_string);
    EnterIndexed("khRecGetPhones", rec, word_index, "word index");
    kh::TraceParamPointer(3, "phone string array", phone_string);
    if (!kh::CheckPointer(phone_string)) return -1;
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return -1;
    return kh::RecGetPhones(record, word_index, phone_string);
}
KH_CATCH(-1)

int KHAPI_CALL khRecGetPhoneTimes(KhRecogniser rec, int word_index, int phone_index, double *start_time,
                                  double *end_time) try {
    KH_FRAME_GUARD(-1, 0);
    return kh::RecGetPhoneTimesCall(rec, word_index, phone_index, start_time, end_time);
}
KH_CATCH(-1)

float KHAPI_CALL khRecGetPhoneScore(KhRecogniser rec, int word_index, int start_index, int end_index) try {
    KH_FRAME_GUARD(KH_FLOAT_FAIL, kScoreNoOp);
    EnterPhoneRange("khRecGetPhoneScore", rec, word_index, start_index, end_index);
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return KH_FLOAT_FAIL;
    return kh::RecGetPhoneScore(record, word_index, start_index, end_index);
}
KH_CATCH(KH_FLOAT_FAIL)

float KHAPI_CALL khRecGetPhoneConf(KhRecogniser rec, int word_index, int start_index, int end_index) try {
    KH_FRAME_GUARD(KH_FLOAT_FAIL, kConfNoOp);
    EnterPhoneRange("khRecGetPhoneConf", rec, word_index, start_index, end_index);
    if (!kh::g_state->phone_confidences) {
        return kh::FloatFailure("khRecGetPhoneConf: Phone level confidence results not yet implemented");
    }
    kh::RecogniserRecord *record = kh::CheckRecogniser(rec);
    if (!record) return KH_FLOAT_FAIL;
    return kh::RecGetPhoneConf(record, word_index, start_index, end_index);
}
KH_CATCH(KH_FLOAT_FAIL)

}  // extern "C"
