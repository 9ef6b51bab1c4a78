// output_names.h - the names of each file's TextGrid and plot, and the
// names refused because an output would be written over an input or over
// another output.
#pragma once

#include <string>

#include "options.h"

namespace tool {

// The name of one file's TextGrid or plot: "%s" in the pattern becomes the
// audio file's name without folder and extension.
std::string OutputName(const std::string &pattern, const std::string &audio);

// Whether the run may write its outputs (--textgrid and --plot, one each
// a file): a plot is SVG or PNG; with several files each name holds %s;
// no output is a file that the run reads (a recording, the configuration,
// the dictionary, the grammar file, the text; with `texts_beside` each
// recording's NAME.txt and NAME.lab) or its --log, and no two outputs are
// one file.  Names are compared as the files they name (FileIdentity).
// False with why, before anything is written.
bool UsableOutputs(const CommonOptions &common, const RecogniseOptions &options, bool texts_beside, std::string *why);

}  // namespace tool
