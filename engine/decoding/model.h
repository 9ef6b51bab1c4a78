// model.h - what the engine knows of an acoustic model folder, and the
// PocketSphinx decoders made for it.
//
// Recognition runs on PocketSphinx.  The coder turns samples into
// normalised cepstra itself, so that a file decoded whole or in steps sees
// the same features; the decoders are given those cepstra with their own
// normalisation and silence removal off.
#ifndef ENGINE_DECODING_MODEL_H
#define ENGINE_DECODING_MODEL_H

#include <string>
#include <vector>

typedef struct ps_decoder_s ps_decoder_t;
typedef struct cmd_ln_s cmd_ln_t;

namespace engine {

struct Model {
    std::string dir;          // the folder holding mdef, feat.params, means, ...
    std::string mdef;         // MMF as given
    std::string hmmlist;      // HMMLIST as given
    std::vector<std::string> phones;  // the context-independent phones, in mdef order
    std::string silence;      // the unit used around speech
    int samprate = 16000;     // samples per second the model was trained on
    int frate = 100;          // frames per second
    std::string feat_params;  // path of feat.params, "" when the folder has none
    // The decoder's silence and noise words: "<sil>" first, then those of
    // the folder's noisedict, without the sentence marks <s> and </s>.
    std::vector<std::string> fillers;

    bool has_phone(const std::string &p) const;
};

// Fills dir, phones, feat_params and the rates of m from the model
// definition file and the folder holding it.
bool describe_model(const std::string &mdef, Model *m, std::string *why);

// Reads the phone list of a model definition file, text or binary.
bool read_mdef_phones(const std::string &path, std::vector<std::string> *phones, std::string *why);

// The recogniser's keys when the configuration leaves them out.
constexpr float kDefaultGenbeam = 150.0f;
constexpr float kDefaultGoptbeam = 25.0f;
constexpr int kDefaultSilseqcount = 100;
constexpr int kDefaultNbest = 1;
constexpr int kDefaultNtoks = 1;
constexpr float kDefaultMaxUttTime = 30.0f;

// The decoder's beams are natural-log widths: GENBEAM scales its main and
// phone beams, GOPTBEAM its word-exit beam, so that the defaults give
// PocketSphinx's own (-beam and -pbeam 1e-48, -wbeam 7e-29).
inline double decoder_beam(double genbeam) { return genbeam * (110.52 / kDefaultGenbeam); }
inline double decoder_word_beam(double goptbeam) { return goptbeam * (64.83 / kDefaultGoptbeam); }

// A decoder for the model with the given beams (natural-log widths);
// null on failure.  Its own silence removal and normalisation are off.
ps_decoder_t *make_decoder(const Model &m, double beam, double word_beam);

// The sample rate of the model loaded last (16000 before any): headerless
// files and the live input are taken at this rate.
int current_model_rate();

// Converts a score of the decoder's grammar search to a natural log.
double decoder_score_to_ln(ps_decoder_t *ps, int score);

}  // namespace engine

#endif  // ENGINE_DECODING_MODEL_H
