// The road of one utterance on real speech: prepare, run whole or in
// steps, read the words, finalise and prepare again.  A pause or speed
// change in any status warns outside REC_IDLE, keeps the status, and the
// utterance goes on with the caller's usual next step, from the file or
// from the live input.
#include <tuple>

#include "recognition.h"
#include "sound_card.h"

using namespace khtest;

TEST_F(RoadTest, AFileIsRecognisedWholeAndPreparedAgain) {
    // Bad syntaxes and files are refused first, and leave the recogniser working.
    KhSyntax empty = khSyntaxCreate("EMPTY", nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(khRecPrepare(rec_, empty, GoForward().c_str(), nullptr), -1);
    EXPECT_EQ(khRecPrepare(rec_, go_, "missing.wav", nullptr), -1);
    EXPECT_EQ(khRecPrepare(rec_, go_, "", nullptr), -1);
    WriteFile("junk.wav", "RIFF....WAVEjunk that is not audio");
    EXPECT_EQ(khRecPrepare(rec_, go_, "junk.wav", nullptr), -1);
    EXPECT_EQ(khRecPrepare(rec_, rec_, GoForward().c_str(), nullptr), -1);
    ExpectErrors({"khRecPrepare: Recogniser cannot be prepared with an empty syntax",
                  "khRecPrepare: Error opening the waveform file", "khRecPrepare: Error while reading the audio file",
                  "SysError: Invalid syntax"});
    EXPECT_EQ(RecogniseWhole(rec_, go_), "GO FORWARD TEN METERS");
    EXPECT_EQ(khRecDoPartSent(rec_, 30), -1);  // complete: incorrect status
    EXPECT_FALSE(Exists("test.lat"));          // grammars are saved only when asked
    ASSERT_EQ(khRecFinalise(rec_), 1);
    // The file source is reused: a file it cannot read fails the coder,
    // and the next readable one works again.
    std::string before = Log();
    EXPECT_EQ(khRecPrepare(rec_, go_, "junk.wav", nullptr), -1);
    EXPECT_EQ(Log().substr(before.size()), "ERROR - khRecPrepare: Error preparing the coder\r\n\r\n");
    EXPECT_EQ(RecogniseWhole(rec_, go_), "GO FORWARD TEN METERS");
}

TEST_F(RoadTest, StoppingEarlyCompletesTheRecognition) {
    ASSERT_EQ(khRecPrepare(rec_, go_, GoForward().c_str(), nullptr), 1);
    EXPECT_EQ(khRecDoPartSent(rec_, -1), -1);  // not started yet
    ASSERT_EQ(khRecDoPartSent(rec_, 50), 1);
    ASSERT_EQ(khRecDoPartSent(rec_, -1), 0);
    EXPECT_GE(khRecGetWords(rec_, nullptr), 0);
    EXPECT_EQ(khRecFinalise(rec_), 1);
    ExpectErrors({"khRecDoPartSent: Cannot stop recognition before it has started"});
}

TEST_F(RoadTest, StatusRefusals) {
    char text[KH_MAX_TEXT];
    // Idle: no result, no step, nothing to finalise, nothing prepared; and a map file is refused.
    std::vector<int> idle = {khRecGetWords(rec_, text), khRecDoPartSent(rec_, 10), khRecFinalise(rec_),
                             khRecDoWholeSent(rec_), khRecPrepare(rec_, go_, GoForward().c_str(), "")};
    EXPECT_EQ(idle, std::vector<int>(idle.size(), -1));
    ASSERT_EQ(khRecPrepare(rec_, go_, GoForward().c_str(), nullptr), 1);
    EXPECT_EQ(khRecPrepare(rec_, go_, GoForward().c_str(), nullptr), -1);
    EXPECT_EQ(khRecGetWords(rec_, text), -1);  // prepared: no result yet
    EXPECT_EQ(khRecFinalise(rec_), -1);
    EXPECT_EQ(khRecActivateNBest(rec_), -1);
    ASSERT_EQ(khRecDoWholeSent(rec_), 1);
    EXPECT_EQ(khRecActivateNBest(rec_), -1);
    ASSERT_EQ(khRecFinalise(rec_), 1);
    EXPECT_EQ(khRecActivateNBest(rec_), 1);
    EXPECT_EQ(khRecActivateNBest(rec_), 1);
    ExpectErrors({"SysError: No results available", "khRecDoPartSent: Recogniser at incorrect status",
                  "khRecFinalise: Recogniser has not finished processing",
                  "khRecDoWholeSent: Recogniser has not been prepared",
                  "khRecPrepare: Pronunciation mapping not yet implemented",
                  "khRecPrepare: Only a completed/new recogniser can be prepared.",
                  "khRecActivateNBest: Cannot set the NBest until a recognition has been completed"});
}

TEST_F(RoadTest, PauseAndSpeedSettingsReachTheEngine) {
    EXPECT_EQ(khRecSetPauseLength(rec_, "sHoRt"), 1);
    EXPECT_EQ(*hapiOverrideConfInt("SILSEQCOUNT", nullptr), 60);
    EXPECT_EQ(khRecSetOptimisation(rec_, "accbias"), 1);
    EXPECT_EQ(*hapiOverrideConfFlt("GENBEAM", nullptr), 250.0f);
    EXPECT_EQ(*hapiOverrideConfFlt("GOPTBEAM", nullptr), 40.0f);
    EXPECT_EQ(khRecActivateNBest(rec_), 1);
    EXPECT_EQ(*hapiOverrideConfInt("NBEST", nullptr), 3);
    EXPECT_EQ(*hapiOverrideConfInt("NTOKS", nullptr), 3);
    EXPECT_EQ(khRecSetPauseLength(rec_, "SHORTER"), -1);
    EXPECT_EQ(khRecSetPauseLength(rec_, nullptr), -1);
    EXPECT_EQ(khRecSetOptimisation(rec_, "FAST"), -1);
    EXPECT_EQ(*hapiOverrideConfInt("SILSEQCOUNT", nullptr), 60);
    // The rebuilt recogniser still recognises.
    EXPECT_EQ(RecogniseWhole(rec_, go_), "GO FORWARD TEN METERS");
    ExpectErrors(
        {"khRecSetPauseLength: Invalid name of sil length", "khRecSetSpeed: Incorrect parameter for Set Speed"});
}

TEST_F(RoadTest, RecognisersAreDeletedInAnyStatus) {
    KhRecogniser prepared = khRecCreate(), processing = khRecCreate(), complete = khRecCreate();
    ASSERT_EQ(khRecPrepare(prepared, go_, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(khRecPrepare(processing, go_, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(khRecDoPartSent(processing, 20), 1);
    ASSERT_EQ(khRecPrepare(complete, go_, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(khRecDoWholeSent(complete), 1);
    for (KhRecogniser r : {rec_, prepared, processing, complete}) {
        EXPECT_EQ(khRecDelete(r), 1);
        EXPECT_EQ(khRecDelete(r), -1);
    }
}

TEST_F(RoadTest, ARepeatedInitClearsTheExercise) {
    EXPECT_EQ(khSysInit("test.conf"), -1);
    EXPECT_EQ(khSyntaxReturn("GO"), nullptr);
    EXPECT_EQ(khRecFinalise(rec_), -1);
}

// The live input is the recording, read as if spoken; the grammar is saved.
class LiveInput : public RoadTest {
protected:
    std::string ExtraConfig() override { return "AUDIOIN = file:" + GoForward() + "\nLATSAVE = TRUE\n"; }
};

TEST_F(LiveInput, WithoutAFileNameTheLiveInputIsRecognised) {
    ASSERT_EQ(khRecPrepare(rec_, go_, nullptr, nullptr), 1);
    EXPECT_TRUE(Contains(ReadFile("test.lat"), "GO"));
    ASSERT_EQ(khRecDoWholeSent(rec_), 1);
    EXPECT_EQ(Words(rec_), "GO FORWARD TEN METERS");
    EXPECT_EQ(khSysGetSpeech(rec_, nullptr, nullptr), static_cast<int>(read_raw(GoForward()).size()));
}

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
    // The step a caller takes next in that status, up to the result.
    void GoOn(Stage stage) {
        if (stage == kIdle) {
            ASSERT_EQ(khRecPrepare(rec_, go_, Input(), nullptr), 1);
        }
        if (stage <= kPrepared) {
            ASSERT_EQ(khRecDoWholeSent(rec_), 1);
        }
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
    ASSERT_NO_FATAL_FAILURE(BringTo(stage, live));
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
                         ::testing::Combine(::testing::ValuesIn(kTunings), ::testing::ValuesIn(kStages),
                                            ::testing::Bool()),
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
        EXPECT_EQ(Log().substr(before.size()),
                  "ERROR - Recogniser must be finalised before altering the speed\r\n\r\n"
                  "ERROR - ReinitRecogniser: Error initialising recogniser\r\n\r\n");
        EXPECT_EQ(RecogniseWhole(rec_, go_), "GO FORWARD TEN METERS");
        ASSERT_EQ(khRecFinalise(rec_), 1);
    }
    EXPECT_EQ(khRecDelete(rec_), 1);
}
