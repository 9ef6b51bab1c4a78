// assess.h - a pronunciation assessment computed from a recognition of
// the text in which every word may be left out.
#pragma once

#include <string>
#include <vector>

#include "report.h"

namespace tool {

// Below this word accuracy a spoken word counts as mispronounced.
constexpr double kMispronouncedBelow = 60.0;
// Silence between words up to this long is part of fluent speech.
constexpr double kNaturalPause = 0.3;
// Speech rates (phones per second) for no and for full fluency credit.
constexpr double kSlowRate = 3.0, kFluentRate = 8.0;

// Puts every word of the text into the report, in the text's order: the
// recognised ones as they are, the others as omitted.  Then fills in the
// accuracies, error types and the utterance figures.
void Assess(const std::vector<std::string> &text, Report *report);

// The fluency figure alone (0-100), absent when no phone was timed.
std::optional<double> Fluency(const std::vector<WordReport> &spoken);

}  // namespace tool
