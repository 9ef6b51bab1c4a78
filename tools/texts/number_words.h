// number_words.h - numbers as a speaker reads them, in the dictionary's words.
#pragma once

#include <string>
#include <vector>

namespace tool {

// Reads the number that starts at text[at], if one does there (a digit, a
// point, minus or currency sign before a digit): appends its words and
// answers the position after it, or `at` itself when no number starts there.
size_t ReadNumber(const std::u32string &text, size_t at, std::vector<std::string> *words);

}  // namespace tool
