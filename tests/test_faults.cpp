// Engine failures, one table: the engine call made to fail, the export that
// meets it, and the failure value and messages (all it writes) that export
// must give.  After each, the library must still recognise with a new
// recogniser.
#include <functional>

#include "recognition.h"

using namespace khtest;

namespace {

struct Fault {
    const char *name;
    const char *engine_call;
    int nth;
    Stage stage;  // how far the recogniser has gone before the fault is armed
    std::function<double(KhRecogniser)> call;
    double failure;
    const char *message;
    bool out_of_memory = false;  // the engine call throws std::bad_alloc rather than failing
};

char text[KH_MAX_TEXT];
double t1, t2;
short samples[50000];

const auto kCreate = [](KhRecogniser) { return khRecCreate() ? 1.0 : -1.0; };
const auto kPrepare = [](KhRecogniser r) {
    return double(khRecPrepare(r, khSyntaxReturn("GO"), GoForward().c_str(), nullptr));
};
const auto kWhole = [](KhRecogniser r) { return double(khRecDoWholeSent(r)); };
const auto kStep = [](KhRecogniser r) { return double(khRecDoPartSent(r, 20)); };
const auto kStop = [](KhRecogniser r) { return double(khRecDoPartSent(r, -1)); };
const auto kFinalise = [](KhRecogniser r) { return double(khRecFinalise(r)); };
const auto kNBest = [](KhRecogniser r) { return double(khRecActivateNBest(r)); };
const auto kWords = [](KhRecogniser r) { return double(khRecGetWords(r, text)); };
const auto kScore = [](KhRecogniser r) { return double(khRecGetWordScore(r, 1, 2)); };
const auto kConf = [](KhRecogniser r) { return double(khRecGetWordConf(r, 1, 2)); };
const auto kPhone = [](KhRecogniser r) { return double(khRecGetPhone(r, 1, 1, text)); };
const auto kPhoneScore = [](KhRecogniser r) { return double(khRecGetPhoneScore(r, 1, 1, 2)); };
const auto kSpeechOfFile = [](KhRecogniser r) { return double(khSysGetSpeech(r, GoForward().c_str(), nullptr)); };
const auto kF0OfFile = [](KhRecogniser r) { return double(khSysGetF0Track(r, GoForward().c_str(), nullptr)); };
const auto kPlay = [](KhRecogniser r) { return double(khRecPlayUtterance(r, 0.0, -1.0)); };
const auto kPrompt = [](KhRecogniser) { return double(khSysPlayPrompt(GoForward().c_str())); };
const auto kCalibrate = [](KhRecogniser) { return double(khSysCalibrateSpeech(nullptr)); };
const double kF = KH_FLOAT_FAIL;

const Fault kFaults[] = {
    {"CreateSource", "hapiSourceInitialise", 1, kIdle, kCreate, -1, "khRecCreate: Error setting up the audio"},
    {"CreateCoder", "hapiCoderInitialise", 1, kIdle, kCreate, -1, "khRecCreate: Error setting up the channel"},
    {"CreateRec", "hapiRecInitialise", 1, kIdle, kCreate, -1, "khRecCreate: Error initialising recogniser"},
    {"PrepareGrammar", "hapiLatFinalise", 1, kIdle, kPrepare, -1, "khRecPrepare: Error creating recognition grammar"},
    {"PrepareSource", "hapiSourceInitialise", 1, kIdle, kPrepare, -1,
     "khRecPrepare: Error while reading the audio file"},
    {"PrepareNetwork", "hapiBuildNetObject", 1, kIdle, kPrepare, -1,
     "khRecPrepare: Error building the recognition network"},
    {"PrepareTempLattice", "hapiDeleteLatObject", 1, kIdle, kPrepare, -1,
     "khRecPrepare: Error deleting temporary lattice"},
    {"PrepareCoder", "hapiCoderPrepare", 1, kIdle, kPrepare, -1, "khRecPrepare: Error preparing the coder"},
    {"PrepareRec", "hapiRecPrepare", 1, kIdle, kPrepare, -1, "khRecPrepare: Error preparing the recogniser"},
    {"WholeStart", "hapiSourceStart", 1, kPrepared, kWhole, -1, "khRecDoWholeSent: Error starting the source"},
    {"WholeRemaining", "hapiRecRemaining", 1, kPrepared, kWhole, -1, "khRecDoWholeSent: Problem during recognition"},
    {"WholeProcess", "hapiRecProcess", 1, kPrepared, kWhole, -1, "khRecDoWholeSent: Error processing the observations"},
    {"WholeComplete", "hapiRecComplete", 1, kPrepared, kWhole, -1,
     "khRecDoWholeSent: Error completing the recognition"},
    {"WholeStop", "hapiSourceStop", 1, kPrepared, kWhole, -1, "khRecDoWholeSent: Error stopping the source"},
    {"StepStart", "hapiSourceStart", 1, kPrepared, kStep, -1, "khRecDoPartSent: Error starting the source"},
    {"StepClear", "hapiResClear", 1, kUnderWay, kStep, -1, "khRecDoPartSent: Error clearing the results"},
    {"StopComplete", "hapiRecComplete", 1, kUnderWay, kStop, -1, "khRecDoPartSent: Error completing the recognition"},
    {"StopSource", "hapiSourceStop", 1, kUnderWay, kStop, -1, "khRecDoPartSent: Error stopping the source"},
    {"StopRemaining", "hapiRecRemaining", 1, kUnderWay, kStop, -1, "khRecDoPartSent: Problem during recognition"},
    {"StopProcess", "hapiRecProcess", 1, kUnderWay, kStop, -1, "khRecDoPartSent: Error processing the observations"},
    {"FinaliseCoder", "hapiCoderComplete", 1, kComplete, kFinalise, -1, "khRecFinalise: Error clearing the coder"},
    {"FinaliseResults", "hapiResClear", 1, kComplete, kFinalise, -1, "khRecFinalise: Error clearing the results"},
    {"ReinitResults", "hapiDeleteResObject", 1, kIdle, kNBest, -1, "ReinitRecogniser: Error deleting the results"},
    {"ReinitInterim", "hapiDeleteResObject", 2, kIdle, kNBest, -1,
     "ReinitRecogniser: Error deleting the intermediate results"},
    {"ReinitDelete", "hapiDeleteRecObject", 1, kIdle, kNBest, -1, "ReinitRecogniser: Error deleting the recogniser"},
    {"ReinitRec", "hapiRecInitialise", 1, kIdle, kNBest, -1, "ReinitRecogniser: Error initialising recogniser"},
    {"Delete", "hapiDeleteRecObject", 1, kIdle, [](KhRecogniser r) { return double(khRecDelete(r)); }, -1,
     "khRecDelete: Unable to free recogniser"},
    {"WordsNames", "hapiResAllWordNames", 2, kComplete, kWords, -1, "khRecGetWords: Error getting results"},
    {"WordName", "hapiResWordName", 3, kComplete, [](KhRecogniser r) { return double(khRecGetWordName(r, 1, text)); },
     -1, "khRecGetWordName: Error accessing results"},
    {"SyntaxName", "hapiResWordName", 3, kComplete,
     [](KhRecogniser r) { return double(khRecGetResSyntaxName(r, 1, text)); }, -1,
     "khRecGetResSyntaxName: Error getting results"},
    {"WordTimes", "hapiResWordTimes", 1, kComplete,
     [](KhRecogniser r) { return double(khRecGetWordTimes(r, 1, &t1, &t2)); }, -1,
     "khRecGetWordTimes: Error getting timing information"},
    {"WordInfo", "hapiResOutSym", 1, kComplete, [](KhRecogniser r) { return double(khRecGetWordInfo(r, 1, text)); }, -1,
     "khRecGetWordInfo: Error retrieving results"},
    {"ScoreAdvance", "hapiCoderObservationWindowAdvance", 1, kComplete, kScore, kF,
     "khRecGetWordScore: Error finding length of observation advance"},
    {"ScoreTimes", "hapiResWordTimes", 3, kComplete, kScore, kF,
     "khRecGetWordScore: Error retrieving start and end times"},
    {"ScoreValue", "hapiResWordScore", 1, kComplete, kScore, kF,
     "khRecGetWordScore: Error returning finding acoustic score"},
    {"ScoreValueOfSecondWord", "hapiResWordScore", 2, kComplete, kScore, kF,
     "khRecGetWordScore: Error returning finding acoustic score"},
    {"ConfAdvance", "hapiCoderObservationWindowAdvance", 1, kComplete, kConf, kF,
     "khRecGetWordConf: Error finding length of observation advance"},
    {"ConfTimes", "hapiResWordTimes", 2, kComplete, kConf, kF,
     "khRecGetWordConf: Error retrieving start and end times"},
    {"ConfValue", "hapiResWordScore", 2, kComplete, kConf, kF, "khRecGetWordConf: Error getting confidence score"},
    {"PhoneId", "hapiResPhoneId", 1, kComplete, kPhone, -1, "khRecGetPhone: Error retrieving phone id"},
    {"PhoneName", "hapiDictPhoneName", 1, kComplete, kPhone, -1, "khRecGetPhone: Error retrieving phone name"},
    {"PhonesId", "hapiResPhoneId", 2, kComplete, [](KhRecogniser r) { return double(khRecGetPhones(r, 1, text)); }, -1,
     "khRecGetPhones: Unable to get the phone id"},
    {"PhoneTimes", "hapiResPhoneTimes", 1, kComplete,
     [](KhRecogniser r) { return double(khRecGetPhoneTimes(r, 1, 1, &t1, &t2)); }, -1,
     "khRecGetPhoneTimes: Error getting timing information"},
    {"PhoneScoreAdvance", "hapiCoderObservationWindowAdvance", 1, kComplete, kPhoneScore, kF,
     "khRecGetPhoneScore: Unable to find the window advance time"},
    {"PhoneScoreTimes", "hapiResPhoneTimes", 3, kComplete, kPhoneScore, kF,
     "khRecGetPhoneScore: Error retrieving start and end times"},
    {"PhoneScoreValue", "hapiResPhoneScore", 2, kComplete, kPhoneScore, kF,
     "khRecGetPhoneScore: Unable to retrieve the acoustic scores"},
    {"SpeechSource", "hapiCreateSourceObject", 1, kComplete, kSpeechOfFile, -1,
     "khSysGetSpeech: Error creating the source object"},
    {"SpeechCoder", "hapiCreateCoderObject", 1, kComplete, kSpeechOfFile, -1,
     "khSysGetSpeech: Error creating the coder object"},
    {"SpeechChannel", "hapiCoderInitialise", 1, kComplete, kSpeechOfFile, -1,
     "khSysGetSpeech: Error initialising the coder"},
    {"SpeechSamples", "hapiCoderAccessWave", 2, kComplete,
     [](KhRecogniser r) { return double(khSysGetSpeech(r, nullptr, samples)); }, -1,
     "khSysGetSpeech: Error accessing the wave"},
    {"SpeechWave", "hapiCoderAccessWave", 1, kComplete,
     [](KhRecogniser r) { return double(khSysGetSpeech(r, nullptr, nullptr)); }, -1,
     "khSysGetSpeech: No samples available"},
    {"F0Prepare", "hapiCoderPrepare", 1, kComplete, kF0OfFile, -1, "khSysGetF0Track: Error preparing the coder"},
    {"F0Wave", "hapiCoderAccessWave", 1, kComplete, kF0OfFile, -1, "khSysGetF0Track: Error accessing the wave"},
    {"F0Track", "hapiCoderGetF0Track", 1, kComplete,
     [](KhRecogniser r) { return double(khSysGetF0Track(r, nullptr, nullptr)); }, -1,
     "khSysGetF0Track: Error getting the F0 track"},
    {"SaveSource", "hapiCoderSaveSource", 1, kComplete,
     [](KhRecogniser r) { return double(khRecSaveSpeech(r, "x.wav")); }, -1,
     "khRecSaveSpeech: Error retrieving speech from file x.wav"},
    {"PlayAdvance", "hapiCoderObservationWindowAdvance", 1, kComplete, kPlay, -1,
     "khRecPlayUtterance: Error finding length of observation advance"},
    {"PlayCreate", "hapiCreateSourceObject", 1, kComplete, kPlay, -1,
     "khRecPlayUtterance: Unable to create play object"},
    {"PlayInit", "hapiSourceInitialise", 1, kComplete, kPlay, -1,
     "khRecPlayUtterance: Unable to initialise play object"},
    {"PlayAccess", "hapiCoderAccessWave", 2, kComplete, kPlay, -1, "khRecPlayUtterance: Error accessing the waveform"},
    {"PlayWave", "hapiSourcePlayWave", 1, kComplete, kPlay, -1, "khRecPlayUtterance: Error playing the waveform"},
    {"PromptSource", "hapiSourceInitialise", 1, kIdle, kPrompt, -1, "khSysPlayPrompt: Unable to initialise source"},
    {"PromptPeriod", "hapiSourceSamplePeriod", 1, kIdle, kPrompt, -1,
     "khSysPlayPrompt: Error retrieving source sample period"},
    {"PromptPlaySource", "hapiSourceInitialise", 2, kIdle, kPrompt, -1,
     "khSysPlayPrompt: Unable to initialise the play source"},
    {"PromptCoder", "hapiCoderInitialise", 1, kIdle, kPrompt, -1, "khSysPlayPrompt: Unable to initialise coder"},
    {"PromptPrepare", "hapiCoderPrepare", 1, kIdle, kPrompt, -1, "khSysPlayPrompt: Error preparing the coder"},
    {"PromptSetPeriod", "hapiSourceSamplePeriod", 2, kIdle, kPrompt, -1,
     "khSysPlayPrompt: Error setting the source sample period"},
    {"PromptAccess", "hapiCoderAccessWave", 2, kIdle, kPrompt, -1, "khSysPlayPrompt: Error accessing the waveform"},
    {"PromptPlay", "hapiSourcePlayWave", 1, kIdle, kPrompt, -1, "khSysPlayPrompt: Error playing the waveform"},
    {"CalibrateCreate", "hapiCreateSourceObject", 1, kIdle, kCalibrate, -1,
     "khSysCalibrateSpeech: Unable to create source object"},
    {"CalibrateSource", "hapiSourceInitialise", 1, kIdle, kCalibrate, -1,
     "khSysCalibrateSpeech: Error initialising the source"},
    {"CalibrateCoder", "hapiCreateCoderObject", 1, kIdle, kCalibrate, -1,
     "khSysCalibrateSpeech: Unable to create coder"},
    {"CalibrateChannel", "hapiCoderInitialise", 1, kIdle, kCalibrate, -1,
     "khSysCalibrateSpeech: Error creating the coder"},
    {"Calibrate", "hapiSourceCalibrateSpeech", 1, kIdle, kCalibrate, -1,
     "khSysCalibrateSpeech: Error calibrating the speech"},
    // Memory running out is answered the same way, never by ending the process.
    {"CreateOutOfMemory", "hapiCreateRecObject", 1, kIdle, kCreate, -1, "khRecCreate: Out of memory", true},
    {"PrepareOutOfMemory", "hapiBuildNetObject", 1, kIdle, kPrepare, -1, "khRecPrepare: Out of memory", true},
    {"WholeOutOfMemory", "hapiRecProcess", 1, kPrepared, kWhole, -1, "khRecDoWholeSent: Out of memory", true},
    {"WordsOutOfMemory", "hapiResAllWordNames", 1, kComplete, kWords, -1, "khRecGetWords: Out of memory", true},
    {"SpeechOutOfMemory", "hapiSourceInitialise", 1, kComplete, kSpeechOfFile, -1, "khSysGetSpeech: Out of memory",
     true},
    {"SyntaxOutOfMemory", "hapiLatAddNode", 1, kIdle,
     [](KhRecogniser) { return double(khSyntaxAddOption(khSyntaxReturn("GO"), "GO BACK")); }, -1,
     "khSyntaxAddOption: Out of memory", true},
};

void PrintTo(const Fault &f, std::ostream *os) { *os << f.name; }

// The sound card's stand-ins: the recording as input, a file as output.
class EngineFault : public RoadTest, public ::testing::WithParamInterface<Fault> {
protected:
    void SetUp() override {
        // A failed engine deletion leaves its object alive and unreachable.
        if (strstr(GetParam().engine_call, "Delete")) IgnoreLeaksFromHere();
        RoadTest::SetUp();
    }
    std::string ExtraConfig() override { return "AUDIOIN = file:" + GoForward() + "\nAUDIOOUT = file:played.wav\n"; }
};

}  // namespace

