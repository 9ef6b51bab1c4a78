// harness.h - what the ground-truth benchmarks share: the synthetic data,
// the library driven through its exports, PocketSphinx used directly on
// the same files and grammars, and the figures both are judged by.
#ifndef KHAPI_BENCH_HARNESS_H
#define KHAPI_BENCH_HARNESS_H

#include <pocketsphinx.h>

#include <map>
#include <string>
#include <vector>

#include "khapi.h"

namespace bench {

double Now();

// Runs a data script unless its output is already there; false on failure.
bool MakeData(const std::string &command);

// Lines of a '|'-separated list file, split into fields.
std::vector<std::vector<std::string>> ReadList(const std::string &path);

// The 16-bit samples of a mono PCM WAV file (empty when unreadable).
std::vector<short> ReadWav(const std::string &path);

struct Phone {
    std::string name;
    double start = 0, end = 0;
    float score = 0, conf = 0;
    std::string heard;  // "" when the library gives none
};

struct Word {
    std::string name;  // upper case, without pronunciation variant
    double start = 0, end = 0;
    float score = 0, conf = 0;
    std::vector<Phone> phones;
};

// One recogniser of the library, with one syntax per sentence.
class Library {
public:
    explicit Library(const std::string &workdir);
    bool ok() const { return rec_ != nullptr; }
    // Recognises a file against the sentence as its only option.  With
    // details, also every word's score and confidence and every phone's
    // times, score and confidence.  Words are empty when nothing was
    // recognised; false when a call failed.
    bool Align(const std::string &wav, const std::string &sentence, bool details, std::vector<Word> *words);
    // Seconds of the last Align: preparation and recognition, and all of it.
    double decode_time() const { return decode_time_; }
    double total_time() const { return total_time_; }

private:
    double decode_time_ = 0, total_time_ = 0;
    KhSyntax Syntax(const std::string &sentence);
    KhRecogniser rec_ = nullptr;
    std::map<std::string, KhSyntax> syntaxes_;
};

// PocketSphinx on its own, with the library's default beams and no
// silence removal, the sentence as a one-option JSGF grammar.
class Direct {
public:
    Direct();
    ~Direct();
    // Words with times (fillers left out), each named with the
    // pronunciation it was recognised with in `pron`.
    std::vector<Word> Align(const std::string &wav, const std::string &sentence, std::vector<std::string> *prons);
    // Phone times from a second decode whose grammar spells the
    // pronunciations as a chain of one-phone words.
    std::vector<Phone> AlignPhones(const std::string &wav, const std::vector<std::string> &prons);
    // The dictionary pronunciation of a word as recognised ("to(2)").
    std::string Pronunciation(const std::string &word) const;

private:
    ps_decoder_t *words_ = nullptr, *phones_ = nullptr;
    std::map<std::string, std::string> dict_;
};

// Area under the ROC curve: the chance that a member of `high` scores
// above a member of `low` (ties count half).
double Auc(const std::vector<double> &high, const std::vector<double> &low);

bool IsSilence(const std::string &name);

}  // namespace bench

#endif  // KHAPI_BENCH_HARNESS_H
