// Audio files (WAV and other formats, truncated or with lying headers)
// through khRecPrepare and khRecDoWholeSent, then the word queries.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!khfuzz::StartOnce()) return 0;
    static KhSyntax syntax = [] {
        KhSyntax s = khSyntaxCreate("GO", nullptr);
        khSyntaxAddOption(s, "go (forward | back) [ten meters]");
        return s;
    }();
    static KhRecogniser rec = khRecCreate();
    khfuzz::WriteFile("input.wav", khfuzz::Text(data, size));
    if (khRecPrepare(rec, syntax, "input.wav", nullptr) == 1 && khRecDoWholeSent(rec) == 1) {
        char words[KH_MAX_TEXT];
        khRecGetWords(rec, words);
        khRecGetWordScore(rec, 1, 1);
    }
    khRecFinalise(rec);
    return 0;
}
