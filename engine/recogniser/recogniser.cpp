// recogniser.cpp - recognisers: a PocketSphinx decoder per recogniser,
// given the network's grammar at preparation and fed the coder's frames.
#include "audio/coder.h"
#include "audio/source.h"
#include "base/config.h"
#include "base/defaults.h"
#include "base/diagnostics.h"
#include "base/utterance.h"
#include "decoding/decoder.h"
#include "decoding/frames.h"
#include "decoding/hmmset.h"
#include "network/net_reduce.h"
#include "network/network.h"
#include "recogniser/recogniser.h"
#include "results/res.h"

#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/cmd_ln.h>
#include <sphinxbase/fsg_model.h>
#include <sphinxbase/glist.h>

#include <cmath>

namespace {

// Live input: how long to wait for samples at a time, and for how long
// in all before a silent sound card counts as gone.
const int kWaitMs = 100;
const int kGiveUpMs = 10000;
// Frames of live input read at a time.
const int kLiveReadFrames = 1;
// Frames of speech before the silence count of a live utterance starts.
const int kSpeechFramesToStart = 10;
// When no path reaches the end of the grammar, the utterance is searched
// again with every beam this many times as wide, one after the other.
const double kRetryWidening[] = {2.0, 4.0, 8.0};
// A choice of this many words or more that several states of a grammar
// offer alike is given to the decoder once (share_word_choices): a loop
// over 5,000 words would otherwise cost two trees of them, one from the
// start and one after every word, in memory and in every frame.
const size_t kSharedChoiceWords = 100;

void end_utterance(hapi_rec *rec) {
    if (rec->in_utterance) ps_end_utt(rec->ps);
    rec->in_utterance = false;
}

// The decoder word for a pronunciation, added to the decoder when new.
const char *decoder_word(hapi_rec *rec, const engine::Grammar::Pron &p) {
    std::string key = p.word + '\n' + p.phones;
    auto it = rec->decoder_words.find(key);
    if (it != rec->decoder_words.end()) return it->second.c_str();
    std::string name = "w" + std::to_string(rec->decoder_words.size());
    if (ps_add_word(rec->ps, name.c_str(), p.phones.c_str(), FALSE) < 0) return nullptr;
    return rec->decoder_words.emplace(key, name).first->second.c_str();
}

// Sets the beams the next search is made with, `widen` times the
// recogniser's own.
void set_beams(hapi_rec *rec, double widen) {
    cmd_ln_t *config = ps_get_config(rec->ps);
    double beam = exp(-engine::decoder_beam(rec->genbeam) * widen);
    cmd_ln_set_float_r(config, "-beam", beam);
    cmd_ln_set_float_r(config, "-pbeam", beam);
    cmd_ln_set_float_r(config, "-wbeam", exp(-engine::decoder_word_beam(rec->goptbeam) * widen));
}

// Gives an empty grammar its words at once, numbered in the order given (a
// repeated word keeps its first number), as fsg_model_word_add numbers
// them; that call looks each new word up among all the words before it,
// which costs the square of a big grammar's vocabulary.
std::vector<int> add_vocabulary(fsg_model_t *fsg, const std::vector<const char *> &words) {
    std::unordered_map<std::string, int> id;
    std::vector<int> wid;
    wid.reserve(words.size());
    for (const char *w : words) wid.push_back(id.emplace(w, static_cast<int>(id.size())).first->second);
    fsg->vocab = static_cast<char **>(ckd_calloc(std::max<size_t>(id.size(), 1), sizeof(char *)));
    for (const auto &[w, i] : id) fsg->vocab[i] = ckd_salloc(w.c_str());
    fsg->n_word = fsg->n_word_alloc = static_cast<int32>(id.size());
    return wid;
}

// Puts the decoder's silence and noise words on every state of the
// grammar, as the decoder would itself (-silprob, -fillprob), except that
// silence costs nothing at a start state that no word enters and at a
// final state that no word leaves.  A recording begins and ends in
// silence: the price of silence is there to keep pauses from being put
// between words, and charged at the edges it made the first and last
// words swallow the silence next to them (the first word of the
// ground-truth sentences began 17 ms early, the last ended 25 ms late).
void add_fillers(fsg_model_t *fsg, const hapi_rec *rec, const engine::Grammar &g,
                 const std::vector<engine::Grammar::Trans> &trans) {
    cmd_ln_t *config = ps_get_config(rec->ps);
    float silprob = cmd_ln_float32_r(config, "-silprob"), fillprob = cmd_ln_float32_r(config, "-fillprob");
    const std::vector<std::string> &fillers = rec->hmms->model.fillers;
    for (size_t i = 0; i < fillers.size(); i++)
        fsg_model_add_silence(fsg, fillers[i].c_str(), -1, i == 0 ? silprob : fillprob);
    // A garbage word's loop at the edges does not count: the silence around
    // speech is no garbage.
    bool start_entered = false, final_left = false;
    for (const engine::Grammar::Trans &t : trans) {
        bool garbage = t.pron >= 0 && g.prons[t.pron].garbage;
        start_entered |= t.to == g.start && !garbage;
        final_left |= t.from == g.final && !garbage;
    }
    if (!start_entered) fsg_model_add_silence(fsg, fillers[0].c_str(), g.start, 1.0f);
    if (!final_left) fsg_model_add_silence(fsg, fillers[0].c_str(), g.final, 1.0f);
}

// Gives the decoder the network as a finite-state grammar.
bool set_grammar(hapi_rec *rec, const engine::Grammar &g) {
    logmath_t *lmath = ps_get_logmath(rec->ps);
    // The decoder weighs the silence and noise it may put between words by
    // the grammar's language weight; with the decoder's own (-lw), as in
    // the grammars PocketSphinx makes itself, noise is not taken for free.
    // The grammar's own transitions keep their scores.
    float lw = static_cast<float>(cmd_ln_float32_r(ps_get_config(rec->ps), "-lw"));
    int nstates = g.nstates;
    std::vector<engine::Grammar::Trans> trans = engine::share_word_choices(g, kSharedChoiceWords, &nstates);
    fsg_model_t *fsg = fsg_model_init("engine", lmath, lw, nstates);
    std::unordered_map<std::string, int> pron_of;
    std::vector<const char *> words(g.prons.size());
    for (size_t i = 0; i < g.prons.size(); i++) {
        const char *w = decoder_word(rec, g.prons[i]);
        if (!w) {
            fsg_model_free(fsg);
            return engine::complain("hapiRecPrepare: the decoder refuses %s (%s)", g.prons[i].word.c_str(),
                                    g.prons[i].phones.c_str()),
                   false;
        }
        pron_of[w] = static_cast<int>(i);
        words[i] = w;
    }
    std::vector<int> wid = add_vocabulary(fsg, words);
    for (const engine::Grammar::Trans &t : trans) {
        int logp = logmath_ln_to_log(lmath, t.score);
        if (t.pron < 0) fsg_model_null_trans_add(fsg, t.from, t.to, logp);
        else fsg_model_trans_add(fsg, t.from, t.to, logp, wid[t.pron]);
    }
    add_fillers(fsg, rec, g, trans);
    glist_free(fsg_model_null_trans_closure(fsg, nullptr));
    fsg->start_state = g.start;
    fsg->final_state = g.final;
    std::string name = "grammar" + std::to_string(++rec->searches);
    bool ok = ps_set_fsg(rec->ps, name.c_str(), fsg) == 0 && ps_set_search(rec->ps, name.c_str()) == 0;
    fsg_model_free(fsg);
    if (!ok) return engine::complain("hapiRecPrepare: the decoder refuses the grammar"), false;
    rec->pron_of.swap(pron_of);
    rec->searched = g.fingerprint;
    if (rec->searches > 1) ps_unset_search(rec->ps, ("grammar" + std::to_string(rec->searches - 1)).c_str());
    return true;
}

// Gives the decoder the frames taken so far; once no more will come, the
// right context of the last one.
bool decode_frames(hapi_rec *rec, bool last) {
    bool ok = rec->feeder->feed(*rec->utt, rec->decoded, rec->consumed);
    rec->decoded = rec->consumed;
    if (ok && last && !rec->padded) {
        ok = rec->feeder->finish(*rec->utt, rec->decoded);
        rec->padded = true;
    }
    if (!ok) engine::complain("hapiRecProcess: the decoder failed");
    return ok;
}

// Live input: the utterance ends after enough silence following speech,
// or at the maximum length.  Looks at the frames not yet looked at and
// answers the frame count the utterance ends with, or 0 while it goes on.
int live_end(hapi_rec *rec) {
    const engine::Utterance &u = *rec->utt;
    int max_frames = std::max(1, static_cast<int>(rec->max_seconds * rec->hmms->model.frate));
    for (; rec->checked < u.frames() && rec->checked < static_cast<int>(u.speech.size()); rec->checked++) {
        if (u.speech[rec->checked]) {
            rec->silence_run = 0;
            if (++rec->speech_frames >= kSpeechFramesToStart) rec->speech_seen = true;
        } else if (rec->speech_seen) {
            rec->silence_run++;
        }
        if (rec->speech_seen && rec->silence_run >= rec->silseq) return rec->checked + 1;
        if (rec->checked + 1 >= max_frames) return max_frames;
    }
    return 0;
}

// A live input that failed ends the utterance with what it gave, so that
// the recogniser can still be completed; the step that met it fails.
bool give_up(hapi_rec *rec) {
    rec->coder->fe->finish(rec->utt.get());
    rec->finished = true;
    return false;
}

// Reads live samples until `frames` more frames exist, the utterance ends
// or the input does; an utterance that ended keeps only its own frames.
bool pull_live(hapi_rec *rec, int frames) {
    hapi_coder *c = rec->coder;
    if (!c->src->live) return engine::complain("hapiRecProcess: the live source has not been started"), false;
    engine::Utterance *u = rec->utt.get();
    int want = rec->consumed + frames;
    int waited = 0;
    // A frame's worth at a time at most, so that the end is found where it is.
    std::vector<short> buf(static_cast<size_t>(kLiveReadFrames) * u->samples_per_frame);
    while (u->frames() < want && !u->complete) {
        int n = c->src->live->read(buf.data(), static_cast<int>(buf.size()), kWaitMs);
        if (n == engine::LiveInput::kFailed) {
            engine::complain("hapiRecProcess: the live input failed: %s", c->src->live->failure().c_str());
            return give_up(rec);
        }
        if (n < 0) return c->fe->finish(u);
        if (n == 0 && (waited += kWaitMs) >= kGiveUpMs) {
            engine::complain("hapiRecProcess: no audio from the live input for %d s", kGiveUpMs / 1000);
            return give_up(rec);
        }
        if (n > 0 && !c->fe->feed(u, buf.data(), n))
            return engine::complain("hapiRecProcess: cannot analyse the live input"), false;
        if (int end = live_end(rec)) {
            if (!c->fe->finish(u)) return engine::complain("hapiRecProcess: cannot analyse the live input"), false;
            u->cut(end);
        }
    }
    return true;
}

// True when the search ended without reaching the end of the grammar.
// The iterator asked for is the caller's to free.
bool lost_the_grammar(hapi_rec *rec) {
    if (rec->decoded == 0) return false;
    ps_seg_t *seg = ps_seg_iter(rec->ps);
    if (!seg) return true;
    ps_seg_free(seg);
    return false;
}

// Searches all frames of the finished utterance again with wider beams,
// as often as it takes to reach the end of the grammar or the widest
// beams have been tried.  The next preparation makes the search again
// with the recogniser's own beams.
void search_again(hapi_rec *rec) {
    for (double widen : kRetryWidening) {
        set_beams(rec, widen);
        bool ok = set_grammar(rec, *rec->grammar);
        set_beams(rec, 1.0);
        rec->widened = true;
        if (!ok || !engine::decode_stretch(rec->ps, *rec->utt, 0, rec->decoded) || !lost_the_grammar(rec)) return;
    }
    engine::complain(
        "hapiRecComplete: no path reached the end of the grammar, even with beams %g times as wide; "
        "the result has no words",
        kRetryWidening[sizeof kRetryWidening / sizeof kRetryWidening[0] - 1]);
}

// A live utterance's final result is that of its samples read as a file:
// its frames are made again and normalised with the whole utterance's
// mean (the running mean of the live frames follows the speech as it
// comes), then decoded again.  The new frames go to a new utterance, so
// that partial results keep the frames they were made from.
bool decode_as_file(hapi_rec *rec) {
    end_utterance(rec);
    auto u = std::make_shared<engine::Utterance>();
    u->samples_per_frame = rec->utt->samples_per_frame;
    u->samples = rec->utt->samples;
    if (!rec->coder->fe->whole(u.get()))
        return engine::complain("hapiRecComplete: cannot analyse the live input"), false;
    rec->utt = rec->coder->utt = u;
    rec->consumed = rec->decoded = u->frames();
    if (!engine::decode_stretch(rec->ps, *u, 0, rec->decoded))
        return engine::complain("hapiRecComplete: the decoder failed"), false;
    return true;
}

bool is_live(const hapi_rec *rec) { return rec->coder->src->kind == HAPI_LIVE_SOURCE; }

int remaining(const hapi_rec *rec) {
    if (rec->finished) return 0;
    int buffered = rec->utt->frames() - rec->consumed;
    return rec->utt->complete ? buffered : std::max(1, buffered);
}

}  // namespace

