// exercise.h - ending the exercise under way.  It sits above the
// syntaxes and recognisers that it deletes.
#ifndef KH_EXERCISE_EXERCISE_H
#define KH_EXERCISE_EXERCISE_H

#include "frame/state.h"

namespace kh {

// Deletes every syntax and recogniser of the vocabulary and renews its
// exercise dictionary.  1, or -1 when something could not be deleted.
int ClearExercise(VocabRecord *vocab);

// The work of khSysNewExercise after its frame.
int SysNewExercise(const char *name);

// A second khSysInit: fails, but first clears the exercise under way.
int Reinitialise(const char *config_filename);

}  // namespace kh

#endif  // KH_EXERCISE_EXERCISE_H
