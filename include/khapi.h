/*
 * khapi.h - the public interface of libKHAPI1_1.
 *
 * A speech-recognition library for spoken exercises and pronunciation
 * training.  Start the system once with khSysInit, build named grammars
 * ("syntaxes") from BNF text, recognise one utterance at a time with a
 * recogniser, then read its words, times, scores and phones.
 *
 * Conventions:
 *  - Every call runs on the caller's thread.  Calls are serialised: the
 *    library may be called from several threads, but one call runs at a
 *    time and the others wait for it (a long recognition holds up the rest).
 *  - Integer calls answer 1 on success (or a count, 0 or more), -1 on
 *    failure.  Handle calls answer the handle, or null on failure.  Score
 *    calls answer KH_FLOAT_FAIL on failure.
 *  - When the configuration sets NOFUNCOPER, every call but khSysInit does
 *    nothing and answers its no-operation value: 0 for integer calls, the
 *    value 1 (no usable handle) for handle calls, 100.0 for scores, 2.0 for
 *    confidences.
 *  - Every call before a successful khSysInit fails.
 *  - Handles are opaque.  They stay valid until deleted or until the
 *    exercise changes (khSysNewExercise); stale handles are refused, and no
 *    handle is ever issued twice in the life of the process.
 *  - Output strings go into buffers owned by the caller, which carry no
 *    size: give at least KH_MAX_TEXT bytes.  They are emptied on entry, so a
 *    failure leaves them empty.  Input strings are only read during the
 *    call; the library keeps copies of what it needs.
 *  - The library owns every handle and frees what is behind it; the caller
 *    owns every buffer it passes.
 *  - Every failure is written to the log file (configuration key ERRORLOG,
 *    default "khapi.log") when the key DEBUG is ERROR or FULL.
 *  - Times are seconds.
 *  - Files named to the library must be regular files (a folder, a FIFO
 *    or a device is refused at once, never waited on).  A failure to get
 *    memory fails the call like any other ("NAME: Out of memory"); no call
 *    lets an exception reach the caller.
 */
#ifndef KHAPI_H
#define KHAPI_H

