// result_internal.h - the steps every result query shares.
#ifndef KH_RESULTS_RESULT_INTERNAL_H
#define KH_RESULTS_RESULT_INTERNAL_H

#include "rec/rec.h"

namespace kh {

// The interim result while processing, the final one when complete; else
// logs "SysError: No results available" and answers null.
hapiResObject CurrentResult(RecogniserRecord *rec);
// A caller's word index (negative counts from the end) as 1..n, or 0 when
// it is out of range.
int WordIndex(int index, int n);
// Copies the part of name after its first '_' into out; null (and nothing
// written) when there is none.
char *WordSyntaxName(const char *name, char *out);
// Writes the base names of count names, separated by single blanks and
// cut after the last whole name that fits a caller's buffer of kNameLen.
void JoinBaseNames(const char *const *names, int count, char *out);
// The number of whole frames between two times, rounded to the nearest:
// the divisor that makes a summed score a score per frame.
int RangeFrames(double from, double to, double advance);
// Reads the engine's name of a result word into a buffer of kNameLen.
bool ResultWordName(hapiResObject res, int engine_index, char *buf);

}  // namespace kh

#endif  // KH_RESULTS_RESULT_INTERNAL_H
