// The log and trace lines, byte for byte: through the frame's own
// operations, and the whole log at level FULL of one road on a file and of
// calls where the engine fails or has something to say.  The log holds the
// library's own lines only, and the engine's notes go to the file NOTELOG
// names.
#include <functional>
#include <utility>
#include <vector>

#include "frame/checks.h"
#include "frame/state.h"
#include "frame/trace.h"
#include "recognition.h"

using namespace khtest;

namespace {

const std::string kRec = "Parameter 1 (recogniser ptr) is a non-NULL pointer";
const std::string kSyn = "Parameter 1 (syntax ptr) is a non-NULL pointer";
const std::string kValid = "SysCheck: Valid recogniser";
const std::string kGo = "SysCheck: Valid syntax with name GO";
const std::string kOut = "Parameter 2 (results string) is a non-NULL pointer";
const std::string kOk = "Return value = 1";

std::string Lookup(const std::string &word) {
    return "Attempting to retrieve word " + word + " from system/user dictionary";
}

const std::string kPrepareLines = kRec +
    "\r\n  Parameter 2 (syntax ptr) is a non-NULL pointer\r\n"
    "  Parameter 3 (wav filename) is a NULL string\r\n"
    "  Parameter 4 (map filename) is a NULL string\r\n  " +
    kValid + "\r\n  " + kGo + "\r\n  " + Lookup("<s>");

// The trace of a start on the standard configuration.
std::string InitTrace() {
    return TraceOf("khSysInit",
                   {"Parameter 1 (config filename) = test.conf", "Reading model information",
                    "Reading model number 1 with name ENUS", "Loaded model ENUS", "Reading the vocab dictionaries",
                    "Reading vocab number 1 with name ENGLISH", "Attempting to load the system dictionary",
                    "Valid system dictionary returned", "Read vocab ENGLISH", kOk});
}

// An error line inside a call at level FULL.
std::string Error(const std::string &message) { return "ERROR - " + message + "\r\n\r\n"; }
// A call that failed: its entry, its lines, and no leaving line.
std::string Failed(const std::string &name, std::initializer_list<std::string> lines, const std::string &errors) {
    std::string out = name + ": Entering\r\n";
    for (const std::string &line : lines) out += "  " + line + "\r\n";
    return out + errors;
}

struct Row {
    const char *name;
    Stage stage;                                       // how far the recogniser has gone on the live input
    std::vector<std::pair<const char *, int>> faults;  // engine calls made to fail: name, nth call
    std::function<void(KhRecogniser, KhSyntax)> calls;
    std::string log;
    const char *note;  // what the engine said meanwhile
};

const Row kRows[] = {
    {"LiveStopEarly",
     kPrepared,
     {},
     [](KhRecogniser r, KhSyntax) {
         khRecDoPartSent(r, 20);
         khRecDoPartSent(r, -1);
     },
     TraceOf("khRecDoPartSent", {kRec, "Parameter 2 (number of frames) = 20", kValid, "Return value = 1"}) +
         TraceOf("khRecDoPartSent", {kRec, "Parameter 2 (number of frames) = -1", kValid, "Return value = 0"}),
     "hapiRecComplete: no path reached the end of the grammar"},
    {"CoderFault",
     kIdle,
     {{"hapiCoderPrepare", 1}},
     [](KhRecogniser r, KhSyntax s) { khRecPrepare(r, s, nullptr, nullptr); },
     Failed("khRecPrepare", {kPrepareLines}, Error("khRecPrepare: Error preparing the coder")),
     "hapiCoderPrepare: injected fault"},
    // A failed count goes on: the string is still read, and stays empty.
    {"WordCountFault",
     kComplete,
     {{"hapiResWordName", 1}},
     [](KhRecogniser r, KhSyntax) {
         char words[KH_MAX_TEXT];
         khRecGetWords(r, words);
     },
     Failed("khRecGetWords", {kRec, kOut, kValid},
            Error("RecGetNumWords: Error getting the word name") +
                Error("khRecGetWords: Error retrieving the number of words")) +
         "  Outstring is empty\r\n  Return value = -1\r\nkhRecGetWords: Leaving\r\n\r\n",
     "hapiResWordName: injected fault"},
    {"WordNamesAfterAFailedCount",
     kComplete,
     {{"hapiResWordName", 1}, {"hapiResAllWordNames", 2}},
     [](KhRecogniser r, KhSyntax) {
         char words[KH_MAX_TEXT];
         khRecGetWords(r, words);
     },
     Failed("khRecGetWords", {kRec, kOut, kValid},
            Error("RecGetNumWords: Error getting the word name") +
                Error("khRecGetWords: Error retrieving the number of words") +
                Error("khRecGetWords: Error getting results")),
     "hapiResAllWordNames: injected fault"},
};

class FullTrace : public RoadTest, public ::testing::WithParamInterface<Row> {
protected:
    std::string ExtraConfig() override {
        return "DEBUG = FULL\nNOTELOG = notes.log\nAUDIOIN = file:" + GoForward() + "\n";
    }
};

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        kh::g_state = new kh::SystemState();
        kh::g_state->initialised = 1;
        kh::CopyField(kh::g_state->log_file, "trace.log");
    }
    void TearDown() override {
        kh::ResetLogStream();
        delete kh::g_state;
        kh::g_state = nullptr;
    }
    void Level(int level) { kh::g_state->trace_level = level; }
    std::string Written() {
        if (kh::g_state->log) fflush(kh::g_state->log);
        return ReadFile("trace.log");
    }
    Workspace ws_;
};

}  // namespace

