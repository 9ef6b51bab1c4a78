// recognition.cpp - the shared helpers of the recognition tests.
#include "recognition.h"

namespace khtest {

std::string GoForward() { return std::string(KHAPI_TESTDATA) + "/goforward.raw"; }

std::string Words(KhRecogniser rec) {
    char text[KH_MAX_TEXT];
    return khRecGetWords(rec, text) < 0 ? "<failed>" : text;
}

std::string RecogniseWhole(KhRecogniser rec, KhSyntax syntax) {
    if (khRecPrepare(rec, syntax, GoForward().c_str(), nullptr) != 1) return "<not prepared>";
    if (khRecDoWholeSent(rec) != 1) return "<not recognised>";
    return Words(rec);
}

void RoadTest::SetUp() {
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = ERROR\n" + ExtraConfig())), 1);
    go_ = khSyntaxCreate("GO", nullptr);
    ASSERT_NE(go_, nullptr);
    ASSERT_EQ(khSyntaxAddOption(go_, kGoGrammar), 1);
    rec_ = khRecCreate();
    ASSERT_NE(rec_, nullptr);
}

void RoadTest::BringTo(Stage stage) {
    if (stage >= kPrepared) { ASSERT_EQ(khRecPrepare(rec_, go_, GoForward().c_str(), nullptr), 1); }
    if (stage == kUnderWay) { ASSERT_EQ(khRecDoPartSent(rec_, 20), 1); }
    if (stage == kComplete) { ASSERT_EQ(khRecDoWholeSent(rec_), 1); }
}

}  // namespace khtest
