// speech_check.cpp - frame levels against the recording's own background.
#include "utterance/speech_check.h"

#include <algorithm>
#include <cmath>

namespace tool {

namespace {

// A frame stands out when it is this far above the quietest tenth of the
// frames and above the level of a sample step or two (a file of digital
// silence with dither in its last bit).  A recording needs a tenth of its
// frames, or 100 ms, to stand out, so that a tightly cut single word
// counts.  Steady white, pink or mains noise stays within 8 dB of its
// quietest tenth; the packaged recordings' speech rises 20 to 35 dB.
constexpr double kAboveBackgroundDb = 12.0, kLeastLevelDb = 10.0;
constexpr size_t kLeastFrames = 10, kShortest = 3;

double FrameDb(const short *s, size_t n) {
    double sum = 0;
    for (size_t i = 0; i < n; i++) sum += static_cast<double>(s[i]) * s[i];
    return 10 * std::log10(sum / static_cast<double>(n) + 1e-10);
}

}  // namespace

bool HasSpeech(const std::vector<short> &samples, int rate) {
    size_t frame = static_cast<size_t>(std::max(1, rate / 100));
    std::vector<double> levels;
    for (size_t i = 0; i + frame <= samples.size(); i += frame) levels.push_back(FrameDb(&samples[i], frame));
    if (levels.size() < kShortest) return false;
    std::vector<double> sorted = levels;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 10), sorted.end());
    double threshold = std::max(sorted[sorted.size() / 10] + kAboveBackgroundDb, kLeastLevelDb);
    size_t needed = std::min(kLeastFrames, (levels.size() + 9) / 10);
    auto loud = std::count_if(levels.begin(), levels.end(), [&](double l) { return l >= threshold; });
    return static_cast<size_t>(loud) >= needed;
}

}  // namespace tool
