// The whole log at level FULL, byte for byte: one whole road on a file, and
// calls where the engine fails or has something to say.  The log holds the
// library's own lines only, and the engine's notes go to the file NOTELOG
// names.
#include <functional>
#include <utility>
#include <vector>

#include "recognition.h"

using namespace khtest;

namespace {

const std::string kRec = "Parameter 1 (recogniser ptr) is a non-NULL pointer";
const std::string kSyn = "Parameter 1 (syntax ptr) is a non-NULL pointer";
const std::string kValid = "SysCheck: Valid recogniser";
const std::string kGo = "SysCheck: Valid syntax with name GO";
const std::string kOut = "Parameter 2 (results string) is a non-NULL pointer";
const std::string kOk = "Return value = 1";

std::string Lookup(const std::string &word) { return "Attempting to retrieve word " + word + " from system/user dictionary"; }

const std::string kPrepareLines = kRec + "\r\n  Parameter 2 (syntax ptr) is a non-NULL pointer\r\n"
                                  "  Parameter 3 (wav filename) is a NULL string\r\n"
                                  "  Parameter 4 (map filename) is a NULL string\r\n  " + kValid + "\r\n  " + kGo +
                                  "\r\n  " + Lookup("<s>");

// The trace of a start on the standard configuration.
std::string InitTrace() {
    return TraceOf("khSysInit", {"Parameter 1 (config filename) = test.conf", "Reading model information",
                                 "Reading model number 1 with name ENUS", "Loaded model ENUS",
                                 "Reading the vocab dictionaries", "Reading vocab number 1 with name ENGLISH",
                                 "Attempting to load the system dictionary", "Valid system dictionary returned",
                                 "Read vocab ENGLISH", kOk});
}

// An error line inside a call at level FULL.
std::string Error(const std::string &message) { return "ERROR - " + message + "\r\n\r\n"; }
// A call that failed: its entry, its lines, and no leaving line.
std::string Failed(const std::string &name, std::initializer_list<std::string> lines, const std::string &errors) {
    std::string out = name + ": Entering\r\n";
    for (const std::string &line : lines) out += "  " + line + "\r\n";
    return out + errors;
}

struct Row {
    const char *name;
    Stage stage;        // how far the recogniser has gone on the live input
    std::vector<std::pair<const char *, int>> faults;  // engine calls made to fail: name, nth call
    std::function<void(KhRecogniser, KhSyntax)> calls;
    std::string log;
    const char *note;  // what the engine said meanwhile
};

const Row kRows[] = {
    {"LiveStopEarly", kPrepared, {},
     [](KhRecogniser r, KhSyntax) {
         khRecDoPartSent(r, 20);
         khRecDoPartSent(r, -1);
     },
     TraceOf("khRecDoPartSent", {kRec, "Parameter 2 (number of frames) = 20", kValid, "Return value = 1"}) +
         TraceOf("khRecDoPartSent", {kRec, "Parameter 2 (number of frames) = -1", kValid, "Return value = 0"}),
     "hapiRecComplete: no path reached the end of the grammar"},
    {"CoderFault", kIdle, {{"hapiCoderPrepare", 1}}, [](KhRecogniser r, KhSyntax s) { khRecPrepare(r, s, nullptr, nullptr); },
     Failed("khRecPrepare", {kPrepareLines}, Error("khRecPrepare: Error preparing the coder")),
     "hapiCoderPrepare: injected fault"},
    // A failed count goes on: the string is still read, and stays empty.
    {"WordCountFault", kComplete, {{"hapiResWordName", 1}}, [](KhRecogniser r, KhSyntax) {
         char words[KH_MAX_TEXT];
         khRecGetWords(r, words);
     },
     Failed("khRecGetWords", {kRec, kOut, kValid},
            Error("RecGetNumWords: Error getting the word name") +
                Error("khRecGetWords: Error retrieving the number of words")) +
         "  Outstring is empty\r\n  Return value = -1\r\nkhRecGetWords: Leaving\r\n\r\n",
     "hapiResWordName: injected fault"},
    {"WordNamesAfterAFailedCount", kComplete, {{"hapiResWordName", 1}, {"hapiResAllWordNames", 2}},
     [](KhRecogniser r, KhSyntax) {
         char words[KH_MAX_TEXT];
         khRecGetWords(r, words);
     },
     Failed("khRecGetWords", {kRec, kOut, kValid},
            Error("RecGetNumWords: Error getting the word name") +
                Error("khRecGetWords: Error retrieving the number of words") +
                Error("khRecGetWords: Error getting results")),
     "hapiResAllWordNames: injected fault"},
};

class FullTrace : public RoadTest, public ::testing::WithParamInterface<Row> {
protected:
    std::string ExtraConfig() override { return "DEBUG = FULL\nNOTELOG = notes.log\nAUDIOIN = file:" + GoForward() + "\n"; }
};

}  // namespace

