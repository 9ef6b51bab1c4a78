// normalise.cpp - splits a text into words and spells each one as the
// dictionaries do; numbers are left to number_words.cpp.
#include "texts/normalise.h"

#include <algorithm>

#include "texts/letters.h"
#include "texts/number_words.h"
#include "texts/utf8.h"

namespace tool {

namespace {

// Typographic apostrophes and hyphens, and full-width forms, as the plain
// characters they stand for.
char32_t Canonical(char32_t c) {
    switch (c) {
    case 0x2019:
    case 0x2018:
    case 0x02BC:
    case 0x2032:
    case '`':
    case 0x00B4:
        return '\'';  // ’ ‘ ʼ ′ ` ´
    case 0x2010:
    case 0x2011:
        return '-';  // hyphen, non-breaking hyphen
    default:
        return c >= 0xFF01 && c <= 0xFF5E ? c - 0xFEE0 : c;
    }
}

// Signs said as words wherever they stand.
struct Symbol {
    char32_t sign;
    const char *word;
};
const Symbol kSymbols[] = {{'&', "AND"}, {'%', "PERCENT"}};

// Hyphenated parts joined at most this many at a time when looking for a
// hyphenated word in the lexicon (MOTHER-IN-LAW).
constexpr size_t kMostJoined = 4;

const char *SymbolWord(char32_t c) {
    for (const Symbol &s : kSymbols)
        if (s.sign == c) return s.word;
    return nullptr;
}

bool StartsWord(const std::u32string &t, size_t i) {
    return IsLetter(t[i]) || (t[i] == '\'' && i + 1 < t.size() && IsLetter(t[i + 1]));
}

// The end of the word starting at t[at]: letters and their marks, with
// apostrophes and hyphens between letters, and one apostrophe before and
// one after.
size_t WordEnd(const std::u32string &t, size_t at) {
    size_t n = t.size(), i = at;
    if (t[i] == '\'') i++;
    for (;;) {
        while (i < n && (IsLetter(t[i]) || IsMark(t[i]))) i++;
        bool inner = i + 1 < n && (t[i] == '\'' || t[i] == '-') && IsLetter(t[i + 1]);
        if (inner) {
            i++;
        } else {
            if (i < n && t[i] == '\'') i++;
            return i;
        }
    }
}

struct Spelling {
    std::string word;
    bool known;  // the lexicon holds it
};

// A word without hyphens as the lexicon spells it: with the apostrophes
// before and after it only when the lexicon has it so ('TIS, GOIN'), with
// its accents only when the lexicon has it so and not without them.
Spelling Spell(const std::u32string &word, const Lexicon &lexicon) {
    size_t b = 0, e = word.size();
    while (b < e && word[b] == '\'') b++;
    while (e > b && word[e - 1] == '\'') e--;
    std::u32string core = word.substr(b, e - b);
    std::u32string lead = b > 0 ? U"'" : U"", trail = e < word.size() ? U"'" : U"";
    const std::u32string forms[] = {lead + core + trail, lead + core, core + trail, core};
    for (size_t f = lead.empty() && trail.empty() ? 3 : 0; f < 4; f++) {
        std::string plain = PlainWord(forms[f]), accented = UpperWord(forms[f]);
        if (lexicon.Has(plain)) return {plain, true};
        if (accented != plain && lexicon.Has(accented)) return {accented, true};
    }
    return {PlainWord(core), false};
}

// A word that may hold hyphens: the longest runs of its parts that the
// lexicon holds hyphenated stay whole (WELL-KNOWN), the others are said
// part by part.
void AddWord(const std::u32string &word, const Lexicon &lexicon, std::vector<std::string> *words) {
    std::vector<std::u32string> parts(1);
    for (char32_t c : word) {
        if (c == '-') parts.emplace_back();
        else parts.back() += c;
    }
    for (size_t i = 0; i < parts.size();) {
        size_t j = std::min(parts.size(), i + kMostJoined);
        for (; j > i + 1; j--) {
            std::u32string joined = parts[i];
            for (size_t k = i + 1; k < j; k++) joined += U"-" + parts[k];
            Spelling s = Spell(joined, lexicon);
            if (s.known) {
                words->push_back(s.word);
                break;
            }
        }
        if (j == i + 1) words->push_back(Spell(parts[i], lexicon).word);
        i = j;
    }
}

}  // namespace

std::vector<std::string> SpokenWords(const std::string &text, const Lexicon &lexicon) {
    std::u32string t = DecodeText(text);
    for (char32_t &c : t) c = Canonical(c);
    std::vector<std::string> words;
    for (size_t i = 0; i < t.size();) {
        size_t end = i;
        if (StartsWord(t, i)) {
            end = WordEnd(t, i);
            AddWord(t.substr(i, end - i), lexicon, &words);
        } else {
            end = ReadNumber(t, i, &words);
        }
        if (end > i) {
            i = end;
            continue;
        }
        if (const char *word = SymbolWord(t[i])) words.push_back(word);
        i++;
    }
    return words;
}

}  // namespace tool
