// Every engine failure a recogniser can meet, reached through the
// engine's fault injection, and what the library says about it.
#include "recognition.h"

using namespace khtest;

namespace {

struct Fault {
    const char *engine_call;
    int nth;
    const char *message;
};

class RecFaults : public RoadTest, public ::testing::WithParamInterface<Fault> {};


// Runs the whole road once, stopping at the first failure.
void Road(KhRecogniser rec, KhSyntax syntax) {
    if (khRecPrepare(rec, syntax, GoForward().c_str(), nullptr) != 1) return;
    if (khRecDoWholeSent(rec) != 1) return;
    khRecFinalise(rec);
}

}  // namespace

TEST_P(RecFaults, IsReportedAndLeavesARecogniserThatWorks) {
    const Fault &f = GetParam();
    if (strstr(f.engine_call, "Delete")) IgnoreLeaksFromHere();
    ASSERT_EQ(hapiFaultInject(f.engine_call, f.nth), 0);
    Road(rec_, go_);
    hapiFaultClear();
    EXPECT_TRUE(Contains(Log(), std::string("ERROR - ") + f.message + "\r\n\r\n")) << Log();
    // Whatever status the failure left, the recogniser can be brought
    // back and used.
    khRecDoPartSent(rec_, -1);
    khRecFinalise(rec_);
    KhRecogniser fresh = khRecCreate();
    ASSERT_NE(fresh, nullptr);
    ASSERT_EQ(khRecPrepare(fresh, go_, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(khRecDoWholeSent(fresh), 1);
    EXPECT_EQ(Words(fresh), "GO FORWARD TEN METERS");
    EXPECT_EQ(khRecDelete(rec_), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Road, RecFaults,
    ::testing::Values(Fault{"hapiLatFinalise", 1, "khRecPrepare: Error creating recognition grammar"},
                      Fault{"hapiSourceInitialise", 1, "khRecPrepare: Error while reading the audio file"},
                      Fault{"hapiCoderInitialise", 1, "khRecPrepare: Error setting up the channel"},
                      Fault{"hapiBuildNetObject", 1, "khRecPrepare: Error building the recognition network"},
                      Fault{"hapiDeleteLatObject", 1, "khRecPrepare: Error deleting temporary lattice"},
                      Fault{"hapiCoderPrepare", 1, "khRecPrepare: Error preparing the coder"},
                      Fault{"hapiRecPrepare", 1, "khRecPrepare: Error preparing the recogniser"},
                      Fault{"hapiSourceStart", 1, "khRecDoWholeSent: Error starting the source"},
                      Fault{"hapiRecRemaining", 1, "khRecDoWholeSent: Problem during recognition"},
                      Fault{"hapiRecProcess", 1, "khRecDoWholeSent: Error processing the observations"},
                      Fault{"hapiRecComplete", 1, "khRecDoWholeSent: Error completing the recognition"},
                      Fault{"hapiSourceStop", 1, "khRecDoWholeSent: Error stopping the source"},
                      Fault{"hapiCoderComplete", 1, "khRecFinalise: Error clearing the coder"},
                      Fault{"hapiResClear", 1, "khRecFinalise: Error clearing the results"}),
    [](const ::testing::TestParamInfo<Fault> &info) { return std::string(info.param.engine_call); });

TEST(RecCreateFaults, EachEngineFailureHasItsMessage) {
    Workspace ws;
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = ERROR\n")), 1);
    const Fault faults[] = {{"hapiSourceInitialise", 1, "khRecCreate: Error setting up the audio"},
                            {"hapiCoderInitialise", 1, "khRecCreate: Error setting up the channel"},
                            {"hapiRecInitialise", 1, "khRecCreate: Error initialising recogniser"}};
    for (const Fault &f : faults) {
        ASSERT_EQ(hapiFaultInject(f.engine_call, f.nth), 0);
        EXPECT_EQ(khRecCreate(), nullptr) << f.engine_call;
        EXPECT_TRUE(Contains(Log(), std::string("ERROR - ") + f.message + "\r\n\r\n")) << f.message;
    }
    EXPECT_NE(khRecCreate(), nullptr);
}

TEST_F(LeakyRoadTest, ReinitFailuresLeaveNothingUsedTwice) {
    const Fault faults[] = {{"hapiDeleteResObject", 1, "ReinitRecogniser: Error deleting the results"},
                            {"hapiDeleteResObject", 2, "ReinitRecogniser: Error deleting the intermediate results"},
                            {"hapiDeleteRecObject", 1, "ReinitRecogniser: Error deleting the recogniser"},
                            {"hapiRecInitialise", 1, "ReinitRecogniser: Error initialising recogniser"}};
    for (const Fault &f : faults) {
        KhRecogniser rec = khRecCreate();
        ASSERT_NE(rec, nullptr);
        ASSERT_EQ(hapiFaultInject(f.engine_call, f.nth), 0);
        EXPECT_EQ(khRecActivateNBest(rec), -1) << f.engine_call;
        hapiFaultClear();
        EXPECT_TRUE(Contains(Log(), std::string("ERROR - ") + f.message + "\r\n\r\n")) << f.message;
        // A later call either works or fails with a message; nothing is
        // deleted twice (the sanitizers would say so).
        if (khRecPrepare(rec, go_, GoForward().c_str(), nullptr) == 1) khRecDoWholeSent(rec);
        EXPECT_EQ(khRecDelete(rec), 1);
    }
}

TEST_F(RoadTest, PartSentenceFaults) {
    ASSERT_EQ(khRecPrepare(rec_, go_, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(hapiFaultInject("hapiSourceStart", 1), 0);
    EXPECT_EQ(khRecDoPartSent(rec_, 20), -1);
    ASSERT_EQ(khRecDoPartSent(rec_, 20), 1);
    ASSERT_EQ(hapiFaultInject("hapiRecProcess", 1), 0);
    EXPECT_EQ(khRecDoPartSent(rec_, 20), -1);  // no message; still processing
    ASSERT_EQ(hapiFaultInject("hapiResClear", 1), 0);
    EXPECT_EQ(khRecDoPartSent(rec_, 20), -1);
    ASSERT_EQ(hapiFaultInject("hapiRecComplete", 1), 0);
    EXPECT_EQ(khRecDoPartSent(rec_, -1), -1);
    std::string log = Log();
    EXPECT_TRUE(Contains(log, "ERROR - khRecDoPartSent: Error starting the source\r\n\r\n"));
    EXPECT_TRUE(Contains(log, "ERROR - khRecDoPartSent: Error clearing the results\r\n\r\n"));
    EXPECT_TRUE(Contains(log, "ERROR - khRecDoPartSent: Error completing the recognition\r\n\r\n"));
    EXPECT_EQ(khRecDelete(rec_), 1);
}

TEST_F(LeakyRoadTest, DeleteFailureIsReported) {
    ASSERT_EQ(hapiFaultInject("hapiDeleteRecObject", 1), 0);
    EXPECT_EQ(khRecDelete(rec_), -1);
    EXPECT_TRUE(Contains(Log(), "ERROR - khRecDelete: Unable to free recogniser\r\n\r\n"));
    EXPECT_EQ(khRecDelete(rec_), -1);  // no longer listed
}
