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

/*
 * The status of a recogniser:
 *
 *   idle        new or finalised: it can be prepared, and tuned.
 *   prepared    it holds a network and an input; nothing recognised yet.
 *   processing  recognition under way, step by step (khRecDoPartSent).
 *   complete    the utterance is recognised and its results can be read.
 *
 *   from         call                                   to
 *   -            khRecCreate                            idle
 *   idle         khRecPrepare                           prepared
 *   prepared     khRecDoWholeSent                       complete
 *   prepared     khRecDoPartSent(rec, n > 0) giving 1   processing
 *   processing   khRecDoPartSent(rec, n > 0) giving 1   processing
 *   prepared or  khRecDoPartSent(rec, n > 0) giving 0   complete
 *    processing
 *   processing   khRecDoPartSent(rec, -1)               complete
 *   complete     khRecFinalise                          idle
 *   idle         khRecActivateNBest                     idle
 *   any          khRecSetPauseLength,                   unchanged (idle
 *                 khRecSetOptimisation                   if the engine fails)
 *   any          khRecDelete, khSysNewExercise,         deleted
 *                 a second khSysInit
 *
 * A failed call leaves the status as it was, save where its comment says
 * otherwise.  A prepared or processing recogniser has no way back to idle
 * but to be recognised to the end (or deleted).  Word results can be read
 * while processing (those of the step under way) and when complete; phone
 * results, the last utterance's speech and its playback only when complete.
 *
 * In the comments below, "Fails (V):" lists the causes of the failure value
 * V.  "Not started": no successful khSysInit yet.  "Bad handle": null, never
 * issued, already deleted, of the other kind, or of an earlier exercise.
 * "Engine": the speech engine failed in the step named.  "Memory": memory
 * ran out.
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

/* The rate of the samples that khSysGetSpeech returns and khRecSaveSpeech
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
   VOCAB2, ...) and makes the vocabulary read last (the highest n)
   current.  The log file is written afresh from this call on.
     config_filename  the configuration file (read; the name is copied).
   Returns 1; 0 when the configuration sets NOFUNCOPER (nothing is loaded).
   Fails (-1): null name, or not a readable regular file; the engine does
   not start on it; a model whose MMF or HMMLIST key is missing or names an
   unreadable file, or that does not load; a vocabulary whose MODEL key is
   missing or unknown, whose DICT key is missing, or whose dictionary
   neither loads nor can be created; no model or no vocabulary; memory.
   Once per process: every later call fails (-1), after a failed first call
   too; it also deletes the syntaxes and recognisers of the exercise under
   way (any status) and makes the vocabulary read last current again. */
KHAPI_API int KHAPI_CALL khSysInit(const char *config_filename);

/* Ends the exercise under way and makes the named vocabulary current: every
   syntax and recogniser of the current vocabulary is deleted, whatever its
   status, and its handle becomes invalid; its exercise dictionary is made
   empty.  Naming the current vocabulary starts its exercise afresh.
     exercise_name  a vocabulary name of the configuration (VOCABn), read
                    and upper-cased before it is compared: only a name
                    written in upper case in the configuration can match.
   Returns 1.  Fails (-1): not started; null or unknown name (nothing is
   deleted); a syntax or recogniser that cannot be deleted (engine): the
   exercise is then partly cleared and stays current; memory. */
KHAPI_API int KHAPI_CALL khSysNewExercise(const char *exercise_name);

/* ---- Syntaxes ------------------------------------------------------------- */
/* A recogniser keeps the network it was given by khRecPrepare: a syntax
   changed or deleted afterwards counts from the next preparation. */

