// tuning.cpp - pause length, search effort and N-best: each stores the
// new values and rebuilds the engine recogniser, in whatever status the
// recogniser is.
#include "frame/trace.h"
#include "rec/rec.h"
#include "rec/rec_internal.h"
#include "frame/case.h"
#include "system/config_keys.h"

namespace kh {

namespace {

struct PauseLength {
    const char *name;
    int32_t sil_seq_count;
};
constexpr PauseLength kPauseLengths[] = {
    {"SHORT", 60}, {"MEDIUM", static_cast<int32_t>(NumberDefault("SILSEQCOUNT"))}, {"LONG", 150}};

struct Speed {
    const char *name;
    float general_beam;
    float opt_beam;
};
constexpr Speed kSpeeds[] = {
    {"SPEEDBIAS", 125.0f, 15.0f},
    {"NORMAL", static_cast<float>(NumberDefault("GENBEAM")), static_cast<float>(NumberDefault("GOPTBEAM"))},
    {"ACCBIAS", 250.0f, 40.0f}};

// A pause or speed change outside REC_IDLE only warns.
void WarnUnlessIdle(const RecogniserRecord *rec, const char *warning) {
    if (rec->status != REC_IDLE) LogError(warning);
}

template <typename Entry, size_t N>
const Entry *Lookup(const Entry (&table)[N], const char *value) {
    char upper[kNameLen];
    UpperCaseCopy(value ? value : "", upper, kNameLen);
    for (const Entry &e : table)
        if (strcmp(upper, e.name) == 0) return &e;
    return nullptr;
}

int Rebuild(RecogniserRecord *rec, const char *export_name) {
    if (ReinitRecogniser(rec) < 0) return -1;
    return Success(export_name, 1);
}

}  // namespace

int RecSetPauseLength(RecogniserRecord *rec, const char *value) {
    WarnUnlessIdle(rec, "Recogniser must be finalised before altering the pause length");
    const PauseLength *p = Lookup(kPauseLengths, value);
    if (!p) {
        return Failure("khRecSetPauseLength: Invalid name of sil length");
    }
    rec->sil_seq_count = p->sil_seq_count;
    return Rebuild(rec, "khRecSetPauseLength");
}

int RecSetSpeed(RecogniserRecord *rec, const char *value) {
    WarnUnlessIdle(rec, "Recogniser must be finalised before altering the speed");
    const Speed *s = Lookup(kSpeeds, value);
    if (!s) {
        return Failure("khRecSetSpeed: Incorrect parameter for Set Speed");
    }
    rec->general_beam = s->general_beam;
    rec->opt_beam = s->opt_beam;
    return Rebuild(rec, "khRecSetSpeed");
}

int RecActivateNBest(RecogniserRecord *rec) {
    if (rec->status != REC_IDLE) {
        return Failure("khRecActivateNBest: Cannot set the NBest until a recognition has been completed");
    }
    rec->nbest_count = 3;
    rec->token_count = 3;
    return Rebuild(rec, "khRecActivateNBest");
}

}  // namespace kh