TEST_P(FullTrace, HoldsTheLibrarysLinesOnly) {
    const Row &row = GetParam();
    ASSERT_NO_FATAL_FAILURE(BringTo(row.stage, true));
    size_t start = Log().size();
    size_t noted = ReadFile("notes.log").size();
    for (auto [call, nth] : row.faults) { ASSERT_EQ(hapiFaultInject(call, nth), 0); }
    row.calls(rec_, go_);
    hapiFaultClear();
    EXPECT_EQ(Log().substr(start), row.log);
    EXPECT_TRUE(Contains(ReadFile("notes.log").substr(noted), std::string("hapi: ") + row.note));
}

INSTANTIATE_TEST_SUITE_P(Table, FullTrace, ::testing::ValuesIn(kRows), RowName());

// A background unit the model lacks (here the library's default name) is
// the engine's note; the start-up trace is as ever.
TEST(FullTraceOfInit, HoldsTheLibrarysLinesOnly) {
    Workspace ws;
    std::string config = StandardConfig("DEBUG = FULL\nNOTELOG = notes.log\n");
    config.replace(config.find("ENUSBKHMMNAME = SIL\n"), 20, "");
    ASSERT_EQ(InitWith(config), 1);
    EXPECT_EQ(Log(), InitTrace());
    EXPECT_TRUE(Contains(ReadFile("notes.log"), "hapi: background unit 'bckgrd' is not in the model"));
}

// Start, a syntax with one option, a recogniser prepared on a file, the
// whole utterance, its words, finalise, delete.
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
    std::string expected =
        InitTrace() +
        TraceOf("khSyntaxCreate", {"Parameter 1 (syntax name) = go", "Parameter 2 (lattice filename) is a NULL string",
                                   "Return value is a valid pointer"}) +
        TraceOf("khSyntaxAddOption", {kSyn, "Parameter 2 (bnf string) = go forward [ten] meters", kGo, Lookup("GO"),
                                      Lookup("FORWARD"), Lookup("TEN"), Lookup("METERS"), kOk}) +
        TraceOf("khRecCreate", {"No parameters passed", "Return value is a valid pointer"}) +
        TraceOf("khRecPrepare", {kRec, "Parameter 2 (syntax ptr) is a non-NULL pointer",
                                 "Parameter 3 (wav filename) = " + GoForward(),
                                 "Parameter 4 (map filename) is a NULL string", kValid, kGo, Lookup("<s>"), kOk}) +
        TraceOf("khRecDoWholeSent", {kRec, kValid, kOk}) +
        TraceOf("khRecGetWords", {kRec, kOut, kValid, "Outstring = GO FORWARD TEN METERS", "Return value = 4"}) +
        TraceOf("khRecFinalise", {kRec, kValid, kOk}) + TraceOf("khRecDelete", {kRec, kValid, kOk}) +
        TraceOf("khSyntaxDeleteShallow", {kSyn, kGo, kOk});
    EXPECT_EQ(Log(), expected);
}
