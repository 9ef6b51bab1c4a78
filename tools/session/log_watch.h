// log_watch.h - what the library wrote to its log during one step, so
// that the tool can quote the cause of a failure.
#pragma once

#include <string>
#include <vector>

namespace tool {

class LogWatch {
public:
    explicit LogWatch(std::string path);
    // The failures logged since construction (or the last Lines call),
    // joined with "; ", without their "ERROR - " prefixes; the notes
    // logged meanwhile ("NOTE - " lines) go to `notes` when given.
    std::string Lines(std::vector<std::string> *notes = nullptr);

private:
    std::string path_;
    long long size_;
    long long mtime_ns_;
};

}  // namespace tool
