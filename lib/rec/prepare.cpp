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

// The temporary grammar of one preparation, deleted on every way out of
// it but the one that deletes it itself and checks the answer.
class TemporaryGrammar {
public:
    explicit TemporaryGrammar(hapiLatObject lattice) : lattice_(lattice) {}
    ~TemporaryGrammar() {
        if (lattice_) hapiDeleteLatObject(lattice_);
    }
    TemporaryGrammar(const TemporaryGrammar &) = delete;
    TemporaryGrammar &operator=(const TemporaryGrammar &) = delete;
    hapiLatObject get() const { return lattice_; }
    int Delete() {
        hapiLatObject lattice = lattice_;
        lattice_ = nullptr;
        return hapiDeleteLatObject(lattice);
    }

private:
    hapiLatObject lattice_;
};

// The syntax's lattice between two silence words, in the new lattice.
// -1 after logging.
int MakeGrammar(VocabRecord *vocab, SyntaxRecord *syntax, hapiLatObject lattice) {
    if (!lattice) return Failure("khRecPrepare: Error creating recognition grammar");
    hapiLatModify(lattice);
    int silence = GetWordId(vocab, "<s>");
    if (silence <= 0) return Failure("khRecPrepare: Cannot find silence!");
    int start = hapiLatAddNode(lattice, silence, 0);
    int end = hapiLatAddNode(lattice, silence, 0);
    int middle = hapiLatAddSublatNode(lattice, syntax->lattice);
    hapiLatAddArc(lattice, start, middle);
    hapiLatAddArc(lattice, middle, end);
    if (hapiLatFinalise(lattice, 0, 0) < 0) return Failure("khRecPrepare: Error creating recognition grammar");
    return 1;
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
int UseFile(RecogniserRecord *rec, const char *wav) {
    if (!FileReadable(wav)) return Failure("khRecPrepare: Error opening the waveform file");
    if (rec->file_source && rec->file_coder) {
        hapiSourceOverrideFilename(rec->file_source, wav);
    } else {
        if (!rec->file_source) rec->file_source = hapiCreateSourceObject(HAPI_FILE_SOURCE);
        if (!rec->file_source || hapiSourceOverrideFilename(rec->file_source, wav) < 0 ||
            hapiSourceInitialise(rec->file_source) < 0) {
            // A source that did not read its file is dropped; the next
            // preparation with a file makes source and coder anew.
            DropFileInput(rec);
            return Failure("khRecPrepare: Error while reading the audio file");
        }
        rec->file_coder = hapiCreateCoderObject(rec->file_source);
        if (!rec->file_coder || hapiCoderInitialise(rec->file_coder, rec->owner->model->name) < 0) {
            // So is a coder that did not start, with its source.
            DropFileInput(rec);
            return Failure("khRecPrepare: Error setting up the channel");
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

// The input and the network for the grammar; -1 after logging.
int BuildNetwork(RecogniserRecord *rec, VocabRecord *vocab, SyntaxRecord *syntax, const char *wav,
                 hapiLatObject grammar) {
    if (wav) {
        if (UseFile(rec, wav) < 0) return -1;
    } else {
        rec->current_source = rec->live_source;
        rec->current_coder = rec->live_coder;
    }
    SetBackgroundModel(syntax->owner->model);
    // A network left by a failed preparation goes before a new one is built.
    if (rec->network) hapiDeleteNetObject(rec->network);
    rec->network = nullptr;
    rec->network = hapiBuildNetObject(HAPI_NETWORK_KIND, rec->hmm_set, vocab->exercise_dict, grammar);
    if (!rec->network) return Failure("khRecPrepare: Error building the recognition network");
    if (g_state->save_lattices) hapiLatSave(grammar, "test.lat", 0);
    return 1;
}

}  // namespace

int RecPrepare(RecogniserRecord *rec, const void *syntax_handle, const char *wav, const char *map) {
    if (rec->status != REC_IDLE) return Failure("khRecPrepare: Only a completed/new recogniser can be prepared.");
    if (map) return Failure("khRecPrepare: Pronunciation mapping not yet implemented");
    SyntaxRecord *syntax = CheckSyntax(syntax_handle);
    if (!syntax) return -1;
    if (syntax->isEmpty) return Failure("khRecPrepare: Recogniser cannot be prepared with an empty syntax");
    VocabRecord *vocab = g_state->current_vocab;
    if (rec->owner != vocab || syntax->owner != vocab)
        return Failure("khRecPrepare: Somehow the vocabs have been messed up");
    if (!rec->engine_rec) return Failure("khRecPrepare: Error preparing the recogniser");

    TemporaryGrammar grammar(hapiCreateLatObject(vocab->exercise_dict, nullptr));
    if (MakeGrammar(vocab, syntax, grammar.get()) < 0) return -1;
    if (BuildNetwork(rec, vocab, syntax, wav, grammar.get()) < 0) return -1;
    if (grammar.Delete() < 0) return Failure("khRecPrepare: Error deleting temporary lattice");
    if (hapiCoderPrepare(rec->current_coder) < 0) return Failure("khRecPrepare: Error preparing the coder");
    if (hapiRecPrepare(rec->engine_rec, rec->current_coder, rec->network) < 0)
        return Failure("khRecPrepare: Error preparing the recogniser");
    rec->status = REC_PREPARED;
    rec->utterances++;
    return Success("khRecPrepare", 1);
}

}  // namespace kh
