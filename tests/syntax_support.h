// syntax_support.h - what the syntax tests share: the syntax layer and the
// system state, a started library with a log, and a readable picture of a
// syntax lattice taken through the engine's calls.
#ifndef KHAPI_TESTS_SYNTAX_SUPPORT_H
#define KHAPI_TESTS_SYNTAX_SUPPORT_H

#include <initializer_list>
#include <string>

#include "khapi.h"
#include "support.h"
#include "syntax/syntax.h"

namespace khtest {

// A fresh folder and the standard configuration at the given trace level,
// with the extra lines given.
class SyntaxTest : public ::testing::Test {
protected:
    void Start(const std::string &level = "ERROR", const std::string &extra = "");
    // A new syntax with the given options, each of which must be taken.
    KhSyntax Make(const char *name, std::initializer_list<const char *> options);
    Workspace ws_;
};

// The record behind a syntax handle.
inline kh::SyntaxRecord *Rec(KhSyntax s) { return static_cast<kh::SyntaxRecord *>(s); }
// The number of syntaxes of the current vocabulary.
int Registered();

// The lattice of a syntax as "nodes: W1 W2 ... | arcs: 1>2 ...", where
// each Wn is the node's word name, "$NAME" for a sub-lattice node; arcs in
// their engine order, with "(disabled)" after one scored at -1000000.
std::string Picture(KhSyntax syntax);
// The inclusions of a syntax as "includes: B*2 | in: A*1": the syntaxes
// it includes and those it is included in, each with its count.
std::string Links(KhSyntax syntax);
// The score of an arc of the syntax lattice.
double ArcScore(KhSyntax syntax, int arc);
// How often part occurs in text.
int Occurrences(const std::string &text, const std::string &part);
// A file of the library's test data.
inline std::string Data(const std::string &name) { return std::string(KHAPI_SOURCE_DIR) + "/tests/data/" + name; }

}  // namespace khtest

#endif  // KHAPI_TESTS_SYNTAX_SUPPORT_H
