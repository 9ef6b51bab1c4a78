// A pause or speed change in any status: it warns outside REC_IDLE, keeps
// the status, and the utterance goes on with the caller's usual next step,
// from the file or from the live input.
#include <tuple>

#include "recognition.h"

using namespace khtest;

namespace {

struct Tuning {
    const char *name;
    int (*call)(KhRecogniser);
    const char *warning;
};
const Tuning kTunings[] = {
    {"Pause", [](KhRecogniser r) { return khRecSetPauseLength(r, "LONG"); },
     "Recogniser must be finalised before altering the pause length"},
    {"Speed", [](KhRecogniser r) { return khRecSetOptimisation(r, "accbias"); },
     "Recogniser must be finalised before altering the speed"},
};
const Stage kStages[] = {kIdle, kPrepared, kUnderWay, kComplete};
const char *const kStageNames[] = {"Idle", "Prepared", "UnderWay", "Complete"};

class Tuned : public RoadTest, public ::testing::WithParamInterface<std::tuple<Tuning, Stage, bool>> {
protected:
    std::string ExtraConfig() override { return "AUDIOIN = file:" + GoForward() + "\n"; }
    const char *Input() const { return std::get<2>(GetParam()) ? nullptr : file_.c_str(); }
    const std::string file_ = GoForward();
    void Reach(Stage stage) {
        if (stage >= kPrepared) { ASSERT_EQ(khRecPrepare(rec_, go_, Input(), nullptr), 1); }
        if (stage == kUnderWay) { ASSERT_EQ(khRecDoPartSent(rec_, 20), 1); }
        if (stage == kComplete) { ASSERT_EQ(khRecDoWholeSent(rec_), 1); }
    }
    // The step a caller takes next in that status, up to the result.
    void GoOn(Stage stage) {
        if (stage == kIdle) { ASSERT_EQ(khRecPrepare(rec_, go_, Input(), nullptr), 1); }
        if (stage <= kPrepared) { ASSERT_EQ(khRecDoWholeSent(rec_), 1); }
        if (stage == kUnderWay) {
            int r;
            for (int steps = 0; (r = khRecDoPartSent(rec_, 20)) == 1 && steps < 1000; steps++) {}
            ASSERT_EQ(r, 0);
        }
    }
    std::string Expected(Stage stage) const {
        return stage == kIdle ? "" : std::string("ERROR - ") + std::get<0>(GetParam()).warning + "\r\n\r\n";
    }
};

}  // namespace

TEST_P(Tuned, KeepsTheStatusAndTheUtteranceGoesOn) {
    auto [tuning, stage, live] = GetParam();
    ASSERT_NO_FATAL_FAILURE(Reach(stage));
    std::string before = Log();
    EXPECT_EQ(tuning.call(rec_), 1);
    ASSERT_NO_FATAL_FAILURE(GoOn(stage));
    EXPECT_EQ(Words(rec_), "GO FORWARD TEN METERS");
    EXPECT_EQ(khRecFinalise(rec_), 1);
    EXPECT_EQ(khRecPrepare(rec_, go_, Input(), nullptr), 1);
    EXPECT_EQ(khRecDoWholeSent(rec_), 1);
    EXPECT_EQ(Words(rec_), "GO FORWARD TEN METERS");
    EXPECT_EQ(Log().substr(before.size()), Expected(stage));
}

INSTANTIATE_TEST_SUITE_P(Table, Tuned,
                         ::testing::Combine(::testing::ValuesIn(kTunings), ::testing::ValuesIn(kStages), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<Tuned::ParamType> &info) {
                             return std::string(std::get<0>(info.param).name) + kStageNames[std::get<1>(info.param)] +
                                    (std::get<2>(info.param) ? "Live" : "File");
                         });

// When the engine cannot take the utterance over, the call fails and the
// utterance is ended, so that the recogniser is prepared again as usual.
TEST_F(RoadTest, ATuningThatCannotResumeTheUtteranceEndsIt) {
    for (Stage stage : {kPrepared, kUnderWay, kComplete}) {
        ASSERT_NO_FATAL_FAILURE(BringTo(stage));
        std::string before = Log();
        ASSERT_EQ(hapiFaultInject("hapiRecPrepare", 1), 0);
        EXPECT_EQ(khRecSetOptimisation(rec_, "NORMAL"), -1);
        hapiFaultClear();
        EXPECT_EQ(Log().substr(before.size()), "ERROR - Recogniser must be finalised before altering the speed\r\n\r\n"
                                               "ERROR - ReinitRecogniser: Error initialising recogniser\r\n\r\n");
        EXPECT_EQ(RecogniseWhole(rec_, go_), "GO FORWARD TEN METERS");
        ASSERT_EQ(khRecFinalise(rec_), 1);
    }
    EXPECT_EQ(khRecDelete(rec_), 1);
}
