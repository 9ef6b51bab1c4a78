// The samples and F0 track of the last utterance or of a file, saving the
// last utterance, and the refusals of playback.
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <vector>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "recognition.h"
#include "sound_card.h"

using namespace khtest;

using Recorded = RecognisedTest;

TEST_F(Recorded, TheLastUtteranceIsHandedOutInTwoCalls) {
    std::vector<short> raw = read_raw(GoForward());
    int n = khSysGetSpeech(rec_, nullptr, nullptr);
    ASSERT_EQ(n, static_cast<int>(raw.size()));
    std::vector<short> samples(static_cast<size_t>(n));
    ASSERT_EQ(khSysGetSpeech(rec_, nullptr, samples.data()), n);
    EXPECT_EQ(samples, raw);
    ASSERT_EQ(hapiFaultInject("hapiCoderAccessWave", 2), 0);
    EXPECT_EQ(khSysGetSpeech(rec_, nullptr, nullptr), n);  // the size alone reads no samples
    hapiFaultClear();
}

TEST_F(Recorded, AFileIsReadInAnyStatusButProcessing) {
    ASSERT_EQ(khRecFinalise(rec_), 1);
    int n = khSysGetSpeech(rec_, GoForward().c_str(), nullptr);
    EXPECT_EQ(n, static_cast<int>(read_raw(GoForward()).size()));
    EXPECT_EQ(khSysGetSpeech(rec_, nullptr, nullptr), -1);  // no last utterance now
    EXPECT_EQ(khSysGetF0Track(rec_, nullptr, nullptr), -1);
    ASSERT_EQ(khRecPrepare(rec_, go_, GoForward().c_str(), nullptr), 1);
    EXPECT_EQ(khSysGetSpeech(rec_, GoForward().c_str(), nullptr), n);  // prepared
    ASSERT_EQ(khRecDoPartSent(rec_, 20), 1);
    EXPECT_EQ(khSysGetSpeech(rec_, GoForward().c_str(), nullptr), -1);
    EXPECT_EQ(khSysGetSpeech(rec_, nullptr, nullptr), -1);
    EXPECT_EQ(khSysGetF0Track(rec_, GoForward().c_str(), nullptr), -1);
    EXPECT_EQ(khSysGetSpeech(rec_, "missing.wav", nullptr), -1);
    ExpectErrors({"khSysGetSpeech: Can only get speech immediately after recognition",
                  "khSysGetF0Track: Can only get F0 results immediately after recognition",
                  "khSysGetSpeech: Cannot get speech whilst processing speech",
                  "khSysGetF0Track: Cannot get F0 results during recognition"});
}

TEST_F(Recorded, BadFilesFailBeforeAnyEngineObjectIsMade) {
    ASSERT_EQ(khRecFinalise(rec_), 1);
    WriteFile("junk.wav", "RIFF....WAVE this is not audio");
    for (const char *file : {"missing.wav", "junk.wav"}) EXPECT_EQ(khSysGetSpeech(rec_, file, nullptr), -1) << file;
    for (const char *file : {"missing.wav", "junk.wav"}) EXPECT_EQ(khSysGetF0Track(rec_, file, nullptr), -1) << file;
    ExpectErrors({"khSysGetSpeech: Error reading the waveform file",
                  "khSysGetSpeech: Error reading the waveform from the file junk.wav",
                  "khSysGetF0Track: Error reading the source file missing.wav",
                  "khSysGetF0Track: Error reading the waveform from file junk.wav"});
}

// A file may change between the call that asks its size and the call that
// fills the buffer made for that size (a recording still being written):
// the second call then fails and writes nothing.
struct Retrieval {
    const char *name;
    int (*call)(KhRecogniser, const char *, bool fill);
    const char *message;
};
const Retrieval kRetrievals[] = {
    {"Speech",
     [](KhRecogniser r, const char *f, bool fill) {
         static short buf[1 << 20];
         return khSysGetSpeech(r, f, fill ? buf : nullptr);
     },
     "khSysGetSpeech: The waveform file grow.raw has changed since its size was asked"},
    {"F0",
     [](KhRecogniser r, const char *f, bool fill) {
         static float buf[1 << 16];
         return khSysGetF0Track(r, f, fill ? buf : nullptr);
     },
     "khSysGetF0Track: The waveform file grow.raw has changed since its size was asked"},
};

class Changed : public RecognisedTest, public ::testing::WithParamInterface<Retrieval> {};

