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
inline std::string GoForward() { return std::string(KHAPI_TESTDATA) + "/goforward.raw"; }
// A grammar that accepts the recording and its near misses.
constexpr const char *kGoGrammar = "GO (FORWARD | BACKWARD) (ONE | TWO | TEN) (METER | METERS)";

// The words a recogniser holds, or "<failed>".
inline std::string Words(KhRecogniser rec) {
    char text[KH_MAX_TEXT];
    return khRecGetWords(rec, text) < 0 ? "<failed>" : text;
}

// Prepares rec on the recording with the syntax, recognises it whole and
// answers its words, or where it stopped.
inline std::string RecogniseWhole(KhRecogniser rec, KhSyntax syntax) {
    if (khRecPrepare(rec, syntax, GoForward().c_str(), nullptr) != 1) return "<not prepared>";
    if (khRecDoWholeSent(rec) != 1) return "<not recognised>";
    return Words(rec);
}

// How far a recognition of the recording has gone.
enum Stage { kIdle, kPrepared, kUnderWay, kComplete };

// A started system with a recogniser and a syntax GO holding kGoGrammar.
class RoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(InitWith(StandardConfig("DEBUG = ERROR\n" + ExtraConfig())), 1);
        go_ = khSyntaxCreate("GO", nullptr);
        ASSERT_NE(go_, nullptr);
        ASSERT_EQ(khSyntaxAddOption(go_, kGoGrammar), 1);
        rec_ = khRecCreate();
        ASSERT_NE(rec_, nullptr);
    }
    // Takes the idle recogniser to the stage on the recording, or on the
    // live input.
    void BringTo(Stage stage, bool live = false) {
        if (stage >= kPrepared) {
            ASSERT_EQ(khRecPrepare(rec_, go_, live ? nullptr : GoForward().c_str(), nullptr), 1);
        }
        if (stage == kUnderWay) {
            ASSERT_EQ(khRecDoPartSent(rec_, 20), 1);
        }
        if (stage == kComplete) {
            ASSERT_EQ(khRecDoWholeSent(rec_), 1);
        }
    }
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
