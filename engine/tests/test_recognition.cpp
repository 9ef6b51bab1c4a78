// test_recognition.cpp - recognising the packaged recordings end to end
// through the engine calls.
#include "rec_fixture.h"

hapiHMMSetObject RecognitionTest::hmms_ = nullptr;

namespace {

const std::vector<std::string> kGoForward = {"go", "forward", "ten", "meters"};

}  // namespace

TEST_F(RecognitionTest, WholeFileGivesTheWordsWithTimesScoresAndSilences) {
    hapiNetObject net = network(sequence(kGoForward));
    hapiSourceObject src = file_source(testdata("goforward.raw"));
    auto ws = recognise(src, net);
    EXPECT_EQ(names(ws), "<s> GO_T FORWARD_T TEN_T METERS_T <s>");
    ASSERT_EQ(ws.size(), 6u);
    // "go" starts after about 0.44 s of silence; the words follow each other.
    EXPECT_NEAR(ws[1].start, 0.44, 0.05);
    EXPECT_DOUBLE_EQ(ws[0].start, 0.0);
    EXPECT_DOUBLE_EQ(ws[0].end, ws[1].start);
    for (size_t i = 1; i < ws.size(); i++) {
        EXPECT_LT(ws[i].start, ws[i].end) << ws[i].name;
        EXPECT_GE(ws[i].start, ws[i - 1].end - 1e-9) << ws[i].name;
        EXPECT_LT(ws[i].ascore, 0.0) << ws[i].name;
        EXPECT_GT(ws[i].conf, 0.0) << ws[i].name;
        EXPECT_LE(ws[i].conf, 1.0) << ws[i].name;
    }
    EXPECT_EQ(ws[1].outsym, "/go/");
    EXPECT_EQ(ws[0].outsym, "");
    // The coder keeps every sample of the 16 kHz recording: 44580 of them.
    EXPECT_EQ(last_samples_, 44580);
}

TEST_F(RecognitionTest, TheSilenceAroundSpeechTakesTheNameOfTheGrammarsSilenceWord) {
    ASSERT_GT(hapiDictAddItem(dict_, "quiet", "SIL", nullptr), 0);
    hapiNetObject net = network(sequence(kGoForward), "quiet");
    hapiSourceObject src = file_source(testdata("goforward.raw"));
    EXPECT_EQ(names(recognise(src, net)), "quiet GO_T FORWARD_T TEN_T METERS_T quiet");
}

TEST_F(RecognitionTest, StepByStepGivesGrowingPartialResultsAndTheWholeFileResult) {
    hapiNetObject net = network(sequence(kGoForward));
    hapiSourceObject src = file_source(testdata("goforward.raw"));
    std::vector<int> interim;
    EXPECT_EQ(names(recognise(src, net, 7, &interim)), "<s> GO_T FORWARD_T TEN_T METERS_T <s>");
    // 278 frames in steps of 7; the partial result starts with the leading
    // silence alone and holds every word before the end.
    ASSERT_EQ(interim.size(), 40u);
    EXPECT_EQ(interim.front(), 1);
    EXPECT_GE(interim[interim.size() - 2], 5);
}

TEST_F(RecognitionTest, DisabledOptionIsNeverRecognised) {
    hapiLatObject l = choices({{"go"}, {"forward", "backward"}, {"ten"}, {"meters"}});
    const int go_forward = 2;  // the arcs in the order made: start -> go, go -> forward, ...
    ASSERT_EQ(hapiLatNodeWordId(l, hapiLatArcEnd(l, go_forward), 0), word("forward"));
    hapiSourceObject src = file_source(testdata("goforward.raw"));
    EXPECT_EQ(names(recognise(src, network(l))), "<s> GO_T FORWARD_T TEN_T METERS_T <s>");
    float disabled = -1000000.0f;
    hapiLatArcScore(l, go_forward, 1, &disabled);
    EXPECT_EQ(names(recognise(src, network(l))), "<s> GO_T BACKWARD_T TEN_T METERS_T <s>");
}

