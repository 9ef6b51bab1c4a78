// rec_api.h - the work of the recogniser exports after their entry and
// parameter traces.  Each runs its own checks in the order its export
// needs and writes its own failure message or return and Leaving lines.
#ifndef KH_REC_REC_API_H
#define KH_REC_REC_API_H

#include "rec/recogniser.h"

namespace kh {

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

#endif  // KH_REC_REC_API_H
