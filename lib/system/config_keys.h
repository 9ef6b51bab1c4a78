// config_keys.h - the library's configuration keys, each with its type,
// default and what it does, in the one table that the settings code reads
// its defaults from and the README's table shows (a test compares them).
#ifndef KH_SYSTEM_CONFIG_KEYS_H
#define KH_SYSTEM_CONFIG_KEYS_H

#include <string_view>

namespace kh {

struct ConfigKey {
    const char *name;  // "GENBEAM"; "<model>MMF" for a key named after a model
    const char *type;  // bool, int, float, file, name, text, or the values taken
    const char *dflt;  // "150", "false", "khapi.log"; "none" or "required" when it has none
    const char *what;  // what the key does
};

// clang-format off
inline constexpr ConfigKey kConfigKeys[] = {
    {"NOFUNCOPER",        "bool",            "false",
     "every call but khSysInit does nothing and answers its no-operation value; nothing below is read"},
    {"DEBUG",             "ERROR or FULL",   "none",
     "ERROR logs every failure, FULL also traces every call (exact case); anything else logs nothing"},
    {"DEBUGWIN",          "bool",            "false",
     "copies the log's lines to the debug window (read only at ERROR and FULL)"},
    {"FORCECASE",         "UPPER or LOWER",  "none",
     "the case the BNF text of an option (and of an option disabled) is turned to before it is read; the value in any case, anything else leaves the text as given"},
    {"GENBEAM",           "float",           "150",
     "the recognisers' main beam; above 0"},
    {"GOPTBEAM",          "float",           "25",
     "the recognisers' word-exit beam; above 0"},
    {"SILSEQCOUNT",       "int",             "100",
     "frames of silence after speech that end a live utterance; 1 or more"},
    {"SYSDICT",           "file",            "none",
     "the system dictionary"},
    {"USERDICT",          "file",            "none",
     "a user dictionary, merged into the system dictionary"},
    {"ERRORLOG",          "file",            "khapi.log",
     "the log file"},
    {"BNFPUNC",           "text",            ".,?!",
     "the characters that separate words in BNF text, besides white space"},
    {"GAUSSOPT",          "bool",            "true",
     "passed on to the engine's key of that name"},
    {"FORCEOUT",          "bool",            "false",
     "passed on to the engine's key of that name"},
    {"LATSAVE",           "bool",            "false",
     "each prepared recogniser saves its grammar as test.lat"},
    {"GUESSPRONS",        "bool",            "false",
     "guesses the pronunciation of a word in no dictionary"},
    {"PHONECONF",         "bool",            "false",
     "turns on phone confidences (khRecGetPhoneConf) and the phone heard (khRecGetPhoneHeard)"},
    {"VOCABCACHE",        "bool",            "false",
     "a vocabulary dictionary file that no longer loads is set aside and made afresh"},
    {"MODELn",            "name",            "none",
     "the acoustic models: MODEL1, MODEL2, ..."},
    {"<model>MMF",        "file",            "required",
     "each model's definition"},
    {"<model>HMMLIST",    "file",            "required",
     "each model's phone list"},
    {"<model>BKHMMNAME",  "name",            "bckgrd",
     "each model's background unit; none (any case) for none"},
    {"VOCABn",            "name",            "none",
     "the vocabularies (exercises): VOCAB1, VOCAB2, ...; the last one read is current"},
    {"<vocab>MODEL",      "name",            "required",
     "the model a vocabulary uses"},
    {"<vocab>DICT",       "file",            "required",
     "its vocabulary dictionary, made when missing and kept between runs"},
};
// clang-format on

// The entry of a key of the table; a name the table lacks does not
// compile where the entry is needed at compile time.
constexpr const ConfigKey &FindKey(std::string_view name) {
    for (const ConfigKey &key : kConfigKeys)
        if (name == key.name) return key;
    throw "not a configuration key of the library";
}

// The default of a bool, int or float key: 1 or 0 for true or false.
constexpr double NumberDefault(std::string_view name) {
    std::string_view text = FindKey(name).dflt;
    if (text == "true") return 1;
    if (text == "false") return 0;
    double number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') throw "not a number";
        number = number * 10 + (c - '0');
    }
    return number;
}

// The default of a text, file or name key; null when it has none.
constexpr const char *TextDefault(std::string_view name) {
    std::string_view text = FindKey(name).dflt;
    return text == "none" || text == "required" ? nullptr : FindKey(name).dflt;
}

}  // namespace kh

#endif  // KH_SYSTEM_CONFIG_KEYS_H
