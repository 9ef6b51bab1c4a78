// hmmset.cpp - HMM sets: an acoustic model folder loaded once, with the
// decoders for confidences and re-decoding made on it.
#include "base/config.h"
#include "base/defaults.h"
#include "base/diagnostics.h"
#include "base/files.h"
#include "base/model.h"
#include "decoding/decoder.h"
#include "decoding/hmmset.h"
#include "decoding/phone_scorer.h"
#include "decoding/redecoder.h"

namespace {

bool load_model(hapi_hmmset *h) {
    engine::Model &m = h->model;
    std::string why;
    if (!engine::describe_model(m.mdef, &m, &why))
        return engine::complain("hapiHMMSetInitialise: %s", why.c_str()), false;
    if (!m.hmmlist.empty() && m.hmmlist != m.mdef && !engine::is_regular_file(m.hmmlist))
        return engine::complain("hapiHMMSetInitialise: cannot read phone list %s", m.hmmlist.c_str()), false;
    m.silence = m.has_phone("SIL") ? "SIL" : m.phones.back();
    if (!h->background.empty() && m.has_phone(h->background)) {
        m.silence = h->background;
    } else {
        static bool noted = false;
        if (!noted)
            engine::complain("background unit '%s' is not in the model; using its silence unit %s",
                             h->background.c_str(), m.silence.c_str());
        noted = true;
    }
    // A decoder made here proves that the whole model loads; it then
    // serves the alternatives (N-best) of every recogniser on this model.
    ps_decoder_t *ps = engine::make_decoder(m, engine::decoder_beam(engine::kDefaultGenbeam),
                                            engine::decoder_word_beam(engine::kDefaultGoptbeam));
    if (!ps) return engine::complain("hapiHMMSetInitialise: cannot load the model in %s", m.dir.c_str()), false;
    auto scorer = std::make_shared<engine::PhoneScorer>(m);
    if (!scorer->ok()) engine::complain("phones and confidences cannot be computed: %s", scorer->why().c_str());
    h->phone_scorer = scorer;
    h->redecoder = std::make_shared<engine::Redecoder>(m, ps);
    engine::set_current_model_rate(m.samprate);
    return true;
}

}  // namespace

extern "C" {

hapiHMMSetObject hapiCreateHMMSetObject(void) {
    if (engine::fault("hapiCreateHMMSetObject")) return nullptr;
    auto *h = new hapi_hmmset;
    h->model.mdef = engine::conf_string("MMF", engine::kDefaultMmf);
    h->model.hmmlist = engine::conf_string("HMMLIST", engine::kDefaultHmmlist);
    h->background = engine::conf_string("BKHMMNAME", engine::kDefaultBkhmmname);
    return h;
}

int hapiHMMSetInitialise(hapiHMMSetObject hmms) {
    if (engine::fault("hapiHMMSetInitialise")) return -1;
    if (!hmms) return engine::complain("hapiHMMSetInitialise: no HMM set"), -1;
    if (hmms->loaded) return 0;
    if (!load_model(hmms)) return -1;
    hmms->loaded = true;
    return 0;
}

int hapiDeleteHMMSetObject(hapiHMMSetObject hmms) {
    return engine::delete_object(hmms, "hapiDeleteHMMSetObject", "HMM set");
}

}  // extern "C"
