// confidence.cpp - word confidences against a free phone loop.
//
// The phone loop is what any sequence of the model's phones does on the
// frames, so it stands for every competitor of the word at once.  A word
// that was really said scores at least as well as the loop (its context
// and pronunciation fit); a word forced onto audio that says something
// else falls well below it.
#include "audio/utterance.h"
#include "base/diagnostics.h"
#include "decoding/frames.h"
#include "decoding/model.h"
#include "results/confidence.h"
#include "results/res.h"

#include <pocketsphinx.h>
#include <sphinxbase/fsg_model.h>

#include <algorithm>
#include <cmath>

namespace {

const char *kLoopSearch = "engine_phone_loop";

// Acoustic scale per frame: the decoder's scores are far too sharp to be
// read as probabilities unscaled, and a long word must not be judged more
// harshly than a short one for the same fit.
const double kScalePerFrame = 2.0;

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

double word_confidence(double word_ln, double loop_ln, int frames) {
    if (frames <= 0) return 0.0;
    return 1.0 / (1.0 + exp(-kScalePerFrame * (word_ln - loop_ln) / frames));
}

// The loop's score over frames first..end-1.
static double loop_over(const std::vector<double> &loop, int first, int end) {
    double l = 0.0;
    for (int k = first; k < std::min(end, static_cast<int>(loop.size())); k++) l += loop[k];
    return l;
}

bool compute_confidences(hapi_res *res) {
    if (res->confidences_done) return true;
    if (!res->scorer || !res->utt) return false;
    // A final result is judged on its phones' own states; a partial one,
    // which has no phones, on the recogniser's word scores.
    bool phones = res->final && compute_alignment(res);
    int n = 0;
    for (const auto &w : res->words) n = std::max(n, w.end);
    n = std::min(n, res->utt->frames());
    std::vector<double> loop;
    if (!res->scorer->loop_scores(*res->utt, n, &loop)) return false;
    for (auto &w : res->words) {
        double score = w.ascore;
        if (phones) {
            score = 0.0;
            for (auto &p : w.aligned) {
                p.conf = word_confidence(p.ascore, loop_over(loop, p.first, p.end), p.end - p.first);
                score += p.ascore;
            }
        }
        w.conf = word_confidence(score, loop_over(loop, w.first, w.end), w.end - w.first);
    }
    res->confidences_done = true;
    return true;
}

}  // namespace engine
