// models.cpp - acoustic models (MODELn) and vocabularies (VOCABn).
#include <memory>

#include "dict/dict.h"
#include "frame/case.h"
#include "frame/file_access.h"
#include "frame/trace.h"
#include "system/config_keys.h"
#include "system/system.h"

namespace kh {

namespace {

// Reads a model's file key, which must name a readable file.
bool ReadModelFile(const char *model, const char *suffix, const char *absent_message, char (&field)[kNameLen]) {
    const char *file = ReadConfKey(model, suffix);
    if (!file) {
        return Failure(absent_message, false);
    }
    if (!FileReadable(file)) {
        return Failure(Message("khSysInit: File %s does not exist, or cannot be read", file), false);
    }
    CopyField(field, file);
    return true;
}

// The engine's background model key: empty for none.
const char *BackgroundKeyValue(const char *background) { return strcmp(background, "none") == 0 ? "" : background; }

}  // namespace

ModelRecord *LoadModel(const char *name) {
    auto *model = new ModelRecord();
    CopyField(model->name, name);
    if (!ReadModelFile(name, "MMF", "khSysInit: No MMF file specified", model->model_file) ||
        !ReadModelFile(name, "HMMLIST", "khSysInit: No HMMList file specified", model->hmm_list_file)) {
        delete model;
        return nullptr;
    }
    const char *background = ReadConfKey(name, "BKHMMNAME");
    if (!background) CopyField(model->background, TextDefault("<model>BKHMMNAME"));
    else if (SameIgnoringCase(background, "none")) CopyField(model->background, "none");
    else CopyField(model->background, background);

    hapiOverrideConfStr("MMF", model->model_file);
    hapiOverrideConfStr("HMMLIST", model->hmm_list_file);
    hapiOverrideConfStr("BKHMMNAME", BackgroundKeyValue(model->background));
    model->hmm_set = hapiCreateHMMSetObject();
    if (hapiHMMSetInitialise(model->hmm_set) < 0) {
        if (model->hmm_set) hapiDeleteHMMSetObject(model->hmm_set);
        delete model;
        return nullptr;
    }
    TraceLinef("Loaded model %s", name);
    return model;
}

ModelRecord *FindModel(const char *name) {
    if (!name || !name[0]) return nullptr;
    for (ModelRecord *m = g_state->models; m; m = m->next)
        if (strcmp(m->name, name) == 0) return m;
    return nullptr;
}

VocabRecord *LoadVocab(const char *name) {
    auto vocab = std::make_unique<VocabRecord>();
    CopyField(vocab->name, name);
    const char *model_name = ReadConfKey(name, "MODEL");
    if (!model_name) return Failure("khSysInit: Invalid model name", nullptr);
    vocab->model = FindModel(model_name);
    if (!vocab->model) return Failure(Message("khSysInit: Could not find model with name %s", model_name), nullptr);
    const char *dict_file = ReadConfKey(name, "DICT");
    if (!dict_file) return Failure("khSysInit: Invalid or unspecified vocab filename", nullptr);
    vocab->vocab_dict = LoadDict(dict_file);
    if (!vocab->vocab_dict)
        return Failure(Message("khSysInit: Unable to load dictionary with filename %s", dict_file), nullptr);
    CopyField(vocab->vocab_dict_file, dict_file);
    vocab->exercise_dict = hapiEmptyDictObject(vocab->vocab_dict);
    hapiDictFinalise(vocab->exercise_dict);
    TraceLinef("Read vocab %s", name);
    return vocab.release();
}

VocabRecord *FindVocab(const char *name) {
    for (VocabRecord *v = g_state->vocabs; v; v = v->next)
        if (strcmp(v->name, name) == 0) return v;
    return nullptr;
}

}  // namespace kh
