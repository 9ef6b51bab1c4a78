// bench_decode.cpp - the engine's decoding against PocketSphinx used
// directly on the same audio and grammar; memory of one recogniser; the
// three speed settings; and how confidences separate spoken words from
// words forced onto other audio.  Prints ratios; asserts nothing.
#include "hapi.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kData = ENGINE_TESTDATA;
const std::string kMdef = std::string(ENGINE_MODEL_DIR) + "/mdef";

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

long rss_kb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return atol(line.c_str() + 6);
    return 0;
}

std::string upper(std::string s) {
    for (char &c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return s;
}

// The exercise dictionary, filled from the packaged pronouncing dictionary.
class Vocabulary {
public:
    Vocabulary() {
        dict_ = hapiCreateDictObject();
        hapiDictModify(dict_);
        hapiDictAddItem(dict_, "<s>", "SIL", nullptr);
        std::ifstream in(ENGINE_CMUDICT);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream f(line);
            std::string head, phone, pron;
            f >> head;
            while (f >> phone) pron += (pron.empty() ? "" : " ") + phone;
            std::string base = head.substr(0, head.find('('));
            prons_[base].push_back(pron);
        }
    }
    int word(const std::string &w) {
        std::string name = upper(w) + "_B";
        int id = hapiDictWordId(dict_, name.c_str());
        if (id > 0) return id;
        for (const auto &p : prons_[w]) id = hapiDictAddItem(dict_, name.c_str(), p.c_str(), nullptr);
        return id;
    }
    hapiDictObject dict() const { return dict_; }

private:
    hapiDictObject dict_;
    std::map<std::string, std::vector<std::string>> prons_;
};

// A lattice of alternatives: one word node per word between two null nodes.
hapiLatObject choice(Vocabulary &v, const std::vector<std::string> &words, bool optional = false) {
    hapiLatObject l = hapiCreateLatObject(v.dict(), "B");
    int s = hapiLatAddNode(l, 1, 0), e = hapiLatAddNode(l, 1, 0);
    for (const auto &w : words) {
        int n = hapiLatAddNode(l, v.word(w), 1);
        hapiLatAddArc(l, s, n);
        hapiLatAddArc(l, n, e);
    }
    if (optional) hapiLatAddArc(l, s, e);
    hapiLatFinalise(l, 0, 0);
    return l;
}

// A lattice that goes through the given sub-lattices in order.
hapiLatObject chain(Vocabulary &v, const std::vector<hapiLatObject> &parts) {
    hapiLatObject l = hapiCreateLatObject(v.dict(), "B");
    int prev = hapiLatAddNode(l, 1, 0);
    for (hapiLatObject p : parts) {
        int n = hapiLatAddSublatNode(l, p);
        hapiLatAddArc(l, prev, n);
        prev = n;
    }
    int e = hapiLatAddNode(l, 1, 0);
    hapiLatAddArc(l, prev, e);
    hapiLatFinalise(l, 0, 0);
    return l;
}

hapiLatObject alternatives(Vocabulary &v, const std::vector<hapiLatObject> &parts) {
    hapiLatObject l = hapiCreateLatObject(v.dict(), "B");
    int s = hapiLatAddNode(l, 1, 0), e = hapiLatAddNode(l, 1, 0);
    for (hapiLatObject p : parts) {
        int n = hapiLatAddSublatNode(l, p);
        hapiLatAddArc(l, s, n);
        hapiLatAddArc(l, n, e);
    }
    hapiLatFinalise(l, 0, 0);
    return l;
}

// The packaged goforward.gram as lattices.
hapiLatObject goforward_grammar(Vocabulary &v) {
    auto w = [&](const char *x) { return choice(v, {x}); };
    hapiLatObject move = chain(v, {w("go"), w("forward"), w("ten"), w("meters")});
    hapiLatObject move2 =
        chain(v,
              {w("go"), choice(v, {"forward", "backward"}),
               choice(v, {"one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten"}),
               choice(v, {"meter", "meters"}, true)});
    return alternatives(v, {move, move2});
}

// The packaged cards.gram as lattices.
hapiLatObject cards_grammar(Vocabulary &v) {
    std::vector<std::string> ranks = {"ace",   "two",  "three", "four", "five",  "six",  "seven",
                                      "eight", "nine", "ten",   "jack", "queen", "king", "lady"};
    auto rank = [&] { return choice(v, ranks); };
    auto card = [&] {
        return chain(v, {rank(), choice(v, {"of"}, true), choice(v, {"clubs", "hearts", "diamonds", "spades"})});
    };
    return alternatives(v,
                        {chain(v, {card(), card(), card()}), chain(v, {card(), card()}), card(),
                         chain(v, {rank(), card()}), chain(v, {rank(), rank()})});
}

