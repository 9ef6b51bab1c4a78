// res.cpp - result objects and the word queries on them.
#include "base/diagnostics.h"
#include "results/confidence.h"
#include "results/res.h"

#include <cstring>

namespace {

using engine::word_at;

// Copies text into buf when given; answers the bytes it needs.
int copy_text(const std::string &text, char *buf) {
    if (buf) memcpy(buf, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size()) + 1;
}

}  // namespace

namespace engine {

hapi_res::Word *word_at(hapi_res *res, int word, const char *caller) {
    if (!res) return complain("%s: no result", caller), nullptr;
    if (word < 1 || word > static_cast<int>(res->words.size()))
        return complain("%s: no word %d in a result of %zu", caller, word, res->words.size()), nullptr;
    return &res->words[word - 1];
}

}  // namespace engine

extern "C" {

hapiResObject hapiCreateResObject(hapiRecObject rec, int flags) {
    if (engine::fault("hapiCreateResObject")) return nullptr;
    if (!rec) return engine::complain("hapiCreateResObject: no recogniser"), nullptr;
    auto *res = new hapi_res;
    (void)flags;  // the interim and final results behave alike
    return res;
}

int hapiResClear(hapiResObject res) {
    if (engine::fault("hapiResClear")) return -1;
    if (!res) return engine::complain("hapiResClear: no result"), -1;
    res->words.clear();
    res->utt.reset();
    res->confidences_done = false;
    res->aligned = false;
    res->final = false;
    return 0;
}

int hapiResSetAttachment(hapiResObject res, void *attachment) {
    if (engine::fault("hapiResSetAttachment")) return -1;
    if (!res) return engine::complain("hapiResSetAttachment: no result"), -1;
    res->attachment = attachment;
    return 0;
}

int hapiDeleteResObject(hapiResObject res) { return engine::delete_object(res, "hapiDeleteResObject", "result"); }

int hapiResAllWordNames(hapiResObject res, const char **names) {
    if (engine::fault("hapiResAllWordNames")) return -1;
    if (!res) return engine::complain("hapiResAllWordNames: no result"), -1;
    if (names)
        for (size_t i = 0; i < res->words.size(); i++) names[i + 1] = res->words[i].name.c_str();
    return static_cast<int>(res->words.size());
}

int hapiResWordName(hapiResObject res, int word, char *buf) {
    if (engine::fault("hapiResWordName")) return -1;
    hapi_res::Word *w = word_at(res, word, "hapiResWordName");
    return w ? copy_text(w->name, buf) : -1;
}

int hapiResWordTimes(hapiResObject res, int word, double *start, double *end) {
    if (engine::fault("hapiResWordTimes")) return -1;
    hapi_res::Word *w = word_at(res, word, "hapiResWordTimes");
    if (!w) return -1;
    if (start) *start = w->first * res->advance;
    if (end) *end = w->end * res->advance;
    return 0;
}

double hapiResWordScore(hapiResObject res, int word, int selector) {
    if (engine::fault("hapiResWordScore")) return HAPI_FLOAT_FAIL;
    hapi_res::Word *w = word_at(res, word, "hapiResWordScore");
    if (!w) return HAPI_FLOAT_FAIL;
    if (selector == HAPI_ACOUSTIC_SCORE) return w->ascore;
    if (selector != HAPI_CONFIDENCE_SCORE)
        return engine::complain("hapiResWordScore: unknown selector %d", selector), HAPI_FLOAT_FAIL;
    if (!engine::compute_confidences(res))
        return engine::complain("hapiResWordScore: cannot compute confidences"), HAPI_FLOAT_FAIL;
    return w->conf;
}

int hapiResOutSym(hapiResObject res, int word, char *buf) {
    if (engine::fault("hapiResOutSym")) return -1;
    hapi_res::Word *w = word_at(res, word, "hapiResOutSym");
    return w ? copy_text(w->outsym, buf) : -1;
}

}  // extern "C"
