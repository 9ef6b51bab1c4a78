// words.cpp - word lookup: qualified word names, fetching a word with its
// pronunciations into the exercise dictionary, and copying the words a
// lattice uses into a dictionary.
#include <cstdio>
#include <unordered_set>
#include <utility>
#include <vector>

#include "dict/dict.h"
#include "frame/trace.h"
#include "frame/case.h"

namespace kh {

namespace {

bool Is(const std::string &a, const char *b) { return a == b; }

// Copies every pronunciation of a word of one dictionary into another under
// the name word (tagged when tag is given); answers the last word number.
int CopyProns(hapiDictObject from, int from_id, hapiDictObject to, const char *word, const char *tag) {
    int last = 0;
    int prons = hapiDictNumProns(from, from_id);
    for (int p = 1; p <= prons; p++) {
        std::string phones, sym;
        bool has_sym;
        if (!ReadPron(from, from_id, p, &phones, &sym, &has_sym)) continue;
        last = AddWordPron(to, word, tag, phones.c_str(), has_sym ? sym.c_str() : nullptr);
    }
    return last;
}

// FetchFromSystem's answer for a word that the system dictionary lacks.
constexpr int kNotInSystem = -1;

// Fetches a word from the system dictionary into the vocabulary dictionary,
// whose file then lacks it until it is saved; answers the word's number
// there, kNotInSystem when the system dictionary lacks it, 0 on other
// failures.
int FetchFromSystem(VocabRecord *vocab, const char *base) {
    TraceLinef("Attempting to retrieve word %s from system/user dictionary", base);
    hapiDictObject system = LoadSysDict();
    if (!system) return 0;
    int w = hapiDictWordId(system, base);
    if (w <= 0) return w == 0 ? kNotInSystem : 0;
    int v = CopyProns(system, w, vocab->vocab_dict, base, nullptr);
    if (v > 0) {
        NoteUnsavedWord(vocab, base);
        return v;
    }
    // A vocabulary dictionary file that declares another phone set than the
    // system dictionary's refuses words with other phones.
    if (!PhoneSetsEqual(vocab->vocab_dict, system))
        LogError(Message("GetWordId: Unable to add word %s to vocabulary dictionary %s: it has another phone set", base,
                         vocab->vocab_dict_file));
    return 0;
}

// The engine's guess at a word's pronunciation in the phone set of dict;
// "" when it refuses the word or the guess would not fit a buffer.
std::string GuessPron(hapiDictObject dict, const char *word) {
    int n = hapiDictGuessPron(dict, word, nullptr);
    if (n <= 0 || n >= kPronLen) return "";
    char pron[kPronLen];
    return hapiDictGuessPron(dict, word, pron) == n ? pron : "";
}

// A word that no dictionary holds: with GUESSPRONS its guessed
// pronunciation goes into the exercise dictionary alone.  The vocabulary
// dictionary file keeps words fetched from the system dictionary for later
// runs, and a guess kept there would hide the word that a user dictionary
// gives later.  Answers the word's number in the exercise dictionary.
int GuessWord(VocabRecord *vocab, const char *word, const char *base) {
    std::string pron = g_state->guess_prons ? GuessPron(vocab->vocab_dict, base) : "";
    int r = pron.empty() ? 0 : AddWordPron(vocab->exercise_dict, word, nullptr, pron.c_str(), nullptr);
    if (r <= 0) {
        return Failure(Message("GetWordId: Unable to find word %s in system dictionary", base), 0);
    }
    char note[kNameLen];
    snprintf(note, sizeof note, "GetWordId: Guessed the pronunciation of %s: %s", base, pron.c_str());
    LogNote(note);
    return r;
}

// The lattice's name in upper case, the tag of its words.
std::string LatticeTag(hapiLatObject lattice) {
    const char *name = hapiLatName(lattice);
    char tag[kNameLen];
    UpperCaseCopy(name ? name : "", tag, kNameLen);
    return tag;
}

void CopyNodeWord(hapiLatObject lattice, int node, hapiDictObject source, hapiDictObject target, const char *tag) {
    int id = hapiLatNodeWordId(lattice, node, 0);
    if (id <= 0) return;
    std::string name = DictWordName(source, id);
    if (name.empty() || Is(name, "!NULL") || Is(name, "!!PHONES") || Is(name, "!!PHONESET")) return;
    CopyProns(source, id, target, name.c_str(), tag);
}

// Copies the words of a lattice and of every sub-lattice it includes, each
// sub-lattice once and in the order first met.  The walk keeps its own
// stack so that deeply nested lattices cannot exhaust the call stack.
void CopyLatticeWords(hapiLatObject top, hapiDictObject source, hapiDictObject target, int tag_flag) {
    struct Frame {
        hapiLatObject lattice;
        int next_node;
        std::string tag;
    };
    std::unordered_set<hapiLatObject> visited;
    std::vector<Frame> stack{{top, 1, LatticeTag(top)}};
    while (!stack.empty()) {
        Frame &frame = stack.back();
        hapiLatObject lattice = frame.lattice;
        int node = frame.next_node++;
        if (node > hapiLatSize(lattice, nullptr)) {
            stack.pop_back();
            continue;
        }
        if (hapiLatObject sub = hapiLatNodeSublatObject(lattice, node)) {
            if (visited.insert(sub).second) stack.push_back({sub, 1, LatticeTag(sub)});
            continue;
        }
        CopyNodeWord(lattice, node, source, target, tag_flag ? frame.tag.c_str() : nullptr);
    }
}

}  // namespace

bool IsMarkerWord(const char *word) {
    return word && (!strcmp(word, "<s>") || !strcmp(word, "</s>") || !strcmp(word, "<p>"));
}

std::string QualifiedWordName(const char *word, const char *tag) {
    if (!word) return "";
    std::string name = word;
    if (tag && strcmp(word, "!NULL") != 0 && !IsMarkerWord(word)) name = name + "_" + tag;
    // A name cut to fit could stand for another word: refuse it instead.
    return name.size() < static_cast<size_t>(kWordLen) ? name : "";
}

char *WordBaseName(const char *name, char *out) {
    if (!name || !out) return nullptr;
    size_t len = strcspn(name, "_");
    if (len >= static_cast<size_t>(kWordLen)) {
        out[0] = '\0';
        return nullptr;
    }
    memcpy(out, name, len);
    out[len] = '\0';
    return out;
}

int AddWordPron(hapiDictObject dict, const char *word, const char *tag, const char *pron, const char *outsym) {
    std::string name = QualifiedWordName(word, tag);
    if (name.empty() || !pron) return 0;
    hapiDictModify(dict);
    if (FindPron(dict, name.c_str(), pron) == 0) hapiDictAddItem(dict, name.c_str(), pron, outsym ? outsym : "");
    hapiDictFinalise(dict);
    return hapiDictWordId(dict, name.c_str());
}

int GetWordId(VocabRecord *vocab, const char *word) {
    if (!vocab || !word || !word[0]) return 0;
    int id = hapiDictWordId(vocab->exercise_dict, word);
    if (id < 0) return 0;
    char base[kWordLen];
    if (!WordBaseName(word, base)) return 0;
    // A word is answered only once the vocabulary dictionary file holds it,
    // so that an answered call has lost nothing, even when a failed save
    // left the word in the dictionaries.
    if (id > 0) return KeepVocabWord(vocab, base, "GetWordId") ? id : 0;
    int v = hapiDictWordId(vocab->vocab_dict, base);
    if (v < 0) return 0;
    if (v == 0) v = FetchFromSystem(vocab, base);
    if (v == kNotInSystem) return GuessWord(vocab, word, base);
    if (v == 0) return 0;
    // A word without pronunciations adds nothing: it has no number in the
    // exercise dictionary, and the vocabulary number would be a wrong one.
    int r = CopyProns(vocab->vocab_dict, v, vocab->exercise_dict, word, nullptr);
    return r > 0 && KeepVocabWord(vocab, base, "GetWordId") ? r : 0;
}

void SaveUsedWords(hapiLatObject lattice, hapiDictObject target, int tag) {
    hapiDictObject source = hapiLatDictObject(lattice);
    if (!source) {
        LogError("SaveUsedWords: Problem with dict object associated with lattice object");
        return;
    }
    if (source == target) return;
    if (!PhoneSetsEqual(source, target)) {
        LogError("SaveUsedWords: Different phone sets.");
        return;
    }
    CopyLatticeWords(lattice, source, target, tag);
}

}  // namespace kh
