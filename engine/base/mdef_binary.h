// mdef_binary.h - the binary model definition ("BMDF") as bytes, and its
// head up to the phone names: read alike for the model's phone list and
// for its phones in context.
#ifndef ENGINE_BASE_MDEF_BINARY_H
#define ENGINE_BASE_MDEF_BINARY_H

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace engine {

// The whole file, read in the file's byte order from `at` on.
struct MdefBytes {
    std::string data;
    size_t at = 0;
    bool swapped = false;  // written on a machine of the other byte order

    // Reads the file; false when it cannot be read.
    bool load(const std::string &path);
    // The next 2- or 4-byte number; false when the file ends first.
    template <class T>
    bool get(T *v) {
        if (data.size() - at < sizeof(T)) return false;
        unsigned char b[sizeof(T)];
        memcpy(b, data.data() + at, sizeof(T));
        at += sizeof(T);
        T x = 0;
        for (size_t i = 0; i < sizeof(T); i++) x |= static_cast<T>(b[swapped ? sizeof(T) - 1 - i : i]) << (8 * i);
        *v = x;
        return true;
    }
    bool skip(size_t n) { return data.size() - at >= n && (at += n, true); }
};

// Whether the first bytes of a file are a binary model definition's.
bool is_binary_mdef(const char magic[4]);

// Reads the head of a loaded file: "BMDF", version, the layout text, ten
// int32 counts (the first the number of phones, the last the silence
// phone) and the phone names, NUL-terminated; leaves `at` after them.
// False, with the reason, when it is cut short or implausible.
bool read_mdef_head(MdefBytes *b, uint32_t counts[10], std::vector<std::string> *names, std::string *why);

}  // namespace engine

#endif  // ENGINE_BASE_MDEF_BINARY_H