/* Creates a syntax in the current exercise.
     syntax_name       1 to 255 characters, copied in upper case; unique in
                       the exercise.
     lattice_filename  null for an empty syntax, to add options to; or a
                       saved lattice file (read, not kept) whose lattice
                       and sub-lattices all become syntaxes, named in upper
                       case; the vocabulary's dictionary file keeps the
                       words it brings.
   Status: no recogniser is involved.
   Returns the handle, owned by the library: valid until the syntax is
   deleted or the exercise changes.  Fails (null): not started; null, empty,
   too long or taken name; a file name of KH_MAX_TEXT characters or more; a
   file that does not load (unreadable, unknown words; a sub-lattice without
   a name, named as the syntax or an existing one or in two cases, too long,
   nested too deeply or including itself); the vocabulary dictionary cannot
   be saved; memory.  A failed load leaves none of its syntaxes behind. */
KHAPI_API KhSyntax KHAPI_CALL khSyntaxCreate(const char *syntax_name, const char *lattice_filename);

/* Finds a syntax of the current exercise, a loaded sub-lattice included.
     syntax_name  its name, in any case (read only).
   Status: no recogniser is involved.
   Returns the handle (the library's, as from khSyntaxCreate).  Fails
   (null): not started; null name, or no syntax of that name; memory. */
KHAPI_API KhSyntax KHAPI_CALL khSyntaxReturn(const char *syntax_name);

/* Deletes one syntax; the syntaxes it includes stay.
     syntax  a syntax handle; invalid after success.
   Status: no recogniser is involved.
   Returns 1.  Fails (-1): not started; bad handle; another syntax includes
   it ($NAME, or as a sub-lattice); memory. */
KHAPI_API int KHAPI_CALL khSyntaxDeleteShallow(KhSyntax syntax);

/* Deletes a syntax and every syntax it includes, at any depth, that no
   syntax outside those deleted includes.
     syntax  a syntax handle; it and the other deleted ones are invalid
             after success.
   Status: no recogniser is involved.
   Returns 1.  Fails (-1): not started; bad handle; another syntax includes
   it; memory. */
KHAPI_API int KHAPI_CALL khSyntaxDeleteDeep(KhSyntax syntax);

/* Adds one option to a syntax, re-enabling first every disabled option
   (even when the new option is then refused).
     syntax      a syntax handle.
     bnf_string  the option, fewer than KH_MAX_TEXT characters (read only):
                 words, [optional], <one or more>, {zero or more}, (group),
                 a | b, and $NAME to include a non-empty syntax.  Words are
                 parted by white space or BNFPUNC, cased as FORCECASE says,
                 and looked up in the dictionaries (GUESSPRONS guesses the
                 missing); the vocabulary's dictionary file keeps new ones.
   Status: no recogniser is involved.
   Returns 1; the syntax is no longer empty.  Fails (-1): not started; bad
   handle; null, empty or too long text; malformed BNF; an unknown or too
   long word; an unknown, empty or circular $NAME; the vocabulary
   dictionary cannot be saved; engine (lattice); memory.  A refused option
   leaves nothing in the syntax, unless finalising the lattice failed. */
KHAPI_API int KHAPI_CALL khSyntaxAddOption(KhSyntax syntax, const char *bnf_string);

/* Switches off the option whose path from the syntax's start spells the
   sentence; the option stays in the syntax and can be re-enabled.
     syntax    a syntax handle.
     sentence  the words of one option, separated and cased as in BNF text,
               fewer than KH_MAX_TEXT characters (read only).
   Status: no recogniser is involved.
   Returns 1.  Fails (-1): not started; bad handle; null, empty or too long
   sentence; no option spells it; it is disabled already; it is the last
   enabled option (the disable is undone); engine; memory. */
KHAPI_API int KHAPI_CALL khSyntaxDisableOption(KhSyntax syntax, const char *sentence);

/* Re-enables disabled options, the most recent first.
     syntax             a syntax handle.
     number_of_enables  0: all (1 is returned when there are none); n > 0:
                        that many; n < 0: none.
   Status: no recogniser is involved.
   Returns 1.  Fails (-1): not started; bad handle; fewer than n were
   disabled (those are re-enabled all the same); engine (an arc that is not
   disabled any more); memory. */
