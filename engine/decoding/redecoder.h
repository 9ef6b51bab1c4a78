// redecoder.h - a second decoder per acoustic model that decodes stored
// frames of a finished utterance again against a small grammar made for
// the question: what the recognition grammar allows over a stretch (the
// alternatives).
#ifndef ENGINE_DECODING_REDECODER_H
#define ENGINE_DECODING_REDECODER_H

#include "base/model.h"
#include "base/utterance.h"

#include <string>
#include <unordered_map>
#include <vector>

typedef struct fsg_model_s fsg_model_t;
typedef struct ps_decoder_s ps_decoder_t;

namespace engine {

class Redecoder {
public:
    // Takes ownership of `ps`, a decoder on the model, when one is given;
    // else one is loaded on first use.
    explicit Redecoder(const Model &m, ps_decoder_t *ps = nullptr) : model_(m), ps_(ps) {}
    ~Redecoder();
    Redecoder(const Redecoder &) = delete;
    Redecoder &operator=(const Redecoder &) = delete;

    // A fresh grammar of nstates states on this decoder's log base; null
    // when the decoder cannot be loaded.
    fsg_model_t *new_grammar(int nstates);
    // The decoder word saying `phones` for the word `word` (added when
    // new); null when the decoder refuses it.
    const char *word_for(const std::string &word, const std::string &phones);
    // Decodes frames first..end-1 of utt against the grammar, which it
    // frees.  With fillers the decoder may put silence and noise between
    // the grammar's words.  beam is the width of all three beams in nats
    // (by default so wide that nothing the grammar allows is pruned).
    // False when decoding fails.
    bool decode(const Utterance &utt, int first, int end, fsg_model_t *fsg, bool fillers, double beam = kWideBeam);
    static constexpr double kWideBeam = 600.0;
    // The decoder, holding the last decode's search (null before any).
    ps_decoder_t *decoder() { return ps_; }

private:
    bool ready();

    Model model_;
    ps_decoder_t *ps_ = nullptr;
    bool failed_ = false;
    std::unordered_map<std::string, std::string> words_;  // word + '\n' + phones -> decoder word
    int searches_ = 0;
};

}  // namespace engine

#endif  // ENGINE_DECODING_REDECODER_H
