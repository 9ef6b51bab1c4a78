// test_formats.cpp - recordings in every sample format, rate and channel
// layout they come in are heard as the 16 kHz 16-bit mono original.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "recognition.h"

namespace khtest {
namespace {

struct Timed {
    std::string word;
    double start, end;
};

// The words recognised in a file against a syntax, or why not.
std::vector<Timed> Recognise(KhSyntax syntax, const std::string &file, std::string *why) {
    std::vector<Timed> words;
    KhRecogniser rec = khRecCreate();
    if (khRecPrepare(rec, syntax, file.c_str(), nullptr) != 1 || khRecDoWholeSent(rec) != 1) {
        *why = "not recognised: " + Log();
        khRecDelete(rec);
        return words;
    }
    int n = khRecGetWords(rec, nullptr);
    for (int i = 1; i <= n; i++) {
        char name[KH_MAX_TEXT];
        Timed w;
        khRecGetWordName(rec, i, name);
        khRecGetWordTimes(rec, i, &w.start, &w.end);
        w.word = name;
        words.push_back(w);
    }
    khRecDelete(rec);
    return words;
}

constexpr int kWordsOnly = -1;

struct Format {
    const char *name;
    // How far word boundaries may move, in frames.  Only the words count
    // where the format itself has lost sound: telephone-band audio (8 kHz)
    // the hiss of a final /s/, and 8-bit samples of the quiet go-forward
    // recording (31 dB below full scale) everything below their noise,
    // some 20 dB down.
    int frames;
};

const Format kFormats[] = {
    {"u8", kWordsOnly}, {"ulaw", 1},        {"s24", 1}, {"s32", 1},     {"f32", 1},
    {"f64", 1},         {"8k", kWordsOnly}, {"22k", 1}, {"f32-44k", 1}, {"s24-48k-stereo", 1},
    {"right", 1},
};

struct Recording {
    const char *name;
    const char *grammar;
};
const Recording kRecordings[] = {
    {"cards",
     "(ACE | TWO | THREE | FOUR | FIVE | SIX | SEVEN | EIGHT | NINE | TEN | JACK | QUEEN | KING) [OF] "
     "(CLUBS | DIAMONDS | HEARTS | SPADES)"},
    {"goforward", kGoGrammar}};

class SampleFormats : public ::testing::TestWithParam<std::tuple<Recording, Format>> {};

TEST_P(SampleFormats, AreHeardAsTheOriginal) {
    auto [recording, format] = GetParam();
    Workspace ws;
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = ERROR\n")), 1);
    KhSyntax syntax = khSyntaxCreate("TEXT", nullptr);
    ASSERT_EQ(khSyntaxAddOption(syntax, recording.grammar), 1);
    std::string stem = std::string(KHAPI_BUILD_DIR) + "/data/formats/" + recording.name + "-";
    std::string why;
    std::vector<Timed> original = Recognise(syntax, stem + "original.wav", &why);
    ASSERT_FALSE(original.empty()) << why;
    ASSERT_TRUE(original[0].word == "TEN" || original[0].word == "GO") << original[0].word;
    std::vector<Timed> heard = Recognise(syntax, stem + format.name + ".wav", &why);
    ASSERT_EQ(heard.size(), original.size()) << why;
    double tolerance = (format.frames + 0.5) * 0.01;
    for (size_t i = 0; i < heard.size(); i++) {
        EXPECT_EQ(heard[i].word, original[i].word);
        if (format.frames == kWordsOnly) continue;
        EXPECT_NEAR(heard[i].start, original[i].start, tolerance) << heard[i].word;
        EXPECT_NEAR(heard[i].end, original[i].end, tolerance) << heard[i].word;
    }
}

std::string Name(const ::testing::TestParamInfo<SampleFormats::ParamType> &info) {
    std::string name = std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    for (char &c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Table, SampleFormats,
                         ::testing::Combine(::testing::ValuesIn(kRecordings), ::testing::ValuesIn(kFormats)), Name);

}  // namespace
}  // namespace khtest
