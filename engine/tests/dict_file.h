// dict_file.h - a dictionary file loaded as the library loads one.
#ifndef ENGINE_TESTS_DICT_FILE_H
#define ENGINE_TESTS_DICT_FILE_H

#include "hapi.h"

#include <string>

// The dictionary of the file, or null when it does not load.
inline hapiDictObject load(const std::string &path) {
    hapiDictObject d = hapiCreateDictObject();
    if (hapiDictOverrideFileName(d, path.c_str()) < 0 || hapiDictInitialise(d) < 0) {
        hapiDeleteDictObject(d);
        return nullptr;
    }
    return d;
}

#endif  // ENGINE_TESTS_DICT_FILE_H
