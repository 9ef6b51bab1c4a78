// disable.cpp - switching single options of a syntax off and back on: the
// work of khSyntaxDisableOption and khSyntaxReEnableOptions.  A disabled
// option keeps its place in the lattice; the disabled arc score on the arc
// that leaves the start node is what takes it out of play.
#include "khapi.h"
#include "frame/trace.h"
#include "syntax/syntax.h"
#include "syntax/syntax_internal.h"

namespace kh {

namespace {

int Succeed(const char *name) { return Success(name, 1); }

// The score that marks an arc as switched off.
constexpr float kDisabledArcScore = -1000000.0f;

float Disabled() { return kDisabledArcScore; }

float ArcScore(hapiLatObject lattice, int arc) { return static_cast<float>(hapiLatArcScore(lattice, arc, 1, nullptr)); }

bool IsArcDisabled(const SyntaxRecord *syntax, int arc) {
    if (ArcScore(syntax->lattice, arc) == Disabled()) return true;
    for (DisableRecord *d = syntax->disables; d; d = d->next)
        if (d->lattice == syntax->lattice && d->arc == arc) return true;
    return false;
}

// Writes the disabled score to the arc and keeps the score it replaced.
bool PushDisable(SyntaxRecord *syntax, int arc) {
    float disabled = Disabled();
    double saved = hapiLatArcScore(syntax->lattice, arc, 1, &disabled);
    if (saved == HAPI_FLOAT_FAIL) return false;
    syntax->disables = new DisableRecord{syntax->lattice, arc, static_cast<float>(saved), syntax->disables};
    return true;
}

bool AllStartArcsDisabled(hapiLatObject lattice) {
    int start = FindStartNode(lattice);
    if (start == 0) return false;
    for (int arc : NodeArcs(lattice, start, true))
        if (ArcScore(lattice, arc) != Disabled()) return false;
    return true;
}

int RestoreDisable(const DisableRecord *record) {
    float saved = record->saved_score;
    double held = hapiLatArcScore(record->lattice, record->arc, 1, &saved);
    if (static_cast<float>(held) != Disabled())
        return Failure("khSyntaxReEnableOptions: Arc was not originally disabled");
    return 1;
}

// Undoes the top records of the stack, at most limit of them (all when
// limit is 0); answers how many, or -1 when one could not be undone.
int UndoDisables(SyntaxRecord *syntax, int limit) {
    int undone = 0;
    while (syntax->disables && (limit == 0 || undone < limit)) {
        DisableRecord *top = syntax->disables;
        if (RestoreDisable(top) < 0) return -1;
        syntax->disables = top->next;
        delete top;
        undone++;
    }
    return undone;
}

int FindOption(SyntaxRecord *syntax, const char *text) {
    std::vector<std::string> words;
    SplitSentence(text, &words);
    return FindSentenceArc(syntax->lattice, g_state->current_vocab->exercise_dict, words);
}

}  // namespace

void FreeDisables(SyntaxRecord *syntax) {
    while (DisableRecord *top = syntax->disables) {
        syntax->disables = top->next;
        delete top;
    }
}

int SyntaxDisableOption(SyntaxRecord *syntax, const char *sentence) {
    char text[kNameLen];
    if (!CopyArgument(sentence, text)) return Failure("khSyntaxDisableOption: invalid sentence");
    ForceCase(sentence ? sentence : "", text);
    int count = SplitSentence(text, nullptr);
    if (count <= 0) return Failure("khSyntaxDisableOption: invalid sentence");
    TraceLinef("Number of words in sentence is %d", count);
    int arc = FindOption(syntax, text);
    if (arc == 0) return Failure("khSyntaxDisableOption: No path found");
    if (IsArcDisabled(syntax, arc)) return Failure("khSyntaxDisableOption: Arc already disabled");
    if (!PushDisable(syntax, arc)) return Failure("khSyntaxDisableOption: Unable to disable the option");
    if (AllStartArcsDisabled(syntax->lattice)) {
        LogError("khSyntaxDisableOption: No valid path through lattice. Undoing disable.");
        NestedCall nested;
        SyntaxReEnableOptionsCall(syntax, 1);
        return -1;
    }
    return Succeed("khSyntaxDisableOption");
}

int SyntaxReEnableOptionsCall(const void *handle, int number) {
    TraceEnter("khSyntaxReEnableOptions");
    TraceParamPointer(1, "syntax ptr", handle);
    TraceParamInt(2, "number of enables", number);
    SyntaxRecord *record = CheckSyntax(handle);
    return record ? SyntaxReEnableOptions(record, number) : -1;
}

int SyntaxReEnableOptions(SyntaxRecord *syntax, int number) {
    if (number < 0) return Succeed("khSyntaxReEnableOptions");
    if (number == 0 && !syntax->disables) TraceLine("No options to enable");
    int undone = UndoDisables(syntax, number);
    if (undone < 0) return -1;
    if (number > 0 && undone < number)
        return Failure("khSyntaxReEnableOptions: Tried to undo more than actual number of disables");
    return Succeed("khSyntaxReEnableOptions");
}

}  // namespace kh
