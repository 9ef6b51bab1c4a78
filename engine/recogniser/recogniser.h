// recogniser.h - the recogniser object: a PocketSphinx decoder given a
// network's grammar and fed a coder's frames.
#ifndef ENGINE_RECOGNISER_RECOGNISER_H
#define ENGINE_RECOGNISER_RECOGNISER_H

#include "base/defaults.h"
#include "base/recognition_grammar.h"
#include "base/utterance.h"
#include "hapi.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

typedef struct ps_decoder_s ps_decoder_t;

namespace engine {
class FrameFeeder;
}

struct hapi_rec {
    hapi_hmmset *hmms = nullptr;
    float genbeam = engine::kDefaultGenbeam, goptbeam = engine::kDefaultGoptbeam;
    int silseq = engine::kDefaultSilseqcount, nbest = engine::kDefaultNbest, ntoks = engine::kDefaultNtoks;
    double max_seconds = engine::kDefaultMaxUttTime;
    ps_decoder_t *ps = nullptr;
    // Decoder words made so far, by word name and phones, reused between
    // networks; and, for the grammar the decoder holds, decoder word ->
    // pron index.
    std::unordered_map<std::string, std::string> decoder_words;
    std::unordered_map<std::string, int> pron_of;
    int searches = 0;            // grammar searches made, for unique names
    std::uint64_t searched = 0;  // the fingerprint of the grammar the decoder holds
    bool widened = false;        // ... searched last with wider beams
    // The network's grammar, kept so that the network may go before the
    // result is read.
    std::shared_ptr<const engine::Grammar> grammar;
    hapi_coder *coder = nullptr;  // must outlive the utterance
    std::shared_ptr<engine::Utterance> utt;
    bool in_utterance = false;                    // decoder started, not yet ended
    bool finished = false;                        // no further frames will be decoded
    int consumed = 0;                             // frames taken by hapiRecProcess
    int decoded = 0;                              // frames given to the decoder
    std::unique_ptr<engine::FrameFeeder> feeder;  // gives them, for the utterance under way
    bool padded = false;                          // the last frame's right context given
    bool speech_seen = false;                     // live: enough speech frames heard
    int speech_frames = 0;
    int silence_run = 0;  // live: silent frames since the last speech
    int checked = 0;      // live: frames looked at for the end
    ~hapi_rec();
};

namespace engine {

// Fills res from the decoder's current best hypothesis (partial or final).
void result_from_decoder(hapi_res *res, hapi_rec *rec);

}  // namespace engine

#endif  // ENGINE_RECOGNISER_RECOGNISER_H
