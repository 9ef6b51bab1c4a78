// test_rec_live.cpp - the live path fed from a file, and engine calls
// made to fail on purpose.
#include "rec_fixture.h"
#include "tempdir.h"

#include <cstdlib>
#include <fstream>

namespace {

// The recording, `gap` seconds of faint noise, the recording again.
std::string spoken_twice(const TempDir &dir, double gap) {
    std::vector<short> once = read_raw(std::string(ENGINE_TESTDATA) + "/goforward.raw");
    std::vector<short> all = once;
    srand(7);
    for (int i = 0; i < static_cast<int>(gap * 16000); i++) all.push_back(static_cast<short>(rand() % 41 - 20));
    all.insert(all.end(), once.begin(), once.end());
    std::string path = dir.file("twice.wav");
    write_wav(path, all, 16000);
    return path;
}

}  // namespace

using LiveTest = RecognitionTest;

TEST_F(LiveTest, LongerPauseSettingWaitsThroughAShortPause) {
    TempDir dir;
    std::string path = spoken_twice(dir, 0.8);
    hapiNetObject net = network(sequence({"go", "forward", "ten", "meters"}));
    hapiSourceObject src = live_source("file:" + path, 150);
    auto ws = recognise(src, net, 50);
    // The 0.8 s pause is shorter than 1.5 s: the input runs to its end,
    // where the grammar fits the first saying and silence absorbs the rest.
    EXPECT_GT(last_samples_, 2 * 44580);
    ASSERT_FALSE(ws.empty());
    EXPECT_EQ(ws.front().name, "<s>");
}

TEST_F(LiveTest, LiveSourceIsMadeWithoutASoundCardAndRefusesBadSettings) {
    hapiSourceObject src = live_source("default");
    ASSERT_NE(src, nullptr);
    EXPECT_NEAR(hapiSourceSamplePeriod(src, nullptr), 1.0 / 16000, 1e-12);
    coder(src);
    hapiOverrideConfStr("AUDIOIN", "microphone-3");
    src = source(HAPI_LIVE_SOURCE);
    EXPECT_EQ(hapiSourceInitialise(src), -1);
    // A file that is not there is found out when the input starts.
    src = live_source("file:/nonexistent.wav");
    EXPECT_EQ(hapiSourceStart(src), -1);
}

TEST_F(LiveTest, ResultQueriesRefuseWordsThatAreNotThere) {
    hapiRecObject rec = hapiCreateRecObject(HAPI_NETWORK_KIND, 1, hmms_, 0);
    hapiResObject res = hapiCreateResObject(rec, HAPI_FINAL_RESULT);
    char buf[HAPI_MAX_NAME];
    double t;
    EXPECT_EQ(hapiResAllWordNames(res, nullptr), 0);
    EXPECT_EQ(hapiResWordName(res, 1, buf), -1);
    EXPECT_EQ(hapiResWordTimes(res, 0, &t, &t), -1);
    EXPECT_EQ(hapiResWordScore(res, 1, HAPI_CONFIDENCE_SCORE), HAPI_FLOAT_FAIL);
    EXPECT_EQ(hapiResOutSym(res, -1, buf), -1);
    EXPECT_EQ(hapiRecProcess(rec, 50, res), -1);  // never prepared
    EXPECT_EQ(hapiRecRemaining(rec), HAPI_REMAINING_FAIL);
    EXPECT_EQ(hapiCreateRecObject(12, 1, hmms_, 0), nullptr);
    hapiDeleteResObject(res);
    hapiDeleteRecObject(rec);
}
