// dictionary.h - the dictionary object, the rules its names obey and the
// edits shared by the dictionary calls and the dictionary file reader.
#ifndef ENGINE_LEXICON_DICTIONARY_H
#define ENGINE_LEXICON_DICTIONARY_H

#include "hapi.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct hapi_dict {
    struct Pron {
        std::string phones;  // phone names separated by single blanks
        // Null when the pronunciation has none.  Few have one, and a
        // pointer keeps each of a big dictionary's pronunciations small.
        std::unique_ptr<std::string> outsym;
    };
    struct Word {
        std::string name;
        std::vector<Pron> prons;
    };

    std::string filename;
    std::vector<std::string> phones;                 // phone set in order; ids from 1 = index + 1
    std::unordered_map<std::string, int> phone_ids;  // name -> id (from 1)
    bool phones_declared = false;                    // set by "!!PHONESET"/"!!PHONES" or inherited
    std::vector<Word> words;                         // words[0] unused; words[1] is "!NULL"
    // The words' ids by name, open-addressed (0: an empty slot).  Holding
    // ids rather than copies of the names keeps a 134,000-word dictionary
    // some 8 MB smaller.
    std::vector<int> word_slots;
    bool modifiable = false;
};

namespace engine {

// The entries that declare the phone set; they are never words.
bool is_phoneset_entry(std::string_view name);

// When name is written "WORD(N)" (N decimal digits, WORD not empty), the
// further pronunciation form of the packaged dictionaries, answers WORD.
// Otherwise answers name itself.
std::string_view alternate_base(std::string_view name);

// Each answers null when the text may be stored, else why not.
const char *bad_word_name(std::string_view name);
const char *bad_phone_name(std::string_view name);
const char *bad_outsym(std::string_view sym);

// Resets a dictionary to hold only the null word, with no phones.
void dict_clear(hapi_dict *d);

// The word's id, creating the word (without pronunciations) when new.
// The name must already have passed bad_word_name.
int dict_word(hapi_dict *d, std::string_view name);

// The id of the word with this name; 0 when there is none.
int dict_find(const hapi_dict &d, std::string_view name);

// Makes room for this many words in all.
void dict_reserve(hapi_dict *d, size_t words);

// Appends a phone to the phone set; answers its id.
int dict_add_phone(hapi_dict *d, std::string_view name);

// Loads a dictionary file into d (which must be freshly cleared).  On a
// malformed file writes the file, line and reason and answers false.
bool dict_load(hapi_dict *d, const std::string &path);

// Writes d in the format dict_load reads, atomically.
bool dict_save(const hapi_dict &d, const std::string &path);

}  // namespace engine

#endif  // ENGINE_LEXICON_DICTIONARY_H
