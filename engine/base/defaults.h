// defaults.h - every configuration key the engine reads, with what it
// takes when the configuration leaves the key out.  The keys are read
// where they are used; their defaults are written here only.
#ifndef ENGINE_BASE_DEFAULTS_H
#define ENGINE_BASE_DEFAULTS_H

namespace engine {

// The acoustic model: MMF, the model definition file (mdef) of a
// PocketSphinx model folder, and NAMEMMF that of a coder's model record
// NAME, which falls back to MMF; HMMLIST, the model's phone list; and
// BKHMMNAME, the background unit.  None is set by default.
constexpr const char *kDefaultMmf = "";
constexpr const char *kDefaultNamedMmf = "";
constexpr const char *kDefaultHmmlist = "";
constexpr const char *kDefaultBkhmmname = "";

// The sound card: AUDIOIN, what a live source listens to, and AUDIOOUT,
// what a play source plays on ("file:NAME" for a file instead).
constexpr const char *kDefaultAudioIn = "default";
constexpr const char *kDefaultAudioOut = "default";

// MAXFILETIME: the longest recording a file may hold, in seconds: far more
// than an exercise needs, and little enough that its samples and their
// features fit in memory.
constexpr float kDefaultMaxFileTime = 600.0f;

// The recogniser, as a recogniser is created: GENBEAM, the width of the
// decoder's main and phone beams; GOPTBEAM, of its word-exit beam;
// SILSEQCOUNT, the silent frames that end a live utterance; NBEST, the
// alternatives the recogniser keeps; NTOKS, its tokens, at least one;
// MAXUTTTIME, the longest utterance in seconds.
constexpr float kDefaultGenbeam = 150.0f;
constexpr float kDefaultGoptbeam = 25.0f;
constexpr int kDefaultSilseqcount = 100;
constexpr int kDefaultNbest = 1;
constexpr int kDefaultNtoks = 1;
constexpr float kDefaultMaxUttTime = 30.0f;

// NOTELOG, the file every complaint is copied to, has no default: unset,
// complaints go to the program only.

}  // namespace engine

#endif  // ENGINE_BASE_DEFAULTS_H
