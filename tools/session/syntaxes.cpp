// syntaxes.cpp - builds syntaxes from BNF text, grammar files and texts.
#include "session/syntaxes.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>

#include "session/string_helpers.h"
#include "session/user_dict.h"

namespace tool {

namespace {

// The longest BNF text the library takes: its strings end with a NUL.
constexpr size_t kLongestBnf = KH_MAX_TEXT - 1;
// The library keeps a word of a syntax under the word, "_" and the
// syntax's name, in at most 255 characters; a part's name has a number
// of up to this many digits after the syntax's.
constexpr size_t kLongestName = 255, kPartDigits = 6;
constexpr size_t kQuoted = 80;

bool AddOption(KhSyntax syntax, const std::string &bnf, std::string *why) {
    if (khSyntaxAddOption(syntax, bnf.c_str()) == 1) return true;
    *why = "the grammar \"" + Quoted(bnf) + "\" was refused";
    return false;
}

// Items joined by blanks into as few texts of at most kLongestBnf
// characters as they fit in, in order.
std::vector<std::string> Pack(const std::vector<std::string> &items) {
    std::vector<std::string> texts(1);
    for (const std::string &item : items) {
        if (!texts.back().empty() && texts.back().size() + 1 + item.size() > kLongestBnf) texts.emplace_back();
        texts.back() += (texts.back().empty() ? "" : " ") + item;
    }
    return texts;
}

// A syntax of one option, kept in `made` even when the option is refused.
KhSyntax Make(const std::string &name, const std::string &bnf, std::vector<KhSyntax> *made, std::string *why) {
    KhSyntax syntax = khSyntaxCreate(name.c_str(), nullptr);
    if (!syntax) return *why = "cannot create the syntax " + name, nullptr;
    made->push_back(syntax);
    return AddOption(syntax, bnf, why) ? syntax : nullptr;
}

// The syntax `name` of the items in order; items that do not fit in one
// option go into parts (NAME1, NAME2, ...) whose references are chained
// again, until one option holds them all.
KhSyntax Chain(const std::string &name, const std::vector<std::string> &items, std::vector<KhSyntax> *made,
               std::string *why) {
    std::vector<std::string> texts = Pack(items);
    if (texts.size() == 1) return Make(name, texts[0], made, why);
    std::vector<std::string> refs;
    for (const std::string &text : texts) {
        std::string part = name + std::to_string(made->size() + 1);
        if (!Make(part, text, made, why)) return nullptr;
        refs.push_back("$" + part);
    }
    return Chain(name, refs, made, why);
}

}  // namespace

KhSyntax SyntaxFromBnf(const std::string &name, const std::string &bnf, std::string *why) {
    std::vector<KhSyntax> made;
    return Make(name, bnf, &made, why);
}

KhSyntax SyntaxFromFile(const std::string &path, std::string *why) {
    std::ifstream in(path);
    if (!in) return *why = "cannot read the grammar file " + path, nullptr;
    std::map<std::string, KhSyntax> made;  // by upper-case name, as the library keeps them
    KhSyntax last = nullptr;
    std::string line;
    for (int number = 1; std::getline(in, line); number++) {
        line = Trim(line);
        if (number == 1 && line.rfind("#JSGF", 0) == 0)
            return *why = path +
                       " is a JSGF grammar; the tool takes one syntax a line, NAME = BNF, "
                       "where NAME = may include earlier syntaxes as $NAME",
                   nullptr;
        if (line.empty() || line[0] == '#') continue;
        std::string where = path + ":" + std::to_string(number) + ": ";
        size_t eq = line.find('=');
        std::string name = Trim(line.substr(0, eq == std::string::npos ? 0 : eq));
        if (name.empty()) return *why = where + "expected NAME = BNF", nullptr;
        std::string key = Upper(name), bnf = Trim(line.substr(eq + 1)), cause;
        auto known = made.find(key);
        if (known != made.end()) last = AddOption(known->second, bnf, &cause) ? known->second : nullptr;
        else last = made[key] = SyntaxFromBnf(name, bnf, &cause);
        if (!last) return *why = where + cause, nullptr;
    }
    if (!last) *why = "the grammar file " + path + " holds no syntax";
    return last;
}

size_t LongestWord(const std::string &name) { return kLongestName - 1 - name.size() - kPartDigits; }

namespace {

// Up to this many words, each word of a text to assess may be left out on
// its own.  In longer texts a free skip over any number of words lets the
// search jump ahead to a word that sounds alike and lose the reading (a
// 239-word story kept 22% of its words); there every window of up to
// kWindow words must hold at least one spoken word.
constexpr size_t kFreeWords = 30, kWindow = 10;

// "(A [B] [C] | B [C] | C)": the window's words in order, at least one.
std::string Window(const std::vector<std::string> &words, size_t from, size_t n) {
    std::string alternatives;
    for (size_t first = from; first < from + n; first++) {
        std::string option = words[first];
        for (size_t k = first + 1; k < from + n; k++) option += " [" + words[k] + "]";
        alternatives += (alternatives.empty() ? "" : " | ") + option;
    }
    return "(" + alternatives + ")";
}

// The items of a text syntax, each short enough for one option.
std::vector<std::string> TextItems(const std::vector<std::string> &words, bool optional, bool garbage) {
    std::vector<std::string> items;
    if (!optional || words.size() <= kFreeWords) {
        const std::string other = std::string("{") + kGarbageWord + "}";
        garbage = garbage && optional;
        if (garbage) items.push_back(other);
        for (const std::string &w : words) {
            items.push_back(optional ? "[" + w + "]" : w);
            if (garbage) items.push_back(other);
        }
        return items;
    }
    for (size_t from = 0; from < words.size();) {
        size_t n = std::min(kWindow, words.size() - from);
        while (n > 1 && Window(words, from, n).size() > kLongestBnf) n--;  // long words: a shorter window
        items.push_back(Window(words, from, n));
        from += n;
    }
    return items;
}

}  // namespace

KhSyntax TextSyntax(const std::string &name, const std::vector<std::string> &words, bool optional, bool garbage,
                    std::string *why) {
    for (const std::string &w : words)
        if (w.size() > LongestWord(name))
            return *why = "text too long: the word \"" + w.substr(0, 40) + "...\" has " + std::to_string(w.size()) +
                       " characters, more than the " + std::to_string(LongestWord(name)) + " the library takes",
                   nullptr;
    std::vector<KhSyntax> made;
    KhSyntax syntax = Chain(name, TextItems(words, optional, garbage), &made, why);
    if (!syntax) {
        // Nothing of a refused text stays behind to take its names; the
        // syntaxes that include others were made after them.
        for (auto s = made.rbegin(); s != made.rend(); ++s) khSyntaxDeleteShallow(*s);
    }
    return syntax;
}

std::string Quoted(const std::string &bnf) { return bnf.size() <= kQuoted ? bnf : bnf.substr(0, kQuoted) + "..."; }

}  // namespace tool
