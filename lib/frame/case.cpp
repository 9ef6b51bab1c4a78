// case.cpp - UpperCaseCopy, LowerCaseCopy and their character maps.
#include "frame/case.h"

#include <cwctype>
#ifdef _WIN32
#include <string.h>
#else
#include <strings.h>
#endif

namespace kh {

namespace {

// Latin-1 letters with both cases: upper-case byte, lower-case byte.
constexpr unsigned char kLatin1Pairs[][2] = {
    {0xC1, 0xE1}, {0xC2, 0xE2}, {0xC4, 0xE4}, {0xC7, 0xE7}, {0xC9, 0xE9}, {0xCA, 0xEA},
    {0xCB, 0xEB}, {0xCD, 0xED}, {0xCE, 0xEE}, {0xCF, 0xEF}, {0xD1, 0xF1}, {0xD3, 0xF3},
    {0xD4, 0xF4}, {0xD6, 0xF6}, {0xDA, 0xFA}, {0xDB, 0xFB}, {0xDC, 0xFC},
};

// The character as a signed byte, widened.
int Widen(int c) { return static_cast<signed char>(c); }

int MapLatin1(int c, int from, int to) {
    unsigned char byte = static_cast<unsigned char>(c);
    for (const auto &pair : kLatin1Pairs)
        if (pair[from] == byte) return static_cast<signed char>(pair[to]);
    return c;
}

template <typename Map>
void ConvertCopy(const char *source, char *destination, int limit, Map map) {
    int i = 0;
    for (; source[i] && (limit <= 0 || i < limit - 1); i++) destination[i] = static_cast<char>(map(source[i]));
    destination[i] = '\0';
}

}  // namespace

int CharToUpper(int c) {
    c = Widen(c);
    if (c >= 0 && c <= 127) return static_cast<int>(towupper(static_cast<wint_t>(c)));
    return MapLatin1(c, 1, 0);
}

int CharToLower(int c) {
    c = Widen(c);
    if (c >= 0 && c <= 127) return static_cast<int>(towlower(static_cast<wint_t>(c)));
    return MapLatin1(c, 0, 1);
}

void UpperCaseCopy(const char *source, char *destination, int limit) {
    ConvertCopy(source, destination, limit, CharToUpper);
}

void LowerCaseCopy(const char *source, char *destination, int limit) {
    ConvertCopy(source, destination, limit, CharToLower);
}

bool SameIgnoringCase(const char *a, const char *b) {
#ifdef _WIN32
    return _stricmp(a, b) == 0;
#else
    return strcasecmp(a, b) == 0;
#endif
}

}  // namespace kh
