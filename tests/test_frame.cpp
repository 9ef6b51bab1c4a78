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

TEST(BeforeInit, ThirtySevenExportsAreCovered) {
    int dummy = 0;
    EXPECT_EQ(IntExports(&dummy, &dummy).size() + HandleExports().size() + FloatExports(&dummy).size() + 1,
              37u);
}

TEST(NoFuncOper, InitAnswersZeroAndEveryExportItsNoOperationValue) {
    Workspace ws;
    ASSERT_EQ(InitWith("NOFUNCOPER = TRUE\nDEBUG = FULL\nERRORLOG = trace.log\n"), 0);
    int dummy = 0;
    for (auto &e : IntExports(&dummy, &dummy)) EXPECT_EQ(e.call(), 0) << e.name;
    for (auto &e : HandleExports()) EXPECT_EQ(e.call(), reinterpret_cast<void *>(1)) << e.name;
    for (auto &e : FloatExports(&dummy)) EXPECT_EQ(e.call(), e.confidence ? 2.0f : 100.0f) << e.name;
    EXPECT_FALSE(Exists("trace.log"));
    EXPECT_FALSE(Exists("khapi.log"));
}

TEST(NoFuncOper, NoModelIsLoaded) {
    Workspace ws;
    // The model key names a file that does not exist: NOFUNCOPER never reads it.
    ASSERT_EQ(InitWith("NOFUNCOPER = yes\nMODEL1 = X\nXMMF = missing\n"), 0);
}

class Initialised : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(InitWith(StandardConfig("DEBUG = FULL\n")), 1); }
    Workspace ws_;
};

TEST_F(Initialised, NeverIssuedHandlesAreRefusedWithoutReadingThem) {
    int local = 345;  // looks like a recogniser tag, but was never issued
    char text[KH_MAX_TEXT];
    EXPECT_EQ(khRecFinalise(&local), -1);
    EXPECT_EQ(khSyntaxDeleteShallow(&local), -1);
    EXPECT_EQ(khRecGetWords(&local, text), -1);
    std::string log = Log();
    // The frame is traced up to the refusal, and the call does not leave.
    EXPECT_TRUE(Contains(log, "khRecFinalise: Entering\r\n"
                              "  Parameter 1 (recogniser ptr) is a non-NULL pointer\r\n"
                              "ERROR - SysError: Invalid recogniser\r\n\r\n")) << log;
    EXPECT_FALSE(Contains(log, "khRecFinalise: Leaving"));
    EXPECT_TRUE(Contains(log, "ERROR - SysError: Invalid syntax\r\n\r\n"));
}

TEST_F(Initialised, TimesWithTwoNullPointersAnswerZeroBeforeAnyCheck) {
    int local = 0;
    EXPECT_EQ(khRecGetWordTimes(&local, 1, nullptr, nullptr), 0);
    EXPECT_EQ(khRecGetPhoneTimes(nullptr, 1, 1, nullptr, nullptr), 0);
    std::string log = Log();
    EXPECT_NE(log.find("  Return value = 0\r\nkhRecGetWordTimes: Leaving\r\n\r\n"), std::string::npos) << log;
}

TEST_F(Initialised, PhoneConfidenceIsNeverProvided) {
    EXPECT_EQ(khRecGetPhoneConf(nullptr, 1, 1, 1), KH_FLOAT_FAIL);
    std::string log = Log();
    EXPECT_NE(log.find("khRecGetPhoneConf: Entering\r\n"
                       "  Parameter 1 (recogniser ptr) is a NULL pointer\r\n"
                       "  Parameter 2 (word index) = 1\r\n"
                       "  Parameter 3 (start index) = 1\r\n"
                       "  Parameter 4 (end index) = 1\r\n"
                       "ERROR - khRecGetPhoneConf: Phone level confidence results not yet implemented\r\n\r\n"),
              std::string::npos)
        << log;
}