TEST_P(FullTrace, HoldsTheLibrarysLinesOnly) {
    const Row &row = GetParam();
    ASSERT_NO_FATAL_FAILURE(BringTo(row.stage, true));
    size_t start = Log().size();
    size_t noted = ReadFile("notes.log").size();
    for (auto [call, nth] : row.faults) {
        ASSERT_EQ(hapiFaultInject(call, nth), 0);
    }
    row.calls(rec_, go_);
    hapiFaultClear();
    EXPECT_EQ(Log().substr(start), row.log);
    EXPECT_TRUE(Contains(ReadFile("notes.log").substr(noted), std::string("hapi: ") + row.note));
}

INSTANTIATE_TEST_SUITE_P(Table, FullTrace, ::testing::ValuesIn(kRows), RowName());

// A background unit the model lacks (here the library's default name) is
// the engine's note; the start-up trace is as ever.
TEST(FullTraceOfInit, HoldsTheLibrarysLinesOnly) {
    Workspace ws;
    std::string config = StandardConfig("DEBUG = FULL\nNOTELOG = notes.log\n");
    config.replace(config.find("ENUSBKHMMNAME = SIL\n"), 20, "");
    ASSERT_EQ(InitWith(config), 1);
    EXPECT_EQ(Log(), InitTrace());
    EXPECT_TRUE(Contains(ReadFile("notes.log"), "hapi: background unit 'bckgrd' is not in the model"));
}

