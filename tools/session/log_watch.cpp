// log_watch.cpp - reads what was added to the log.
#include "session/log_watch.h"

#include <fstream>

#include "platform/os_specific.h"

namespace tool {

namespace {

// The library empties its log when it first writes to it in a process, so
// the first change this process sees starts at the top of the file.
bool g_written_here = false;

void Stat(const std::string &path, long long *size, long long *mtime_ns) {
    if (!SizeAndTime(path, size, mtime_ns)) *size = *mtime_ns = -1;
}

}  // namespace

LogWatch::LogWatch(std::string path) : path_(std::move(path)) { Stat(path_, &size_, &mtime_ns_); }

std::string LogWatch::Lines(std::vector<std::string> *notes) {
    long long size, mtime_ns;
    Stat(path_, &size, &mtime_ns);
    if (size < 0 || (size == size_ && mtime_ns == mtime_ns_)) return "";
    long long from = g_written_here && size >= size_ ? size_ : 0;
    g_written_here = true;
    size_ = size;
    mtime_ns_ = mtime_ns;
    std::ifstream in(path_);
    std::string joined, line;
    if (!in || !in.seekg(from)) return "";
    while (std::getline(in, line)) {
        // Only failures: "ERROR - khRecPrepare: ..." -> "khRecPrepare: ..."
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (notes && line.compare(0, 7, "NOTE - ") == 0) notes->push_back(line.substr(7));
        if (line.compare(0, 8, "ERROR - ") != 0) continue;
        if (!joined.empty()) joined += "; ";
        joined += line.substr(8);
    }
    return joined;
}

}  // namespace tool
