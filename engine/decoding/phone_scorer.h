// phone_scorer.h - the model's context-independent phones scored on an
// utterance's frames by the engine itself, from the model's own Gaussians
// and mixture weights: what every phone makes of each frame, so that a
// phone can be judged against all its competitors without a second search.
#ifndef ENGINE_DECODING_PHONE_SCORER_H
#define ENGINE_DECODING_PHONE_SCORER_H

#include "base/model.h"
#include "base/utterance.h"

#include <string>
#include <vector>

namespace engine {

class PhoneScorer {
public:
    static constexpr int kStates = 3;  // emitting states of every phone

    // Reads means, variances and sendump of the model's folder; ok() is
    // false, with the reason in why(), when they cannot be read or do not
    // fit the model.
    explicit PhoneScorer(const Model &m);
    bool ok() const { return why_.empty(); }
    const std::string &why() const { return why_; }
    // The model's context-independent phones, in mdef order.
    const std::vector<std::string> &phones() const { return phones_; }

    // The log likelihood (natural log) of every state of every phone on
    // frames first..end-1 of utt, frame by frame, then phone by phone,
    // then state by state.
    void score(const Utterance &utt, int first, int end, std::vector<float> *ll) const;
    // The best path of each phone through its states, left to right, over
    // `frames` frames of scores made by score() (each state at least one
    // frame when there are frames enough): one total per phone.
    std::vector<double> fits(const float *ll, int frames) const;

private:
    struct Codebook {  // one feature stream of one codebook, by dimension then Gaussian
        std::vector<float> mean, prec;
        std::vector<float> norm;  // the log normaliser of each Gaussian
    };
    bool read(const std::string &dir);
    void feature(const Utterance &utt, int k, float *x) const;

    std::vector<std::string> phones_;
    std::string why_;
    int codebooks_ = 0, streams_ = 0, gaussians_ = 0, senones_ = 0;
    std::vector<int> dims_;        // dimensions of each stream
    std::vector<Codebook> books_;  // codebook by codebook, stream by stream
    std::vector<float> weights_;   // ln weight: [stream][gaussian][ci senone]
    std::vector<int> book_of_;     // the codebook of each context-independent senone
};

}  // namespace engine

#endif  // ENGINE_DECODING_PHONE_SCORER_H
