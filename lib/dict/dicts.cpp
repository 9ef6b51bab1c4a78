// dicts.cpp - loading and creating dictionary files, comparing phone sets
// and merging one dictionary into another.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "dict/dict.h"
#include "dict/dict_internal.h"
#include "frame/trace.h"
#include "frame/file_access.h"

namespace kh {

bool PronEqual(const char *a, const char *b) { return strcmp(a, b) == 0; }

bool ReadPron(hapiDictObject dict, int word, int pron, std::string *phones, std::string *outsym, bool *has_outsym) {
    int len = hapiDictWordPron(dict, word, pron, nullptr);
    if (len < 0 || len >= kPronLen) return false;
    std::string buf(static_cast<size_t>(len) + 1, '\0');
    if (hapiDictWordPron(dict, word, pron, &buf[0]) < 0) return false;
    buf.resize(strlen(buf.c_str()));
    *phones = std::move(buf);
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

std::vector<std::string> PhoneSet(hapiDictObject dict) {
    std::vector<std::string> set;
    int n = hapiDictAllPhoneNames(dict, nullptr);
    if (n <= 0) return set;
    std::vector<const char *> names(n + 1, nullptr);
    if (hapiDictAllPhoneNames(dict, names.data()) < 0) return set;
    for (int i = 1; i <= n; i++) set.emplace_back(names[i] ? names[i] : "");
    return set;
}

namespace {

bool IsPhoneSetEntry(const std::string &name) { return name == "!!PHONES" || name == "!!PHONESET"; }

hapiDictObject LoadSystemPart() {
    SystemState *s = g_state;
    TraceLine("Attempting to load the system dictionary");
    if (!s->sys_dict_file[0]) {
        LogError("LoadSysDict: Invalid system dictionary filename");
    } else if (!FileReadable(s->sys_dict_file)) {
        LogError(Message("LoadSysDict: Unable to read system dictionary %s", s->sys_dict_file));
    } else if (hapiDictObject dict = LoadDictFile(s->sys_dict_file)) {
        return dict;
    } else {
        LogError(Message("LoadSysDict: Unable to load system dictionary%s", s->sys_dict_file));
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
    hapiDictObject user = LoadDictFile(s->user_dict_file);
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

hapiDictObject LoadDictFile(const char *filename) {
    hapiDictObject dict = hapiCreateDictObject();
    if (!dict) return nullptr;
    hapiDictOverrideFileName(dict, filename);
    if (hapiDictInitialise(dict) < 0) {
        hapiDeleteDictObject(dict);
        return nullptr;
    }
    return dict;
}

bool PhoneSetsEqual(hapiDictObject a, hapiDictObject b) { return PhoneSet(a) == PhoneSet(b); }

int MergeWords(hapiDictObject target, hapiDictObject source) {
    int refused = 0;
    hapiDictModify(target);
    int words = hapiDictNumWords(source);
    for (int w = 2; w <= words; w++) {
        std::string name = DictWordName(source, w);
        if (name.empty() || IsPhoneSetEntry(name)) continue;
        int prons = hapiDictNumProns(source, w);
        for (int p = 1; p <= prons; p++) {
            std::string phones, sym;
            bool has_sym;
            if (!ReadPron(source, w, p, &phones, &sym, &has_sym)) {
                refused++;
                continue;
            }
            int found = FindPron(target, name.c_str(), phones.c_str());
            int id = found ? hapiDictWordId(target, name.c_str())
                           : hapiDictAddItem(target, name.c_str(), phones.c_str(), sym.c_str());
            if (id <= 0) {
                refused++;
                continue;
            }
            // A shared pronunciation takes the source's symbol.  One added
            // with an empty symbol has none, so an empty one ("[]") is set.
            if (has_sym && (found || sym.empty()))
                hapiDictPronOutSym(target, id, found ? found : hapiDictNumProns(target, id), sym.c_str());
        }
    }
    hapiDictFinalise(target);
    return refused;
}

void AddDict2Dict(hapiDictObject target, hapiDictObject source) {
    if (!PhoneSetsEqual(target, source)) {
        LogError("AddDict2Dict: Dictionaries do not have the same phone set");
        return;
    }
    MergeWords(target, source);
}

namespace {

// Takes into dict the words that another program has saved to the file
// since it was read.  A missing or empty file holds none.  False, with the
// reason, when words there would be lost: the file no longer loads (unless
// the vocabulary dictionaries are only a cache, VOCABCACHE) or holds words
// in another phone set.
bool TakeInSavedWords(hapiDictObject dict, const char *filename, std::string *why) {
    struct stat st;
    if (stat(filename, &st) != 0 || st.st_size == 0) return true;
    hapiDictObject saved = LoadDictFile(filename);
    if (!saved) {
        if (g_state->vocab_cache) return true;
        return *why = "the file there no longer loads", false;
    }
    int refused = MergeWords(dict, saved);
    hapiDeleteDictObject(saved);
    if (refused) return *why = "the file there holds words of another phone set", false;
    return true;
}

}  // namespace

bool SaveDictMerged(hapiDictObject dict, const char *filename, std::string *why) {
    FileLock lock(filename);
    if (!lock.why().empty()) return *why = lock.why(), false;
    if (!TakeInSavedWords(dict, filename, why)) return false;
    errno = 0;
    if (hapiDictSave(dict, filename) == 0) return true;
    *why = strerror(errno ? errno : EIO);
    return false;
}

namespace {

// A file without a phone-set line has the phones its words use, in the
// order they first appear.  As a vocabulary's phone set it would be closed
// in the exercise dictionary made from it, and a save would declare it:
// no word with another phone could ever be fetched.  Its words take the
// system dictionary's phone set instead, when that holds all their phones.
hapiDictObject WithSystemPhoneSet(hapiDictObject dict, const char *filename) {
    if (hapiDictPhoneSetDeclared(dict) != 0) return dict;
    hapiDictObject system = LoadSysDict();
    hapiDictObject taken = system ? hapiEmptyDictObject(system) : nullptr;
    if (!taken) return dict;
    if (MergeWords(taken, dict) != 0) {
        hapiDeleteDictObject(taken);
        return dict;
    }
    hapiDictOverrideFileName(taken, filename);
    hapiDeleteDictObject(dict);
    return taken;
}

// Creates the dictionary file, and the folders above it, holding an empty
// dictionary with the system phone set.
hapiDictObject CreateDictFile(const char *filename) {
    bool existed = access(filename, F_OK) == 0;
    MakeParentFolders(filename);
    if (!FileAppendable(filename)) {
        return Failure(Message("LoadDict: Unable to create file %s", filename), nullptr);
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
    // Another run may have made the file meanwhile and saved words to it.
    // A failed save loses nothing: an empty file is made afresh next time.
    std::string why;
    SaveDictMerged(dict, filename, &why);
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
        return Failure(Message("LoadDict: Unable to load existing file %s", filename), nullptr);
    }
    hapiDictObject dict = CreateDictFile(filename);
    LogError(Message(dict ? "LoadDict: Unable to load existing file %s: set aside as %s and made afresh"
                          : "LoadDict: Unable to load existing file %s: set aside as %s",
                     filename, aside.c_str()));
    return dict;
}

}  // namespace

hapiDictObject LoadDict(const char *filename) {
    if (!filename || !filename[0]) {
        return Failure("LoadDict: Invalid filename or no filename specified", nullptr);
    }
    // An empty file holds no words: it is one that another program has
    // only begun to create, and is made like a missing one.
    struct stat st;
    bool empty = stat(filename, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
    if (!empty && FileReadable(filename)) {
        if (hapiDictObject dict = LoadDictFile(filename)) return WithSystemPhoneSet(dict, filename);
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
