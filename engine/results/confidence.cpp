// confidence.cpp - the phones of a result: where each lies, how well it
// scores, how confident it is, and the phone heard.
//
// Each word's phones are aligned on the word's frames, the frames the
// recogniser found it in: the best path through the model's states for
// each phone between its neighbours (across word edges too).  Each phone
// is then judged on its own frames against every phone of the model in
// the same context: the best path of each through those frames, scaled
// per frame, gives the posterior of the phone meant among all of them.
// A phone said as written takes most of that posterior; a phone said as
// another one loses it to the other, which is the phone heard instead.
// A word's confidence comes from its phones' posteriors, so that it does
// not depend on the grammar it was found with, only on its phones and
// their frames.  One computation gives all of it, for a partial result
// the words' confidences alone.
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
const double kHeardMargin = 1.5;
// ... and by this much in all, so that the few frames of a short phone
// (whose boundaries are the least sure) do not make another phone heard.
// Both set on festival's twins, its right readings and the packaged
// recordings: a phone said as another is heard as what was said in 55%
// of those twins (40% of the held-out ones), while 8% of the words read
// right and 1 of 96 native words have a phone heard as another (20% and 5
// with 1 and 15, which hear 47% of the held-out substitutions).
const double kHeardTotal = 25.0;

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

// What a phone's frames say of it.
struct Judgement {
    double conf = 0.0;   // the posterior of the phone meant
    int heard = -1;      // the phone heard
    double score = 0.0;  // of its best path, against the best state of each frame
};

// Judges `meant` over frames a..b-1 of f.
Judgement judge(const PhoneScorer &sc, const PhoneScorer::Frames &f, int a, int b, const PhoneScorer::Context &c,
                int meant) {
    Judgement j;
    j.heard = meant;
    const int frames = b - a;
    if (frames <= 0 || meant < 0) return j;
    std::vector<double> frame_best;
    std::vector<double> fit = sc.fits(f, a, b, c, &frame_best);
    for (double x : frame_best) j.score -= x;
    j.score = std::min(0.0, j.score + fit[meant]);
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
    j.conf = weight(own, true) / (weight(own, true) + others);
    if ((best - own) / frames > kHeardMargin && best - own > kHeardTotal)
        j.heard = syllabic_r(names, meant, best_phone);
    return j;
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

// The identifier of a phone in the grammar's phone set, -1 when it is not there.
int phone_id(const engine::Grammar &g, const std::string &name) {
    for (size_t i = 0; i < g.phone_set.size(); i++)
        if (g.phone_set[i] == name) return static_cast<int>(i) + 1;
    return -1;
}

// Judges every word of the result; with `phones`, keeps each word's
// phones with their frames and judgements too.
void judge_words(hapi_res *res, bool phones) {
    const PhoneScorer &sc = *res->phone_scorer;
    PhoneScorer::Frames f;
    for (size_t wi = 0; wi < res->words.size(); wi++) {
        hapi_res::Word &w = res->words[wi];
        std::vector<std::string> names = engine::phones_of(*res, w);
        int first = std::min(std::max(w.first, 0), res->utt->frames()), end = std::min(w.end, res->utt->frames());
        end = std::max(end, first);
        sc.score(*res->utt, first, end, &f);
        std::vector<int> meant, known;
        for (const std::string &p : names) meant.push_back(index_of(sc.phones(), p));
        for (int m : meant) known.push_back(std::max(m, 0));
        int before = neighbour(*res, sc, wi, -1), after = neighbour(*res, sc, wi, 1);
        std::vector<PhoneScorer::States> states;
        for (size_t i = 0; i < names.size(); i++)
            states.push_back(sc.states(known[i], context_of(known, i, before, after)));
        std::vector<int> starts = sc.align(f, states);
        double log_sum = 0.0;
        std::vector<hapi_res::Phone> aligned;
        for (size_t i = 0; i < names.size(); i++) {
            int a = std::min(starts[i], end - first);
            int b = i + 1 < names.size() ? std::min(starts[i + 1], end - first) : end - first;
            Judgement j = judge(sc, f, a, b, context_of(known, i, before, after), meant[i]);
            log_sum += log(std::max(j.conf, 1e-6));
            hapi_res::Phone p;
            p.id = phone_id(*res->grammar, names[i]);
            p.first = first + a;
            p.end = first + b;
            p.ascore = j.score;
            p.conf = j.conf;
            p.heard = j.heard >= 0 ? sc.phones()[j.heard] : names[i];
            aligned.push_back(p);
        }
        w.conf = end > first ? exp(log_sum / names.size()) : 0.0;
        if (phones) w.aligned.swap(aligned);
    }
    res->confidences_done = true;
    res->aligned = res->aligned || phones;
}

bool can_judge(const hapi_res *res) { return res->phone_scorer && res->phone_scorer->ok() && res->utt && res->grammar; }

}  // namespace

namespace engine {

bool compute_alignment(hapi_res *res) {
    if (res->aligned) return true;
    if (!res->final || !can_judge(res)) return false;
    judge_words(res, true);
    return true;
}

bool compute_confidences(hapi_res *res) {
    if (res->confidences_done) return true;
    if (res->final) return compute_alignment(res);
    if (!can_judge(res)) return false;
    judge_words(res, false);
    return true;
}

}  // namespace engine
