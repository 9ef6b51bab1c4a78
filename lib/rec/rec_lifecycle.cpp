// lifecycle.cpp - creating, rebuilding and freeing recognisers, and the
// list each vocabulary keeps of them.
#include "frame/checks.h"
#include "frame/records.h"
#include "frame/trace.h"
#include "rec/rec.h"
#include "rec/rec_internal.h"

namespace kh {

namespace {

// Engine deletions that clear the field as the object goes, so that no
// object is deleted or used twice after a failure half way.
template <typename Handle>
int DeleteField(Handle &field, int (*remove)(Handle)) {
    if (!field) return 0;
    int r = remove(field);
    field = nullptr;
    return r;
}

void InitRecogniserRecord(RecogniserRecord *rec) {
    rec->owner = g_state->current_vocab;
    rec->general_beam = g_state->general_beam;
    rec->opt_beam = g_state->opt_beam;
    rec->sil_seq_count = g_state->sil_seq_count;
}

// Makes the engine recogniser and its two result objects.
bool MakeEngineRecogniser(RecogniserRecord *rec) {
    rec->engine_rec = hapiCreateRecObject(HAPI_NETWORK_KIND, 1, rec->hmm_set, 0);
    if (!rec->engine_rec || hapiRecInitialise(rec->engine_rec) < 0) return false;
    rec->interim_result = hapiCreateResObject(rec->engine_rec, HAPI_INTERIM_RESULT);
    rec->final_result = hapiCreateResObject(rec->engine_rec, HAPI_FINAL_RESULT);
    return true;
}

int CreateRecogniserObjects(RecogniserRecord *rec) {
    ModelRecord *model = rec->owner->model;
    rec->file_source = nullptr;
    rec->file_coder = nullptr;
    rec->live_source = hapiCreateSourceObject(HAPI_LIVE_SOURCE);
    if (!rec->live_source || hapiSourceInitialise(rec->live_source) < 0) {
        return Failure("khRecCreate: Error setting up the audio");
    }
    rec->live_coder = hapiCreateCoderObject(rec->live_source);
    if (!rec->live_coder || hapiCoderInitialise(rec->live_coder, model->name) < 0) {
        return Failure("khRecCreate: Error setting up the channel");
    }
    rec->current_source = rec->live_source;
    rec->current_coder = rec->live_coder;
    rec->hmm_set = model->hmm_set;
    rec->network = nullptr;
    if (!MakeEngineRecogniser(rec)) {
        return Failure("khRecCreate: Error initialising recogniser");
    }
    rec->results_lattice = nullptr;
    return 1;
}

// Deletes every engine object of the record; -1 at the first failure.
int ReleaseObjects(RecogniserRecord *rec) {
    if (DeleteField(rec->final_result, hapiDeleteResObject) < 0) return -1;
    if (DeleteField(rec->interim_result, hapiDeleteResObject) < 0) return -1;
    if (DeleteField(rec->engine_rec, hapiDeleteRecObject) < 0) return -1;
    if (DeleteField(rec->network, hapiDeleteNetObject) < 0) return -1;
    if (DeleteField(rec->results_lattice, hapiDeleteLatObject) < 0) return -1;
    if (DeleteField(rec->live_coder, hapiDeleteCoderObject) < 0) return -1;
    if (DeleteField(rec->live_source, hapiDeleteSourceObject) < 0) return -1;
    if (DeleteField(rec->file_coder, hapiDeleteCoderObject) < 0) return -1;
    if (DeleteField(rec->file_source, hapiDeleteSourceObject) < 0) return -1;
    rec->current_source = nullptr;
    rec->current_coder = nullptr;
    return 1;
}

// RemoveRecogniser: unlinks the record from the vocabulary's list, then
// frees it.
int RemoveRecogniser(VocabRecord *vocab, RecogniserRecord *rec) {
    for (RecogniserNode **link = &vocab->recognisers; *link; link = &(*link)->next) {
        if ((*link)->rec != rec) continue;
        RecogniserNode *node = *link;
        *link = node->next;
        delete node;
        return FreeRec(rec) == 1 ? 1 : -1;
    }
    return -1;
}

}  // namespace

RecogniserRecord *CheckRecogniser(const void *handle) {
    auto *rec = static_cast<RecogniserRecord *>(CheckHandle(handle, kRecogniserTag, "recogniser"));
    if (rec) TraceLine("SysCheck: Valid recogniser");
    return rec;
}

void ApplyRecogniserConfig(RecogniserRecord *rec) {
    hapiOverrideConfInt("SILSEQCOUNT", &rec->sil_seq_count);
    hapiOverrideConfFlt("GENBEAM", &rec->general_beam);
    hapiOverrideConfFlt("GOPTBEAM", &rec->opt_beam);
    hapiOverrideConfInt("NBEST", &rec->nbest_count);
    hapiOverrideConfInt("NTOKS", &rec->token_count);
}

int WindDown(RecogniserRecord *rec) {
    switch (rec->status) {
    case REC_PROCESSING:
        if (hapiSourceStop(rec->current_source) < 0) return -1;
        [[fallthrough]];
    case REC_PREPARED:
        if (rec->engine_rec && hapiRecComplete(rec->engine_rec, nullptr) < 0) return -1;
        if (hapiCoderComplete(rec->current_coder) < 0) return -1;
        break;
    case REC_COMPLETE:
        if (hapiCoderComplete(rec->current_coder) < 0) return -1;
        if (rec->final_result && hapiResClear(rec->final_result) < 0) return -1;
        break;
    case REC_IDLE:
        break;
    default:
        LogError("FreeRec: Unknown status of recogniser");
        break;
    }
    if (DeleteField(rec->results_lattice, hapiDeleteLatObject) < 0) return -1;
    DeleteField(rec->network, hapiDeleteNetObject);
    rec->status = REC_IDLE;
    return 1;
}

namespace {

// The utterance a rebuilt recogniser holds goes on on the new engine
// recogniser, so that nothing of the old one is used again: a prepared or
// running one is prepared again on the same coder and network (a running
// one then decodes from the utterance's first frame), and a completed one
// is recognised again, so that its results stay readable.
int Resume(RecogniserRecord *rec) {
    if (rec->status == REC_IDLE) return 1;
    if (hapiRecPrepare(rec->engine_rec, rec->current_coder, rec->network) < 0) return -1;
    if (rec->status != REC_COMPLETE) return 1;
    if (DeleteField(rec->results_lattice, hapiDeleteLatObject) < 0) return -1;
    rec->nbest_rank = 1;
    rec->nbest_start = 0;
    rec->nbest_end = 0;
    int r;
    while ((r = hapiRecRemaining(rec->engine_rec)) > 0)
        if (hapiRecProcess(rec->engine_rec, kWholeStepFrames, nullptr) < 0) return -1;
    if (r == HAPI_REMAINING_FAIL) return -1;
    return hapiRecComplete(rec->engine_rec, rec->final_result) < 0 ? -1 : 1;
}

// An utterance that could not go on is ended without the engine
// recogniser, which holds none of it, so that the recogniser can still be
// prepared again and deleted.
void Abandon(RecogniserRecord *rec) {
    if (rec->status == REC_PROCESSING) hapiSourceStop(rec->current_source);
    if (rec->status != REC_IDLE) hapiCoderComplete(rec->current_coder);
    DeleteField(rec->results_lattice, hapiDeleteLatObject);
    DeleteField(rec->network, hapiDeleteNetObject);
    rec->status = REC_IDLE;
}

// Replaces the engine recogniser and its results; the message of the step
// that failed, or null.
const char *Rebuild(RecogniserRecord *rec) {
    ApplyRecogniserConfig(rec);
    if (DeleteField(rec->final_result, hapiDeleteResObject) < 0) return "ReinitRecogniser: Error deleting the results";
    if (DeleteField(rec->interim_result, hapiDeleteResObject) < 0)
        return "ReinitRecogniser: Error deleting the intermediate results";
    if (DeleteField(rec->engine_rec, hapiDeleteRecObject) < 0) return "ReinitRecogniser: Error deleting the recogniser";
    if (!MakeEngineRecogniser(rec)) return "ReinitRecogniser: Error initialising recogniser";
    hapiResSetAttachment(rec->final_result, rec);
    hapiResSetAttachment(rec->interim_result, rec);
    if (Resume(rec) < 0) return "ReinitRecogniser: Error initialising recogniser";
    return nullptr;
}

}  // namespace

int ReinitRecogniser(RecogniserRecord *rec) {
    const char *failure = Rebuild(rec);
    if (!failure) return 1;
    LogError(failure);
    Abandon(rec);
    return -1;
}

RecogniserRecord *RecCreate() {
    auto *rec = new RecogniserRecord();
    InitRecogniserRecord(rec);
    ApplyRecogniserConfig(rec);
    int made;
    try {
        made = CreateRecogniserObjects(rec);
    } catch (...) {  // memory ran out: what was made goes, and the export says so
        ReleaseObjects(rec);
        delete rec;
        throw;
    }
    if (made < 0) {
        ReleaseObjects(rec);
        delete rec;
        return nullptr;
    }
    auto *node = new RecogniserNode();
    node->rec = rec;
    node->next = g_state->current_vocab->recognisers;
    g_state->current_vocab->recognisers = node;
    RegisterHandle(rec);
    TraceReturnPointer("khRecCreate", rec);
    TraceLeave("khRecCreate");
    return rec;
}

int FreeRec(RecogniserRecord *rec) {
    if (WindDown(rec) < 0) return -1;
    rec->tag = 0;
    UnregisterHandle(rec);
    if (ReleaseObjects(rec) < 0) return -1;
    RetireRecord(rec);
    return 1;
}

int RecDelete(RecogniserRecord *rec) {
    if (RemoveRecogniser(g_state->current_vocab, rec) < 0) {
        return Failure("khRecDelete: Unable to free recogniser");
    }
    return Success("khRecDelete", 1);
}

}  // namespace kh
