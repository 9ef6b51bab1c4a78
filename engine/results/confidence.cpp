// confidence.cpp - phone and word confidences, and the phone heard.
//
// Each phone is judged on its own frames against every phone of the
// model: the best path of each context-independent phone through those
// frames, scaled per frame, gives the posterior of the phone meant among
// all of them.  A phone said as written takes most of that posterior; a
// phone said as another one loses it to the other, which is the phone
// heard instead.  A word's confidence comes from its phones' posteriors,
// so that it does not depend on the grammar it was found with, only on
// its phones and their frames.  A partial result, which has no phone
// alignment, aligns each word's phones on the word's frames here, with
// the same scores.
#include "decoding/phone_scorer.h"
#include "results/confidence.h"
#include "results/res.h"

#include <algorithm>
#include <cmath>

namespace {

// Scale of the per-frame log likelihoods: the model's scores are far too
// sharp to be read as probabilities unscaled.
const double kScalePerFrame = 2.0;
// The phone heard is the phone meant unless another beats it by this
// much per frame; the phone meant is given the same lead in its
// posterior, so that a phone heard as another is one of confidence below
// about one half.
const double kHeardMargin = 1.0;

using engine::PhoneScorer;

int index_of(const std::vector<std::string> &phones, const std::string &p) {
    auto it = std::find(phones.begin(), phones.end(), p);
    return it == phones.end() ? -1 : static_cast<int>(it - phones.begin());
}

// Competitors: every phone of the model but its noise units.
bool competes(const std::string &phone) { return !phone.empty() && phone[0] != '+'; }

// The posterior and the phone heard of `meant` over `frames` frames of
// scores.
void judge(const PhoneScorer &sc, const float *ll, int frames, int meant, double *conf, int *heard) {
    *conf = 0.0;
    *heard = meant;
    if (frames <= 0 || meant < 0) return;
    std::vector<double> fit = sc.fits(ll, frames);
    const std::vector<std::string> &names = sc.phones();
    double best = -INFINITY;
    int best_phone = meant;
    for (size_t q = 0; q < fit.size(); q++)
        if (competes(names[q]) && fit[q] > best) best = fit[q], best_phone = static_cast<int>(q);
    // Per frame, from the best phone, the phone meant with its lead.
    auto weight = [&](size_t q) {
        return exp(kScalePerFrame * ((fit[q] - best) / frames + (q == size_t(meant)) * kHeardMargin));
    };
    double others = 0.0;
    for (size_t q = 0; q < fit.size(); q++)
        if (competes(names[q]) && q != static_cast<size_t>(meant)) others += weight(q);
    *conf = weight(meant) / (weight(meant) + others);
    if ((best - fit[meant]) / frames > kHeardMargin) *heard = best_phone;
}

// Phone boundaries for a word of a partial result: the best path through
// the phones' states in order over the word's frames.
std::vector<int> align_phones(const PhoneScorer &sc, const float *ll, int frames, const std::vector<int> &phones) {
    const int S = PhoneScorer::kStates, per_frame = static_cast<int>(sc.phones().size()) * S;
    const int n = static_cast<int>(phones.size()) * S;
    std::vector<int> starts(phones.size(), 0);
    if (frames < static_cast<int>(phones.size())) {
        for (size_t i = 0; i < phones.size(); i++) starts[i] = std::min(static_cast<int>(i), frames);
        return starts;
    }
    std::vector<double> v(n, -INFINITY);
    std::vector<unsigned char> moved(static_cast<size_t>(frames) * n, 0);
    auto at = [&](int t, int j) { return ll[static_cast<size_t>(t) * per_frame + phones[j / S] * S + j % S]; };
    v[0] = at(0, 0);
    for (int t = 1; t < frames; t++)
        for (int j = n - 1; j >= 0; j--) {
            bool move = j > 0 && v[j - 1] > v[j];
            v[j] = (move ? v[j - 1] : v[j]) + at(t, j);
            moved[static_cast<size_t>(t) * n + j] = move;
        }
    int j = n - 1;
    for (int t = frames - 1; t > 0; t--)
        if (moved[static_cast<size_t>(t) * n + j]) {
            if (j % S == 0) starts[j / S] = t;
            j--;
        }
    return starts;
}

}  // namespace

namespace engine {

bool compute_confidences(hapi_res *res) {
    if (res->confidences_done) return true;
    if (!res->phone_scorer || !res->phone_scorer->ok() || !res->utt || !res->grammar) return false;
    const PhoneScorer &sc = *res->phone_scorer;
    bool phones = res->final && compute_alignment(res);
    const int per_frame = static_cast<int>(sc.phones().size()) * PhoneScorer::kStates;
    std::vector<float> ll;
    for (auto &w : res->words) {
        std::vector<std::string> names = phones_of(*res, w);
        int first = std::max(w.first, 0), end = std::min(w.end, res->utt->frames());
        sc.score(*res->utt, first, end, &ll);
        std::vector<int> meant;
        for (const std::string &p : names) meant.push_back(index_of(sc.phones(), p));
        std::vector<int> starts;
        if (phones && w.aligned.size() == names.size()) {
            for (const auto &p : w.aligned) starts.push_back(std::max(p.first, first) - first);
        } else {
            std::vector<int> known;
            for (int m : meant) known.push_back(std::max(m, 0));
            starts = align_phones(sc, ll.data(), end - first, known);
        }
        double log_sum = 0.0;
        for (size_t i = 0; i < names.size(); i++) {
            int a = std::min(starts[i], end - first);
            int b = i + 1 < names.size() ? std::min(starts[i + 1], end - first) : end - first;
            double conf;
            int heard;
            judge(sc, ll.data() + static_cast<size_t>(a) * per_frame, b - a, meant[i], &conf, &heard);
            log_sum += log(std::max(conf, 1e-6));
            if (phones && i < w.aligned.size()) {
                w.aligned[i].conf = conf;
                w.aligned[i].heard = heard >= 0 ? sc.phones()[heard] : names[i];
            }
        }
        w.conf = end > first ? exp(log_sum / names.size()) : 0.0;
    }
    res->confidences_done = true;
    return true;
}

}  // namespace engine
