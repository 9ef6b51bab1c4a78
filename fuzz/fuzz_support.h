// fuzz_support.h - what the fuzz targets share: a working folder of their
// own, the standard configuration, and the library started once.
#ifndef KHAPI_FUZZ_FUZZ_SUPPORT_H
#define KHAPI_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace khfuzz {

// Enters a fresh working folder (once) and writes the file there.
void WriteFile(const std::string &name, const std::string &text);
// Starts the library on the standard configuration the first time; false when it would not.
bool StartOnce();
// The bytes of an input as text; a NUL in them splits it into parts.
std::string Text(const uint8_t *data, size_t size);
// The part of text before the first separator byte, and the rest after it.
std::string Head(const std::string &text, char separator = '\0');
std::string Tail(const std::string &text, char separator = '\0');

}  // namespace khfuzz

#endif  // KHAPI_FUZZ_FUZZ_SUPPORT_H
