/*
 * hapi.h - the speech engine as the library sees it.
 *
 * libHAPI_kiln is the project's own engine, built on PocketSphinx,
 * sphinxbase, libsndfile, libsamplerate, PortAudio and flite.  The library
 * includes this header and nothing else of the engine.
 *
 * Conventions shared by every call:
 *  - Create calls answer an opaque non-zero handle, or 0 on failure.
 *  - Status calls answer an int; a negative value is a failure.
 *  - Calls answering a floating value answer HAPI_FLOAT_FAIL on failure.
 *  - Variable-size answers take two calls: with a null buffer the call
 *    answers the count (for text: the bytes needed, terminating NUL
 *    included); the second call, with a buffer of that size, fills it.
 *  - Words, pronunciations, phones, lattice nodes, lattice arcs and result
 *    words are numbered from 1.  Dictionary word 1 is the null word "!NULL".
 *  - No name, pronunciation or output symbol that the engine hands out is
 *    longer than HAPI_MAX_NAME - 1 bytes: longer ones are refused on entry.
 *  - Times are seconds, as doubles.
 *  - Nothing here is thread-safe: one caller at a time.
 *  - On failure the engine gives a short reason as a note: to standard
 *    error, prefixed "hapi: ", or to the sink set with hapiSetMessageSink;
 *    and to the file the configuration key NOTELOG names, when it does.
 */
#ifndef HAPI_H
#define HAPI_H

#include <limits.h>

