// source.cpp - audio sources: waveform files the sound card's output
// and the live input.
#include "audio/calibrate.h"
#include "audio/sound_io.h"
#include "audio/source.h"
#include "base/config.h"
#include "base/defaults.h"
#include "base/diagnostics.h"
#include "base/model.h"

#include <portaudio.h>

hapi_source::~hapi_source() {
    if (live) live->stop();
}

namespace {

// How long a calibration listens.
const double kCalibrationSeconds = 3.0;

bool valid_kind(int kind) { return kind == HAPI_FILE_SOURCE || kind == HAPI_PLAY_SOURCE || kind == HAPI_LIVE_SOURCE; }

bool init_file_source(hapi_source *src) {
    if (src->filename.empty()) return engine::complain("hapiSourceInitialise: no file name"), false;
    std::string why;
    std::vector<short> wave;
    int rate = 0;
    if (!engine::read_audio_file(src->filename, engine::current_model_rate(), &wave, &rate, &why))
        return engine::complain("hapiSourceInitialise: cannot read %s: %s", src->filename.c_str(), why.c_str()), false;
    src->wave.swap(wave);
    src->rate = rate;
    return true;
}

bool init_live_source(hapi_source *src) {
    std::string audioin = engine::conf_string("AUDIOIN", engine::kDefaultAudioIn);
    if (audioin != "default" && audioin != "" && audioin.rfind("file:", 0) != 0)
        return engine::complain("hapiSourceInitialise: AUDIOIN must be default or file:NAME, not '%s'",
                                audioin.c_str()),
               false;
    src->filename = audioin;
    src->rate = engine::current_model_rate();
    return true;
}

// Plays samples on the default output and waits until they are played.
bool play(const short *samples, int n, int rate, std::string *why) {
    PaError e = paNoError;
    PaStream *stream = nullptr;
    bool initialised = false;
    engine::quietly([&] {
        e = Pa_Initialize();
        initialised = e == paNoError;
        if (e == paNoError) e = Pa_OpenDefaultStream(&stream, 0, 1, paInt16, rate, 1024, nullptr, nullptr);
        if (e == paNoError) e = Pa_StartStream(stream);
    });
    if (e == paNoError) e = Pa_WriteStream(stream, samples, static_cast<unsigned long>(n));
    engine::quietly([&] {
        if (stream) {
            Pa_StopStream(stream);
            Pa_CloseStream(stream);
        }
        if (initialised) Pa_Terminate();
    });
    if (e != paNoError) *why = Pa_GetErrorText(e);
    return e == paNoError;
}

}  // namespace