TEST_P(Changed, AFileThatChangedAfterItsSizeWasAskedIsRefused) {
    const Retrieval &r = GetParam();
    std::string speech = ReadFile(GoForward());
    WriteFile("grow.raw", speech);
    int n = r.call(rec_, "grow.raw", false);
    ASSERT_GT(n, 0);
    EXPECT_EQ(r.call(rec_, "grow.raw", true), n);  // unchanged: filled
    // Doubled, halved, and grown from nothing (a size of 0 is an answer too).
    const std::string half = speech.substr(0, speech.size() / 2);
    for (auto [asked, filled] : {std::pair{speech, speech + speech}, {speech, half}, {std::string(), speech}}) {
        WriteFile("grow.raw", asked);
        ASSERT_EQ(r.call(rec_, "grow.raw", false), asked.empty() ? 0 : n);
        WriteFile("grow.raw", filled);
        std::string before = Log();
        EXPECT_EQ(r.call(rec_, "grow.raw", true), -1);
        EXPECT_EQ(Log().substr(before.size()), std::string("ERROR - ") + r.message + "\r\n\r\n");
    }
    EXPECT_GT(r.call(rec_, "grow.raw", false), 0);  // asked again: filled
    EXPECT_GT(r.call(rec_, "grow.raw", true), 0);
    // Each utterance is a source of its own: a size asked of the last one
    // does not stand for the next.
    int utterance = r.call(rec_, nullptr, false);
    ASSERT_EQ(khRecFinalise(rec_), 1);
    WriteFile("twice.raw", speech + speech);
    ASSERT_EQ(khRecPrepare(rec_, go_, "twice.raw", nullptr), 1);
    ASSERT_EQ(khRecDoWholeSent(rec_), 1);
    EXPECT_GT(r.call(rec_, nullptr, true), utterance);
}

INSTANTIATE_TEST_SUITE_P(Table, Changed, ::testing::ValuesIn(kRetrievals), RowName());

TEST_F(Recorded, TheF0TrackHasAValuePerFrame) {
    int m = khSysGetF0Track(rec_, nullptr, nullptr);
    ASSERT_GT(m, 0);
    EXPECT_NEAR(m, khSysGetSpeech(rec_, nullptr, nullptr) / 160, 2);
    std::vector<float> track(static_cast<size_t>(m), -1.0f);
    ASSERT_EQ(khSysGetF0Track(rec_, nullptr, track.data()), m);
    for (float f : track) EXPECT_GE(f, 0.0f);  // every value written
    EXPECT_EQ(khSysGetF0Track(rec_, GoForward().c_str(), nullptr), m);
    WriteFile("empty.raw", "");
    EXPECT_EQ(khSysGetSpeech(rec_, "empty.raw", nullptr), 0);  // no samples is no error
}

TEST_F(Recorded, TheLastUtteranceIsSavedAndReadsBackTheSame) {
    for (const char *name : {static_cast<const char *>(nullptr), "", "no/such/folder/x.wav"})
        EXPECT_EQ(khRecSaveSpeech(rec_, name), -1) << (name ? name : "null");
    ASSERT_EQ(khRecSaveSpeech(rec_, "saved.wav"), 1);
    int n = khSysGetSpeech(rec_, nullptr, nullptr);
    EXPECT_EQ(khSysGetSpeech(rec_, "saved.wav", nullptr), n);
    ASSERT_EQ(khRecFinalise(rec_), 1);
    EXPECT_EQ(khRecSaveSpeech(rec_, "late.wav"), -1);
    EXPECT_TRUE(Exists("late.wav"));  // the test for writing creates it
    ExpectErrors({"khRecSaveSpeech: Unable to write speech file ",
                  "khRecSaveSpeech: Can only save speech immediately after recognition"});
}

#ifndef _WIN32
// A save that cannot be written whole (here: past the largest file the
// process may write, as on a full disk) fails saying so and leaves the
// file it would replace as it was, with no temporary beside it.
TEST_F(Recorded, ASaveThatCannotBeWrittenKeepsTheFileItWouldReplace) {
    ASSERT_EQ(khRecSaveSpeech(rec_, "saved.wav"), 1);
    std::string kept = ReadFile("saved.wav");
    ASSERT_GT(kept.size(), 65536u);
    rlimit was;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    rlimit small = was;
    small.rlim_cur = 65536;
    signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int saved = khRecSaveSpeech(rec_, "saved.wav");
    setrlimit(RLIMIT_FSIZE, &was);
    EXPECT_EQ(saved, -1);
    EXPECT_EQ(ReadFile("saved.wav"), kept);
    ExpectErrors({"khRecSaveSpeech: Error writing speech to file saved.wav"});
    for (const auto &entry : std::filesystem::directory_iterator("."))
        EXPECT_EQ(entry.path().filename().string().rfind("saved.wav.", 0), std::string::npos) << entry.path();
}
#endif