#ifdef __cplusplus
extern "C" {
#endif

/* Linkage and calling convention.  On Windows every function is __cdecl,
   named by KHAPI_CALL in each declaration, so that a caller compiled with
   another default convention (/Gz or /Gr on 32-bit) still calls it the
   way the DLL was built; 64-bit Windows has one convention only, which
   __cdecl names.  The exports are undecorated: "khSysInit" in the DLL.
   The library's own build defines KHAPI_BUILD and exports the functions
   from KHAPI1_1.dll; a caller imports them from it (through the import
   library libKHAPI1_1.dll.a, or a .lib made from KHAPI1_1.def). */
#if defined(_WIN32)
#define KHAPI_CALL __cdecl
#ifdef KHAPI_BUILD
#define KHAPI_API __declspec(dllexport)
#else
#define KHAPI_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define KHAPI_CALL
#define KHAPI_API __attribute__((visibility("default")))
#else
#define KHAPI_CALL
#define KHAPI_API
#endif

/* The version of this header: 1.1 (the library is KHAPI1_1). */
#define KHAPI_VERSION_MAJOR 1
#define KHAPI_VERSION_MINOR 1

/* The rate of the samples that khRecGetSamples returns and khRecSave
   writes, in samples a second, and the step between two frames (of the
   frame scores and the F0 track), in seconds. */
#define KH_SAMPLE_RATE 16000
#define KH_FRAME_STEP 0.01

/* Failure value of the score and confidence calls. */
#define KH_FLOAT_FAIL (-3.4028235e+38f)
/* Size that an output string buffer must have. */
#define KH_MAX_TEXT 1024

typedef void *KhSyntax;     /* opaque syntax handle */
typedef void *KhRecogniser; /* opaque recogniser handle */

/* ---- System ------------------------------------------------------------- */

/* Starts the system from a configuration file: reads the settings, loads
   the acoustic models (MODEL1, MODEL2, ...) and vocabularies (VOCAB1,
   VOCAB2, ...) and makes the vocabulary read last current.
     config_filename  the configuration file (read, not kept).
   Returns 1 on success; 0 when the configuration selects NOFUNCOPER; -1
   on failure (unreadable file, a model or dictionary that does not load).
   Once per process: a second call fails and clears the exercise under
   way. */
KHAPI_API int KHAPI_CALL khSysInit(const char *config_filename);

/* Ends the exercise under way (deletes its syntaxes and recognisers, whose
   handles become invalid) and makes the named vocabulary current.
     exercise_name  a vocabulary name of the configuration (VOCABn),
                    compared in upper case.
   Returns 1, or -1 (unknown name). */
KHAPI_API int KHAPI_CALL khSysNewExercise(const char *exercise_name);

/* ---- Syntaxes ------------------------------------------------------------- */

/* Creates a syntax in the current exercise.
     syntax_name       its name, stored in upper case; unique in the
                       exercise.
     lattice_filename  null for an empty syntax that options are then
                       added to; or a saved lattice file, whose lattice
                       and every sub-lattice in it become syntaxes.
   Returns the handle (owned by the library until deleted or the exercise
   changes), or null (bad or duplicate name, unreadable file). */
KHAPI_API KhSyntax KHAPI_CALL khSyntaxCreate(const char *syntax_name, const char *lattice_filename);

/* Finds a syntax of the current exercise.
     syntax_name  its name, in any case.
   Returns the handle, or null when there is none (which is logged). */
KHAPI_API KhSyntax KHAPI_CALL khSyntaxReturn(const char *syntax_name);

/* Deletes one syntax, leaving the syntaxes it includes.
     syntax  a syntax handle; invalid after success.
   Returns 1, or -1 (bad handle, or another syntax includes it). */
KHAPI_API int KHAPI_CALL khSyntaxDeleteShallow(KhSyntax syntax);

/* Deletes a syntax and every syntax it includes that nothing else
   includes.
     syntax  a syntax handle; it and the deleted ones are invalid after
             success.
   Returns 1, or -1 (bad handle, or another syntax includes it). */
KHAPI_API int KHAPI_CALL khSyntaxDeleteDeep(KhSyntax syntax);

/* Adds one option and re-enables every disabled option first.
     syntax      a syntax handle.
     bnf_string  the option in BNF: words, [optional], <one or more>,
                 {zero or more}, (group), a | b, and $NAME to include
                 another syntax of the exercise.  Every word must be in
                 the dictionaries.
   Returns 1, or -1 (bad handle, malformed BNF, unknown word or syntax;
   the log says which). */
KHAPI_API int KHAPI_CALL khSyntaxAddOption(KhSyntax syntax, const char *bnf_string);

/* Switches off the option whose path spells the sentence.
     syntax    a syntax handle.
     sentence  the words of one path through the syntax.
   Returns 1, or -1 (no such path, or it is the last enabled option). */
KHAPI_API int KHAPI_CALL khSyntaxDisableOption(KhSyntax syntax, const char *sentence);

/* Re-enables disabled options, the most recent first.
     syntax             a syntax handle.
     number_of_enables  0: all; n > 0: that many; n < 0: none.
   Returns 1, or -1 (bad handle, or fewer than n were disabled: those are
   re-enabled all the same). */
KHAPI_API int KHAPI_CALL khSyntaxReEnableOptions(KhSyntax syntax, int number_of_enables);

/* ---- Recognisers ------------------------------------------------------------ */

/* Creates an idle recogniser on the current vocabulary's model.
   Returns the handle (owned by the library until khRecDelete or the
   exercise changes), or null. */
KHAPI_API KhRecogniser KHAPI_CALL khRecCreate(void);

/* Deletes a recogniser in any status.
     rec  a recogniser handle; invalid after success.
   Returns 1 or -1. */
KHAPI_API int KHAPI_CALL khRecDelete(KhRecogniser rec);

/* Prepares an idle recogniser for one utterance.
     rec           an idle recogniser.
     syntax        the syntax to recognise.
     wav_filename  a waveform file (WAV, AIFF, FLAC, ...; a name ending in
                   .raw is headerless 16-bit mono at the model's rate), or
                   null for the live input.
     map_filename  must be null.
   Returns 1, or -1 (bad handle, recogniser not idle, unreadable file). */
KHAPI_API int KHAPI_CALL khRecPrepare(KhRecogniser rec, KhSyntax syntax, const char *wav_filename,
                           const char *map_filename);

/* Recognises the whole utterance of a prepared recogniser; returns when it
   is complete (for the live input: after the silence set by
   khRecSetPauseLength).
     rec  a prepared recogniser.
   Returns 1, or -1. */
KHAPI_API int KHAPI_CALL khRecDoWholeSent(KhRecogniser rec);

/* Recognises step by step.
     rec               a prepared or processing recogniser.
     number_of_frames  at most this many further frames; -1 stops now.
   Returns 1 while the utterance goes on, 0 when it is complete, -1 on
   failure. */
KHAPI_API int KHAPI_CALL khRecDoPartSent(KhRecogniser rec, int number_of_frames);

/* Ends a completed recognition, clearing its result, so that the
   recogniser can be prepared again.
     rec  a recogniser whose recognition is complete.
   Returns 1, or -1 (bad handle or status). */
KHAPI_API int KHAPI_CALL khRecFinalise(KhRecogniser rec);

/* Sets the silence that ends a live utterance.  Meant for an idle
   recogniser; in any other status it logs a warning, keeps the status and
   applies the setting to the utterance held: a prepared or running one
   goes on from its first frame, a completed one is recognised again, so
   its results are those of the new setting.
     rec          a recogniser.
     pause_value  "SHORT", "MEDIUM" or "LONG" (any case).
   Returns 1, or -1 (bad handle or name; or the engine failed, and then
   the utterance held is ended, the recogniser idle). */
KHAPI_API int KHAPI_CALL khRecSetPauseLength(KhRecogniser rec, const char *pause_value);

/* Sets the search effort, in any status as khRecSetPauseLength does.
     rec          a recogniser.
     speed_value  "SPEEDBIAS", "NORMAL" or "ACCBIAS" (any case).
   Returns 1, or -1, as khRecSetPauseLength. */
KHAPI_API int KHAPI_CALL khRecSetOptimisation(KhRecogniser rec, const char *speed_value);

/* Keeps alternatives for khRecGetNextBest from the next preparation on.
     rec  an idle recogniser.
   Returns 1, or -1. */
KHAPI_API int KHAPI_CALL khRecActivateNBest(KhRecogniser rec);

/* ---- Word results ------------------------------------------------------------ */
/* Every query takes a recogniser whose recognition is complete or under
   way (khRecDoPartSent): results are those of the step under way, else of
   the completed recognition.  Word indices count from 1; a negative index
   k stands for k + n + 1 (-1 is the last word).  Output strings go into
   caller-owned buffers of at least KH_MAX_TEXT bytes, emptied on entry. */

/* The recognised words.
     rec             a recogniser.
     results_string  receives the words separated by blanks; may be null to
                     ask only for the count.
   Returns the number of words (0 or more), or -1. */
KHAPI_API int KHAPI_CALL khRecGetWords(KhRecogniser rec, char *results_string);

/* One word's name.
     rec         a recogniser.
     word_index  the word.
     word_name   receives the name.
   Returns 1, or -1 (bad index). */
KHAPI_API int KHAPI_CALL khRecGetWordName(KhRecogniser rec, int word_index, char *word_name);

/* The name of the syntax a word came from.
     rec          a recogniser.
     word_index   the word.
     sublat_name  receives the syntax's name (upper case).
   Returns 1, or -1. */
KHAPI_API int KHAPI_CALL khRecGetResSyntaxName(KhRecogniser rec, int word_index, char *sublat_name);

/* A word's start and end, in seconds from the start of the utterance.
     rec         a recogniser.
     word_index  the word.
     start_time  receives the start; may be null.
     end_time    receives the end; may be null.
   Returns 1, 0 when both pointers are null, or -1. */
KHAPI_API int KHAPI_CALL khRecGetWordTimes(KhRecogniser rec, int word_index, double *start_time,
                                double *end_time);

/* The output symbol of a word's recognised pronunciation.
     rec                 a recogniser.
     word_index          the word; here a negative index k stands for
                         k + n (-1 is the next-to-last word).
     pronunciation_info  receives the symbol.
   Returns 1, or -1. */
KHAPI_API int KHAPI_CALL khRecGetWordInfo(KhRecogniser rec, int word_index, char *pronunciation_info);

/* The next alternative word sequence for words start..end (after
   khRecActivateNBest; each call moves to the next one).
     rec               a completed recogniser.
     start_index       the first word of the stretch.
     end_index         the last word of the stretch.
     next_best_string  receives the alternative's words separated by blanks.
   Returns 1, 0 when there is no further alternative, or -1. */
KHAPI_API int KHAPI_CALL khRecGetNextBest(KhRecogniser rec, int start_index, int end_index,
                               char *next_best_string);

/* Acoustic score per frame of words start..end: the natural-log
   likelihood against the best state of each frame (0 best, about -0.5 to
   -3 for well-spoken words).
   Returns the score, or KH_FLOAT_FAIL (bad handle, status or index). */
KHAPI_API float KHAPI_CALL khRecGetWordScore(KhRecogniser rec, int start_index, int end_index);

/* Mean confidence of words start..end, from 0 (surely wrong) to 1 (surely
   right).
   Returns the confidence, or KH_FLOAT_FAIL. */
KHAPI_API float KHAPI_CALL khRecGetWordConf(KhRecogniser rec, int start_index, int end_index);

/* ---- Phone results (completed recognitions only) ------------------------------ */
/* Phones are those of the word's recognised pronunciation.  Word indices
   as above; phone indices count from 1 within the word, negative ones
   from its end (-1 is the last phone). */

/* One phone.
     rec          a completed recogniser.
     word_index   the word.
     phone_index  the phone within the word.
     phone_name   receives the phone's name (KH_MAX_TEXT bytes); may be
                  null.
   Returns the phone's identifier in the model (> 0), or -1. */
KHAPI_API int KHAPI_CALL khRecGetPhone(KhRecogniser rec, int word_index, int phone_index, char *phone_name);

/* A word's phones.
     rec           a completed recogniser.
     word_index    the word.
     phone_string  receives the phones separated by blanks (KH_MAX_TEXT
                   bytes).
   Returns the number of phones, or -1. */
KHAPI_API int KHAPI_CALL khRecGetPhones(KhRecogniser rec, int word_index, char *phone_string);

/* A phone's start and end, in seconds from the start of the utterance.
     rec          a completed recogniser.
     word_index   the word.
     phone_index  the phone within the word.
     start_time   receives the start; may be null.
     end_time     receives the end; may be null.
   Returns 1, 0 when both pointers are null, or -1. */
KHAPI_API int KHAPI_CALL khRecGetPhoneTimes(KhRecogniser rec, int word_index, int phone_index,
                                 double *start_time, double *end_time);

/* Acoustic score per frame of phones start..end of a word (as for
   khRecGetWordScore).
   Returns the score, or KH_FLOAT_FAIL. */
KHAPI_API float KHAPI_CALL khRecGetPhoneScore(KhRecogniser rec, int word_index, int start_index,
                                   int end_index);

/* Confidence of phones start..end of a word, 0 to 1, where the library
   computes phone confidences (configuration key PHONECONF).
   Returns the confidence, or KH_FLOAT_FAIL (none computed, or failure). */
KHAPI_API float KHAPI_CALL khRecGetPhoneConf(KhRecogniser rec, int word_index, int start_index,
                                  int end_index);

/* ---- Speech audio --------------------------------------------------------------- */

/* The 16-bit samples of the last utterance or of a waveform file, in two
   calls: with samples null the count n is returned; then a caller-owned
   buffer of n shorts is filled.
     rec           a recogniser (complete, for the last utterance).
     wav_filename  a waveform file, or null for the recogniser's last
                   utterance (at the model's rate, 16000 Hz for the
                   packaged model).
     samples       null, or a buffer of at least the count.
   Returns the count n, 0 when there are no samples, or -1; -1 too when the
   count the size call gave for the same file (or utterance) no longer
   holds, as for a file still being written: nothing is then written. */
KHAPI_API int KHAPI_CALL khSysGetSpeech(KhRecogniser rec, const char *wav_filename, short *samples);

/* The F0 track of the last utterance or of a file, one value a frame of
   the model (10 ms for the packaged model): Hz, 0 where unvoiced.  Two
   calls as for khSysGetSpeech.
     rec           a recogniser.
     wav_filename  a waveform file, or null for the last utterance.
     track         null, or a buffer of at least the count floats.
   Returns the count, 0, or -1 (also as for khSysGetSpeech). */
KHAPI_API int KHAPI_CALL khSysGetF0Track(KhRecogniser rec, const char *wav_filename, float *track);

/* Writes the last utterance to a waveform file (16-bit mono WAV).
     rec            a recogniser whose recognition is complete.
     save_filename  the file to write, replaced whole or not at all (a
                    file it would replace is kept when writing fails).
   Returns 1, or -1. */
KHAPI_API int KHAPI_CALL khRecSaveSpeech(KhRecogniser rec, const char *save_filename);

/* Plays a waveform file on the sound card; returns when it has played.
     filename  the file.
   Returns 1, 0 for a file without samples, or -1. */
KHAPI_API int KHAPI_CALL khSysPlayPrompt(const char *filename);

/* Plays part of the last utterance; returns when it has played.
     rec         a recogniser whose recognition is complete.
     start_time  seconds from the start of the utterance.
     end_time    seconds, or -1.0 for the end of the utterance.
   Returns the number of samples played, or -1. */
KHAPI_API int KHAPI_CALL khRecPlayUtterance(KhRecogniser rec, double start_time, double end_time);

/* Measures the live input.
     levels  null, to ask only whether a calibration is needed; or a
             caller-owned array of 4 floats that receives the mean speech
             level (dB), the background level (dB), the signal-to-noise
             ratio (dB) and the peak-to-peak amplitude.
   Returns, with levels null, 1 when a calibration is needed and 0 when
   not; with levels, 1; -1 on failure (no input). */
KHAPI_API int KHAPI_CALL khSysCalibrateSpeech(float *levels);

#ifdef __cplusplus
}
#endif

#endif /* KHAPI_H */
