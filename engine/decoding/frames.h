// frames.h - handing stored frames to a PocketSphinx decoder so that the
// frame numbers it reports are true times.
//
// The decoder computes its dynamic features from the frames it is given
// as they come.  Two habits of that computation have to be met: when the
// first block of an utterance holds 16 frames or more, the first frames'
// features are lost and every later frame is numbered early by the
// feature window (3 frames, 30 ms, for the packaged model); and at the end
// of the utterance the last frames' features wait for right context that
// never comes, so those frames are never decoded.  A first block of one
// frame avoids the first; the second is met by giving the last frame
// again as right context, which is exactly the padding the decoder uses
// when it is given a whole utterance at once.
#ifndef ENGINE_DECODING_FRAMES_H
#define ENGINE_DECODING_FRAMES_H

#include "base/utterance.h"

typedef struct ps_decoder_s ps_decoder_t;

namespace engine {

class FrameFeeder {
public:
    explicit FrameFeeder(ps_decoder_t *ps) : ps_(ps) {}
    // Gives frames first..end-1 of u to the decoder's current utterance;
    // the first call of an utterance starts with a block of one frame.
    bool feed(const Utterance &u, int first, int end);
    // Gives the right context of frame end-1: the frames that follow it
    // in u, else the frame itself again.  Call once, before ps_end_utt.
    bool finish(const Utterance &u, int end);
    int fed() const { return fed_; }

private:
    bool give(float **rows, int n);
    ps_decoder_t *ps_;
    int fed_ = 0;
};

// Decodes frames first..end-1 of u as one utterance of its own.
bool decode_stretch(ps_decoder_t *ps, const Utterance &u, int first, int end);

}  // namespace engine

#endif  // ENGINE_DECODING_FRAMES_H
