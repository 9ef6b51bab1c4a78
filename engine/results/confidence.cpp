// confidence.cpp - word confidences against a free phone loop.
//
// The phone loop is what any sequence of the model's phones does on the
// frames, so it stands for every competitor of the word at once.  A word
// that was really said scores at least as well as the loop (its context
// and pronunciation fit); a word forced onto audio that says something
// else falls well below it.
#include "decoding/phone_loop.h"
#include "results/confidence.h"
#include "results/res.h"

#include <algorithm>
#include <cmath>

namespace {

// Acoustic scale per frame: the decoder's scores are far too sharp to be
// read as probabilities unscaled, and a long word must not be judged more
// harshly than a short one for the same fit.
const double kScalePerFrame = 2.0;

}  // namespace

namespace engine {

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
