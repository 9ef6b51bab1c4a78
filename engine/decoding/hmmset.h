// hmmset.h - the HMM set object: an acoustic model, loaded once and shared
// by the networks and recognisers made for it.
#ifndef ENGINE_DECODING_HMMSET_H
#define ENGINE_DECODING_HMMSET_H

#include "base/model.h"
#include "hapi.h"

#include <memory>
#include <string>

namespace engine {
class PhoneScorer;
class Redecoder;
}  // namespace engine

struct hapi_hmmset {
    engine::Model model;
    std::string background;  // BKHMMNAME as given at creation
    bool loaded = false;
    std::shared_ptr<const engine::PhoneScorer> phone_scorer;  // phones and confidences, made at loading
    std::shared_ptr<engine::Redecoder> redecoder;             // alternatives (N-best)
};

#endif  // ENGINE_DECODING_HMMSET_H
