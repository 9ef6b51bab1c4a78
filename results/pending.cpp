// pending.cpp - result queries whose work is not built yet.
#include "frame/pending.h"
#include "results/results.h"

namespace kh {

int RecGetNextBest(RecogniserRecord *, int, int, char *) { return Pending("khRecGetNextBest"); }
float RecGetWordScore(RecogniserRecord *, int, int) { return Pending("khRecGetWordScore"), kFloatFail; }
float RecGetWordConf(RecogniserRecord *, int, int) { return Pending("khRecGetWordConf"), kFloatFail; }
int RecGetPhone(RecogniserRecord *, int, int, char *) { return Pending("khRecGetPhone"); }
int RecGetPhones(RecogniserRecord *, int, char *) { return Pending("khRecGetPhones"); }
int RecGetPhoneTimes(RecogniserRecord *, int, int, double *, double *) { return Pending("khRecGetPhoneTimes"); }
float RecGetPhoneScore(RecogniserRecord *, int, int, int) { return Pending("khRecGetPhoneScore"), kFloatFail; }

}  // namespace kh
