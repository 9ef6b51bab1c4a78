// confidence.h - phone and word confidences, and the phone heard: how
// each phone of a result fares against every phone of the model on its
// own frames.
#ifndef ENGINE_RESULTS_CONFIDENCE_H
#define ENGINE_RESULTS_CONFIDENCE_H

#include "hapi.h"

namespace engine {

// Fills the confidence of every word of the result and, in a final
// result, the confidence and the phone heard of every aligned phone (once
// per result).  False when the model's phones cannot be scored.
bool compute_confidences(hapi_res *res);

}  // namespace engine

#endif  // ENGINE_RESULTS_CONFIDENCE_H
