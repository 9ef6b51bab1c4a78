// assess.h - a pronunciation assessment computed from a recognition of
// the text in which every word may be left out.
#pragma once

#include <string>
#include <vector>

#include "utterance/report.h"

namespace tool {

// A phone whose confidence reaches this (it is at least as likely on its
// frames as all the model's other phones together) is fully accurate;
// below it the accuracy falls in proportion to the confidence.
constexpr double kFullyAccurateFrom = 0.5;
// ... and in a function word with weak forms (session/weak_forms.h), from
// this: fluent speakers say them weakly, the H of HE, the DH of THEM, the
// R of FOR hardly there.  Set on the packaged recordings (4 of their
// function words below 75 at 0.5, none at 0.1; the twins' words are all
// content words).
constexpr double kWeakWordFullyAccurateFrom = 0.1;
// Below this word accuracy a spoken word counts as mispronounced, as it
// does when one of its phones is heard as another.  Set on the packaged
// recordings, all spoken correctly: none of their 96 words falls below it.
constexpr double kMispronouncedBelow = 45.0;
// A content word none of whose vowels reaches this accuracy is
// mispronounced, whatever its consonants.  Set on festival's readings: no
// word read right has its vowels all below it, and 1 more replaced word
// of 32 is flagged.
constexpr double kVowelThereFrom = 5.0;
// Silence between words up to this long is part of fluent speech; the
// rest of each pause is unexpected, and this much of it in all leaves no
// fluency.
constexpr double kNaturalPause = 0.3, kPausesForNoFluency = 1.5;
// The pace of a reading: how long its phones last in fluent read speech
// (utterance/native_durations.h) over how long its words took.  The
// packaged recordings, read naturally, go at 0.63 to 0.98; at this pace
// or more a reading earns full credit, at the slower one none.
constexpr double kFluentPace = 0.7, kSlowPace = 0.3;
// Speech that is none of the text's words and lasts less than this is a
// click or a breath rather than a syllable: it is not reported.  Set on
// the packaged recordings, whose only such stretches (a click at the start
// of cards 002) are shorter, while a word put in lasts 0.15 s or more.
// One between two words that runs into a content word's start took its
// first phone: the
// word is mispronounced, its first phone heard as the stretch's (on
// festival's twins, 58% of the substituted words were flagged before,
// 65% after; 1 more of 605 words read right).
constexpr double kShortestInsertion = 0.1;

// Puts every word of the text into the report, in the text's order: the
// recognised ones as they are, the others as omitted, and speech that is
// none of them (kGarbageWord) as inserted where it was heard.  Then fills
// in the accuracies, error types and the utterance figures.
void Assess(const std::vector<std::string> &text, Report *report);

// A phone's accuracy (0-100) from its confidence (0-1), in a function
// word with weak forms or not.
double PhoneAccuracy(double confidence, bool weak_word = false);

// The fluency figure alone (0-100), absent when no phone was timed: the
// credit for the pace of the text's words times the share left of the
// credit for the unexpected breaks between them (pauses past the natural
// one, and speech that is none of the text's words), over the speech
// heard in order.
std::optional<double> Fluency(const std::vector<WordReport> &heard);

}  // namespace tool