#ifdef __cplusplus
extern "C" {
#endif

/* On Windows the engine's own build (HAPI_BUILD) exports the calls from
   HAPI_kiln.dll and its callers import them; the calls keep the C
   default convention, __cdecl. */
#if defined(_WIN32)
#ifdef HAPI_BUILD
#define HAPI_API __declspec(dllexport)
#else
#define HAPI_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define HAPI_API __attribute__((visibility("default")))
#else
#define HAPI_API
#endif

/* The failure value of every call that answers a floating value:
   the most negative finite single-precision float. */
#define HAPI_FLOAT_FAIL (-3.4028234663852886e+38)
/* hapiRecRemaining's answer when recognition has gone wrong. */
#define HAPI_REMAINING_FAIL INT_MIN
#define HAPI_WRITE_FAIL (-2)
/* Bytes that any name buffer must hold (1023 characters and the NUL). */
#define HAPI_MAX_NAME 1024

/* The kinds of audio source (hapiCreateSourceObject). */
typedef enum {
    HAPI_FILE_SOURCE = 1, /* a waveform file */
    HAPI_PLAY_SOURCE = 3, /* the sound card's output */
    HAPI_LIVE_SOURCE = 5  /* the live input */
} hapiSourceKind;

/* The one kind of network and of recogniser (hapiBuildNetObject,
   hapiCreateRecObject). */
typedef enum { HAPI_NETWORK_KIND = 13 } hapiNetKind;

/* What hapiResWordScore and hapiResPhoneScore answer. */
typedef enum {
    HAPI_ACOUSTIC_SCORE = 3,  /* log-likelihood, natural log, summed over the frames */
    HAPI_CONFIDENCE_SCORE = 5 /* a posterior between 0 and 1 */
} hapiScoreSelector;

/* The flags of a result object (hapiCreateResObject). */
typedef enum {
    HAPI_INTERIM_RESULT = 2049, /* holds the partial hypothesis while decoding */
    HAPI_FINAL_RESULT = 2050    /* holds the completed recognition */
} hapiResultFlags;

typedef struct hapi_hmmset *hapiHMMSetObject;
typedef struct hapi_dict *hapiDictObject;
typedef struct hapi_lat *hapiLatObject;
typedef struct hapi_net *hapiNetObject;
typedef struct hapi_source *hapiSourceObject;
typedef struct hapi_coder *hapiCoderObject;
typedef struct hapi_rec *hapiRecObject;
typedef struct hapi_res *hapiResObject;

/* ---- Engine start and configuration ---------------------------------- */

/* Where the engine's notes go: why a call failed, and what it chose when
   a setting did not fit (such as a background unit the model lacks).  Each
   note is one line of text without a line end, passed with the context to
   the sink, on the thread of the engine call that made it.  A null sink,
   the default, writes each note to standard error after "hapi: ". */
typedef void (*hapiMessageSink)(const char *note, void *context);
HAPI_API void hapiSetMessageSink(hapiMessageSink sink, void *context);

/* Reads the configuration file (KEY = VALUE lines, docs/engine-files.md).
   flags must be 0.  A second call replaces the whole configuration.
   Answers 0, or -1 when the file cannot be read or holds a malformed line
   (the file and line are named in a note, see hapiSetMessageSink). */
HAPI_API int hapiInitHAPI(const char *config_filename, int flags);

/* Read or set one configuration key.  With a null value the call reads:
   it answers a pointer to the key's value (engine-owned, valid until the
   key is set again or hapiInitHAPI runs), or null when the key is not set
   or its text does not parse as the type asked for.  With a non-null value
   it sets the key for every object created afterwards and answers a pointer
   to the stored value.  Keys are case-sensitive. */
HAPI_API const int *hapiOverrideConfBool(const char *key, const int *value);
HAPI_API const int *hapiOverrideConfInt(const char *key, const int *value);
HAPI_API const float *hapiOverrideConfFlt(const char *key, const float *value);
HAPI_API const char *hapiOverrideConfStr(const char *key, const char *value);

/* ---- Fault injection (tests only) -------------------------------------- */

/* Makes the nth call (1 = the next one) of the named hapi* function, counted
   from now, fail with that function's failure value.  Answers 0, or -1 for
   an unknown name or n < 1.  Several faults may be armed at once; the
   environment variable HAPI_FAULT="name:n[,name:n...]" arms faults at
   hapiInitHAPI.  hapiFaultClear disarms all.  Only builds made with
   KHAPI_FAULT_INJECTION (the test builds) have these calls; the shipped
   library has neither them nor the injection points.  An unknown name is
   one that no hapi* call answers to.  hapiFaultInjectBadAlloc arms the
   same way a fault that throws std::bad_alloc, as memory running out in
   the call would. */
HAPI_API int hapiFaultInject(const char *function_name, int nth);
HAPI_API int hapiFaultInjectBadAlloc(const char *function_name, int nth);
HAPI_API void hapiFaultClear(void);

/* ---- HMM sets (acoustic models) ---------------------------------------- */

/* Created from the keys MMF (the model definition file, mdef, of a
   PocketSphinx model folder), HMMLIST (the model's phone list; the mdef is
   accepted) and BKHMMNAME (the background unit; empty or unknown: the
   model's own silence unit) as they stand at creation. */
HAPI_API hapiHMMSetObject hapiCreateHMMSetObject(void);
/* Loads the model.  0 on success, -1 when it cannot be loaded. */
HAPI_API int hapiHMMSetInitialise(hapiHMMSetObject hmms);
HAPI_API int hapiDeleteHMMSetObject(hapiHMMSetObject hmms);

/* ---- Dictionaries -------------------------------------------------------- */

/* A new dictionary holding only "!NULL", with no file name. */
HAPI_API hapiDictObject hapiCreateDictObject(void);
HAPI_API int hapiDictOverrideFileName(hapiDictObject dict, const char *filename);
/* Loads the file named by hapiDictOverrideFileName.  0 or -1. */
HAPI_API int hapiDictInitialise(hapiDictObject dict);
/* A new empty dictionary with the phone set of the one given (modifiable). */
HAPI_API hapiDictObject hapiEmptyDictObject(hapiDictObject like);
/* Edits (hapiDictAddItem, setting output symbols) happen between these. */
HAPI_API int hapiDictModify(hapiDictObject dict);
HAPI_API int hapiDictFinalise(hapiDictObject dict);
/* Writes the dictionary beside the file, then renames it into place (one
   save of a file at a time).  0, or -1 with errno saying why. */
HAPI_API int hapiDictSave(hapiDictObject dict, const char *filename);
HAPI_API int hapiDeleteDictObject(hapiDictObject dict);

/* Adds a pronunciation (phone names separated by single blanks) to the
   word, creating the word when new; outsym may be null or empty.  Every
   phone must be in the phone set; a new phone joins a phone set that was
   not declared.  Answers the word's id, or -1. */
HAPI_API int hapiDictAddItem(hapiDictObject dict, const char *word, const char *pron, const char *outsym);
/* The word's id, 0 when absent, -1 on failure.  Case-sensitive. */
HAPI_API int hapiDictWordId(hapiDictObject dict, const char *word);
/* Copies the name of word id into buf; null buf: the bytes needed. */
HAPI_API int hapiDictWordName(hapiDictObject dict, int word_id, char *buf);
/* The number of words, "!NULL" included. */
HAPI_API int hapiDictNumWords(hapiDictObject dict);
/* The number of pronunciations of a word (0 or more), -1 on failure. */
HAPI_API int hapiDictNumProns(hapiDictObject dict, int word_id);
/* Copies pronunciation pron (from 1) of the word; null buf: its length in
   bytes without the NUL.  -1 when either number is out of range. */
HAPI_API int hapiDictWordPron(hapiDictObject dict, int word_id, int pron, char *buf);
/* Reads (outsym null) or sets the output symbol of a pronunciation.
   Reading answers the symbol (engine-owned) or null when it has none;
   setting answers the new symbol, or null on failure. */
HAPI_API const char *hapiDictPronOutSym(hapiDictObject dict, int word_id, int pron, const char *outsym);
/* Guesses a pronunciation of a word that no dictionary holds, from flite's
   US English lexicon and, for the words it lacks, its letter-to-sound
   rules, and writes it in dict's phone set: phone names separated by
   single blanks, each flite phone matched to a phone of dict ignoring case,
   without its stress mark (flite's schwa AX becomes AH when dict has no
   AX), pauses left out.  The word is ASCII letters, in either case, and
   apostrophes, in parts joined by single hyphens (each part guessed on its
   own), with a letter in every part, and at most HAPI_GUESS_MAX_WORD
   bytes.  Copies the guess into buf; null buf: its length in bytes without
   the NUL.  -1 when the word is refused or a phone of the guess has no
   counterpart in dict's phone set. */
#define HAPI_GUESS_MAX_WORD 100
HAPI_API int hapiDictGuessPron(hapiDictObject dict, const char *word, char *buf);
/* 1 when the phone set is declared (by the file's "!!PHONESET" line, or
   taken with hapiEmptyDictObject) and takes no new phones; 0 when it is
   the phones of the words, growing as words are added; -1 on failure. */
HAPI_API int hapiDictPhoneSetDeclared(hapiDictObject dict);
/* The phone set in order.  With a null array answers the count n; with an
   array of n + 1 pointers fills entries 1 to n (engine-owned names). */
HAPI_API int hapiDictAllPhoneNames(hapiDictObject dict, const char **names);
/* Copies the name of phone id (from 1) into buf; answers the bytes needed
   (> 0), or -1. */
HAPI_API int hapiDictPhoneName(hapiDictObject dict, int phone_id, char *buf);

/* ---- Lattices ------------------------------------------------------------ */

/* An empty, modifiable lattice over dict's word ids; name may be null. */
HAPI_API hapiLatObject hapiCreateLatObject(hapiDictObject dict, const char *name);
/* Loads a lattice file with every sub-lattice it holds (finalised).  Every
   word must be in dict.  A non-null name replaces the top lattice's name.
   Sub-lattices loaded with it are deleted with it. */
HAPI_API hapiLatObject hapiLoadLatObject(hapiDictObject dict, const char *filename, const char *name);
/* Writes the lattice and every sub-lattice it includes; flags must be 0. */
HAPI_API int hapiLatSave(hapiLatObject lat, const char *filename, int flags);
HAPI_API int hapiDeleteLatObject(hapiLatObject lat);
/* Edits happen between these; flags a, b must be 0. */
HAPI_API int hapiLatModify(hapiLatObject lat);
HAPI_API int hapiLatFinalise(hapiLatObject lat, int a, int b);
/* Adds a node for word_id (1: a null node); answers the node number.
   flag: 1 for a word node written by the grammar reader, otherwise 0. */
HAPI_API int hapiLatAddNode(hapiLatObject lat, int word_id, int flag);
/* Adds a node standing for the whole of sub; answers the node number. */
HAPI_API int hapiLatAddSublatNode(hapiLatObject lat, hapiLatObject sub);
/* Adds an arc with score 0; answers the arc number. */
HAPI_API int hapiLatAddArc(hapiLatObject lat, int from_node, int to_node);
/* Deletes a node and its arcs; the higher nodes and arcs are renumbered
   down to close the gaps. */
HAPI_API int hapiLatDeleteNode(hapiLatObject lat, int node);
/* Answers the number of nodes and, when narcs is not null, stores the
   number of arcs. */
HAPI_API int hapiLatSize(hapiLatObject lat, int *narcs);
/* Reads (new_word_id 0) or sets a node's word id; answers the word id it
   held before, or -1. */
HAPI_API int hapiLatNodeWordId(hapiLatObject lat, int node, int new_word_id);
/* The lattice a sub-lattice node stands for, or null. */
HAPI_API hapiLatObject hapiLatNodeSublatObject(hapiLatObject lat, int node);
/* The arcs entering / leaving a node: with a null array the count, with an
   array of that many ints the arc numbers in the order they were added. */
HAPI_API int hapiLatNodePredArc(hapiLatObject lat, int node, int *arcs);
HAPI_API int hapiLatNodeFollArc(hapiLatObject lat, int node, int *arcs);
/* The start and end node of an arc, or -1. */
HAPI_API int hapiLatArcStart(hapiLatObject lat, int arc);
HAPI_API int hapiLatArcEnd(hapiLatObject lat, int arc);
/* An arc's log score (kind must be 1).  With a null new_score answers the
   score; otherwise stores *new_score and answers the score held before. */
HAPI_API double hapiLatArcScore(hapiLatObject lat, int arc, int kind, const float *new_score);
/* The lattice's name (engine-owned, "" when none), or null on failure. */
HAPI_API const char *hapiLatName(hapiLatObject lat);
/* The dictionary whose word ids the lattice uses. */
HAPI_API hapiDictObject hapiLatDictObject(hapiLatObject lat);

/* ---- Networks ------------------------------------------------------------ */

/* Builds a decoding network (kind 13) from the lattice and every nested
   sub-lattice over the dictionary's words and pronunciations.  Arcs scored
   at -1000000.0 or lower are left out. */
HAPI_API hapiNetObject hapiBuildNetObject(int kind, hapiHMMSetObject hmms, hapiDictObject dict, hapiLatObject lat);
HAPI_API int hapiDeleteNetObject(hapiNetObject net);

/* ---- Audio sources --------------------------------------------------------- */

/* kind 1: a waveform file; 3: the sound card's output (play); 5: the live
   input (key AUDIOIN: "default", or "file:NAME" to feed a file through the
   live path). */
HAPI_API hapiSourceObject hapiCreateSourceObject(int kind);
HAPI_API int hapiSourceOverrideFilename(hapiSourceObject src, const char *filename);
/* Kind 1: reads the file (WAV or any libsndfile format; headerless .raw is
   16-bit mono at the model's rate).  0 or -1. */
HAPI_API int hapiSourceInitialise(hapiSourceObject src);
HAPI_API int hapiSourceStart(hapiSourceObject src);
HAPI_API int hapiSourceStop(hapiSourceObject src);
/* With a null period answers the sample period in seconds; otherwise sets
   it and answers it (negative on failure). */
HAPI_API double hapiSourceSamplePeriod(hapiSourceObject src, const double *period);
/* Plays n samples on a play source (kind 3); returns when they are played. */
HAPI_API int hapiSourcePlayWave(hapiSourceObject src, int n, const short *samples);
/* Measures the live input.  With levels (4 floats: mean speech dB,
   background dB, signal-to-noise dB, peak to peak) fills them and answers
   1; with null answers 0 when no calibration is needed, else 1. */
HAPI_API int hapiSourceCalibrateSpeech(hapiSourceObject src, float *levels);
HAPI_API int hapiDeleteSourceObject(hapiSourceObject src);

/* ---- Coders ---------------------------------------------------------------- */

HAPI_API hapiCoderObject hapiCreateCoderObject(hapiSourceObject src);
/* Sets the coder up with the front end of the model named model_name (the
   model folder is found through the key model_name + "MMF"). */
HAPI_API int hapiCoderInitialise(hapiCoderObject coder, const char *model_name);
HAPI_API int hapiCoderPrepare(hapiCoderObject coder);
/* Ends the utterance and drops its samples. */
HAPI_API int hapiCoderComplete(hapiCoderObject coder);
/* The frame period in seconds. */
HAPI_API double hapiCoderObservationWindowAdvance(hapiCoderObject coder);
/* Samples of frames first to last (from 1; last -1: the end); frame k
   starts at (k - 1) times the advance.  Null buf: the count. */
HAPI_API int hapiCoderAccessWave(hapiCoderObject coder, int first, int last, short *buf);
/* F0 track of n samples, one value per frame (0 where unvoiced).  Null
   track: the count. */
HAPI_API int hapiCoderGetF0Track(hapiCoderObject coder, const short *samples, int n, float *track);
/* Writes the samples of the last utterance to a WAV file, whole or not at
   all: it is written beside the file and renamed over it, so that a file
   it replaces stays as it was when writing fails.  Answers 0, -1 when
   there is nothing to save, HAPI_WRITE_FAIL when the file cannot be
   written. */
HAPI_API int hapiCoderSaveSource(hapiCoderObject coder, const char *filename);
HAPI_API int hapiDeleteCoderObject(hapiCoderObject coder);

/* ---- Recognisers ------------------------------------------------------------ */

/* kind 13, mode 1, flags 0.  Takes GENBEAM, GOPTBEAM, SILSEQCOUNT, NBEST and
   NTOKS as they stand at creation. */
HAPI_API hapiRecObject hapiCreateRecObject(int kind, int mode, hapiHMMSetObject hmms, int flags);
HAPI_API int hapiRecInitialise(hapiRecObject rec);
HAPI_API int hapiRecPrepare(hapiRecObject rec, hapiCoderObject coder, hapiNetObject net);
/* Decodes at most frames further frames; with res, leaves the partial
   hypothesis there.  0 when the utterance is finished, positive when more
   remains, negative on failure. */
HAPI_API int hapiRecProcess(hapiRecObject rec, int frames, hapiResObject res);
/* 0 when nothing is left to process, HAPI_REMAINING_FAIL on failure, else
   positive. */
HAPI_API int hapiRecRemaining(hapiRecObject rec);
/* Ends the utterance; with res, leaves the final result there. */
HAPI_API int hapiRecComplete(hapiRecObject rec, hapiResObject res);
HAPI_API int hapiDeleteRecObject(hapiRecObject rec);

/* ---- Results ---------------------------------------------------------------- */

HAPI_API hapiResObject hapiCreateResObject(hapiRecObject rec, int flags);
HAPI_API int hapiResClear(hapiResObject res);
HAPI_API int hapiResSetAttachment(hapiResObject res, void *attachment);
HAPI_API int hapiDeleteResObject(hapiResObject res);
/* The number of words n (word 1 is the leading "<s>"); with an array of
   n + 1 pointers fills entries 1 to n (engine-owned names). */
HAPI_API int hapiResAllWordNames(hapiResObject res, const char **names);
HAPI_API int hapiResWordName(hapiResObject res, int word, char *buf);
/* Either pointer may be null. */
HAPI_API int hapiResWordTimes(hapiResObject res, int word, double *start, double *end);
/* selector 3: acoustic log-likelihood (natural log, summed over the
   frames); 5: confidence, a posterior between 0 and 1. */
HAPI_API double hapiResWordScore(hapiResObject res, int word, int selector);
/* Copies the output symbol of the recognised pronunciation. */
HAPI_API int hapiResOutSym(hapiResObject res, int word, char *buf);
/* Phones of a word (engine phone index from 0); null ids: the count. */
HAPI_API int hapiResAllPhoneIds(hapiResObject res, int word, int *ids);
HAPI_API int hapiResPhoneId(hapiResObject res, int word, int phone);
HAPI_API int hapiResPhoneTimes(hapiResObject res, int word, int phone, double *start, double *end);
HAPI_API double hapiResPhoneScore(hapiResObject res, int word, int phone, int selector);
/* Copies the phone the model hears on the phone's frames: the phone
   itself unless another phone of the model beats it clearly.  Computed
   with the confidences; buf holds at least HAPI_PHONE_NAME_MAX bytes. */
#define HAPI_PHONE_NAME_MAX 64
HAPI_API int hapiResPhoneHeard(hapiResObject res, int word, int phone, char *buf);
/* A word lattice of the result's alternatives (flags 0), owned by the
   caller. */
HAPI_API hapiLatObject hapiResLatGenerate(hapiResObject res, int flags);
/* Up to nbest routes through the stretch of result words start..end (from
   1, without the leading "<s>"), best first, written to routes; answers the
   number found. */
HAPI_API int hapiLatWordAlternatives(hapiLatObject lat, int start, int end, int flags, int nbest, int *routes);
/* The words of a route; with an array fills entries 0 onwards. */
HAPI_API int hapiLatRouteWordNames(hapiLatObject lat, const char **names, int route);

#ifdef __cplusplus
}
#endif

#endif /* HAPI_H */
