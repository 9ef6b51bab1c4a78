// alignment.cpp - the phones of a recognised result: where each lies and
// how well it scores.
//
// All phones of the result are aligned at once, on the whole utterance:
// the stored frames are decoded again against a grammar that says the
// recognised words' phones in order, each phone a decoder word of its own,
// with optional silence between words.  The decoder gives each phone the
// model's context-dependent states for its neighbours, across word
// boundaries too, and the best path is the Viterbi alignment of those
// states.  Each phone keeps its own frames and the acoustic score of its
// own states on them.  The recogniser's word times stay as they are: a
// phone that the alignment puts past its word's edge is clipped to it.
#include "base/diagnostics.h"
#include "decoding/decoder.h"
#include "decoding/redecoder.h"
#include "results/confidence.h"
#include "results/res.h"

#include <pocketsphinx.h>
#include <sphinxbase/fsg_model.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <unordered_set>

namespace {

// The alignment searches with the recogniser's default beams first (nats),
// and wider ones when no path survives them.
const double kAlignBeams[] = {110.0, 300.0, engine::Redecoder::kWideBeam};

int phone_id(const engine::Grammar &g, const std::string &name) {
    for (size_t i = 0; i < g.phone_set.size(); i++)
        if (g.phone_set[i] == name) return static_cast<int>(i) + 1;
    return -1;
}

// The words whose phones are aligned: all but the edge silences, which
// are one silence phone each.
bool aligned_in_chain(const hapi_res &res, size_t i) {
    const hapi_res::Word &w = res.words[i];
    return w.pron >= 0 && w.end > w.first;
}

// Puts the aligned phones of a word inside the word's frames, each at
// least one frame long, keeping each phone's score per frame.
void fit_to_word(const hapi_res::Word &w, std::vector<hapi_res::Phone> *phones) {
    int n = static_cast<int>(phones->size());
    std::vector<int> bounds(n + 1);
    bounds[0] = w.first;
    bounds[n] = w.end;
    for (int i = 1; i < n; i++)
        bounds[i] =
            std::max(bounds[i - 1],
                     std::min(std::max((*phones)[i].first, std::max(bounds[i - 1] + 1, w.first + i)), w.end - (n - i)));
    for (int i = 0; i < n; i++) {
        hapi_res::Phone &p = (*phones)[i];
        double per_frame = p.end > p.first ? p.ascore / (p.end - p.first) : 0.0;
        p.first = bounds[i];
        p.end = bounds[i + 1];
        p.ascore = per_frame * (p.end - p.first);
    }
}

// The one-phone grammar words of the chain, with optional silence before,
// between and after the words.
struct Chain {
    fsg_model_t *fsg = nullptr;
    int phones = 0;
    std::unordered_set<std::string> phone_words;  // the decoder words of the phones
};

Chain build_chain(hapi_res *res, engine::Redecoder &rd) {
    std::vector<std::vector<std::string>> words;
    int total = 0;
    for (size_t i = 0; i < res->words.size(); i++)
        if (aligned_in_chain(*res, i)) {
            words.push_back(engine::phones_of(*res, res->words[i]));
            total += static_cast<int>(words.back().size());
        }
    Chain c;
    // The optional silence between words is a decoder word of its own, so
    // that it is not taken for a silence word's phone.
    const char *sil = rd.word_for("<gap>", res->grammar->silence_phone);
    if (!sil) return c;
    // States: a silence gap (two states) before each word and after the last.
    int nstates = total + 2 * (static_cast<int>(words.size()) + 1);
    c.fsg = rd.new_grammar(nstates);
    if (!c.fsg) return c;
    int silence_word = fsg_model_word_add(c.fsg, sil);
    int s = 0;
    auto gap = [&] {
        fsg_model_trans_add(c.fsg, s, s + 1, 0, silence_word);
        fsg_model_null_trans_add(c.fsg, s, s + 1, 0);
        s++;
    };
    for (const auto &phones : words) {
        gap();
        for (const std::string &p : phones) {
            const char *dw = rd.word_for("", p);
            if (!dw) {
                fsg_model_free(c.fsg);
                c.fsg = nullptr;
                return c;
            }
            fsg_model_trans_add(c.fsg, s, s + 1, 0, fsg_model_word_add(c.fsg, dw));
            c.phone_words.insert(dw);
            s++;
        }
        fsg_model_null_trans_add(c.fsg, s, s + 1, 0);
        s++;
    }
    gap();
    c.fsg->start_state = 0;
    c.fsg->final_state = s;
    c.phones = total;
    return c;
}

// Aligns every phone of the result with the given beam; false when no
// path through all of them survives it.
bool align_result(hapi_res *res, double beam) {
    engine::Redecoder &rd = *res->redecoder;
    Chain c = build_chain(res, rd);
    if (!c.fsg) return false;
    if (!rd.decode(*res->utt, 0, res->utt->frames(), c.fsg, false, beam)) return false;
    std::vector<hapi_res::Phone> chain;
    for (ps_seg_t *seg = ps_seg_iter(rd.decoder()); seg; seg = ps_seg_next(seg)) {
        int sf, ef;
        int32 ascr, lscr, lback;
        ps_seg_frames(seg, &sf, &ef);
        ps_seg_prob(seg, &ascr, &lscr, &lback);
        const char *word = ps_seg_word(seg);
        // Silence, and the null transitions, which come out as words too.
        if (!word || !c.phone_words.count(word)) continue;
        hapi_res::Phone p;
        p.first = sf;
        p.end = ef + 1;
        p.ascore = engine::decoder_score_to_ln(rd.decoder(), ascr);
        chain.push_back(p);
    }
    if (static_cast<int>(chain.size()) != c.phones) return false;
    size_t k = 0;
    for (size_t i = 0; i < res->words.size(); i++) {
        hapi_res::Word &w = res->words[i];
        std::vector<std::string> phones = engine::phones_of(*res, w);
        std::vector<hapi_res::Phone> aligned;
        if (aligned_in_chain(*res, i)) {
            aligned.assign(chain.begin() + k, chain.begin() + k + phones.size());
            k += phones.size();
            fit_to_word(w, &aligned);
        } else {
            aligned.push_back({-1, w.first, w.end, w.ascore, -1.0, ""});
        }
        for (size_t j = 0; j < phones.size() && j < aligned.size(); j++)
            aligned[j].id = phone_id(*res->grammar, phones[j]);
        w.aligned.swap(aligned);
    }
    return true;
}

}  // namespace

