// Saved lattice files through khSyntaxCreate; whatever loads is disabled
// by a sentence and deleted again.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!khfuzz::StartOnce()) return 0;
    khfuzz::WriteFile("input.lat", khfuzz::Text(data, size));
    if (KhSyntax top = khSyntaxCreate("TOP", "input.lat")) {
        khSyntaxDisableOption(top, "hello");
        khSyntaxDeleteDeep(top);
    }
    return 0;
}
