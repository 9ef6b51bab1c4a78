// speech_check.h - whether a recording holds anything that may be speech.
#pragma once

#include <vector>

namespace tool {

// False for a recording that holds no samples, digital silence or steady
// noise alone (hiss, hum): too few 10 ms frames stand out from its
// quietest tenth.  Anything that changes in level (speech, and noises a
// microphone picks up) counts, so that speech is never refused.
bool HasSpeech(const std::vector<short> &samples, int rate);

}  // namespace tool
