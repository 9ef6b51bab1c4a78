// settings.cpp - the configuration keys of the library, read through the
// engine's override calls, each with its default.
#include "system/system.h"

#include <cstdio>
#include <string>

#include "frame/case.h"
#include "frame/debugwin.h"
#include "frame/state.h"
#include "frame/trace.h"
#include "system/config_keys.h"

namespace kh {

int ReadConfBool(const char *key) {
    const int *v = hapiOverrideConfBool(key, nullptr);
    return v ? *v : static_cast<int>(NumberDefault(key));
}

int ReadConfInt(const char *key) {
    const int *v = hapiOverrideConfInt(key, nullptr);
    return v ? *v : static_cast<int>(NumberDefault(key));
}

float ReadConfFloat(const char *key) {
    const float *v = hapiOverrideConfFlt(key, nullptr);
    return v ? *v : static_cast<float>(NumberDefault(key));
}

const char *ReadConfText(const char *key) {
    const char *v = ReadConfString(key);
    return v ? v : TextDefault(key);
}

const char *ReadConfString(const char *key) {
    const char *v = hapiOverrideConfStr(key, nullptr);
    if (!v || !v[0] || strlen(v) >= static_cast<size_t>(kNameLen)) return nullptr;
    return v;
}

const char *ReadConfIndexed(const char *stem, int n) {
    char key[kNameLen];
    snprintf(key, sizeof key, "%s%d", stem, n);
    return ReadConfString(key);
}

const char *ReadConfKey(const char *prefix, const char *suffix) {
    std::string key = std::string(prefix) + suffix;
    return ReadConfString(key.c_str());
}

void ReadTraceSettings() {
    SystemState *s = g_state;
    if (ReadConfBool("NOFUNCOPER")) {
        s->debug_window_active = 0;
        s->trace_level = LEVEL_NOFUNCOPER;
        return;
    }
    const char *debug = ReadConfString("DEBUG");
    if (debug && strcmp(debug, "ERROR") == 0) {
        s->trace_level = LEVEL_ERROR;
    } else if (debug && strcmp(debug, "FULL") == 0) {
        s->trace_level = LEVEL_FULL;
    } else {
        s->trace_level = LEVEL_SILENT;
        s->debug_window_active = 0;
        return;
    }
    s->debug_window_active = ReadConfBool("DEBUGWIN") ? 1 : 0;
    if (s->debug_window_active && !LoadDebugWindow()) {
        s->debug_window_active = 0;
        LogError("khSysInit: Attempted to create debug window without dll being in the path");
    }
}

namespace {

int ForcedCase(const char *value) {
    if (value && SameIgnoringCase(value, "UPPER")) return 1;
    if (value && SameIgnoringCase(value, "LOWER")) return -1;
    return 0;
}

// Copies a dictionary file key into SystemState, tracing its absence.
int ReadDictName(const char *key, char (&field)[kNameLen], const char *absent_line) {
    const char *value = ReadConfString(key);
    if (!value) {
        TraceLine(absent_line);
        field[0] = '\0';
        return 0;
    }
    CopyField(field, value);
    return 1;
}

}  // namespace

void ReadSettings() {
    SystemState *s = g_state;
    s->forced_case = ForcedCase(ReadConfString("FORCECASE"));
    s->general_beam = ReadConfFloat("GENBEAM");
    s->opt_beam = ReadConfFloat("GOPTBEAM");
    s->sil_seq_count = ReadConfInt("SILSEQCOUNT");
    s->sys_dict_available = ReadDictName("SYSDICT", s->sys_dict_file, "No system dictionary specified");
    s->user_dict_given = ReadDictName("USERDICT", s->user_dict_file, "No user dictionary specified");
    CopyField(s->log_file, ReadConfText("ERRORLOG"));
    CopyField(s->bnf_punc, ReadConfText("BNFPUNC"));
    s->bnf_punc_len = static_cast<int32_t>(strlen(s->bnf_punc));
    int gauss = ReadConfBool("GAUSSOPT");
    hapiOverrideConfBool("GAUSSOPT", &gauss);
    const int always = 1;
    hapiOverrideConfBool("PHNTREESTRUCT", &always);
    int forceout = ReadConfBool("FORCEOUT");
    hapiOverrideConfBool("FORCEOUT", &forceout);
    s->save_lattices = ReadConfBool("LATSAVE") ? 1 : 0;
    s->guess_prons = ReadConfBool("GUESSPRONS") ? 1 : 0;
    s->phone_confidences = ReadConfBool("PHONECONF") ? 1 : 0;
    s->vocab_cache = ReadConfBool("VOCABCACHE") ? 1 : 0;
}

}  // namespace kh
