// system.h - starting the system: models and vocabularies.
#ifndef KH_SYSTEM_SYSTEM_H
#define KH_SYSTEM_SYSTEM_H

#include "frame/state.h"

namespace kh {

// The work of a first khSysInit.
int SysInit(const char *config_filename);

ModelRecord *LoadModel(const char *name);
ModelRecord *FindModel(const char *name);
VocabRecord *LoadVocab(const char *name);
VocabRecord *FindVocab(const char *name);

}  // namespace kh

#endif  // KH_SYSTEM_SYSTEM_H