hapiNetObject network(Vocabulary &v, hapiHMMSetObject hmms, hapiLatObject syntax) {
    hapiLatObject g = hapiCreateLatObject(v.dict(), "grammar");
    int sil = hapiDictWordId(v.dict(), "<s>");
    int a = hapiLatAddNode(g, sil, 0), s = hapiLatAddSublatNode(g, syntax), b = hapiLatAddNode(g, sil, 0);
    hapiLatAddArc(g, a, s);
    hapiLatAddArc(g, s, b);
    hapiLatFinalise(g, 0, 0);
    return hapiBuildNetObject(HAPI_NETWORK_KIND, hmms, v.dict(), g);
}

struct Word {
    std::string name;
    double start, end, conf;
};

// One recogniser with its file source and coder, kept from utterance to
// utterance as the library keeps them.
struct Engine {
    hapiHMMSetObject hmms;
    hapiRecObject rec = nullptr;
    hapiResObject res = nullptr;
    hapiSourceObject src = nullptr;
    hapiCoderObject coder = nullptr;

    void make_rec(float genbeam, float goptbeam) {
        if (rec) hapiDeleteResObject(res), hapiDeleteRecObject(rec);
        hapiOverrideConfFlt("GENBEAM", &genbeam);
        hapiOverrideConfFlt("GOPTBEAM", &goptbeam);
        rec = hapiCreateRecObject(HAPI_NETWORK_KIND, 1, hmms, 0);
        hapiRecInitialise(rec);
        res = hapiCreateResObject(rec, HAPI_FINAL_RESULT);
    }

    // Source to result: everything the library does for one utterance.
    std::vector<Word> decode(const std::string &path, hapiNetObject net, bool conf) {
        if (!src) {
            src = hapiCreateSourceObject(HAPI_FILE_SOURCE);
            coder = hapiCreateCoderObject(src);
            hapiCoderInitialise(coder, "Adult");
        }
        hapiSourceOverrideFilename(src, path.c_str());
        hapiSourceInitialise(src);
        hapiCoderPrepare(coder);
        hapiRecPrepare(rec, coder, net);
        hapiSourceStart(src);
        while (hapiRecRemaining(rec) > 0) hapiRecProcess(rec, 50, nullptr);
        hapiRecComplete(rec, res);
        hapiSourceStop(src);
        std::vector<Word> out;
        int n = hapiResAllWordNames(res, nullptr);
        for (int i = 1; i <= n; i++) {
            Word w;
            char buf[HAPI_MAX_NAME];
            hapiResWordName(res, i, buf);
            w.name = buf;
            hapiResWordTimes(res, i, &w.start, &w.end);
            w.conf = conf ? hapiResWordScore(res, i, HAPI_CONFIDENCE_SCORE) : 0.0;
            if (conf) phone_results(i);
            out.push_back(w);
        }
        hapiCoderComplete(coder);
        hapiResClear(res);
        return out;
    }

    // What an application asks of every phone of word i: its times, score,
    // confidence and the phone heard.
    void phone_results(int i) {
        char heard[HAPI_PHONE_NAME_MAX];
        for (int p = 0; p < hapiResAllPhoneIds(res, i, nullptr); p++) {
            double start, end;
            hapiResPhoneTimes(res, i, p, &start, &end);
            hapiResPhoneScore(res, i, p, HAPI_ACOUSTIC_SCORE);
            hapiResPhoneScore(res, i, p, HAPI_CONFIDENCE_SCORE);
            hapiResPhoneHeard(res, i, p, heard);
        }
    }

    // The file fed through the live path (AUDIOIN = file:) in steps of 10
    // frames with a partial result after each, as an application showing
    // what is heard does; answers the seconds hapiRecComplete took.
    double live_end(const std::string &path, hapiNetObject net) {
        hapiOverrideConfStr("AUDIOIN", ("file:" + path).c_str());
        hapiSourceObject live = hapiCreateSourceObject(HAPI_LIVE_SOURCE);
        hapiSourceInitialise(live);
        hapiCoderObject c = hapiCreateCoderObject(live);
        hapiCoderInitialise(c, "Adult");
        hapiCoderPrepare(c);
        hapiResObject part = hapiCreateResObject(rec, HAPI_INTERIM_RESULT);
        hapiRecPrepare(rec, c, net);
        hapiSourceStart(live);
        while (hapiRecRemaining(rec) > 0) hapiRecProcess(rec, 10, part);
        double t0 = now();
        hapiRecComplete(rec, res);
        double t = now() - t0;
        hapiSourceStop(live);
        hapiCoderComplete(c);
        hapiResClear(res);
        hapiDeleteResObject(part);
        hapiDeleteCoderObject(c);
        hapiDeleteSourceObject(live);
        return t;
    }
};