extern "C" {

hapiSourceObject hapiCreateSourceObject(int kind) {
    if (engine::fault("hapiCreateSourceObject")) return nullptr;
    if (!valid_kind(kind)) return engine::complain("hapiCreateSourceObject: unknown kind %d", kind), nullptr;
    auto *src = new hapi_source;
    src->kind = static_cast<hapiSourceKind>(kind);
    src->rate = engine::current_model_rate();
    return src;
}

int hapiSourceOverrideFilename(hapiSourceObject src, const char *filename) {
    if (engine::fault("hapiSourceOverrideFilename")) return -1;
    if (!src || !filename) return engine::complain("hapiSourceOverrideFilename: no source or name"), -1;
    if (src->kind != HAPI_FILE_SOURCE) return engine::complain("hapiSourceOverrideFilename: not a file source"), -1;
    src->filename = filename;
    src->initialised = false;
    // A source already in use reads its new file at once, so that one
    // source can be pointed from one recording to the next.
    if (src->in_use && !src->started) {
        src->initialised = init_file_source(src);
        return src->initialised ? 0 : -1;
    }
    return 0;
}

int hapiSourceInitialise(hapiSourceObject src) {
    if (engine::fault("hapiSourceInitialise")) return -1;
    if (!src) return engine::complain("hapiSourceInitialise: no source"), -1;
    if (src->started) return engine::complain("hapiSourceInitialise: source is running"), -1;
    bool ok = src->kind == HAPI_FILE_SOURCE ? init_file_source(src)
        : src->kind == HAPI_LIVE_SOURCE     ? init_live_source(src)
                                            : true;
    src->initialised = ok;
    src->in_use = src->in_use || ok;
    return ok ? 0 : -1;
}

int hapiSourceStart(hapiSourceObject src) {
    if (engine::fault("hapiSourceStart")) return -1;
    if (!src || !src->initialised) return engine::complain("hapiSourceStart: source not initialised"), -1;
    if (src->kind == HAPI_LIVE_SOURCE) {
        if (src->live) src->live->stop();
        src->live = engine::make_live_input(src->filename, src->rate);
        std::string why;
        if (!src->live->start(&why)) {
            src->live.reset();
            engine::complain("hapiSourceStart: cannot start the live input (%s): %s", src->filename.c_str(),
                             why.c_str());
            return -1;
        }
    }
    src->started = true;
    return 0;
}

int hapiSourceStop(hapiSourceObject src) {
    if (engine::fault("hapiSourceStop")) return -1;
    if (!src) return engine::complain("hapiSourceStop: no source"), -1;
    // What the live input captured stays readable until the coder is done.
    if (src->live) src->live->stop();
    src->started = false;
    return 0;
}

double hapiSourceSamplePeriod(hapiSourceObject src, const double *period) {
    if (engine::fault("hapiSourceSamplePeriod")) return HAPI_FLOAT_FAIL;
    if (!src) return engine::complain("hapiSourceSamplePeriod: no source"), HAPI_FLOAT_FAIL;
    if (period) {
        if (src->kind != HAPI_PLAY_SOURCE)
            return engine::complain("hapiSourceSamplePeriod: only a play source's period can be set"), -1.0;
        if (!(*period >= 1.0 / 384000 && *period <= 1.0 / 1000))
            return engine::complain("hapiSourceSamplePeriod: implausible period %g", *period), -1.0;
        src->rate = static_cast<int>(1.0 / *period + 0.5);
    }
    if (src->rate <= 0) return engine::complain("hapiSourceSamplePeriod: source not initialised"), HAPI_FLOAT_FAIL;
    return 1.0 / src->rate;
}

int hapiSourcePlayWave(hapiSourceObject src, int n, const short *samples) {
    if (engine::fault("hapiSourcePlayWave")) return -1;
    if (!src || src->kind != HAPI_PLAY_SOURCE || n < 0 || (n > 0 && !samples))
        return engine::complain("hapiSourcePlayWave: needs a play source and samples"), -1;
    if (n == 0) return 0;
    // AUDIOOUT=file:NAME writes what would be played to a WAV file instead
    // (for tests and machines without a sound card).
    std::string audioout = engine::conf_string("AUDIOOUT", engine::kDefaultAudioOut);
    std::string why;
    if (audioout.rfind("file:", 0) == 0) {
        if (!engine::write_wav(audioout.substr(5), samples, static_cast<size_t>(n), src->rate, &why))
            return engine::complain("hapiSourcePlayWave: cannot write %s: %s", audioout.c_str() + 5, why.c_str()), -1;
        return 0;
    }
    if (!play(samples, n, src->rate, &why))
        return engine::complain("hapiSourcePlayWave: cannot play: %s", why.c_str()), -1;
    return 0;
}

int hapiSourceCalibrateSpeech(hapiSourceObject src, float *levels) {
    if (engine::fault("hapiSourceCalibrateSpeech")) return -1;
    if (!src || src->kind != HAPI_LIVE_SOURCE || !src->initialised)
        return engine::complain("hapiSourceCalibrateSpeech: needs an initialised live source"), -1;
    if (src->started) return engine::complain("hapiSourceCalibrateSpeech: the source is running"), -1;
    std::vector<short> samples;
    std::string why;
    if (!engine::capture(src->filename, src->rate, kCalibrationSeconds, &samples, &why))
        return engine::complain("hapiSourceCalibrateSpeech: cannot listen to %s: %s", src->filename.c_str(),
                                why.c_str()),
               -1;
    engine::Levels l = engine::measure_levels(samples, src->rate);
    if (!levels) return engine::needs_calibration(l) ? 1 : 0;
    levels[0] = l.speech_db;
    levels[1] = l.background_db;
    levels[2] = l.snr_db;
    levels[3] = l.peak_to_peak;
    return 1;
}

int hapiDeleteSourceObject(hapiSourceObject src) {
    return engine::delete_object(src, "hapiDeleteSourceObject", "source");
}

}  // extern "C"
