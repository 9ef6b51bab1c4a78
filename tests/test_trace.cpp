// The log and trace lines, byte for byte, through the frame's own
// operations.
#include "frame/checks.h"
#include "frame/state.h"
#include "frame/trace.h"
#include "support.h"

using namespace khtest;

namespace {

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
    EXPECT_EQ(Written(), "  Parameter 1 (syntax name) = " + std::string(991, 'w') + "\r\nERROR - " +
                             std::string(1011, 'w') + "\r\n\r\n  " + std::string(1019, 'w') + "\r\n");
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
