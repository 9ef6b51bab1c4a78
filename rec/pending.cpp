// pending.cpp - recogniser exports whose work is not built yet.
#include "frame/pending.h"
#include "rec/rec_api.h"

namespace kh {

RecogniserRecord *RecCreate() { return Pending("khRecCreate"), nullptr; }
int RecDelete(RecogniserRecord *) { return Pending("khRecDelete"); }
int RecPrepare(RecogniserRecord *, const void *, const char *, const char *) { return Pending("khRecPrepare"); }
int RecDoWholeSent(RecogniserRecord *) { return Pending("khRecDoWholeSent"); }
int RecDoPartSent(RecogniserRecord *, int) { return Pending("khRecDoPartSent"); }
int RecFinalise(RecogniserRecord *) { return Pending("khRecFinalise"); }
int RecSetPauseLength(RecogniserRecord *, const char *) { return Pending("khRecSetPauseLength"); }
int RecSetSpeed(RecogniserRecord *, const char *) { return Pending("khRecSetSpeed"); }
int RecActivateNBest(RecogniserRecord *) { return Pending("khRecActivateNBest"); }
int FreeRec(RecogniserRecord *) { return -1; }

}  // namespace kh
