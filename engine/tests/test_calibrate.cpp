// test_calibrate.cpp - measuring the live input's level, fed from files
// through AUDIOIN=file:.
#include "rec_fixture.h"
#include "tempdir.h"

namespace {

class CalibrateTest : public ::testing::Test {
protected:
    void TearDown() override {
        hapiFaultClear();
        hapiOverrideConfStr("AUDIOIN", "default");
    }

    // A live source listening to the file.
    static hapiSourceObject listening_to(const std::string &path) {
        hapiOverrideConfStr("AUDIOIN", ("file:" + path).c_str());
        hapiSourceObject src = hapiCreateSourceObject(HAPI_LIVE_SOURCE);
        EXPECT_NE(src, nullptr);
        EXPECT_EQ(hapiSourceInitialise(src), 0);
        return src;
    }

    // The packaged recording with every sample multiplied by gain.
    std::string scaled(double gain) {
        std::vector<short> s = read_raw(std::string(ENGINE_TESTDATA) + "/goforward.raw");
        for (short &v : s) v = static_cast<short>(v * gain);
        std::string path = dir_.file("scaled.wav");
        write_wav(path, s, 16000);
        return path;
    }

    TempDir dir_;
};

const std::string kRecording = std::string(ENGINE_TESTDATA) + "/goforward.raw";

}  // namespace

TEST_F(CalibrateTest, CleanRecordingMeasuresSpeechWellAboveTheBackground) {
    hapiSourceObject src = listening_to(kRecording);
    float levels[4] = {0, 0, 0, 0};
    EXPECT_EQ(hapiSourceCalibrateSpeech(src, levels), 1);
    EXPECT_GT(levels[0], 50.0f);
    EXPECT_LT(levels[0], 90.0f);
    EXPECT_LT(levels[1], levels[0] - 15.0f);
    EXPECT_FLOAT_EQ(levels[2], levels[0] - levels[1]);
    EXPECT_GT(levels[3], 1000.0f);
    EXPECT_LE(levels[3], 65535.0f);
    // Speech at a comfortable level, far above the room: nothing to adjust.
    EXPECT_EQ(hapiSourceCalibrateSpeech(src, nullptr), 0);
    hapiDeleteSourceObject(src);
}

TEST_F(CalibrateTest, QuietInputNeedsCalibrationAndLowersEveryLevel) {
    hapiSourceObject loud = listening_to(kRecording);
    float full[4];
    ASSERT_EQ(hapiSourceCalibrateSpeech(loud, full), 1);
    hapiDeleteSourceObject(loud);
    hapiSourceObject quiet = listening_to(scaled(0.01));
    float low[4];
    ASSERT_EQ(hapiSourceCalibrateSpeech(quiet, low), 1);
    // A hundredth of the amplitude is 40 dB down.
    EXPECT_NEAR(low[0], full[0] - 40.0f, 2.0f);
    EXPECT_LT(low[3], full[3] / 50.0f);
    EXPECT_EQ(hapiSourceCalibrateSpeech(quiet, nullptr), 1);
    hapiDeleteSourceObject(quiet);
}

TEST_F(CalibrateTest, ClippedInputNeedsCalibration) {
    hapiSourceObject src = listening_to(scaled(30.0));
    float levels[4];
    ASSERT_EQ(hapiSourceCalibrateSpeech(src, levels), 1);
    EXPECT_GE(levels[3], 65000.0f);
    EXPECT_EQ(hapiSourceCalibrateSpeech(src, nullptr), 1);
    hapiDeleteSourceObject(src);
}

TEST_F(CalibrateTest, SourcesThatCannotBeMeasuredFail) {
    float levels[4];
    EXPECT_EQ(hapiSourceCalibrateSpeech(nullptr, levels), -1);
    hapiSourceObject missing = listening_to(dir_.file("absent.wav"));
    EXPECT_EQ(hapiSourceCalibrateSpeech(missing, levels), -1);
    EXPECT_EQ(hapiSourceCalibrateSpeech(missing, nullptr), -1);
    hapiDeleteSourceObject(missing);
    hapiSourceObject file = hapiCreateSourceObject(HAPI_FILE_SOURCE);
    EXPECT_EQ(hapiSourceCalibrateSpeech(file, levels), -1);
    hapiDeleteSourceObject(file);
    hapiSourceObject fresh = hapiCreateSourceObject(HAPI_LIVE_SOURCE);
    EXPECT_EQ(hapiSourceCalibrateSpeech(fresh, levels), -1);  // not initialised
    hapiDeleteSourceObject(fresh);
}
