// frames.cpp - stored frames to a decoder, with true frame numbers.
#include "decoding/frames.h"

#include <pocketsphinx.h>
#include <sphinxbase/feat.h>

#include <algorithm>
#include <vector>

namespace engine {

bool FrameFeeder::give(float **rows, int n) {
    if (n <= 0) return true;
    if (ps_process_cep(ps_, rows, n, FALSE, FALSE) < 0) return false;
    fed_ += n;
    return true;
}

bool FrameFeeder::feed(const Utterance &u, int first, int end) {
    std::vector<float *> rows;
    for (int k = first; k < end; k++) rows.push_back(const_cast<float *>(u.frame(k)));
    int lead = fed_ == 0 ? std::min<int>(1, static_cast<int>(rows.size())) : 0;
    return give(rows.data(), lead) && give(rows.data() + lead, static_cast<int>(rows.size()) - lead);
}

bool FrameFeeder::finish(const Utterance &u, int end) {
    if (end <= 0) return true;
    int window = feat_window_size(ps_get_feat(ps_));
    std::vector<float *> rows;
    for (int k = 0; k < window; k++) rows.push_back(const_cast<float *>(u.frame(std::min(end + k, u.frames() - 1))));
    // The context frames are not decoded themselves: they only complete the
    // features of the frames before them.
    int before = fed_;
    bool ok = give(rows.data(), window);
    fed_ = before;
    return ok;
}

bool decode_stretch(ps_decoder_t *ps, const Utterance &u, int first, int end) {
    if (ps_start_utt(ps) < 0) return false;
    FrameFeeder feeder(ps);
    bool ok = feeder.feed(u, first, end) && feeder.finish(u, end);
    return ps_end_utt(ps) >= 0 && ok;
}

}  // namespace engine
