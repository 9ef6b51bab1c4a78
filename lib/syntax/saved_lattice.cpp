// saved_lattice.cpp - a syntax made from a saved lattice file: the file's
// lattice and every sub-lattice in it become registered syntaxes that
// include one another.
#include <map>
#include <set>

#include "dict/dict.h"
#include "frame/trace.h"
#include "frame/case.h"
#include "syntax/syntax_internal.h"

namespace kh {

namespace {

// Sub-lattices nested deeper than this are refused: each level is a level
// of recursion here.
constexpr int kMaxNesting = 200;

// What one load has made so far.  A sub-lattice is known by its name put
// into upper case, so two names that differ only in case would become one
// syntax; the names as the file gives them tell them apart.
struct Load {
    VocabRecord *vocab = nullptr;
    std::map<std::string, std::string> file_names;  // upper-case name -> name in the file
    std::set<SyntaxRecord *> building;              // being copied: met again, it would include itself
    std::vector<std::string> *made = nullptr;
};

std::string UpperName(const std::string &name) {
    char upper[kNameLen];
    UpperCaseCopy(name.c_str(), upper, kNameLen);
    return upper;
}

std::string FileName(hapiLatObject lattice) {
    const char *name = hapiLatName(lattice);
    return name ? name : "";
}

SyntaxRecord *CreateSemanticSyn(Load *load, SyntaxRecord *top, SyntaxRecord *parent, hapiLatObject loaded,
                                const std::string &file_name);

// Adds to the syntax's lattice the copy of one node of the loaded lattice.
int CopyNode(Load *load, SyntaxRecord *top, SyntaxRecord *syntax, hapiLatObject loaded, int node,
             const std::string &tag) {
    if (hapiLatObject sub = hapiLatNodeSublatObject(loaded, node)) {
        SyntaxRecord *included = CreateSemanticSyn(load, top, syntax, sub, FileName(sub));
        return included ? hapiLatAddSublatNode(syntax->lattice, included->lattice) : -1;
    }
    std::string word = DictWordName(load->vocab->vocab_dict, hapiLatNodeWordId(loaded, node, 0));
    std::string name = QualifiedWordName(word.c_str(), tag.c_str());
    int id = name.empty() ? 0 : hapiDictWordId(load->vocab->exercise_dict, name.c_str());
    return hapiLatAddNode(syntax->lattice, id, 0);
}

// The most negative float is the engine's failure value: a score equal to
// it cannot be told from a failed read, so the file is refused.
bool CopyArc(hapiLatObject loaded, int arc, hapiLatObject lattice) {
    double score = hapiLatArcScore(loaded, arc, 1, nullptr);
    if (score == HAPI_FLOAT_FAIL) {
        return Failure(Message("CopySemanticLattice: Arc %d has no usable score", arc), false);
    }
    int copy = hapiLatAddArc(lattice, hapiLatArcStart(loaded, arc), hapiLatArcEnd(loaded, arc));
    if (copy < 0) return false;
    float value = static_cast<float>(score);
    return hapiLatArcScore(lattice, copy, 1, &value) != HAPI_FLOAT_FAIL;
}

// Copies the loaded lattice node by node, so that the copy keeps its node
// numbers, then arc by arc with their scores.
SyntaxRecord *CopySemanticLattice(Load *load, SyntaxRecord *top, SyntaxRecord *syntax, hapiLatObject loaded) {
    std::string tag = UpperName(FileName(loaded));
    int arcs = 0;
    int nodes = hapiLatSize(loaded, &arcs);
    if (nodes < 0) return nullptr;
    for (int node = 1; node <= nodes; node++)
        if (CopyNode(load, top, syntax, loaded, node, tag) < 0) return nullptr;
    for (int arc = 1; arc <= arcs; arc++)
        if (!CopyArc(loaded, arc, syntax->lattice)) return nullptr;
    return syntax;
}

// A sub-lattice met again in the same file is the syntax made for it the
// first time, unless it differs from that one by the case of its name or
// is still being copied (which would make a syntax include itself).
bool MetBefore(Load *load, SyntaxRecord *top, SyntaxRecord *parent, const std::string &file_name, SyntaxRecord **met) {
    std::string name = UpperName(file_name);
    *met = FindIncludedSyntax(top, name.c_str());
    if (!*met) return true;
    const std::string &first = load->file_names[name];
    if (first != file_name) {
        LogError(Message("CreateSemanticSyn: Sub-lattice names %s and %s differ only in case", first.c_str(),
                         file_name.c_str()));
        return false;
    }
    if (load->building.count(*met)) {
        return Failure(Message("CreateSemanticSyn: Sub-lattice %s includes itself", name.c_str()), false);
    }
    AddInclusion(parent, *met);
    return true;
}

SyntaxRecord *CreateSemanticSyn(Load *load, SyntaxRecord *top, SyntaxRecord *parent, hapiLatObject loaded,
                                const std::string &file_name) {
    std::string name = top ? UpperName(file_name) : file_name;
    if (top && strcmp(top->name, name.c_str()) == 0) {
        return Failure("CreateSemanticSyn: Name of sublat same as name of top level lattice", nullptr);
    }
    SyntaxRecord *met = nullptr;
    if (!MetBefore(load, top, parent, file_name, &met)) return nullptr;
    if (met) return met;
    if (name.empty()) {
        return Failure("CreateSemanticSyn: Sub-lattice without a name", nullptr);
    }
    if (load->building.size() > static_cast<size_t>(kMaxNesting)) {
        return Failure("CreateSemanticSyn: Sub-lattices are nested too deeply", nullptr);
    }
    if (name.size() >= static_cast<size_t>(kSyntaxNameLen)) {
        return Failure("CreateSemanticSyn: Name of sublat is too long", nullptr);
    }
    SyntaxRecord *syntax = NewSyntax(load->vocab, name.c_str());
    if (!syntax) {
        return Failure(Message("CreateSemanticSyn: Syntax name %s already exists", name.c_str()), nullptr);
    }
    load->made->push_back(name);
    load->file_names[name] = file_name;
    load->building.insert(syntax);
    AddInclusion(parent, syntax);
    syntax->isEmpty = 0;
    hapiLatModify(syntax->lattice);
    bool copied = CopySemanticLattice(load, top ? top : syntax, syntax, loaded) != nullptr;
    load->building.erase(syntax);
    if (!copied) return nullptr;
    hapiDictObject dict = load->vocab->exercise_dict;
    if (!TrimStartNode(syntax->lattice, dict) || !TrimEndNode(syntax->lattice, dict)) return nullptr;
    if (!FinaliseLoadedLattice(syntax->lattice)) return nullptr;
    return syntax;
}

// Fetches the words of the file from the system dictionary into the
// vocabulary dictionary, and loads the file against that again.
hapiLatObject LoadWithSystemWords(VocabRecord *vocab, const char *name, const char *filename) {
    hapiDictObject system = LoadSysDict();
    if (!system) return nullptr;
    hapiLatObject with_system = hapiLoadLatObject(system, filename, name);
    if (!with_system) return nullptr;
    hapiDictModify(vocab->vocab_dict);
    SaveUsedWords(with_system, vocab->vocab_dict, 0);
    hapiDictFinalise(vocab->vocab_dict);
    hapiDeleteLatObject(with_system);
    return hapiLoadLatObject(vocab->vocab_dict, filename, name);
}

// Loads the file against the vocabulary dictionary; when that lacks some of
// its words, first fetches them.  The lattice is answered only once the
// vocabulary dictionary file holds its words.
hapiLatObject LoadAgainstVocabulary(VocabRecord *vocab, const char *name, const char *filename) {
    int words_before = hapiDictNumWords(vocab->vocab_dict);
    hapiLatObject lattice = hapiLoadLatObject(vocab->vocab_dict, filename, name);
    if (!lattice) lattice = LoadWithSystemWords(vocab, name, filename);
    if (!SaveNewVocabWords(vocab, words_before, "khSyntaxCreate") && lattice) {
        hapiDeleteLatObject(lattice);
        return nullptr;
    }
    return lattice;
}

}  // namespace

SyntaxRecord *LoadSavedSyntax(const char *name, const char *lattice_filename, std::vector<std::string> *made) {
    VocabRecord *vocab = g_state->current_vocab;
    hapiLatObject loaded = LoadAgainstVocabulary(vocab, name, lattice_filename);
    if (!loaded) return nullptr;
    SaveUsedWords(loaded, vocab->exercise_dict, 1);
    Load load;
    load.vocab = vocab;
    load.made = made;
    SyntaxRecord *syntax = CreateSemanticSyn(&load, nullptr, nullptr, loaded, name);
    hapiDeleteLatObject(loaded);
    return syntax;
}

}  // namespace kh
