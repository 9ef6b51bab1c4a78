// fuzz_support.cpp - the working folder, configuration and start-up that
// the fuzz targets share.
#include "fuzz_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "khapi.h"
#include "portable.h"
#include "tests/standard_config.h"

namespace khfuzz {

namespace {

// The folder goes when the process ends.
void EnterWorkingFolder() {
    static std::string folder;
    if (!folder.empty()) return;
    folder = make_temp_dir("khapi-fuzz-");
    if (folder.empty()) return;
    std::filesystem::current_path(folder);
    atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    });
}

}  // namespace

void WriteFile(const std::string &name, const std::string &text) {
    EnterWorkingFolder();
    std::ofstream(name, std::ios::binary) << text;
}

bool StartOnce() {
    static int started = [] {
        WriteFile("fuzz.conf", khtest::StandardConfig());
        return khSysInit("fuzz.conf");
    }();
    return started == 1;
}

std::string Text(const uint8_t *data, size_t size) { return std::string(reinterpret_cast<const char *>(data), size); }

std::string Head(const std::string &text, char separator) { return text.substr(0, text.find(separator)); }

std::string Tail(const std::string &text, char separator) {
    size_t at = text.find(separator);
    return at == std::string::npos ? "" : text.substr(at + 1);
}

}  // namespace khfuzz
