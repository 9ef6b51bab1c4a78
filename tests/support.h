// support.h - what the library's tests share: a fresh working folder per
// test, configuration files and the log.
#ifndef KHAPI_TESTS_SUPPORT_H
#define KHAPI_TESTS_SUPPORT_H

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "khapi.h"
#include "standard_config.h"
#include "tempdir.h"

namespace khtest {

// Makes a fresh folder, enters it, and leaves it (removed) at the end.
class Workspace {
public:
    Workspace() : previous_(std::filesystem::current_path().string()) { std::filesystem::current_path(dir_.path()); }
    ~Workspace() { std::filesystem::current_path(previous_); }
    const std::string &path() const { return dir_.path(); }

private:
    TempDir dir_;
    std::string previous_;
};

inline void WriteFile(const std::string &name, const std::string &text) {
    std::ofstream(name, std::ios::binary) << text;
}
inline std::string ReadFile(const std::string &name) { return read_file(name); }
inline bool Exists(const std::string &name) { return std::filesystem::exists(name); }

// Writes the configuration to "test.conf" and starts the library on it.
inline int InitWith(const std::string &config) {
    WriteFile("test.conf", config);
    return khSysInit("test.conf");
}

// An injected failure of an engine deletion leaves the object alive and
// unreachable, as a real one would: leak checking is switched off for the
// rest of such a test (each test runs in a process of its own).
inline void IgnoreLeaksFromHere() {
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable();
#endif
}

inline bool Contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

// The phone-set line of the system dictionary made at build time.
inline std::string PhoneSetLine() {
    std::string all = ReadFile(SystemDictPath());
    return all.substr(0, all.find('\n') + 1);
}

// Names a parameterised test after the name of its row.
struct RowName {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row> &info) const {
        return info.param.name;
    }
};

// The log ("khapi.log" unless given), its lines ending in "\r\n".
inline std::string Log(const std::string &name = "khapi.log") { return ReadFile(name); }

// The trace of one export at level FULL: its entering line, the given
// lines indented, its leaving line and the blank line that ends a call.
// Nested (depth 1) it is indented once more and has no blank line; a
// line that is itself a nested trace goes in as it is.
inline std::string TraceOf(const std::string &name, std::initializer_list<std::string> lines, int depth = 0) {
    std::string pad(2 * static_cast<size_t>(depth), ' ');
    std::string out = pad + name + ": Entering\r\n";
    for (const std::string &line : lines) out += Contains(line, "\r\n") ? line : pad + "  " + line + "\r\n";
    return out + pad + name + ": Leaving\r\n" + (depth ? "" : "\r\n");
}

// Each message is in the log as an error line.
inline void ExpectErrors(std::initializer_list<const char *> messages) {
    std::string log = Log();
    for (const char *m : messages) EXPECT_TRUE(Contains(log, std::string("ERROR - ") + m + "\r\n\r\n")) << m;
}

}  // namespace khtest

#endif  // KHAPI_TESTS_SUPPORT_H
