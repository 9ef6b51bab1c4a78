// lexicon.cpp - reads the words of dictionary files.  The words are kept
// as a sorted list of views into the files' text: loading the system
// dictionary then costs one read and one sort.
#include "texts/lexicon.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "texts/letters.h"
#include "texts/utf8.h"

namespace tool {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Capitals in place where the word is plain ASCII; false when it is not
// and must be decoded first.
bool AsciiCapitals(char *word, size_t len) {
    for (size_t i = 0; i < len; i++) {
        if (static_cast<unsigned char>(word[i]) >= 0x80) return false;
        if (word[i] >= 'a' && word[i] <= 'z') word[i] = static_cast<char>(word[i] - 32);
    }
    return true;
}

std::string Capitals(std::string word) {
    return AsciiCapitals(&word[0], word.size()) ? word : UpperWord(DecodeText(word));
}

// The name without a "(N)" that numbers a further pronunciation.
size_t BaseLength(const char *word, size_t len) {
    if (len < 4 || word[len - 1] != ')') return len;
    size_t open = len - 2;
    while (open > 0 && word[open] >= '0' && word[open] <= '9') open--;
    return word[open] == '(' && open > 0 && open < len - 2 ? open : len;
}

}  // namespace

void Lexicon::AddLine(char *line, char *end) {
    while (line < end && Blank(*line)) line++;
    if (line == end || *line == '#' || (end - line >= 3 && strncmp(line, ";;;", 3) == 0)) return;
    char *word_end = line;
    while (word_end < end && !Blank(*word_end)) word_end++;
    const char *rest = word_end;
    while (rest < end && Blank(*rest)) rest++;
    if (rest == end) return;  // a name without phones is no word
    std::string_view word(line, BaseLength(line, static_cast<size_t>(word_end - line)));
    if (word == "!!PHONESET" || word == "!!PHONES") return;
    if (AsciiCapitals(line, word.size())) {
        words_.push_back(word);
    } else {
        texts_.push_back(Capitals(std::string(word)));
        words_.push_back(texts_.back());
    }
}

bool Lexicon::Load(const std::string &path, std::string *why) {
    std::unique_ptr<FILE, int (*)(FILE *)> file(fopen(path.c_str(), "rb"), fclose);
    if (!file) return *why = "cannot read the dictionary file " + path, false;
    std::string text;
    char buffer[1 << 16];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, got);
    if (ferror(file.get())) return *why = "cannot read the dictionary file " + path, false;
    texts_.push_back(std::move(text));
    char *p = &texts_.back()[0], *end = p + texts_.back().size();
    while (p < end) {
        char *eol = static_cast<char *>(memchr(p, '\n', static_cast<size_t>(end - p)));
        if (!eol) eol = end;
        AddLine(p, eol);
        p = eol + 1;
    }
    std::sort(words_.begin(), words_.end());
    words_.erase(std::unique(words_.begin(), words_.end()), words_.end());
    return true;
}

bool Lexicon::Has(const std::string &word) const {
    return std::binary_search(words_.begin(), words_.end(), std::string_view(Capitals(word)));
}

}  // namespace tool
