// rec_internal.h - what the recogniser files share.
#ifndef KH_REC_REC_INTERNAL_H
#define KH_REC_REC_INTERNAL_H

#include "rec/rec.h"

namespace kh {

// Frames processed per step of a whole-sentence run and of a stop.
constexpr int kWholeStepFrames = 50;

void ApplyRecogniserConfig(RecogniserRecord *rec);
int ReinitRecogniser(RecogniserRecord *rec);
// Ends the utterance the recogniser holds (stopping its source, completing
// its coder, clearing its result, deleting its network) and makes it idle.
// -1 when an engine call fails.
int WindDown(RecogniserRecord *rec);

}  // namespace kh

#endif  // KH_REC_REC_INTERNAL_H
