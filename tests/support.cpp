// support.cpp - the shared helpers of the library's tests.
#include "support.h"

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <filesystem>
#include <fstream>
#include <sstream>

#include "khapi.h"
#include "portable.h"

namespace fs = std::filesystem;

namespace khtest {

Workspace::Workspace() : previous_(fs::current_path().string()) { fs::current_path(dir_.path()); }

Workspace::~Workspace() { fs::current_path(previous_); }

void WriteFile(const std::string &name, const std::string &text) {
    std::ofstream out(name, std::ios::binary);
    out << text;
}

std::string ReadFile(const std::string &name) { return read_file(name); }

bool Exists(const std::string &name) { return fs::exists(name); }

int InitWith(const std::string &config) {
    WriteFile("test.conf", config);
    return khSysInit("test.conf");
}

void IgnoreLeaksFromHere() {
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable();
#endif
}

std::string Log(const std::string &name) { return ReadFile(name); }

std::string TraceOf(const std::string &name, std::initializer_list<std::string> lines, int depth) {
    std::string pad(2 * static_cast<size_t>(depth), ' ');
    std::string out = pad + name + ": Entering\r\n";
    for (const std::string &line : lines) out += Contains(line, "\r\n") ? line : pad + "  " + line + "\r\n";
    return out + pad + name + ": Leaving\r\n" + (depth ? "" : "\r\n");
}

void ExpectErrors(std::initializer_list<const char *> messages) {
    std::string log = Log();
    for (const char *m : messages) EXPECT_TRUE(Contains(log, std::string("ERROR - ") + m + "\r\n\r\n")) << m;
}

}  // namespace khtest
