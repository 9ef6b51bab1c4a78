// utterance.h - the samples and features of one utterance.
//
// Shared between the coder that fills it and the results that refer to
// it, so a result stays readable while the coder moves on.  Frame k of an
// utterance always starts at k times the frame period.
#ifndef ENGINE_BASE_UTTERANCE_H
#define ENGINE_BASE_UTTERANCE_H

#include <algorithm>
#include <cstddef>
#include <vector>

namespace engine {

struct Utterance {
    static constexpr int kCepLen = 13;
    int samples_per_frame = 160;
    std::vector<short> samples;         // at the model's rate
    std::vector<float> cep;             // kCepLen normalised values per frame
    std::vector<unsigned char> speech;  // per frame: 1 when it sounds like speech
    bool complete = false;              // no more frames will come

    int frames() const { return static_cast<int>(cep.size() / kCepLen); }
    // Keeps the first `n` frames and their samples only; no more will come.
    void cut(int n) {
        if (n < frames()) {
            cep.resize(static_cast<size_t>(n) * kCepLen);
            speech.resize(std::min(speech.size(), static_cast<size_t>(n)));
            samples.resize(std::min(samples.size(), static_cast<size_t>(n) * samples_per_frame));
        }
        complete = true;
    }
    const float *frame(int k) const { return cep.data() + static_cast<size_t>(k) * kCepLen; }
};

}  // namespace engine

#endif  // ENGINE_BASE_UTTERANCE_H
