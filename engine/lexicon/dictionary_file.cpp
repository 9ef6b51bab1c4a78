// dictionary_file.cpp - reading and writing dictionary files.
//
// One pronunciation a line:  WORD [OUTSYM] PH1 PH2 ...
// The bracketed output symbol is optional ("[]" is an empty one); several
// lines for one word, or "WORD(2)" lines, give further pronunciations.
// Lines "!!PHONESET PH1 PH2 ..." (or "!!PHONES ...") before the first word
// declare the phone set and its order.  See docs/engine-files.md.
//
// The packaged English dictionary has over 130,000 lines, so the reader
// takes the file whole and parses it in place without copying lines.
#include "base/diagnostics.h"
#include "base/files.h"
#include "lexicon/dictionary.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace engine {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Control bytes other than the tab mean a binary or damaged file.
bool has_control_bytes(const char *b, const char *e) {
    for (const char *p = b; p < e; p++) {
        unsigned char c = static_cast<unsigned char>(*p);
        if ((c < 0x20 && c != '\t') || c == 0x7f) return true;
    }
    return false;
}

// Phone ids by name while a file is read: an open-addressing table over
// views into the file text.  Phone sets are small and each line looks up
// several phones, so this beats a node-based map by a wide margin.
class PhoneTable {
public:
    int find(std::string_view name) const {
        for (size_t i = hash(name) & mask();; i = (i + 1) & mask()) {
            if (!slots_[i].id) return 0;
            if (slots_[i].name == name) return slots_[i].id;
        }
    }

    void add(std::string_view name, int id) {
        if (2 * (count_ + 1) > slots_.size()) grow();
        place(name, id);
        count_++;
    }

private:
    struct Slot {
        std::string_view name;
        int id = 0;
    };

    static size_t hash(std::string_view s) {
        uint64_t h = 1469598103934665603ull;  // FNV-1a
        for (char c : s) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        return static_cast<size_t>(h ^ (h >> 29));
    }
    size_t mask() const { return slots_.size() - 1; }

    void place(std::string_view name, int id) {
        size_t i = hash(name) & mask();
        while (slots_[i].id) i = (i + 1) & mask();
        slots_[i] = Slot{name, id};
    }

    void grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Slot &s : old)
            if (s.id) place(s.name, s.id);
    }

    std::vector<Slot> slots_ = std::vector<Slot>(128);
    size_t count_ = 0;
};

class Reader {
public:
    Reader(hapi_dict *d, const std::string &path) : d_(d), path_(path) {}

    bool parse(const std::string &text) {
        size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
        engine::dict_reserve(d_, lines + 2);
        const char *p = text.data(), *end = p + text.size();
        while (p < end) {
            const char *nl = static_cast<const char *>(memchr(p, '\n', static_cast<size_t>(end - p)));
            const char *e = nl ? nl : end;
            line_++;
            if (!parse_line(p, e > p && e[-1] == '\r' ? e - 1 : e)) {
                complain("%s:%d: %s", path_.c_str(), line_, why_.c_str());
                return false;
            }
            p = nl ? nl + 1 : end;
        }
        return true;
    }

private:
    bool fail(std::string why) {
        why_ = std::move(why);
        return false;
    }

    static std::string_view token(const char *&p, const char *e) {
        while (p < e && is_blank(*p)) p++;
        const char *b = p;
        while (p < e && !is_blank(*p)) p++;
        return std::string_view(b, static_cast<size_t>(p - b));
    }

