// Engine failures met by the word queries, the part-sentence stop and the
// exercise switch, reached through the engine's fault injection.
#include "recognition.h"

using namespace khtest;

namespace {


class Recognised : public RecognisedTest {
protected:
    // Arms a fault, runs the query, and answers what it returned.
    template <typename Query>
    int WithFault(const char *engine_call, int nth, Query query) {
        EXPECT_EQ(hapiFaultInject(engine_call, nth), 0);
        int r = query();
        hapiFaultClear();
        return r;
    }
};

}  // namespace

TEST_F(Recognised, WordQueriesReportEngineFailures) {
    char text[KH_MAX_TEXT];
    double t;
    EXPECT_EQ(WithFault("hapiResWordName", 1, [&] { return khRecGetWords(rec_, text); }), -1);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(WithFault("hapiResAllWordNames", 2, [&] { return khRecGetWords(rec_, text); }), -1);
    EXPECT_EQ(WithFault("hapiResWordName", 3, [&] { return khRecGetWordName(rec_, 1, text); }), -1);
    EXPECT_EQ(WithFault("hapiResWordName", 3, [&] { return khRecGetResSyntaxName(rec_, 1, text); }), -1);
    EXPECT_EQ(WithFault("hapiResWordTimes", 1, [&] { return khRecGetWordTimes(rec_, 1, &t, &t); }), -1);
    EXPECT_EQ(WithFault("hapiResOutSym", 1, [&] { return khRecGetWordInfo(rec_, 1, text); }), -1);
    std::string log = Log();
    for (const char *message :
         {"RecGetNumWords: Error getting the word name", "khRecGetWords: Error retrieving the number of words",
          "khRecGetWords: Error getting results", "khRecGetWordName: Error accessing results",
          "khRecGetResSyntaxName: Error getting results", "khRecGetWordTimes: Error getting timing information",
          "khRecGetWordInfo: Error retrieving results"})
        EXPECT_TRUE(Contains(log, std::string("ERROR - ") + message + "\r\n\r\n")) << message;
    // Nothing was damaged.
    EXPECT_EQ(Words(rec_), "GO FORWARD TEN METERS");
}

TEST_F(RoadTest, StopFailures) {
    const struct {
        const char *engine_call;
        const char *message;
    } faults[] = {{"hapiSourceStop", "khRecDoPartSent: Error stopping the source"},
                  {"hapiRecRemaining", "khRecDoPartSent: Problem during recognition"},
                  {"hapiRecProcess", "khRecDoPartSent: Error processing the observations"}};
    for (const auto &f : faults) {
        KhRecogniser rec = khRecCreate();
        ASSERT_EQ(khRecPrepare(rec, go_, GoForward().c_str(), nullptr), 1);
        ASSERT_EQ(khRecDoPartSent(rec, 20), 1);
        ASSERT_EQ(hapiFaultInject(f.engine_call, 1), 0);
        EXPECT_EQ(khRecDoPartSent(rec, -1), -1) << f.engine_call;
        hapiFaultClear();
        EXPECT_TRUE(Contains(Log(), std::string("ERROR - ") + f.message + "\r\n\r\n")) << f.message;
        EXPECT_EQ(khRecDelete(rec), 1);
    }
}

TEST_F(LeakyRoadTest, AnExerciseThatCannotBeClearedStaysCurrent) {
    ASSERT_EQ(hapiFaultInject("hapiDeleteRecObject", 1), 0);
    EXPECT_EQ(khSysNewExercise("ENGLISH"), -1);
    hapiFaultClear();
    EXPECT_TRUE(Contains(Log(), "ERROR - khSysNewExercise: Error deleting previous exercise\r\n\r\n"));
    // The syntaxes went first; the recogniser that could not be freed is
    // no longer usable, and the exercise can be cleared again.
    EXPECT_EQ(khSyntaxReturn("GO"), nullptr);
    EXPECT_EQ(khSysNewExercise("ENGLISH"), 1);
}
