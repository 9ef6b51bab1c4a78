// log_watch.h - what the library wrote to its log during one step, so
// that the tool can quote the cause of a failure.
#pragma once

#include <string>

namespace tool {

class LogWatch {
public:
    explicit LogWatch(std::string path);
    // The failures logged since construction (or the last Lines call),
    // joined with "; ", without their "ERROR - " prefixes.
    std::string Lines();

private:
    std::string path_;
    long long size_;
    long long mtime_ns_;
};

}  // namespace tool
