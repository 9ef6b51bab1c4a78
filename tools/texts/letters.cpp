// letters.cpp - the tables of letters, capitals and plain spellings.
#include "texts/letters.h"

#include <algorithm>
#include <iterator>

#include "texts/utf8.h"

namespace tool {

namespace {

struct Range {
    char32_t first, last;
};

// Code points above ASCII that are not letters, in order.  Whatever lies
// between them is read as a letter.
const Range kNotLetters[] = {
    {0x0080, 0x00A9},    {0x00AB, 0x00B4}, {0x00B6, 0x00B9}, {0x00BB, 0x00BF},                    // controls, signs
    {0x00D7, 0x00D7},    {0x00F7, 0x00F7},                                                        // × ÷
    {0x037E, 0x037E},    {0x0387, 0x0387},                                                        // Greek punctuation
    {0x055A, 0x055F},    {0x0589, 0x058A},                                                        // Armenian
    {0x05BE, 0x05BE},    {0x05C0, 0x05C0}, {0x05C3, 0x05C3}, {0x05C6, 0x05C6}, {0x05F3, 0x05F4},  // Hebrew
    {0x0600, 0x060F},    {0x061B, 0x061F}, {0x066A, 0x066D}, {0x06D4, 0x06D4},                    // Arabic
    {0x0964, 0x0965},    {0x0E3F, 0x0E3F}, {0x0E4F, 0x0E4F}, {0x0E5A, 0x0E5B},                    // Indic, Thai
    {0x1680, 0x1680},    {0x2000, 0x2BFF},  // spaces, punctuation, currency, arrows, mathematics, shapes, dingbats
    {0x2E00, 0x2E7F},    {0x3000, 0x3004}, {0x3008, 0x3020}, {0x3030, 0x3030}, {0x303D, 0x303D},  // CJK
    {0xD800, 0xF8FF},  // surrogates, private use
    {0xFD3E, 0xFD3F},    {0xFE00, 0xFE6F}, {0xFEFF, 0xFEFF}, {0xFF01, 0xFF0F}, {0xFF1A, 0xFF20},
    {0xFF3B, 0xFF40},    {0xFF5B, 0xFF65}, {0xFFE0, 0xFFFF},  // selectors, forms, full width
    {0x1F000, 0x1FBFF},                                       // emoji and pictographs
    {0xE0000, 0x10FFFF},                                      // tags, private use
};

const Range kMarks[] = {{0x0300, 0x036F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x20D0, 0x20FF}, {0xFE20, 0xFE2F}};

template <size_t N>
bool InRanges(const Range (&ranges)[N], char32_t c) {
    const Range *r = std::lower_bound(std::begin(ranges), std::end(ranges), c,
                                      [](const Range &range, char32_t v) { return range.last < v; });
    return r != std::end(ranges) && r->first <= c;
}

// Small letters with their capitals at a fixed distance.  Where capitals and
// small letters alternate, only every other code point from `first` on is
// a small letter.
struct CaseRange {
    char32_t first, last;
    int to_upper;
    bool alternate;
};

const CaseRange kSmallLetters[] = {
    {'a', 'z', -32, false},
    {0x00E0, 0x00F6, -32, false},
    {0x00F8, 0x00FE, -32, false},
    {0x00FF, 0x00FF, 0x0178 - 0x00FF, false},
    {0x0101, 0x012F, -1, true},
    {0x0131, 0x0131, 'I' - 0x0131, false},
    {0x0133, 0x0137, -1, true},
    {0x013A, 0x0148, -1, true},
    {0x014B, 0x0177, -1, true},
    {0x017A, 0x017E, -1, true},
    {0x017F, 0x017F, 'S' - 0x017F, false},
    {0x0219, 0x021B, -1, true},
    {0x03B1, 0x03C1, -32, false},
    {0x03C2, 0x03C2, 0x03A3 - 0x03C2, false},
    {0x03C3, 0x03C9, -32, false},
    {0x0430, 0x044F, -32, false},
    {0x0450, 0x045F, -80, false},
    {0x0461, 0x0481, -1, true},
    {0x048B, 0x04BF, -1, true},
    {0x0561, 0x0586, -48, false},
};

// Plain spellings of the accented Latin letters, small and capital alike,
// and of the Latin ligatures.
struct Plain {
    char32_t first, last;
    const char *spelling;
};

const Plain kPlain[] = {
    {0x00C0, 0x00C5, "A"},  {0x00C6, 0x00C6, "AE"}, {0x00C7, 0x00C7, "C"},   {0x00C8, 0x00CB, "E"},
    {0x00CC, 0x00CF, "I"},  {0x00D0, 0x00D0, "D"},  {0x00D1, 0x00D1, "N"},   {0x00D2, 0x00D6, "O"},
    {0x00D8, 0x00D8, "O"},  {0x00D9, 0x00DC, "U"},  {0x00DD, 0x00DD, "Y"},   {0x00DE, 0x00DE, "TH"},
    {0x00DF, 0x00DF, "SS"}, {0x00E0, 0x00E5, "A"},  {0x00E6, 0x00E6, "AE"},  {0x00E7, 0x00E7, "C"},
    {0x00E8, 0x00EB, "E"},  {0x00EC, 0x00EF, "I"},  {0x00F0, 0x00F0, "D"},   {0x00F1, 0x00F1, "N"},
    {0x00F2, 0x00F6, "O"},  {0x00F8, 0x00F8, "O"},  {0x00F9, 0x00FC, "U"},   {0x00FD, 0x00FD, "Y"},
    {0x00FE, 0x00FE, "TH"}, {0x00FF, 0x00FF, "Y"},  {0x0100, 0x0105, "A"},   {0x0106, 0x010D, "C"},
    {0x010E, 0x0111, "D"},  {0x0112, 0x011B, "E"},  {0x011C, 0x0123, "G"},   {0x0124, 0x0127, "H"},
    {0x0128, 0x0131, "I"},  {0x0132, 0x0133, "IJ"}, {0x0134, 0x0135, "J"},   {0x0136, 0x0138, "K"},
    {0x0139, 0x0142, "L"},  {0x0143, 0x0149, "N"},  {0x014A, 0x014B, "NG"},  {0x014C, 0x0151, "O"},
    {0x0152, 0x0153, "OE"}, {0x0154, 0x0159, "R"},  {0x015A, 0x0161, "S"},   {0x0162, 0x0167, "T"},
    {0x0168, 0x0173, "U"},  {0x0174, 0x0175, "W"},  {0x0176, 0x0178, "Y"},   {0x0179, 0x017E, "Z"},
    {0x017F, 0x017F, "S"},  {0x0218, 0x0219, "S"},  {0x021A, 0x021B, "T"},   {0xFB00, 0xFB00, "FF"},
    {0xFB01, 0xFB01, "FI"}, {0xFB02, 0xFB02, "FL"}, {0xFB03, 0xFB03, "FFI"}, {0xFB04, 0xFB04, "FFL"},
    {0xFB05, 0xFB06, "ST"},  // ligatures, as in text copied from print
};

}  // namespace

bool IsMark(char32_t c) { return c >= 0x300 && InRanges(kMarks, c); }

bool IsLetter(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    return !InRanges(kNotLetters, c) && !IsMark(c);
}

char32_t UpperLetter(char32_t c) {
    for (const CaseRange &r : kSmallLetters)
        if (c >= r.first && c <= r.last && (!r.alternate || (c - r.first) % 2 == 0))
            return static_cast<char32_t>(static_cast<int>(c) + r.to_upper);
    return c;
}

const char *PlainLetter(char32_t c) {
    for (const Plain &p : kPlain)
        if (c >= p.first && c <= p.last) return p.spelling;
    return nullptr;
}

std::string UpperWord(const std::u32string &word) {
    std::string out;
    for (char32_t c : word) AppendUtf8(UpperLetter(c), &out);
    return out;
}

std::string PlainWord(const std::u32string &word) {
    std::string out;
    for (char32_t c : word) {
        if (IsMark(c)) continue;
        const char *plain = PlainLetter(c);
        if (plain) out += plain;
        else AppendUtf8(UpperLetter(c), &out);
    }
    return out;
}

}  // namespace tool