KHAPI_API int KHAPI_CALL khSyntaxReEnableOptions(KhSyntax syntax, int number_of_enables);

/* ---- Recognisers ------------------------------------------------------------ */

/* Creates a recogniser in the current exercise, on the current
   vocabulary's model, with the configured pause length and search effort.
   Status: idle.
   Returns the handle, owned by the library: valid until khRecDelete or the
   exercise changes.  Fails (null): not started; engine (the live audio
   source, its coder or the recogniser cannot be set up); memory. */
KHAPI_API KhRecogniser KHAPI_CALL khRecCreate(void);

/* Deletes a recogniser in any status, ending the utterance it holds.
     rec  a recogniser handle; invalid after success.
   Returns 1.  Fails (-1): not started; bad handle; engine (its objects
   cannot be freed); memory. */
KHAPI_API int KHAPI_CALL khRecDelete(KhRecogniser rec);

/* Prepares a recogniser for one utterance: the syntax between two
   silences becomes its network, and the file or the live input its input.
     rec           a recogniser handle.
     syntax        a syntax handle, of a syntax with at least one option.
     wav_filename  a waveform file (WAV, AIFF, FLAC, ...; a name ending in
                   .raw is headerless 16-bit mono at the model's rate), or
                   null for the live input; read, not kept.
     map_filename  must be null.
   Status: needs idle; leaves prepared (idle on failure).
   Returns 1.  Fails (-1): not started; bad recogniser handle; not idle;
   map_filename not null; bad syntax handle; empty syntax; no silence word
   "<s>" in the dictionaries; the file not a readable regular file, or not
   decoded; engine (grammar, network, coder, recogniser; also after a
   tuning call could not make the engine recogniser); memory. */
KHAPI_API int KHAPI_CALL khRecPrepare(KhRecogniser rec, KhSyntax syntax, const char *wav_filename,
                                      const char *map_filename);

/* Recognises the whole utterance of a prepared recogniser and returns when
   it is complete: at the end of the file, or for the live input after the
   silence set by khRecSetPauseLength.
     rec  a recogniser handle.
   Status: needs prepared; leaves complete (prepared on failure).
   Returns 1.  Fails (-1): not started; bad handle; not prepared; engine
   (starting or stopping the source, decoding, completing); memory. */
KHAPI_API int KHAPI_CALL khRecDoWholeSent(KhRecogniser rec);

/* Recognises step by step; returns after each step.
     rec               a recogniser handle.
     number_of_frames  n > 0: at most n further frames; -1: stop now and
                       recognise what the input has delivered.
   Status: needs prepared or processing (processing for -1); leaves
   processing while the utterance goes on, complete at its end.
   Returns 1 while the utterance goes on, 0 when it is complete.  Fails
   (-1): not started; bad handle; wrong status; engine; memory.  After an
   engine failure the status is prepared, processing or complete, as far as
   the step got.  A step the engine refuses, as it refuses a count of 0 or
   below -1, answers -1 with no log line of the library's own and leaves
   the status processing. */
KHAPI_API int KHAPI_CALL khRecDoPartSent(KhRecogniser rec, int number_of_frames);

/* Ends a completed recognition, clearing its result and network, so that
   the recogniser can be prepared again.
     rec  a recogniser handle.
   Status: needs complete; leaves idle (complete on failure).
   Returns 1.  Fails (-1): not started; bad handle; not complete; engine
   (clearing the coder, the result or the N-best lattice); memory. */
KHAPI_API int KHAPI_CALL khRecFinalise(KhRecogniser rec);

