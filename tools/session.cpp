// session.cpp - starting the library.
#include "session.h"

namespace tool {

Session::~Session() { RemoveRunConfig(config_); }

bool Session::Start(const CommonOptions &options, int worker, std::string *why) {
    if (!MakeRunConfig(options.config, options.log, worker, &config_, why)) return false;
    LogWatch watch(config_.log_path);
    int status = khSysInit(config_.file.c_str());
    // Everything the library needs from the file is read by now.
    RemoveRunConfig(config_);
    config_.file.clear();
    if (status == 0) return *why = "the configuration selects NOFUNCOPER: the library does nothing", false;
    if (status != 1) return *why = "the library could not start" + Cause(&watch) + LogNote(), false;
    return true;
}

std::string Session::LogNote() const { return " (log: " + config_.log_path + ")"; }

std::string Session::Cause(LogWatch *watch) const {
    std::string lines = watch->Lines();
    return lines.empty() ? "" : ": " + lines;
}

}  // namespace tool
