// confidence.h - word confidences: how a word's acoustic score
// compares with that of a free phone loop over the same frames.
#ifndef ENGINE_RESULTS_CONFIDENCE_H
#define ENGINE_RESULTS_CONFIDENCE_H

#include "audio/utterance.h"
#include "decoding/model.h"
#include "hapi.h"

#include <vector>

namespace engine {

class Scorer {
public:
    // Takes ownership of the decoder, on which it sets up the phone loop.
    Scorer(ps_decoder_t *ps, const Model &m);
    ~Scorer();
    Scorer(const Scorer &) = delete;
    Scorer &operator=(const Scorer &) = delete;

    // The phone loop's best-path acoustic score of each of the first n
    // frames of the utterance (natural log).  False when decoding fails.
    bool loop_scores(const Utterance &utt, int n, std::vector<double> *per_frame);

private:
    ps_decoder_t *ps_;
    bool ready_ = false;
};

// The confidence of a word of `frames` frames whose acoustic score is
// word_ln where the phone loop scores loop_ln over the same frames: the
// posterior of the word against the loop as its one competitor, with the
// scores scaled per frame.  0 for a word without frames.
double word_confidence(double word_ln, double loop_ln, int frames);

// Fills the confidence of every word of the result (once per result).
bool compute_confidences(hapi_res *res);

}  // namespace engine

#endif  // ENGINE_RESULTS_CONFIDENCE_H