/* Sets the silence that ends a live utterance and rebuilds the engine
   recogniser with it.
     rec          a recogniser handle.
     pause_value  "SHORT", "MEDIUM" or "LONG" (any case; read only).
   Status: any, and kept.  Meant for an idle recogniser; in any other status
   the call logs a warning and the utterance held goes on under the new
   setting on the new engine recogniser: a prepared or processing one is
   prepared again on the same input and network (processing then decodes
   again from its first frame); a complete one is recognised again, so its
   results, and the N-best position, are those of the new setting.
   Returns 1.  Fails (-1): not started; bad handle; null or unknown name
   (nothing changes); engine: the setting is kept but the utterance held is
   ended and the recogniser left idle; memory. */
KHAPI_API int KHAPI_CALL khRecSetPauseLength(KhRecogniser rec, const char *pause_value);

/* Sets the search effort (the beams) and rebuilds the engine recogniser
   with it.  Its log lines name it khRecSetSpeed.
     rec          a recogniser handle.
     speed_value  "SPEEDBIAS", "NORMAL" or "ACCBIAS" (any case; read only).
   Status: any, and kept, with the warning and the effects on the utterance
   held of khRecSetPauseLength.
   Returns 1.  Fails (-1): as khRecSetPauseLength, an unknown speed name in
   place of the pause name. */
KHAPI_API int KHAPI_CALL khRecSetOptimisation(KhRecogniser rec, const char *speed_value);

/* Keeps alternatives for khRecGetNextBest (up to two besides the words
   recognised) in every later recognition of the recogniser; no call
   switches them off again.  Rebuilds the engine recogniser.
     rec  a recogniser handle.
   Status: needs idle, and keeps it.
   Returns 1.  Fails (-1): not started; bad handle; not idle; engine;
   memory. */
KHAPI_API int KHAPI_CALL khRecActivateNBest(KhRecogniser rec);

/* ---- Word results ------------------------------------------------------------ */
/* Every query takes a recogniser whose recognition is complete or under
   way (khRecDoPartSent): results are those of the step under way, else of
   the completed recognition; an idle or prepared recogniser has none.  No
   query changes the status.  Word indices count from 1; a negative index
   k stands for k + n + 1 (-1 is the last word).  Output strings go into
   caller-owned buffers of at least KH_MAX_TEXT bytes, emptied on entry;
   names are those of the words, without the syntax they came from. */

/* The recognised words.
     rec             a recogniser handle.
     results_string  null to ask only for the count; or a caller's buffer
                     of KH_MAX_TEXT bytes that receives the words separated
                     by blanks, cut after the last whole word that fits.
   Status: processing or complete, and kept.
   Returns the number of words (0 or more).  Fails (-1): not started; bad
   handle; no result; engine (counting or reading the words); memory. */
KHAPI_API int KHAPI_CALL khRecGetWords(KhRecogniser rec, char *results_string);

/* One word's name.
     rec         a recogniser handle.
     word_index  the word.
     word_name   a caller's buffer of KH_MAX_TEXT bytes; receives the name.
   Status: processing or complete, and kept.
   Returns 1.  Fails (-1): not started; null word_name; bad handle; no
   result; no words; index out of range; engine; memory. */
KHAPI_API int KHAPI_CALL khRecGetWordName(KhRecogniser rec, int word_index, char *word_name);

/* The name of the syntax a word came from.
     rec          a recogniser handle.
     word_index   the word.
     sublat_name  a caller's buffer of KH_MAX_TEXT bytes; receives the
                  syntax's name (upper case), or stays empty for a word of
                  no syntax.
   Status: processing or complete, and kept.
   Returns 1.  Fails (-1): not started; null sublat_name; bad handle; no
   result; no words; index out of range; engine; memory. */
KHAPI_API int KHAPI_CALL khRecGetResSyntaxName(KhRecogniser rec, int word_index, char *sublat_name);

/* A word's start and end, in seconds from the start of the utterance.
     rec         a recogniser handle.
     word_index  the word.
     start_time  receives the start; may be null.
     end_time    receives the end; may be null.
   Status: processing or complete, and kept.
   Returns 1; 0 when both pointers are null (the handle is then not
   checked).  Fails (-1): not started; bad handle; no result; no words;
   index out of range; engine; memory. */
