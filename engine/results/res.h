// res.h - the result object: the words of a recognition, with what the
// questions asked after it need (the audio, the grammar, the scorers).
#ifndef ENGINE_RESULTS_RES_H
#define ENGINE_RESULTS_RES_H

#include "base/recognition_grammar.h"
#include "base/utterance.h"
#include "hapi.h"

#include <memory>
#include <string>
#include <vector>

namespace engine {
class PhoneScorer;
class Redecoder;
}  // namespace engine

struct hapi_res {
    // One phone of a recognised word, as aligned within the word's frames.
    struct Phone {
        int id = -1;             // in the dictionary's phone set; -1 when it is not there
        int first = 0, end = 0;  // frames, as for words
        double ascore = 0.0;     // of its states on its frames, against the best state of each frame
        double conf = -1.0;      // -1 until computed
        std::string heard;       // the phone the model hears on the frames, with conf
    };
    // One word of a result.
    struct Word {
        std::string name;
        std::string outsym;
        std::string phones;          // the pronunciation recognised ("" for silence)
        int pron = -1;               // its index in the grammar; -1 for the edge silences
        int first = 0;               // first frame
        int end = 0;                 // one past the last frame
        double ascore = 0.0;         // natural-log acoustic likelihood
        double conf = -1.0;          // -1 until computed
        std::vector<Phone> aligned;  // the phone alignment, once asked for
    };
    void *attachment = nullptr;
    std::vector<Word> words;
    std::shared_ptr<engine::Utterance> utt;  // the audio the words were found in
    std::shared_ptr<const engine::PhoneScorer> phone_scorer;
    std::shared_ptr<engine::Redecoder> redecoder;
    std::shared_ptr<const engine::Grammar> grammar;
    int nbest = 1;  // alternatives the recogniser keeps
    double advance = 0.01;
    bool confidences_done = false;
    bool aligned = false;  // every word's phones aligned
    bool final = false;    // the result of a completed recognition
};

namespace engine {

// Word `word` (from 1) of a result, or null, with a complaint naming the
// caller, when there is no such word.
hapi_res::Word *word_at(hapi_res *res, int word, const char *caller);

// The phones of a word as recognised; a silence word's is the grammar's
// silence phone.
std::vector<std::string> phones_of(const hapi_res &res, const hapi_res::Word &w);

// Aligns and judges the phones of every word of a final result (once per
// result); false for a partial result or when the model's phones cannot
// be scored.
bool compute_alignment(hapi_res *res);

}  // namespace engine

#endif  // ENGINE_RESULTS_RES_H
