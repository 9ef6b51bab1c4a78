// Runs a fuzz target's entry point once on every file named, or in a
// folder named, without the fuzzer: the suite replays the inputs that once
// crashed a target, so that the fault stays mended.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

void Replay(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    printf("replaying %s\n", file.filename().string().c_str());
    fflush(stdout);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char **argv) {
    for (int k = 1; k < argc; k++) {
        std::filesystem::path path = std::filesystem::absolute(argv[k]);
        if (!std::filesystem::is_directory(path)) {
            Replay(path);
            continue;
        }
        for (const auto &entry : std::filesystem::directory_iterator(path))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') Replay(entry.path());
    }
    return 0;
}
