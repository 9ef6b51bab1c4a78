// grammar.h - the syntaxes each subcommand recognises against.
#pragma once

#include <string>
#include <vector>

#include "khapi.h"

namespace tool {

// The words of a text as the dictionary spells them: upper case, without
// punctuation (apostrophes inside words are kept).
std::vector<std::string> TextWords(const std::string &text);

// One syntax from one BNF option.
KhSyntax SyntaxFromBnf(const std::string &name, const std::string &bnf, std::string *why);

// The syntaxes of a grammar file: one "NAME = BNF" a line (blank lines and
// lines starting with # are skipped; a name given again adds an option).
// The syntax of the last line is answered.
KhSyntax SyntaxFromFile(const std::string &path, std::string *why);

// Exactly the words, in order.
std::string AlignBnf(const std::vector<std::string> &words);

// The words in order, each of which may be left out.
std::string AssessBnf(const std::vector<std::string> &words);

}  // namespace tool
