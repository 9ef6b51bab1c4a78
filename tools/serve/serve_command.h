// serve_command.h - `khapi serve`: its options and its run.
#pragma once

#include <CLI/CLI.hpp>

#include "options.h"
#include "serve/serve_options.h"

namespace tool {

// The subcommand and its options; the common ones (--config, --log) go
// into `common`.
CLI::App *AddServe(CLI::App *app, ServeOptions *options, CommonOptions *common);

// Serves until SIGINT, SIGTERM or SIGHUP, or runs as one of its workers
// (options.worker).  Answers the exit status.
int RunServe(const ServeOptions &options, const CommonOptions &common);

}  // namespace tool