KHAPI_API int KHAPI_CALL khRecGetWordTimes(KhRecogniser rec, int word_index, double *start_time, double *end_time);

/* The output symbol of a word's recognised pronunciation.
     rec                 a recogniser handle.
     word_index          the word; here a negative index k stands for
                         k + n (-1 is the next-to-last word).
     pronunciation_info  a caller's buffer of KH_MAX_TEXT bytes; receives
                         the symbol.
   Status: processing or complete, and kept.
   Returns 1.  Fails (-1): not started; null pronunciation_info; bad
   handle; no result; the words cannot be counted; index out of range (so
   always when there are no words); a symbol longer than the buffer;
   engine; memory. */
KHAPI_API int KHAPI_CALL khRecGetWordInfo(KhRecogniser rec, int word_index, char *pronunciation_info);

/* The next alternative word sequence for words start..end, after
   khRecActivateNBest: the first call for a stretch gives the second best,
   the next the third, then 0.  Another pair of indices, a step of
   khRecDoPartSent or khRecFinalise starts again from the second best.
     rec               a recogniser handle.
     start_index       the first word of the stretch.
     end_index         the last word of the stretch, not before the first.
     next_best_string  a caller's buffer of KH_MAX_TEXT bytes; receives the
                       alternative's words separated by blanks, cut after
                       the last whole word that fits.
   Status: processing or complete, and kept.
   Returns 1; 0 when there is no further alternative.  Fails (-1): not
   started; null next_best_string; bad handle; N-best not activated; no
   result; no words; an index out of range, or start after end; engine;
   memory. */
KHAPI_API int KHAPI_CALL khRecGetNextBest(KhRecogniser rec, int start_index, int end_index, char *next_best_string);

/* Acoustic score per frame of words start..end, as natural-log likelihood
   against the best state of each frame (0 best, about -0.5 to -3 for
   well-spoken words).  The words' scores, leaving out words shorter than
   half a frame, are summed and divided by the frames from the first
   word's start to the last word's end.
     rec          a recogniser handle.
     start_index  the first word.
     end_index    the last word, not before the first.
   Status: processing or complete, and kept.
   Returns the score.  Fails (KH_FLOAT_FAIL): not started; bad handle; no
   result; no words; an index out of range, or start after end; a stretch
   shorter than a frame; engine; memory. */
KHAPI_API float KHAPI_CALL khRecGetWordScore(KhRecogniser rec, int start_index, int end_index);

/* Mean confidence of words start..end, from 0 (surely wrong) to 1 (surely
   right); words shorter than half a frame are left out.
     rec          a recogniser handle.
     start_index  the first word.
     end_index    the last word, not before the first.
   Status: processing or complete, and kept.
   Returns the confidence.  Fails (KH_FLOAT_FAIL): not started; bad handle;
   no result; no words; an index out of range, or start after end; every
   word shorter than half a frame; engine; memory. */
KHAPI_API float KHAPI_CALL khRecGetWordConf(KhRecogniser rec, int start_index, int end_index);

/* ---- Phone results (completed recognitions only) ------------------------------ */
/* Phones are those of the word's recognised pronunciation.  Every query
   needs a complete recogniser and leaves it so.  Word indices as above;
   phone indices count from 1 within the word, negative ones from its end
   (-1 is the last phone).  Output strings as for the word results. */

/* One phone.
     rec          a recogniser handle.
     word_index   the word.
     phone_index  the phone within the word.
     phone_name   null, or a caller's buffer of KH_MAX_TEXT bytes that
                  receives the phone's name.
   Status: complete, and kept.
   Returns the phone's identifier in the model (> 0); 0 for a word without
   phones, which is logged as a failure.  Fails (-1): not started; bad
   handle; not complete; no words; word or phone index out of range;
   engine (reading the id or name); memory.  When the engine cannot count
   the word's phones, the answer is its own negative value. */
