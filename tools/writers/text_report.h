// text_report.h - the report as a table for people.
#pragma once

#include <string>

#include "utterance/report.h"

namespace tool {

std::string ReportText(const Report &report);

}  // namespace tool
