// source.h - the audio source object: a waveform file, the sound card's
// output or the live input.
#ifndef ENGINE_AUDIO_SOURCE_H
#define ENGINE_AUDIO_SOURCE_H

#include "audio/sound_io.h"
#include "hapi.h"

#include <memory>
#include <string>
#include <vector>

struct hapi_source {
    hapiSourceKind kind = HAPI_FILE_SOURCE;
    std::string filename;
    bool initialised = false;
    bool in_use = false;  // initialised once: follows new file names from then on
    bool started = false;
    int rate = 0;                             // samples per second of what it delivers
    std::vector<short> wave;                  // a file source: the whole file, at its own rate
    std::unique_ptr<engine::LiveInput> live;  // the live input, once started
    ~hapi_source();
};

#endif  // ENGINE_AUDIO_SOURCE_H
