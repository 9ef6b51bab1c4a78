// transcript.h - the text said in each recording: given on the command
// line, read from a file, or in a file beside the recording, as corpus
// aligners take it.
#pragma once

#include <string>
#include <vector>

namespace tool {

// Reads a text file whole.  False with why.
bool ReadText(const std::string &path, std::string *text, std::string *why);

// The files a recording's text may be in, in the order they are tried:
// NAME.txt and NAME.lab for NAME.wav (or any extension).
std::vector<std::string> TextsBeside(const std::string &audio);

// The text beside a recording, from the first of TextsBeside there is.
// False with why when there is neither.
bool TextBeside(const std::string &audio, std::string *text, std::string *why);

}  // namespace tool
