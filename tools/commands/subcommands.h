// subcommands.h - the subcommands; each answers the tool's exit status.
#pragma once

#include <string>

#include "commands/recognition.h"
#include "options.h"

namespace tool {

int RunRecognition(Mode mode, const CommonOptions &common, const RecogniseOptions &options);
int RunF0(const CommonOptions &common, const std::vector<std::string> &audio);
int RunPlay(const CommonOptions &common, const std::vector<std::string> &files);
int RunCalibrate(const CommonOptions &common);

}  // namespace tool
