// rec_fixture.h - what the recognition tests share: the packaged model
// loaded once, an exercise dictionary filled from the packaged
// pronouncing dictionary, grammars built through the lattice calls, and
// a runner that recognises a source and collects the result.
#ifndef ENGINE_TESTS_REC_FIXTURE_H
#define ENGINE_TESTS_REC_FIXTURE_H

#include <gtest/gtest.h>

#include "hapi.h"
#include "sound_card.h"

#include <sndfile.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Writes 16-bit mono samples as a WAV file.
inline void write_wav(const std::string &path, const std::vector<short> &s, int rate) {
    SF_INFO info{0, rate, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE *f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    sf_write_short(f, s.data(), static_cast<sf_count_t>(s.size()));
    sf_close(f);
}

struct RecWord {
    std::string name;
    double start = 0.0, end = 0.0;
    double ascore = 0.0, conf = 0.0;
    std::string outsym;
};

class RecognitionTest : public ::testing::Test {
protected:
    static hapiHMMSetObject hmms_;

    static std::string testdata(const std::string &name) { return std::string(ENGINE_TESTDATA) + "/" + name; }

    static void SetUpTestSuite() {
        if (hmms_) return;
        std::string mdef = std::string(ENGINE_MODEL_DIR) + "/mdef";
        for (const char *key : {"MMF", "HMMLIST", "AdultMMF"}) hapiOverrideConfStr(key, mdef.c_str());
        hapiOverrideConfStr("BKHMMNAME", "SIL");
        hmms_ = hapiCreateHMMSetObject();
        ASSERT_NE(hmms_, nullptr);
        ASSERT_EQ(hapiHMMSetInitialise(hmms_), 0);
    }

    void SetUp() override {
        hapiFaultClear();
        dict_ = hapiCreateDictObject();
        ASSERT_NE(dict_, nullptr);
        ASSERT_EQ(hapiDictModify(dict_), 0);
        ASSERT_GT(hapiDictAddItem(dict_, "<s>", "SIL", nullptr), 0);
    }

    // The networks, sources and lattices a test made go with it.
    void TearDown() override {
        hapiFaultClear();
        for (hapiNetObject n : nets_) hapiDeleteNetObject(n);
        for (hapiCoderObject c : coders_) hapiDeleteCoderObject(c);
        for (hapiSourceObject s : sources_) hapiDeleteSourceObject(s);
        for (auto l = lats_.rbegin(); l != lats_.rend(); ++l) hapiDeleteLatObject(*l);
        hapiDeleteDictObject(dict_);
        hapiOverrideConfStr("AUDIOIN", "default");
        int silseq = 100;
        hapiOverrideConfInt("SILSEQCOUNT", &silseq);
    }

    // Adds WORD_SYNTAX with every pronunciation the packaged dictionary
    // gives the word; answers its id.  A word already in the dictionary
    // under its own name (the silence word) is that word.
    int word(const std::string &w, const std::string &syntax = "T") {
        if (int own = hapiDictWordId(dict_, w.c_str()); own > 0) return own;
        std::string name;
        for (char c : w) name += static_cast<char>(toupper(static_cast<unsigned char>(c)));
        name += "_" + syntax;
        int id = hapiDictWordId(dict_, name.c_str());
        if (id > 0) return id;
        std::ifstream in(ENGINE_CMUDICT);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream f(line);
            std::string head, phone, pron;
            f >> head;
            if (head != w && head.rfind(w + "(", 0) != 0) continue;
            while (f >> phone) pron += (pron.empty() ? "" : " ") + phone;
            id = hapiDictAddItem(dict_, name.c_str(), pron.c_str(), ("/" + w + "/").c_str());
        }
        EXPECT_GT(id, 0) << w;
        return id;
    }

    hapiLatObject lattice(const char *name) {
        hapiLatObject l = hapiCreateLatObject(dict_, name);
        EXPECT_NE(l, nullptr);
        lats_.push_back(l);
        return l;
    }

    // A syntax saying one word of each group in turn.
    hapiLatObject choices(const std::vector<std::vector<std::string>> &groups) {
        hapiLatObject l = lattice("T");
        std::vector<int> prev = {hapiLatAddNode(l, 1, 0)};
        for (const auto &group : groups) {
            std::vector<int> here;
            for (const auto &w : group) {
                int n = hapiLatAddNode(l, word(w), 1);
                for (int p : prev) hapiLatAddArc(l, p, n);
                here.push_back(n);
            }
            prev = here;
        }
        int end = hapiLatAddNode(l, 1, 0);
        for (int p : prev) hapiLatAddArc(l, p, end);
        hapiLatFinalise(l, 0, 0);
        return l;
    }

    // A syntax lattice that says the words in order.
    hapiLatObject sequence(const std::vector<std::string> &words) {
        std::vector<std::vector<std::string>> groups;
        for (const auto &w : words) groups.push_back({w});
        return choices(groups);
    }

    // The recognition grammar: the silence word, the syntax, the silence word.
    hapiNetObject network(hapiLatObject syntax, const char *silence = "<s>") {
        hapiLatObject g = lattice("grammar");
        int sil = hapiDictWordId(dict_, silence);
        int a = hapiLatAddNode(g, sil, 0), s = hapiLatAddSublatNode(g, syntax), b = hapiLatAddNode(g, sil, 0);
        hapiLatAddArc(g, a, s);
        hapiLatAddArc(g, s, b);
        hapiLatFinalise(g, 0, 0);
        nets_.push_back(hapiBuildNetObject(HAPI_NETWORK_KIND, hmms_, dict_, g));
        EXPECT_NE(nets_.back(), nullptr);
        return nets_.back();
    }

    static std::vector<RecWord> words_of(hapiResObject res) {
        std::vector<RecWord> out;
        int n = hapiResAllWordNames(res, nullptr);
        for (int i = 1; i <= n; i++) {
            RecWord w;
            char buf[HAPI_MAX_NAME];
            EXPECT_GT(hapiResWordName(res, i, buf), 0);
            w.name = buf;
            EXPECT_EQ(hapiResWordTimes(res, i, &w.start, &w.end), 0);
            w.ascore = hapiResWordScore(res, i, HAPI_ACOUSTIC_SCORE);
            w.conf = hapiResWordScore(res, i, HAPI_CONFIDENCE_SCORE);
            EXPECT_GT(hapiResOutSym(res, i, buf), 0);
            w.outsym = buf;
            out.push_back(w);
        }
        return out;
    }

    static std::string names(const std::vector<RecWord> &ws) {
        std::string s;
        for (const auto &w : ws) s += (s.empty() ? "" : " ") + w.name;
        return s;
    }

    // One utterance of src through the coder and recogniser into res, in
    // steps of `step` frames, each step updating part; the words of part
    // are counted after each step when asked.
    void run_utterance(hapiRecObject rec, hapiCoderObject coder, hapiSourceObject src, hapiNetObject net, int step,
                       hapiResObject part, hapiResObject res, std::vector<int> *interim = nullptr) {
        EXPECT_EQ(hapiCoderPrepare(coder), 0);
        EXPECT_EQ(hapiRecPrepare(rec, coder, net), 0);
        EXPECT_EQ(hapiSourceStart(src), 0);
        int guard = 0;
        while (hapiRecRemaining(rec) > 0 && guard++ < 100000) {
            int r = hapiRecProcess(rec, step, part);
            EXPECT_GE(r, 0);
            if (r < 0) break;
            if (interim) interim->push_back(hapiResAllWordNames(part, nullptr));
        }
        EXPECT_EQ(hapiRecComplete(rec, res), 0);
        EXPECT_EQ(hapiSourceStop(src), 0);
        last_samples_ = hapiCoderAccessWave(coder, 1, -1, nullptr);
        EXPECT_EQ(hapiCoderComplete(coder), 0);
    }

    // Recognises a source with a fresh recogniser and coder.  Answers the
    // final result, which outlives them (the caller deletes it).
    hapiResObject final_result(hapiSourceObject src, hapiNetObject net, int step = 100000,
                               std::vector<int> *interim = nullptr) {
        hapiCoderObject coder = hapiCreateCoderObject(src);
        EXPECT_EQ(hapiCoderInitialise(coder, "Adult"), 0);
        hapiRecObject rec = hapiCreateRecObject(HAPI_NETWORK_KIND, 1, hmms_, 0);
        EXPECT_EQ(hapiRecInitialise(rec), 0);
        hapiResObject part = hapiCreateResObject(rec, HAPI_INTERIM_RESULT);
        hapiResObject res = hapiCreateResObject(rec, HAPI_FINAL_RESULT);
        run_utterance(rec, coder, src, net, step, interim ? part : nullptr, res, interim);
        hapiDeleteResObject(part);
        hapiDeleteRecObject(rec);
        hapiDeleteCoderObject(coder);
        return res;
    }

    // The final words of recognising src in steps of `step` frames.
    std::vector<RecWord> recognise(hapiSourceObject src, hapiNetObject net, int step = 50,
                                   std::vector<int> *interim = nullptr) {
        hapiResObject res = final_result(src, net, step, interim);
        std::vector<RecWord> out = words_of(res);
        hapiDeleteResObject(res);
        return out;
    }

    // A source of the kind, kept until the test ends.
    hapiSourceObject source(int kind) {
        sources_.push_back(hapiCreateSourceObject(kind));
        return sources_.back();
    }

    // A coder of src for the adult model, kept until the test ends.
    hapiCoderObject coder(hapiSourceObject src) {
        coders_.push_back(hapiCreateCoderObject(src));
        EXPECT_EQ(hapiCoderInitialise(coders_.back(), "Adult"), 0);
        return coders_.back();
    }

    hapiSourceObject file_source(const std::string &path) {
        hapiSourceObject src = source(HAPI_FILE_SOURCE);
        EXPECT_EQ(hapiSourceOverrideFilename(src, path.c_str()), 0);
        EXPECT_EQ(hapiSourceInitialise(src), 0);
        return src;
    }

    // A live source on the input named ("default": the sound card; "file:"
    // and a name: that file read as if spoken) that ends an utterance after
    // silseq frames of silence.
    hapiSourceObject live_source(const std::string &audioin, int silseq = 100) {
        hapiOverrideConfStr("AUDIOIN", audioin.c_str());
        hapiOverrideConfInt("SILSEQCOUNT", &silseq);
        hapiSourceObject src = source(HAPI_LIVE_SOURCE);
        EXPECT_EQ(hapiSourceInitialise(src), 0);
        return src;
    }

    hapiDictObject dict_ = nullptr;
    std::vector<hapiLatObject> lats_;
    std::vector<hapiNetObject> nets_;
    std::vector<hapiSourceObject> sources_;
    std::vector<hapiCoderObject> coders_;
    int last_samples_ = 0;
};

#endif  // ENGINE_TESTS_REC_FIXTURE_H
