// saved_lattice.cpp - a syntax made from a saved lattice file: the file's
// lattice and every sub-lattice in it become registered syntaxes that
// include one another.
#include "dict/dict.h"
#include "frame/trace.h"
#include "frame/case.h"
#include "syntax/syntax_internal.h"

namespace kh {

namespace {

// Sub-lattices nested deeper than this are refused: each level is a level
// of recursion here.
constexpr int kMaxNesting = 200;

std::string UpperName(hapiLatObject lattice) {
    const char *name = hapiLatName(lattice);
    char upper[kNameLen];
    UpperCaseCopy(name ? name : "", upper, kNameLen);
    return upper;
}

SyntaxRecord *CreateSemanticSyn(VocabRecord *vocab, SyntaxRecord *top, SyntaxRecord *parent,
                                hapiLatObject loaded, const char *name, int depth);

// Adds to the syntax's lattice the copy of one node of the loaded lattice.
int CopyNode(VocabRecord *vocab, SyntaxRecord *top, SyntaxRecord *syntax, hapiLatObject loaded, int node,
             const std::string &tag, int depth) {
    if (hapiLatObject sub = hapiLatNodeSublatObject(loaded, node)) {
        SyntaxRecord *included = CreateSemanticSyn(vocab, top, syntax, sub, UpperName(sub).c_str(), depth + 1);
        return included ? hapiLatAddSublatNode(syntax->lattice, included->lattice) : -1;
    }
    std::string word = DictWordName(vocab->vocab_dict, hapiLatNodeWordId(loaded, node, 0));
    std::string name = QualifiedWordName(word.c_str(), tag.c_str());
    int id = name.empty() ? 0 : hapiDictWordId(vocab->exercise_dict, name.c_str());
    return hapiLatAddNode(syntax->lattice, id, 0);
}

bool CopyArc(hapiLatObject loaded, int arc, hapiLatObject lattice) {
    double score = hapiLatArcScore(loaded, arc, 1, nullptr);
    if (score == HAPI_FLOAT_FAIL) return false;
    int copy = hapiLatAddArc(lattice, hapiLatArcStart(loaded, arc), hapiLatArcEnd(loaded, arc));
    if (copy < 0) return false;
    float value = static_cast<float>(score);
    return hapiLatArcScore(lattice, copy, 1, &value) != HAPI_FLOAT_FAIL;
}

// Copies the loaded lattice node by node, so that the copy keeps its node
// numbers, then arc by arc with their scores.
SyntaxRecord *CopySemanticLattice(VocabRecord *vocab, SyntaxRecord *top, SyntaxRecord *syntax,
                                  hapiLatObject loaded, int depth) {
    std::string tag = UpperName(loaded);
    int arcs = 0;
    int nodes = hapiLatSize(loaded, &arcs);
    if (nodes < 0) return nullptr;
    for (int node = 1; node <= nodes; node++)
        if (CopyNode(vocab, top, syntax, loaded, node, tag, depth) < 0) return nullptr;
    for (int arc = 1; arc <= arcs; arc++)
        if (!CopyArc(loaded, arc, syntax->lattice)) return nullptr;
    return syntax;
}

SyntaxRecord *CreateSemanticSyn(VocabRecord *vocab, SyntaxRecord *top, SyntaxRecord *parent,
                                hapiLatObject loaded, const char *name, int depth) {
    if (top && strcmp(top->name, name) == 0) {
        LogError("CreateSemanticSyn: Name of sublat same as name of top level lattice");
        return nullptr;
    }
    if (SyntaxRecord *met = FindIncludedSyntax(top, name)) {
        AddInclusion(parent, met);
        return met;
    }
    if (depth > kMaxNesting) {
        LogError("CreateSemanticSyn: Sub-lattices are nested too deeply");
        return nullptr;
    }
    if (strlen(name) >= static_cast<size_t>(kSyntaxNameLen)) {
        LogError("CreateSemanticSyn: Name of sublat is too long");
        return nullptr;
    }
    SyntaxRecord *syntax = NewSyntax(vocab, name);
    if (!syntax) {
        LogErrorf("CreateSemanticSyn: Syntax name %s already exists", name);
        return nullptr;
    }
    AddInclusion(parent, syntax);
    syntax->isEmpty = 0;
    hapiLatModify(syntax->lattice);
    if (!CopySemanticLattice(vocab, top ? top : syntax, syntax, loaded, depth)) return nullptr;
    if (!TrimStartNode(syntax->lattice, vocab->exercise_dict)) return nullptr;
    if (!TrimEndNode(syntax->lattice, vocab->exercise_dict)) return nullptr;
    if (!FinaliseLoadedLattice(syntax->lattice)) return nullptr;
    return syntax;
}

// Loads the file against the vocabulary dictionary; when that lacks some of
// its words, first fetches them from the system dictionary into the
// vocabulary dictionary file.
hapiLatObject LoadAgainstVocabulary(VocabRecord *vocab, const char *name, const char *filename) {
    if (hapiLatObject lattice = hapiLoadLatObject(vocab->vocab_dict, filename, name)) return lattice;
    hapiDictObject system = LoadSysDict();
    if (!system) return nullptr;
    hapiLatObject with_system = hapiLoadLatObject(system, filename, name);
    if (!with_system) return nullptr;
    hapiDictModify(vocab->vocab_dict);
    SaveUsedWords(with_system, vocab->vocab_dict, 0);
    hapiDictFinalise(vocab->vocab_dict);
    hapiDictSave(vocab->vocab_dict, vocab->vocab_dict_file);
    hapiDeleteLatObject(with_system);
    return hapiLoadLatObject(vocab->vocab_dict, filename, name);
}

}  // namespace

SyntaxRecord *LoadSavedSyntax(const char *name, const char *lattice_filename) {
    VocabRecord *vocab = g_state->current_vocab;
    hapiLatObject loaded = LoadAgainstVocabulary(vocab, name, lattice_filename);
    if (!loaded) return nullptr;
    SaveUsedWords(loaded, vocab->exercise_dict, 1);
    SyntaxRecord *syntax = CreateSemanticSyn(vocab, nullptr, nullptr, loaded, name, 0);
    hapiDeleteLatObject(loaded);
    return syntax;
}

}  // namespace kh
