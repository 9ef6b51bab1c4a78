// serve_options.h - what `khapi serve` is asked for.
#pragma once

#include <cstddef>
#include <string>

namespace tool {

struct ServeOptions {
    std::string host = "127.0.0.1";
    int port = 8080;  // 0: any free port, which the service prints
    int workers = 0;  // 0: one a core
    size_t queue = 32;
    size_t max_body = 16 * 1024 * 1024;
    double max_seconds = 30;
    std::string allow_origin;  // empty: the page's own origin only
    std::string web;           // empty: the packaged page
    int worker = 0;            // > 0: run as that worker of a service
};

}  // namespace tool
