// string_helpers.h - small string helpers shared by the configuration and grammar readers.
#pragma once

#include <string>

namespace tool {

// Without leading and trailing white space.
std::string Trim(const std::string &s);

std::string Upper(std::string s);

}  // namespace tool