namespace engine {

std::vector<std::string> phones_of(const hapi_res &res, const hapi_res::Word &w) {
    std::istringstream in(w.phones);
    std::vector<std::string> phones;
    std::string p;
    while (in >> p) phones.push_back(p);
    if (phones.empty()) phones.push_back(res.grammar->silence_phone);
    return phones;
}

bool compute_alignment(hapi_res *res) {
    if (res->aligned) return true;
    if (!res->final || !res->grammar || !res->redecoder || !res->utt) return false;
    for (double beam : kAlignBeams)
        if (align_result(res, beam)) return res->aligned = true;
    return false;
}

}  // namespace engine

namespace {

// The word's phones, the result aligned when first asked for.  Null,
// with a complaint naming the caller, when there is no alignment.
hapi_res::Word *aligned_word(hapi_res *res, int word, const char *caller) {
    hapi_res::Word *w = engine::word_at(res, word, caller);
    if (!w || !w->aligned.empty()) return w;
    if (!res->final || !res->grammar || !res->redecoder || !res->utt)
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
    if (selector == HAPI_ACOUSTIC_SCORE) return p->ascore;
    if (!engine::compute_confidences(res))
        return engine::complain("hapiResPhoneScore: cannot compute confidences"), HAPI_FLOAT_FAIL;
    return p->conf;
}

int hapiResPhoneHeard(hapiResObject res, int word, int phone, char *buf) {
    if (engine::fault("hapiResPhoneHeard")) return -1;
    if (!buf) return engine::complain("hapiResPhoneHeard: no buffer"), -1;
    const hapi_res::Phone *p = phone_at(res, word, phone, "hapiResPhoneHeard");
    if (!p) return -1;
    if (!engine::compute_confidences(res)) return engine::complain("hapiResPhoneHeard: cannot compute confidences"), -1;
    snprintf(buf, HAPI_PHONE_NAME_MAX, "%s", p->heard.c_str());
    return 0;
}

}  // extern "C"
