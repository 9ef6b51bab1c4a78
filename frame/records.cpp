// records.cpp - the memory of freed records, kept out of use.
#include "frame/records.h"

#include <cstring>
#include <vector>

namespace kh {

void KeepRetired(void *memory, size_t size) {
    static std::vector<void *> retired;
    memset(memory, 0, size);
    retired.push_back(memory);
}

}  // namespace kh
