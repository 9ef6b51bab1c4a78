// phone_loop.h - the phone loop scorer: a decoder per acoustic model that
// lets any sequence of the model's phones stand on the frames, so that its
// score stands for every competitor of a word at once.
#ifndef ENGINE_DECODING_PHONE_LOOP_H
#define ENGINE_DECODING_PHONE_LOOP_H

#include "base/model.h"
#include "base/utterance.h"

#include <vector>

typedef struct ps_decoder_s ps_decoder_t;

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

}  // namespace engine

#endif  // ENGINE_DECODING_PHONE_LOOP_H
