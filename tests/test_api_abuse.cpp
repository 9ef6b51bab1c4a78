// Every export called as a hostile or careless application would call it:
// before the system starts, in NOFUNCOPER mode, with handles that are null,
// freed, never issued, of the other kind or of an exercise that is over,
// and with indices, pointers, strings and times that no buffer or result
// can take, in every recogniser status.  Each answers its failure value
// and logs why, and nothing else changes.
#include <climits>
#include <cmath>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "all_exports.h"
#include "rec/rec.h"
#include "recognition.h"

using namespace khtest;

TEST(BeforeInit, EveryExportAnswersItsFailureValueAndWritesNothing) {
    Workspace ws;
    int dummy = 0;
    for (auto &e : IntExports(&dummy, &dummy)) EXPECT_EQ(e.call(), -1) << e.name;
    for (auto &e : HandleExports()) EXPECT_EQ(e.call(), nullptr) << e.name;
    for (auto &e : FloatExports(&dummy)) EXPECT_EQ(e.call(), KH_FLOAT_FAIL) << e.name;
    EXPECT_FALSE(Exists("khapi.log"));
}

TEST(NoFuncOper, InitAnswersZeroAndEveryExportItsNoOperationValue) {
    Workspace ws;
    // The model key names a file that does not exist: NOFUNCOPER never reads it.
    ASSERT_EQ(InitWith("NOFUNCOPER = TRUE\nDEBUG = FULL\nERRORLOG = trace.log\nMODEL1 = X\nXMMF = missing\n"), 0);
    int dummy = 0;
    for (auto &e : IntExports(&dummy, &dummy)) EXPECT_EQ(e.call(), 0) << e.name;
    for (auto &e : HandleExports()) EXPECT_EQ(e.call(), reinterpret_cast<void *>(1)) << e.name;
    for (auto &e : FloatExports(&dummy)) EXPECT_EQ(e.call(), e.confidence ? 2.0f : 100.0f) << e.name;
    EXPECT_FALSE(Exists("trace.log"));
    EXPECT_FALSE(Exists("khapi.log"));
}

// The trace of a refused handle ends with its refusal.  Times asked for
// with two null pointers answer 0 before any check.
TEST(Initialised, ARefusedHandleEndsTheTraceOfItsCall) {
    Workspace ws;
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = FULL\n")), 1);
    int local = 345;  // looks like a recogniser tag, but was never issued
    EXPECT_EQ(khRecFinalise(&local), -1);
    std::string log = Log();
    EXPECT_EQ(log.substr(log.rfind("khRecFinalise: Entering")),
              "khRecFinalise: Entering\r\n"
              "  Parameter 1 (recogniser ptr) is a non-NULL pointer\r\n"
              "ERROR - SysError: Invalid recogniser\r\n\r\n");
    EXPECT_EQ(khRecGetWordTimes(&local, 1, nullptr, nullptr), 0);
    EXPECT_EQ(khRecGetPhoneTimes(nullptr, 1, 1, nullptr, nullptr), 0);
    EXPECT_TRUE(Contains(Log(), "  Return value = 0\r\nkhRecGetWordTimes: Leaving\r\n\r\n")) << Log();
}

