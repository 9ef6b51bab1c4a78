// letters.h - which code points are letters, their capitals and their
// plain Latin spellings.
#pragma once

#include <string>

namespace tool {

// Letters of any script.  ASCII letters; above ASCII, every code point that
// is not known punctuation, a symbol, a space, a control or a combining
// mark, so that words of other scripts stay whole.
bool IsLetter(char32_t c);

// A combining mark (a decomposed accent), part of the word before it.
bool IsMark(char32_t c);

// The capital of a letter of Latin (ASCII, Latin-1 Supplement, Latin
// Extended-A), Greek, Cyrillic or Armenian that has a simple one; any other
// code point as it is.
char32_t UpperLetter(char32_t c);

// The plain capital spelling of an accented Latin letter ("é" -> "E",
// "ß" -> "SS", "æ" -> "AE") or ligature ("ﬁ" -> "FI"), or null when it has
// none.
const char *PlainLetter(char32_t c);

// A word in capitals, in UTF-8: as spelled, or folded to plain letters
// (combining marks dropped, other scripts kept).
std::string UpperWord(const std::u32string &word);
std::string PlainWord(const std::u32string &word);

}  // namespace tool
