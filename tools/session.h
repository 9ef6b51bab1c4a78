// session.h - the library started for one run of the tool.
#pragma once

#include <string>

#include "khapi.h"
#include "log_watch.h"
#include "options.h"
#include "run_config.h"

namespace tool {

class Session {
public:
    ~Session();
    // Starts the library on the configuration the options name.  False
    // with why (which names the log) on failure.
    bool Start(const CommonOptions &options, int worker, std::string *why);
    // " (log: PATH)", to end every message about a failure.
    std::string LogNote() const;
    // The failures the library logged since the last call, after ": ".
    std::string Cause(LogWatch *watch) const;
    const std::string &log_path() const { return config_.log_path; }

private:
    RunConfig config_;
};

}  // namespace tool