namespace {

std::string Refusal(const std::string &name) {
    if (name == "khRecGetPhoneConf")
        return "ERROR - khRecGetPhoneConf: Phone level confidence results not yet implemented";
    if (name == "khRecGetPhoneHeard")
        return "ERROR - khRecGetPhoneHeard: Phone level confidences are off (PHONECONF is not set)";
    if (name.rfind("khSyntax", 0) == 0) return "ERROR - SysError: Invalid syntax";
    return "ERROR - SysError: Invalid recogniser";
}

class AbuseTest : public RoadTest {
protected:
    // Whatever plays goes to a file, never to a sound card.
    std::string ExtraConfig() override { return "AUDIOOUT = file:played.wav\n"; }
    // What the log gained since the last call.
    std::string NewLog() {
        std::string log = Log();
        std::string added = log.substr(seen_);
        seen_ = log.size();
        return added;
    }
    size_t seen_ = 0;
};

// The kind of bad handle, which names the test.
class BadHandles : public AbuseTest, public ::testing::WithParamInterface<std::string> {};

// One call with arguments no export can take, and the value that says so.
// Indices just out of range are the results' tests' (every query with its
// message); these are the extremes, in every status.
struct BadCall {
    const char *name;
    std::function<double(KhRecogniser, KhSyntax)> call;
    double failure;
};

const std::string kLong(5000, 'A');
char text[KH_MAX_TEXT];
const double kNaN = std::nan("");
const double kInf = INFINITY;

std::vector<BadCall> BadCalls() {
    const double fail = KH_FLOAT_FAIL;
    return {
        {"WordNameMostNegative", [](KhRecogniser r, KhSyntax) { return khRecGetWordName(r, INT_MIN, text); }, -1},
        {"WordNameMostPositive", [](KhRecogniser r, KhSyntax) { return khRecGetWordName(r, INT_MAX, text); }, -1},
        {"SyntaxNameMostNegative", [](KhRecogniser r, KhSyntax) { return khRecGetResSyntaxName(r, INT_MIN, text); },
         -1},
        {"WordInfoMostNegative", [](KhRecogniser r, KhSyntax) { return khRecGetWordInfo(r, INT_MIN, text); }, -1},
        {"NextBestUpsideDown", [](KhRecogniser r, KhSyntax) { return khRecGetNextBest(r, INT_MAX, INT_MIN, text); },
         -1},
        {"PhoneMostNegative", [](KhRecogniser r, KhSyntax) { return khRecGetPhone(r, INT_MIN, INT_MIN, text); }, -1},
        {"WordScoreMostNegative", [](KhRecogniser r, KhSyntax) { return khRecGetWordScore(r, INT_MIN, INT_MIN); },
         fail},
        {"WordConfBeyond", [](KhRecogniser r, KhSyntax) { return khRecGetWordConf(r, INT_MAX, 1); }, fail},
        {"WordNameIntoNull", [](KhRecogniser r, KhSyntax) { return khRecGetWordName(r, 1, nullptr); }, -1},
        {"WordInfoIntoNull", [](KhRecogniser r, KhSyntax) { return khRecGetWordInfo(r, 1, nullptr); }, -1},
        {"SaveToNull", [](KhRecogniser r, KhSyntax) { return khRecSaveSpeech(r, nullptr); }, -1},
        {"SaveToLongName", [](KhRecogniser r, KhSyntax) { return khRecSaveSpeech(r, kLong.c_str()); }, -1},
        {"PlayFromNaN", [](KhRecogniser r, KhSyntax) { return khRecPlayUtterance(r, kNaN, -1.0); }, -1},
        {"PlayToNaN", [](KhRecogniser r, KhSyntax) { return khRecPlayUtterance(r, 0.0, kNaN); }, -1},
        {"PlayBeyondAnInt", [](KhRecogniser r, KhSyntax) { return khRecPlayUtterance(r, 1e12, -1.0); }, -1},
        {"PlayToInfinity", [](KhRecogniser r, KhSyntax) { return khRecPlayUtterance(r, 0.0, kInf); }, -1},
        {"PauseLong", [](KhRecogniser r, KhSyntax) { return khRecSetPauseLength(r, kLong.c_str()); }, -1},
        {"OptimisationLong", [](KhRecogniser r, KhSyntax) { return khRecSetOptimisation(r, kLong.c_str()); }, -1},
        {"PrepareLongFile", [](KhRecogniser r, KhSyntax s) { return khRecPrepare(r, s, kLong.c_str(), nullptr); }, -1},
        {"CreateLongName", [](KhRecogniser, KhSyntax) { return khSyntaxCreate(kLong.c_str(), nullptr) ? 0 : -1; }, -1},
        {"CreateLongFile", [](KhRecogniser, KhSyntax) { return khSyntaxCreate("X", kLong.c_str()) ? 0 : -1; }, -1},
        {"ReturnLongName", [](KhRecogniser, KhSyntax) { return khSyntaxReturn(kLong.c_str()) ? 0 : -1; }, -1},
        {"AddLongOption", [](KhRecogniser, KhSyntax s) { return khSyntaxAddOption(s, kLong.c_str()); }, -1},
        {"DisableLongSentence", [](KhRecogniser, KhSyntax s) { return khSyntaxDisableOption(s, kLong.c_str()); }, -1},
        {"ReEnableTooMany", [](KhRecogniser, KhSyntax s) { return khSyntaxReEnableOptions(s, INT_MAX); }, -1},
        {"ExerciseLongName", [](KhRecogniser, KhSyntax) { return khSysNewExercise(kLong.c_str()); }, -1},
        {"PromptLongName", [](KhRecogniser, KhSyntax) { return khSysPlayPrompt(kLong.c_str()); }, -1},
        {"CalibrateIntoNull", [](KhRecogniser, KhSyntax) { return khSysCalibrateSpeech(nullptr); }, -1},
        // Files that are no regular files (made by MakeHostileFiles): refused, never waited on.
        {"PrepareFifo", [](KhRecogniser r, KhSyntax s) { return khRecPrepare(r, s, "fifo.wav", nullptr); }, -1},
        {"PrepareEndless", [](KhRecogniser r, KhSyntax s) { return khRecPrepare(r, s, "zero.raw", nullptr); }, -1},
        {"SpeechOfFifo", [](KhRecogniser r, KhSyntax) { return khSysGetSpeech(r, "fifo.wav", nullptr); }, -1},
        {"PromptFifo", [](KhRecogniser, KhSyntax) { return khSysPlayPrompt("fifo.wav"); }, -1},
#ifndef _WIN32  // a missing file is made: only a FIFO refuses the save
        {"SaveToFifo", [](KhRecogniser r, KhSyntax) { return khRecSaveSpeech(r, "fifo.wav"); }, -1},
#endif
        {"CreateFromFifo", [](KhRecogniser, KhSyntax) { return khSyntaxCreate("F", "fifo.lat") ? 0 : -1; }, -1},
    };
}

class BadArguments : public AbuseTest, public ::testing::WithParamInterface<Stage> {};

int StatusOf(KhRecogniser r) { return static_cast<kh::RecogniserRecord *>(r)->status; }

}  // namespace

