// exercise.cpp - ending the exercise under way: khSysNewExercise, a
// repeated khSysInit, and the clearing of one vocabulary's syntaxes,
// recognisers and exercise dictionary that they share.
#include "exercise/exercise.h"

#include "frame/case.h"
#include "frame/trace.h"
#include "rec/rec.h"
#include "syntax/syntax.h"
#include "system/system.h"

namespace kh {

namespace {

// Deletes the syntaxes that nothing includes, pass after pass, so that an
// included syntax goes after its includers.  -1 when a deletion fails or a
// whole pass deletes nothing (the walk would never end).
int DeleteAllSyntaxes(VocabRecord *vocab) {
    while (vocab->syntaxes) {
        bool deleted = false;
        for (SyntaxLink *link = vocab->syntaxes; link;) {
            SyntaxLink *next = link->next;
            if (!link->syntax->containedIn) {
                NestedCall nested;
                if (SyntaxDeleteShallowCall(link->syntax) < 0) return -1;
                deleted = true;
            }
            link = next;
        }
        if (!deleted) {
            return Failure("ClearExercise: Syntaxes include one another; cannot delete them");
        }
    }
    return 1;
}

int FreeAllRecognisers(VocabRecord *vocab) {
    while (RecogniserNode *node = vocab->recognisers) {
        if (FreeRec(node->rec) < 0) return -1;
        vocab->recognisers = node->next;
        delete node;
    }
    return 1;
}

}  // namespace

int Reinitialise(const char *config_filename) {
    LogError("khSysInit: System already initialised");
    if (!config_filename || g_state->config_file_given != config_filename)
        LogError("khSysInit: Tried to reinitialise with a different config filename");
    if (g_state->current_vocab) {
        ClearExercise(g_state->current_vocab);
        g_state->current_vocab = g_state->vocabs;
    }
    return -1;
}

int ClearExercise(VocabRecord *vocab) {
    if (DeleteAllSyntaxes(vocab) < 0 || FreeAllRecognisers(vocab) < 0) return -1;
    hapiDeleteDictObject(vocab->exercise_dict);
    vocab->exercise_dict = hapiEmptyDictObject(vocab->vocab_dict);
    hapiDictFinalise(vocab->exercise_dict);
    return 1;
}

int SysNewExercise(const char *name) {
    char upper[kNameLen];
    UpperCaseCopy(name ? name : "", upper, kNameLen);
    VocabRecord *vocab = FindVocab(upper);
    if (!vocab) {
        return Failure("khSysNewExercise: Invalid vocab name");
    }
    if (ClearExercise(g_state->current_vocab) < 0) {
        return Failure("khSysNewExercise: Error deleting previous exercise");
    }
    g_state->current_vocab = vocab;
    return Success("khSysNewExercise", 1);
}

}  // namespace kh
