/*
 * khapi.h - the public interface of libKHAPI1_1.
 *
 * A speech-recognition library for spoken exercises and pronunciation
 * training.  Start the system once with khSysInit, build named grammars
 * ("syntaxes") from BNF text, recognise one utterance at a time with a
 * recogniser, then read its words, times, scores and phones.
 *
 * Conventions:
 *  - Every call runs on the caller's thread; call the library from one
 *    thread at a time.
 *  - Integer calls answer 1 on success (or a count, 0 or more), -1 on
 *    failure.  Handle calls answer the handle, or null on failure.  Score
 *    calls answer KH_FLOAT_FAIL on failure.
 *  - When the configuration sets NOFUNCOPER, every call but khSysInit does
 *    nothing and answers its no-operation value: 0 for integer calls, the
 *    value 1 (no usable handle) for handle calls, 100.0 for scores, 2.0 for
 *    confidences.
 *  - Every call before a successful khSysInit fails.
 *  - Handles are opaque.  They stay valid until deleted or until the
 *    exercise changes (khSysNewExercise); stale handles are refused.
 *  - Output strings go into buffers owned by the caller, which carry no
 *    size: give at least KH_MAX_TEXT bytes.  They are emptied on entry, so a
 *    failure leaves them empty.
 *  - Every failure is written to the log file (configuration key ERRORLOG,
 *    default "khapi.log") when the key DEBUG is ERROR or FULL.
 *  - Times are seconds.
 */
#ifndef KHAPI_H
#define KHAPI_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define KHAPI_API __declspec(dllexport)
#elif defined(__GNUC__)
#define KHAPI_API __attribute__((visibility("default")))
#else
#define KHAPI_API
#endif

/* Failure value of the score and confidence calls. */
#define KH_FLOAT_FAIL (-3.4028235e+38f)
/* Size that an output string buffer must have. */
#define KH_MAX_TEXT 1024

typedef void *KhSyntax;     /* opaque syntax handle */
typedef void *KhRecogniser; /* opaque recogniser handle */

/* ---- System ------------------------------------------------------------- */

/* Starts the system from a configuration file: reads the settings, loads
   the acoustic models (MODELn) and vocabularies (VOCABn) and makes the
   vocabulary read last current.  Once per process: a second call fails
   (and clears the exercise under way).  1, -1, or 0 when the configuration
   selects NOFUNCOPER. */
KHAPI_API int khSysInit(const char *config_filename);

/* Ends the exercise under way (deletes its syntaxes and recognisers) and
   makes the named vocabulary current (the name is compared in upper case).
   1 or -1. */
KHAPI_API int khSysNewExercise(const char *exercise_name);

/* ---- Syntaxes ------------------------------------------------------------- */

/* Creates a syntax; its name is stored in upper case.  With a null lattice
   file the syntax is empty until an option is added; with a file, the
   saved lattice and every sub-lattice in it become syntaxes.  The handle,
   or null (bad or duplicate name, unreadable file). */
KHAPI_API KhSyntax khSyntaxCreate(const char *syntax_name, const char *lattice_filename);

/* Finds a syntax of the current exercise by name (any case); null when
   there is none. */
KHAPI_API KhSyntax khSyntaxReturn(const char *syntax_name);

/* Deletes one syntax, leaving the syntaxes it includes.  Refused (-1)
   while another syntax includes it.  1 or -1. */
KHAPI_API int khSyntaxDeleteShallow(KhSyntax syntax);

/* Deletes a syntax and every syntax it includes that nothing else
   includes.  Refused (-1) while another syntax includes it.  1 or -1. */
KHAPI_API int khSyntaxDeleteDeep(KhSyntax syntax);

/* Adds one option written in BNF: words, [optional], <one or more>,
   {zero or more}, (group), a | b, and $NAME to include another syntax.
   Re-enables every disabled option first.  1 or -1. */
KHAPI_API int khSyntaxAddOption(KhSyntax syntax, const char *bnf_string);

/* Switches off the option whose path spells the sentence.  Refused when
   it is the last enabled option.  1 or -1. */
KHAPI_API int khSyntaxDisableOption(KhSyntax syntax, const char *sentence);

/* Re-enables disabled options, the most recent first: 0 all, n > 0 that
   many, n < 0 none.  -1 when fewer than n were disabled (those are
   re-enabled all the same). */
KHAPI_API int khSyntaxReEnableOptions(KhSyntax syntax, int number_of_enables);

/* ---- Recognisers ------------------------------------------------------------ */

/* Creates a recogniser on the current vocabulary's model.  The handle or
   null. */
KHAPI_API KhRecogniser khRecCreate(void);

/* Deletes a recogniser in any status.  1 or -1. */
KHAPI_API int khRecDelete(KhRecogniser rec);

/* Prepares an idle recogniser for one utterance of the syntax: from a
   waveform file, or from the live input when wav_filename is null.
   map_filename must be null.  1 or -1. */
KHAPI_API int khRecPrepare(KhRecogniser rec, KhSyntax syntax, const char *wav_filename,
                           const char *map_filename);

/* Recognises the whole utterance; returns when it is complete.  1 or -1. */
KHAPI_API int khRecDoWholeSent(KhRecogniser rec);

/* Recognises at most number_of_frames further frames (-1: stop now).
   1 while the utterance goes on, 0 when it is complete, -1 on failure. */
