// notes.h - the engine's notes collected for a test instead of written
// to standard error, for as long as the object lives.
#ifndef ENGINE_TESTS_NOTES_H
#define ENGINE_TESTS_NOTES_H

#include "hapi.h"

#include <string>

class Notes {
public:
    Notes() { hapiSetMessageSink(collect, &text_); }
    ~Notes() { hapiSetMessageSink(nullptr, nullptr); }
    Notes(const Notes &) = delete;
    Notes &operator=(const Notes &) = delete;
    // Every note so far, one a line.
    const std::string &text() const { return text_; }

private:
    static void collect(const char *note, void *text) { *static_cast<std::string *>(text) += std::string(note) + "\n"; }
    std::string text_;
};

#endif  // ENGINE_TESTS_NOTES_H
