// test_rec_live.cpp - a live source made without a sound card, and result
// queries on words that are not there.
#include "rec_fixture.h"

using LiveTest = RecognitionTest;

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
