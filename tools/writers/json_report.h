// json_report.h - the JSON documents the tool prints (docs/khapi-report.schema.json).
#pragma once

#include <nlohmann/json.hpp>

#include "utterance/report.h"

namespace tool {

nlohmann::ordered_json ReportJson(const Report &report);

// {"file", "error"}, and "log" when the library's log holds the cause.
nlohmann::ordered_json FailureJson(const std::string &file, const std::string &error, const std::string &log);

// {"file", "step", "f0": [{"time", "hz"}]}
nlohmann::ordered_json F0Json(const std::string &file, const std::vector<float> &f0, double step);

}  // namespace tool
