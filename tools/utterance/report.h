// report.h - what the tool reports about one recognised utterance.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tool {

// The library hands out the last utterance's samples at the model's rate
// and the F0 track one value a model frame, but tells neither: these are
// the packaged model's.
constexpr int kModelRate = 16000;
constexpr double kFrameStep = 0.01;

struct PhoneReport {
    std::string phone;
    double start = 0, end = 0;
    std::optional<double> score;       // acoustic score per frame
    std::optional<double> confidence;  // 0..1, absent when the library gives none
    std::optional<double> accuracy;    // 0..100 (assess only)
};

struct WordReport {
    std::string word;
    std::string syntax;
    double start = 0, end = 0;
    std::optional<double> score;
    std::optional<double> confidence;
    std::vector<PhoneReport> phones;
    bool spoken = true;                // false for a text word the speaker left out
    std::optional<double> accuracy;    // assess only
    std::string error;                 // assess only: none, mispronounced, omitted
    bool guessed = false;              // its pronunciation was guessed: it is in no dictionary
};

struct Assessment {
    std::optional<double> accuracy;
    double completeness = 0;
    std::optional<double> fluency;
};

struct Report {
    std::string file;
    std::vector<WordReport> words;
    std::vector<std::string> nbest;    // alternatives after the best, when asked for
    std::optional<Assessment> assessment;
    // For plots: the utterance's samples and its F0 track.
    std::vector<short> samples;
    std::vector<float> f0;
};

}  // namespace tool
