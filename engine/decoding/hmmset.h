// hmmset.h - the recognition objects of the engine (acoustic models,
// sources, coders, networks, recognisers, results) and what they share.
//
// Recognition runs on PocketSphinx.  The coder turns samples into
// normalised cepstra itself, so that a file decoded whole or in steps sees
// the same features; the recogniser feeds those cepstra to a decoder whose
// own normalisation and silence removal are off.  Frame k of an utterance
// always starts at k times the frame period.
#ifndef ENGINE_DECODING_HMMSET_H
#define ENGINE_DECODING_HMMSET_H

#include "base/config.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

typedef struct ps_decoder_s ps_decoder_t;
typedef struct cmd_ln_s cmd_ln_t;

namespace engine {

class LiveInput;
class FrontEnd;
class Scorer;
class Redecoder;
struct Grammar;

// What the engine knows of an acoustic model folder.
struct Model {
    std::string dir;          // the folder holding mdef, feat.params, means, ...
    std::string mdef;         // MMF as given
    std::string hmmlist;      // HMMLIST as given
    std::vector<std::string> phones;  // the context-independent phones, in mdef order
    std::string silence;      // the unit used around speech
    int samprate = 16000;     // samples per second the model was trained on
    int frate = 100;          // frames per second
    std::string feat_params;  // path of feat.params, "" when the folder has none

    bool has_phone(const std::string &p) const;
};

// Fills dir, phones, feat_params and the rates of m from the model
// definition file and the folder holding it.
bool describe_model(const std::string &mdef, Model *m, std::string *why);

// Reads the phone list of a model definition file, text or binary.
bool read_mdef_phones(const std::string &path, std::vector<std::string> *phones, std::string *why);

// A decoder for the model with the given beams (natural-log widths);
// null on failure.  Its own silence removal and normalisation are off.
ps_decoder_t *make_decoder(const Model &m, double beam, double word_beam);

// The sample rate of the model loaded last (16000 before any): headerless
// files and the live input are taken at this rate.
int current_model_rate();

// Converts a score of the decoder's grammar search to a natural log.
double decoder_score_to_ln(ps_decoder_t *ps, int score);

// The samples and features of one utterance.  Shared between the coder
// that fills it and the results that refer to it, so a result stays
// readable while the coder moves on.
struct Utterance {
    static constexpr int kCepLen = 13;
    int samples_per_frame = 160;
    std::vector<short> samples;             // at the model's rate
    std::vector<float> cep;                 // kCepLen normalised values per frame
    std::vector<unsigned char> speech;      // per frame: 1 when it sounds like speech
    bool complete = false;                  // no more frames will come

    int frames() const { return static_cast<int>(cep.size() / kCepLen); }
    const float *frame(int k) const { return cep.data() + static_cast<size_t>(k) * kCepLen; }
};

}  // namespace engine

struct hapi_hmmset {
    engine::Model model;
    std::string background;            // BKHMMNAME as given at creation
    bool loaded = false;
    std::shared_ptr<engine::Scorer> scorer;  // confidence scoring, made at loading
    std::shared_ptr<engine::Redecoder> redecoder;  // phone alignment and alternatives
};

struct hapi_source {
    int kind = 0;
    std::string filename;
    bool initialised = false;
    bool in_use = false;              // initialised once: follows new file names from then on
    bool started = false;
    int rate = 0;                     // samples per second of what it delivers
    std::vector<short> wave;          // kind 1: the whole file, at its own rate
    std::unique_ptr<engine::LiveInput> live;  // kind 5, once started
    ~hapi_source();
};

struct hapi_coder {
    hapi_source *src = nullptr;
    std::string model_name;
    engine::Model model;
    std::unique_ptr<engine::FrontEnd> fe;
    std::shared_ptr<engine::Utterance> utt;   // the last utterance, until completed
    bool prepared = false;
    ~hapi_coder();
};

