// options.cpp - khSyntaxAddOption: one more option, read from BNF text, laid
// between the syntax's single start node and single end node.
#include "khapi.h"
#include "frame/trace.h"
#include "dict/dict.h"
#include "syntax/syntax.h"
#include "syntax/syntax_internal.h"

namespace kh {

namespace {

// Options are never added while some are disabled.
int ReEnableAll(SyntaxRecord *syntax) {
    if (!syntax->disables) return 1;
    TraceLine("Reenabling all disables");
    NestedCall nested;
    return SyntaxReEnableOptionsCall(syntax, 0) < 0 ? -1 : 1;
}

// The nodes the option goes between: the existing start and end nodes, or
// two new null nodes for the first option.
bool OptionEnds(hapiLatObject lattice, int nodes, int *start, int *end) {
    if (nodes > 0) {
        *start = FindStartNode(lattice);
        *end = FindEndNode(lattice);
    } else {
        *start = AddNullNode(lattice);
        *end = AddNullNode(lattice);
    }
    return *start > 0 && *end > 0;
}

// Takes out the nodes a failed pass added, newest first, with their arcs:
// every arc a pass lays touches a node it made, and the nodes before it
// keep their numbers.  A lattice that held options is finalised again.
void RollBack(hapiLatObject lattice, int nodes_before) {
    int nodes = hapiLatSize(lattice, nullptr);
    for (int node = nodes; node > nodes_before; node--)
        if (hapiLatDeleteNode(lattice, node) < 0) break;
    if (nodes_before > 0) hapiLatFinalise(lattice, 0, 0);
}

int Refused(hapiLatObject lattice, int nodes_before, const char *message) {
    RollBack(lattice, nodes_before);
    return Failure(message);
}

}  // namespace

int SyntaxAddOption(SyntaxRecord *syntax, const char *bnf) {
    VocabSaveBatch batch("khSyntaxAddOption");  // words fetched are saved once
    if (ReEnableAll(syntax) < 0) return -1;
    char text[kNameLen];
    if (!bnf || !bnf[0] || !CopyArgument(bnf, text)) return Failure("khSyntaxAddOption: BNF string is invalid");
    ForceCase(bnf, text);
    VocabRecord *vocab = g_state->current_vocab;
    if (!ReadBNF(vocab, syntax, 0, 0, text, 0)) return Failure("khSyntaxAddOption: Error in adding sentence");
    // The check has fetched every word: the option is added only once the
    // vocabulary dictionary file holds them.
    if (!batch.Save()) return -1;
    int nodes = hapiLatSize(syntax->lattice, nullptr);
    if (nodes < 0) return Failure("khSyntaxAddOption: Invalid lattice");
    if (hapiLatModify(syntax->lattice) < 0) return Failure("khSyntaxAddOption: Unable to modify lattice");
    int start = 0, end = 0;
    if (!OptionEnds(syntax->lattice, nodes, &start, &end))
        return Refused(syntax->lattice, nodes, "khSyntaxAddOption: Invalid lattice");
    if (!ReadBNF(vocab, syntax, start, end, text, 1))
        return Refused(syntax->lattice, nodes, "khSyntaxAddOption: Serious syntax error. Syntax is now invalid");
    if (hapiLatFinalise(syntax->lattice, 0, 0) < 0) return Failure("khSyntaxAddOption: Unable to finalise lattice");
    syntax->isEmpty = 0;
    return Success("khSyntaxAddOption", 1);
}

}  // namespace kh
