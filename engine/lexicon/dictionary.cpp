// dictionary.cpp - dictionary objects: words numbered from 1 (word 1 is the null
// word "!NULL"), each with pronunciations numbered from 1 and an optional
// output symbol each, over an ordered phone set.
#include "base/diagnostics.h"
#include "lexicon/dictionary.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace engine {

namespace {

const char kNullWord[] = "!NULL";

bool has_blank_or_control(std::string_view s) {
    for (char c : s) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7f) return true;
    }
    return false;
}

// Checks a pronunciation and rewrites it with single blanks between its
// phones.  When the phone set is declared every phone must be in it;
// otherwise new phones are listed in *fresh, for the caller to add once the
// whole item has been accepted.
const char *normalise_pron(const hapi_dict &d, const char *text, std::string *out, std::vector<std::string> *fresh) {
    out->clear();
    const char *p = text;
    while (*p) {
        while (*p == ' ' || *p == '\t') p++;
        const char *b = p;
        while (*p && *p != ' ' && *p != '\t') p++;
        if (p == b) break;
        std::string ph(b, static_cast<size_t>(p - b));
        if (const char *why = bad_phone_name(ph)) return why;
        if (!d.phone_ids.count(ph)) {
            if (d.phones_declared) return "a phone is not in the declared phone set";
            fresh->push_back(ph);
        }
        if (!out->empty()) out->push_back(' ');
        out->append(ph);
        if (out->size() >= HAPI_MAX_NAME) return "pronunciation too long";
    }
    return out->empty() ? "empty pronunciation" : nullptr;
}

// The slot that holds the word with this name, or the empty slot where it
// would go.
size_t slot_of(const hapi_dict &d, std::string_view name) {
    size_t mask = d.word_slots.size() - 1;
    for (size_t i = std::hash<std::string_view>{}(name)&mask;; i = (i + 1) & mask) {
        int id = d.word_slots[i];
        if (id == 0 || d.words[static_cast<size_t>(id)].name == name) return i;
    }
}

// Rebuilds the word table with this many slots (a power of two).
void rehash(hapi_dict *d, size_t size) {
    d->word_slots.assign(size, 0);
    for (size_t id = 1; id < d->words.size(); id++)
        d->word_slots[slot_of(*d, d->words[id].name)] = static_cast<int>(id);
}

bool valid_word(const hapi_dict *d, int id) { return d && id >= 1 && static_cast<size_t>(id) < d->words.size(); }

hapi_dict::Pron *find_pron(hapi_dict *d, int word_id, int pron) {
    if (!valid_word(d, word_id)) return nullptr;
    auto &prons = d->words[word_id].prons;
    if (pron < 1 || static_cast<size_t>(pron) > prons.size()) return nullptr;
    return &prons[pron - 1];
}

// Copies text into buf when given; answers the bytes with the NUL.
int copy_out(const std::string &text, char *buf) {
    if (buf) memcpy(buf, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size() + 1);
}

}  // namespace

bool is_phoneset_entry(std::string_view name) { return name == "!!PHONESET" || name == "!!PHONES"; }

std::string_view alternate_base(std::string_view name) {
    if (name.size() < 4 || name.back() != ')') return name;
    size_t open = name.rfind('(');
    if (open == std::string_view::npos || open == 0 || open + 2 == name.size()) return name;
    for (size_t i = open + 1; i + 1 < name.size(); i++)
        if (!isdigit(static_cast<unsigned char>(name[i]))) return name;
    return name.substr(0, open);
}

const char *bad_word_name(std::string_view name) {
    if (name.empty()) return "empty word name";
    if (name.size() >= HAPI_MAX_NAME) return "word name too long";
    if (has_blank_or_control(name)) return "blank or control character in a word name";
    if (is_phoneset_entry(name)) return "the phone-set entry is not a word";
    if (alternate_base(name).size() != name.size())
        return "a name written WORD(N) is read back as a further pronunciation of WORD";
    return nullptr;
}

const char *bad_phone_name(std::string_view name) {
    if (name.empty()) return "empty phone name";
    if (name.size() >= HAPI_MAX_NAME) return "phone name too long";
    if (has_blank_or_control(name)) return "blank or control character in a phone name";
    if (name.find_first_of("[]") != std::string_view::npos) return "bracket in a phone name";
    return nullptr;
}

const char *bad_outsym(std::string_view sym) {
    if (sym.size() >= HAPI_MAX_NAME) return "output symbol too long";
    for (char c : sym) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) return "control character in an output symbol";
        if (c == ']' || c == '[') return "bracket in an output symbol";
    }
    return nullptr;
}

