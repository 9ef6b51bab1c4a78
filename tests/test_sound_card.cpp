// The sound card through the exports, on a stand-in card that captures
// from a file and plays into one: live recognition, and cards that cannot
// be opened or stop, as an application sees them.
#include <chrono>
#include <vector>

#include "recognition.h"
#include "sound_card.h"

using namespace khtest;

namespace {

std::vector<short> Recording() { return read_raw(GoForward()); }

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

class CardTest : public RoadTest {
protected:
    std::string ExtraConfig() override { return "DEBUG = FULL\nAUDIOIN = default\nAUDIOOUT = default\n"; }
};

struct StepCase {
    const char *name;
    int frames;  // per khRecDoPartSent; 0: khRecDoWholeSent
};

void PrintTo(const StepCase &c, std::ostream *os) { *os << c.name; }

class LiveThroughTheCard : public CardTest, public ::testing::WithParamInterface<StepCase> {};

}  // namespace

TEST_P(LiveThroughTheCard, RecognisesTheUtteranceBetweenNoise) {
    FileSoundCard card;
    card.speak(padded_speech(Recording(), 1.5, 6.0, 20));
    ASSERT_EQ(khRecPrepare(rec_, go_, nullptr, nullptr), 1);
    if (GetParam().frames == 0) {
        ASSERT_EQ(khRecDoWholeSent(rec_), 1);
    } else {
        int steps = 0, r = 1;
        while ((r = khRecDoPartSent(rec_, GetParam().frames)) == 1 && steps++ < 5000) {
        }
        ASSERT_EQ(r, 0);
    }
    EXPECT_EQ(Words(rec_), "GO FORWARD TEN METERS");
    // The utterance handed out is what the card delivered, up to its end.
    std::vector<short> heard(static_cast<size_t>(khSysGetSpeech(rec_, nullptr, nullptr)));
    ASSERT_GT(heard.size(), 0u);
    ASSERT_EQ(khSysGetSpeech(rec_, nullptr, heard.data()), static_cast<int>(heard.size()));
    std::vector<short> spoken = padded_speech(Recording(), 1.5, 6.0, 20);
    spoken.resize(heard.size());
    EXPECT_EQ(heard, spoken);
    EXPECT_EQ(khRecFinalise(rec_), 1);
}

INSTANTIATE_TEST_SUITE_P(Card, LiveThroughTheCard,
                         ::testing::Values(StepCase{"Whole", 0}, StepCase{"InSteps", 9}),
                         [](const ::testing::TestParamInfo<StepCase> &i) { return std::string(i.param.name); });

// A card that is not there fails each export at once with its message, and
// neither the library nor the audio back ends write to standard error.
TEST_F(CardTest, AMissingCardFailsQuietly) {
    FileSoundCard card(false);
    auto t0 = std::chrono::steady_clock::now();
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(khRecPrepare(rec_, go_, nullptr, nullptr), 1);
    EXPECT_EQ(khRecDoWholeSent(rec_), -1);
    EXPECT_EQ(khSysPlayPrompt(GoForward().c_str()), -1);
    float levels[4];
    EXPECT_EQ(khSysCalibrateSpeech(levels), -1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_LT(Seconds(t0), 5.0);
    std::string log = Log();
    for (const char *m : {"ERROR - khRecDoWholeSent: Error starting the source",
                          "ERROR - khSysPlayPrompt: Error playing the waveform",
                          "ERROR - khSysCalibrateSpeech: Error calibrating the speech",
                          "  hapi: hapiSourceStart: cannot start the live input (default): "})
        EXPECT_TRUE(Contains(log, m)) << m;
}

// The step that meets the failure fails; the utterance ends there, so that
// the application can stop and finalise as after any utterance.
TEST_F(CardTest, ACardThatStopsMidUtteranceFailsTheStepThatMeetsIt) {
    FileSoundCard card;
    card.speak(padded_speech(Recording(), 1.0, 6.0, 20));
    ::testing::internal::CaptureStderr();
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(khRecPrepare(rec_, go_, nullptr, nullptr), 1);
    ASSERT_EQ(hapiFaultInject("hapiLiveCapture", 150), 0);
    int r = 1, steps = 0;
    while ((r = khRecDoPartSent(rec_, 10)) == 1 && steps++ < 1000) {
    }
    EXPECT_EQ(r, -1);
    EXPECT_EQ(khRecDoPartSent(rec_, -1), 0);
    EXPECT_EQ(khRecFinalise(rec_), 1);
    EXPECT_LT(Seconds(t0), 5.0);

    // The same through a whole-sentence recognition.
    ASSERT_EQ(khRecPrepare(rec_, go_, nullptr, nullptr), 1);
    ASSERT_EQ(hapiFaultInject("hapiLiveCapture", 150), 0);
    EXPECT_EQ(khRecDoWholeSent(rec_), -1);
    EXPECT_LT(Seconds(t0), 10.0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    std::string log = Log();
    for (const char *m : {"ERROR - khRecDoWholeSent: Error processing the observations",
                          "  hapi: hapiRecProcess: the live input failed: the sound card stopped delivering"})
        EXPECT_TRUE(Contains(log, m)) << m;
}
