// system.h - starting the system (models and vocabularies) and reading
// the library's configuration keys through the engine.
#ifndef KH_SYSTEM_SYSTEM_H
#define KH_SYSTEM_SYSTEM_H

#include "dict/dict.h"

namespace kh {

// The work of a first khSysInit.
int SysInit(const char *config_filename);

ModelRecord *LoadModel(const char *name);
ModelRecord *FindModel(const char *name);
VocabRecord *LoadVocab(const char *name);
VocabRecord *FindVocab(const char *name);

// The value of a key of the library's table (config_keys.h), or the
// key's default there.
int ReadConfBool(const char *key);
int ReadConfInt(const char *key);
float ReadConfFloat(const char *key);
const char *ReadConfText(const char *key);
// The key's text, or null when it is unset, empty, or too long for a
// name field (an over-long value is refused rather than cut, so that a
// cut file name never opens another file).
const char *ReadConfString(const char *key);
// ReadConfString of stem followed by n ("MODEL", 12 gives MODEL12).
const char *ReadConfIndexed(const char *stem, int n);
// ReadConfString of prefix followed by suffix ("Adult", "MMF").
const char *ReadConfKey(const char *prefix, const char *suffix);

// Walks MODELn / VOCABn: every n below 100, then from 100 on until the
// first gap.  visit(n, value) answers false to stop the walk early.
template <typename Visit>
bool ForEachIndexed(const char *stem, Visit visit) {
    for (int n = 1;; n++) {
        const char *value = ReadConfIndexed(stem, n);
        if (!value) {
            if (n >= 100) return true;
            continue;
        }
        if (!visit(n, value)) return false;
    }
}

// Reads NOFUNCOPER, DEBUG and DEBUGWIN into SystemState.
void ReadTraceSettings();
// Reads FORCECASE through LATSAVE, then PHONECONF and VOCABCACHE, into
// SystemState and writes GAUSSOPT, PHNTREESTRUCT and FORCEOUT back to the
// engine.
void ReadSettings();

}  // namespace kh

#endif  // KH_SYSTEM_SYSTEM_H
