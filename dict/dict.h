// dict.h - the system, user, vocabulary and exercise dictionaries, word
// lookup and the copying of the words a lattice uses.
#ifndef KH_DICT_DICT_H
#define KH_DICT_DICT_H

#include <string>

#include "frame/state.h"

namespace kh {

// Pronunciations are held in buffers of this size.
constexpr int kPronLen = 256;
// Word names built here hold at most 255 characters.
constexpr int kWordLen = 256;

bool PronEqual(const char *a, const char *b);
// The number of the word's first pronunciation equal to pron; 0 when none.
int FindPron(hapiDictObject dict, const char *word, const char *pron);
bool PhoneSetsEqual(hapiDictObject a, hapiDictObject b);
// Copies the words of source into target (same phone set required).
void AddDict2Dict(hapiDictObject target, hapiDictObject source);
// Loads a dictionary file, or creates it (and its folders) empty with the
// system phone set when it does not exist; with VOCABCACHE, a file that
// does not load is set aside as NAME.damaged and created likewise.  Null
// on failure.
hapiDictObject LoadDict(const char *filename);
// The system dictionary merged with the user dictionary, loaded on first
// need and kept.  Null when neither can be had.
hapiDictObject LoadSysDict();

// Reads pronunciation pron of a word, and its output symbol (empty when
// none; has_outsym tells which).  False when it does not fit.
bool ReadPron(hapiDictObject dict, int word, int pron, std::string *phones, std::string *outsym,
              bool *has_outsym);
// The name of a word of a dictionary ("" when it has none).
std::string DictWordName(hapiDictObject dict, int word);

bool IsMarkerWord(const char *word);
// word, or word_TAG for a word of a tagged lattice ("!NULL" and the marker
// words are never tagged); "" when the name would not fit in 255
// characters, since a cut name could stand for another word.
std::string QualifiedWordName(const char *word, const char *tag);
// Copies name up to its first '_' into out (kWordLen); null on null input,
// and null with out emptied when that part does not fit.
char *WordBaseName(const char *name, char *out);
// Adds a pronunciation unless an identical one is there; answers the
// word's number in the dictionary (0 when the name does not fit).
int AddWordPron(hapiDictObject dict, const char *word, const char *tag, const char *pron,
                const char *outsym);
// The word's number in the vocabulary's exercise dictionary, fetching it
// from the vocabulary and system dictionaries when missing; 0 on failure.
// The vocabulary dictionary file is saved after each fetch, or once at the
// end of the open VocabSaveBatch.
int GetWordId(VocabRecord *vocab, const char *word);

// While one lives, the vocabulary dictionaries that words are fetched into
// are saved once, when the outermost batch ends, instead of after every
// word: a call that fetches thousands of words writes the file once, and
// still before it returns.
class VocabSaveBatch {
public:
    VocabSaveBatch();
    ~VocabSaveBatch();
    VocabSaveBatch(const VocabSaveBatch &) = delete;
    VocabSaveBatch &operator=(const VocabSaveBatch &) = delete;
};
// Copies every word a lattice (and its sub-lattices) uses into target,
// qualified by the lattice name when tag is set.
void SaveUsedWords(hapiLatObject lattice, hapiDictObject target, int tag);

}  // namespace kh

#endif  // KH_DICT_DICT_H
