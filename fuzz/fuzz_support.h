// fuzz_support.h - what the fuzz targets share: a working folder of their
// own (removed when the process ends), the standard configuration, and the
// library started once.
#ifndef KHAPI_FUZZ_FUZZ_SUPPORT_H
#define KHAPI_FUZZ_FUZZ_SUPPORT_H

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "folders_and_env.h"
#include "khapi.h"
#include "tests/standard_config.h"

namespace khfuzz {

// Enters a fresh working folder (once) and writes the file there.
inline void WriteFile(const std::string &name, const std::string &text) {
    static std::string folder = [] {
        std::string made = make_temp_dir("khapi-fuzz-");
        if (!made.empty()) std::filesystem::current_path(made);
        return made;
    }();
    static int removal = folder.empty() ? 0 : atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    });
    (void)removal;
    std::ofstream(name, std::ios::binary) << text;
}

// Starts the library on the standard configuration (with the extra lines)
// the first time; false when it would not.
inline bool StartOnce(const std::string &extra = "") {
    static int started = [&] {
        WriteFile("fuzz.conf", khtest::StandardConfig(extra));
        return khSysInit("fuzz.conf");
    }();
    return started == 1;
}

inline std::string Text(const uint8_t *data, size_t size) {
    return std::string(reinterpret_cast<const char *>(data), size);
}

}  // namespace khfuzz

#endif  // KHAPI_FUZZ_FUZZ_SUPPORT_H
