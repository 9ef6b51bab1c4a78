// dicts.cpp - loading and creating dictionary files, comparing phone sets
// and merging one dictionary into another.
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "dict/dict.h"
#include "frame/trace.h"
#include "frame/files.h"

namespace kh {

bool PronEqual(const char *a, const char *b) { return strcmp(a, b) == 0; }

bool ReadPron(hapiDictObject dict, int word, int pron, std::string *phones, std::string *outsym,
              bool *has_outsym) {
    int len = hapiDictWordPron(dict, word, pron, nullptr);
    if (len < 0 || len >= kPronLen) return false;
    char buf[kPronLen + 1];
    if (hapiDictWordPron(dict, word, pron, buf) < 0) return false;
    buf[len] = '\0';
    *phones = buf;
    const char *sym = hapiDictPronOutSym(dict, word, pron, nullptr);
    *has_outsym = sym != nullptr;
    *outsym = sym ? sym : "";
    return true;
}

std::string DictWordName(hapiDictObject dict, int word) {
    char name[kNameLen];
    int need = hapiDictWordName(dict, word, nullptr);
    if (need <= 0 || need > kNameLen || hapiDictWordName(dict, word, name) < 0) return "";
    return name;
}

int FindPron(hapiDictObject dict, const char *word, const char *pron) {
    int id = hapiDictWordId(dict, word);
    if (id <= 0) return 0;
    int count = hapiDictNumProns(dict, id);
    for (int p = 1; p <= count; p++) {
        std::string phones, sym;
        bool has_sym;
        if (ReadPron(dict, id, p, &phones, &sym, &has_sym) && PronEqual(phones.c_str(), pron)) return p;
    }
    return 0;
}

namespace {

std::vector<std::string> PhoneSet(hapiDictObject dict) {
    std::vector<std::string> set;
    int n = hapiDictAllPhoneNames(dict, nullptr);
    if (n <= 0) return set;
    std::vector<const char *> names(n + 1, nullptr);
    if (hapiDictAllPhoneNames(dict, names.data()) < 0) return set;
    for (int i = 1; i <= n; i++) set.emplace_back(names[i] ? names[i] : "");
    return set;
}

bool IsPhoneSetEntry(const std::string &name) { return name == "!!PHONES" || name == "!!PHONESET"; }

// Loads a dictionary from a file; null when the engine cannot.
hapiDictObject LoadFile(const char *filename) {
    hapiDictObject dict = hapiCreateDictObject();
    if (!dict) return nullptr;
    hapiDictOverrideFileName(dict, filename);
    if (hapiDictInitialise(dict) < 0) {
        hapiDeleteDictObject(dict);
        return nullptr;
    }
    return dict;
}

hapiDictObject LoadSystemPart() {
    SystemState *s = g_state;
    TraceLine("Attempting to load the system dictionary");
    if (!s->sys_dict_file[0]) {
        LogError("LoadSysDict: Invalid system dictionary filename");
    } else if (!FileReadable(s->sys_dict_file)) {
        LogErrorf("LoadSysDict: Unable to read system dictionary %s", s->sys_dict_file);
    } else if (hapiDictObject dict = LoadFile(s->sys_dict_file)) {
        return dict;
    } else {
        LogErrorf("LoadSysDict: Unable to load system dictionary%s", s->sys_dict_file);
    }
    s->sys_dict_available = 0;
    return nullptr;
}

// Merges the user dictionary into the system one, or stands in for it.
// When the user dictionary cannot be had, the system part is answered as
// it is and *given_up is set.
hapiDictObject AddUserPart(hapiDictObject system, bool *given_up) {
    SystemState *s = g_state;
    TraceLine("Attempting to load the user dictionary");
    if (!s->user_dict_file[0]) {
        LogError("LoadSysDict: Invalid user dictionary filename");
        *given_up = true;
        return system;
    }
    if (!FileReadable(s->user_dict_file)) {
        TraceLinef("Unable to load user dictionary with filename %s.", s->user_dict_file);
        *given_up = true;
        return system;
    }
    hapiDictObject user = LoadFile(s->user_dict_file);
    if (!user) {
        TraceLinef("LoadSysDict: Unable to load user dictionary %s (returning system dictionary only)",
                   s->user_dict_file);
        *given_up = true;
        return system;
    }
    if (!system) return user;
    AddDict2Dict(system, user);
    // Merged or refused, the user dictionary is not needed any more.
    hapiDeleteDictObject(user);
    return system;
}

}  // namespace

bool PhoneSetsEqual(hapiDictObject a, hapiDictObject b) { return PhoneSet(a) == PhoneSet(b); }

void AddDict2Dict(hapiDictObject target, hapiDictObject source) {
    if (!PhoneSetsEqual(target, source)) {
        LogError("AddDict2Dict: Dictionaries do not have the same phone set");
        return;
    }
    hapiDictModify(target);
    int words = hapiDictNumWords(source);
    for (int w = 2; w <= words; w++) {
        std::string name = DictWordName(source, w);
        if (name.empty() || IsPhoneSetEntry(name)) continue;
        int prons = hapiDictNumProns(source, w);
        for (int p = 1; p <= prons; p++) {
            std::string phones, sym;
            bool has_sym;
            if (!ReadPron(source, w, p, &phones, &sym, &has_sym)) continue;
            int found = FindPron(target, name.c_str(), phones.c_str());
            if (found == 0)
                hapiDictAddItem(target, name.c_str(), phones.c_str(), sym.c_str());
            else if (has_sym)
                hapiDictPronOutSym(target, hapiDictWordId(target, name.c_str()), found, sym.c_str());
        }
    }
    hapiDictFinalise(target);
}

namespace {

// Creates the dictionary file, and the folders above it, holding an empty
// dictionary with the system phone set.
hapiDictObject CreateDictFile(const char *filename) {
    bool existed = access(filename, F_OK) == 0;
    MakeParentFolders(filename);
    if (!FileAppendable(filename)) {
        LogErrorf("LoadDict: Unable to create file %s", filename);
        return nullptr;
    }
    hapiDictObject system = LoadSysDict();
    if (!system) {
        // The test for appending created the file; an empty file left behind
        // would load next time as a dictionary without a phone set.
        if (!existed) remove(filename);
        return nullptr;
    }
    hapiDictObject dict = hapiEmptyDictObject(system);
    hapiDictFinalise(dict);
    hapiDictSave(dict, filename);
    return dict;
}

// A file that exists but does not load is never replaced by an empty
// dictionary: that would lose its words.  Only when the configuration says
// that the vocabulary dictionaries are a cache of words fetched from the
// system dictionary (VOCABCACHE), which can be fetched again, is it set
// aside as NAME.damaged and made afresh.
hapiDictObject RenewDamaged(const char *filename) {
    std::string aside = std::string(filename) + ".damaged";
    if (!g_state->vocab_cache || !RenameReplacing(filename, aside.c_str())) {
        LogErrorf("LoadDict: Unable to load existing file %s", filename);
        return nullptr;
    }
    hapiDictObject dict = CreateDictFile(filename);
    LogErrorf(dict ? "LoadDict: Unable to load existing file %s: set aside as %s and made afresh"
                   : "LoadDict: Unable to load existing file %s: set aside as %s",
              filename, aside.c_str());
    return dict;
}

}  // namespace

hapiDictObject LoadDict(const char *filename) {
    if (!filename || !filename[0]) {
        LogError("LoadDict: Invalid filename or no filename specified");
        return nullptr;
    }
    // An empty file holds no words: it is one that another program has
    // only begun to create, and is made like a missing one.
    struct stat st;
    bool empty = stat(filename, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
    if (!empty && FileReadable(filename)) {
        if (hapiDictObject dict = LoadFile(filename)) return dict;
        return RenewDamaged(filename);
    }
    return CreateDictFile(filename);
}

hapiDictObject LoadSysDict() {
    SystemState *s = g_state;
    if (s->sys_dict_available && s->sys_dict) return s->sys_dict;
    hapiDictObject result = s->sys_dict_available ? LoadSystemPart() : nullptr;
    bool given_up = false;
    if (s->user_dict_given) result = AddUserPart(result, &given_up);
    if (result && !given_up) {
        s->sys_dict_available = 1;
        TraceLine("Valid system dictionary returned");
    }
    s->sys_dict = result;
    return result;
}

}  // namespace kh
