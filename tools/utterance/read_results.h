// read_results.h - one completed recognition's words, phones, alternatives
// and audio, as the library hands them out.
#pragma once

#include <optional>
#include <string>

#include "khapi.h"
#include "utterance/report.h"

namespace tool {

// Reads the words and phones of a completed recognition.  Answers false
// (with why) when the library refuses the word list.
bool ReadResult(KhRecogniser rec, Report *report, std::string *why);

// Reads up to n alternatives of the whole utterance.
void ReadNBest(KhRecogniser rec, int n, Report *report);

// Reads the samples of the last utterance, and its F0 track when asked.
bool ReadAudio(KhRecogniser rec, bool f0, Report *report, std::string *why);

// A score or confidence; absent when the library answers its failure value.
std::optional<double> ScoreOrNone(float value);

}  // namespace tool
