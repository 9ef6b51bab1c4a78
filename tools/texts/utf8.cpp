// utf8.cpp - strict UTF-8 decoding with a Latin-1 fallback, and encoding.
#include "texts/utf8.h"

namespace tool {

namespace {

// Windows-1252 at 0x80-0x9F; its five unassigned bytes stay C1 controls.
const char32_t kWindows1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                   0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t OldByte(unsigned char b) { return b >= 0x80 && b < 0xA0 ? kWindows1252[b - 0x80] : b; }

bool Continues(unsigned char b) { return (b & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence at s[i] (0 when it is not one) and
// its code point.  Overlong forms, surrogates and values past U+10FFFF are
// not valid.
size_t Sequence(const std::string &s, size_t i, char32_t *c) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    size_t len = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    if (len == 0 || s.size() - i < len) return 0;
    unsigned char second = static_cast<unsigned char>(s[i + 1]);
    if ((b == 0xE0 && second < 0xA0) || (b == 0xED && second > 0x9F) || (b == 0xF0 && second < 0x90) ||
        (b == 0xF4 && second > 0x8F))
        return 0;
    char32_t value = b & (0x7F >> len);
    for (size_t k = 1; k < len; k++) {
        unsigned char next = static_cast<unsigned char>(s[i + k]);
        if (!Continues(next)) return 0;
        value = value << 6 | (next & 0x3F);
    }
    *c = value;
    return len;
}

}  // namespace

std::u32string DecodeText(const std::string &bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        char32_t c = b;
        size_t len = b < 0x80 ? 1 : Sequence(bytes, i, &c);
        if (len == 0) c = OldByte(b), len = 1;
        out += c;
        i += len;
    }
    return out;
}

void AppendUtf8(char32_t c, std::string *out) {
    if (c < 0x80) {
        *out += static_cast<char>(c);
    } else if (c < 0x800) {
        *out += static_cast<char>(0xC0 | c >> 6);
        *out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out += static_cast<char>(0xE0 | c >> 12);
        *out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | c >> 18);
        *out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace tool
