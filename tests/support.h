// support.h - what the library's tests share: a fresh working folder per
// test, configuration files and the log.
#ifndef KHAPI_TESTS_SUPPORT_H
#define KHAPI_TESTS_SUPPORT_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "standard_config.h"
#include "tempdir.h"

namespace khtest {

// Makes a fresh folder, enters it, and leaves it (removed) at the end.
class Workspace {
public:
    Workspace();
    ~Workspace();
    const std::string &path() const { return dir_.path(); }

private:
    TempDir dir_;
    std::string previous_;
};

void WriteFile(const std::string &name, const std::string &text);
std::string ReadFile(const std::string &name);
bool Exists(const std::string &name);

// Writes the configuration to "test.conf" and starts the library on it.
int InitWith(const std::string &config);

// An injected failure of an engine deletion leaves the object alive and
// unreachable, as a real one would: leak checking is switched off for the
// rest of such a test (each test runs in a process of its own).
void IgnoreLeaksFromHere();

// True when text holds part.
inline bool Contains(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

// The trace of one export at level FULL: its entering line, the given
// lines indented, its leaving line and the blank line that ends a call.
// Nested (depth 1) it is indented once more and has no blank line; a
// line that is itself a nested trace goes in as it is.
std::string TraceOf(const std::string &name, std::initializer_list<std::string> lines, int depth = 0);
// Each message is in the log as an error line.
void ExpectErrors(std::initializer_list<const char *> messages);

// The lines of the log ("khapi.log" unless given), each without "\r\n".
std::string Log(const std::string &name = "khapi.log");

}  // namespace khtest

#endif  // KHAPI_TESTS_SUPPORT_H
