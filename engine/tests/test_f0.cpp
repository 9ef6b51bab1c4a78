// test_f0.cpp - the F0 track: voicing, octave errors and smoothness, on
// signals of known pitch and on the packaged recording.
#include "rec_fixture.h"

#include <cmath>
#include <cstdlib>

namespace {

const int kRate = 16000;

// Harmonics of a pitch that moves from f_start to f_end Hz, the second
// `second` times as strong as the first and the rest falling off.
std::vector<short> voice(double seconds, double f_start, double f_end, double second = 0.5) {
    std::vector<short> s(static_cast<size_t>(seconds * kRate));
    double phase = 0;
    for (size_t i = 0; i < s.size(); i++) {
        double f0 = f_start + (f_end - f_start) * i / s.size();
        phase += 2 * M_PI * f0 / kRate;
        double v = sin(phase) + second * sin(2 * phase);
        for (int h = 3; h * f0 < 3500; h++) v += sin(h * phase) / (h * h);
        s[i] = static_cast<short>(5000 * v);
    }
    return s;
}

std::vector<short> noise(double seconds, double rms) {
    std::vector<short> s(static_cast<size_t>(seconds * kRate));
    unsigned seed = 5;
    for (short &v : s)
        v = static_cast<short>(rms * std::sqrt(12.0) *
                               (((seed = seed * 1103515245u + 12345u) >> 8) / 16777216.0 - 0.5));
    return s;
}

std::vector<short> then(std::vector<short> a, const std::vector<short> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

class F0Test : public RecognitionTest {
protected:
    void SetUp() override {
        RecognitionTest::SetUp();
        coder_ = coder(file_source(testdata("goforward.raw")));
    }

    std::vector<float> track(const std::vector<short> &s) {
        int n = hapiCoderGetF0Track(coder_, s.data(), static_cast<int>(s.size()), nullptr);
        std::vector<float> t(n > 0 ? n + 1 : 1, -1.0f);  // one more, to see that it stays untouched
        EXPECT_EQ(hapiCoderGetF0Track(coder_, s.data(), static_cast<int>(s.size()), t.data()), n);
        EXPECT_EQ(t.back(), -1.0f) << "written beyond the track";
        t.pop_back();
        return t;
    }

    // Frames from..to (exclusive, 10 ms each) that carry a value.
    static int voiced(const std::vector<float> &t, int from, int to) {
        int n = 0;
        for (int k = from; k < to && k < static_cast<int>(t.size()); k++) n += t[k] > 0;
        return n;
    }

    hapiCoderObject coder_ = nullptr;
};

struct PitchCase {
    const char *name;
    double f_start, f_end, second;
    double noise_rms;  // white noise over everything (500: about 18 dB below the voice)
};

void PrintTo(const PitchCase &c, std::ostream *os) { *os << c.name; }

class F0Pitch : public F0Test, public ::testing::WithParamInterface<PitchCase> {};

// Silence, a voice, white noise: the voice alone is voiced, and followed
// within 5% all along, even when its second harmonic is the stronger or
// noise lies over everything.
TEST_P(F0Pitch, FollowsTheVoiceAndNothingElse) {
    const PitchCase &c = GetParam();
    std::vector<short> s =
        then(then(std::vector<short>(kRate / 2, 0), voice(1.0, c.f_start, c.f_end, c.second)), noise(0.5, 2000));
    std::vector<short> hiss = noise(2.0, c.noise_rms);
    for (size_t i = 0; i < s.size(); i++) s[i] = static_cast<short>(s[i] + hiss[(i * 7919) % hiss.size()]);
    std::vector<float> t = track(s);
    ASSERT_EQ(t.size(), 200u);
    EXPECT_EQ(voiced(t, 0, 48), 0);
    EXPECT_EQ(voiced(t, 153, 200), 0);
    for (int k = 53; k < 148; k++) {
        double u = (k * 160 + 80 - kRate / 2) / static_cast<double>(kRate);
        double want = c.f_start + (c.f_end - c.f_start) * u;
        EXPECT_NEAR(t[k], want, 0.05 * want) << "frame " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Voices, F0Pitch,
                         ::testing::Values(PitchCase{"LowSteady", 90, 90, 0.5, 0},
                                           PitchCase{"Rising", 100, 220, 0.5, 0},
                                           PitchCase{"FallingHigh", 400, 250, 0.5, 0},
                                           PitchCase{"StrongSecondHarmonic", 120, 140, 3.0, 0},
                                           PitchCase{"RisingInNoise", 100, 220, 0.5, 500}),
                         [](const ::testing::TestParamInfo<PitchCase> &i) { return std::string(i.param.name); });

// The packaged recording: a man's voice at 95-145 Hz after half a second of
// room noise; the closure and burst of the T in TEN lie between the end of
// FORWARD's voicing (1.13 s) and the vowel of TEN (1.33 s).
TEST_F(F0Test, TheRecordingsSilenceAndTClosureCarryNoValue) {
    std::vector<short> s = read_raw(testdata("goforward.raw"));
    std::vector<float> t = track(s);
    ASSERT_EQ(t.size(), (s.size() + 159) / 160);
    EXPECT_EQ(voiced(t, 0, 50), 0);
    EXPECT_EQ(voiced(t, 116, 131), 0);
    EXPECT_GE(voiced(t, 55, 64), 9);     // GO
    EXPECT_GE(voiced(t, 135, 170), 34);  // the vowel and N of TEN
    // No octave jumps: each voiced frame within 15% of a voiced neighbour.
    for (size_t k = 0; k < t.size(); k++) {
        if (t[k] == 0) continue;
        EXPECT_GE(t[k], 75.0f) << k;
        EXPECT_LE(t[k], 160.0f) << k;
        if (k > 0 && t[k - 1] > 0) {
            EXPECT_NEAR(t[k] / t[k - 1], 1.0, 0.15) << k;
        }
    }
}

TEST_F(F0Test, EmptyAndTooShortStretchesAreUnvoiced) {
    EXPECT_EQ(hapiCoderGetF0Track(coder_, nullptr, 0, nullptr), 0);
    EXPECT_EQ(hapiCoderGetF0Track(coder_, nullptr, 10, nullptr), -1);  // samples promised, none given
    std::vector<float> t = track(voice(0.02, 150, 150));
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(voiced(t, 0, 2), 0);
}