std::string spoken(const std::vector<Word> &ws) {
    std::string s;
    for (const auto &w : ws)
        if (w.name != "<s>") s += (s.empty() ? "" : " ") + w.name.substr(0, w.name.find('_'));
    return s;
}

std::vector<short> read_samples(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<short> s;
    if (path.size() > 4 && path.substr(path.size() - 4) == ".wav") in.seekg(44);
    short v;
    while (in.read(reinterpret_cast<char *>(&v), 2)) s.push_back(v);
    return s;
}

// PocketSphinx on its own: the packaged grammar file, the same beams,
// whole-utterance decoding.
struct Direct {
    ps_decoder_t *ps;
    Direct(const std::string &gram, double beam, double wbeam) {
        char b[32], wb[32];
        snprintf(b, sizeof b, "%g", exp(-beam));
        snprintf(wb, sizeof wb, "%g", exp(-wbeam));
        cmd_ln_t *c =
            cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", ENGINE_MODEL_DIR, "-dict", ENGINE_CMUDICT, "-jsgf",
                        gram.c_str(), "-remove_silence", "no", "-beam", b, "-pbeam", b, "-wbeam", wb, nullptr);
        ps = ps_init(c);
        cmd_ln_free_r(c);
    }
    ~Direct() { ps_free(ps); }
    std::vector<Word> decode(const std::vector<short> &s) {
        ps_start_utt(ps);
        ps_process_raw(ps, s.data(), s.size(), FALSE, TRUE);
        ps_end_utt(ps);
        std::vector<Word> out;
        for (ps_seg_t *g = ps_seg_iter(ps); g; g = ps_seg_next(g)) {
            int sf, ef;
            ps_seg_frames(g, &sf, &ef);
            out.push_back({upper(ps_seg_word(g)), sf * 0.01, (ef + 1) * 0.01, 0.0});
        }
        return out;
    }
};

}  // namespace

