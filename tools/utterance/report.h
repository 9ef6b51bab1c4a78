// report.h - what the tool reports about one recognised utterance.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tool {

struct PhoneReport {
    std::string phone;
    double start = 0, end = 0;
    std::optional<double> score;       // acoustic score per frame
    std::optional<double> confidence;  // 0..1, absent when the library gives none
    std::optional<double> accuracy;    // 0..100 (assess only)
    std::optional<std::string> heard;  // the phone the model hears there, absent when the library gives none

    // Heard as another phone than the one meant: said wrong.
    bool HeardAsOther() const { return heard && *heard != phone; }
};

struct WordReport {
    std::string word;
    std::string syntax;
    double start = 0, end = 0;
    std::optional<double> score;
    std::optional<double> confidence;
    std::vector<PhoneReport> phones;
    bool spoken = true;              // false for a text word the speaker left out
    std::optional<double> accuracy;  // assess only
    std::string error;               // assess only: none, mispronounced, omitted, inserted
    bool guessed = false;            // its pronunciation was guessed: it is in no dictionary

    // Speech heard that is none of the text's words (assess only): it has
    // no word, only its times and the phones heard.
    bool Inserted() const { return error == "inserted"; }
    // What the reports call it.
    std::string Label() const { return Inserted() ? "(inserted)" : word; }
};

struct Assessment {
    std::optional<double> accuracy;
    double completeness = 0;
    std::optional<double> fluency;
};

struct Report {
    std::string file;
    std::vector<WordReport> words;
    std::vector<std::string> nbest;  // alternatives after the best, when asked for
    std::optional<Assessment> assessment;
    // For plots: the utterance's samples, KH_SAMPLE_RATE a second, and its
    // F0 track, one value every KH_FRAME_STEP seconds.
    std::vector<short> samples;
    std::vector<float> f0;
};

}  // namespace tool
