// vocab_save.cpp - keeping the vocabulary dictionary files up to date: the
// words fetched into a vocabulary dictionary that its file lacks, batches
// of fetches saved once, and the save that fails the call when it fails.
#include <set>
#include <vector>

#include "dict/dict.h"
#include "frame/trace.h"

namespace kh {

namespace {

// The words of a vocabulary dictionary that its file lacks: fetched since
// the last save, or kept after a failed one.
struct Unsaved {
    VocabRecord *vocab;
    std::set<std::string> words;
};
std::vector<Unsaved> g_unsaved;

// The vocabularies that the open batches are to save, each once, the
// number of batches open and the call the outermost one belongs to.
std::vector<VocabRecord *> g_due;
int g_batches = 0;
const char *g_batch_caller = nullptr;

Unsaved *FindUnsaved(const VocabRecord *vocab) {
    for (Unsaved &u : g_unsaved)
        if (u.vocab == vocab) return &u;
    return nullptr;
}

bool SaveNow(VocabRecord *vocab, const char *caller) {
    std::string why;
    if (!SaveDictMerged(vocab->vocab_dict, vocab->vocab_dict_file, &why)) {
        return Failure(
            Message("%s: Unable to save vocabulary dictionary %s: %s", caller, vocab->vocab_dict_file, why.c_str()),
            false);
    }
    for (auto it = g_unsaved.begin(); it != g_unsaved.end(); ++it)
        if (it->vocab == vocab) {
            g_unsaved.erase(it);
            break;
        }
    return true;
}

// Saves the vocabulary now, or marks it for the open batch.
bool SaveOrMark(VocabRecord *vocab, const char *caller) {
    if (g_batches == 0) return SaveNow(vocab, caller);
    for (VocabRecord *v : g_due)
        if (v == vocab) return true;
    g_due.push_back(vocab);
    return true;
}

bool SaveDue() {
    std::vector<VocabRecord *> due;
    due.swap(g_due);
    bool ok = true;
    for (VocabRecord *vocab : due) ok = SaveNow(vocab, g_batch_caller) && ok;
    return ok;
}

}  // namespace

void NoteUnsavedWord(VocabRecord *vocab, const std::string &word) {
    Unsaved *u = FindUnsaved(vocab);
    if (!u) {
        g_unsaved.push_back({vocab, {}});
        u = &g_unsaved.back();
    }
    u->words.insert(word);
}

bool KeepVocabWord(VocabRecord *vocab, const char *word, const char *caller) {
    Unsaved *u = g_unsaved.empty() ? nullptr : FindUnsaved(vocab);
    if (!u || !u->words.count(word)) return true;
    return SaveOrMark(vocab, caller);
}

bool SaveNewVocabWords(VocabRecord *vocab, int words_before, const char *caller) {
    int words = hapiDictNumWords(vocab->vocab_dict);
    for (int w = words_before + 1; w <= words; w++) NoteUnsavedWord(vocab, DictWordName(vocab->vocab_dict, w));
    if (!FindUnsaved(vocab)) return true;
    return SaveOrMark(vocab, caller);
}

VocabSaveBatch::VocabSaveBatch(const char *caller) {
    if (g_batches++ == 0) g_batch_caller = caller;
}

VocabSaveBatch::~VocabSaveBatch() {
    if (--g_batches == 0) SaveDue();
}

bool VocabSaveBatch::Save() { return SaveDue(); }

}  // namespace kh
