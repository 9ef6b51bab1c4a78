// alignment.cpp - the phones of a recognised word: where each lies within
// the word's frames and how well it scores.
//
// The word's frames are decoded again against a grammar that says exactly
// the word's phones in order, each phone a decoder word of its own, with
// no silence allowed between them.  The decoder's best path through that
// chain is the Viterbi alignment of the phones' HMMs (with their triphone
// contexts inside the word), so the phones tile the word's frames in
// order.  Each phone's score is its share of the word's score, in
// proportion to the scores of the phones' stretches of that path.  A word of one phone (the silence words among them) needs no
// decoding: the phone is the word.
#include "base/diagnostics.h"
#include "decoding/model.h"
#include "decoding/redecoder.h"
#include "results/res.h"

#include <pocketsphinx.h>
#include <sphinxbase/fsg_model.h>

#include <sstream>

namespace {

std::vector<std::string> split(const std::string &phones) {
    std::istringstream in(phones);
    std::vector<std::string> out;
    std::string p;
    while (in >> p) out.push_back(p);
    return out;
}

int phone_id(const engine::Grammar &g, const std::string &name) {
    for (size_t i = 0; i < g.phone_set.size(); i++)
        if (g.phone_set[i] == name) return static_cast<int>(i) + 1;
    return -1;
}

// Shares the word's own score out among its phones in proportion to their
// alignment scores (by frames when those are all 0).  The chain of
// one-phone decoder words scores on a harsher scale than the recogniser's
// whole-word models, but which phone fits worse, and by how much relative
// to the others, is what it measures well.
void share_word_score(const hapi_res::Word &w, std::vector<hapi_res::Phone> *phones) {
    double total = 0.0;
    for (const auto &p : *phones) total += p.ascore;
    for (auto &p : *phones) {
        double share = total < 0.0 ? p.ascore / total : double(p.end - p.first) / (w.end - w.first);
        p.ascore = w.ascore * share;
    }
}

// Aligns the phones on the word's frames; false when the decoder finds no
// path through all of them.
bool decode_phones(hapi_res *res, const std::vector<std::string> &phones, hapi_res::Word *w) {
    engine::Redecoder &rd = *res->redecoder;
    int n = static_cast<int>(phones.size());
    fsg_model_t *fsg = rd.new_grammar(n + 1);
    if (!fsg) return false;
    for (int i = 0; i < n; i++) {
        const char *dw = rd.word_for("", phones[i]);
        if (!dw) return fsg_model_free(fsg), false;
        fsg_model_trans_add(fsg, i, i + 1, 0, fsg_model_word_add(fsg, dw));
    }
    fsg->start_state = 0;
    fsg->final_state = n;
    if (!rd.decode(*res->utt, w->first, w->end, fsg, false)) return false;
    std::vector<hapi_res::Phone> aligned;
    for (ps_seg_t *seg = ps_seg_iter(rd.decoder()); seg; seg = ps_seg_next(seg)) {
        int sf, ef;
        int32 ascr, lscr, lback;
        ps_seg_frames(seg, &sf, &ef);
        ps_seg_prob(seg, &ascr, &lscr, &lback);
        hapi_res::Phone p;
        p.first = w->first + sf;
        p.end = w->first + ef + 1;
        p.ascore = engine::decoder_score_to_ln(rd.decoder(), ascr);
        aligned.push_back(p);
    }
    // The path must say every phone and fill the word exactly.
    if (static_cast<int>(aligned.size()) != n || aligned.front().first != w->first || aligned.back().end != w->end)
        return false;
    for (int i = 1; i < n; i++)
        if (aligned[i].first != aligned[i - 1].end) return false;
    share_word_score(*w, &aligned);
    w->aligned.swap(aligned);
    return true;
}

// The word's phones, aligned when first asked for.  Null, with a
// complaint naming the caller, when the word has no alignment.
hapi_res::Word *aligned_word(hapi_res *res, int word, const char *caller) {
    hapi_res::Word *w = engine::word_at(res, word, caller);
    if (!w || !w->aligned.empty()) return w;
    if (!res->final || !res->grammar || !res->redecoder || !res->utt)
        return engine::complain("%s: phones are known only in the result of a completed recognition", caller), nullptr;
    std::vector<std::string> phones = split(w->phones);
    if (phones.empty()) phones.push_back(res->grammar->silence_phone);
    if (phones.size() == 1) {
        w->aligned.push_back({-1, w->first, w->end, w->ascore});
    } else if (!decode_phones(res, phones, w)) {
        return engine::complain("%s: cannot align the phones of %s", caller, w->name.c_str()), nullptr;
    }
    for (size_t i = 0; i < phones.size(); i++) w->aligned[i].id = phone_id(*res->grammar, phones[i]);
    return w;
}

// Phone `phone` (from 0) of the word, or null with a complaint.
const hapi_res::Phone *phone_at(hapi_res *res, int word, int phone, const char *caller) {
    hapi_res::Word *w = aligned_word(res, word, caller);
    if (!w) return nullptr;
    if (phone < 0 || phone >= static_cast<int>(w->aligned.size()))
        return engine::complain("%s: no phone %d in %s", caller, phone, w->name.c_str()), nullptr;
    return &w->aligned[phone];
}

}  // namespace

extern "C" {

int hapiResAllPhoneIds(hapiResObject res, int word, int *ids) {
    if (engine::fault("hapiResAllPhoneIds")) return -1;
    hapi_res::Word *w = aligned_word(res, word, "hapiResAllPhoneIds");
    if (!w) return -1;
    if (ids)
        for (size_t i = 0; i < w->aligned.size(); i++) ids[i] = w->aligned[i].id;
    return static_cast<int>(w->aligned.size());
}

int hapiResPhoneId(hapiResObject res, int word, int phone) {
    if (engine::fault("hapiResPhoneId")) return -1;
    const hapi_res::Phone *p = phone_at(res, word, phone, "hapiResPhoneId");
    if (!p) return -1;
    if (p->id < 1) return engine::complain("hapiResPhoneId: the phone is not in the dictionary's phone set"), -1;
    return p->id;
}

int hapiResPhoneTimes(hapiResObject res, int word, int phone, double *start, double *end) {
    if (engine::fault("hapiResPhoneTimes")) return -1;
    const hapi_res::Phone *p = phone_at(res, word, phone, "hapiResPhoneTimes");
    if (!p) return -1;
    if (start) *start = p->first * res->advance;
    if (end) *end = p->end * res->advance;
    return 0;
}

double hapiResPhoneScore(hapiResObject res, int word, int phone, int selector) {
    if (engine::fault("hapiResPhoneScore")) return HAPI_FLOAT_FAIL;
    if (selector != HAPI_ACOUSTIC_SCORE)
        return engine::complain("hapiResPhoneScore: unknown selector %d", selector), HAPI_FLOAT_FAIL;
    const hapi_res::Phone *p = phone_at(res, word, phone, "hapiResPhoneScore");
    return p ? p->ascore : HAPI_FLOAT_FAIL;
}

}  // extern "C"
