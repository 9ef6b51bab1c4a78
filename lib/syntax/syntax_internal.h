// syntax_internal.h - what the syntax files share with one another: the
// registry and inclusion bookkeeping, the reader, the lattice helpers and
// the loader of saved lattices.
#ifndef KH_SYNTAX_SYNTAX_INTERNAL_H
#define KH_SYNTAX_SYNTAX_INTERNAL_H

#include <string>
#include <vector>

#include "syntax/syntax.h"

namespace kh {

// ---- registry and inclusions (registry.cpp) ----------------------------

// The syntax registered under exactly this name in the current vocabulary.
SyntaxRecord *FindSyntax(const char *name);
// The same, but only a syntax that passes CheckSyntax.
SyntaxRecord *FindValidSyntax(const char *name);
// Registers a new, empty syntax; null (after logging) when the name is
// taken or does not fit.
SyntaxRecord *NewSyntax(VocabRecord *vocab, const char *name);
// Records that parent includes child (nothing when parent is null).
void AddInclusion(SyntaxRecord *parent, SyntaxRecord *child);
// root itself or a syntax it includes, at any depth, with this name.
SyntaxRecord *FindIncludedSyntax(SyntaxRecord *root, const char *name);
// Takes the entry of syntax out of a list, whatever its count.
void RemoveLink(SyntaxLink **list, SyntaxRecord *syntax);
// Unregisters and frees a syntax whose links are already undone.
void FreeSyntax(SyntaxRecord *syntax);

// ---- text (text.cpp) ---------------------------------------------------

// A BNF punctuation character or white space; never the NUL.
int IsBnfSeparator(int c);
// Copies text into out (kNameLen) in the case FORCECASE asks for.
void ForceCase(const char *text, char *out);
// Fits a string argument into a kNameLen working buffer; false (out
// empty) when it is too long.  A null text gives "".
bool CopyArgument(const char *text, char *out);

// ---- lattice helpers (lattice_nodes.cpp) -------------------------------

// The lowest-numbered node without predecessor / follower arcs; 0 if none.
int FindStartNode(hapiLatObject lattice);
int FindEndNode(hapiLatObject lattice);
// The arcs leaving (follow) or entering a node, in the engine's order.
std::vector<int> NodeArcs(hapiLatObject lattice, int node, bool follow);
// Adds a null node; its number, or negative on failure.
int AddNullNode(hapiLatObject lattice);

// ---- the reader (bnf_reader.cpp) ---------------------------------------

// Reads one option of BNF text; when build is set, lays it between the
// start and end nodes.  1 when the whole text was read, 0 on failure.
int ReadBNF(VocabRecord *vocab, SyntaxRecord *syntax, int start, int end, const char *text, int build);

// ---- saved lattices (saved_lattice.cpp, trim.cpp) -----------------------

// Loads a lattice file as the syntax of that name and a syntax for each of
// its sub-lattices; made receives the name of every syntax registered on
// the way, so that a failed load can take them all out again.
SyntaxRecord *LoadSavedSyntax(const char *name, const char *lattice_filename, std::vector<std::string> *made);
int TrimStartNode(hapiLatObject lattice, hapiDictObject exercise_dict);
int TrimEndNode(hapiLatObject lattice, hapiDictObject exercise_dict);
int FinaliseLoadedLattice(hapiLatObject lattice);

// ---- disabling (disable.cpp, path_search.cpp) ---------------------------

// Frees the disable stack without writing any score back.
void FreeDisables(SyntaxRecord *syntax);
// Splits a sentence into words at separators; answers the word count.
int SplitSentence(const char *text, std::vector<std::string> *words);
// The arc leaving the start node whose option spells the words; 0 if none.
int FindSentenceArc(hapiLatObject lattice, hapiDictObject dict, const std::vector<std::string> &words);

}  // namespace kh

#endif  // KH_SYNTAX_SYNTAX_INTERNAL_H
