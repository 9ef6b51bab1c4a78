// pending.cpp - speech utilities whose work is not built yet.
#include "audio/audio.h"
#include "frame/pending.h"

namespace kh {

int SysGetSpeech(RecogniserRecord *, const char *, short *) { return Pending("khSysGetSpeech"); }
int SysGetF0Track(RecogniserRecord *, const char *, float *) { return Pending("khSysGetF0Track"); }
int RecSaveSpeech(RecogniserRecord *, const char *) { return Pending("khRecSaveSpeech"); }
int SysPlayPrompt(const char *) { return Pending("khSysPlayPrompt"); }
int RecPlayUtterance(RecogniserRecord *, double, double) { return Pending("khRecPlayUtterance"); }
int SysCalibrateSpeech(float *) { return Pending("khSysCalibrateSpeech"); }

}  // namespace kh
