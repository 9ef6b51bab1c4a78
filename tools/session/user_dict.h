// user_dict.h - a pronouncing dictionary of the user's, in the form the
// library merges into its system dictionary.
#pragma once

#include <string>
#include <vector>

namespace tool {

// The word that stands for speech that is no word of a text: one
// pronunciation for each phone of the model but silence, so that
// repeated it spells out whatever was said.  The engine prices every
// phone of a word named "++NAME++", so that a word of the text that fits
// wins over it.
constexpr const char *kGarbageWord = "++SPEECH++";

// The phone set of a dictionary file in order: its !!PHONESET (or
// !!PHONES) lines, or else its phones in the order they first appear, as
// the engine reads it.  False with why when it cannot be read.
bool PhoneSet(const std::string &dict, std::vector<std::string> *phones, std::string *why);

// Writes to `out` (an open, empty file) the words of the given files with
// the phone set `phones` declared first, so that the library takes them
// beside its system dictionary.  The files may be plain CMUdict-style
// lists ("WORD  PH1 PH2", ";;;" and "#" comments, stress digits after the
// vowels, WORD(2) for a further pronunciation) or dictionaries in the
// engine's own form; words are put in capitals.  False with why
// ("FILE:LINE: ...") when a file cannot be read or a line uses a phone
// outside the set.  `extra`, dictionary lines in the engine's form, is
// written after them.
bool WriteUserDict(const std::vector<std::string> &files, const std::vector<std::string> &phones,
                   const std::string &extra, int out, std::string *why);

// The dictionary lines of kGarbageWord for a model of these phones.
std::string GarbageEntries(const std::vector<std::string> &phones);

}  // namespace tool
