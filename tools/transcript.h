// transcript.h - the text said in each recording: given on the command
// line, read from a file, or in a file beside the recording, as corpus
// aligners take it.
#pragma once

#include <string>

namespace tool {

// Reads a text file whole.  False with why.
bool ReadText(const std::string &path, std::string *text, std::string *why);

// The text beside a recording: NAME.txt, else NAME.lab, for NAME.wav (or
// any extension).  False with why when there is neither.
bool TextBeside(const std::string &audio, std::string *text, std::string *why);

}  // namespace tool