void dict_clear(hapi_dict *d) {
    d->phones.clear();
    d->phone_ids.clear();
    d->phones_declared = false;
    d->words.clear();
    d->words.emplace_back();
    d->word_slots.assign(8, 0);
    dict_word(d, kNullWord);
}

int dict_find(const hapi_dict &d, std::string_view name) { return d.word_slots[slot_of(d, name)]; }

void dict_reserve(hapi_dict *d, size_t words) {
    d->words.reserve(words);
    size_t size = d->word_slots.size();
    while (size < 2 * words) size *= 2;
    if (size != d->word_slots.size()) rehash(d, size);
}

int dict_word(hapi_dict *d, std::string_view name) {
    size_t slot = slot_of(*d, name);
    if (d->word_slots[slot] != 0) return d->word_slots[slot];
    int id = static_cast<int>(d->words.size());
    d->words.emplace_back();
    d->words.back().name = name;
    d->word_slots[slot] = id;
    // At most half full, so that every search ends soon at an empty slot.
    if (2 * d->words.size() > d->word_slots.size()) rehash(d, 2 * d->word_slots.size());
    return id;
}

int dict_add_phone(hapi_dict *d, std::string_view name) {
    d->phones.emplace_back(name);
    int id = static_cast<int>(d->phones.size());
    d->phone_ids.emplace(d->phones.back(), id);
    return id;
}

}  // namespace engine

using engine::complain;

