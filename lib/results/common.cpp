// common.cpp - the current-result lookup, the word count and the index
// rule on which every result query rests.
#include "dict/dict.h"
#include "frame/trace.h"
#include "results/results_internal.h"
#include "results/results.h"

namespace kh {

hapiResObject CurrentResult(RecogniserRecord *rec) {
    if (rec->status == REC_PROCESSING) return rec->interim_result;
    if (rec->status == REC_COMPLETE) return rec->final_result;
    return Failure("SysError: No results available", nullptr);
}

bool ResultWordName(hapiResObject res, int engine_index, char *buf) {
    int need = hapiResWordName(res, engine_index, nullptr);
    if (need < 0 || need > kNameLen) return false;
    return hapiResWordName(res, engine_index, buf) >= 0;
}

int RecGetNumWords(RecogniserRecord *rec) {
    hapiResObject res = CurrentResult(rec);
    if (!res) return -1;
    int total = hapiResAllWordNames(res, nullptr);
    if (total < 0) return -1;
    if (total <= 1) return 0;
    char last[kNameLen];
    if (!ResultWordName(res, total, last)) {
        return Failure("RecGetNumWords: Error getting the word name");
    }
    return IsMarkerWord(last) ? total - 2 : total - 1;
}

int WordIndex(int index, int n) {
    long k = index < 0 ? static_cast<long>(index) + n + 1 : index;
    return k >= 1 && k <= n ? static_cast<int>(k) : 0;
}

char *WordSyntaxName(const char *name, char *out) {
    if (!name || !out) return nullptr;
    const char *underscore = strchr(name, '_');
    if (!underscore) return nullptr;
    CopyText(out, kNameLen, underscore + 1);
    return out;
}

void JoinBaseNames(const char *const *names, int count, char *out) {
    size_t used = 0;
    out[0] = '\0';
    for (int i = 0; i < count; i++) {
        char base[kWordLen];
        if (!WordBaseName(names[i] ? names[i] : "", base)) continue;
        size_t len = strlen(base);
        if (used + (used ? 1 : 0) + len >= static_cast<size_t>(kNameLen)) break;
        if (used) out[used++] = ' ';
        memcpy(out + used, base, len + 1);
        used += len;
    }
}

}  // namespace kh
