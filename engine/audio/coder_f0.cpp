// coder_f0.cpp - the F0 track of a stretch of samples: one value per frame
// of the coder's model, by normalised autocorrelation, 0 where unvoiced.
#include "audio/coder.h"
#include "base/diagnostics.h"

#include <cmath>

namespace {

const double kLowestF0 = 60.0, kHighestF0 = 400.0;
// The autocorrelation peak a voiced frame must reach, and the level (dB of
// the mean square) below which a frame counts as silent.
const double kVoicedPeak = 0.5;
const double kSilentDb = 30.0;

// F0 of the window centred on `centre`, or 0 when it is not voiced.
float frame_f0(const short *s, int n, int centre, int rate) {
    int max_lag = static_cast<int>(rate / kLowestF0), min_lag = static_cast<int>(rate / kHighestF0);
    int len = 2 * max_lag;
    int from = centre - len / 2;
    if (from < 0) from = 0;
    if (from + len + max_lag > n) return 0.0f;
    double energy = 0.0;
    for (int i = 0; i < len; i++) energy += static_cast<double>(s[from + i]) * s[from + i];
    if (10.0 * log10(energy / len + 1.0) < kSilentDb) return 0.0f;
    double best = 0.0;
    int best_lag = 0;
    for (int lag = min_lag; lag <= max_lag; lag++) {
        double xy = 0.0, yy = 0.0;
        for (int i = 0; i < len; i++) {
            double y = s[from + i + lag];
            xy += s[from + i] * y;
            yy += y * y;
        }
        double r = yy > 0 ? xy / sqrt(energy * yy) : 0.0;
        if (r > best) best = r, best_lag = lag;
    }
    return best >= kVoicedPeak ? static_cast<float>(rate) / best_lag : 0.0f;
}

}  // namespace

extern "C" {

int hapiCoderGetF0Track(hapiCoderObject coder, const short *samples, int n, float *track) {
    if (engine::fault("hapiCoderGetF0Track")) return -1;
    if (!coder || !coder->fe || n < 0 || (n > 0 && !samples))
        return engine::complain("hapiCoderGetF0Track: needs an initialised coder and samples"), -1;
    int rate = coder->model.samprate;
    int spf = rate / coder->model.frate;
    int frames = (n + spf - 1) / spf;
    if (track)
        for (int k = 0; k < frames; k++) track[k] = frame_f0(samples, n, k * spf + spf / 2, rate);
    return frames;
}

}  // extern "C"
