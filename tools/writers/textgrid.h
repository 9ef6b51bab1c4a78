// textgrid.h - a Praat TextGrid with a words tier and a phones tier.
#pragma once

#include <string>

#include "utterance/report.h"

namespace tool {

// The TextGrid text; the tiers cover 0..duration, gaps as empty intervals.
std::string TextGrid(const Report &report, double duration);

}  // namespace tool
