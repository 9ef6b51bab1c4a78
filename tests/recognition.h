// recognition.h - what the recognition tests share: the packaged
// recordings, a started system and small helpers around the exports.
#ifndef KHAPI_TESTS_RECOGNITION_H
#define KHAPI_TESTS_RECOGNITION_H

#include <string>

#include "engine/hapi.h"
#include "khapi.h"
#include "support.h"

namespace khtest {

// The packaged recording of "go forward ten meters" (16 kHz raw).
std::string GoForward();
// A grammar that accepts the recording and its near misses.
constexpr const char *kGoGrammar = "GO (FORWARD | BACKWARD) (ONE | TWO | TEN) (METER | METERS)";

// The words a recogniser holds, or "<failed>".
std::string Words(KhRecogniser rec);
// Prepares rec on the recording with the syntax, recognises it whole and
// answers its words, or where it stopped.
std::string RecogniseWhole(KhRecogniser rec, KhSyntax syntax);

// How far a recognition of the recording has gone.
enum Stage { kIdle, kPrepared, kUnderWay, kComplete };

// A started system with a recogniser and a syntax GO holding kGoGrammar.
class RoadTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Takes the idle recogniser to the stage on the recording.
    void BringTo(Stage stage);
    virtual std::string ExtraConfig() { return ""; }
    Workspace ws_;
    KhRecogniser rec_ = nullptr;
    KhSyntax go_ = nullptr;
};

// The same after the recording has been recognised whole.
class RecognisedTest : public RoadTest {
protected:
    void SetUp() override {
        RoadTest::SetUp();
        ASSERT_EQ(RecogniseWhole(rec_, go_), "GO FORWARD TEN METERS");
    }
};

// The same, for tests whose injected engine failures leave objects alive
// by design (see IgnoreLeaksFromHere).
class LeakyRoadTest : public RoadTest {
protected:
    void SetUp() override {
        IgnoreLeaksFromHere();
        RoadTest::SetUp();
    }
};

}  // namespace khtest

#endif  // KHAPI_TESTS_RECOGNITION_H
