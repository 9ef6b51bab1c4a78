// front_end.h - turning samples into the normalised cepstra the
// decoder reads, for a whole file at once or for live input as it comes.
#ifndef ENGINE_AUDIO_FRONT_END_H
#define ENGINE_AUDIO_FRONT_END_H

#include "base/model.h"
#include "base/utterance.h"

typedef struct fe_s fe_t;
typedef struct cmd_ln_s cmd_ln_t;

namespace engine {

class FrontEnd {
public:
    // Uses the model's own front-end parameters (feat.params).
    explicit FrontEnd(const Model &m);
    ~FrontEnd();
    FrontEnd(const FrontEnd &) = delete;
    FrontEnd &operator=(const FrontEnd &) = delete;
    bool ok() const { return fe_ != nullptr; }

    // All frames of u.samples, normalised with the whole utterance's mean:
    // what the model was trained with.
    bool whole(Utterance *u);

    // Live input: frames are made as samples arrive and normalised with a
    // running mean that starts from the model's prior.
    bool start(Utterance *u);
    bool feed(Utterance *u, const short *s, int n);
    bool finish(Utterance *u);

private:
    bool renew();
    void append_frames(Utterance *u, float **rows, int n);
    void mark_speech(Utterance *u, int first);

    fe_t *fe_ = nullptr;
    cmd_ln_t *config_ = nullptr;
    std::vector<double> prior_;  // the model's initial cepstral mean
    std::vector<double> sum_;    // live: sum of the frames so far
    int live_frames_ = 0;
    double floor_db_ = 0.0;      // live: estimated background level
    bool was_periodic_ = false;  // live: the frame before was periodic
    double spread_db_ = 0.0;     // live: how far the background strays above its floor
    int rate_ = 16000;           // samples per second
};

}  // namespace engine

#endif  // ENGINE_AUDIO_FRONT_END_H
