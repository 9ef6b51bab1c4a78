// bnf_reader.cpp - ReadBNF: one option of BNF text turned into lattice
// nodes and arcs between two nodes of a syntax lattice.
//
//   option     = expression END
//   expression = sequence { "|" sequence }
//   sequence   = item { item }
//   item       = word | "$" name | "[" expression "]" | "<" expression ">"
//              | "(" expression ")" | "{" expression "}"
//
// The same reading runs twice: a check pass that builds nothing (build 0)
// and, if it passed, the pass that builds.
#include <memory>

#include "dict/dict.h"
#include "frame/trace.h"
#include "syntax/syntax_internal.h"

namespace kh {

namespace {

enum BnfToken {
    TOKEN_WORD = 0,
    TOKEN_INCLUDE = 1,
    TOKEN_OPEN_OPTIONAL = 2,
    TOKEN_CLOSE_OPTIONAL = 3,
    TOKEN_OPEN_REPEAT = 4,
    TOKEN_CLOSE_REPEAT = 5,
    TOKEN_OPEN_GROUP = 6,
    TOKEN_CLOSE_GROUP = 7,
    TOKEN_OPEN_ANY = 8,
    TOKEN_CLOSE_ANY = 9,
    TOKEN_ALTERNATIVE = 10,
    TOKEN_END = 11,
};

struct BnfReader {
    hapiLatObject lattice = nullptr;
    int current = 0;
    const char *cursor = nullptr;
    BnfToken token = TOKEN_END;
    VocabRecord *vocab = nullptr;
    char word[kWordLen] = {};
    char text[kNameLen] = {};
    char syntax_name[kNameLen] = {};
    SyntaxRecord *syntax = nullptr;
    int build = 0;
    // The syntaxes this pass laid as sub-lattices, recorded as included
    // only once the whole pass has succeeded.
    std::vector<SyntaxRecord *> included;
};

bool IsBracket(char c) { return c && strchr("()<>[]{}|", c) != nullptr; }

bool IsWordEnd(char c) { return c == '\0' || c == '\n' || c == '\r' || IsBnfSeparator(c); }

BnfToken Classify(char c) {
    switch (c) {
    case '\0':
        return TOKEN_END;
    case '$':
        return TOKEN_INCLUDE;
    case '[':
        return TOKEN_OPEN_OPTIONAL;
    case ']':
        return TOKEN_CLOSE_OPTIONAL;
    case '<':
        return TOKEN_OPEN_REPEAT;
    case '>':
        return TOKEN_CLOSE_REPEAT;
    case '(':
        return TOKEN_OPEN_GROUP;
    case ')':
        return TOKEN_CLOSE_GROUP;
    case '{':
        return TOKEN_OPEN_ANY;
    case '}':
        return TOKEN_CLOSE_ANY;
    case '|':
        return TOKEN_ALTERNATIVE;
    default:
        return TOKEN_WORD;
    }
}

void NextToken(BnfReader *r) {
    while (IsBnfSeparator(*r->cursor)) r->cursor++;
    r->token = Classify(*r->cursor);
    if (r->token != TOKEN_WORD && r->token != TOKEN_INCLUDE && r->token != TOKEN_END) r->cursor++;
}

// Copies the word at the cursor; a word that does not fit the word field
// is refused rather than cut, since a cut word is another word.
bool ReadWord(BnfReader *r) {
    size_t len = 0;
    while (!IsWordEnd(r->cursor[len]) && !IsBracket(r->cursor[len])) len++;
    if (len >= sizeof r->word) {
        return Failure("ReadBNF: Word or syntax name too long", false);
    }
    memcpy(r->word, r->cursor, len);
    r->word[len] = '\0';
    r->cursor += len;
    return true;
}

// Adds an arc from the current node; false when the engine refuses it.
bool ArcFrom(BnfReader *r, int from, int to) { return from > 0 && to > 0 && hapiLatAddArc(r->lattice, from, to) >= 0; }

bool Expression(BnfReader *r);

bool Word(BnfReader *r) {
    if (!ReadWord(r)) return false;
    std::string name = QualifiedWordName(r->word, r->syntax_name);
    int id = name.empty() ? 0 : GetWordId(r->vocab, name.c_str());
    if (id == 0) {
        return Failure(Message("Could not find word %s in dictionaries", r->word), false);
    }
    if (!r->build) return true;
    int node = hapiLatAddNode(r->lattice, id, 1);
    if (!ArcFrom(r, r->current, node)) return false;
    r->current = node;
    return true;
}

bool Include(BnfReader *r) {
    r->cursor++;  // the "$"
    if (!ReadWord(r)) return false;
    if (!r->word[0]) {
        return Failure("khSyntaxAddOption: Invalid syntax name", false);
    }
    SyntaxRecord *included = FindValidSyntax(r->word);
    if (!included) {
        return Failure(Message("khSyntaxAddOption: Cannot find the syntax with name %s", r->word), false);
    }
    if (included->isEmpty) {
        return Failure(Message("khSyntaxAddOption: Syntax %s is empty and has not been added", r->word), false);
    }
    if (FindIncludedSyntax(included, r->syntax->name)) {
        return Failure("khSyntaxAddOption: Cannot allow circular includes of lattices", false);
    }
    if (!r->build) return true;
    int node = hapiLatAddSublatNode(r->lattice, included->lattice);
    if (!ArcFrom(r, r->current, node)) return false;
    r->current = node;
    r->included.push_back(included);
    return true;
}

// Makes a null node with an arc from the current node; 0 on failure.
int NullAfterCurrent(BnfReader *r) {
    int node = AddNullNode(r->lattice);
    return ArcFrom(r, r->current, node) ? node : 0;
}

// Reads the expression of a bracket pair and its closing token.
bool Enclosed(BnfReader *r, BnfToken close, const char *missing) {
    if (!Expression(r)) return false;
    if (r->token == close) return true;
    return Failure(missing, false);
}

// "[" E "]": E or nothing.
bool Optional(BnfReader *r) {
    if (!r->build) return Enclosed(r, TOKEN_CLOSE_OPTIONAL, "ReadBNF: Missing ']'");
    int open = NullAfterCurrent(r);
    if (!open) return Failure("khSyntaxAddOption: Unable to build lattice", false);
    r->current = open;
    if (!Expression(r)) return false;
    int close = NullAfterCurrent(r);
    if (!close || !ArcFrom(r, open, close)) return Failure("khSyntaxAddOption: Unable to build lattice", false);
    r->current = close;
    if (r->token != TOKEN_CLOSE_OPTIONAL) return Failure("ReadBNF: Missing ']'", false);
    return true;
}

// "<" E ">": E once or more.
bool Repeat(BnfReader *r) {
    if (!r->build) return Enclosed(r, TOKEN_CLOSE_REPEAT, "ReadBNF: Missing '>'");
    int open = NullAfterCurrent(r);
    if (!open) return false;
    r->current = open;
    if (!Enclosed(r, TOKEN_CLOSE_REPEAT, "ReadBNF: Missing '>'")) return false;
    if (!ArcFrom(r, r->current, open)) return false;
    int close = NullAfterCurrent(r);
    if (!close) return false;
    r->current = close;
    return true;
}

// "(" E ")": E, grouped.
bool Group(BnfReader *r) {
    if (!r->build) return Enclosed(r, TOKEN_CLOSE_GROUP, "ReadBNF: Missing ')'");
    int open = NullAfterCurrent(r);
    if (!open) return false;
    r->current = open;
    return Enclosed(r, TOKEN_CLOSE_GROUP, "ReadBNF: Missing ')'");
}

// "{" E "}": E any number of times, none included.
bool ZeroOrMore(BnfReader *r) {
    if (!r->build) return Enclosed(r, TOKEN_CLOSE_ANY, "ReadBNF: Missing '}'");
    int open = NullAfterCurrent(r);
    if (!open) return false;
    r->current = open;
    int body = NullAfterCurrent(r);
    if (!body) return false;
    r->current = body;
    if (!Enclosed(r, TOKEN_CLOSE_ANY, "ReadBNF: Missing '}'")) return false;
    if (!ArcFrom(r, r->current, body)) return false;
    int close = NullAfterCurrent(r);
    if (!close || !ArcFrom(r, open, close)) return false;
    r->current = close;
    return true;
}

bool Item(BnfReader *r) {
    bool ok = false;
    switch (r->token) {
    case TOKEN_WORD:
        ok = Word(r);
        break;
    case TOKEN_INCLUDE:
        ok = Include(r);
        break;
    case TOKEN_OPEN_OPTIONAL:
        ok = Optional(r);
        break;
    case TOKEN_OPEN_REPEAT:
        ok = Repeat(r);
        break;
    case TOKEN_OPEN_GROUP:
        ok = Group(r);
        break;
    case TOKEN_OPEN_ANY:
        ok = ZeroOrMore(r);
        break;
    default:
        return false;  // no item starts here
    }
    if (ok) NextToken(r);
    return ok;
}

bool StartsItem(BnfToken token) {
    return token == TOKEN_WORD || token == TOKEN_INCLUDE || token == TOKEN_OPEN_OPTIONAL ||
        token == TOKEN_OPEN_REPEAT || token == TOKEN_OPEN_GROUP || token == TOKEN_OPEN_ANY;
}

bool Sequence(BnfReader *r) {
    if (!Item(r)) return false;
    while (StartsItem(r->token))
        if (!Item(r)) return false;
    return true;
}

bool Expression(BnfReader *r) {
    int start = r->current;
    NextToken(r);
    if (!Sequence(r)) return false;
    if (r->token != TOKEN_ALTERNATIVE) return true;
    int join = 0;
    if (r->build) {
        join = AddNullNode(r->lattice);
        if (!ArcFrom(r, r->current, join)) return false;
    }
    while (r->token == TOKEN_ALTERNATIVE) {
        r->current = start;
        NextToken(r);
        if (!Sequence(r)) return false;
        if (r->build && !ArcFrom(r, r->current, join)) return false;
    }
    r->current = join;
    return true;
}

}  // namespace

int ReadBNF(VocabRecord *vocab, SyntaxRecord *syntax, int start, int end, const char *text, int build) {
    auto reader = std::make_unique<BnfReader>();  // the reader is large; freed however the reading ends
    BnfReader *r = reader.get();
    r->lattice = syntax->lattice;
    r->current = start;
    r->vocab = vocab;
    r->syntax = syntax;
    r->build = build;
    CopyField(r->syntax_name, syntax->name);
    CopyField(r->text, text);
    r->cursor = r->text;
    int result = 0;
    if (!Expression(r)) {
        result = 0;
    } else if (r->token != TOKEN_END) {
        LogError("khSyntaxAddOption: Error in BNF");
    } else if (build && !ArcFrom(r, r->current, end)) {
        LogError("khSyntaxAddOption: Error adding to the arc");
    } else {
        for (SyntaxRecord *included : r->included) AddInclusion(syntax, included);
        result = 1;
    }
    return result;
}

}  // namespace kh
