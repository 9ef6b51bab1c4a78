// coder.h - the coder object: turns a source's samples into the frames of
// an utterance with the front end of one model.
#ifndef ENGINE_AUDIO_CODER_H
#define ENGINE_AUDIO_CODER_H

#include "audio/front_end.h"
#include "base/model.h"
#include "base/utterance.h"
#include "hapi.h"

#include <memory>
#include <string>

struct hapi_coder {
    hapi_source *src = nullptr;
    std::string model_name;
    engine::Model model;
    std::unique_ptr<engine::FrontEnd> fe;
    std::shared_ptr<engine::Utterance> utt;  // the last utterance, until completed
    bool prepared = false;
};

#endif  // ENGINE_AUDIO_CODER_H
