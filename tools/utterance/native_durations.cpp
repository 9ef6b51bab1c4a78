// native_durations.cpp - the table of phone durations.
#include "utterance/native_durations.h"

#include <cstring>

namespace tool {

namespace {

struct Duration {
    const char *phone;
    double seconds;
};

// The mean of each phone over bench/sentences.txt read by festival's
// diphone (kal) and HTS (slt) voices, 1428 phones, from the segment
// times festival reports (bench/make_truth.sh); their duration models are
// trained on natural read speech.
const Duration kDurations[] = {
    {"AA", 0.108}, {"AE", 0.116}, {"AH", 0.054}, {"AO", 0.121}, {"AW", 0.179}, {"AY", 0.129}, {"B", 0.075},
    {"CH", 0.123}, {"D", 0.060},  {"DH", 0.039}, {"EH", 0.092}, {"ER", 0.094}, {"EY", 0.159}, {"F", 0.105},
    {"G", 0.073},  {"HH", 0.079}, {"IH", 0.064}, {"IY", 0.100}, {"JH", 0.086}, {"K", 0.097},  {"L", 0.076},
    {"M", 0.072},  {"N", 0.064},  {"NG", 0.082}, {"OW", 0.143}, {"P", 0.099},  {"R", 0.063},  {"S", 0.105},
    {"SH", 0.130}, {"T", 0.075},  {"TH", 0.110}, {"UH", 0.079}, {"UW", 0.106}, {"V", 0.066},  {"W", 0.072},
    {"Y", 0.067},  {"Z", 0.084},  {"ZH", 0.096},
};

}  // namespace

double NativeDuration(const std::string &phone) {
    for (const Duration &d : kDurations)
        if (phone == d.phone) return d.seconds;
    return kMeanPhoneDuration;
}

}  // namespace tool
