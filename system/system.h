// system.h - starting the system: models, vocabularies and the exercise.
#ifndef KH_SYSTEM_SYSTEM_H
#define KH_SYSTEM_SYSTEM_H

#include "frame/state.h"

namespace kh {

// The work of khSysInit.
int SysInit(const char *config_filename);

ModelRecord *LoadModel(const char *name);
ModelRecord *FindModel(const char *name);
VocabRecord *LoadVocab(const char *name);
VocabRecord *FindVocab(const char *name);

// Deletes every syntax and recogniser of the vocabulary and renews its
// exercise dictionary.  1, or -1 when something could not be deleted.
int ClearExercise(VocabRecord *vocab);

// The work of khSysNewExercise after its frame.
int SysNewExercise(const char *name);

}  // namespace kh

#endif  // KH_SYSTEM_SYSTEM_H
