// words.cpp - the recognised words: all of them as one string, or one at
// a time by index with its name, syntax, times and pronunciation symbol.
#include <vector>

#include "dict/dict.h"
#include "frame/trace.h"
#include "results/results_internal.h"
#include "results/results.h"

namespace kh {

namespace {

// The base names of engine words 2 to n + 1, blank-separated; none when
// n is not positive (the count failed).
int WordsString(hapiResObject res, int n, char *out) {
    int total = hapiResAllWordNames(res, nullptr);
    if (total < 0) return -1;
    std::vector<const char *> names(static_cast<size_t>(total) + 1, nullptr);
    if (hapiResAllWordNames(res, names.data()) < 0) return -1;
    int count = n < total - 1 ? n : total - 1;
    if (count > 0) JoinBaseNames(names.data() + 2, count, out);
    else out[0] = '\0';
    return 1;
}

}  // namespace

int RecGetWords(RecogniserRecord *rec, char *out) {
    hapiResObject res = CurrentResult(rec);
    if (!res) return -1;
    int n = RecGetNumWords(rec);
    // A failed count goes on as -1: the string is still read, and stays
    // empty.
    if (n < 0) {
        LogError("khRecGetWords: Error retrieving the number of words");
        n = -1;
    }
    if (!out || n == 0) return Success("khRecGetWords", n);
    if (WordsString(res, n, out) < 0) {
        out[0] = '\0';
        return Failure("khRecGetWords: Error getting results");
    }
    TraceOutString(out);
    return Success("khRecGetWords", n);
}

int RecGetWordName(RecogniserRecord *rec, int index, char *out) {
    hapiResObject res = CurrentResult(rec);
    if (!res) return -1;
    int n = RecGetNumWords(rec);
    if (n <= 0) return Failure("khRecGetWordName: No words available");
    int k = WordIndex(index, n);
    if (!k) return Failure("khRecGetWordName: Invalid word index");
    char name[kNameLen];
    if (!ResultWordName(res, k + 1, name)) return Failure("khRecGetWordName: Error accessing results");
    WordBaseName(name, out);
    TraceOutString(out);
    return Success("khRecGetWordName", 1);
}

int RecGetResSyntaxName(RecogniserRecord *rec, int index, char *out) {
    int n = RecGetNumWords(rec);
    if (n <= 0) return Failure("khRecGetResSyntaxName: No results available");
    int k = WordIndex(index, n);
    if (!k) return Failure("khRecGetResSyntaxName: Invalid word index");
    hapiResObject res = CurrentResult(rec);
    if (!res) return -1;
    char name[kNameLen];
    if (!ResultWordName(res, k + 1, name)) return Failure("khRecGetResSyntaxName: Error getting results");
    WordSyntaxName(name, out);
    TraceOutString(out);
    return Success("khRecGetResSyntaxName", 1);
}

int RecGetWordTimesCall(const void *handle, int index, double *start, double *end) {
    TraceEnter("khRecGetWordTimes");
    TraceParamPointer(1, "recogniser ptr", handle);
    TraceParamInt(2, "word index", index);
    TraceParamPointer(3, "start time", start);
    TraceParamPointer(4, "end time", end);
    if (!start && !end) return Success("khRecGetWordTimes", 0);
    RecogniserRecord *rec = CheckRecogniser(handle);
    return rec ? RecGetWordTimes(rec, index, start, end) : -1;
}

int RecGetWordTimes(RecogniserRecord *rec, int index, double *start, double *end) {
    int n = RecGetNumWords(rec);
    if (n <= 0) return Failure("khRecGetWordTimes: No results available");
    int k = WordIndex(index, n);
    if (!k) return Failure("khRecGetWordTimes: Invalid word index");
    hapiResObject res = CurrentResult(rec);
    if (!res) return -1;
    if (hapiResWordTimes(res, k + 1, start, end) < 0)
        return Failure("khRecGetWordTimes: Error getting timing information");
    return Success("khRecGetWordTimes", 1);
}

int RecGetWordInfo(RecogniserRecord *rec, int index, char *out) {
    hapiResObject res = CurrentResult(rec);
    if (!res) return -1;
    int n = RecGetNumWords(rec);
    if (n < 0) return Failure("khRecGetWordInfo: Unable to retrieve the number of words");
    // Here a negative index counts from the next-to-last word.
    long k = index < 0 ? static_cast<long>(index) + n : index;
    if (k < 1 || k > n) return Failure("khRecGetWordInfo: Invalid word index");
    int need = hapiResOutSym(res, static_cast<int>(k) + 1, nullptr);
    if (need < 0 || need > kNameLen || hapiResOutSym(res, static_cast<int>(k) + 1, out) < 0) {
        out[0] = '\0';
        return Failure("khRecGetWordInfo: Error retrieving results");
    }
    TraceOutString(out);
    return Success("khRecGetWordInfo", 1);
}

}  // namespace kh