KHAPI_API int khRecDoPartSent(KhRecogniser rec, int number_of_frames);

/* Ends a completed recognition so the recogniser can be prepared again.
   1 or -1. */
KHAPI_API int khRecFinalise(KhRecogniser rec);

/* Sets the silence that ends a live utterance: "SHORT", "MEDIUM" or
   "LONG" (any case).  1 or -1. */
KHAPI_API int khRecSetPauseLength(KhRecogniser rec, const char *pause_value);

/* Sets the search effort: "SPEEDBIAS", "NORMAL" or "ACCBIAS" (any case).
   1 or -1. */
KHAPI_API int khRecSetOptimisation(KhRecogniser rec, const char *speed_value);

/* Keeps alternatives for khRecGetNextBest; the recogniser must be idle.
   1 or -1. */
KHAPI_API int khRecActivateNBest(KhRecogniser rec);

/* ---- Word results ------------------------------------------------------------ */
/* Word indices count from 1; a negative index k stands for k + n + 1 (-1
   is the last word).  Results are those of the step under way during a
   part-sentence recognition, else of the completed one. */

/* Writes the recognised words, separated by blanks (results_string may be
   null to ask only for the count).  The number of words, or -1. */
KHAPI_API int khRecGetWords(KhRecogniser rec, char *results_string);

/* Writes the name of one word.  1 or -1. */
KHAPI_API int khRecGetWordName(KhRecogniser rec, int word_index, char *word_name);

/* Writes the name of the syntax the word came from.  1 or -1. */
KHAPI_API int khRecGetResSyntaxName(KhRecogniser rec, int word_index, char *sublat_name);

/* Stores the start and end time of a word (either pointer may be null).
   1, 0 when both are null, or -1. */
KHAPI_API int khRecGetWordTimes(KhRecogniser rec, int word_index, double *start_time,
                                double *end_time);

/* Writes the output symbol of the word's recognised pronunciation.  Here a
   negative index k stands for k + n (-1 is the next-to-last word).  1 or
   -1. */
KHAPI_API int khRecGetWordInfo(KhRecogniser rec, int word_index, char *pronunciation_info);

/* Writes the next alternative word sequence for words start..end (after
   khRecActivateNBest).  1, 0 when there is no further alternative, -1. */
KHAPI_API int khRecGetNextBest(KhRecogniser rec, int start_index, int end_index,
                               char *next_best_string);

/* Acoustic score per frame of words start..end, or KH_FLOAT_FAIL. */
KHAPI_API float khRecGetWordScore(KhRecogniser rec, int start_index, int end_index);

/* Mean confidence (0 to 1) of words start..end, or KH_FLOAT_FAIL. */
KHAPI_API float khRecGetWordConf(KhRecogniser rec, int start_index, int end_index);

/* ---- Phone results (completed recognitions only) ------------------------------ */
/* Phone indices count from 1 within the word; negative ones from the end. */

/* The phone's identifier (> 0), writing its name when phone_name is not
   null; -1 on failure. */
KHAPI_API int khRecGetPhone(KhRecogniser rec, int word_index, int phone_index, char *phone_name);

/* Writes the word's phones separated by blanks.  Their number, or -1. */
KHAPI_API int khRecGetPhones(KhRecogniser rec, int word_index, char *phone_string);

/* Stores a phone's start and end time.  1, 0 when both are null, -1. */
KHAPI_API int khRecGetPhoneTimes(KhRecogniser rec, int word_index, int phone_index,
                                 double *start_time, double *end_time);

/* Acoustic score per frame of phones start..end of a word, or
   KH_FLOAT_FAIL. */
KHAPI_API float khRecGetPhoneScore(KhRecogniser rec, int word_index, int start_index,
                                   int end_index);

/* Phone confidences are not provided: always KH_FLOAT_FAIL. */
KHAPI_API float khRecGetPhoneConf(KhRecogniser rec, int word_index, int start_index,
                                  int end_index);

/* ---- Speech audio --------------------------------------------------------------- */

/* The 16-bit samples of the last utterance (wav_filename null) or of a
   waveform file.  With samples null, answers the count n; then fills a
   buffer of n samples and answers n again.  0 when there are none, -1. */
KHAPI_API int khSysGetSpeech(KhRecogniser rec, const char *wav_filename, short *samples);

/* The F0 track (Hz, 0 where unvoiced) of the last utterance or of a file,
   by the same two-call protocol.  The count, 0, or -1. */
KHAPI_API int khSysGetF0Track(KhRecogniser rec, const char *wav_filename, float *track);

/* Writes the last utterance to a waveform file.  1 or -1. */
KHAPI_API int khRecSaveSpeech(KhRecogniser rec, const char *save_filename);

/* Plays a waveform file; returns when it has played.  1, 0 for a file
   without samples, -1. */
KHAPI_API int khSysPlayPrompt(const char *filename);

/* Plays the last utterance from start_time to end_time (-1.0: to the
   end).  The number of samples played, or -1. */
KHAPI_API int khRecPlayUtterance(KhRecogniser rec, double start_time, double end_time);

/* Measures the live input.  levels (4 floats: mean speech dB, background
   dB, signal-to-noise dB, peak to peak) may be null to ask only whether a
   calibration is needed (1) or not (0).  -1 on failure. */
KHAPI_API int khSysCalibrateSpeech(float *levels);

#ifdef __cplusplus
}
#endif

#endif /* KHAPI_H */