KHAPI_API int KHAPI_CALL khRecGetPhone(KhRecogniser rec, int word_index, int phone_index, char *phone_name);

/* A word's phones.
     rec           a recogniser handle.
     word_index    the word.
     phone_string  a caller's buffer of KH_MAX_TEXT bytes; receives the
                   phones separated by blanks, cut to fit.
   Status: complete, and kept.
   Returns the number of phones (0, and an empty string, for a word without
   phones).  Fails (-1): not started; null phone_string; bad handle; not
   complete; no words; index out of range; engine, and then the buffer
   keeps the phones read before the failure; memory. */
KHAPI_API int KHAPI_CALL khRecGetPhones(KhRecogniser rec, int word_index, char *phone_string);

/* A phone's start and end, in seconds from the start of the utterance.
     rec          a recogniser handle.
     word_index   the word.
     phone_index  the phone within the word.
     start_time   receives the start; may be null.
     end_time     receives the end; may be null.
   Status: complete, and kept.
   Returns 1; 0 when both pointers are null (the handle is then not
   checked).  Fails (-1): not started; bad handle; not complete; no words;
   word or phone index out of range; engine; memory. */
KHAPI_API int KHAPI_CALL khRecGetPhoneTimes(KhRecogniser rec, int word_index, int phone_index, double *start_time,
                                            double *end_time);

/* Acoustic score per frame of phones start..end of a word, reckoned as
   khRecGetWordScore reckons it for words.
     rec          a recogniser handle.
     word_index   the word.
     start_index  the first phone within the word.
     end_index    the last phone, not before the first.
   Status: complete, and kept.
   Returns the score.  Fails (KH_FLOAT_FAIL): not started; bad handle; not
   complete; no words; a word or phone index out of range, or start after
   end; a stretch shorter than a frame; engine; memory. */
KHAPI_API float KHAPI_CALL khRecGetPhoneScore(KhRecogniser rec, int word_index, int start_index, int end_index);

/* Mean confidence of phones start..end of a word, 0 to 1, where the
   configuration sets PHONECONF.
     rec          a recogniser handle.
     word_index   the word.
     start_index  the first phone within the word.
     end_index    the last phone, not before the first.
   Status: complete, and kept.
   Returns the confidence.  Fails (KH_FLOAT_FAIL): not started; PHONECONF
   not set (before the handle is looked at); bad handle; not complete; no
   words; a word or phone index out of range, or start after end; engine;
   memory. */
KHAPI_API float KHAPI_CALL khRecGetPhoneConf(KhRecogniser rec, int word_index, int start_index, int end_index);

/* ---- Speech audio --------------------------------------------------------------- */

/* The 16-bit samples of the last utterance or of a waveform file, at the
   model's rate (KH_SAMPLE_RATE for the packaged model), in two calls: with
   samples null the count n is returned; then a caller-owned buffer of n
   shorts is filled.
     rec           a recogniser handle (its model decodes a file).
     wav_filename  a waveform file (read, not kept), or null for the
                   recogniser's last utterance.
     samples       null, or a caller's buffer of at least the count.
   Status: complete for the last utterance; for a file any status but
   processing.  The status is kept.
   Returns the count n; 0 when there are no samples (nothing is written).
   Fails (-1): not started; bad handle; wrong status; the file not a
   readable regular file, or not decoded; no samples (engine); the count
   the size call gave for the same file or utterance no longer holds, as
   for a file still being written (nothing is written); engine; memory. */
KHAPI_API int KHAPI_CALL khSysGetSpeech(KhRecogniser rec, const char *wav_filename, short *samples);

/* The F0 track of the last utterance or of a file, one value a frame
   (KH_FRAME_STEP for the packaged model): Hz, 0 where unvoiced.  Two calls
   as for khSysGetSpeech.
     rec           a recogniser handle (its model decodes a file).
     wav_filename  a waveform file (read, not kept), or null for the last
                   utterance.
     track         null, or a caller's buffer of at least the count.
   Status: as for khSysGetSpeech.
   Returns the count; 0 when there are no samples.  Fails (-1): as
   khSysGetSpeech, and when the engine cannot compute the track. */
