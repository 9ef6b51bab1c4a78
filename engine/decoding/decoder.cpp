// decoder.cpp - making PocketSphinx decoders for a model, and reading
// their scores.
#include "decoding/decoder.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>
#include <sphinxbase/feat.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace engine {

ps_decoder_t *make_decoder(const Model &m, double beam, double word_beam) {
    // The engine reports its own failures; the decoder's chatter goes nowhere.
    err_set_logfp(nullptr);
    char b[32], wb[32];
    snprintf(b, sizeof b, "%g", exp(-beam));
    snprintf(wb, sizeof wb, "%g", exp(-word_beam));
    cmd_ln_t *config =
        cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", m.dir.c_str(), "-mdef", m.mdef.c_str(), "-remove_silence", "no",
                    "-beam", b, "-pbeam", b, "-wbeam", wb, "-samprate", std::to_string(m.samprate).c_str(), nullptr);
    if (!config) return nullptr;
    ps_decoder_t *ps = ps_init(config);
    cmd_ln_free_r(config);
    // The coder hands over cepstra that are already normalised.
    if (ps) ps_get_feat(ps)->cmn = CMN_NONE;
    return ps;
}

double decoder_score_to_ln(ps_decoder_t *ps, int score) {
    // The grammar search keeps its scores shifted down by ten bits.
    logmath_t *lm = ps_get_logmath(ps);
    return static_cast<double>(score) * 1024.0 * log(logmath_get_base(lm));
}

}  // namespace engine
