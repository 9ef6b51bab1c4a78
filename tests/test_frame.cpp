// The call frame seen from outside: every export before the system
// starts, in NOFUNCOPER mode, and with handles it never issued.
#include "all_exports.h"
#include "support.h"

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

// The refusals themselves are the abuse tests'; here, the trace of one.
// Times asked for with two null pointers answer 0 before any check.
TEST(Initialised, ARefusedHandleEndsTheTraceOfItsCall) {
    Workspace ws;
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = FULL\n")), 1);
    int local = 345;  // looks like a recogniser tag, but was never issued
    EXPECT_EQ(khRecFinalise(&local), -1);
    std::string log = Log();
    EXPECT_EQ(log.substr(log.rfind("khRecFinalise: Entering")), "khRecFinalise: Entering\r\n"
                     "  Parameter 1 (recogniser ptr) is a non-NULL pointer\r\n"
                     "ERROR - SysError: Invalid recogniser\r\n\r\n");
    EXPECT_EQ(khRecGetWordTimes(&local, 1, nullptr, nullptr), 0);
    EXPECT_EQ(khRecGetPhoneTimes(nullptr, 1, 1, nullptr, nullptr), 0);
    EXPECT_TRUE(Contains(Log(), "  Return value = 0\r\nkhRecGetWordTimes: Leaving\r\n\r\n")) << Log();
}
