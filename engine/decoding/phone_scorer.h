// phone_scorer.h - the model's phones scored on an utterance's frames by
// the engine itself, from the model's own Gaussians and mixture weights:
// what every phone, between given neighbours, makes of a stretch of
// frames, so that a phone can be judged against all its competitors
// without a second search.
#ifndef ENGINE_DECODING_PHONE_SCORER_H
#define ENGINE_DECODING_PHONE_SCORER_H

#include "base/model.h"
#include "base/utterance.h"
#include "decoding/triphones.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

class PhoneScorer {
public:
    static constexpr int kStates = Triphones::kStates;  // emitting states of every phone
    using States = Triphones::States;

    // A phone's neighbours and place in its word, which choose its states.
    struct Context {
        int left = -1, right = -1;  // phone indices; -1: silence
        Triphones::Position pos = Triphones::kSingle;
    };

    // Frames as scored: the best Gaussians of every codebook on each frame,
    // from which any state's likelihood on the frame follows cheaply.
    struct Frames {
        int count = 0;
        std::vector<float> dens;      // [frame][codebook][stream][best]
        std::vector<uint16_t> which;  // the Gaussians those are
    };

    // Reads mdef, means, variances and sendump of the model; ok() is false,
    // with the reason in why(), when they cannot be read or do not fit the
    // model.
    explicit PhoneScorer(const Model &m);
    bool ok() const { return why_.empty(); }
    const std::string &why() const { return why_; }
    // The model's context-independent phones, in mdef order.
    const std::vector<std::string> &phones() const { return phones_; }

    // Scores frames first..end-1 of utt.
    void score(const Utterance &utt, int first, int end, Frames *f) const;
    // The log likelihood (natural log) of `senone` on frame t of f.
    float state(const Frames &f, int t, int senone) const;
    // The states of `phone` in context.
    States states(int phone, const Context &c) const;
    // The best left-to-right path of every phone, in the context given,
    // through frames a..b-1 of f (each state at least one frame when there
    // are frames enough): one total per phone.  With `best`, also the best
    // state score among them on each of those frames.
    std::vector<double> fits(const Frames &f, int a, int b, const Context &c,
                             std::vector<double> *best = nullptr) const;
    // The first frame of each of a word's phones, given their states, on
    // all of f: the best path through the states in order, where a phone
    // may skip a state as the model's phones do (so at least two frames a
    // phone).  With too few frames for that, the frames are shared out
    // evenly, each phone at least one where there are enough.
    std::vector<int> align(const Frames &f, const std::vector<States> &phones) const;

private:
    struct Codebook {  // one feature stream of one codebook, by dimension then Gaussian
        std::vector<float> mean, prec;
        std::vector<float> norm;  // the log normaliser of each Gaussian
    };
    bool read(const Model &m);
    void feature(const Utterance &utt, int k, float *x) const;
    double path(const Frames &f, int a, int b, const States &s, double *best) const;

    std::vector<std::string> phones_;
    std::string why_;
    Triphones triphones_;
    int codebooks_ = 0, streams_ = 0, gaussians_ = 0, senones_ = 0, silence_ = 0;
    std::vector<int> dims_;               // dimensions of each stream
    std::vector<Codebook> books_;         // codebook by codebook, stream by stream
    std::vector<unsigned char> weights_;  // [senone][stream][gaussian], as stored
    std::vector<int> book_of_;            // the codebook of each senone
};

}  // namespace engine

#endif  // ENGINE_DECODING_PHONE_SCORER_H
