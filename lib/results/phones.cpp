// phones.cpp - the phones of one word of a completed recognition: their
// identifiers and names, times and acoustic scores.
#include <algorithm>
#include <string>
#include <vector>

#include "khapi.h"
#include "dict/dict.h"
#include "frame/trace.h"
#include "results/results_internal.h"
#include "results/results.h"

namespace kh {

namespace {

// The messages of the steps every phone query shares, by query.
struct PhoneMessages {
    const char *name;
    const char *no_phone_results;  // not REC_COMPLETE
    const char *no_words;          // no result words
    const char *bad_word;          // word index out of range
    const char *bad_phone_count;   // the engine gives no phone count
    const char *bad_phone;         // phone index out of range
};

const PhoneMessages kPhone = {"khRecGetPhone",
                              "khRecGetPhone: No phone level results available",
                              "khRecGetPhone: Error getting number of words",
                              "khRecGetPhone: Invalid word index",
                              "khRecGetPhone: Error getting phone ids",
                              "khRecGetPhone: Invalid phone index"};
const PhoneMessages kPhones = {"khRecGetPhones",
                               "khRecGetPhones: No phone level results available",
                               "khRecGetPhones: No results available",
                               "khRecGetPhones: Invalid word index",
                               "khRecGetPhones: Error getting phone ids",
                               nullptr};
const PhoneMessages kTimes = {"khRecGetPhoneTimes",
                              "khRecGetPhoneTimes: No phone level results available",
                              "khRecGetPhoneTimes: No results available",
                              "khRecGetPhoneTimes: Invalid word index",
                              "khRecGetPhonesTimes: Invalid number of phones in the results",
                              "khRecGetPhoneTimes: Invalid phone index"};
const PhoneMessages kScore = {"khRecGetPhoneScore",
                              "khRecGetPhoneScore: No phone level results available",
                              "khRecGetPhoneScore: No results available",
                              "khRecGetPhoneScore: Incorrect word index",
                              "khRecGetPhoneScore: number of phones in word invalid",
                              "khRecGetPhoneScore: Incorrect phone index"};
const PhoneMessages kConf = {"khRecGetPhoneConf",
                             "khRecGetPhoneConf: No phone level results available",
                             "khRecGetPhoneConf: No results available",
                             "khRecGetPhoneConf: Incorrect word index",
                             "khRecGetPhoneConf: number of phones in word invalid",
                             "khRecGetPhoneConf: Incorrect phone index"};
const PhoneMessages kHeard = {"khRecGetPhoneHeard",
                              "khRecGetPhoneHeard: No phone level results available",
                              "khRecGetPhoneHeard: Error getting number of words",
                              "khRecGetPhoneHeard: Invalid word index",
                              "khRecGetPhoneHeard: Error getting phone ids",
                              "khRecGetPhoneHeard: Invalid phone index"};

// What the shared steps found: the final result, the word (1..n) and the
// number of phones of the word.
struct PhoneWord {
    hapiResObject res = nullptr;
    int word = 0;
    int phones = 0;
};

// The shared steps: a completed recognition, a valid word index and the
// word's phone count.  False after logging the query's message; a phone
// count the engine does not give is left in phones.
bool OpenWord(RecogniserRecord *rec, int word_index, const PhoneMessages &m, bool zero_is_bad, PhoneWord *pw) {
    if (rec->status != REC_COMPLETE) return Failure(m.no_phone_results, false);
    pw->res = rec->final_result;
    int n = RecGetNumWords(rec);
    if (n <= 0) return Failure(m.no_words, false);
    pw->word = WordIndex(word_index, n);
    if (!pw->word) return Failure(m.bad_word, false);
    pw->phones = hapiResAllPhoneIds(pw->res, pw->word + 1, nullptr);
    if (pw->phones < 0 || (zero_is_bad && pw->phones == 0)) return Failure(m.bad_phone_count, false);
    return true;
}

int PhoneIndex(int index, const PhoneWord &pw) { return WordIndex(index, pw.phones); }

// The shared steps of the range queries, then phones first..last (from 1)
// of the word, in order.  False after logging.
bool OpenRange(RecogniserRecord *rec, int word_index, int start, int end, const PhoneMessages &m, PhoneWord *pw,
               int *first, int *last) {
    if (!OpenWord(rec, word_index, m, false, pw)) return false;
    *first = PhoneIndex(start, *pw);
    *last = PhoneIndex(end, *pw);
    if (!*first || !*last) return Failure(m.bad_phone, false);
    if (*first > *last) return Failure(Message("%s: Start index cannot be larger than the end index", m.name), false);
    return true;
}

// The name of a phone of the recogniser's exercise dictionary.
// The identifier of a phone named in the exercise dictionary's phone set;
// 0 when the set lacks it.
int PhoneId(RecogniserRecord *rec, const char *name) {
    std::vector<std::string> set = PhoneSet(rec->owner->exercise_dict);
    auto it = std::find(set.begin(), set.end(), name);
    return it == set.end() ? 0 : static_cast<int>(it - set.begin()) + 1;
}

bool PhoneName(RecogniserRecord *rec, int id, char *name) {
    int need = hapiDictPhoneName(rec->owner->exercise_dict, id, nullptr);
    return need > 0 && need <= kNameLen && hapiDictPhoneName(rec->owner->exercise_dict, id, name) > 0;
}

}  // namespace

int RecGetPhone(RecogniserRecord *rec, int word_index, int phone_index, char *out) {
    PhoneWord pw;
    // A word without phones answers its phone count (0, or the engine's
    // negative answer) rather than -1.
    if (!OpenWord(rec, word_index, kPhone, true, &pw)) return pw.word ? pw.phones : -1;
    int phone = PhoneIndex(phone_index, pw);
    if (!phone) return Failure(kPhone.bad_phone);
    int id = hapiResPhoneId(pw.res, pw.word + 1, phone - 1);
    if (id <= 0) return Failure("khRecGetPhone: Error retrieving phone id");
    if (out) {
        char name[kNameLen];
        if (!PhoneName(rec, id, name)) return Failure("khRecGetPhone: Error retrieving phone name");
        CopyText(out, kNameLen, name);
        TraceOutString(out);
    }
    return Success("khRecGetPhone", id);
}

int RecGetPhoneHeard(RecogniserRecord *rec, int word_index, int phone_index, char *out) {
    PhoneWord pw;
    if (!OpenWord(rec, word_index, kHeard, true, &pw)) return pw.word ? pw.phones : -1;
    int phone = PhoneIndex(phone_index, pw);
    if (!phone) return Failure(kHeard.bad_phone);
    char heard[HAPI_PHONE_NAME_MAX];
    if (hapiResPhoneHeard(pw.res, pw.word + 1, phone - 1, heard) < 0)
        return Failure("khRecGetPhoneHeard: Error retrieving the phone heard");
    int id = PhoneId(rec, heard);
    if (id <= 0) return Failure("khRecGetPhoneHeard: The phone heard is not in the dictionary's phone set");
    if (out) {
        CopyText(out, kNameLen, heard);
        TraceOutString(out);
    }
    return Success("khRecGetPhoneHeard", id);
}

int RecGetPhones(RecogniserRecord *rec, int word_index, char *out) {
    PhoneWord pw;
    if (!OpenWord(rec, word_index, kPhones, false, &pw)) return -1;
    if (pw.phones == 0) return Success("khRecGetPhones", 0);
    std::string phones;
    for (int i = 0; i < pw.phones; i++) {
        if (i > 0) phones += ' ';
        CopyText(out, kNameLen, phones.c_str());  // a failure leaves what was fetched so far
        int id = hapiResPhoneId(pw.res, pw.word + 1, i);
        if (id <= 0) return Failure("khRecGetPhones: Unable to get the phone id");
        char name[kNameLen];
        if (!PhoneName(rec, id, name)) return Failure("khRecGetPhones: Error retrieving phone name");
        phones += name;
    }
    CopyText(out, kNameLen, phones.c_str());
    TraceOutString(out);
    return Success("khRecGetPhones", pw.phones);
}

int RecGetPhoneTimesCall(const void *handle, int word, int phone, double *start, double *end) {
    TraceEnter("khRecGetPhoneTimes");
    TraceParamPointer(1, "recogniser ptr", handle);
    TraceParamInt(2, "word index", word);
    TraceParamInt(3, "phone index", phone);
    TraceParamPointer(4, "start time", start);
    TraceParamPointer(5, "end time", end);
    if (!start && !end) return Success("khRecGetPhoneTimes", 0);
    RecogniserRecord *rec = CheckRecogniser(handle);
    return rec ? RecGetPhoneTimes(rec, word, phone, start, end) : -1;
}

int RecGetPhoneTimes(RecogniserRecord *rec, int word_index, int phone_index, double *start, double *end) {
    PhoneWord pw;
    if (!OpenWord(rec, word_index, kTimes, false, &pw)) return -1;
    int phone = PhoneIndex(phone_index, pw);
    if (!phone) return Failure(kTimes.bad_phone);
    if (hapiResPhoneTimes(pw.res, pw.word + 1, phone - 1, start, end) < 0)
        return Failure("khRecGetPhoneTimes: Error getting timing information");
    return Success("khRecGetPhoneTimes", 1);
}

float RecGetPhoneScore(RecogniserRecord *rec, int word_index, int start, int end) {
    PhoneWord pw;
    int first = 0, last = 0;
    if (!OpenRange(rec, word_index, start, end, kScore, &pw, &first, &last)) return KH_FLOAT_FAIL;
    double from = 0, to = 0;
    {
        NestedCall nested;
        if (RecGetPhoneTimesCall(rec, pw.word, first, &from, nullptr) < 0) return KH_FLOAT_FAIL;
        if (RecGetPhoneTimesCall(rec, pw.word, last, nullptr, &to) < 0) return KH_FLOAT_FAIL;
    }
    double advance = hapiCoderObservationWindowAdvance(rec->current_coder);
    if (advance == HAPI_FLOAT_FAIL || advance <= 0)
        return FloatFailure("khRecGetPhoneScore: Unable to find the window advance time");
    int frames = RangeFrames(from, to, advance);
    if (frames < 1) return FloatFailure("khRecGetPhoneScore: Error retrieving phone score");
    float sum = 0.0f;
    for (int p = first; p <= last; p++) {
        double s, e;
        if (hapiResPhoneTimes(pw.res, pw.word + 1, p - 1, &s, &e) < 0)
            return FloatFailure("khRecGetPhoneScore: Error retrieving start and end times");
        if (e - s < advance * 0.5) continue;
        double score = hapiResPhoneScore(pw.res, pw.word + 1, p - 1, HAPI_ACOUSTIC_SCORE);
        if (score == HAPI_FLOAT_FAIL) return FloatFailure("khRecGetPhoneScore: Unable to retrieve the acoustic scores");
        sum = static_cast<float>(sum + score);
    }
    auto value = static_cast<float>(static_cast<double>(sum) / frames);
    TraceReturnFloat(value);
    TraceLeave("khRecGetPhoneScore");
    return value;
}

float RecGetPhoneConf(RecogniserRecord *rec, int word_index, int start, int end) {
    PhoneWord pw;
    int first = 0, last = 0;
    if (!OpenRange(rec, word_index, start, end, kConf, &pw, &first, &last)) return KH_FLOAT_FAIL;
    double sum = 0.0;
    for (int p = first; p <= last; p++) {
        double conf = hapiResPhoneScore(pw.res, pw.word + 1, p - 1, 5);
        if (conf == HAPI_FLOAT_FAIL) return FloatFailure("khRecGetPhoneConf: Unable to retrieve the phone confidences");
        sum += conf;
    }
    auto value = static_cast<float>(sum / (last - first + 1));
    TraceReturnFloat(value);
    TraceLeave("khRecGetPhoneConf");
    return value;
}

}  // namespace kh