TEST_P(EngineFault, GivesTheFailureValueAndMessage) {
    const Fault &f = GetParam();
    ASSERT_NO_FATAL_FAILURE(BringTo(f.stage));
    std::string before = ReadFile("khapi.log");
    ASSERT_EQ((f.out_of_memory ? hapiFaultInjectBadAlloc : hapiFaultInject)(f.engine_call, f.nth), 0);
    EXPECT_EQ(f.call(rec_), f.failure);
    hapiFaultClear();
    EXPECT_EQ(ReadFile("khapi.log").substr(before.size()), std::string("ERROR - ") + f.message + "\r\n\r\n");
    // Whatever the failure left, the recogniser can be stopped and the
    // library still recognises.
    khRecDoPartSent(rec_, -1);
    khRecFinalise(rec_);
    EXPECT_EQ(RecogniseWhole(khRecCreate(), go_), "GO FORWARD TEN METERS");
}

INSTANTIATE_TEST_SUITE_P(Table, EngineFault, ::testing::ValuesIn(kFaults), RowName());

TEST_F(RoadTest, AFailedStepLeavesTheRecognitionUnderWay) {
    ASSERT_EQ(khRecPrepare(rec_, go_, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(khRecDoPartSent(rec_, 20), 1);
    ASSERT_EQ(hapiFaultInject("hapiRecProcess", 1), 0);
    EXPECT_EQ(khRecDoPartSent(rec_, 20), -1);
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(khRecDoPartSent(rec_, 20), 1);
}

TEST_F(LeakyRoadTest, AFreedRecogniserIsNoLongerListedEvenWhenTheEngineFails) {
    ASSERT_EQ(hapiFaultInject("hapiDeleteRecObject", 1), 0);
    EXPECT_EQ(khRecDelete(rec_), -1);
    EXPECT_EQ(khRecDelete(rec_), -1);
    EXPECT_TRUE(Contains(Log(), "ERROR - SysError: Invalid recogniser\r\n\r\n"));
}

// The channel failing at preparation: the same recogniser then recognises.
TEST_F(RoadTest, AFileCoderThatDidNotStartIsMadeAnewAtTheNextPreparation) {
    ASSERT_EQ(hapiFaultInject("hapiCoderInitialise", 1), 0);
    EXPECT_EQ(khRecPrepare(rec_, go_, GoForward().c_str(), nullptr), -1);
    hapiFaultClear();
    EXPECT_EQ(Log(), "ERROR - khRecPrepare: Error setting up the channel\r\n\r\n");
    EXPECT_EQ(RecogniseWhole(rec_, go_), "GO FORWARD TEN METERS");
}
