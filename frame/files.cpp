// files.cpp - FileReadable and FileAppendable.
#include "frame/files.h"

#include <cstdio>

namespace kh {

namespace {

bool Opens(const char *name, const char *mode) {
    if (!name || !name[0]) return false;
    FILE *f = fopen(name, mode);
    if (!f) return false;
    fclose(f);
    return true;
}

}  // namespace

bool FileReadable(const char *name) { return Opens(name, "r"); }
bool FileAppendable(const char *name) { return Opens(name, "a"); }

}  // namespace kh
