// dict.h - the system, user, vocabulary and exercise dictionaries, word
// lookup and the copying of the words a lattice uses.
#ifndef KH_DICT_DICT_H
#define KH_DICT_DICT_H

#include <string>
#include <vector>

#include "frame/state.h"

namespace kh {

constexpr int32_t kModelTag = 123;
constexpr int32_t kVocabTag = 234;

struct SyntaxLink;
struct RecogniserNode;

struct ModelRecord {
    int32_t tag = kModelTag;
    hapiHMMSetObject hmm_set = nullptr;
    char name[kNameLen] = {};
    char model_file[kNameLen] = {};
    char hmm_list_file[kNameLen] = {};
    char background[kNameLen] = {};
    ModelRecord *next = nullptr;
};

struct VocabRecord {
    int32_t tag = kVocabTag;
    char name[kNameLen] = {};
    hapiDictObject vocab_dict = nullptr;
    char vocab_dict_file[kNameLen] = {};
    hapiDictObject exercise_dict = nullptr;
    SyntaxLink *syntaxes = nullptr;
    RecogniserNode *recognisers = nullptr;
    ModelRecord *model = nullptr;
    VocabRecord *next = nullptr;
};

// Pronunciations are held in buffers of this size: every one the engine
// hands out fits.
constexpr int kPronLen = HAPI_MAX_NAME;
// Word names built here hold at most 255 characters.
constexpr int kWordLen = 256;

bool PronEqual(const char *a, const char *b);
// The number of the word's first pronunciation equal to pron; 0 when none.
int FindPron(hapiDictObject dict, const char *word, const char *pron);
// The dictionary's phone set in order: phone id i is entry i - 1.  Empty
// when the engine gives none.
std::vector<std::string> PhoneSet(hapiDictObject dict);
bool PhoneSetsEqual(hapiDictObject a, hapiDictObject b);
// Gives target every pronunciation of source that it lacks, and the output
// symbols of source for those both have; answers how many pronunciations
// target refused (phones outside its declared phone set).
int MergeWords(hapiDictObject target, hapiDictObject source);
// Copies the words of source into target (same phone set required).
void AddDict2Dict(hapiDictObject target, hapiDictObject source);
// Loads a dictionary file as it is; null when the engine cannot.
hapiDictObject LoadDictFile(const char *filename);
// Loads a dictionary file, or creates it (and its folders) empty with the
// system phone set when it does not exist; with VOCABCACHE, a file that
// does not load is set aside as NAME.damaged and created likewise.  The
// words of a file without a phone-set line take the system phone set.
// Null on failure.
hapiDictObject LoadDict(const char *filename);
// Saves a dictionary to its file under a lock, having first taken in the
// words that another program sharing the file saved there meanwhile, so
// that neither loses words.  False with the reason in *why.
bool SaveDictMerged(hapiDictObject dict, const char *filename, std::string *why);
// The system dictionary merged with the user dictionary, loaded on first
// need and kept.  Null when neither can be had.
hapiDictObject LoadSysDict();

// Reads pronunciation pron of a word, and its output symbol (empty when
// none; has_outsym tells which).  False when it does not fit.
bool ReadPron(hapiDictObject dict, int word, int pron, std::string *phones, std::string *outsym, bool *has_outsym);
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
int AddWordPron(hapiDictObject dict, const char *word, const char *tag, const char *pron, const char *outsym);
// The word's number in the vocabulary's exercise dictionary, fetching it
// from the vocabulary and system dictionaries when missing; 0 on failure.
// The vocabulary dictionary file is saved after each fetch, or once when
// the open VocabSaveBatch saves; a word that a failed save left out of the
// file is answered only once a save has written it.
int GetWordId(VocabRecord *vocab, const char *word);

// The vocabulary dictionary file lacks this word of the dictionary.
void NoteUnsavedWord(VocabRecord *vocab, const std::string &word);
// When the vocabulary dictionary file lacks the word, saves it now, or
// marks it for the open batch.  False after logging "CALLER: Unable to save
// vocabulary dictionary FILE: REASON".
bool KeepVocabWord(VocabRecord *vocab, const char *word, const char *caller);
// The vocabulary dictionary's words from number words_before + 1 on are
// new: saves the file (now, or in the open batch) when it lacks any word.
// False after logging as KeepVocabWord does.
bool SaveNewVocabWords(VocabRecord *vocab, int words_before, const char *caller);

// While one lives, the vocabulary dictionaries that words are fetched into
// are saved once, by Save or when the outermost batch ends, instead of
// after every word: a call that fetches thousands of words writes the file
// once, and still before it returns.  caller names the call in messages.
class VocabSaveBatch {
public:
    explicit VocabSaveBatch(const char *caller);
    ~VocabSaveBatch();
    VocabSaveBatch(const VocabSaveBatch &) = delete;
    VocabSaveBatch &operator=(const VocabSaveBatch &) = delete;
    // Saves now what the batch is to save; false after logging a failure.
    bool Save();
};
// Copies every word a lattice (and its sub-lattices) uses into target,
// qualified by the lattice name when tag is set.
void SaveUsedWords(hapiLatObject lattice, hapiDictObject target, int tag);

}  // namespace kh

#endif  // KH_DICT_DICT_H
