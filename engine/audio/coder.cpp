// coder.cpp - coders: the front end that turns a source's samples into
// frames for the recogniser, and keeps the samples of the last utterance.
#include "audio/coder.h"
#include "audio/front_end.h"
#include "audio/sound_io.h"
#include "audio/source.h"
#include "base/config.h"
#include "base/defaults.h"
#include "base/diagnostics.h"
#include "base/model.h"
#include "base/utterance.h"

namespace {

// The model folder of a model record name: the key NAME + "MMF", else
// the engine's own MMF.
std::string model_file_for(const std::string &model_name) {
    std::string mdef = engine::conf_string(model_name + "MMF", engine::kDefaultNamedMmf);
    return mdef.empty() ? engine::conf_string("MMF", engine::kDefaultMmf) : mdef;
}

bool prepare_file(hapi_coder *c, engine::Utterance *u) {
    if (!c->src->initialised) return engine::complain("hapiCoderPrepare: the file source is not initialised"), false;
    if (!engine::resample(c->src->wave, c->src->rate, c->model.samprate, &u->samples))
        return engine::complain("hapiCoderPrepare: cannot convert %s to %d Hz", c->src->filename.c_str(),
                                c->model.samprate),
               false;
    if (!c->fe->whole(u))
        return engine::complain("hapiCoderPrepare: cannot analyse %s", c->src->filename.c_str()), false;
    return true;
}

}  // namespace

extern "C" {

hapiCoderObject hapiCreateCoderObject(hapiSourceObject src) {
    if (engine::fault("hapiCreateCoderObject")) return nullptr;
    if (!src) return engine::complain("hapiCreateCoderObject: no source"), nullptr;
    auto *c = new hapi_coder;
    c->src = src;
    return c;
}

int hapiCoderInitialise(hapiCoderObject coder, const char *model_name) {
    if (engine::fault("hapiCoderInitialise")) return -1;
    if (!coder || !model_name) return engine::complain("hapiCoderInitialise: no coder or model name"), -1;
    std::string why;
    engine::Model m;
    if (!engine::describe_model(model_file_for(model_name), &m, &why))
        return engine::complain("hapiCoderInitialise: model %s: %s", model_name, why.c_str()), -1;
    auto fe = std::make_unique<engine::FrontEnd>(m);
    if (!fe->ok()) return engine::complain("hapiCoderInitialise: cannot set up the front end of %s", model_name), -1;
    coder->model = m;
    coder->model_name = model_name;
    coder->fe = std::move(fe);
    coder->utt.reset();
    coder->prepared = false;
    return 0;
}

int hapiCoderPrepare(hapiCoderObject coder) {
    if (engine::fault("hapiCoderPrepare")) return -1;
    if (!coder || !coder->fe) return engine::complain("hapiCoderPrepare: coder not initialised"), -1;
    auto u = std::make_shared<engine::Utterance>();
    u->samples_per_frame = coder->model.samprate / coder->model.frate;
    bool ok = coder->src->kind == HAPI_FILE_SOURCE ? prepare_file(coder, u.get())
                                                   : coder->src->kind == HAPI_LIVE_SOURCE && coder->fe->start(u.get());
    if (!ok) {
        if (coder->src->kind != HAPI_FILE_SOURCE) engine::complain("hapiCoderPrepare: the source cannot be coded");
        return -1;
    }
    coder->utt = u;
    coder->prepared = true;
    return 0;
}

int hapiCoderComplete(hapiCoderObject coder) {
    if (engine::fault("hapiCoderComplete")) return -1;
    if (!coder) return engine::complain("hapiCoderComplete: no coder"), -1;
    coder->utt.reset();
    coder->prepared = false;
    return 0;
}

double hapiCoderObservationWindowAdvance(hapiCoderObject coder) {
    if (engine::fault("hapiCoderObservationWindowAdvance")) return HAPI_FLOAT_FAIL;
    if (!coder || !coder->fe)
        return engine::complain("hapiCoderObservationWindowAdvance: coder not initialised"), HAPI_FLOAT_FAIL;
    return 1.0 / coder->model.frate;
}

int hapiCoderAccessWave(hapiCoderObject coder, int first, int last, short *buf) {
    if (engine::fault("hapiCoderAccessWave")) return -1;
    if (!coder || !coder->utt) return engine::complain("hapiCoderAccessWave: no utterance"), -1;
    if (first < 1 || (last != -1 && last < first))
        return engine::complain("hapiCoderAccessWave: bad frame range %d to %d", first, last), -1;
    const std::vector<short> &s = coder->utt->samples;
    size_t spf = static_cast<size_t>(coder->utt->samples_per_frame);
    size_t from = std::min(s.size(), (static_cast<size_t>(first) - 1) * spf);
    size_t to = last == -1 ? s.size() : std::min(s.size(), static_cast<size_t>(last) * spf);
    if (buf) std::copy(s.begin() + from, s.begin() + to, buf);
    return static_cast<int>(to - from);
}

int hapiCoderSaveSource(hapiCoderObject coder, const char *filename) {
    if (engine::fault("hapiCoderSaveSource")) return -1;
    if (!coder || !coder->utt || !filename)
        return engine::complain("hapiCoderSaveSource: no utterance or file name"), -1;
    const std::vector<short> &s = coder->utt->samples;
    std::string why;
    if (!engine::write_wav(filename, s.data(), s.size(), coder->model.samprate, &why))
        return engine::complain("hapiCoderSaveSource: cannot write %s: %s", filename, why.c_str()), HAPI_WRITE_FAIL;
    return 0;
}

int hapiDeleteCoderObject(hapiCoderObject coder) {
    return engine::delete_object(coder, "hapiDeleteCoderObject", "coder");
}

}  // extern "C"