// The freed handles are refused even once new records have been made in
// their place, and the new records are left alone.
TEST_P(BadHandles, AreRefusedByEveryExport) {
    KhRecogniser r = nullptr;
    KhSyntax s = nullptr;
    static int never_issued[64] = {345, 456};
    if (GetParam() == "NeverIssued") r = s = never_issued;
    if (GetParam() == "OtherKind") r = go_, s = rec_;
    if (GetParam() == "Freed") {
        r = khRecCreate(), s = khSyntaxCreate("OLD", nullptr);
        ASSERT_EQ(khRecDelete(r), 1);
        ASSERT_EQ(khSyntaxDeleteShallow(s), 1);
    }
    if (GetParam() == "OldExercise") {
        r = rec_, s = go_;
        ASSERT_EQ(khSysNewExercise("ENGLISH"), 1);
        go_ = khSyntaxCreate("GO", nullptr);
        ASSERT_EQ(khSyntaxAddOption(go_, kGoGrammar), 1);
        rec_ = khRecCreate();
    }
    KhSyntax live_syntax = khSyntaxCreate("LIVE", nullptr);
    KhRecogniser live_rec = khRecCreate();
    NewLog();
    for (auto &e : IntExports(r, s)) {
        if (e.name == "khSysNewExercise" || e.name == "khSysPlayPrompt" || e.name == "khSysCalibrateSpeech")
            continue;  // they take no handle
        EXPECT_EQ(e.call(), -1) << e.name;
        EXPECT_EQ(NewLog(), Refusal(e.name) + "\r\n\r\n") << e.name;
    }
    for (auto &e : FloatExports(r)) {
        EXPECT_EQ(e.call(), KH_FLOAT_FAIL) << e.name;
        EXPECT_EQ(NewLog(), Refusal(e.name) + "\r\n\r\n") << e.name;
    }
    EXPECT_EQ(khSyntaxReturn("LIVE"), live_syntax);
    EXPECT_EQ(khSyntaxAddOption(live_syntax, "hello"), 1);
    EXPECT_EQ(RecogniseWhole(live_rec, go_), "GO FORWARD TEN METERS");
    EXPECT_EQ(khSyntaxDeleteShallow(live_syntax), 1);
    EXPECT_EQ(khRecDelete(live_rec), 1);
}

INSTANTIATE_TEST_SUITE_P(Abuse, BadHandles,
                         ::testing::Values("Null", "Freed", "NeverIssued", "OtherKind", "OldExercise"),
                         [](const ::testing::TestParamInfo<std::string> &info) { return info.param; });

void MakeHostileFiles() {
#ifndef _WIN32
    ASSERT_EQ(mkfifo("fifo.wav", 0600), 0);
    ASSERT_EQ(mkfifo("fifo.lat", 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", "zero.raw"), 0);
#endif
}

TEST_P(BadArguments, AreRefusedInEveryStatus) {
    ASSERT_NO_FATAL_FAILURE(MakeHostileFiles());
    ASSERT_NO_FATAL_FAILURE(BringTo(GetParam()));
    int status = StatusOf(rec_);
    NewLog();
    for (const BadCall &c : BadCalls()) {
        EXPECT_EQ(c.call(rec_, go_), c.failure) << c.name;
        EXPECT_TRUE(Contains(NewLog(), "ERROR - ")) << c.name;
        EXPECT_EQ(StatusOf(rec_), status) << c.name;
    }
    if (GetParam() == kPrepared) {
        EXPECT_EQ(khRecDoWholeSent(rec_), 1);
    }
    while (GetParam() == kUnderWay && khRecDoPartSent(rec_, 100) == 1) continue;
    if (GetParam() != kIdle) {
        EXPECT_EQ(Words(rec_), "GO FORWARD TEN METERS");
    }
}

INSTANTIATE_TEST_SUITE_P(Abuse, BadArguments, ::testing::Values(kIdle, kPrepared, kUnderWay, kComplete),
                         [](const ::testing::TestParamInfo<Stage> &i) {
                             return (std::vector<std::string>{"Idle", "Prepared", "Processing", "Complete"})[i.param];
                         });
