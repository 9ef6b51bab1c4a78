// test_sound_card.cpp - the live input, playback and calibration through
// PortAudio and alsa-lib, on a stand-in card that captures from a file and
// plays into one.
#include "rec_fixture.h"
#include "sound_card.h"
#include "tempdir.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

const int kRate = 16000;

std::vector<short> goforward() { return read_raw(std::string(ENGINE_TESTDATA) + "/goforward.raw"); }

struct LiveCase {
    const char *name;
    double snr_db;  // 0: no noise
    int step;       // frames per hapiRecProcess call
};

void PrintTo(const LiveCase &c, std::ostream *os) { *os << c.name; }

}  // namespace

class SoundCardTest : public RecognitionTest {
protected:
    void SetUp() override {
        RecognitionTest::SetUp();
        hapiOverrideConfStr("AUDIOOUT", "default");
    }
    void TearDown() override {
        float max_seconds = 30.0f;
        hapiOverrideConfFlt("MAXUTTTIME", &max_seconds);
        RecognitionTest::TearDown();
    }
};

class LiveRecognition : public SoundCardTest, public ::testing::WithParamInterface<LiveCase> {};

// The same audio read as a file gives the words and times the live input
// must match: the card adds nothing and loses nothing.
TEST_P(LiveRecognition, RecognisesTheWordsAndEndsAfterTheSilenceSetting) {
    const LiveCase &c = GetParam();
    const double before = 2.0, after = 3.0;
    const int silseq = 60;
    hapiNetObject net = network(sequence({"go", "forward", "ten", "meters"}));
    TempDir dir;
    write_wav(dir.file("padded.wav"), padded_speech(goforward(), before, after, c.snr_db), kRate);
    hapiSourceObject file = file_source(dir.file("padded.wav"));
    auto reference = recognise(file, net, 50);
    ASSERT_EQ(names(reference), "<s> GO_T FORWARD_T TEN_T METERS_T <s>");
    FileSoundCard card;
    // More than the test reads: past the end the plugin repeats stale samples.
    card.speak(padded_speech(goforward(), before, after + 5.0, c.snr_db));
    hapiSourceObject src = live_source("default", silseq);
    auto ws = recognise(src, net, c.step);
    EXPECT_EQ(names(ws), names(reference));
    ASSERT_EQ(ws.size(), reference.size());
    for (size_t i = 1; i + 1 < ws.size(); i++) {
        EXPECT_NEAR(ws[i].start, reference[i].start, 0.1) << ws[i].name;
        EXPECT_NEAR(ws[i].end, reference[i].end, 0.1) << ws[i].name;
    }
    // The utterance ends the silence setting after the last word, not later.
    EXPECT_NEAR(static_cast<double>(last_samples_) / kRate, reference[ws.size() - 2].end + silseq / 100.0, 0.3);
}

INSTANTIATE_TEST_SUITE_P(SoundCard, LiveRecognition,
                         ::testing::Values(LiveCase{"QuietWhole", 0, 1000}, LiveCase{"QuietInSteps", 0, 7},
                                           LiveCase{"Noise20dBWhole", 20, 1000}, LiveCase{"Noise20dBInSteps", 20, 7},
                                           LiveCase{"Noise10dBWhole", 10, 1000}, LiveCase{"Noise10dBInSteps", 10, 7}),
                         [](const ::testing::TestParamInfo<LiveCase> &i) { return std::string(i.param.name); });

TEST_F(SoundCardTest, AnUtteranceThatNeverEndsIsCutAtTheMaximumTime) {
    hapiNetObject net = network(sequence({"go", "forward", "ten", "meters"}));
    std::vector<short> babble;
    std::vector<short> once = goforward();
    // The recording over and over, its pauses too short to end an utterance.
    for (int i = 0; i < 6; i++) babble.insert(babble.end(), once.begin() + 4000, once.end() - 4000);
    FileSoundCard card;
    card.speak(babble);
    float max_seconds = 4.0f;
    hapiOverrideConfFlt("MAXUTTTIME", &max_seconds);
    hapiSourceObject src = live_source("default");
    for (int step : {1000, 13}) {
        recognise(src, net, step);
        EXPECT_EQ(last_samples_, 4 * kRate) << step;
    }
}

TEST_F(SoundCardTest, ADeviceThatCannotBeOpenedFailsTheStartAtOnce) {
    FileSoundCard card(false);
    hapiSourceObject src = live_source("default");
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(hapiSourceStart(src), -1);
    float levels[4];
    EXPECT_EQ(hapiSourceCalibrateSpeech(src, levels), -1);
    hapiSourceObject play = source(HAPI_PLAY_SOURCE);
    short tone[160] = {};
    EXPECT_EQ(hapiSourcePlayWave(play, 160, tone), -1);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 5.0);
}

