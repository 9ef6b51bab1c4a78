// sysinit.cpp - khSysInit: the one start-up call of the library.
#include "frame/debugwin.h"
#include "frame/file_access.h"
#include "frame/trace.h"
#include "system/config_keys.h"
#include "system/system.h"

namespace kh {

namespace {

// Loads every MODELn or VOCABn onto the front of its list; fails on the
// first that does not load, or when there are none.
template <typename Record>
bool LoadAll(const char *stem, const char *kind, Record *(*load)(const char *), Record *&list) {
    bool ok = ForEachIndexed(stem, [&](int n, const char *value) {
        TraceLinef("Reading %s number %d with name %s", kind, n, value);
        Record *record = load(value);
        if (!record) return false;
        record->next = list;
        list = record;
        return true;
    });
    if (!ok) return false;
    if (!list) {
        return Failure(Message("khSysInit: No %ss loaded", kind), false);
    }
    return true;
}

// The engine's notes go neither to the application's standard error nor
// to the log, which holds the library's own lines only; the engine copies
// them to the file its NOTELOG key names.
void PassOverEngineNote(const char *, void *) {}

}  // namespace

int SysInit(const char *config_filename) {
    hapiSetMessageSink(PassOverEngineNote, nullptr);
    g_state = new SystemState();
    // Lines written while the settings are read go to the default log.
    CopyField(g_state->log_file, TextDefault("ERRORLOG"));
    if (!FileReadable(config_filename)) {
        if (!config_filename) return Failure("khSysInit: Passed a NULL pointer instead of a filename");
        return Failure(Message("khSysInit: Unable to read config file %s", config_filename));
    }
    if (hapiInitHAPI(config_filename, 0) < 0) {
        return Failure("khSysInit: Error initialising hapi");
    }
    CopyField(g_state->config_file, config_filename);
    g_state->config_file_given = config_filename;

    ReadTraceSettings();
    if (g_state->trace_level == LEVEL_NOFUNCOPER) {
        g_state->initialised = 1;
        return 0;
    }
    if ((g_state->trace_level == LEVEL_FULL || g_state->trace_level == LEVEL_ERROR) && g_state->debug_window_active &&
        !StartDebugWindowCall())
        g_state->debug_window_active = 0;
    ReadSettings();

    ResetLogStream();

    TraceEnter("khSysInit");
    TraceParamString(1, "config filename", config_filename);
    TraceLine("Reading model information");
    if (!LoadAll("MODEL", "model", LoadModel, g_state->models)) return -1;
    TraceLine("Reading the vocab dictionaries");
    if (!LoadAll("VOCAB", "vocab", LoadVocab, g_state->vocabs)) return -1;
    g_state->current_vocab = g_state->vocabs;
    g_state->initialised = 1;
    return Success("khSysInit", 1);
}

}  // namespace kh
