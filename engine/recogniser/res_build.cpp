// res_build.cpp - turning the decoder's segmentation into result words.
//
// The decoder reports grammar words, its own silence and noise fillers.
// Everything before the first grammar word is the leading silence word;
// everything after the last, when it lasts a few frames, the trailing one.
// Fillers between words are dropped, so a gap between two words is
// silence.  The phones a garbage word's loop went through one after
// another make one word.
#include "decoding/decoder.h"
#include "decoding/hmmset.h"
#include "recogniser/recogniser.h"
#include "results/res.h"

#include <pocketsphinx.h>

namespace {

const int kTrailingSilenceFrames = 3;

struct Segment {
    int pron = -1;  // index in the recogniser's pronunciations; -1 for a filler
    int first = 0, end = 0;
    double ascore = 0.0;
};

bool is_speech(const hapi_rec *rec, const Segment &s) { return s.pron >= 0 && !rec->grammar->prons[s.pron].silence; }

hapi_res::Word silence_word(const std::string &name, int first, int end) {
    hapi_res::Word w;
    w.name = name;
    w.first = first;
    w.end = end;
    return w;
}

}  // namespace

namespace engine {

void result_from_decoder(hapi_res *res, hapi_rec *rec) {
    std::vector<Segment> segs;
    for (ps_seg_t *seg = ps_seg_iter(rec->ps); seg; seg = ps_seg_next(seg)) {
        Segment s;
        int32 ascr, lscr, lback;
        ps_seg_frames(seg, &s.first, &s.end);
        s.end += 1;
        ps_seg_prob(seg, &ascr, &lscr, &lback);
        s.ascore = decoder_score_to_ln(rec->ps, ascr);
        const char *w = ps_seg_word(seg);
        auto it = w ? rec->pron_of.find(w) : rec->pron_of.end();
        if (it != rec->pron_of.end()) s.pron = it->second;
        if (s.end > s.first) segs.push_back(s);
    }
    int total = rec->decoded;
    int first = -1, last = -1;
    for (int i = 0; i < static_cast<int>(segs.size()); i++)
        if (is_speech(rec, segs[i])) {
            if (first < 0) first = i;
            last = i;
        }

    res->words.clear();
    res->words.push_back(silence_word(rec->grammar->lead_word, 0, first < 0 ? total : segs[first].first));
    for (int i = 0; i < static_cast<int>(segs.size()); i++) {
        const Segment &s = segs[i];
        if (first < 0 || i < first) {
            res->words.front().ascore += s.ascore;
        } else if (i > last) {
            continue;  // counted in the trailing silence below
        } else if (s.pron >= 0) {
            const engine::Grammar::Pron &p = rec->grammar->prons[s.pron];
            hapi_res::Word &prev = res->words.back();
            if (p.garbage && prev.pron >= 0 && prev.end == s.first && prev.name == p.word) {
                prev.phones += " " + p.phones;
                prev.end = s.end;
                prev.ascore += s.ascore;
                continue;
            }
            hapi_res::Word w;
            w.name = p.word;
            w.outsym = p.outsym;
            w.phones = p.phones;
            w.pron = s.pron;
            w.first = s.first;
            w.end = s.end;
            w.ascore = s.ascore;
            res->words.push_back(w);
        }
    }
    if (last >= 0 && total - segs[last].end >= kTrailingSilenceFrames) {
        hapi_res::Word trail = silence_word(rec->grammar->trail_word, segs[last].end, total);
        for (size_t i = last + 1; i < segs.size(); i++) trail.ascore += segs[i].ascore;
        res->words.push_back(trail);
    }
    res->utt = rec->utt;
    res->phone_scorer = rec->hmms->phone_scorer;
    res->redecoder = rec->hmms->redecoder;
    res->grammar = rec->grammar;
    res->nbest = rec->nbest;
    res->final = !rec->in_utterance;
    res->advance = 1.0 / rec->hmms->model.frate;
    res->confidences_done = false;
    res->aligned = false;
}

}  // namespace engine
