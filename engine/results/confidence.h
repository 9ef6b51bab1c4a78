// confidence.h - word confidences: how a word's acoustic score
// compares with that of a free phone loop over the same frames.
#ifndef ENGINE_RESULTS_CONFIDENCE_H
#define ENGINE_RESULTS_CONFIDENCE_H

#include "hapi.h"

namespace engine {

// The confidence of a word of `frames` frames whose acoustic score is
// word_ln where the phone loop scores loop_ln over the same frames: the
// posterior of the word against the loop as its one competitor, with the
// scores scaled per frame.  0 for a word without frames.
double word_confidence(double word_ln, double loop_ln, int frames);

// Fills the confidence of every word of the result (once per result).
bool compute_confidences(hapi_res *res);

}  // namespace engine

#endif  // ENGINE_RESULTS_CONFIDENCE_H