int main() {
    err_set_logfp(nullptr);
    hapiOverrideConfStr("MMF", kMdef.c_str());
    hapiOverrideConfStr("HMMLIST", kMdef.c_str());
    hapiOverrideConfStr("BKHMMNAME", "SIL");
    hapiOverrideConfStr("AdultMMF", kMdef.c_str());
    double t0 = now();
    Engine e;
    e.hmms = hapiCreateHMMSetObject();
    if (hapiHMMSetInitialise(e.hmms) < 0) return 1;
    printf("model load (HMM set): %.3f s\n", now() - t0);

    Vocabulary v;
    hapiNetObject go_net = network(v, e.hmms, goforward_grammar(v));
    hapiNetObject cards_net = network(v, e.hmms, cards_grammar(v));
    std::string goforward = kData + "/goforward.raw";
    std::vector<std::string> cards;
    std::vector<std::string> cards_truth = {"TEN OF CLUBS", "FOUR QUEEN OF CLUBS", "SEVEN OF CLUBS", "FIVE FIVE",
                                            "EIGHT OF SPADES FOUR OF CLUBS SEVEN OF HEARTS"};
    for (int i = 1; i <= 5; i++) cards.push_back(kData + "/cards/00" + std::to_string(i) + ".wav");

    // --- memory of one recogniser ---------------------------------------
    long before = rss_kb();
    e.make_rec(150.0f, 25.0f);
    e.decode(goforward, go_net, false);
    printf("resident memory of one recogniser (prepared, one utterance): %ld kB\n", rss_kb() - before);

    // --- engine against PocketSphinx directly -------------------------------
    const int kRounds = 10;
    Direct go_direct(kData + "/goforward.gram", 110.52, 64.83);
    Direct cards_direct(kData + "/cards/cards.gram", 110.52, 64.83);
    std::vector<short> go_samples = read_samples(goforward);
    std::vector<std::vector<short>> card_samples;
    for (const auto &c : cards) card_samples.push_back(read_samples(c));
    double t_engine = 0, t_direct = 0;
    std::vector<Word> ew, dw;
    for (int r = 0; r < kRounds; r++) {
        t0 = now();
        ew = e.decode(goforward, go_net, false);
        for (const auto &c : cards) e.decode(c, cards_net, false);
        t_engine += now() - t0;
        t0 = now();
        dw = go_direct.decode(go_samples);
        for (const auto &s : card_samples) cards_direct.decode(s);
        t_direct += now() - t0;
    }
    printf("goforward: engine \"%s\", PocketSphinx \"%s\"\n", spoken(ew).c_str(), spoken(dw).c_str());
    double worst = 0;
    for (const auto &w : ew)
        for (const auto &d : dw)
            if (w.name.substr(0, w.name.find('_')) == d.name)
                worst = std::max({worst, fabs(w.start - d.start), fabs(w.end - d.end)});
    printf("goforward: largest word time difference to PocketSphinx's segmentation: %.3f s\n", worst);
    printf("decode time of goforward + cards 001-005, %d rounds: engine %.3f s, PocketSphinx %.3f s, ratio %.2f\n",
           kRounds, t_engine, t_direct, t_engine / t_direct);

    // --- the whole result: words, phones, scores, confidences, phones heard --
    double t_whole = 0;
    for (int r = 0; r < kRounds; r++) {
        t0 = now();
        e.decode(goforward, go_net, true);
        for (const auto &c : cards) e.decode(c, cards_net, true);
        t_whole += now() - t0;
    }
    printf(
        "the whole result (every word's and phone's times, scores, confidences and phone heard): engine %.3f s, "
        "ratio to PocketSphinx's decode %.2f (PocketSphinx's own words and phone times: 2.0)\n",
        t_whole, t_whole / t_direct);

    // --- the end of a live utterance ---------------------------------------------
    // Its final result is decoded again from its samples, as a file's is.
    double t_end = 0;
    t_direct = 0;
    for (int r = 0; r < kRounds; r++) {
        t_end += e.live_end(goforward, go_net);
        for (const auto &c : cards) t_end += e.live_end(c, cards_net);
        t0 = now();
        go_direct.decode(go_samples);
        for (const auto &s : card_samples) cards_direct.decode(s);
        t_direct += now() - t0;
    }
    printf(
        "end of a live utterance (goforward + cards 001-005 through AUDIOIN = file:): hapiRecComplete %.1f ms "
        "on average, PocketSphinx's whole decode of the same audio %.1f ms, ratio %.2f\n",
        1000 * t_end / (6 * kRounds), 1000 * t_direct / (6 * kRounds), t_end / t_direct);

    // --- speed settings -------------------------------------------------------
    struct Setting {
        const char *name;
        float genbeam, goptbeam;
    } settings[] = {{"SPEEDBIAS", 125.0f, 15.0f}, {"NORMAL", 150.0f, 25.0f}, {"ACCBIAS", 250.0f, 40.0f}};
    double normal_time = 0;
    for (const Setting &s : settings) {
        e.make_rec(s.genbeam, s.goptbeam);
        int right = 0;
        t0 = now();
        for (int r = 0; r < kRounds; r++)
            for (size_t i = 0; i < cards.size(); i++)
                right += spoken(e.decode(cards[i], cards_net, false)) == cards_truth[i];
        double t = now() - t0;
        if (!strcmp(s.name, "NORMAL")) normal_time = t;
        printf("%-9s (%.0f, %.0f): %.3f s for %d utterances, %d right%s\n", s.name, s.genbeam, s.goptbeam, t,
               kRounds * 5, right, normal_time > 0 ? "" : "");
    }

    // --- confidence separation -------------------------------------------------
    e.make_rec(150.0f, 25.0f);
    double right_sum = 0, forced_sum = 0;
    int right_n = 0, forced_n = 0;
    auto add = [](const std::vector<Word> &ws, double *sum, int *n) {
        for (const auto &w : ws)
            if (w.name != "<s>") *sum += w.conf, ++*n;
    };
    add(e.decode(goforward, go_net, true), &right_sum, &right_n);
    for (size_t i = 0; i < cards.size(); i++) add(e.decode(cards[i], cards_net, true), &right_sum, &right_n);
    for (const char *other : {"/numbers.raw", "/something.raw"})
        add(e.decode(kData + other, go_net, true), &forced_sum, &forced_n);
    add(e.decode(goforward, cards_net, true), &forced_sum, &forced_n);
    for (const auto &c : cards) add(e.decode(c, go_net, true), &forced_sum, &forced_n);
    printf("confidence: spoken words %.3f (%d words), words forced onto other audio %.3f (%d words), ratio %.2f\n",
           right_sum / right_n, right_n, forced_sum / forced_n, forced_n,
           (right_sum / right_n) / (forced_sum / forced_n));
    return 0;
}
