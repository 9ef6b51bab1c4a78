// test_phones.cpp - the phones of recognised words: names through the
// dictionary, times within the words, scores adding up to the words'.
#include "rec_fixture.h"

#include <cmath>
#include <tuple>

namespace {

struct PhoneInfo {
    std::string name;
    double start = 0.0, end = 0.0, score = 0.0;
};

class PhoneTest : public RecognitionTest {
protected:
    void SetUp() override {
        RecognitionTest::SetUp();
        net_ = network(sequence({"go", "forward", "ten", "meters"}));
        src_ = file_source(testdata("goforward.raw"));
        res_ = final_result(src_, net_);
    }
    void TearDown() override {
        hapiDeleteResObject(res_);
        RecognitionTest::TearDown();
    }

    std::vector<PhoneInfo> phones(hapiResObject res, int word) {
        std::vector<PhoneInfo> out;
        int n = hapiResAllPhoneIds(res, word, nullptr);
        EXPECT_GT(n, 0);
        std::vector<int> ids(n > 0 ? n : 0);
        EXPECT_EQ(hapiResAllPhoneIds(res, word, ids.data()), n);
        for (int i = 0; i < n; i++) {
            PhoneInfo p;
            int id = hapiResPhoneId(res, word, i);
            EXPECT_EQ(id, ids[i]);
            char buf[HAPI_MAX_NAME] = "";
            EXPECT_GT(hapiDictPhoneName(dict_, id, buf), 0);
            p.name = buf;
            EXPECT_EQ(hapiResPhoneTimes(res, word, i, &p.start, &p.end), 0);
            p.score = hapiResPhoneScore(res, word, i, HAPI_ACOUSTIC_SCORE);
            EXPECT_NE(p.score, HAPI_FLOAT_FAIL);
            out.push_back(p);
        }
        return out;
    }

    hapiNetObject net_ = nullptr;
    hapiSourceObject src_ = nullptr;
    hapiResObject res_ = nullptr;
};

}  // namespace

TEST_F(PhoneTest, WordsGiveTheirPronunciationsPhoneByPhone) {
    ASSERT_EQ(hapiResAllWordNames(res_, nullptr), 6);
    std::string all;
    for (int w = 1; w <= 6; w++) {
        for (const PhoneInfo &p : phones(res_, w)) all += p.name + " ";
        all += "| ";
    }
    EXPECT_EQ(all, "SIL | G OW | F AO R W ER D | T EH N | M IY T ER Z | SIL | ");
}

// Also when the grammar puts a silence word between words, whose silence
// may be left to the decoder.
TEST_F(PhoneTest, PhonesTileTheirWordInOrderEachWithItsOwnScore) {
    hapiResObject with_silence = final_result(src_, network(sequence({"go", "<s>", "forward", "ten", "meters"})));
    EXPECT_GE(hapiResAllWordNames(with_silence, nullptr), 6);
    int phones_seen = 0, confident = 0;
    for (hapiResObject res : {res_, with_silence}) {
        for (int w = 1; w <= hapiResAllWordNames(res, nullptr); w++) {
            double ws, we;
            ASSERT_EQ(hapiResWordTimes(res, w, &ws, &we), 0);
            auto ps = phones(res, w);
            ASSERT_FALSE(ps.empty());
            EXPECT_DOUBLE_EQ(ps.front().start, ws) << w;
            EXPECT_DOUBLE_EQ(ps.back().end, we) << w;
            for (size_t i = 0; i < ps.size(); i++) {
                if (i > 0) {
                    EXPECT_DOUBLE_EQ(ps[i].start, ps[i - 1].end) << w << " " << i;
                }
                EXPECT_GT(ps[i].end, ps[i].start) << w << " " << ps[i].name;
                EXPECT_LE(ps[i].score, 0.0);
                double conf = hapiResPhoneScore(res, w, static_cast<int>(i), HAPI_CONFIDENCE_SCORE);
                EXPECT_GE(conf, 0.0) << w << " " << ps[i].name;
                EXPECT_LE(conf, 1.0) << w << " " << ps[i].name;
                phones_seen++;
                confident += conf > 0.5;
            }
        }
    }
    hapiDeleteResObject(with_silence);
    // The speaker says these words clearly; a few phones (the flapped T of
    // "meters") fit their own states poorly.
    EXPECT_GE(confident * 4, phones_seen * 3) << confident << " of " << phones_seen;
}

