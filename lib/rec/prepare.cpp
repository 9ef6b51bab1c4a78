// prepare.cpp - khRecPrepare: the recognition grammar, the audio source
// and the network for one utterance.
#include "dict/dict.h"
#include "frame/checks.h"
#include "frame/file_access.h"
#include "frame/trace.h"
#include "rec/rec.h"
#include "rec/rec_internal.h"
#include "syntax/syntax.h"
#include "system/system.h"

namespace kh {

namespace {

// Fails the preparation: one message, and the temporary grammar, when
// there is one, is deleted.
int Fail(const char *message, hapiLatObject grammar = nullptr) {
    if (grammar) hapiDeleteLatObject(grammar);
    LogError(message);
    return -1;
}

// The syntax's lattice between two silence words.  Null after logging.
hapiLatObject MakeGrammar(VocabRecord *vocab, SyntaxRecord *syntax) {
    hapiLatObject grammar = hapiCreateLatObject(vocab->exercise_dict, nullptr);
    if (!grammar) return Fail("khRecPrepare: Error creating recognition grammar"), nullptr;
    hapiLatModify(grammar);
    int silence = GetWordId(vocab, "<s>");
    if (silence <= 0) return Fail("khRecPrepare: Cannot find silence!", grammar), nullptr;
    int start = hapiLatAddNode(grammar, silence, 0);
    int end = hapiLatAddNode(grammar, silence, 0);
    int middle = hapiLatAddSublatNode(grammar, syntax->lattice);
    hapiLatAddArc(grammar, start, middle);
    hapiLatAddArc(grammar, middle, end);
    if (hapiLatFinalise(grammar, 0, 0) < 0)
        return Fail("khRecPrepare: Error creating recognition grammar", grammar), nullptr;
    return grammar;
}

void DropFileInput(RecogniserRecord *rec) {
    if (rec->current_source == rec->file_source || rec->current_coder == rec->file_coder) {
        rec->current_source = rec->live_source;
        rec->current_coder = rec->live_coder;
    }
    if (rec->file_coder) hapiDeleteCoderObject(rec->file_coder);
    if (rec->file_source) hapiDeleteSourceObject(rec->file_source);
    rec->file_coder = nullptr;
    rec->file_source = nullptr;
}

// Points the recogniser at the waveform file, making its file source and
// coder the first time.  -1 after logging.
int UseFile(RecogniserRecord *rec, const char *wav, hapiLatObject grammar) {
    if (!FileReadable(wav)) return Fail("khRecPrepare: Error opening the waveform file", grammar);
    if (rec->file_source && rec->file_coder) {
        hapiSourceOverrideFilename(rec->file_source, wav);
    } else {
        if (!rec->file_source) rec->file_source = hapiCreateSourceObject(HAPI_FILE_SOURCE);
        if (!rec->file_source || hapiSourceOverrideFilename(rec->file_source, wav) < 0 ||
            hapiSourceInitialise(rec->file_source) < 0) {
            // A source that did not read its file is dropped; the next
            // preparation with a file makes source and coder anew.
            DropFileInput(rec);
            return Fail("khRecPrepare: Error while reading the audio file", grammar);
        }
        rec->file_coder = hapiCreateCoderObject(rec->file_source);
        if (!rec->file_coder || hapiCoderInitialise(rec->file_coder, rec->owner->model->name) < 0) {
            // So is a coder that did not start, with its source.
            DropFileInput(rec);
            return Fail("khRecPrepare: Error setting up the channel", grammar);
        }
    }
    rec->current_source = rec->file_source;
    rec->current_coder = rec->file_coder;
    return 1;
}

void SetBackgroundModel(const ModelRecord *model) {
    const char *bk = model->background;
    hapiOverrideConfStr("BKHMMNAME", strcmp(bk, "none") == 0 ? "" : bk);
}

// The input and the network for the grammar, which the caller deletes
// once this has answered 1; -1 after logging and deleting the grammar.
int BuildNetwork(RecogniserRecord *rec, VocabRecord *vocab, SyntaxRecord *syntax, const char *wav,
                 hapiLatObject grammar) {
    if (wav) {
        if (UseFile(rec, wav, grammar) < 0) return -1;
    } else {
        rec->current_source = rec->live_source;
        rec->current_coder = rec->live_coder;
    }
    SetBackgroundModel(syntax->owner->model);
    // A network left by a failed preparation goes before a new one is built.
    if (rec->network) hapiDeleteNetObject(rec->network);
    rec->network = nullptr;
    rec->network = hapiBuildNetObject(HAPI_NETWORK_KIND, rec->hmm_set, vocab->exercise_dict, grammar);
    if (!rec->network) return Fail("khRecPrepare: Error building the recognition network", grammar);
    if (g_state->save_lattices) hapiLatSave(grammar, "test.lat", 0);
    return 1;
}

}  // namespace

int RecPrepare(RecogniserRecord *rec, const void *syntax_handle, const char *wav, const char *map) {
    if (rec->status != REC_IDLE) return Fail("khRecPrepare: Only a completed/new recogniser can be prepared.");
    if (map) return Fail("khRecPrepare: Pronunciation mapping not yet implemented");
    SyntaxRecord *syntax = CheckSyntax(syntax_handle);
    if (!syntax) return -1;
    if (syntax->isEmpty) return Fail("khRecPrepare: Recogniser cannot be prepared with an empty syntax");
    VocabRecord *vocab = g_state->current_vocab;
    if (rec->owner != vocab || syntax->owner != vocab)
        return Fail("khRecPrepare: Somehow the vocabs have been messed up");
    if (!rec->engine_rec) return Fail("khRecPrepare: Error preparing the recogniser");

    hapiLatObject grammar = MakeGrammar(vocab, syntax);
    if (!grammar) return -1;
    int built;
    try {
        built = BuildNetwork(rec, vocab, syntax, wav, grammar);
    } catch (...) {  // memory ran out: the grammar goes, and the export says so
        hapiDeleteLatObject(grammar);
        throw;
    }
    if (built < 0) return -1;
    if (hapiDeleteLatObject(grammar) < 0) return Fail("khRecPrepare: Error deleting temporary lattice");
    if (hapiCoderPrepare(rec->current_coder) < 0) return Fail("khRecPrepare: Error preparing the coder");
    if (hapiRecPrepare(rec->engine_rec, rec->current_coder, rec->network) < 0)
        return Fail("khRecPrepare: Error preparing the recogniser");
    rec->status = REC_PREPARED;
    rec->utterances++;
    return Success("khRecPrepare", 1);
}

}  // namespace kh
