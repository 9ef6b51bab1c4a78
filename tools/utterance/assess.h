// assess.h - a pronunciation assessment computed from a recognition of
// the text in which every word may be left out.
#pragma once

#include <string>
#include <vector>

#include "utterance/report.h"

namespace tool {

// A phone whose confidence reaches this (it is at least as likely on its
// frames as all the model's other phones together) is fully accurate;
// below it the accuracy falls in proportion to the confidence.
constexpr double kFullyAccurateFrom = 0.5;
// Below this word accuracy a spoken word counts as mispronounced, as it
// does when one of its phones is heard as another.  Set on
// the packaged recordings, all spoken correctly: 3 of their 96 words
// (reduced function words) fall below it.
constexpr double kMispronouncedBelow = 45.0;
// Silence between words up to this long is part of fluent speech.
constexpr double kNaturalPause = 0.3;
// Speech rates (phones per second) for no and for full fluency credit.
constexpr double kSlowRate = 3.0, kFluentRate = 8.0;

// Puts every word of the text into the report, in the text's order: the
// recognised ones as they are, the others as omitted.  Then fills in the
// accuracies, error types and the utterance figures.
void Assess(const std::vector<std::string> &text, Report *report);

// A phone's accuracy (0-100) from its confidence (0-1).
double PhoneAccuracy(double confidence);

// The fluency figure alone (0-100), absent when no phone was timed.
std::optional<double> Fluency(const std::vector<WordReport> &spoken);

}  // namespace tool
