// config.h - the configuration store the engine reads its keys from.
#ifndef ENGINE_BASE_CONFIG_H
#define ENGINE_BASE_CONFIG_H

#include <string>

namespace engine {

// The raw text of a key, or null when it is not set.
const std::string *conf_text(const std::string &key);
// Typed readers with defaults, for the engine's own keys.
int conf_int(const std::string &key, int dflt);
float conf_float(const std::string &key, float dflt);
std::string conf_string(const std::string &key, const std::string &dflt);
// Parses a boolean the way the configuration file writes it
// (TRUE, T, YES, 1 / FALSE, F, NO, 0 in any case).  False when not one.
bool parse_bool(const std::string &text, bool *out);
// Whether two strings are equal ignoring the case of ASCII letters: the C
// library's own comparison, _stricmp on Windows, strcasecmp elsewhere.
bool same_ignoring_case(const char *a, const char *b);

}  // namespace engine

#endif  // ENGINE_BASE_CONFIG_H