KHAPI_API int KHAPI_CALL khSysGetF0Track(KhRecogniser rec, const char *wav_filename, float *track);

/* Writes the last utterance to a waveform file (16-bit mono WAV at the
   model's rate), replaced whole or not at all: a file it would replace is
   kept when writing fails.
     rec            a recogniser handle.
     save_filename  the file to write (read, not kept).  It is first opened
                    for appending, which creates it empty when missing,
                    even when the save is then refused.
   Status: needs complete, and keeps it.
   Returns 1.  Fails (-1): not started; bad handle; null or empty name, or
   a file that cannot be opened for appending (checked before the status);
   not complete; nothing to save; the file cannot be written; memory. */
KHAPI_API int KHAPI_CALL khRecSaveSpeech(KhRecogniser rec, const char *save_filename);

/* Plays a waveform file on the sound card, at the model's rate, and
   returns when it has played.  Needs no recogniser: the file is decoded
   with the current vocabulary's model.
     filename  the file (read, not kept).
   Returns 1; 0 for a file without samples.  Fails (-1): not started; null
   filename; not a readable regular file, or not decoded; engine (coder,
   playback); memory. */
KHAPI_API int KHAPI_CALL khSysPlayPrompt(const char *filename);

/* Plays part of the last utterance and returns when it has played.
     rec         a recogniser handle.
     start_time  seconds from the start of the utterance, 0 or more.
     end_time    seconds, or -1.0 for the end of the utterance.
   Status: needs complete, and keeps it.
   Returns the number of samples played (0 when the part holds none).
   Fails (-1): not started; bad handle; not complete; a start below 0, or
   an end below 0 but -1.0, or either not a number or too large; engine
   (frame length, play source, reading or playing the samples); memory. */
KHAPI_API int KHAPI_CALL khRecPlayUtterance(KhRecogniser rec, double start_time, double end_time);

/* Measures the live input.  Needs no recogniser; uses the current
   vocabulary's model.
     levels  null, to ask only whether a calibration is needed; or a
             caller-owned array of 4 floats that receives the mean speech
             level (dB), the background level (dB), the signal-to-noise
             ratio (dB) and the peak-to-peak amplitude.
   Returns, with levels null, 1 when a calibration is needed and 0 when
   not; with levels, 1.  Fails (-1): not started; engine (no live input,
   its coder, or the measurement); memory. */
KHAPI_API int KHAPI_CALL khSysCalibrateSpeech(float *levels);

/* ---- Extensions ------------------------------------------------------------------ */

/* The phone the model hears on a phone's frames, where the configuration
   sets PHONECONF: the phone itself when it fits best or no other phone
   beats it clearly (by more than 1.5 nats a frame and 25 in all), else
   the phone that fits best.  It comes from the computation that gives khRecGetPhoneConf, so a
   phone heard as another has a confidence below about one half.
     rec          a recogniser handle.
     word_index   the word, as for khRecGetPhone.
     phone_index  the phone within the word, as for khRecGetPhone.
     heard        null, or a caller's buffer of KH_MAX_TEXT bytes that
                  receives the name of the phone heard.
   Status: complete, and kept.
   Returns the identifier of the phone heard in the model (> 0); 0 for a
   word without phones, which is logged as a failure.  Fails (-1): not
   started; PHONECONF not set (before the handle is looked at); bad
   handle; not complete; no words; word or phone index out of range;
   engine (the confidences, or a phone heard that the dictionary's phone
   set lacks); memory. */
KHAPI_API int KHAPI_CALL khRecGetPhoneHeard(KhRecogniser rec, int word_index, int phone_index, char *heard);

#ifdef __cplusplus
}
#endif

#endif /* KHAPI_H */
