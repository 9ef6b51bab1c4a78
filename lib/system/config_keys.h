// config_keys.h - the library's configuration keys, each with its type,
// default and the values it takes, in the one table that the settings
// code reads its defaults from and the README's table shows.
#ifndef KH_SYSTEM_CONFIG_KEYS_H
#define KH_SYSTEM_CONFIG_KEYS_H

#include <string_view>

namespace kh {

enum class KeyType { Bool, Int, Float, Text };

struct ConfigKey {
    const char *name;
    KeyType type;
    double number;       // the default of a bool, int or float key
    const char *text;    // the default of a text key; null when it has none
    const char *values;  // the values the key takes
};

// clang-format off
inline constexpr ConfigKey kConfigKeys[] = {
    // name               type            number  text         values
    {"NOFUNCOPER",        KeyType::Bool,  0,      nullptr,     "true: every call answers its no-operation value and nothing else is read"},
    {"DEBUG",             KeyType::Text,  0,      nullptr,     "ERROR or FULL (exact case) write the log at that level; anything else writes none"},
    {"DEBUGWIN",          KeyType::Bool,  0,      nullptr,     "true: the lines also go to the debug window, at levels ERROR and FULL"},
    {"FORCECASE",         KeyType::Text,  0,      nullptr,     "UPPER or LOWER (any case): the words of syntax texts are changed to that case"},
    {"GENBEAM",           KeyType::Float, 150,    nullptr,     "above 0: the general beam of each new recogniser"},
    {"GOPTBEAM",          KeyType::Float, 25,     nullptr,     "above 0: the optimisation beam of each new recogniser"},
    {"SILSEQCOUNT",       KeyType::Int,   100,    nullptr,     "1 or more: frames of silence that end an utterance"},
    {"SYSDICT",           KeyType::Text,  0,      nullptr,     "the system dictionary file"},
    {"USERDICT",          KeyType::Text,  0,      nullptr,     "the user dictionary file"},
    {"ERRORLOG",          KeyType::Text,  0,      "khapi.log", "the log file"},
    {"BNFPUNC",           KeyType::Text,  0,      ".,?!",      "the characters that separate words in a BNF text, as white space does"},
    {"GAUSSOPT",          KeyType::Bool,  1,      nullptr,     "passed to the engine"},
    {"FORCEOUT",          KeyType::Bool,  0,      nullptr,     "passed to the engine"},
    {"LATSAVE",           KeyType::Bool,  0,      nullptr,     "true: each recognition grammar is saved as test.lat"},
    {"PHONECONF",         KeyType::Bool,  0,      nullptr,     "true: khRecGetPhoneConf answers"},
    {"VOCABCACHE",        KeyType::Bool,  0,      nullptr,     "true: a vocabulary dictionary that does not load is set aside and made afresh"},
    {"GUESSPRONS",        KeyType::Bool,  0,      nullptr,     "true: a word no dictionary holds is given a guessed pronunciation"},
    {"MODELn",            KeyType::Text,  0,      nullptr,     "the name of model n (1, 2, ...)"},
    {"<model>MMF",        KeyType::Text,  0,      nullptr,     "required: the model's file"},
    {"<model>HMMLIST",    KeyType::Text,  0,      nullptr,     "required: the model's HMM list file"},
    {"<model>BKHMMNAME",  KeyType::Text,  0,      "bckgrd",    "the model's background model; none (any case) for no background model"},
    {"VOCABn",            KeyType::Text,  0,      nullptr,     "the name of vocabulary n (1, 2, ...)"},
    {"<vocab>MODEL",      KeyType::Text,  0,      nullptr,     "required: the name of the model the vocabulary uses"},
    {"<vocab>DICT",       KeyType::Text,  0,      nullptr,     "required: the vocabulary dictionary file"},
};
// clang-format on

// The entry of a key of the table; a name the table lacks does not
// compile where the entry is needed at compile time.
constexpr const ConfigKey &FindKey(std::string_view name) {
    for (const ConfigKey &key : kConfigKeys)
        if (name == key.name) return key;
    throw "not a configuration key of the library";
}

constexpr double NumberDefault(std::string_view name) { return FindKey(name).number; }
constexpr const char *TextDefault(std::string_view name) { return FindKey(name).text; }

}  // namespace kh

#endif  // KH_SYSTEM_CONFIG_KEYS_H
