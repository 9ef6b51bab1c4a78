// redecoder.cpp - decoding stored frames again against a grammar made for
// the question.
#include "base/diagnostics.h"
#include "base/utterance.h"
#include "decoding/decoder.h"
#include "decoding/frames.h"
#include "decoding/redecoder.h"

#include <pocketsphinx.h>
#include <sphinxbase/cmd_ln.h>
#include <sphinxbase/fsg_model.h>
#include <sphinxbase/glist.h>

#include <cmath>

namespace {

// The default beams are so wide that nothing the grammar allows is
// pruned: the grammars are small, and an alternative may trail the best
// path, which it must not end on, by hundreds of nats over a stretch.

}  // namespace

namespace engine {

Redecoder::~Redecoder() {
    if (ps_) ps_free(ps_);
}

// The decoder is loaded on first use: most results never need it.
bool Redecoder::ready() {
    if (ps_) return true;
    if (failed_) return false;
    ps_ = make_decoder(model_, kWideBeam, kWideBeam);
    failed_ = ps_ == nullptr;
    if (failed_) complain("cannot load a decoder on the model in %s", model_.dir.c_str());
    return ps_ != nullptr;
}

fsg_model_t *Redecoder::new_grammar(int nstates) {
    if (!ready()) return nullptr;
    return fsg_model_init("engine_redecode", ps_get_logmath(ps_), 1.0f, nstates);
}

const char *Redecoder::word_for(const std::string &word, const std::string &phones) {
    if (!ready()) return nullptr;
    std::string key = word + '\n' + phones;
    auto it = words_.find(key);
    if (it != words_.end()) return it->second.c_str();
    std::string name = "r" + std::to_string(words_.size());
    if (ps_add_word(ps_, name.c_str(), phones.c_str(), FALSE) < 0) return nullptr;
    return words_.emplace(key, name).first->second.c_str();
}

bool Redecoder::decode(const Utterance &utt, int first, int end, fsg_model_t *fsg, bool fillers, double beam) {
    if (!ps_ || first < 0 || end > utt.frames() || end <= first) {
        fsg_model_free(fsg);
        return false;
    }
    glist_free(fsg_model_null_trans_closure(fsg, nullptr));
    // The search reads these settings when it is made.
    cmd_ln_t *config = ps_get_config(ps_);
    cmd_ln_set_boolean_r(config, "-fsgusefiller", fillers);
    for (const char *key : {"-beam", "-pbeam", "-wbeam"}) cmd_ln_set_float_r(config, key, exp(-beam));
    std::string name = "redecode" + std::to_string(++searches_);
    bool ok = ps_set_fsg(ps_, name.c_str(), fsg) == 0 && ps_set_search(ps_, name.c_str()) == 0;
    fsg_model_free(fsg);
    if (searches_ > 1) ps_unset_search(ps_, ("redecode" + std::to_string(searches_ - 1)).c_str());
    if (!ok) return false;
    return decode_stretch(ps_, utt, first, end);
}

}  // namespace engine
