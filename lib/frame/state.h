// state.h - SystemState, the one global record of the library.
#ifndef KH_FRAME_STATE_H
#define KH_FRAME_STATE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/hapi.h"

namespace kh {

constexpr int kNameLen = 1024;  // every name and file name field

enum TraceLevel : int32_t {
    LEVEL_ERROR = 1,
    LEVEL_FULL = 2,
    LEVEL_NOFUNCOPER = 3,
    LEVEL_SILENT = 5,
};

constexpr int32_t kSystemTag = 10;
constexpr int32_t kRecogniserTag = 345;
constexpr int32_t kSyntaxTag = 456;

struct ModelRecord;  // a loaded model (dict/dict.h)
struct VocabRecord;  // a vocabulary and its dictionaries (dict/dict.h)

struct SystemState {
    int32_t tag = kSystemTag;
    int32_t trace_level = LEVEL_SILENT;
    int32_t debug_window_active = 0;
    char sys_dict_file[kNameLen] = {};
    hapiDictObject sys_dict = nullptr;
    int32_t sys_dict_available = 0;
    char user_dict_file[kNameLen] = {};
    int32_t user_dict_given = 0;
    // The settings below are read from the configuration, with the
    // library's defaults, by khSysInit.
    float general_beam = 0;
    float opt_beam = 0;
    int32_t sil_seq_count = 0;
    VocabRecord *current_vocab = nullptr;
    ModelRecord *models = nullptr;
    VocabRecord *vocabs = nullptr;
    int32_t initialised = 0;
    FILE *log = nullptr;
    int32_t log_failure_said = 0;  // a log that would not open was reported on standard error
    char log_file[kNameLen] = {};
    char config_file[kNameLen] = {};
    std::string config_file_given;  // as given, however long: a second khSysInit compares with it
    char indent[5] = {};
    char bnf_punc[kNameLen] = {};
    int32_t bnf_punc_len = 0;
    int32_t save_lattices = 0;
    int32_t guess_prons = 0;        // GUESSPRONS: GetWordId guesses words no dictionary holds
    int32_t phone_confidences = 0;  // PHONECONF: khRecGetPhoneConf answers
    int32_t vocab_cache = 0;        // VOCABCACHE: a damaged vocabulary dictionary is made afresh
    int32_t forced_case = 0;
};

// Null until khSysInit first runs; never freed.
extern SystemState *g_state;

// The buffer in which a failure message with a placeholder is formatted.
extern char MessageBuffer[kNameLen];

// Copies src into a fixed field, cutting it to fit; a null src gives "".
// Answers false when src had to be cut.
bool CopyText(char *dst, size_t size, const char *src);
template <size_t N>
bool CopyField(char (&dst)[N], const char *src) {
    return CopyText(dst, N, src);
}

}  // namespace kh

#endif  // KH_FRAME_STATE_H