// Start, a syntax with one option, a recogniser prepared on a file, the
// whole utterance, its words, finalise, delete.
TEST(RoadLog, EveryLineOfOneUtteranceAtLevelFull) {
    Workspace ws;
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = FULL\n")), 1);
    KhSyntax syntax = khSyntaxCreate("go", nullptr);
    ASSERT_EQ(khSyntaxAddOption(syntax, "go forward [ten] meters"), 1);
    KhRecogniser rec = khRecCreate();
    ASSERT_EQ(khRecPrepare(rec, syntax, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(khRecDoWholeSent(rec), 1);
    char words[KH_MAX_TEXT];
    ASSERT_EQ(khRecGetWords(rec, words), 4);
    ASSERT_EQ(khRecFinalise(rec), 1);
    ASSERT_EQ(khRecDelete(rec), 1);
    ASSERT_EQ(khSyntaxDeleteShallow(syntax), 1);
    std::string expected = InitTrace() +
        TraceOf("khSyntaxCreate",
                {"Parameter 1 (syntax name) = go", "Parameter 2 (lattice filename) is a NULL string",
                 "Return value is a valid pointer"}) +
        TraceOf("khSyntaxAddOption",
                {kSyn, "Parameter 2 (bnf string) = go forward [ten] meters", kGo, Lookup("GO"), Lookup("FORWARD"),
                 Lookup("TEN"), Lookup("METERS"), kOk}) +
        TraceOf("khRecCreate", {"No parameters passed", "Return value is a valid pointer"}) +
        TraceOf("khRecPrepare",
                {kRec, "Parameter 2 (syntax ptr) is a non-NULL pointer", "Parameter 3 (wav filename) = " + GoForward(),
                 "Parameter 4 (map filename) is a NULL string", kValid, kGo, Lookup("<s>"), kOk}) +
        TraceOf("khRecDoWholeSent", {kRec, kValid, kOk}) +
        TraceOf("khRecGetWords", {kRec, kOut, kValid, "Outstring = GO FORWARD TEN METERS", "Return value = 4"}) +
        TraceOf("khRecFinalise", {kRec, kValid, kOk}) + TraceOf("khRecDelete", {kRec, kValid, kOk}) +
        TraceOf("khSyntaxDeleteShallow", {kSyn, kGo, kOk});
    EXPECT_EQ(Log(), expected);
}

TEST_F(TraceTest, FullLevelWritesEveryKindOfLine) {
    Level(kh::LEVEL_FULL);
    kh::TraceEnter("khRecFinalise");
    kh::TraceParamPointer(1, "recogniser ptr", this);
    kh::TraceParamPointer(2, "other ptr", nullptr);
    kh::TraceParamString(3, "wav filename", "a.wav");
    kh::TraceParamString(4, "map filename", nullptr);
    kh::TraceParamInt(5, "number of frames", -7);
    kh::TraceParamDouble(6, "start time", 0.25);
    kh::TraceOutString("HELLO WORLD");
    kh::TraceOutString("");
    kh::TraceOutString(nullptr);
    kh::TraceReturnFloat(1.5);
    kh::TraceReturnInt(1);
    const float levels[4] = {60.5f, 30.0f, 30.5f, 1000.0f};
    kh::TraceCalibration(levels);
    kh::TraceLeave("khRecFinalise");
    EXPECT_EQ(Written(),
              "khRecFinalise: Entering\r\n"
              "  Parameter 1 (recogniser ptr) is a non-NULL pointer\r\n"
              "  Parameter 2 (other ptr) is a NULL pointer\r\n"
              "  Parameter 3 (wav filename) = a.wav\r\n"
              "  Parameter 4 (map filename) is a NULL string\r\n"
              "  Parameter 5 (number of frames) = -7\r\n"
              "  Parameter 6 (start time) = 0.250000\r\n"
              "  Outstring = HELLO WORLD\r\n"
              "  Outstring is empty\r\n"
              "  Return value = 1.500000\r\n"
              "  Return value = 1\r\n"
              "  Mean Speech level = 60.500000 dB\r\n"
              "  Background = 30.000000 dB\r\n"
              "  Signal to noise ration = 30.500000 dB\r\n"
              "  Peak to peak  = 1000.000000\r\n"
              "khRecFinalise: Leaving\r\n\r\n");
}

TEST_F(TraceTest, ACallNestedInANestedCallLeavesItsCallerIndented) {
    Level(kh::LEVEL_FULL);
    kh::TraceEnter("khSyntaxCreate");
    {
        kh::NestedCall outer;
        kh::TraceEnter("khSyntaxDeleteDeep");
        {
            kh::NestedCall inner;
            kh::TraceEnter("khSyntaxDeleteShallow");
            kh::LogError("khSyntaxDeleteShallow: Syntax is contained in another syntax. Cannot delete");
            kh::TraceLeave("khSyntaxDeleteShallow");
        }
        kh::TraceLeave("khSyntaxDeleteDeep");
    }
    kh::TraceLeave("khSyntaxCreate");
    EXPECT_EQ(Written(),
              "khSyntaxCreate: Entering\r\n"
              "  khSyntaxDeleteDeep: Entering\r\n"
              "  khSyntaxDeleteShallow: Entering\r\n"
              "ERROR - khSyntaxDeleteShallow: Syntax is contained in another syntax. Cannot delete\r\n\r\n"
              "  khSyntaxDeleteShallow: Leaving\r\n"
              "  khSyntaxDeleteDeep: Leaving\r\n"
              "khSyntaxCreate: Leaving\r\n\r\n");
}

// Silent and NOFUNCOPER write nothing, ERROR only errors, the checks' own
// messages among them; the handle refusals are the abuse tests'.  A note is
// written at the levels that write errors, as one of them.
TEST_F(TraceTest, LevelsBelowFullWriteOnlyErrorsAndNotes) {
    for (int level : {kh::LEVEL_SILENT, kh::LEVEL_NOFUNCOPER}) {
        Level(level);
        kh::TraceEnter("khRecFinalise");
        kh::LogError("khRecFinalise: Error clearing the coder");
        kh::LogNote("not written");
    }
    EXPECT_FALSE(Exists("trace.log"));
    Level(kh::LEVEL_ERROR);
    kh::TraceEnter("khRecFinalise");
    kh::TraceLine("SysCheck: Valid recogniser");
    kh::TraceReturnInt(1);
    kh::TraceReturnPointer("khRecCreate", this);
    kh::TraceReturnPointer("khRecCreate", nullptr);
    kh::TraceLeave("khRecFinalise");
    EXPECT_EQ(kh::CheckPointer(nullptr), 0);
    EXPECT_EQ(kh::CheckPointer(this), 1);
    kh::g_state->initialised = 0;
    EXPECT_EQ(kh::CheckSystem(), 0);
    kh::LogNote("at ERROR");
    Level(kh::LEVEL_FULL);
    kh::LogNote("at FULL");
    EXPECT_EQ(Written(),
              "ERROR - khRecCreate: null pointer returned\r\n\r\n"
              "ERROR - SysCheck: NULL pointer passed to the dll\r\n\r\n"
              "ERROR - SysError: System not initialised\r\n\r\n"
              "NOTE - at ERROR\r\n\r\nNOTE - at FULL\r\n\r\n");
}

TEST_F(TraceTest, OverLongLinesAreCutAndKeepTheirLineEnd) {
    Level(kh::LEVEL_FULL);
    std::string huge(5000, 'w');
    kh::TraceParamString(1, "syntax name", huge.c_str());
    kh::LogError(huge.c_str());
    kh::NestedCall nested;
    kh::TraceEnter(huge.c_str());
    // Each line is cut to 1023 bytes, its line end kept: the buffer's 1024th byte is the NUL.
    EXPECT_EQ(Written(),
              "  Parameter 1 (syntax name) = " + std::string(991, 'w') + "\r\nERROR - " + std::string(1011, 'w') +
                  "\r\n\r\n  " + std::string(1019, 'w') + "\r\n");
}

TEST_F(TraceTest, LogFileIsOpenedLazilyAndEmptiedOnceAndMayBeUnopenable) {
    Level(kh::LEVEL_FULL);
    WriteFile("trace.log", "old content\r\n");
    kh::TraceLine("first");
    kh::TraceLine("second");
    EXPECT_EQ(Written(), "  first\r\n  second\r\n");
    kh::ResetLogStream();
    kh::TraceLine("third");
    EXPECT_EQ(Written(), "  third\r\n");
    // A log that cannot be opened (a file stands where its folder should
    // be) drops lines, says so once, and is tried again on the next line,
    // its folders made.
    kh::ResetLogStream();
    kh::CopyField(kh::g_state->log_file, "blocked/x.log");
    WriteFile("blocked", "");
    ::testing::internal::CaptureStderr();
    kh::TraceLine("dropped");
    kh::LogError("dropped too");
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(kh::g_state->log, nullptr);
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    std::filesystem::remove("blocked");
    kh::TraceLine("kept");
    EXPECT_EQ(ReadFile("blocked/x.log"), "  kept\r\n");
}
