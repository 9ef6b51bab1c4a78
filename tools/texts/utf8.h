// utf8.h - text bytes as code points and back.
#pragma once

#include <string>

namespace tool {

// The code points of a text: UTF-8 where it is valid; any other byte is read
// as a text from an old file would be, in Latin-1 with the Windows code
// page's characters at 0x80-0x9F (0x92 is an apostrophe, 0x96 a dash).
// Every byte is read; none is skipped.
std::u32string DecodeText(const std::string &bytes);

void AppendUtf8(char32_t c, std::string *out);

}  // namespace tool
