// Configuration files and dictionary files through khSysInit.  The input
// is the configuration text, a NUL, then the text of "fuzz.dic", which the
// seeds name as the vocabulary dictionary and the user dictionary.  After
// a successful start a word is fetched, so that the system and user
// dictionaries are loaded and merged.  "@MODEL@" and "@SYSDICT@" in the
// configuration stand for the packaged model folder and the system
// dictionary, so that kept inputs work on any machine.  Each input starts the library
// afresh: the state of the one before is taken down first.
#include "engine/hapi.h"
#include "dict/dict.h"
#include "fuzz_support.h"

namespace {

void TakeDown() {
    kh::SystemState *state = kh::g_state;
    if (!state) return;
    while (kh::VocabRecord *vocab = state->vocabs) {
        state->vocabs = vocab->next;
        if (vocab->vocab_dict) hapiDeleteDictObject(vocab->vocab_dict);
        if (vocab->exercise_dict) hapiDeleteDictObject(vocab->exercise_dict);
        delete vocab;
    }
    while (kh::ModelRecord *model = state->models) {
        state->models = model->next;
        if (model->hmm_set) hapiDeleteHMMSetObject(model->hmm_set);
        delete model;
    }
    if (state->sys_dict) hapiDeleteDictObject(state->sys_dict);
    if (state->log) fclose(state->log);
    delete state;
    kh::g_state = nullptr;
}

std::string Placed(std::string text) {
    for (auto [mark, value] : {std::pair<std::string, std::string>{"@MODEL@", KHAPI_MODEL_DIR},
                               {"@SYSDICT@", KHAPI_BUILD_DIR "/data/sysdict.dic"}})
        for (size_t at; (at = text.find(mark)) != std::string::npos;) text.replace(at, mark.size(), value);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text = khfuzz::Text(data, size);
    size_t nul = text.find('\0');
    khfuzz::WriteFile("fuzz.conf", Placed(text.substr(0, nul)));
    khfuzz::WriteFile("fuzz.dic", nul == std::string::npos ? "" : text.substr(nul + 1));
    khfuzz::WriteFile("english.dic", "");
    if (khSysInit("fuzz.conf") == 1) {
        KhSyntax s = khSyntaxCreate("F", nullptr);
        khSyntaxAddOption(s, "hello world");
        khSyntaxDeleteShallow(s);
    }
    TakeDown();
    return 0;
}
