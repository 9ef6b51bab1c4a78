// alignment.cpp - the phone-level results of a recognition: each phone's
// identity, frames, score, confidence and the phone heard, computed once
// per result when first asked for (results/confidence.cpp).
#include "base/diagnostics.h"
#include "results/res.h"

#include <cstdio>
#include <sstream>

namespace engine {

std::vector<std::string> phones_of(const hapi_res &res, const hapi_res::Word &w) {
    std::istringstream in(w.phones);
    std::vector<std::string> phones;
    std::string p;
    while (in >> p) phones.push_back(p);
    if (phones.empty()) phones.push_back(res.grammar->silence_phone);
    return phones;
}

}  // namespace engine

namespace {

// The word's phones, the result aligned when first asked for.  Null,
// with a complaint naming the caller, when there is no alignment.
hapi_res::Word *aligned_word(hapi_res *res, int word, const char *caller) {
    hapi_res::Word *w = engine::word_at(res, word, caller);
    if (!w || !w->aligned.empty()) return w;
    if (!res->final || !res->grammar || !res->utt)
        return engine::complain("%s: phones are known only in the result of a completed recognition", caller), nullptr;
    if (!engine::compute_alignment(res))
        return engine::complain("%s: cannot align the phones of the result", caller), nullptr;
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
    if (selector != HAPI_ACOUSTIC_SCORE && selector != HAPI_CONFIDENCE_SCORE)
        return engine::complain("hapiResPhoneScore: unknown selector %d", selector), HAPI_FLOAT_FAIL;
    const hapi_res::Phone *p = phone_at(res, word, phone, "hapiResPhoneScore");
    if (!p) return HAPI_FLOAT_FAIL;
    // The phone's frames, score, confidence and the phone heard are known together.
    return selector == HAPI_ACOUSTIC_SCORE ? p->ascore : p->conf;
}

int hapiResPhoneHeard(hapiResObject res, int word, int phone, char *buf) {
    if (engine::fault("hapiResPhoneHeard")) return -1;
    if (!buf) return engine::complain("hapiResPhoneHeard: no buffer"), -1;
    const hapi_res::Phone *p = phone_at(res, word, phone, "hapiResPhoneHeard");
    if (!p) return -1;
    snprintf(buf, HAPI_PHONE_NAME_MAX, "%s", p->heard.c_str());
    return 0;
}

}  // extern "C"
