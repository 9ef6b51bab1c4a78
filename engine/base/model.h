// model.h - what the engine knows of an acoustic model folder: read from
// its files by the HMM set and the coders alike, and shared by every
// subsystem that works with the model.
#ifndef ENGINE_BASE_MODEL_H
#define ENGINE_BASE_MODEL_H

#include <string>
#include <vector>

namespace engine {

struct Model {
    std::string dir;                  // the folder holding mdef, feat.params, means, ...
    std::string mdef;                 // MMF as given
    std::string hmmlist;              // HMMLIST as given
    std::vector<std::string> phones;  // the context-independent phones, in mdef order
    std::string silence;              // the unit used around speech
    int samprate = 16000;             // samples per second the model was trained on
    int frate = 100;                  // frames per second
    std::string feat_params;          // path of feat.params, "" when the folder has none
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

// The sample rate of the model loaded last (16000 before any): headerless
// files and the live input are taken at this rate.
int current_model_rate();
// Makes `samprate` the rate of the model loaded last.
void set_current_model_rate(int samprate);

}  // namespace engine

#endif  // ENGINE_BASE_MODEL_H
