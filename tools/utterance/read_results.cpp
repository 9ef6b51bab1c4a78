// read_results.cpp - reads one recognition's words, phones and audio through the
// public interface.
#include "utterance/read_results.h"

#include <sstream>

namespace tool {

std::optional<double> ScoreOrNone(float value) {
    if (value == KH_FLOAT_FAIL) return std::nullopt;
    return static_cast<double>(value);
}

namespace {

void ReadPhones(KhRecogniser rec, int w, WordReport *word) {
    char text[KH_MAX_TEXT];
    int n = khRecGetPhones(rec, w, text);
    if (n <= 0) return;
    std::istringstream names(text);
    for (int p = 1; p <= n; p++) {
        PhoneReport phone;
        if (!(names >> phone.phone)) break;
        if (khRecGetPhoneTimes(rec, w, p, &phone.start, &phone.end) != 1) continue;
        phone.score = ScoreOrNone(khRecGetPhoneScore(rec, w, p, p));
        phone.confidence = ScoreOrNone(khRecGetPhoneConf(rec, w, p, p));
        char heard[KH_MAX_TEXT];
        if (khRecGetPhoneHeard(rec, w, p, heard) > 0) phone.heard = heard;
        word->phones.push_back(phone);
    }
}

}  // namespace

bool ReadResult(KhRecogniser rec, Report *report, std::string *why) {
    int n = khRecGetWords(rec, nullptr);
    if (n < 0) return *why = "the library gave no word list (khRecGetWords)", false;
    for (int w = 1; w <= n; w++) {
        WordReport word;
        char text[KH_MAX_TEXT];
        if (khRecGetWordName(rec, w, text) != 1) return *why = "khRecGetWordName failed", false;
        word.word = text;
        if (khRecGetResSyntaxName(rec, w, text) == 1) word.syntax = text;
        if (khRecGetWordTimes(rec, w, &word.start, &word.end) != 1) return *why = "khRecGetWordTimes failed", false;
        word.score = ScoreOrNone(khRecGetWordScore(rec, w, w));
        word.confidence = ScoreOrNone(khRecGetWordConf(rec, w, w));
        ReadPhones(rec, w, &word);
        report->words.push_back(word);
    }
    return true;
}

void ReadNBest(KhRecogniser rec, int n, Report *report) {
    int words = khRecGetWords(rec, nullptr);
    if (words <= 0) return;
    char text[KH_MAX_TEXT];
    for (int i = 0; i < n && khRecGetNextBest(rec, 1, words, text) == 1; i++) report->nbest.push_back(text);
}

bool ReadAudio(KhRecogniser rec, bool f0, Report *report, std::string *why) {
    int n = khSysGetSpeech(rec, nullptr, nullptr);
    if (n < 0) return *why = "the library gave no samples (khSysGetSpeech)", false;
    report->samples.assign(static_cast<size_t>(n), 0);
    if (n > 0 && khSysGetSpeech(rec, nullptr, report->samples.data()) != n)
        return *why = "khSysGetSpeech failed", false;
    if (!f0) return true;
    int m = khSysGetF0Track(rec, nullptr, nullptr);
    if (m < 0) return *why = "the library gave no F0 track (khSysGetF0Track)", false;
    report->f0.assign(static_cast<size_t>(m), 0.0f);
    if (m > 0 && khSysGetF0Track(rec, nullptr, report->f0.data()) != m) return *why = "khSysGetF0Track failed", false;
    return true;
}

}  // namespace tool
