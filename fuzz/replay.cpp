// Runs a fuzz target's entry point once on every file named, or in a
// folder named, without the fuzzer: the suite replays the inputs that once
// crashed a target, so that the fault stays mended.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;  // absolute: a target may change the working folder
    for (int k = 1; k < argc; k++) {
        fs::path path = fs::absolute(argv[k]);
        if (!fs::is_directory(path)) files.push_back(path);
        else
            for (const auto &entry : fs::directory_iterator(path))
                if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
                    files.push_back(entry.path());
    }
    for (const fs::path &file : files) {
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        printf("replaying %s\n", file.filename().string().c_str());
        fflush(stdout);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    return 0;
}
