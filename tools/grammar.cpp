// grammar.cpp - builds syntaxes from BNF text, grammar files and texts.
#include "grammar.h"

#include <cctype>
#include <fstream>
#include <map>

#include "text.h"

namespace tool {

namespace {

std::string Join(const std::vector<std::string> &words, const char *before, const char *after) {
    std::string out;
    for (const std::string &w : words) out += (out.empty() ? "" : " ") + (before + w + after);
    return out;
}

bool AddOption(KhSyntax syntax, const std::string &bnf, std::string *why) {
    if (khSyntaxAddOption(syntax, bnf.c_str()) == 1) return true;
    *why = "the grammar \"" + bnf + "\" was refused";
    return false;
}

}  // namespace

std::vector<std::string> TextWords(const std::string &text) {
    std::vector<std::string> words;
    std::string word;
    auto flush = [&] {
        while (!word.empty() && word.back() == '\'') word.pop_back();
        if (!word.empty()) words.push_back(word);
        word.clear();
    };
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (isalnum(u) || (c == '\'' && !word.empty())) word += static_cast<char>(toupper(u));
        else flush();
    }
    flush();
    return words;
}

KhSyntax SyntaxFromBnf(const std::string &name, const std::string &bnf, std::string *why) {
    KhSyntax syntax = khSyntaxCreate(name.c_str(), nullptr);
    if (!syntax) return *why = "cannot create the syntax " + name, nullptr;
    return AddOption(syntax, bnf, why) ? syntax : nullptr;
}

KhSyntax SyntaxFromFile(const std::string &path, std::string *why) {
    std::ifstream in(path);
    if (!in) return *why = "cannot read the grammar file " + path, nullptr;
    std::map<std::string, KhSyntax> made;  // by upper-case name, as the library keeps them
    KhSyntax last = nullptr;
    std::string line;
    for (int number = 1; std::getline(in, line); number++) {
        line = Trim(line);
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

std::string AlignBnf(const std::vector<std::string> &words) { return Join(words, "", ""); }

std::string AssessBnf(const std::vector<std::string> &words) { return Join(words, "[", "]"); }

}  // namespace tool
