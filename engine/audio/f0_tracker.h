// f0_tracker.h - the fundamental frequency of speech, one value per frame.
//
// Each frame gets candidate periods from the peaks of a normalised
// cross-correlation, and an "unvoiced" candidate whose strength grows as the
// frame gets quieter than the loudest part of the signal.  A Viterbi search
// then picks one candidate per frame, paying for every change between voiced
// and unvoiced and for every jump in pitch (in octaves), so that a frame
// does not flip to a double or half period on its own and short bursts of
// periodic-looking noise stay unvoiced.
#ifndef ENGINE_AUDIO_F0_TRACKER_H
#define ENGINE_AUDIO_F0_TRACKER_H

#include <vector>

namespace pitch {

struct F0Settings {
    double floor_hz = 75.0, ceiling_hz = 600.0;
    // Correlation a frame's best candidate must beat to be voiced at all.
    double voicing_threshold = 0.45;
    // Level, relative to the signal's peak, below which frames are silent.
    double silence_threshold = 0.03;
    // Bonus per octave for higher candidates: the correlation at twice the
    // period is nearly as high as at the period itself.
    double octave_cost = 0.01;
    // Correlation the signal must fall below, at some shorter lag, before
    // a peak counts as a period.
    double period_dip = 0.3;
    double octave_jump_cost = 0.35;
    double voiced_unvoiced_cost = 0.14;
    int max_candidates = 15;
};

// F0 in Hz of the frames centred on k * step + step / 2 for k = 0, 1, ...,
// as many frames as ceil(n / step); 0 for an unvoiced frame.
std::vector<float> track_f0(const short *samples, int n, int rate, int step, const F0Settings &settings = {});

// How periodic the samples around `centre` are: the correlation of the
// strongest period between the floor and ceiling, 0 when there is none.
// Needs about one period of the floor and one of the window either side.
double periodicity(const short *samples, int n, int centre, int rate, const F0Settings &settings = {});

}  // namespace pitch

#endif
