// audio_request.h - a request to an endpoint turned into a worker's job:
// the audio from the body or a multipart field, the text or grammar from
// the query or a field.
#pragma once

#include <httplib.h>
#include <string>

#include "serve/worker_protocol.h"

namespace tool {

// The job of `kind` ("recognise", "align", "assess", "f0"); false with
// the reason to give the client when the request lacks what it needs.
bool JobFromRequest(const std::string &kind, const httplib::Request &req, Job *job, std::string *why);

}  // namespace tool
