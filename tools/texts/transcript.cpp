// transcript.cpp - texts read from files.
#include "texts/transcript.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/os_specific.h"

namespace tool {

namespace {

// The recording's name without its extension (a dot in a folder's name
// is not one).
std::string Stem(const std::string &audio) {
    size_t slash = audio.find_last_of(kSeparators);
    size_t dot = audio.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1) return audio;
    return audio.substr(0, dot);
}

}  // namespace

bool ReadText(const std::string &path, std::string *text, std::string *why) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return *why = "cannot read the text " + path + ": " + strerror(errno), false;
    std::ostringstream all;
    all << in.rdbuf();  // an empty file fails `all` alone
    if (in.bad()) return *why = "cannot read the text " + path + ": read error", false;
    *text = all.str();
    return true;
}

std::vector<std::string> TextsBeside(const std::string &audio) {
    std::string stem = Stem(audio);
    return {stem + ".txt", stem + ".lab"};
}

bool TextBeside(const std::string &audio, std::string *text, std::string *why) {
    std::vector<std::string> names = TextsBeside(audio);
    for (const std::string &name : names) {
        std::ifstream probe(name);
        if (probe) return ReadText(name, text, why);
    }
    *why = "no text: give --text or --text-from-file, or put " + names[0] + " or " + names[1] + " beside it";
    return false;
}

}  // namespace tool
