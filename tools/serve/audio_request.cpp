// audio_request.cpp - reading an endpoint's request.
#include "serve/audio_request.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>

namespace tool {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// A query parameter, else a multipart field of that name.
std::string Field(const httplib::Request &req, const std::string &name) {
    if (req.has_param(name)) return req.get_param_value(name);
    if (req.is_multipart_form_data() && req.has_file(name)) return req.get_file_value(name).content;
    return "";
}

bool Blank(const std::string &s) {
    return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c); });
}

// The extension the library reads the audio by: ".raw" for headerless
// samples, the client's own for a few containers, else ".wav" (libsndfile
// finds any format it knows from the file's header).
std::string Suffix(const std::string &content_type, const std::string &filename) {
    std::string type = Lower(content_type.substr(0, content_type.find(';')));
    if (type == "audio/l16" || type == "audio/x-raw" || type == "audio/raw") return ".raw";
    std::string name = Lower(filename);
    size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? "" : name.substr(dot);
    for (const char *known : {".raw", ".wav", ".flac", ".ogg", ".aiff", ".aif", ".au", ".caf"})
        if (ext == known) return ext;
    return ".wav";
}

// What the report calls the file: the client's name for it, when it is
// plain, without folders.
std::string Label(const std::string &filename) {
    std::string base = filename.substr(filename.find_last_of("/\\") + 1);
    bool plain = !base.empty() && base.size() <= 200 && std::all_of(base.begin(), base.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '.' || c == '-' || c == '_' || c == ' ';
    });
    return plain ? base : "upload";
}

uint32_t Little32(const std::string &b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; i--) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
    return v;
}

// A WAV file whose samples stop short of what its header announces was
// cut in transit: the library would assess what is left as if it were
// all.  Writers that stream announce 0 or the largest size, and pass.
bool TruncatedWav(const std::string &b, std::string *why) {
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return false;
    for (size_t at = 12; at + 8 <= b.size();) {
        uint32_t size = Little32(b, at + 4);
        if (b.compare(at, 4, "data") == 0) {
            size_t have = b.size() - at - 8;
            if (size == 0 || size >= 0x7fffffff || size <= have) return false;
            *why = "the WAV file is cut short: its header announces " + std::to_string(size) +
                " bytes of samples, it holds " + std::to_string(have);
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;  // no samples at all: the library says so
}

}  // namespace

bool JobFromRequest(const std::string &kind, const httplib::Request &req, Job *job, std::string *why) {
    job->kind = kind;
    std::string type = req.get_header_value("Content-Type"), filename;
    if (req.is_multipart_form_data()) {
        if (!req.has_file("audio")) return *why = "the form has no field \"audio\"", false;
        httplib::MultipartFormData audio = req.get_file_value("audio");
        job->audio = audio.content;
        type = audio.content_type;
        filename = audio.filename;
    } else {
        job->audio = req.body;
    }
    if (TruncatedWav(job->audio, why)) return false;
    job->suffix = Suffix(type, filename);
    job->label = Label(filename);
    if (kind == "recognise") {
        job->grammar = Field(req, "grammar");
        if (Blank(job->grammar)) return *why = "no grammar: give ?grammar=BNF", false;
        std::string nbest = Field(req, "nbest");
        char *end = nullptr;
        long n = nbest.empty() ? 0 : std::strtol(nbest.c_str(), &end, 10);
        if (!nbest.empty() && (*end || n < 0 || n > 100)) return *why = "nbest must be a number from 0 to 100", false;
        job->nbest = static_cast<int>(n);
    } else if (kind != "f0") {
        job->text = Field(req, "text");
        if (Blank(job->text)) return *why = "no text: give ?text=the words to say, or a form field \"text\"", false;
    }
    return true;
}

}  // namespace tool