TEST_F(RecognitionTest, LoopOfNullNodesBuildsAndDecodes) {
    // {[go | forward | ten | meters]}: a null loop around an optional choice.
    hapiLatObject l = lattice("T");
    int s = hapiLatAddNode(l, 1, 0), in = hapiLatAddNode(l, 1, 0), out = hapiLatAddNode(l, 1, 0);
    int e = hapiLatAddNode(l, 1, 0);
    hapiLatAddArc(l, s, in);
    for (const auto &w : kGoForward) {
        int n = hapiLatAddNode(l, word(w), 1);
        hapiLatAddArc(l, in, n);
        hapiLatAddArc(l, n, out);
    }
    hapiLatAddArc(l, in, out);  // the option may be skipped
    hapiLatAddArc(l, out, in);  // and repeated
    hapiLatAddArc(l, out, e);
    hapiLatFinalise(l, 0, 0);
    hapiNetObject net = network(l);
    hapiSourceObject src = file_source(testdata("goforward.raw"));
    EXPECT_EQ(names(recognise(src, net)), "<s> GO_T FORWARD_T TEN_T METERS_T <s>");
}

// {++G++} [go] {++G++} [forward] ... : each text word optional, and speech
// that is none of them taken by a garbage word of one phone a
// pronunciation, at a price, between and around them.
TEST_F(RecognitionTest, GarbageTakesOnlySpeechNoWordFitsAndIsOneWordPerStretch) {
    static const char *const kPhones[] = {"AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D", "DH", "EH", "ER", "EY",
                                          "F",  "G",  "HH", "IH", "IY", "JH", "K",  "L",  "M", "N",  "NG", "OW", "OY",
                                          "P",  "R",  "S",  "SH", "T",  "TH", "UH", "UW", "V", "W",  "Y",  "Z",  "ZH"};
    int garbage = 0;
    for (const char *p : kPhones) garbage = hapiDictAddItem(dict_, "++G++", p, nullptr);
    ASSERT_GT(garbage, 0);
    struct Case {
        const char *file;
        std::vector<std::string> text;
        std::string heard;
        double first_start;  // where the first word begins, after the silence
    } cases[] = {
        {"goforward.raw", kGoForward, "<s> GO_T FORWARD_T TEN_T METERS_T <s>", 0.44},
        {"goforward.raw", {"go", "forward", "meters"}, "<s> GO_T FORWARD_T ++G++ METERS_T <s>", 0.44},
        {"goforward.raw", {"stop"}, "<s> ++G++ <s>", 0.50},
        // Speech from 0.18 s: the garbage loops at the edges leave the
        // silence there free, as it is without them.
        {"cards/004.wav", {"five", "five"}, "<s> FIVE_T FIVE_T <s>", 0.18},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.heard);
        hapiSourceObject src = file_source(testdata(c.file));
        hapiLatObject l = lattice("T");
        int prev = hapiLatAddNode(l, 1, 0);
        auto slot = [&](int w) {
            // prev -> [w] -> next, skipping or repeating w when it is garbage.
            int n = hapiLatAddNode(l, w, 1), next = hapiLatAddNode(l, 1, 0);
            hapiLatAddArc(l, prev, n);
            hapiLatAddArc(l, n, next);
            hapiLatAddArc(l, prev, next);
            if (w == garbage) hapiLatAddArc(l, next, n);
            prev = next;
        };
        slot(garbage);
        for (const std::string &w : c.text) {
            slot(word(w));
            slot(garbage);
        }
        hapiLatAddArc(l, prev, hapiLatAddNode(l, 1, 0));
        hapiLatFinalise(l, 0, 0);
        hapiResObject res = final_result(src, network(l));
        std::vector<RecWord> ws = words_of(res);
        EXPECT_EQ(names(ws), c.heard);
        if (ws.size() > 1) {
            EXPECT_NEAR(ws[1].start, c.first_start, 0.05);
        }
        for (size_t i = 0; i < ws.size(); i++) {
            if (ws[i].name != "++G++") continue;
            // One result word holds the stretch's phones, one after another.
            int n = hapiResAllPhoneIds(res, static_cast<int>(i + 1), nullptr);
            EXPECT_GE(n, 2);
            double start, end, last = ws[i].start;
            for (int p = 0; p < n; p++) {
                ASSERT_EQ(hapiResPhoneTimes(res, static_cast<int>(i + 1), p, &start, &end), 0);
                EXPECT_NEAR(start, last, 1e-6);
                last = end;
            }
            EXPECT_NEAR(last, ws[i].end, 1e-6);
        }
        hapiDeleteResObject(res);
    }
}
