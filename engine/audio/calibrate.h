// calibrate.h - measuring the level of the live input.
#ifndef ENGINE_AUDIO_CALIBRATE_H
#define ENGINE_AUDIO_CALIBRATE_H

#include <string>
#include <vector>

namespace engine {

struct Levels {
    float speech_db = 0.0f;      // mean level of the speech frames
    float background_db = 0.0f;  // level of the quiet frames
    float snr_db = 0.0f;         // speech_db - background_db
    float peak_to_peak = 0.0f;   // highest sample minus lowest
};

// Captures up to `seconds` of the live input named by audioin (as AUDIOIN)
// at rate; gives up after seconds + 2 s of wall time.  False, with the
// reason, when the input cannot be opened or gives nothing.
bool capture(const std::string &audioin, int rate, double seconds, std::vector<short> *samples, std::string *why);

// The levels of the samples, measured on 10 ms frames (dB of the mean
// square, so 16-bit full scale is about 90 dB).
Levels measure_levels(const std::vector<short> &samples, int rate);

// True when the levels call for the input to be adjusted.
bool needs_calibration(const Levels &l);

}  // namespace engine

#endif  // ENGINE_AUDIO_CALIBRATE_H
