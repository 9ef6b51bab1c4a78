// calibrate.cpp - measuring the level of the live input.
//
// The background is the level below which the quietest tenth of the
// frames lie; speech is every frame at least 10 dB above it, its level the
// mean power of those frames in dB.  The input needs adjusting when the
// speech is too quiet to be told from the room or so loud that it
// clips.
#include "audio/calibrate.h"

#include "audio/sound_io.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

const double kSpeechAboveBackgroundDb = 10.0;
const double kBackgroundQuantile = 0.1;
// Comfortable input: speech between these levels (16-bit full scale is
// about 90 dB, so -40 to -6 dB below it), at least this far above the
// background, and no sample within 1% of full scale.
const double kSpeechLowestDb = 50.0;
const double kSpeechHighestDb = 84.0;
const double kLeastSnrDb = 15.0;
const double kClipPeakToPeak = 0.99 * 65535.0;
const int kWaitMs = 100;

double db(double mean_square) { return 10.0 * log10(std::max(mean_square, 1.0)); }

}  // namespace

namespace engine {

bool capture(const std::string &audioin, int rate, double seconds, std::vector<short> *samples, std::string *why) {
    std::unique_ptr<LiveInput> in = make_live_input(audioin, rate);
    if (!in->start(why)) return false;
    size_t want = static_cast<size_t>(seconds * rate);
    auto give_up =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000) + 2000);
    samples->clear();
    std::vector<short> buf(rate / 10);
    while (samples->size() < want && std::chrono::steady_clock::now() < give_up) {
        int n = in->read(buf.data(), static_cast<int>(std::min(buf.size(), want - samples->size())), kWaitMs);
        if (n == LiveInput::kFailed) {
            *why = in->failure();
            in->stop();
            return false;
        }
        if (n < 0) break;
        samples->insert(samples->end(), buf.begin(), buf.begin() + n);
    }
    in->stop();
    if (samples->empty()) return *why = "no sound came in", false;
    return true;
}

Levels measure_levels(const std::vector<short> &samples, int rate) {
    Levels l;
    if (samples.empty()) return l;
    auto [lo, hi] = std::minmax_element(samples.begin(), samples.end());
    l.peak_to_peak = static_cast<float>(*hi - *lo);
    size_t frame = std::max(1, rate / 100);
    std::vector<double> power;
    for (size_t i = 0; i < samples.size(); i += frame) {
        size_t n = std::min(frame, samples.size() - i);
        double sum = 0.0;
        for (size_t k = i; k < i + n; k++) sum += double(samples[k]) * samples[k];
        power.push_back(sum / n);
    }
    std::vector<double> sorted = power;
    std::sort(sorted.begin(), sorted.end());
    double background = sorted[static_cast<size_t>(kBackgroundQuantile * (sorted.size() - 1))];
    double threshold = db(background) + kSpeechAboveBackgroundDb;
    double speech = 0.0;
    int nspeech = 0;
    for (double p : power)
        if (db(p) >= threshold) speech += p, nspeech++;
    l.background_db = static_cast<float>(db(background));
    l.speech_db = nspeech ? static_cast<float>(db(speech / nspeech)) : l.background_db;
    l.snr_db = l.speech_db - l.background_db;
    return l;
}

bool needs_calibration(const Levels &l) {
    return l.speech_db < kSpeechLowestDb || l.speech_db > kSpeechHighestDb || l.snr_db < kLeastSnrDb ||
        l.peak_to_peak >= kClipPeakToPeak;
}

}  // namespace engine
