// json_report.cpp - reports as JSON; absent values are null.
#include "writers/json_report.h"

#include <cmath>

namespace tool {

namespace {

using json = nlohmann::ordered_json;

// Times to the microsecond, scores and confidences to 1e-4: the digits
// beyond are noise of the float arithmetic.
double Round(double x, double per_unit) { return std::round(x * per_unit) / per_unit; }
double Time(double t) { return Round(t, 1e6); }

json Value(const std::optional<double> &v) { return v ? json(Round(*v, 1e4)) : json(nullptr); }

json PhoneJson(const PhoneReport &p, bool assessed) {
    json j = {{"phone", p.phone},
              {"start", Time(p.start)},
              {"end", Time(p.end)},
              {"score", Value(p.score)},
              {"confidence", Value(p.confidence)},
              {"heard", p.heard ? json(*p.heard) : json(nullptr)}};
    if (assessed) j["accuracy"] = Value(p.accuracy);
    return j;
}

json WordJson(const WordReport &w, bool assessed) {
    json j = {{"word", w.Inserted() ? json(nullptr) : json(w.word)},
              {"syntax", w.spoken ? json(w.syntax) : json(nullptr)},
              {"start", w.spoken ? json(Time(w.start)) : json(nullptr)},
              {"end", w.spoken ? json(Time(w.end)) : json(nullptr)},
              {"score", Value(w.score)},
              {"confidence", Value(w.confidence)},
              {"phones", json::array()}};
    for (const PhoneReport &p : w.phones) j["phones"].push_back(PhoneJson(p, assessed));
    if (w.guessed) j["guessed"] = true;
    if (assessed) {
        j["accuracy"] = Value(w.accuracy);
        j["error"] = w.error;
    }
    return j;
}

}  // namespace

nlohmann::ordered_json ReportJson(const Report &report) {
    bool assessed = report.assessment.has_value();
    json j = {{"file", report.file}, {"words", json::array()}};
    for (const WordReport &w : report.words) j["words"].push_back(WordJson(w, assessed));
    if (!report.nbest.empty()) j["nbest"] = report.nbest;
    if (assessed) {
        j["accuracy"] = Value(report.assessment->accuracy);
        j["completeness"] = report.assessment->completeness;
        j["fluency"] = Value(report.assessment->fluency);
    }
    return j;
}

nlohmann::ordered_json FailureJson(const std::string &file, const std::string &error, const std::string &log) {
    json j = {{"file", file}, {"error", error}};
    if (!log.empty()) j["log"] = log;
    return j;
}

nlohmann::ordered_json F0Json(const std::string &file, const std::vector<float> &f0, double step) {
    json frames = json::array();
    for (size_t i = 0; i < f0.size(); i++)
        frames.push_back({{"time", Time(static_cast<double>(i) * step)}, {"hz", Round(f0[i], 100)}});
    return {{"file", file}, {"step", step}, {"f0", frames}};
}

}  // namespace tool
