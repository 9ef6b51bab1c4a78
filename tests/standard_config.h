// standard_config.h - the configuration the library's tests and fuzz
// targets start on, kept free of the test framework for the fuzzers.
#ifndef KHAPI_TESTS_STANDARD_CONFIG_H
#define KHAPI_TESTS_STANDARD_CONFIG_H

#include <string>

namespace khtest {

// The path of the system dictionary made at build time.
inline std::string SystemDictPath() { return std::string(KHAPI_BUILD_DIR) + "/data/sysdict.dic"; }
inline std::string ModelDef() { return std::string(KHAPI_MODEL_DIR) + "/mdef"; }

// The one model, ENUS, on the packaged model.
inline std::string ModelLines() {
    std::string mdef = ModelDef();
    return "MODEL1 = ENUS\nENUSMMF = " + mdef + "\nENUSHMMLIST = " + mdef + "\n";
}

// One model (ENUS) on the packaged model, one vocabulary (ENGLISH) whose
// dictionary is english.dic in the working folder, the system dictionary
// and the given extra lines.
inline std::string StandardConfig(const std::string &extra = "") {
    return ModelLines() + "ENUSBKHMMNAME = SIL\nVOCAB1 = ENGLISH\nENGLISHMODEL = ENUS\nENGLISHDICT = english.dic\n" +
        "SYSDICT = " + SystemDictPath() + "\nFORCECASE = UPPER\n" + extra;
}

}  // namespace khtest

#endif  // KHAPI_TESTS_STANDARD_CONFIG_H
