// log_watch.cpp - reads what was appended to the log.
#include "log_watch.h"

#include <fstream>
#include <sys/stat.h>

namespace tool {

namespace {

long long FileSize(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

}  // namespace

LogWatch::LogWatch(std::string path) : path_(std::move(path)), offset_(FileSize(path_)) {}

std::string LogWatch::Lines() {
    std::ifstream in(path_);
    std::string joined, line;
    if (in && in.seekg(offset_)) {
        while (std::getline(in, line)) {
            // Only failures: "ERROR - khRecPrepare: ..." -> "khRecPrepare: ..."
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.compare(0, 8, "ERROR - ") != 0) continue;
            line = line.substr(8);
            if (!joined.empty()) joined += "; ";
            joined += line;
        }
    }
    offset_ = FileSize(path_);
    return joined;
}

}  // namespace tool
