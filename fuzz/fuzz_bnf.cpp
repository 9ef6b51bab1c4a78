// BNF text through khSyntaxAddOption, then sentences through
// khSyntaxDisableOption.  The input is lines: every line but the last is an
// option of the syntax F (which may include G, holding "yes | no"), the
// last is a sentence to disable and re-enable.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!khfuzz::StartOnce()) return 0;
    static KhSyntax g = [] {
        KhSyntax s = khSyntaxCreate("G", nullptr);
        khSyntaxAddOption(s, "yes | no");
        return s;
    }();
    (void)g;
    std::string text = khfuzz::Text(data, size);
    KhSyntax f = khSyntaxCreate("F", nullptr);
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        khSyntaxAddOption(f, text.substr(start, end - start).c_str());
    std::string sentence = text.substr(start);
    if (khSyntaxDisableOption(f, sentence.c_str()) == 1) khSyntaxReEnableOptions(f, 1);
    khSyntaxDeleteShallow(f);
    return 0;
}
