// results.h - the queries on the last recognition, after their frame.
#ifndef KH_RESULTS_RESULTS_H
#define KH_RESULTS_RESULTS_H

#include "rec/rec.h"

namespace kh {

int RecGetWords(RecogniserRecord *rec, char *out);
int RecGetWordName(RecogniserRecord *rec, int index, char *out);
int RecGetResSyntaxName(RecogniserRecord *rec, int index, char *out);
int RecGetWordTimes(RecogniserRecord *rec, int index, double *start, double *end);
int RecGetWordInfo(RecogniserRecord *rec, int index, char *out);
int RecGetNextBest(RecogniserRecord *rec, int start, int end, char *out);
float RecGetWordScore(RecogniserRecord *rec, int start, int end);
float RecGetWordConf(RecogniserRecord *rec, int start, int end);
int RecGetPhone(RecogniserRecord *rec, int word, int phone, char *out);
int RecGetPhones(RecogniserRecord *rec, int word, char *out);
// The phone the model hears on a phone's frames (PHONECONF set).
int RecGetPhoneHeard(RecogniserRecord *rec, int word, int phone, char *out);
int RecGetPhoneTimes(RecogniserRecord *rec, int word, int phone, double *start, double *end);
float RecGetPhoneScore(RecogniserRecord *rec, int word, int start, int end);
// Mean confidence of phones start..end of a word (PHONECONF set).
float RecGetPhoneConf(RecogniserRecord *rec, int word, int start, int end);

// khRecGetWordTimes and khRecGetPhoneTimes after their guard: the entry
// and parameter lines, the checks and the work.  The score queries run
// them as nested calls.
int RecGetWordTimesCall(const void *handle, int index, double *start, double *end);
int RecGetPhoneTimesCall(const void *handle, int word, int phone, double *start, double *end);

// The number of words the caller sees in the current result, or -1.
int RecGetNumWords(RecogniserRecord *rec);

}  // namespace kh

#endif  // KH_RESULTS_RESULTS_H