// A recogniser deleted in the middle of an utterance ends it first: the
// decoder frees what an utterance holds only when it ends.
hapi_rec::~hapi_rec() {
    if (!ps) return;
    end_utterance(this);
    ps_free(ps);
}

extern "C" {

hapiRecObject hapiCreateRecObject(int kind, int mode, hapiHMMSetObject hmms, int flags) {
    if (engine::fault("hapiCreateRecObject")) return nullptr;
    if (kind != HAPI_NETWORK_KIND || mode != 1 || flags != 0 || !hmms)
        return engine::complain("hapiCreateRecObject: needs kind 13, mode 1, flags 0 and an HMM set"), nullptr;
    auto rec = std::make_unique<hapi_rec>();
    rec->hmms = hmms;
    rec->genbeam = engine::conf_float("GENBEAM", engine::kDefaultGenbeam);
    rec->goptbeam = engine::conf_float("GOPTBEAM", engine::kDefaultGoptbeam);
    rec->silseq = engine::conf_int("SILSEQCOUNT", engine::kDefaultSilseqcount);
    rec->nbest = engine::conf_int("NBEST", engine::kDefaultNbest);
    rec->ntoks = engine::conf_int("NTOKS", engine::kDefaultNtoks);
    rec->max_seconds = engine::conf_float("MAXUTTTIME", engine::kDefaultMaxUttTime);
    if (!(rec->genbeam > 0 && rec->goptbeam > 0) || rec->silseq < 1 || rec->nbest < 1 || rec->ntoks < 1 ||
        !(rec->max_seconds > 0))
        return engine::complain(
                   "hapiCreateRecObject: GENBEAM, GOPTBEAM, SILSEQCOUNT, NBEST, NTOKS and MAXUTTTIME must be positive"),
               nullptr;
    return rec.release();
}

int hapiRecInitialise(hapiRecObject rec) {
    if (engine::fault("hapiRecInitialise")) return -1;
    if (!rec || !rec->hmms->loaded) return engine::complain("hapiRecInitialise: the HMM set is not loaded"), -1;
    if (rec->ps) return 0;
    rec->ps = engine::make_decoder(rec->hmms->model, engine::decoder_beam(rec->genbeam),
                                   engine::decoder_word_beam(rec->goptbeam));
    if (!rec->ps) return engine::complain("hapiRecInitialise: cannot load the model"), -1;
    return 0;
}

int hapiRecPrepare(hapiRecObject rec, hapiCoderObject coder, hapiNetObject net) {
    if (engine::fault("hapiRecPrepare")) return -1;
    if (!rec || !rec->ps) return engine::complain("hapiRecPrepare: recogniser not initialised"), -1;
    if (!coder || !coder->utt) return engine::complain("hapiRecPrepare: coder not prepared"), -1;
    if (!net) return engine::complain("hapiRecPrepare: no network"), -1;
    if (net->hmms != rec->hmms) return engine::complain("hapiRecPrepare: the network is for another model"), -1;
    if (coder->model.samprate != rec->hmms->model.samprate || coder->model.frate != rec->hmms->model.frate)
        return engine::complain("hapiRecPrepare: the coder's front end does not suit the model"), -1;
    end_utterance(rec);
    // The library builds a fresh network for each preparation; the same
    // grammar as last time keeps the decoder's search as it is.
    const engine::Grammar &g = *net->grammar;
    bool same = rec->searches > 0 && !rec->widened && g.fingerprint == rec->searched;
    if (!same && !set_grammar(rec, g)) return -1;
    rec->widened = false;
    if (ps_start_utt(rec->ps) < 0) return engine::complain("hapiRecPrepare: the decoder cannot start"), -1;
    rec->in_utterance = true;
    rec->grammar = net->grammar;
    rec->coder = coder;
    rec->utt = coder->utt;
    rec->feeder = std::make_unique<engine::FrameFeeder>(rec->ps);
    rec->padded = false;
    rec->decoded = 0;
    rec->consumed = 0;
    rec->finished = false;
    rec->speech_seen = false;
    rec->speech_frames = 0;
    rec->silence_run = 0;
    rec->checked = 0;
    return 0;
}

int hapiRecProcess(hapiRecObject rec, int frames, hapiResObject res) {
    if (engine::fault("hapiRecProcess")) return -1;
    if (!rec || !rec->utt || !rec->in_utterance) return engine::complain("hapiRecProcess: recogniser not prepared"), -1;
    if (frames < 1) return engine::complain("hapiRecProcess: frame count %d", frames), -1;
    if (!rec->finished) {
        if (is_live(rec) && !pull_live(rec, frames)) return -1;
        rec->consumed = std::min(rec->utt->frames(), rec->consumed + frames);
        if (rec->utt->complete && rec->consumed == rec->utt->frames()) rec->finished = true;
        // Live frames are decoded as they come only for a partial result:
        // the final one decodes them all again.
        if ((res || !is_live(rec)) && !decode_frames(rec, rec->finished)) return -1;
    }
    if (res) engine::result_from_decoder(res, rec);
    return remaining(rec);
}

int hapiRecRemaining(hapiRecObject rec) {
    if (engine::fault("hapiRecRemaining")) return HAPI_REMAINING_FAIL;
    if (!rec || !rec->utt) return engine::complain("hapiRecRemaining: recogniser not prepared"), HAPI_REMAINING_FAIL;
    return remaining(rec);
}

int hapiRecComplete(hapiRecObject rec, hapiResObject res) {
    if (engine::fault("hapiRecComplete")) return -1;
    if (!rec || !rec->ps) return engine::complain("hapiRecComplete: recogniser not initialised"), -1;
    if (!rec->utt) return engine::complain("hapiRecComplete: recogniser not prepared"), -1;
    bool ending = rec->in_utterance;
    if (ending && !(is_live(rec) ? decode_as_file(rec) : decode_frames(rec, true))) return -1;
    end_utterance(rec);
    if (ending && lost_the_grammar(rec)) search_again(rec);
    rec->finished = true;
    if (res) engine::result_from_decoder(res, rec);
    return 0;
}

int hapiDeleteRecObject(hapiRecObject rec) { return engine::delete_object(rec, "hapiDeleteRecObject", "recogniser"); }

}  // extern "C"
