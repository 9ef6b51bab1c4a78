// rec.h - the record behind a recogniser handle, and the work of the
// recogniser exports after their entry and parameter traces.
#ifndef KH_REC_REC_H
#define KH_REC_REC_H

#include "dict/dict.h"
#include "frame/checks.h"

namespace kh {

enum RecStatus : int32_t {
    REC_IDLE = 0,
    REC_PROCESSING = 1,
    REC_COMPLETE = 2,
    REC_PREPARED = 3,
};

// What the last size query of the samples, or of the F0 track, answered:
// the source it read (see SourceKey in audio/) and the count it gave.  The
// call that then fills the caller's buffer reads the source again, and
// must not write more than was announced.
struct SizeAnswer {
    uint64_t source = 0;
    int32_t count = -1;
};

struct RecogniserRecord : RecordHead {
    RecogniserRecord() : RecordHead(kRecogniserTag) {}
    int32_t status = REC_IDLE;
    hapiSourceObject live_source = nullptr;
    hapiCoderObject live_coder = nullptr;
    hapiSourceObject file_source = nullptr;
    hapiCoderObject file_coder = nullptr;
    hapiSourceObject current_source = nullptr;
    hapiCoderObject current_coder = nullptr;
    hapiHMMSetObject hmm_set = nullptr;
    hapiNetObject network = nullptr;
    hapiRecObject engine_rec = nullptr;
    hapiResObject interim_result = nullptr;
    hapiResObject final_result = nullptr;
    hapiLatObject results_lattice = nullptr;
    float general_beam = 0;  // the beams and the pause length: the system's at creation
    float opt_beam = 0;
    int32_t sil_seq_count = 0;
    int32_t nbest_count = 1;
    int32_t token_count = 1;
    int32_t nbest_rank = 1;
    int32_t nbest_start = 0;
    int32_t nbest_end = 0;
    uint32_t utterances = 0;  // preparations so far: which utterance the recogniser holds
    SizeAnswer speech_size;
    SizeAnswer f0_size;
};

// The entry of a vocabulary's list of recognisers; new entries go to the
// front.
struct RecogniserNode {
    RecogniserRecord *rec = nullptr;
    RecogniserNode *next = nullptr;
};

// The record behind a live recogniser handle of the current exercise, or
// null after logging why.
RecogniserRecord *CheckRecogniser(const void *handle);

RecogniserRecord *RecCreate();
int RecDelete(RecogniserRecord *rec);
int RecPrepare(RecogniserRecord *rec, const void *syntax_handle, const char *wav, const char *map);
int RecDoWholeSent(RecogniserRecord *rec);
int RecDoPartSent(RecogniserRecord *rec, int frames);
int RecFinalise(RecogniserRecord *rec);
int RecSetPauseLength(RecogniserRecord *rec, const char *value);
int RecSetSpeed(RecogniserRecord *rec, const char *value);
int RecActivateNBest(RecogniserRecord *rec);

// Releases a recogniser's engine objects and its record; -1 when an
// engine call fails.
int FreeRec(RecogniserRecord *rec);

}  // namespace kh

#endif  // KH_REC_REC_H