// The phone heard is the phone meant where the speaker said it, the flap
// of "meters" as a T, and the phone really said where the text has
// another.
TEST_F(PhoneTest, EachPhoneIsHeardAsWhatWasSaid) {
    struct Case {
        std::vector<std::string> text;
        int word, phone;
        const char *heard;
    };
    const Case cases[] = {
        {{"go", "forward", "ten", "meters"}, 5, 2, "T"},
        {{"go", "forward", "pen", "meters"}, 4, 0, "T"},
        {{"no", "forward", "ten", "meters"}, 2, 0, "G"},
        {{"go", "forward", "tin", "meters"}, 4, 1, "EH"},
    };
    for (const Case &c : cases) {
        hapiResObject res = final_result(src_, network(sequence(c.text)));
        char heard[HAPI_PHONE_NAME_MAX] = "";
        EXPECT_EQ(hapiResPhoneHeard(res, c.word, c.phone, heard), 0) << c.text[0];
        EXPECT_STREQ(heard, c.heard) << c.text[c.word - 2];
        int same = 0, phones = 0;
        for (int w = 1; w <= hapiResAllWordNames(res, nullptr); w++)
            for (int p = 0; p < hapiResAllPhoneIds(res, w, nullptr); p++, phones++) {
                char name[HAPI_MAX_NAME] = "";
                hapiDictPhoneName(dict_, hapiResPhoneId(res, w, p), name);
                same += hapiResPhoneHeard(res, w, p, heard) == 0 && std::string(heard) == name;
            }
        // Every other phone is heard as itself.
        EXPECT_EQ(same, phones - (c.text[0] == "go" && c.text[2] == "ten" ? 0 : 1)) << c.text[0];
        hapiDeleteResObject(res);
    }
}

TEST_F(PhoneTest, WordsAndPhonesOutOfRangeFailCleanly) {
    double s = 0.0, e = 0.0;
    // GO has phones 0 and 1.
    std::vector<int> refused = {hapiResAllPhoneIds(res_, 0, nullptr),
                                hapiResAllPhoneIds(res_, 7, nullptr),
                                hapiResAllPhoneIds(nullptr, 1, nullptr),
                                hapiResPhoneId(res_, 2, -1),
                                hapiResPhoneId(res_, 2, 2),
                                hapiResPhoneTimes(res_, 2, 2, &s, &e),
                                hapiResPhoneTimes(res_, 0, 0, &s, nullptr)};
    EXPECT_EQ(refused, std::vector<int>(refused.size(), -1));
    const int acoustic = HAPI_ACOUSTIC_SCORE;
    for (auto [word, phone, kind] : {std::tuple{2, 2, acoustic}, {2, 0, 4}, {9, 0, acoustic}})
        EXPECT_EQ(hapiResPhoneScore(res_, word, phone, kind), HAPI_FLOAT_FAIL) << word << " " << phone << " " << kind;
    // Either time may be left out.
    EXPECT_EQ(hapiResPhoneTimes(res_, 2, 1, nullptr, &e), 0);
    EXPECT_EQ(hapiResPhoneTimes(res_, 2, 1, &s, nullptr), 0);
    EXPECT_LT(s, e);
    EXPECT_EQ(hapiResPhoneTimes(res_, 2, 1, nullptr, nullptr), 0);
}

TEST_F(PhoneTest, PartialResultsHaveNoPhonesAndClearedResultsNoWords) {
    hapiCoderObject coder = this->coder(src_);
    hapiRecObject rec = hapiCreateRecObject(HAPI_NETWORK_KIND, 1, hmms_, 0);
    ASSERT_EQ(hapiRecInitialise(rec), 0);
    hapiResObject part = hapiCreateResObject(rec, HAPI_INTERIM_RESULT);
    ASSERT_EQ(hapiCoderPrepare(coder), 0);
    ASSERT_EQ(hapiRecPrepare(rec, coder, net_), 0);
    ASSERT_GT(hapiRecProcess(rec, 150, part), 0);
    ASSERT_GE(hapiResAllWordNames(part, nullptr), 1);
    EXPECT_EQ(hapiResAllPhoneIds(part, 1, nullptr), -1);
    EXPECT_EQ(hapiRecComplete(rec, part), 0);
    EXPECT_EQ(hapiResAllPhoneIds(part, 1, nullptr), 1);
    EXPECT_EQ(hapiResClear(part), 0);
    EXPECT_EQ(hapiResAllPhoneIds(part, 1, nullptr), -1);
    hapiDeleteResObject(part);
    hapiDeleteRecObject(rec);
    hapiCoderComplete(coder);
}