    bool parse_line(const char *p, const char *e) {
        if (has_control_bytes(p, e)) return fail("control characters or binary data");
        std::string_view word = token(p, e);
        if (word.empty()) return true;  // blank line
        std::string_view base = alternate_base(word);
        if (is_phoneset_entry(base)) {
            if (base.size() != word.size()) return fail("a phone-set entry has no further pronunciations");
            return declare_phones(p, e);
        }
        if (const char *why = bad_word_name(base))
            return fail(std::string(why) + ": " + std::string(word.substr(0, 64)));

        hapi_dict::Pron pron;
        while (p < e && is_blank(*p)) p++;
        if (p < e && *p == '[') {
            const char *close = static_cast<const char *>(memchr(p, ']', static_cast<size_t>(e - p)));
            if (!close) return fail("'[' without ']'");
            std::string_view sym(p + 1, static_cast<size_t>(close - p - 1));
            if (const char *why = bad_outsym(sym)) return fail(why);
            if (close + 1 < e && !is_blank(close[1])) return fail("text directly after ']'");
            pron.outsym = std::make_unique<std::string>(sym);
            p = close + 1;
        }
        pron.phones.reserve(static_cast<size_t>(e - p));
        if (!read_phones(p, e, &pron.phones)) return false;
        if (pron.phones.empty()) return fail("the word " + std::string(base) + " has no phones");
        words_seen_ = true;
        int id = dict_word(d_, base);
        d_->words[id].prons.push_back(std::move(pron));
        return true;
    }

    // The phones of one pronunciation, joined by single blanks.
    bool read_phones(const char *p, const char *e, std::string *out) {
        for (std::string_view ph = token(p, e); !ph.empty(); ph = token(p, e)) {
            if (find_phone(ph) == 0) {
                if (d_->phones_declared)
                    return fail("phone " + std::string(ph.substr(0, 64)) + " is not in the declared phone set");
                if (const char *why = bad_phone_name(ph)) return fail(why);
                add_phone(ph);
            }
            if (!out->empty()) out->push_back(' ');
            out->append(ph);
            if (out->size() >= HAPI_MAX_NAME) return fail("pronunciation too long");
        }
        return true;
    }

    bool declare_phones(const char *p, const char *e) {
        if (words_seen_) return fail("the phone set is declared after the first word");
        d_->phones_declared = true;
        for (std::string_view ph = token(p, e); !ph.empty(); ph = token(p, e)) {
            if (const char *why = bad_phone_name(ph)) return fail(why);
            if (find_phone(ph) != 0) return fail("phone " + std::string(ph) + " declared twice");
            add_phone(ph);
        }
        return true;
    }

    // Phones are looked up by views into the file text while reading,
    // which spares building a string for each of the million phones.
    int find_phone(std::string_view ph) const { return phones_.find(ph); }

    void add_phone(std::string_view ph) { phones_.add(ph, dict_add_phone(d_, ph)); }

    hapi_dict *d_;
    const std::string &path_;
    int line_ = 0;
    bool words_seen_ = false;
    std::string why_;
    PhoneTable phones_;
};

void append_entry(std::string *out, const std::string &name, const hapi_dict::Pron &pron) {
    out->append(name);
    if (pron.outsym) {
        out->append(" [");
        out->append(*pron.outsym);
        out->push_back(']');
    }
    out->push_back(' ');
    out->append(pron.phones);
    out->push_back('\n');
}

}  // namespace

bool dict_load(hapi_dict *d, const std::string &path) {
    std::string text, why;
    if (!read_whole_file(path, &text, &why)) {
        complain("cannot read dictionary %s: %s", path.c_str(), why.c_str());
        return false;
    }
    return Reader(d, path).parse(text);
}

bool dict_save(const hapi_dict &d, const std::string &path) {
    std::string out;
    size_t size = 64;
    for (const auto &w : d.words)
        for (const auto &p : w.prons) size += w.name.size() + (p.outsym ? p.outsym->size() : 0) + p.phones.size() + 5;
    out.reserve(size);
    if (d.phones_declared || !d.phones.empty()) {
        out.append("!!PHONESET");
        for (const auto &ph : d.phones) {
            out.push_back(' ');
            out.append(ph);
        }
        out.push_back('\n');
    }
    for (size_t id = 1; id < d.words.size(); id++)
        for (const auto &p : d.words[id].prons) append_entry(&out, d.words[id].name, p);
    std::string why;
    if (!write_file_atomically(path, out, &why)) {
        int e = errno;  // the caller's reason, whatever the note's writing does
        complain("cannot save dictionary %s: %s", path.c_str(), why.c_str());
        errno = e;
        return false;
    }
    return true;
}

}  // namespace engine
