// plot.h - a picture of one utterance: waveform, F0 contour, word and
// phone boundaries with labels, phones coloured by accuracy.
#pragma once

#include <string>

#include "utterance/report.h"

namespace tool {

// Writes FILE.svg or FILE.png.  False with why on failure.
bool WritePlot(const Report &report, const std::string &path, std::string *why);

}  // namespace tool
