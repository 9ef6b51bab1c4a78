// run.cpp - running the recognition of one utterance, whole or step by
// step, and finalising it.
#include "frame/trace.h"
#include "rec/rec.h"
#include "rec/rec_internal.h"

namespace kh {

namespace {

// Processes what remains of the utterance in steps of fixed size; the
// messages carry the name of the export that drains.
int Drain(RecogniserRecord *rec, const char *problem_message, const char *processing_message) {
    for (int r = hapiRecRemaining(rec->engine_rec); r != 0; r = hapiRecRemaining(rec->engine_rec)) {
        if (r == HAPI_REMAINING_FAIL) return Failure(problem_message);
        if (hapiRecProcess(rec->engine_rec, kWholeStepFrames, nullptr) < 0) return Failure(processing_message);
    }
    return 1;
}

void DropResultsLattice(RecogniserRecord *rec) {
    if (!rec->results_lattice) return;
    hapiDeleteLatObject(rec->results_lattice);
    rec->results_lattice = nullptr;
}

// khRecDoPartSent(-1) while processing: stop the source, process what it
// delivered, complete the result.
int Stop(RecogniserRecord *rec) {
    DropResultsLattice(rec);
    if (hapiResClear(rec->interim_result) < 0) return Failure("khRecDoPartSent: Error clearing the results");
    if (hapiSourceStop(rec->current_source) < 0) return Failure("khRecDoPartSent: Error stopping the source");
    if (Drain(rec, "khRecDoPartSent: Problem during recognition",
              "khRecDoPartSent: Error processing the observations") < 0)
        return -1;
    if (hapiRecComplete(rec->engine_rec, rec->final_result) < 0)
        return Failure("khRecDoPartSent: Error completing the recognition");
    rec->status = REC_COMPLETE;
    return 0;
}

// Opens a part-sentence step according to the status; -1 after logging.
int OpenStep(RecogniserRecord *rec) {
    switch (rec->status) {
    case REC_PREPARED:
        if (hapiSourceStart(rec->current_source) < 0) return Failure("khRecDoPartSent: Error starting the source");
        return 1;
    case REC_PROCESSING:
        DropResultsLattice(rec);
        if (hapiResClear(rec->interim_result) < 0) return Failure("khRecDoPartSent: Error clearing the results");
        return 1;
    default:
        return Failure("khRecDoPartSent: Recogniser at incorrect status");
    }
}

}  // namespace

int RecDoWholeSent(RecogniserRecord *rec) {
    // Only a prepared recogniser has a source, a network and a prepared
    // engine recogniser to run; anything else is refused here rather than
    // left to the engine.
    if (rec->status != REC_PREPARED) return Failure("khRecDoWholeSent: Recogniser has not been prepared");
    if (hapiSourceStart(rec->current_source) < 0) return Failure("khRecDoWholeSent: Error starting the source");
    if (Drain(rec, "khRecDoWholeSent: Problem during recognition",
              "khRecDoWholeSent: Error processing the observations") < 0)
        return -1;
    if (hapiRecComplete(rec->engine_rec, rec->final_result) < 0)
        return Failure("khRecDoWholeSent: Error completing the recognition");
    if (hapiSourceStop(rec->current_source) < 0) return Failure("khRecDoWholeSent: Error stopping the source");
    rec->status = REC_COMPLETE;
    return Success("khRecDoWholeSent", 1);
}

int RecDoPartSent(RecogniserRecord *rec, int frames) {
    if (frames == -1) {
        if (rec->status != REC_PROCESSING)
            return Failure("khRecDoPartSent: Cannot stop recognition before it has started");
        return Success("khRecDoPartSent", Stop(rec));
    }
    if (OpenStep(rec) < 0) return -1;
    rec->nbest_rank = 1;
    int result;
    if (hapiRecRemaining(rec->engine_rec) == 0) {
        hapiRecComplete(rec->engine_rec, rec->final_result);
        rec->status = REC_COMPLETE;
        if (hapiSourceStop(rec->current_source) < 0) return Failure("khRecDoPartSent: Error stopping the source");
        result = 0;
    } else {
        int p = hapiRecProcess(rec->engine_rec, frames, rec->interim_result);
        if (p == 0) {
            hapiResClear(rec->interim_result);
            hapiRecComplete(rec->engine_rec, rec->final_result);
            rec->status = REC_COMPLETE;
            hapiSourceStop(rec->current_source);
            result = 0;
        } else {
            rec->status = REC_PROCESSING;
            result = p < 0 ? -1 : 1;
        }
    }
    return Success("khRecDoPartSent", result);
}

int RecFinalise(RecogniserRecord *rec) {
    if (rec->status != REC_COMPLETE) return Failure("khRecFinalise: Recogniser has not finished processing");
    if (hapiCoderComplete(rec->current_coder) < 0) return Failure("khRecFinalise: Error clearing the coder");
    if (hapiResClear(rec->final_result) < 0) return Failure("khRecFinalise: Error clearing the results");
    if (rec->results_lattice) {
        if (hapiDeleteLatObject(rec->results_lattice) < 0)
            return Failure("khRecFinalise: Error deleting the results lattice");
        rec->results_lattice = nullptr;
    }
    rec->nbest_rank = 1;
    rec->nbest_start = 0;
    rec->nbest_end = 0;
    if (rec->network) {
        hapiDeleteNetObject(rec->network);
        rec->network = nullptr;
    }
    rec->status = REC_IDLE;
    return Success("khRecFinalise", 1);
}

}  // namespace kh
