// guess.cpp - pronunciations guessed for words that no dictionary holds,
// from flite's US English lexicon and its letter-to-sound rules, written in
// the phone set of a dictionary.
#include "base/diagnostics.h"
#include "lexicon/dictionary.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

// flite's headers declare C functions without saying so to C++.
extern "C" {
#include <cst_lexicon.h>
#include <cst_val.h>
// Declared in flite's lang/cmulex/cmu_lex.h, which the package leaves out.
cst_lexicon *cmu_lex_init(void);
}

namespace engine {

namespace {

// The lexicon and its rules are static data of flite; initialised once.
const cst_lexicon *lexicon() {
    static const cst_lexicon *lex = cmu_lex_init();
    return lex;
}

const char kNoLetter[] = "no letter in the word or in a part between hyphens";

// Why a word cannot be guessed, or null.  A word is ASCII letters and
// apostrophes, in parts joined by single hyphens, each holding a letter.
const char *bad_word(std::string_view word) {
    if (word.empty()) return "empty word";
    if (word.size() > HAPI_GUESS_MAX_WORD) return "word too long to guess";
    bool letter = false;
    for (char c : word) {
        if (c == '-') {
            if (!letter) return kNoLetter;
            letter = false;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            letter = true;
        } else if (c != '\'') {
            return "not made of letters, apostrophes and hyphens";
        }
    }
    return letter ? nullptr : kNoLetter;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char &c : out) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return out;
}

// The dictionary's phone for one of flite's (stress digits already gone),
// matched ignoring case; null when it has none.  flite writes the schwa
// "ax", which the CMU dictionary, and so a phone set taken from it, writes
// as unstressed AH.
const std::string *dict_phone(const hapi_dict &d, const std::string &flite_phone) {
    for (const char *name : {flite_phone.c_str(), flite_phone == "ax" ? "ah" : nullptr}) {
        if (!name) break;
        for (const std::string &p : d.phones)
            if (lower(p) == name) return &p;
    }
    return nullptr;
}

// Appends the guess for one hyphen-free part, in lower case, in the
// dictionary's phones; false with the reason in *why when it fails.  The
// lexicon's own pronunciation comes first; its letter-to-sound rules
// answer for the words it lacks.
bool guess_part(const hapi_dict &d, const std::string &part, std::string *out, std::string *why) {
    cst_val *phones = lex_lookup(lexicon(), part.c_str(), nullptr, nullptr);
    for (const cst_val *p = phones; p && why->empty(); p = val_cdr(p)) {
        std::string name = val_string(val_car(p));
        while (!name.empty() && isdigit(static_cast<unsigned char>(name.back()))) name.pop_back();
        if (name == "pau") continue;
        if (const std::string *ours = dict_phone(d, name)) {
            if (!out->empty()) out->push_back(' ');
            out->append(*ours);
        } else {
            *why = "the phone set has no phone for " + name;
        }
    }
    delete_val(phones);
    return why->empty();
}

}  // namespace

}  // namespace engine

using engine::complain;

extern "C" {

int hapiDictGuessPron(hapiDictObject dict, const char *word, char *buf) {
    if (engine::fault("hapiDictGuessPron")) return -1;
    if (!dict || !word) return complain("hapiDictGuessPron: %s", !dict ? "no dictionary" : "no word"), -1;
    std::string_view text(word);
    if (const char *why = engine::bad_word(text)) return complain("hapiDictGuessPron: %.64s: %s", word, why), -1;
    // Each part between hyphens on its own, so that the lexicon knows
    // the words of "jack-in-the-box".
    std::string pron, why;
    for (size_t start = 0; start <= text.size();) {
        size_t end = std::min(text.find('-', start), text.size());
        if (!engine::guess_part(*dict, engine::lower(text.substr(start, end - start)), &pron, &why)) break;
        start = end + 1;
    }
    if (why.empty() && pron.empty()) why = "no pronunciation guessed";
    if (why.empty() && pron.size() >= HAPI_MAX_NAME) why = "pronunciation too long";
    if (!why.empty()) return complain("hapiDictGuessPron: %s: %s", word, why.c_str()), -1;
    if (buf) memcpy(buf, pron.c_str(), pron.size() + 1);
    return static_cast<int>(pron.size());
}

}  // extern "C"
