// native_durations.h - how long each phone lasts in fluent read speech,
// against which a reading's pace is measured.
#pragma once

#include <string>

namespace tool {

// The mean over all phones of the table, for a phone it lacks.
constexpr double kMeanPhoneDuration = 0.084;

// Seconds a phone (the dictionary's name, "AA") lasts on average.
double NativeDuration(const std::string &phone);

}  // namespace tool
