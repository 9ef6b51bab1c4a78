// The road of one utterance on real speech: prepare, run whole or in
// steps, read the words, finalise and prepare again.
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
    EXPECT_FALSE(Exists("test.lat"));  // grammars are saved only when asked
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
    ExpectErrors({"SysError: No results available",
                  "khRecDoPartSent: Recogniser at incorrect status",
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
    ExpectErrors({"khRecSetPauseLength: Invalid name of sil length",
                  "khRecSetSpeed: Incorrect parameter for Set Speed"});
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
