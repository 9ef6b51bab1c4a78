// scratch_dirs.cpp - private folders under $TMPDIR.
#include "serve/scratch_dirs.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tool {

std::string MakeScratchRoot(std::string *why) {
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/khapi-serve-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) return *why = "cannot make a private folder " + pattern + ": " + strerror(errno), "";
    return buf.data();
}

std::string MakeScratchDir(const std::string &root, const std::string &name, std::string *why) {
    std::string dir = root + "/" + name;
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return *why = "cannot make a private folder " + dir + ": " + strerror(errno), "";
    return dir;
}

void EmptyScratchDir(const std::string &dir) {
    DIR *d = opendir(dir.c_str());
    if (!d) return;
    while (dirent *e = readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") unlink((dir + "/" + name).c_str());
    }
    closedir(d);
}

void RemoveScratchDir(const std::string &dir) {
    EmptyScratchDir(dir);
    rmdir(dir.c_str());
}

}  // namespace tool
