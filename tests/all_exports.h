// all_exports.h - every export called once with the given handles, so that
// tests can check what each family answers.
#ifndef KHAPI_TESTS_ALL_EXPORTS_H
#define KHAPI_TESTS_ALL_EXPORTS_H

#include <functional>
#include <string>
#include <vector>

#include "khapi.h"

namespace khtest {

// An export by name, called once; the float ones say whether they answer a confidence.
template <class Answer>
struct Call {
    std::string name;
    std::function<Answer()> call;
    bool confidence = false;
};

// The 30 exports that answer an int, khSysInit excepted.
inline std::vector<Call<int>> IntExports(KhRecogniser r, KhSyntax s) {
    static char text[KH_MAX_TEXT];
    static short samples[16];
    static float floats[16];
    static double t1, t2;
    return {
        {"khSysNewExercise", [] { return khSysNewExercise("ENGLISH"); }},
        {"khSyntaxDeleteShallow", [s] { return khSyntaxDeleteShallow(s); }},
        {"khSyntaxDeleteDeep", [s] { return khSyntaxDeleteDeep(s); }},
        {"khSyntaxAddOption", [s] { return khSyntaxAddOption(s, "HELLO"); }},
        {"khSyntaxDisableOption", [s] { return khSyntaxDisableOption(s, "HELLO"); }},
        {"khSyntaxReEnableOptions", [s] { return khSyntaxReEnableOptions(s, 0); }},
        {"khRecDelete", [r] { return khRecDelete(r); }},
        {"khRecPrepare", [r, s] { return khRecPrepare(r, s, "x.wav", nullptr); }},
        {"khRecDoWholeSent", [r] { return khRecDoWholeSent(r); }},
        {"khRecDoPartSent", [r] { return khRecDoPartSent(r, 10); }},
        {"khRecFinalise", [r] { return khRecFinalise(r); }},
        {"khRecSetPauseLength", [r] { return khRecSetPauseLength(r, "SHORT"); }},
        {"khRecSetOptimisation", [r] { return khRecSetOptimisation(r, "NORMAL"); }},
        {"khRecActivateNBest", [r] { return khRecActivateNBest(r); }},
        {"khRecGetWords", [r] { return khRecGetWords(r, text); }},
        {"khRecGetWordName", [r] { return khRecGetWordName(r, 1, text); }},
        {"khRecGetResSyntaxName", [r] { return khRecGetResSyntaxName(r, 1, text); }},
        {"khRecGetWordTimes", [r] { return khRecGetWordTimes(r, 1, &t1, &t2); }},
        {"khRecGetWordInfo", [r] { return khRecGetWordInfo(r, 1, text); }},
        {"khRecGetNextBest", [r] { return khRecGetNextBest(r, 1, 1, text); }},
        {"khRecGetPhone", [r] { return khRecGetPhone(r, 1, 1, text); }},
        {"khRecGetPhones", [r] { return khRecGetPhones(r, 1, text); }},
        {"khRecGetPhoneHeard", [r] { return khRecGetPhoneHeard(r, 1, 1, text); }},
        {"khRecGetPhoneTimes", [r] { return khRecGetPhoneTimes(r, 1, 1, &t1, &t2); }},
        {"khSysGetSpeech", [r] { return khSysGetSpeech(r, nullptr, samples); }},
        {"khSysGetF0Track", [r] { return khSysGetF0Track(r, nullptr, floats); }},
        {"khRecSaveSpeech", [r] { return khRecSaveSpeech(r, "out.wav"); }},
        {"khSysPlayPrompt", [] { return khSysPlayPrompt("prompt.wav"); }},
        {"khRecPlayUtterance", [r] { return khRecPlayUtterance(r, 0.0, -1.0); }},
        {"khSysCalibrateSpeech", [] { return khSysCalibrateSpeech(floats); }},
    };
}

inline std::vector<Call<void *>> HandleExports() {
    return {
        {"khSyntaxCreate", [] { return khSyntaxCreate("GREET", nullptr); }},
        {"khSyntaxReturn", [] { return khSyntaxReturn("GREET"); }},
        {"khRecCreate", [] { return khRecCreate(); }},
    };
}

inline std::vector<Call<float>> FloatExports(KhRecogniser r) {
    return {
        {"khRecGetWordScore", [r] { return khRecGetWordScore(r, 1, 1); }},
        {"khRecGetWordConf", [r] { return khRecGetWordConf(r, 1, 1); }, true},
        {"khRecGetPhoneScore", [r] { return khRecGetPhoneScore(r, 1, 1, 1); }},
        {"khRecGetPhoneConf", [r] { return khRecGetPhoneConf(r, 1, 1, 1); }, true},
    };
}

}  // namespace khtest

#endif  // KHAPI_TESTS_ALL_EXPORTS_H