extern "C" {

hapiDictObject hapiCreateDictObject(void) {
    if (engine::fault("hapiCreateDictObject")) return nullptr;
    auto *d = new hapi_dict;
    engine::dict_clear(d);
    return d;
}

int hapiDictOverrideFileName(hapiDictObject dict, const char *filename) {
    if (engine::fault("hapiDictOverrideFileName")) return -1;
    if (!dict || !filename || !*filename) {
        complain("hapiDictOverrideFileName: %s", !dict ? "no dictionary" : "no file name");
        return -1;
    }
    dict->filename = filename;
    return 0;
}

int hapiDictInitialise(hapiDictObject dict) {
    if (engine::fault("hapiDictInitialise")) return -1;
    if (!dict || dict->filename.empty()) {
        complain("hapiDictInitialise: %s", !dict ? "no dictionary" : "no file name given");
        return -1;
    }
    // Read into a fresh object so that a bad file leaves dict as it was.
    hapi_dict fresh;
    engine::dict_clear(&fresh);
    if (!engine::dict_load(&fresh, dict->filename)) return -1;
    fresh.filename = std::move(dict->filename);
    *dict = std::move(fresh);
    return 0;
}

hapiDictObject hapiEmptyDictObject(hapiDictObject like) {
    if (engine::fault("hapiEmptyDictObject")) return nullptr;
    if (!like) {
        complain("hapiEmptyDictObject: no dictionary to take the phone set from");
        return nullptr;
    }
    auto *d = new hapi_dict;
    engine::dict_clear(d);
    d->phones = like->phones;
    d->phone_ids = like->phone_ids;
    d->phones_declared = true;
    d->modifiable = true;
    return d;
}

int hapiDictModify(hapiDictObject dict) {
    if (engine::fault("hapiDictModify")) return -1;
    if (!dict) return complain("hapiDictModify: no dictionary"), -1;
    dict->modifiable = true;
    return 0;
}

int hapiDictFinalise(hapiDictObject dict) {
    if (engine::fault("hapiDictFinalise")) return -1;
    if (!dict) return complain("hapiDictFinalise: no dictionary"), -1;
    dict->modifiable = false;
    return 0;
}

int hapiDictSave(hapiDictObject dict, const char *filename) {
    // An injected fault stands for a failed write.
    if (engine::fault("hapiDictSave")) return errno = EIO, -1;
    if (!dict) return complain("hapiDictSave: no dictionary"), errno = EINVAL, -1;
    std::string path = filename ? filename : dict->filename;
    if (path.empty()) return complain("hapiDictSave: no file name"), errno = EINVAL, -1;
    return engine::dict_save(*dict, path) ? 0 : -1;
}

int hapiDeleteDictObject(hapiDictObject dict) {
    return engine::delete_object(dict, "hapiDeleteDictObject", "dictionary");
}

int hapiDictAddItem(hapiDictObject dict, const char *word, const char *pron, const char *outsym) {
    if (engine::fault("hapiDictAddItem")) return -1;
    if (!dict || !word || !pron) {
        complain("hapiDictAddItem: %s", !dict ? "no dictionary" : "no word or pronunciation");
        return -1;
    }
    if (!dict->modifiable) return complain("hapiDictAddItem: the dictionary is not being modified"), -1;
    const char *why = engine::bad_word_name(word);
    std::string phones;
    std::vector<std::string> fresh;
    if (!why) why = engine::normalise_pron(*dict, pron, &phones, &fresh);
    if (!why && outsym) why = engine::bad_outsym(outsym);
    if (why) {
        complain("hapiDictAddItem: %.64s: %s", word, why);
        return -1;
    }
    for (const auto &ph : fresh)
        if (!dict->phone_ids.count(ph)) engine::dict_add_phone(dict, ph);
    int id = engine::dict_word(dict, word);
    hapi_dict::Pron p;
    p.phones = std::move(phones);
    // An empty symbol here means none: callers pass "" for a word without one.
    if (outsym && *outsym) p.outsym = std::make_unique<std::string>(outsym);
    dict->words[id].prons.push_back(std::move(p));
    return id;
}

int hapiDictWordId(hapiDictObject dict, const char *word) {
    if (engine::fault("hapiDictWordId")) return -1;
    if (!dict || !word) return complain("hapiDictWordId: %s", !dict ? "no dictionary" : "no word"), -1;
    return engine::dict_find(*dict, word);
}

int hapiDictWordName(hapiDictObject dict, int word_id, char *buf) {
    if (engine::fault("hapiDictWordName")) return -1;
    if (!engine::valid_word(dict, word_id)) return complain("hapiDictWordName: no word %d", word_id), -1;
    return engine::copy_out(dict->words[word_id].name, buf);
}

int hapiDictNumWords(hapiDictObject dict) {
    if (engine::fault("hapiDictNumWords")) return -1;
    if (!dict) return complain("hapiDictNumWords: no dictionary"), -1;
    return static_cast<int>(dict->words.size() - 1);
}

int hapiDictNumProns(hapiDictObject dict, int word_id) {
    if (engine::fault("hapiDictNumProns")) return -1;
    if (!engine::valid_word(dict, word_id)) return complain("hapiDictNumProns: no word %d", word_id), -1;
    return static_cast<int>(dict->words[word_id].prons.size());
}

int hapiDictWordPron(hapiDictObject dict, int word_id, int pron, char *buf) {
    if (engine::fault("hapiDictWordPron")) return -1;
    const hapi_dict::Pron *p = engine::find_pron(dict, word_id, pron);
    if (!p) return complain("hapiDictWordPron: no pronunciation %d of word %d", pron, word_id), -1;
    return engine::copy_out(p->phones, buf) - 1;
}

const char *hapiDictPronOutSym(hapiDictObject dict, int word_id, int pron, const char *outsym) {
    if (engine::fault("hapiDictPronOutSym")) return nullptr;
    hapi_dict::Pron *p = engine::find_pron(dict, word_id, pron);
    if (!p) return complain("hapiDictPronOutSym: no pronunciation %d of word %d", pron, word_id), nullptr;
    if (!outsym) return p->outsym ? p->outsym->c_str() : nullptr;
    if (!dict->modifiable) return complain("hapiDictPronOutSym: the dictionary is not being modified"), nullptr;
    if (const char *why = engine::bad_outsym(outsym)) return complain("hapiDictPronOutSym: %s", why), nullptr;
    p->outsym = std::make_unique<std::string>(outsym);
    return p->outsym->c_str();
}

int hapiDictPhoneSetDeclared(hapiDictObject dict) {
    if (engine::fault("hapiDictPhoneSetDeclared")) return -1;
    if (!dict) return complain("hapiDictPhoneSetDeclared: no dictionary"), -1;
    return dict->phones_declared ? 1 : 0;
}

int hapiDictAllPhoneNames(hapiDictObject dict, const char **names) {
    if (engine::fault("hapiDictAllPhoneNames")) return -1;
    if (!dict) return complain("hapiDictAllPhoneNames: no dictionary"), -1;
    if (names)
        for (size_t i = 0; i < dict->phones.size(); i++) names[i + 1] = dict->phones[i].c_str();
    return static_cast<int>(dict->phones.size());
}

int hapiDictPhoneName(hapiDictObject dict, int phone_id, char *buf) {
    if (engine::fault("hapiDictPhoneName")) return -1;
    if (!dict || phone_id < 1 || static_cast<size_t>(phone_id) > dict->phones.size())
        return complain("hapiDictPhoneName: no phone %d", phone_id), -1;
    return engine::copy_out(dict->phones[phone_id - 1], buf);
}

}  // extern "C"
