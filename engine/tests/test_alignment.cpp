// The times, repeatability and robustness of recognition results: word
// times against PocketSphinx's own decode of the same file, bit-identical
// answers whatever was recognised before, however the frames were taken
// and whether the recording came as a file or through the live path, and
// forced sentences that the first search loses.
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include "rec_fixture.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>

#include <cstdio>

namespace {

struct Forced {
    const char *file;
    std::vector<std::string> words;
    double first_start = -1.0;  // where the first word starts when PocketSphinx says otherwise
};

// Recordings on which PocketSphinx, given the sentence alone, puts no
// filler between the words.  It prices the silence before the first word
// like a pause between words, and on some recordings it lets the first
// word start at frame 0 instead; the engine's silence there is free (on
// cards/001 the T of "ten" bursts at 0.18 s).
const Forced kForced[] = {
    {"goforward.raw", {"go", "forward", "ten", "meters"}},
    {"cards/003.wav", {"seven", "of", "clubs"}},
    {"cards/001.wav", {"ten", "of", "clubs"}, 0.15},
};
const std::vector<std::string> kTenOfClubs = {"ten", "of", "clubs"};

std::vector<short> samples_of(const std::string &path) {
    if (path.size() > 4 && path.substr(path.size() - 4) == ".raw") return read_raw(path);
    SF_INFO info{};
    SNDFILE *f = sf_open(path.c_str(), SFM_READ, &info);
    std::vector<short> s(f ? static_cast<size_t>(info.frames) : 0);
    if (f) sf_read_short(f, s.data(), static_cast<sf_count_t>(s.size())), sf_close(f);
    return s;
}

// PocketSphinx on its own: the sentence as a one-option grammar, the whole
// file at once; the words' first and last frames.
std::vector<std::pair<int, int>> direct_frames(const std::string &path, const std::vector<std::string> &words) {
    err_set_logfp(nullptr);
    std::string gram = "#JSGF V1.0;\ngrammar g;\npublic <s> =";
    for (const auto &w : words) gram += " " + w;
    gram += ";\n";
    cmd_ln_t *c = cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", ENGINE_MODEL_DIR, "-dict", ENGINE_CMUDICT,
                              "-remove_silence", "no", nullptr);
    ps_decoder_t *ps = ps_init(c);
    cmd_ln_free_r(c);
    std::vector<std::pair<int, int>> out;
    if (!ps) return out;
    std::vector<short> s = samples_of(path);
    {
        // PocketSphinx's grammar reader keeps some of what it parsed for
        // good; that is its memory, not the engine's.
#if defined(__SANITIZE_ADDRESS__)
        __lsan::ScopedDisabler keep;
#endif
        ps_set_jsgf_string(ps, "g", gram.c_str());
    }
    ps_set_search(ps, "g");
    ps_start_utt(ps);
    ps_process_raw(ps, s.data(), s.size(), FALSE, TRUE);
    ps_end_utt(ps);
    for (ps_seg_t *g = ps_seg_iter(ps); g; g = ps_seg_next(g)) {
        int sf, ef;
        ps_seg_frames(g, &sf, &ef);
        const char *w = ps_seg_word(g);
        if (w[0] != '<' && w[0] != '[') out.push_back({sf, ef});
    }
    ps_free(ps);
    return out;
}

class AlignmentTest : public RecognitionTest {
protected:
    void TearDown() override {
        if (res_) hapiDeleteResObject(res_);
        if (part_) hapiDeleteResObject(part_);
        if (rec_) hapiDeleteRecObject(rec_);
        RecognitionTest::TearDown();
    }

    hapiNetObject forced(const std::vector<std::string> &words) { return network(sequence(words)); }

    // Recognises a source on the test's one recogniser and coder, kept
    // from utterance to utterance, in steps of `step` frames; answers
    // everything the result tells, floating-point values exactly.
    std::string recognise_kept(hapiSourceObject src, hapiNetObject net, int step) {
        if (!rec_) {
            rec_ = hapiCreateRecObject(HAPI_NETWORK_KIND, 1, hmms_, 0);
            EXPECT_EQ(hapiRecInitialise(rec_), 0);
            res_ = hapiCreateResObject(rec_, HAPI_FINAL_RESULT);
            part_ = hapiCreateResObject(rec_, HAPI_INTERIM_RESULT);
        }
        if (coder_src_ != src) {
            coder_ = coder(src);
            coder_src_ = src;
        }
        run_utterance(rec_, coder_, src, net, step, part_, res_);
        std::string all = std::to_string(last_samples_) + " samples\n" + describe(res_);
        hapiResClear(res_);
        return all;
    }

    static std::string describe(hapiResObject res) {
        std::string out;
        char line[HAPI_MAX_NAME + 256];
        int n = hapiResAllWordNames(res, nullptr);
        for (int i = 1; i <= n; i++) {
            char name[HAPI_MAX_NAME];
            double s = 0, e = 0;
            hapiResWordName(res, i, name);
            hapiResWordTimes(res, i, &s, &e);
            snprintf(line, sizeof line, "%s %a %a %a %a:", name, s, e, hapiResWordScore(res, i, HAPI_ACOUSTIC_SCORE),
                     hapiResWordScore(res, i, HAPI_CONFIDENCE_SCORE));
            out += line;
            int np = hapiResAllPhoneIds(res, i, nullptr);
            for (int p = 0; p < np; p++) {
                hapiResPhoneTimes(res, i, p, &s, &e);
                snprintf(line, sizeof line, " %d %a %a %a %a", hapiResPhoneId(res, i, p), s, e,
                         hapiResPhoneScore(res, i, p, HAPI_ACOUSTIC_SCORE),
                         hapiResPhoneScore(res, i, p, HAPI_CONFIDENCE_SCORE));
                out += line;
            }
            out += "\n";
        }
        return out;
    }

