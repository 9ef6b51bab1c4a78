// speech.cpp - the samples and F0 track of the last utterance or of a
// waveform file, and saving the last utterance.
#include <vector>

#include "audio/audio.h"
#include "audio/audio_internal.h"
#include "frame/file_access.h"
#include "frame/trace.h"
#include "system/system.h"

namespace kh {

namespace {

// The messages of the file set-up, by export.
struct FileMessages {
    const char *unreadable;
    const char *no_source;
    const char *bad_waveform;  // %s: the file name
    const char *no_coder;
    const char *coder_setup;
    const char *coder_prepare;
    const char *wrong_status;  // no file name and no completed recognition
    const char *processing;    // a file name during a recognition
    const char *changed;       // %s: the file name
};

const FileMessages kSpeech = {"khSysGetSpeech: Error reading the waveform file",
                              "khSysGetSpeech: Error creating the source object",
                              "khSysGetSpeech: Error reading the waveform from the file %s",
                              "khSysGetSpeech: Error creating the coder object",
                              "khSysGetSpeech: Error initialising the coder",
                              "khSysGetSpeech: Error preparing the coder",
                              "khSysGetSpeech: Can only get speech immediately after recognition",
                              "khSysGetSpeech: Cannot get speech whilst processing speech",
                              "khSysGetSpeech: The waveform file %s has changed since its size was asked"};

const FileMessages kF0 = {"khSysGetF0Track: Error reading the source file %s",
                          "khSysGetF0Track: Unable to create source object",
                          "khSysGetF0Track: Error reading the waveform from file %s",
                          "khSysGetF0Track: Unable to create coder object",
                          "khSysGetF0Track: Error setting up the channel",
                          "khSysGetF0Track: Error preparing the coder",
                          "khSysGetF0Track: Can only get F0 results immediately after recognition",
                          "khSysGetF0Track: Cannot get F0 results during recognition",
                          "khSysGetF0Track: The waveform file %s has changed since its size was asked"};

// Makes a file source and a coder on the recogniser's model for the file.
// False after logging.
bool OpenFile(RecogniserRecord *rec, const char *wav, const FileMessages &m, SourceAndCoder *fc) {
    if (!FileReadable(wav)) return Failure(Message(m.unreadable, wav), false);
    fc->source = hapiCreateSourceObject(HAPI_FILE_SOURCE);
    if (!fc->source) return Failure(m.no_source, false);
    hapiSourceOverrideFilename(fc->source, wav);
    if (hapiSourceInitialise(fc->source) < 0) return fc->Release(), Failure(Message(m.bad_waveform, wav), false);
    fc->coder = hapiCreateCoderObject(fc->source);
    if (!fc->coder) return fc->Release(), Failure(m.no_coder, false);
    if (hapiCoderInitialise(fc->coder, rec->owner->model->name) < 0)
        return fc->Release(), Failure(m.coder_setup, false);
    if (hapiCoderPrepare(fc->coder) < 0) return fc->Release(), Failure(m.coder_prepare, false);
    return true;
}

// The common opening of the two retrievals: the coder to read, the
// recogniser's own or one made for the file.  Null after logging.
hapiCoderObject OpenCoder(RecogniserRecord *rec, const char *wav, bool size_query, const FileMessages &m,
                          const char *utterance_lines[2], const char *file_lines[2], SourceAndCoder *fc) {
    if (rec->status != REC_COMPLETE && !wav) return Failure(m.wrong_status, nullptr);
    if (rec->status == REC_PROCESSING) return Failure(m.processing, nullptr);
    if (!wav) {
        TraceLine(utterance_lines[size_query ? 0 : 1]);
        return rec->current_coder;
    }
    TraceLinef(file_lines[size_query ? 0 : 1], wav);
    return OpenFile(rec, wav, m, fc) ? fc->coder : nullptr;
}

// Names what a retrieval reads: a file by its name, the last utterance by
// its number, so that a size asked of one is never taken for another.
uint64_t SourceKey(const RecogniserRecord *rec, const char *wav) {
    if (!wav) return (uint64_t{1} << 63) | rec->utterances;
    uint64_t h = 1469598103934665603u;  // FNV-1a
    for (const char *c = wav; *c; c++) h = (h ^ static_cast<unsigned char>(*c)) * 1099511628211u;
    return h & ~(uint64_t{1} << 63);
}

// A size query records its answer; a fill call checks that the source
// still holds what its size query announced, since the caller's buffer
// was made for that many values.  False after logging.
bool Announce(RecogniserRecord *rec, const char *wav, int count, bool size_query, SizeAnswer *answer,
              const FileMessages &m) {
    uint64_t key = SourceKey(rec, wav);
    if (size_query) {
        *answer = {key, count};
        return true;
    }
    if (answer->source != key || answer->count < 0 || answer->count == count) return true;
    return Failure(Message(m.changed, wav ? wav : ""), false);
}

}  // namespace

int SysGetSpeech(RecogniserRecord *rec, const char *wav, short *samples) {
    const char *utterance[2] = {"Retrieving size of waveform from last utterance",
                                "Retrieving waveform from last utterance"};
    const char *file[2] = {"Retrieving size of waveform from file %s", "Retrieving waveform from file %s"};
    SourceAndCoder fc;
    hapiCoderObject coder = OpenCoder(rec, wav, !samples, kSpeech, utterance, file, &fc);
    if (!coder) return -1;
    int n = hapiCoderAccessWave(coder, 1, -1, nullptr);
    if (n < 0) return Failure("khSysGetSpeech: No samples available");
    if (!Announce(rec, wav, n, !samples, &rec->speech_size, kSpeech)) return -1;
    if (n == 0) return 0;
    if (samples && hapiCoderAccessWave(coder, 1, -1, samples) < 0) {
        fc.Release();
        return Failure("khSysGetSpeech: Error accessing the wave");
    }
    fc.Release();
    return Success("khSysGetSpeech", n);
}

int SysGetF0Track(RecogniserRecord *rec, const char *wav, float *track) {
    const char *utterance[2] = {"Retrieving size of array required from last utterance",
                                "Retrieving F0 track from last utterance"};
    const char *file[2] = {"Retrieving size of array required from file %s", "Retrieving F0 track from file %s"};
    SourceAndCoder fc;
    hapiCoderObject coder = OpenCoder(rec, wav, !track, kF0, utterance, file, &fc);
    if (!coder) return -1;
    int n = hapiCoderAccessWave(coder, 1, -1, nullptr);
    if (n < 0) return fc.Release(), Failure("khSysGetF0Track: Error accessing the wave");
    std::vector<short> samples(static_cast<size_t>(n) + 1);
    if (n > 0) hapiCoderAccessWave(coder, 1, -1, samples.data());
    int m = n > 0 ? hapiCoderGetF0Track(coder, samples.data(), n, nullptr) : 0;
    if (m >= 0 && !Announce(rec, wav, m, !track, &rec->f0_size, kF0)) return -1;
    if (m > 0 && track) m = hapiCoderGetF0Track(coder, samples.data(), n, track) < 0 ? -1 : m;
    fc.Release();
    if (m < 0) return Failure("khSysGetF0Track: Error getting the F0 track");
    return Success("khSysGetF0Track", m);
}

int RecSaveSpeech(RecogniserRecord *rec, const char *filename) {
    if (!FileAppendable(filename))
        return Failure(Message("khRecSaveSpeech: Unable to write speech file %s", filename ? filename : ""));
    if (rec->status != REC_COMPLETE)
        return Failure("khRecSaveSpeech: Can only save speech immediately after recognition");
    int saved = hapiCoderSaveSource(rec->current_coder, filename);
    if (saved == HAPI_WRITE_FAIL) return Failure(Message("khRecSaveSpeech: Error writing speech to file %s", filename));
    if (saved < 0) return Failure(Message("khRecSaveSpeech: Error retrieving speech from file %s", filename));
    return Success("khRecSaveSpeech", 1);
}

}  // namespace kh
