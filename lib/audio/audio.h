// audio.h - the speech utilities, after their frame.
#ifndef KH_AUDIO_AUDIO_H
#define KH_AUDIO_AUDIO_H

#include "rec/rec.h"

namespace kh {

int SysGetSpeech(RecogniserRecord *rec, const char *wav, short *samples);
int SysGetF0Track(RecogniserRecord *rec, const char *wav, float *track);
int RecSaveSpeech(RecogniserRecord *rec, const char *filename);
int SysPlayPrompt(const char *filename);
int RecPlayUtterance(RecogniserRecord *rec, double start, double end);
int SysCalibrateSpeech(float *levels);

}  // namespace kh

#endif  // KH_AUDIO_AUDIO_H
