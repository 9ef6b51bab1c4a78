// scores.cpp - the acoustic score per frame and the mean confidence of a
// run of words.
#include <cmath>

#include "khapi.h"
#include "frame/trace.h"
#include "results/results_internal.h"
#include "results/results.h"

namespace kh {

namespace {

float Leave(const char *name, float value) {
    TraceReturnFloat(value);
    TraceLeave(name);
    return value;
}

// The start of word start and the end of word end, read through the
// query of word times as nested calls.
bool RangeTimes(RecogniserRecord *rec, int start, int end, double *from, double *to) {
    NestedCall nested;
    return RecGetWordTimesCall(rec, start, from, nullptr) >= 0 && RecGetWordTimesCall(rec, end, nullptr, to) >= 0;
}

}  // namespace

int RangeFrames(double from, double to, double advance) {
    return static_cast<int>(std::floor((to - from) / advance + 0.5));
}

float RecGetWordScore(RecogniserRecord *rec, int start, int end) {
    hapiResObject res = CurrentResult(rec);
    if (!res) return KH_FLOAT_FAIL;
    int n = RecGetNumWords(rec);
    if (n <= 0) return FloatFailure("khRecGetWordScore: No results available");
    int first = WordIndex(start, n), last = WordIndex(end, n);
    if (!first || !last) return FloatFailure("khRecGetWordScore: Invalid word index");
    if (first > last) return FloatFailure("khRecGetWordScore: Start index cannot be larger than end index");
    double from = 0, to = 0;
    if (!RangeTimes(rec, first, last, &from, &to)) return KH_FLOAT_FAIL;
    double advance = hapiCoderObservationWindowAdvance(rec->current_coder);
    if (advance == HAPI_FLOAT_FAIL || advance <= 0)
        return FloatFailure("khRecGetWordScore: Error finding length of observation advance");
    // The range in whole frames, short words and gaps included.
    int frames = RangeFrames(from, to, advance);
    if (frames < 1) return FloatFailure("khRecGetWordScore: Invalid time difference between words");
    double half = advance * 0.5;
    float sum = 0.0f;
    for (int w = first + 1; w <= last + 1; w++) {
        double s, e;
        if (hapiResWordTimes(res, w, &s, &e) < 0)
            return FloatFailure("khRecGetWordScore: Error retrieving start and end times");
        if (e - s < half) continue;
        double score = hapiResWordScore(res, w, HAPI_ACOUSTIC_SCORE);
        if (score == HAPI_FLOAT_FAIL) return FloatFailure("khRecGetWordScore: Error returning finding acoustic score");
        sum = static_cast<float>(sum + score);
    }
    return Leave("khRecGetWordScore", static_cast<float>(static_cast<double>(sum) / frames));
}

float RecGetWordConf(RecogniserRecord *rec, int start, int end) {
    hapiResObject res = CurrentResult(rec);
    if (!res) return KH_FLOAT_FAIL;
    int n = RecGetNumWords(rec);
    if (n <= 0) return FloatFailure("khRecGetWordConf: No results available");
    int first = WordIndex(start, n), last = WordIndex(end, n);
    if (!first) return FloatFailure("khRecGetWordConf: Invalid start word index");
    if (!last) return FloatFailure("khRecGetWordConf: Invalid end word index");
    if (first > last) return FloatFailure("khRecGetWordConf: Invalid word indices");
    double advance = hapiCoderObservationWindowAdvance(rec->current_coder);
    if (advance == HAPI_FLOAT_FAIL)
        return FloatFailure("khRecGetWordConf: Error finding length of observation advance");
    float sum = 0.0f;
    int count = last - first + 1;
    for (int w = first + 1; w <= last + 1; w++) {
        double s, e;
        if (hapiResWordTimes(res, w, &s, &e) < 0)
            return FloatFailure("khRecGetWordConf: Error retrieving start and end times");
        if (e - s < advance * 0.5) {
            count--;
            continue;
        }
        double conf = hapiResWordScore(res, w, HAPI_CONFIDENCE_SCORE);
        if (conf == HAPI_FLOAT_FAIL) return FloatFailure("khRecGetWordConf: Error getting confidence score");
        sum = static_cast<float>(sum + conf);
    }
    if (count == 0) return FloatFailure("khRecGetWordConf: All words have zero duration");
    return Leave("khRecGetWordConf", static_cast<float>(static_cast<double>(sum) / count));
}

}  // namespace kh
