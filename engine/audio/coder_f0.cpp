// coder_f0.cpp - the F0 track of a stretch of samples: one value per frame
// of the coder's model, 0 where unvoiced.
#include "audio/coder.h"
#include "audio/f0_tracker.h"
#include "base/diagnostics.h"

#include <algorithm>

extern "C" {

int hapiCoderGetF0Track(hapiCoderObject coder, const short *samples, int n, float *track) {
    if (engine::fault("hapiCoderGetF0Track")) return -1;
    if (!coder || !coder->fe || n < 0 || (n > 0 && !samples))
        return engine::complain("hapiCoderGetF0Track: needs an initialised coder and samples"), -1;
    int rate = coder->model.samprate;
    int spf = rate / coder->model.frate;
    int frames = (n + spf - 1) / spf;
    if (track && frames > 0) {
        std::vector<float> f0 = pitch::track_f0(samples, n, rate, spf);
        std::copy(f0.begin(), f0.end(), track);
    }
    return frames;
}

}  // extern "C"
