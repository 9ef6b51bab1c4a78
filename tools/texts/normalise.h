// normalise.h - a text as people write it, as the words a speaker says.
#pragma once

#include <string>
#include <vector>

#include "texts/lexicon.h"

namespace tool {

// The words a speaker says for a text, in capitals as the dictionaries spell
// them: numbers, money, times and "&" as words; apostrophes inside words
// kept, quotes and other punctuation dropped; hyphenated words and accented
// spellings kept only where the lexicon holds them (an empty lexicon holds
// nothing).  Any bytes are read: what is not UTF-8 as Latin-1.  The rules,
// with examples, are in docs/khapi-texts.md.
std::vector<std::string> SpokenWords(const std::string &text, const Lexicon &lexicon);

}  // namespace tool
