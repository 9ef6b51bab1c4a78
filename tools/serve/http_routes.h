// http_routes.h - the service's endpoints, its page and its refusals.
#pragma once

#include <httplib.h>
#include <string>

#include "serve/serve_options.h"
#include "serve/worker_pool.h"

namespace tool {

// GET /v1/health; POST /v1/assess, /v1/align, /v1/recognise and /v1/f0;
// GET / and the files of `web_dir`.  Every refusal is JSON {"error"}.
void InstallRoutes(httplib::Server *server, WorkerPool *pool, const ServeOptions &options, const std::string &web_dir);

}  // namespace tool
