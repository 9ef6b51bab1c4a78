// sysinit.cpp - khSysInit: the one start-up call of the library.
#include "frame/debugwin.h"
#include "frame/trace.h"
#include "system/settings.h"
#include "system/system.h"

namespace kh {

namespace {

// A second khSysInit fails, but first clears the exercise under way.
int Reinitialise(const char *config_filename) {
    LogError("khSysInit: System already initialised");
    if (!config_filename || strcmp(config_filename, g_state->config_file) != 0)
        LogError("khSysInit: Tried to reinitialise with a different config filename");
    if (g_state->current_vocab) {
        ClearExercise(g_state->current_vocab);
        g_state->current_vocab = g_state->vocabs;
    }
    return -1;
}

bool LoadModels() {
    TraceLine("Reading model information");
    bool ok = ForEachIndexed("MODEL", [](int n, const char *value) {
        TraceLinef("Reading model number %d with name %s", n, value);
        ModelRecord *model = LoadModel(value);
        if (!model) return false;
        model->next = g_state->models;
        g_state->models = model;
        return true;
    });
    if (!ok) return false;
    if (!g_state->models) {
        LogError("khSysInit: No models loaded");
        return false;
    }
    return true;
}

bool LoadVocabs() {
    TraceLine("Reading the vocab dictionaries");
    bool ok = ForEachIndexed("VOCAB", [](int n, const char *value) {
        TraceLinef("Reading vocab number %d with name %s", n, value);
        VocabRecord *vocab = LoadVocab(value);
        if (!vocab) return false;
        vocab->next = g_state->vocabs;
        g_state->vocabs = vocab;
        return true;
    });
    if (!ok) return false;
    if (!g_state->vocabs) {
        LogError("khSysInit: No vocabs loaded");
        return false;
    }
    return true;
}

}  // namespace

int SysInit(const char *config_filename) {
    if (g_state) return Reinitialise(config_filename);

    g_state = new SystemState();
    if (!FileReadable(config_filename)) {
        if (!config_filename) LogError("khSysInit: Passed a NULL pointer instead of a filename");
        else LogErrorf("khSysInit: Unable to read config file %s", config_filename);
        return -1;
    }
    if (hapiInitHAPI(config_filename, 0) < 0) {
        LogError("khSysInit: Error initialising hapi");
        return -1;
    }
    CopyField(g_state->config_file, config_filename);

    ReadTraceSettings();
    if (g_state->trace_level == LEVEL_NOFUNCOPER) {
        g_state->initialised = 1;
        return 0;
    }
    if ((g_state->trace_level == LEVEL_FULL || g_state->trace_level == LEVEL_ERROR) &&
        g_state->debug_window_active && !StartDebugWindowCall())
        g_state->debug_window_active = 0;
    ReadSettings();

    g_state->sys_dict = nullptr;
    g_state->models = nullptr;
    g_state->vocabs = nullptr;
    ResetLogStream();
    g_state->disabled_arc_score = kDisabledArcScore;
    g_state->indent[0] = '\0';

    TraceEnter("khSysInit");
    TraceParamString(1, "config filename", config_filename);
    if (!LoadModels() || !LoadVocabs()) return -1;
    g_state->current_vocab = g_state->vocabs;
    g_state->initialised = 1;
    return Success("khSysInit", 1);
}

}  // namespace kh
