// Fuzzed lattice files loaded with khSyntaxCreate and recognised on the
// packaged recording, then every result query (fuzz_queries.h); the
// syntax and the sub-lattice syntaxes it made are deleted again.
#include "fuzz_queries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!khfuzz::StartOnce(khfuzz::kRecognitionConfig)) return 0;
    khfuzz::WriteFile("input.lat", khfuzz::Text(data, size));
    KhSyntax top = khSyntaxCreate("TOP", "input.lat");
    if (!top) return 0;
    khfuzz::RecogniseAndQuery(top);
    if (khSyntaxDeleteDeep(top) != 1 || khSyntaxReturn("TOP")) __builtin_trap();
    return 0;
}
