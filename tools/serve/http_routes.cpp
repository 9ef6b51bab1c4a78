// http_routes.cpp - routing, limits, CORS and the access log.
#include "serve/http_routes.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "serve/audio_request.h"

namespace tool {

namespace {

using httplib::Request;
using httplib::Response;
using HandlerResponse = httplib::Server::HandlerResponse;

struct Endpoint {
    const char *path;
    const char *kind;   // the worker's job, or null
    const char *allow;  // the methods it takes
};
const Endpoint kEndpoints[] = {{"/v1/health", nullptr, "GET, HEAD"},
                               {"/v1/assess", "assess", "POST"},
                               {"/v1/align", "align", "POST"},
                               {"/v1/recognise", "recognise", "POST"},
                               {"/v1/f0", "f0", "POST"}};

const Endpoint *Find(const std::string &path) {
    for (const Endpoint &e : kEndpoints)
        if (path == e.path) return &e;
    return nullptr;
}

bool Allows(const std::string &allow, const std::string &method) {
    size_t at = allow.find(method);
    return at != std::string::npos && (at + method.size() == allow.size() || allow[at + method.size()] == ',');
}

void SendJson(Response &res, int status, const std::string &body) {
    res.status = status;
    res.set_content(body, "application/json");
}

std::string Refusal(int status, const Request &req, const ServeOptions &options) {
    switch (status) {
    case 404:
        return "no such file: " + req.path;
    case 413:
        return "the request is larger than " + std::to_string(options.max_body) + " bytes (--max-body)";
    default:
        return "the request was refused (HTTP " + std::to_string(status) + ")";
    }
}

// Answered before the body is read: CORS, unknown endpoints, methods an
// endpoint does not take (the page's files take GET and HEAD).
HandlerResponse PreRoute(const Request &req, Response &res, const ServeOptions &options) {
    if (!options.allow_origin.empty()) {
        res.set_header("Access-Control-Allow-Origin", options.allow_origin);
        res.set_header("Vary", "Origin");
    }
    const Endpoint *e = Find(req.path);
    bool api = req.path.compare(0, 4, "/v1/") == 0;
    if (api && !e) return SendJson(res, 404, ErrorBody("no such endpoint: " + req.path)), HandlerResponse::Handled;
    std::string allow = e ? e->allow : "GET, HEAD";
    if (req.method == "OPTIONS" && e && !options.allow_origin.empty()) {
        res.status = 204;
        res.set_header("Access-Control-Allow-Methods", allow + ", OPTIONS");
        res.set_header("Access-Control-Allow-Headers", "Content-Type");
        res.set_header("Access-Control-Max-Age", "600");
        return HandlerResponse::Handled;
    }
    // A form's fields are no audio; the HTTP library would cut them short.
    bool form = req.get_header_value("Content-Type").compare(0, 33, "application/x-www-form-urlencoded") == 0;
    if (e && e->kind && req.method == "POST" && form)
        return SendJson(res, 415,
                        ErrorBody("send the audio as the body (Content-Type: audio/wav) or as the field \"audio\" "
                                  "of multipart/form-data")),
               HandlerResponse::Handled;
    if (Allows(allow, req.method)) return HandlerResponse::Unhandled;
    res.set_header("Allow", allow);
    SendJson(res, 405, ErrorBody(req.method + " is not allowed on " + req.path + ": it takes " + allow));
    return HandlerResponse::Handled;
}

void Health(WorkerPool *pool, Response &res) {
    PoolCounts c = pool->Counts();
    nlohmann::ordered_json j = {{"status", c.ready > 0 ? "ok" : "starting"},
                                {"workers", c.workers},
                                {"ready", c.ready},
                                {"busy", c.busy},
                                {"queued", c.queued},
                                {"restarts", c.restarts},
                                {"version", KHAPI_VERSION}};
    SendJson(res, c.ready > 0 ? 200 : 503, j.dump());
}

void RunJob(WorkerPool *pool, const char *kind, const Request &req, Response &res) {
    Job job;
    std::string why;
    if (!JobFromRequest(kind, req, &job, &why)) return SendJson(res, 400, ErrorBody(why));
    Answer answer = pool->Run(job);
    if (answer.status == 503) res.set_header("Retry-After", "1");
    SendJson(res, answer.status, answer.body);
}

// The bytes a request brought: its body, or its form's fields.
size_t BytesIn(const Request &req) {
    size_t n = req.body.size();
    for (const auto &field : req.files) n += field.second.content.size();
    return n;
}

// A path as the log shows it: one line, whatever the client sent.
std::string Printable(std::string s) {
    for (char &c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return s;
}

}  // namespace

void InstallRoutes(httplib::Server *server, WorkerPool *pool, const ServeOptions &options, const std::string &web_dir) {
    server->set_payload_max_length(options.max_body);
    server->set_default_headers({{"X-Content-Type-Options", "nosniff"}, {"Cache-Control", "no-store"}});
    server->set_pre_routing_handler(
        [&options](const Request &req, Response &res) { return PreRoute(req, res, options); });
    httplib::Server::HandlerWithResponse refusal = [&options](const Request &req, Response &res) {
        if (!res.body.empty()) return HandlerResponse::Unhandled;
        SendJson(res, res.status, ErrorBody(Refusal(res.status, req, options)));
        return HandlerResponse::Handled;
    };
    server->set_error_handler(refusal);
    server->Get("/v1/health", [pool](const Request &, Response &res) { Health(pool, res); });
    for (const Endpoint &e : kEndpoints) {
        if (!e.kind) continue;
        const char *kind = e.kind;
        server->Post(e.path, [pool, kind](const Request &req, Response &res) { RunJob(pool, kind, req, res); });
    }
    // The page runs only its own scripts and talks only to this service.
    server->set_mount_point("/", web_dir,
                            {{"Content-Security-Policy",
                              "default-src 'self'; media-src 'self' blob:; img-src 'self' data:; object-src 'none'; "
                              "base-uri 'none'; frame-ancestors 'none'"}});
    // Of a learner's audio nothing is logged but its length.
    server->set_logger([](const Request &req, const Response &res) {
        fprintf(stderr, "khapi serve: %s %s %d (%zu bytes in)\n", Printable(req.method).c_str(),
                Printable(req.path).c_str(), res.status, BytesIn(req));
    });
}

}  // namespace tool
