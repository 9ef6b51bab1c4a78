// playback.cpp - playing prompts and parts of the last utterance.
#include <climits>
#include <cmath>
#include <vector>

#include "audio/audio.h"
#include "audio/audio_internal.h"
#include "frame/file_access.h"
#include "frame/trace.h"
#include "system/system.h"

namespace kh {

namespace {

// A play source, deleted with the object.
struct PlaySource {
    ~PlaySource() {
        if (source) hapiDeleteSourceObject(source);
    }
    hapiSourceObject source = nullptr;
};

// Fetches the samples of frames first to last and plays them.  The number
// played, 0 for none, or -1 after logging with the export's messages.
int PlayFrames(hapiCoderObject coder, int first, int last, hapiSourceObject play, const char *access_message,
               const char *play_message) {
    int n = hapiCoderAccessWave(coder, first, last, nullptr);
    if (n < 0) return Failure(access_message);
    if (n == 0) return 0;
    std::vector<short> samples(static_cast<size_t>(n));
    if (hapiCoderAccessWave(coder, first, last, samples.data()) < 0) return Failure(access_message);
    if (hapiSourcePlayWave(play, n, samples.data()) < 0) return Failure(play_message);
    return n;
}

// The time of the samples a coder hands out, from its frame period and the
// samples of its first frame: the coder converts a file to the model's
// rate, so the file's own rate would play it at the wrong speed.
double CoderSamplePeriod(hapiCoderObject coder, double file_period) {
    double advance = hapiCoderObservationWindowAdvance(coder);
    int per_frame = hapiCoderAccessWave(coder, 1, 1, nullptr);
    if (advance == HAPI_FLOAT_FAIL || advance <= 0 || per_frame <= 0) return file_period;
    return advance / per_frame;
}

// A time as the number of the frame whose start lies nearest; false for a
// time that is no number or lies beyond every frame an int can count.
bool FrameOf(double time, double advance, int *frame) {
    double number = time / advance + 1.5;
    if (!std::isfinite(number) || number < 1.0 || number >= static_cast<double>(INT_MAX)) return false;
    *frame = static_cast<int>(number);
    return true;
}

}  // namespace

int SysPlayPrompt(const char *filename) {
    if (!FileReadable(filename)) return Failure("khSysPlayPrompt: Unable to read file");
    SourceAndCoder file;
    PlaySource play;
    file.source = hapiCreateSourceObject(HAPI_FILE_SOURCE);
    if (!file.source || hapiSourceOverrideFilename(file.source, filename) < 0 || hapiSourceInitialise(file.source) != 0)
        return Failure("khSysPlayPrompt: Unable to initialise source");
    play.source = hapiCreateSourceObject(HAPI_PLAY_SOURCE);
    if (!play.source || hapiSourceInitialise(play.source) < 0)
        return Failure("khSysPlayPrompt: Unable to initialise the play source");
    file.coder = hapiCreateCoderObject(file.source);
    if (!file.coder || hapiCoderInitialise(file.coder, g_state->current_vocab->model->name) < 0)
        return Failure("khSysPlayPrompt: Unable to initialise coder");
    double period = hapiSourceSamplePeriod(file.source, nullptr);
    if (period == HAPI_FLOAT_FAIL) return Failure("khSysPlayPrompt: Error retrieving source sample period");
    if (hapiCoderPrepare(file.coder) < 0) return Failure("khSysPlayPrompt: Error preparing the coder");
    period = CoderSamplePeriod(file.coder, period);
    if (hapiSourceSamplePeriod(play.source, &period) < 0.0)
        return Failure("khSysPlayPrompt: Error setting the source sample period");
    int n = PlayFrames(file.coder, 1, -1, play.source, "khSysPlayPrompt: Error accessing the waveform",
                       "khSysPlayPrompt: Error playing the waveform");
    if (n < 0) return -1;
    return Success("khSysPlayPrompt", n > 0 ? 1 : 0);
}

int RecPlayUtterance(RecogniserRecord *rec, double start, double end) {
    if (rec->status != REC_COMPLETE)
        return Failure("khRecPlayUtterance: Can only playback last utterance immediately after recognition");
    double advance = hapiCoderObservationWindowAdvance(rec->current_coder);
    if (advance == HAPI_FLOAT_FAIL || advance <= 0)
        return Failure("khRecPlayUtterance: Error finding length of observation advance");
    int first = 0;
    if (start < 0.0 || !FrameOf(start, advance, &first)) return Failure("khRecPlayUtterance: Incorrect start value");
    int last = -1;
    if (end < 0.0 && end != -1.0) return Failure("khRecPlayUtterance: Only negative value allowed is -1.0");
    if (end != -1.0 && !FrameOf(end, advance, &last)) return Failure("khRecPlayUtterance: Incorrect end value");
    PlaySource play;
    play.source = hapiCreateSourceObject(HAPI_PLAY_SOURCE);
    if (!play.source) return Failure("khRecPlayUtterance: Unable to create play object");
    if (hapiSourceInitialise(play.source) < 0) return Failure("khRecPlayUtterance: Unable to initialise play object");
    int n = PlayFrames(rec->current_coder, first, last, play.source, "khRecPlayUtterance: Error accessing the waveform",
                       "khRecPlayUtterance: Error playing the waveform");
    if (n < 0) return -1;
    return Success("khRecPlayUtterance", n);
}

}  // namespace kh
