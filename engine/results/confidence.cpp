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
#include <cstring>

namespace {

// Scale of the per-frame log likelihoods: the model's scores are far too
// sharp to be read as probabilities unscaled.
const double kScalePerFrame = 2.0;
// The phone heard is the phone meant unless another beats it by this
// much per frame; the phone meant is given the same lead in its
// posterior, so that a phone heard as another is one of confidence below
// about one half.
const double kHeardMargin = 1.0;
// ... and by this much in all, so that the few frames of a short phone
// (whose boundaries are the least sure) do not make another phone heard.
// Set on the packaged recordings, read right, and the festival twins: of
// 340 native phones 11 are heard as another (32 with no such floor).
const double kHeardTotal = 15.0;

using engine::PhoneScorer;

int index_of(const std::vector<std::string> &phones, const std::string &p) {
    auto it = std::find(phones.begin(), phones.end(), p);
    return it == phones.end() ? -1 : static_cast<int>(it - phones.begin());
}

// Competitors: every phone of the model but its noise units.
bool competes(const std::string &phone) { return !phone.empty() && phone[0] != '+'; }

bool is_vowel(const std::string &p) { return !p.empty() && strchr("AEIOU", p[0]); }

// American English says a T or a D between vowels (or after R) as one
// flap, which the model may hear as either: there each stands for the
// other.  The phone that may stand for `meant` in context c, or -1.
int flap_twin(const std::vector<std::string> &names, const PhoneScorer::Context &c, int meant) {
    if (meant < 0 || c.left < 0 || c.right < 0) return -1;
    const std::string &l = names[c.left], &r = names[c.right];
    if (!(is_vowel(l) || l == "R") || !is_vowel(r)) return -1;
    const char *twin = names[meant] == "T" ? "D" : names[meant] == "D" ? "T" : nullptr;
    return twin ? index_of(names, twin) : -1;
}

// ER is a syllabic R: heard where a consonant is meant it is an R, and
// an R heard where a vowel is meant is an ER.
int syllabic_r(const std::vector<std::string> &names, int meant, int heard) {
    const char *as = nullptr;
    if (names[heard] == "ER" && !is_vowel(names[meant])) as = "R";
    if (names[heard] == "R" && is_vowel(names[meant])) as = "ER";
    int q = as ? index_of(names, as) : -1;
    return q >= 0 && q != meant ? q : heard;
}

// The posterior and the phone heard of `meant` over frames a..b-1.
void judge(const PhoneScorer &sc, const PhoneScorer::Frames &f, int a, int b, const PhoneScorer::Context &c, int meant,
           double *conf, int *heard) {
    *conf = 0.0;
    *heard = meant;
    const int frames = b - a;
    if (frames <= 0 || meant < 0) return;
    std::vector<double> fit = sc.fits(f, a, b, c);
    const std::vector<std::string> &names = sc.phones();
    const int twin = flap_twin(names, c, meant);
    const double own = twin < 0 ? fit[meant] : std::max(fit[meant], fit[twin]);
    auto rival = [&](size_t q) { return competes(names[q]) && q != size_t(meant) && int(q) != twin; };
    double best = own;
    int best_phone = meant;
    for (size_t q = 0; q < fit.size(); q++)
        if (rival(q) && fit[q] > best) best = fit[q], best_phone = static_cast<int>(q);
    // Per frame, from the best phone, the phone meant with its lead.
    auto weight = [&](double total, bool lead) {
        return exp(kScalePerFrame * ((total - best) / frames + lead * kHeardMargin));
    };
    double others = 0.0;
    for (size_t q = 0; q < fit.size(); q++)
        if (rival(q)) others += weight(fit[q], false);
    *conf = weight(own, true) / (weight(own, true) + others);
    if ((best - own) / frames > kHeardMargin && best - own > kHeardTotal) *heard = syllabic_r(names, meant, best_phone);
}

// The context of phone i of a word whose phones are `meant`, between the
// last phone of the word before and the first of the word after (-1:
// silence or none).
PhoneScorer::Context context_of(const std::vector<int> &meant, size_t i, int before, int after) {
    PhoneScorer::Context c;
    const bool first = i == 0, last = i + 1 == meant.size();
    c.left = first ? before : meant[i - 1];
    c.right = last ? after : meant[i + 1];
    c.pos = first && last ? engine::Triphones::kSingle
        : first           ? engine::Triphones::kBegin
        : last            ? engine::Triphones::kEnd
                          : engine::Triphones::kInternal;
    return c;
}

// Phone boundaries for a word of a partial result: the best path through
// the phones' states in order over the word's frames.
std::vector<int> align_phones(const PhoneScorer &sc, const PhoneScorer::Frames &f, const std::vector<int> &phones,
                              int before, int after) {
    const int S = PhoneScorer::kStates, frames = f.count;
    const int n = static_cast<int>(phones.size()) * S;
    std::vector<int> starts(phones.size(), 0);
    if (frames < static_cast<int>(phones.size())) {
        for (size_t i = 0; i < phones.size(); i++) starts[i] = std::min(static_cast<int>(i), frames);
        return starts;
    }
    std::vector<int> senone(n);
    for (size_t i = 0; i < phones.size(); i++) {
        PhoneScorer::States s = sc.states(phones[i], context_of(phones, i, before, after));
        for (int k = 0; k < S; k++) senone[i * S + k] = s[k];
    }
    std::vector<double> v(n, -INFINITY);
    std::vector<unsigned char> moved(static_cast<size_t>(frames) * n, 0);
    v[0] = sc.state(f, 0, senone[0]);
    for (int t = 1; t < frames; t++)
        for (int j = n - 1; j >= 0; j--) {
            bool move = j > 0 && v[j - 1] > v[j];
            v[j] = (move ? v[j - 1] : v[j]) + sc.state(f, t, senone[j]);
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

// The phone of word i of a result that borders word `i + step`: its last
// phone when step is -1, its first when 1; -1 when there is no word there,
// it is not right beside, or it is silence or noise.
int neighbour(const hapi_res &res, const PhoneScorer &sc, size_t i, int step) {
    size_t j = i + static_cast<size_t>(step);
    if (j >= res.words.size()) return -1;
    const hapi_res::Word &w = res.words[i], &n = res.words[j];
    if (step < 0 ? n.end != w.first : n.first != w.end) return -1;
    std::vector<std::string> phones = engine::phones_of(res, n);
    if (phones.empty() || !competes(step < 0 ? phones.back() : phones.front())) return -1;
    return index_of(sc.phones(), step < 0 ? phones.back() : phones.front());
}

}  // namespace

namespace engine {

bool compute_confidences(hapi_res *res) {
    if (res->confidences_done) return true;
    if (!res->phone_scorer || !res->phone_scorer->ok() || !res->utt || !res->grammar) return false;
    const PhoneScorer &sc = *res->phone_scorer;
    bool phones = res->final && compute_alignment(res);
    PhoneScorer::Frames f;
    for (size_t wi = 0; wi < res->words.size(); wi++) {
        hapi_res::Word &w = res->words[wi];
        std::vector<std::string> names = phones_of(*res, w);
        int first = std::max(w.first, 0), end = std::min(w.end, res->utt->frames());
        sc.score(*res->utt, first, end, &f);
        std::vector<int> meant, known;
        for (const std::string &p : names) meant.push_back(index_of(sc.phones(), p));
        for (int m : meant) known.push_back(std::max(m, 0));
        int before = neighbour(*res, sc, wi, -1), after = neighbour(*res, sc, wi, 1);
        std::vector<int> starts;
        if (phones && w.aligned.size() == names.size()) {
            for (const auto &p : w.aligned) starts.push_back(std::max(p.first, first) - first);
        } else {
            starts = align_phones(sc, f, known, before, after);
        }
        double log_sum = 0.0;
        for (size_t i = 0; i < names.size(); i++) {
            int a = std::min(starts[i], end - first);
            int b = i + 1 < names.size() ? std::min(starts[i + 1], end - first) : end - first;
            double conf;
            int heard;
            judge(sc, f, a, b, context_of(known, i, before, after), meant[i], &conf, &heard);
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
