// The log of one whole road at level FULL, byte for byte: start, a
// syntax with one option, a recogniser prepared on a file, the whole
// utterance, its words, finalise, delete.
#include "recognition.h"

using namespace khtest;

TEST(RoadLog, EveryLineOfOneUtteranceAtLevelFull) {
    Workspace ws;
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = FULL\n")), 1);
    KhSyntax syntax = khSyntaxCreate("go", nullptr);
    ASSERT_EQ(khSyntaxAddOption(syntax, "go forward [ten] meters"), 1);
    KhRecogniser rec = khRecCreate();
    ASSERT_EQ(khRecPrepare(rec, syntax, GoForward().c_str(), nullptr), 1);
    ASSERT_EQ(khRecDoWholeSent(rec), 1);
    char words[KH_MAX_TEXT];
    ASSERT_EQ(khRecGetWords(rec, words), 4);
    ASSERT_EQ(khRecFinalise(rec), 1);
    ASSERT_EQ(khRecDelete(rec), 1);
    ASSERT_EQ(khSyntaxDeleteShallow(syntax), 1);
    const std::string ptr = "Parameter 1 (recogniser ptr) is a non-NULL pointer";
    const std::string syn = "Parameter 1 (syntax ptr) is a non-NULL pointer";
    const std::string ok = "Return value = 1", valid = "SysCheck: Valid recogniser";
    const std::string go = "SysCheck: Valid syntax with name GO";
    auto lookup = [](const char *word) {
        return std::string("Attempting to retrieve word ") + word + " from system/user dictionary";
    };
    std::string expected =
        TraceOf("khSysInit", {"Parameter 1 (config filename) = test.conf", "Reading model information",
                              "Reading model number 1 with name ENUS", "Loaded model ENUS",
                              "Reading the vocab dictionaries", "Reading vocab number 1 with name ENGLISH",
                              "Attempting to load the system dictionary", "Valid system dictionary returned",
                              "Read vocab ENGLISH", ok}) +
        TraceOf("khSyntaxCreate", {"Parameter 1 (syntax name) = go", "Parameter 2 (lattice filename) is a NULL string",
                                   "Return value is a valid pointer"}) +
        TraceOf("khSyntaxAddOption", {syn, "Parameter 2 (bnf string) = go forward [ten] meters", go, lookup("GO"),
                                      lookup("FORWARD"), lookup("TEN"), lookup("METERS"), ok}) +
        TraceOf("khRecCreate", {"No parameters passed", "Return value is a valid pointer"}) +
        TraceOf("khRecPrepare", {ptr, "Parameter 2 (syntax ptr) is a non-NULL pointer",
                                 "Parameter 3 (wav filename) = " + GoForward(),
                                 "Parameter 4 (map filename) is a NULL string", valid, go, lookup("<s>"), ok}) +
        TraceOf("khRecDoWholeSent", {ptr, valid, ok}) +
        TraceOf("khRecGetWords", {ptr, "Parameter 2 (results string) is a non-NULL pointer", valid,
                                  "Outstring = GO FORWARD TEN METERS", "Return value = 4"}) +
        TraceOf("khRecFinalise", {ptr, valid, ok}) + TraceOf("khRecDelete", {ptr, valid, ok}) +
        TraceOf("khSyntaxDeleteShallow", {syn, go, ok});
    EXPECT_EQ(Log(), expected);
}
