// assess.cpp - accuracies, error types, completeness and fluency.
#include "utterance/assess.h"
#include "utterance/native_durations.h"
#include "session/user_dict.h"
#include "session/weak_forms.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <strings.h>

namespace tool {

namespace {

double Clamp01(double x) { return std::min(1.0, std::max(0.0, x)); }

double Round1(double x) { return std::round(x * 10) / 10; }

// Less than one frame apart: one right after the other.
constexpr double kFrame = 0.011;

// Mean of the phones' accuracies when every phone has one, else the
// word's own confidence.
std::optional<double> WordAccuracy(const WordReport &word) {
    double sum = 0;
    bool all = !word.phones.empty();
    for (const PhoneReport &p : word.phones) {
        if (!p.accuracy) all = false;
        else sum += *p.accuracy;
    }
    if (all) return Round1(sum / static_cast<double>(word.phones.size()));
    if (word.confidence) return Round1(100 * Clamp01(*word.confidence));
    return std::nullopt;
}

bool IsVowel(const std::string &phone) { return !phone.empty() && strchr("AEIOU", phone[0]); }

// Whether phone i of a word, heard as another, is said as fluent speakers
// say it rather than wrong:
// - unstressed, AH and IH are said as whatever central vowel their
//   neighbours give (the vowel of "-ing" as the one of "-un", "to" as
//   "tuh"), though AH as AA ("cup", "cop") and IH as IY or EH ("sit",
//   "seat", "set") tell words apart;
// - W and Y are the onsets of vowels, and heard as one are no other
//   consonant (L and R heard as vowels are: that is how R said as L is
//   heard);
// - "-ing" is said "-in'".
bool NativeVariant(const std::vector<PhoneReport> &phones, size_t i) {
    static const std::map<std::string, std::set<std::string>> kReduced = {
        {"AH", {"AO", "OW", "ER", "UH", "IH"}},
        {"IH", {"AH", "ER", "OW", "UH"}},
    };
    const PhoneReport &p = phones[i];
    if (!p.heard) return false;
    auto it = kReduced.find(p.phone);
    if (it != kReduced.end() && it->second.count(*p.heard)) return true;
    if ((p.phone == "W" || p.phone == "Y") && IsVowel(*p.heard)) return true;
    return p.phone == "NG" && *p.heard == "N" && i + 1 == phones.size() && i > 0 && phones[i - 1].phone == "IH";
}

// A content word none of whose vowels is there on its frames was not
// said as written: its syllables are another word's (TEN read where the
// text has NINE keeps both Ns and loses the AY).  Function words lose
// their vowels in fluent speech.
bool NoVowelThere(const WordReport &word) {
    bool vowels = false;
    for (const PhoneReport &p : word.phones) {
        if (!IsVowel(p.phone)) continue;
        if (!p.accuracy || *p.accuracy >= kVowelThereFrom) return false;
        vowels = true;
    }
    return vowels;
}

// `onset`: the phone heard on a stretch of other speech, too short to be
// a word, that runs into the word's start, or null.  Such a stretch took
// the first phone's frames from a content word that begins otherwise (S
// where THINK has TH): the first phone is heard as it, and the word is
// mispronounced.  Function words run into their neighbours anyway, and
// a stretch heard as the first phone itself only drew it out.
void ScoreSpokenWord(WordReport *word, const std::optional<std::string> &onset = std::nullopt) {
    const bool weak = IsWeakWord(word->word);
    bool taken = onset && !weak && !word->phones.empty() && word->phones[0].phone != *onset;
    if (taken) word->phones[0].heard = *onset;
    for (PhoneReport &p : word->phones)
        if (p.confidence) p.accuracy = PhoneAccuracy(*p.confidence, weak);
    word->accuracy = WordAccuracy(*word);
    bool heard_wrong = false;
    for (size_t i = 0; i < word->phones.size(); i++)
        heard_wrong = heard_wrong || (word->phones[i].HeardAsOther() && !NativeVariant(word->phones, i));
    bool poor = (word->accuracy && *word->accuracy < kMispronouncedBelow) || (!weak && NoVowelThere(*word));
    word->error = heard_wrong || poor || taken ? "mispronounced" : "none";
}

// The phone heard last on a stretch of other speech.
std::string LastPhoneHeard(const WordReport &speech) {
    if (speech.phones.empty()) return "";
    const PhoneReport &p = speech.phones.back();
    return p.heard ? *p.heard : p.phone;
}

// Speech that is none of the text's words: it has its times and the
// phones heard there, but no accuracy.
WordReport InsertedSpeech(WordReport speech) {
    speech.word.clear();
    speech.error = "inserted";
    for (PhoneReport &p : speech.phones) {
        if (p.heard) p.phone = *p.heard;
        p.heard.reset();
        p.accuracy.reset();
    }
    return speech;
}

WordReport OmittedWord(const std::string &text_word) {
    WordReport word;
    word.word = text_word;
    word.spoken = false;
    word.accuracy = 0;
    word.error = "omitted";
    return word;
}

}  // namespace

double PhoneAccuracy(double confidence, bool weak_word) {
    return Round1(100 * Clamp01(confidence / (weak_word ? kWeakWordFullyAccurateFrom : kFullyAccurateFrom)));
}

std::optional<double> Fluency(const std::vector<WordReport> &heard) {
    double taken = 0, native = 0, unexpected = 0;
    const WordReport *last = nullptr;  // the last word of the text so far
    double inserted = 0;               // speech of no text word since it
    for (const WordReport &w : heard) {
        if (w.Inserted()) {
            inserted += w.end - w.start;
            continue;
        }
        taken += w.end - w.start;
        for (const PhoneReport &p : w.phones) native += NativeDuration(p.phone);
        // Speech of no text word between two of them breaks the reading, as
        // a hesitation or a word put in does; the rest of the gap is a pause.
        if (last) unexpected += inserted + std::max(0.0, w.start - last->end - inserted - kNaturalPause);
        last = &w;
        inserted = 0;
    }
    if (native <= 0 || taken <= 0) return std::nullopt;
    double pace = Clamp01((native / taken - kSlowPace) / (kFluentPace - kSlowPace));
    double pauses = 1 - Clamp01(unexpected / kPausesForNoFluency);
    return Round1(100 * pace * pauses);
}

void Assess(const std::vector<std::string> &text, Report *report) {
    std::vector<WordReport> recognised = std::move(report->words), words, spoken, timed;
    size_t next = 0;
    const WordReport *short_speech = nullptr;  // the stretch just before, too short to report
    for (WordReport &r : recognised) {
        const WordReport *before = short_speech;
        short_speech = nullptr;
        if (r.word == kGarbageWord) {
            if (r.end - r.start < kShortestInsertion) {
                short_speech = &r;
                continue;
            }
            words.push_back(InsertedSpeech(r));
            timed.push_back(words.back());
            continue;
        }
        // The grammar keeps the text's order, so the recognised words are
        // the text's words with some left out.
        size_t at = next;
        while (at < text.size() && strcasecmp(r.word.c_str(), text[at].c_str()) != 0) at++;
        if (at == text.size()) continue;  // none of the text's words: not from the text's syntax
        while (next < at) words.push_back(OmittedWord(text[next++]));
        next++;
        // Before the first word, such a stretch is a click or a breath.
        bool runs_in =
            before && !spoken.empty() && std::fabs(r.start - before->end) < kFrame && !LastPhoneHeard(*before).empty();
        ScoreSpokenWord(&r, runs_in ? std::optional<std::string>(LastPhoneHeard(*before)) : std::nullopt);
        spoken.push_back(r);
        timed.push_back(r);
        words.push_back(r);
    }
    while (next < text.size()) words.push_back(OmittedWord(text[next++]));
    report->words = std::move(words);

    Assessment a;
    double sum = 0;
    int scored = 0;
    for (const WordReport &w : spoken)
        if (w.accuracy) sum += *w.accuracy, scored++;
    if (scored > 0) a.accuracy = Round1(sum / scored);
    a.completeness =
        text.empty() ? 0 : Round1(100.0 * static_cast<double>(spoken.size()) / static_cast<double>(text.size()));
    a.fluency = spoken.empty() ? std::optional<double>(0) : Fluency(timed);
    report->assessment = a;
}

}  // namespace tool
