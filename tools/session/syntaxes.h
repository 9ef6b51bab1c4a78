// syntaxes.h - the syntaxes each subcommand recognises against.
#pragma once

#include <string>
#include <vector>

#include "khapi.h"

namespace tool {

// One syntax from one BNF option.
KhSyntax SyntaxFromBnf(const std::string &name, const std::string &bnf, std::string *why);

// The syntaxes of a grammar file: one "NAME = BNF" a line (blank lines and
// lines starting with # are skipped; a name given again adds an option).
// The syntax of the last line is answered.
KhSyntax SyntaxFromFile(const std::string &path, std::string *why);

// The syntax `name` of a text: its words in order, each of which may be
// left out when `optional`.  A text too long for one of the library's
// strings (KH_MAX_TEXT) becomes a chain of parts NAME1, NAME2, ... that
// the syntax includes in order, so that texts of any length are taken
// whole.  Null with why when a word is too long for the library or the
// library refuses the text (khSyntaxDeleteDeep removes the whole chain).
// With `garbage`, an optional text of up to 30 words may have speech that
// is none of its words (kGarbageWord, any number of times) before, between
// and after them.
KhSyntax TextSyntax(const std::string &name, const std::vector<std::string> &words, bool optional, bool garbage,
                    std::string *why);

// The longest word the library takes in a text syntax named `name`.
size_t LongestWord(const std::string &name);

// A grammar cut to a length that a message can quote.
std::string Quoted(const std::string &bnf);

}  // namespace tool
