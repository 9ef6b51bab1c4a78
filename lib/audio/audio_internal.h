// audio_internal.h - what the speech utilities share: a file source with
// its coder, made for one call and deleted before it returns.
#ifndef KH_AUDIO_AUDIO_INTERNAL_H
#define KH_AUDIO_AUDIO_INTERNAL_H

#include "frame/state.h"

namespace kh {

// Deletes the coder, then the source, each when there is one.
class SourceAndCoder {
public:
    SourceAndCoder() = default;
    ~SourceAndCoder() { Release(); }
    SourceAndCoder(const SourceAndCoder &) = delete;
    SourceAndCoder &operator=(const SourceAndCoder &) = delete;

    void Release() {
        if (coder) hapiDeleteCoderObject(coder);
        if (source) hapiDeleteSourceObject(source);
        coder = nullptr;
        source = nullptr;
    }

    hapiSourceObject source = nullptr;
    hapiCoderObject coder = nullptr;
};

}  // namespace kh

#endif  // KH_AUDIO_AUDIO_INTERNAL_H
