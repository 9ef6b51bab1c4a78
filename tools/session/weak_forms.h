// weak_forms.h - how English function words are said in connected speech.
#pragma once

#include <string>
#include <vector>

namespace tool {

// Dictionary lines ("HE(11) IY") giving the weak forms of the function
// words that the system dictionary `sysdict` has: the reduced vowel, the
// dropped H of HE or HAVE, the dropped D of AND, as fluent speakers say
// them, so that an assessment does not take them for errors.  Only forms
// whose phones are all in `phones` are given; none when the dictionary
// cannot be read or has none of the words.
std::string WeakFormEntries(const std::string &sysdict, const std::vector<std::string> &phones);

// Whether `word` (in any case) is one of those function words.
bool IsWeakWord(const std::string &word);

}  // namespace tool
