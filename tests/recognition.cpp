// recognition.cpp - the shared helpers of the recognition tests.
#include "recognition.h"

namespace khtest {

std::string GoForward() { return std::string(KHAPI_TESTDATA) + "/goforward.raw"; }

std::string Words(KhRecogniser rec) {
    char text[KH_MAX_TEXT];
    return khRecGetWords(rec, text) < 0 ? "<failed>" : text;
}

void RoadTest::SetUp() {
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = ERROR\n" + ExtraConfig())), 1);
    go_ = khSyntaxCreate("GO", nullptr);
    ASSERT_NE(go_, nullptr);
    ASSERT_EQ(khSyntaxAddOption(go_, kGoGrammar), 1);
    rec_ = khRecCreate();
    ASSERT_NE(rec_, nullptr);
}

}  // namespace khtest