struct hapi_net {
    // One pronunciation of a dictionary word that the grammar uses.
    struct Pron {
        std::string word;     // the dictionary word's name
        std::string phones;   // blank-separated model phones
        std::string outsym;   // empty when the pronunciation has none
        bool silence = false; // made only of the model's silence unit
        bool operator==(const Pron &o) const {
            return word == o.word && phones == o.phones && outsym == o.outsym && silence == o.silence;
        }
    };
    // A transition of the decoding graph; pron -1 is a null transition.
    struct Trans {
        int from = 0, to = 0;
        float score = 0.0f;   // natural-log probability, at most 0
        int pron = -1;
        bool operator==(const Trans &o) const {
            return from == o.from && to == o.to && score == o.score && pron == o.pron;
        }
    };
    hapi_hmmset *hmms = nullptr;
    std::vector<Pron> prons;
    std::vector<Trans> trans;
    int nstates = 0;
    int start = 0, final = 0;
    std::string lead_word = "<s>";   // the word standing for silence before speech
    std::string trail_word = "<s>";  // ... and after it
    std::vector<std::string> phone_set;  // the dictionary's phones; id = index + 1
};

namespace engine {

// The grammar a recogniser was prepared with, kept by its results for the
// questions asked after recognition.
struct Grammar {
    std::vector<hapi_net::Pron> prons;
    std::vector<hapi_net::Trans> trans;
    int nstates = 0, start = 0, final = 0;
    std::vector<std::string> phone_set;
    std::string silence_phone;   // the model's unit said by silence words
};

}  // namespace engine

struct hapi_rec {
    hapi_hmmset *hmms = nullptr;
    float genbeam = 150.0f, goptbeam = 25.0f;
    int silseq = 100, nbest = 1, ntoks = 1;
    double max_seconds = 30.0;
    ps_decoder_t *ps = nullptr;
    // Decoder words made so far, by word name and phones, reused between
    // networks; and, for the network prepared, decoder word -> pron index.
    std::unordered_map<std::string, std::string> decoder_words;
    std::unordered_map<std::string, int> pron_of;
    int searches = 0;                  // grammar searches made, for unique names
    // Copied from the network at preparation, so that the network may go
    // before the result is read.
    std::vector<hapi_net::Pron> prons;
    std::vector<hapi_net::Trans> trans;   // the grammar the decoder holds
    int nstates = 0, start = 0, final = 0;
    std::string lead_word, trail_word;
    std::shared_ptr<const engine::Grammar> grammar;
    hapi_coder *coder = nullptr;       // must outlive the utterance
    std::shared_ptr<engine::Utterance> utt;
    bool in_utterance = false;         // decoder started, not yet ended
    bool finished = false;             // no further frames will be decoded
    int consumed = 0;                  // frames taken by hapiRecProcess
    int decoded = 0;                   // frames given to the decoder (the first wait)
    bool speech_seen = false;          // live: enough speech frames heard
    int speech_frames = 0;
    int silence_run = 0;               // live: silent frames since the last speech
    ~hapi_rec();
};

struct hapi_res {
    // One phone of a recognised word, as aligned within the word's frames.
    struct Phone {
        int id = -1;            // in the dictionary's phone set; -1 when it is not there
        int first = 0, end = 0; // frames, as for words
        double ascore = 0.0;
    };
    // One word of a result.
    struct Word {
        std::string name;
        std::string outsym;
        std::string phones;     // the pronunciation recognised ("" for silence)
        int pron = -1;          // its index in the grammar; -1 for the edge silences
        int first = 0;          // first frame
        int end = 0;            // one past the last frame
        double ascore = 0.0;    // natural-log acoustic likelihood
        double conf = -1.0;     // -1 until computed
        std::vector<Phone> aligned;  // the phone alignment, once asked for
    };
    int flags = 0;
    void *attachment = nullptr;
    std::vector<Word> words;
    std::shared_ptr<engine::Utterance> utt;   // the audio the words were found in
    std::shared_ptr<engine::Scorer> scorer;
    std::shared_ptr<engine::Redecoder> redecoder;
    std::shared_ptr<const engine::Grammar> grammar;
    int nbest = 1;                  // alternatives the recogniser keeps
    double advance = 0.01;
    bool confidences_done = false;
    bool final = false;             // the result of a completed recognition
};

namespace engine {

// Fills res from the decoder's current best hypothesis (partial or final).
void result_from_decoder(hapi_res *res, hapi_rec *rec);

// Word `word` (from 1) of a result, or null, with a complaint naming the
// caller, when there is no such word.
hapi_res::Word *word_at(hapi_res *res, int word, const char *caller);

}  // namespace engine

#endif  // ENGINE_DECODING_HMMSET_H
