// phone_loop.cpp - the phone loop scorer: every phone of the model a
// word of its own, in a loop, decoded over a stretch of frames.
#include "base/diagnostics.h"
#include "decoding/decoder.h"
#include "decoding/frames.h"
#include "decoding/phone_loop.h"

#include <pocketsphinx.h>
#include <sphinxbase/fsg_model.h>

#include <algorithm>

namespace {

const char *kLoopSearch = "engine_phone_loop";

}  // namespace

namespace engine {

Scorer::Scorer(ps_decoder_t *ps, const Model &m) : ps_(ps) {
    fsg_model_t *loop = fsg_model_init(kLoopSearch, ps_get_logmath(ps), 1.0f, 2);
    int added = 0;
    for (const std::string &phone : m.phones) {
        if (phone.empty() || phone[0] == '+') continue;  // noise units come in as fillers
        std::string word = "phone:" + phone;
        if (ps_add_word(ps, word.c_str(), phone.c_str(), FALSE) < 0) continue;
        fsg_model_trans_add(loop, 0, 1, 0, fsg_model_word_add(loop, word.c_str()));
        added++;
    }
    fsg_model_null_trans_add(loop, 1, 0, 0);
    loop->start_state = 0;
    loop->final_state = 1;
    ready_ = added > 0 && ps_set_fsg(ps, kLoopSearch, loop) == 0 && ps_set_search(ps, kLoopSearch) == 0;
    fsg_model_free(loop);
    if (!ready_) complain("cannot set up the phone loop for confidences");
}

Scorer::~Scorer() { ps_free(ps_); }

bool Scorer::loop_scores(const Utterance &utt, int n, std::vector<double> *per_frame) {
    per_frame->assign(n, 0.0);
    if (!ready_) return false;
    if (n <= 0) return true;
    if (!decode_stretch(ps_, utt, 0, n)) return false;
    for (ps_seg_t *seg = ps_seg_iter(ps_); seg; seg = ps_seg_next(seg)) {
        int sf, ef;
        int32 ascr, lscr, lback;
        ps_seg_frames(seg, &sf, &ef);
        ps_seg_prob(seg, &ascr, &lscr, &lback);
        sf = std::max(sf, 0);
        ef = std::min(ef, n - 1);
        if (ef < sf) continue;
        double each = decoder_score_to_ln(ps_, ascr) / (ef - sf + 1);
        for (int k = sf; k <= ef; k++) (*per_frame)[k] = each;
    }
    return true;
}

}  // namespace engine
