// Fuzzed grammars recognised on the packaged recording, then every result
// query (fuzz_queries.h).  The input is lines "NAME=BNF", each an option
// of the syntax NAME (made when the input first names it, and which later
// lines may include as $NAME); a line without "=" is one more option of
// the syntax before (at first "TOP").  The last syntax named is
// recognised.  Every syntax made is deleted again: one that cannot be,
// once nothing includes it, is a fault.
#include <string>
#include <vector>

#include "fuzz_queries.h"

namespace {

// Longer grammars only make longer networks: the recognition of one of
// 2,000 bytes may take seconds under the sanitizers.
constexpr size_t kLongestInput = 2000;

// Deletes the syntaxes, those no other includes first.
void DeleteAll(std::vector<KhSyntax> made) {
    for (bool progress = true; progress && !made.empty();) {
        progress = false;
        for (auto it = made.begin(); it != made.end();)
            if (khSyntaxDeleteShallow(*it) == 1) it = made.erase(it), progress = true;
            else ++it;
    }
    if (!made.empty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > kLongestInput || !khfuzz::StartOnce(khfuzz::kRecognitionConfig)) return 0;
    std::string text = khfuzz::Text(data, size);
    std::vector<KhSyntax> made;
    KhSyntax current = nullptr;
    std::string name = "TOP";
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start), bnf = line;
        start = end + 1;
        size_t eq = line.find('=');
        if (eq != std::string::npos || !current) {
            if (eq != std::string::npos) name = line.substr(0, eq), bnf = line.substr(eq + 1);
            current = khSyntaxReturn(name.c_str());
            if (!current && (current = khSyntaxCreate(name.c_str(), nullptr))) made.push_back(current);
        }
        if (current) khSyntaxAddOption(current, bnf.c_str());
    }
    if (current) khfuzz::RecogniseAndQuery(current);
    DeleteAll(made);
    return 0;
}
