// mic_calibration.cpp - khSysCalibrateSpeech: the levels of speech and
// background on the live input.
#include "audio/audio.h"
#include "audio/audio_internal.h"
#include "frame/trace.h"

namespace kh {

int SysCalibrateSpeech(float *levels) {
    SourceAndCoder live;
    live.source = hapiCreateSourceObject(HAPI_LIVE_SOURCE);
    if (!live.source) return Failure("khSysCalibrateSpeech: Unable to create source object");
    if (hapiSourceInitialise(live.source) < 0) return Failure("khSysCalibrateSpeech: Error initialising the source");
    live.coder = hapiCreateCoderObject(live.source);
    if (!live.coder) return Failure("khSysCalibrateSpeech: Unable to create coder");
    if (hapiCoderInitialise(live.coder, g_state->current_vocab->model->name) < 0)
        return Failure("khSysCalibrateSpeech: Error creating the coder");
    int r = hapiSourceCalibrateSpeech(live.source, levels);
    if (r < 0) return Failure("khSysCalibrateSpeech: Error calibrating the speech");
    live.Release();
    if (levels) {
        TraceCalibration(levels);
        return Success("khSysCalibrateSpeech", 1);
    }
    if (r == 0) {
        TraceLine("Speech Calibration not required");
        return Success("khSysCalibrateSpeech", 0);
    }
    return Success("khSysCalibrateSpeech", 1);
}

}  // namespace kh