    hapiSourceObject source(const std::string &name) { return file_source(testdata(name)); }
    // The recording fed through the live path as if spoken.
    hapiSourceObject live(const std::string &name) { return live_source("file:" + testdata(name)); }

    hapiRecObject rec_ = nullptr;
    hapiResObject res_ = nullptr, part_ = nullptr;
    hapiCoderObject coder_ = nullptr;
    hapiSourceObject coder_src_ = nullptr;
};

}  // namespace

TEST_F(AlignmentTest, WordTimesAreThoseOfPocketSphinxsOwnDecodeOfTheFile) {
    for (const Forced &f : kForced) {
        hapiSourceObject src = source(f.file);
        auto ws = recognise(src, forced(f.words));
        auto direct = direct_frames(testdata(f.file), f.words);
        ASSERT_EQ(ws.size(), f.words.size() + 2) << f.file;
        ASSERT_EQ(direct.size(), f.words.size()) << f.file;
        for (size_t i = 0; i < direct.size(); i++) {
            double start = i == 0 && f.first_start >= 0 ? f.first_start : direct[i].first * 0.01;
            EXPECT_NEAR(ws[i + 1].start, start, 1e-9) << f.file << " " << ws[i + 1].name;
            EXPECT_NEAR(ws[i + 1].end, (direct[i].second + 1) * 0.01, 1e-9) << f.file << " " << ws[i + 1].name;
        }
    }
}

TEST_F(AlignmentTest, TheSameAnswerWhateverCameBeforeHoweverTheFramesWereTakenAndFromWhichSource) {
    enum Recording { kGo, kCards };
    const char *files[] = {"goforward.raw", "cards/001.wav"};
    hapiNetObject nets[] = {forced(kForced[0].words), forced(kTenOfClubs)};
    hapiSourceObject sources[2][2];
    for (int r : {kGo, kCards}) {
        sources[r][0] = source(files[r]);
        sources[r][1] = live(files[r]);
    }
    // Each recording's first run is the answer every later one must give,
    // bit for bit, whatever ran before it on the same recogniser.
    const int kWhole = 100000;
    struct Run {
        Recording recording;
        bool live;  // fed through the live path (AUDIOIN = file:)
        int step;
    } runs[] = {
        {kGo, false, kWhole}, {kGo, false, kWhole},   {kCards, false, 50}, {kGo, false, kWhole},    {kGo, false, 1},
        {kGo, false, 7},      {kGo, false, 15},       {kGo, false, 16},    {kGo, false, 50},        {kGo, true, kWhole},
        {kGo, true, 7},       {kCards, true, kWhole}, {kCards, true, 7},   {kCards, false, kWhole},
    };
    std::string first[2];
    for (const Run &run : runs) {
        std::string got = recognise_kept(sources[run.recording][run.live], nets[run.recording], run.step);
        std::string &want = first[run.recording];
        if (want.empty()) {
            ASSERT_NE(got.find(run.recording == kGo ? "METERS" : "CLUBS"), std::string::npos) << got;
            want = got;
        }
        EXPECT_EQ(got, want) << files[run.recording] << (run.live ? " live" : " file") << " in steps of " << run.step;
    }
}

TEST_F(AlignmentTest, ALostForcedSentenceIsSearchedAgainWithWiderBeams) {
    // The first search loses every path of this sentence on this recording.
    hapiSourceObject src = source("cards/001.wav");
    auto ws = recognise(src, forced({"two", "of", "spades"}));
    ASSERT_EQ(names(ws), "<s> TWO_T OF_T SPADES_T <s>");
    // The words the recording says are confident, and far more so than
    // the words forced on it.
    auto said = recognise(src, forced(kTenOfClubs));
    ASSERT_EQ(said.size(), ws.size());
    double forced_conf = 0, said_conf = 0;
    for (size_t i = 1; i + 1 < ws.size(); i++) forced_conf += ws[i].conf, said_conf += said[i].conf;
    EXPECT_GT(said_conf / 3, 0.5);
    EXPECT_LT(forced_conf, said_conf / 2);
}

// A word's confidence depends on its phones and their frames, not on
// what else the grammar allowed.
TEST_F(AlignmentTest, AWordIsAsConfidentAmongManyOptionsAsWhenForced) {
    hapiSourceObject src = source("cards/001.wav");
    auto alone = recognise(src, forced(kTenOfClubs));
    auto among = recognise(
        src,
        network(choices({{"two", "ten", "jack", "queen", "king"}, {"of"}, {"clubs", "hearts", "spades", "diamonds"}})));
    ASSERT_EQ(among.size(), alone.size());
    int compared = 0;
    for (size_t i = 1; i + 1 < alone.size(); i++) {
        ASSERT_EQ(among[i].name.substr(0, 3), alone[i].name.substr(0, 3));
        if (among[i].start != alone[i].start || among[i].end != alone[i].end) continue;
        EXPECT_NEAR(among[i].conf, alone[i].conf, 0.05) << alone[i].name;
        compared++;
    }
    EXPECT_GE(compared, 2);
}

TEST_F(AlignmentTest, AnImpossibleSentenceGivesNoWordsAndSaysSo) {
    // More phones than the recording has frames for.
    std::vector<std::string> words;
    for (int i = 0; i < 12; i++) words.insert(words.end(), {"go", "forward", "ten", "meters"});
    hapiSourceObject src = source("cards/001.wav");
    testing::internal::CaptureStderr();
    auto ws = recognise(src, forced(words));
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(names(ws), "<s>");
    EXPECT_NE(log.find("hapiRecComplete: no path reached the end of the grammar, even with beams 8 times as wide; "
                       "the result has no words"),
              std::string::npos)
        << log;
}
