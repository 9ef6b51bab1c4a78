// session.cpp - starting the library, and failures as the tool reports them.
#include "session/session.h"

#include "writers/json_report.h"

namespace tool {

Session::~Session() {
    RemoveRunConfig(config_);
    RemoveScratch(&config_);
}

bool Session::Start(const CommonOptions &options, int worker, std::string *why, bool assessment) {
    if (!MakeRunConfig(options.config, options.log, options.dict, assessment, worker, &config_, why)) return false;
    LogWatch watch(config_.log_path);
    int status = khSysInit(config_.file.c_str());
    // Everything the library needs from the file is read by now.
    RemoveRunConfig(config_);
    config_.file.clear();
    if (status == 0) return *why = "the configuration selects NOFUNCOPER: the library does nothing", false;
    if (status != 1) return *why = "the library could not start" + Because(&watch), false;
    // The library reports a dictionary it cannot read; the lexicon only
    // refines how texts are read, so one it cannot load is left out.
    std::string ignored;
    for (const std::string &dict : config_.dictionaries) lexicon_.Load(dict, &ignored);
    return true;
}

std::string Session::LogNote() const { return " (log: " + config_.log_path + ")"; }

std::string Session::Because(LogWatch *watch) const {
    std::string lines = watch->Lines();
    return lines.empty() ? "" : ": " + lines + LogNote();
}

Outcome Session::Failure(const std::string &file, const std::string &cause, LogWatch *watch) const {
    std::string lines = watch ? watch->Lines() : "";
    if (lines.empty()) return FileFailure(json_, file, cause);
    std::string full = cause + ": " + lines;
    std::string out = json_ ? FailureJson(file, full, config_.log_path).dump() + "\n" : "";
    return {false, out, "khapi: " + file + ": " + full + LogNote() + "\n"};
}

Outcome FileFailure(bool json, const std::string &file, const std::string &cause) {
    return {false, json ? FailureJson(file, cause, "").dump() + "\n" : "", "khapi: " + file + ": " + cause + "\n"};
}

}  // namespace tool