TEST_F(SoundCardTest, ADeviceThatFailsMidUtteranceFailsTheStepThatMeetsIt) {
    hapiNetObject net = network(sequence({"go", "forward", "ten", "meters"}));
    FileSoundCard card;
    card.speak(padded_speech(goforward(), 1.0, 8.0, 20));
    hapiSourceObject src = live_source("default", 60);
    hapiCoderObject coder = this->coder(src);
    hapiRecObject rec = hapiCreateRecObject(HAPI_NETWORK_KIND, 1, hmms_, 0);
    ASSERT_EQ(hapiRecInitialise(rec), 0);
    ASSERT_EQ(hapiCoderPrepare(coder), 0);
    ASSERT_EQ(hapiRecPrepare(rec, coder, net), 0);
    // The card stops delivering after 100 blocks of 10 ms.
    ASSERT_EQ(hapiFaultInject("hapiLiveCapture", 100), 0);
    ASSERT_EQ(hapiSourceStart(src), 0);
    auto t0 = std::chrono::steady_clock::now();
    int r = 1, steps = 0;
    while (r > 0 && steps++ < 1000) r = hapiRecProcess(rec, 10, nullptr);
    EXPECT_EQ(r, -1);
    EXPECT_LT(steps, 200);
    // The utterance ended there: it can be completed with what came in.
    EXPECT_EQ(hapiRecRemaining(rec), 0);
    EXPECT_EQ(hapiRecComplete(rec, nullptr), 0);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 5.0);
    EXPECT_EQ(hapiSourceStop(src), 0);
    hapiDeleteRecObject(rec);
}

TEST_F(SoundCardTest, PlaybackReachesTheCardSampleForSample) {
    FileSoundCard card;
    std::vector<short> once = goforward();
    hapiSourceObject play = source(HAPI_PLAY_SOURCE);
    ASSERT_EQ(hapiSourceInitialise(play), 0);
    for (int rate : {16000, 22050}) {
        double period = 1.0 / rate;
        ASSERT_GT(hapiSourceSamplePeriod(play, &period), 0);
        ASSERT_EQ(hapiSourcePlayWave(play, static_cast<int>(once.size()), once.data()), 0);
        EXPECT_EQ(card.played(), once) << rate;
    }
}

struct LevelCase {
    const char *name;
    double amplitude;  // of the speech, as a share of the recording's own
    double noise;      // rms of the background
    int needs;         // what the calibration says without a record
};

class Calibration : public SoundCardTest, public ::testing::WithParamInterface<LevelCase> {};

// A tone of known level after a quiet background: the measures follow from
// the samples themselves.
TEST_P(Calibration, MeasuresTheLevelsOfWhatTheCardDelivers) {
    const LevelCase &c = GetParam();
    std::vector<short> s(4 * kRate);
    unsigned seed = 99;
    for (size_t i = 0; i < s.size(); i++) {
        double noise = c.noise * (((seed = seed * 1103515245u + 12345u) >> 16) / 32768.0 - 1.0) * std::sqrt(3.0);
        double tone = i >= s.size() / 2 ? c.amplitude * 32767 * sin(2 * M_PI * 440.0 * i / kRate) : 0.0;
        s[i] = static_cast<short>(std::max(-32768.0, std::min(32767.0, tone + noise)));
    }
    FileSoundCard card;
    card.speak(s);
    hapiSourceObject src = live_source("default");
    float levels[4] = {};
    ASSERT_EQ(hapiSourceCalibrateSpeech(src, levels), 1);
    double tone_db = 10 * log10(std::pow(c.amplitude * 32767, 2) / 2 + c.noise * c.noise);
    double noise_db = 10 * log10(std::max(c.noise * c.noise, 1.0));
    EXPECT_NEAR(levels[0], tone_db, 1.0);
    EXPECT_NEAR(levels[1], noise_db, 3.0);
    EXPECT_NEAR(levels[2], levels[0] - levels[1], 1e-3);
    EXPECT_NEAR(levels[3], 2 * std::min(32767.0, c.amplitude * 32767), 0.1 * c.amplitude * 32767 + 3 * c.noise);
    EXPECT_EQ(hapiSourceCalibrateSpeech(src, nullptr), c.needs);
}

INSTANTIATE_TEST_SUITE_P(SoundCard, Calibration,
                         ::testing::Values(LevelCase{"Comfortable", 0.3, 30, 0}, LevelCase{"TooQuiet", 0.003, 10, 1},
                                           LevelCase{"NoisyRoom", 0.05, 300, 1}, LevelCase{"TooLoud", 0.9, 30, 1},
                                           LevelCase{"Clipping", 1.2, 30, 1}),
                         [](const ::testing::TestParamInfo<LevelCase> &i) { return std::string(i.param.name); });

// Only an initialised live source that can be read is measured.
TEST_F(SoundCardTest, SourcesThatCannotBeMeasuredFail) {
    float levels[4];
    hapiSourceObject missing = live_source("file:/nonexistent/absent.wav");
    hapiSourceObject file = source(HAPI_FILE_SOURCE), fresh = source(HAPI_LIVE_SOURCE);  // fresh: not initialised
    const std::pair<hapiSourceObject, float *> calls[] = {
        {nullptr, levels}, {missing, levels}, {missing, nullptr}, {file, levels}, {fresh, levels}};
    for (const auto &c : calls) EXPECT_EQ(hapiSourceCalibrateSpeech(c.first, c.second), -1) << "call " << &c - calls;
}