TEST_F(Recorded, PlaybackRefusals) {
    for (auto [start, end] : {std::pair{-1.0, -1.0}, {0.0, -0.5}, {0.0, -2.0}, {0.0, 1e12}})
        EXPECT_EQ(khRecPlayUtterance(rec_, start, end), -1) << start << " to " << end;
    for (const char *file : {static_cast<const char *>(nullptr), "missing.wav"}) EXPECT_EQ(khSysPlayPrompt(file), -1);
    ASSERT_EQ(khRecFinalise(rec_), 1);
    EXPECT_EQ(khRecPlayUtterance(rec_, 0.0, -1.0), -1);
    ExpectErrors({"khRecPlayUtterance: Incorrect start value",
                  "khRecPlayUtterance: Only negative value allowed is -1.0", "khRecPlayUtterance: Incorrect end value",
                  "SysCheck: NULL pointer passed to the dll", "khSysPlayPrompt: Unable to read file",
                  "khRecPlayUtterance: Can only playback last utterance immediately after recognition"});
}

class Played : public Recorded {
protected:
    std::string ExtraConfig() override { return "AUDIOOUT = file:played.wav\n"; }
};

// The samples of what was played last.
std::vector<short> PlayedSamples(KhRecogniser rec) {
    std::vector<short> s(static_cast<size_t>(std::max(0, khSysGetSpeech(rec, "played.wav", nullptr))));
    EXPECT_EQ(khSysGetSpeech(rec, "played.wav", s.data()), static_cast<int>(s.size()));
    return s;
}

TEST_F(Played, TheWholeUtteranceAndOneWordArePlayed) {
    std::vector<short> all = read_raw(GoForward());
    EXPECT_EQ(khRecPlayUtterance(rec_, 0.0, -1.0), static_cast<int>(all.size()));
    EXPECT_EQ(PlayedSamples(rec_), all);
    double s = 0, e = 0;
    ASSERT_EQ(khRecGetWordTimes(rec_, 2, &s, &e), 1);  // FORWARD
    int n = khRecPlayUtterance(rec_, s, e);
    // The frames nearest the word's times, 10 ms each, the last one included.
    size_t first = static_cast<size_t>(s / 0.01 + 0.5), last = static_cast<size_t>(e / 0.01 + 0.5);
    std::vector<short> word(all.begin() + first * 160, all.begin() + std::min(all.size(), (last + 1) * 160));
    EXPECT_EQ(n, static_cast<int>(word.size()));
    EXPECT_EQ(PlayedSamples(rec_), word);
    EXPECT_EQ(khRecPlayUtterance(rec_, 100.0, -1.0), 0);  // a range past the utterance holds no samples
}

TEST_F(Played, APromptPlaysAtTheRateOfItsSamples) {
    EXPECT_EQ(khSysPlayPrompt(GoForward().c_str()), 1);
    EXPECT_EQ(PlayedSamples(rec_), read_raw(GoForward()));
    // A prompt recorded at 22.05 kHz reaches the coder at the model's rate
    // and is played at that rate, so it keeps its length.
    std::string command = "sox -q -t raw -r 16000 -e signed -b 16 -c 1 " + GoForward() + " -r 22050 prompt22k.wav";
    ASSERT_EQ(system(command.c_str()), 0);
    EXPECT_EQ(khSysPlayPrompt("prompt22k.wav"), 1);
    EXPECT_EQ(ReadFile("played.wav").substr(24, 4), std::string("\x80\x3e\0\0", 4));  // the header's rate: 16000
    EXPECT_NEAR(khSysGetSpeech(rec_, "played.wav", nullptr), khSysGetSpeech(rec_, nullptr, nullptr), 16);
    WriteFile("empty.raw", "");
    EXPECT_EQ(khSysPlayPrompt("empty.raw"), 0);  // no samples: nothing is played
}

class Calibrated : public RoadTest {
protected:
    std::string ExtraConfig() override { return "DEBUG = FULL\nAUDIOIN = file:" + GoForward() + "\n"; }
};

TEST_F(Calibrated, TheLiveInputIsMeasured) {
    // What the levels are is the engine's to measure; they are handed out.
    float levels[4] = {};
    EXPECT_EQ(khSysCalibrateSpeech(levels), 1);
    EXPECT_GT(levels[3], 0.0f);
    EXPECT_EQ(khSysCalibrateSpeech(nullptr), 0);  // a clean recording needs no calibration
    EXPECT_TRUE(Contains(Log(), "Speech Calibration not required"));
}
