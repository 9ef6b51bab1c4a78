// fuzz_queries.h - what the recognition fuzz targets share: the packaged
// recording recognised against a fuzzed syntax, then every result query
// of the interface with indices inside and outside the result.
#ifndef KHAPI_FUZZ_FUZZ_QUERIES_H
#define KHAPI_FUZZ_FUZZ_QUERIES_H

#include <climits>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz_support.h"

namespace khfuzz {

// The first kSliceSamples of "go forward ten meters" ("go forward"), in
// the working folder: the whole recording against a fuzzed grammar takes
// several times as long, for little the queries would not meet anyway.
constexpr size_t kSliceSamples = 16000 * 3 / 2;

// Failures are logged (their messages carry fuzzed names and words) and
// phone confidences computed, so that every query has its answer to give.
constexpr const char *kRecognitionConfig = "DEBUG = ERROR\nPHONECONF = TRUE\n";

inline const char *Recording() {
    static const std::string name = [] {
        std::ifstream in(std::string(KHAPI_TESTDATA) + "/goforward.raw", std::ios::binary);
        std::string samples((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        WriteFile("slice.raw", samples.substr(0, kSliceSamples * 2));
        return std::string("slice.raw");
    }();
    return name.c_str();
}

// Indices around a count n (words of the result, or phones of a word):
// every one inside, from both ends, and the first ones outside.
inline std::vector<int> Around(int n) {
    std::vector<int> at{0, INT_MIN, INT_MAX, n + 1, -n - 1, -n - 2};
    for (int i = 1; i <= n; i++) {
        at.push_back(i);
        at.push_back(-i);
    }
    return at;
}

inline void PhoneQueries(KhRecogniser rec, int word) {
    char text[KH_MAX_TEXT];
    double start, end;
    int n = khRecGetPhones(rec, word, text);
    for (int p : Around(n > 0 ? n : 0)) {
        khRecGetPhone(rec, word, p, text);
        khRecGetPhone(rec, word, p, nullptr);
        khRecGetPhoneTimes(rec, word, p, &start, &end);
        khRecGetPhoneTimes(rec, word, p, nullptr, &end);
        khRecGetPhoneScore(rec, word, p, -1);
        khRecGetPhoneConf(rec, word, p, n);
        khRecGetPhoneScore(rec, word, 1, p);
        khRecGetPhoneConf(rec, word, p, p);
    }
}

inline void WordQueries(KhRecogniser rec, int n) {
    char text[KH_MAX_TEXT];
    double start, end;
    for (int w : Around(n)) {
        khRecGetWordName(rec, w, text);
        khRecGetResSyntaxName(rec, w, text);
        khRecGetWordTimes(rec, w, &start, &end);
        khRecGetWordTimes(rec, w, &start, nullptr);
        khRecGetWordTimes(rec, w, nullptr, nullptr);
        khRecGetWordInfo(rec, w, text);
        khRecGetWordScore(rec, w, w);
        khRecGetWordConf(rec, w, w);
        khRecGetWordScore(rec, 1, w);
        khRecGetWordConf(rec, w, -1);
        PhoneQueries(rec, w);
    }
}

// Each stretch asks for alternatives until there are none (or enough).
inline void NBestQueries(KhRecogniser rec, int n) {
    char text[KH_MAX_TEXT];
    for (auto [from, to] : {std::pair<int, int>{1, n}, {-1, -n}, {n, 1}, {0, n}, {1, n + 1}, {INT_MIN, INT_MAX}})
        for (int k = 0; k < 8 && khRecGetNextBest(rec, from, to, text) == 1; k++) {}
}

inline void AudioQueries(KhRecogniser rec) {
    int n = khSysGetSpeech(rec, nullptr, nullptr);
    std::vector<short> samples(static_cast<size_t>(n > 0 ? n : 0));
    if (n > 0) khSysGetSpeech(rec, nullptr, samples.data());
    n = khSysGetF0Track(rec, nullptr, nullptr);
    std::vector<float> track(static_cast<size_t>(n > 0 ? n : 0));
    if (n > 0) khSysGetF0Track(rec, nullptr, track.data());
}

// Recognises the recording against the syntax with alternatives kept,
// reads every result, and finalises and deletes the recogniser; the
// queries after finalising must fail.
inline void RecogniseAndQuery(KhSyntax syntax) {
    KhRecogniser rec = khRecCreate();
    if (!rec) return;
    khRecActivateNBest(rec);
    if (khRecPrepare(rec, syntax, Recording(), nullptr) == 1 && khRecDoWholeSent(rec) == 1) {
        char text[KH_MAX_TEXT];
        int n = khRecGetWords(rec, text);
        if (khRecGetWords(rec, nullptr) != n) __builtin_trap();
        WordQueries(rec, n > 0 ? n : 0);
        NBestQueries(rec, n > 0 ? n : 0);
        AudioQueries(rec);
        khRecFinalise(rec);
        if (khRecGetWords(rec, text) != -1 || text[0] != '\0') __builtin_trap();
    }
    khRecDelete(rec);
}

}  // namespace khfuzz

#endif  // KHAPI_FUZZ_FUZZ_QUERIES_H
