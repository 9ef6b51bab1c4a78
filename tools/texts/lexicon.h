// lexicon.h - which words the pronouncing dictionaries hold.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace tool {

// Move-only: its words point into the texts it holds.
class Lexicon {
public:
    Lexicon() = default;
    Lexicon(const Lexicon &) = delete;
    Lexicon &operator=(const Lexicon &) = delete;
    Lexicon(Lexicon &&) = default;
    Lexicon &operator=(Lexicon &&) = default;

    // Adds the words of a dictionary file: the engine's format (WORD [OUTSYM]
    // PH1 PH2 ..., !!PHONESET and !!PHONES lines) or a plain CMUdict-style
    // list (WORD  PH1 PH2, comment lines starting with ;;; or #).  WORD(2) is
    // a further pronunciation of WORD; blank lines, CR LF ends and lines
    // without phones are taken in stride.  False with why when the file
    // cannot be read.
    bool Load(const std::string &path, std::string *why);

    // Whether a dictionary holds the word, compared in capitals.
    bool Has(const std::string &word) const;

    // No dictionary loaded: nothing is known to be a word.
    bool Empty() const { return words_.empty(); }
    size_t Size() const { return words_.size(); }

private:
    void AddLine(char *line, char *end);

    std::deque<std::string> texts_;        // the files, capitalised in place, and words re-encoded
    std::vector<std::string_view> words_;  // into texts_: sorted, each once
};

}  // namespace tool
