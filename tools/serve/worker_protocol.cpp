// worker_protocol.cpp - length-prefixed frames over a stream socket.
#include "serve/worker_protocol.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tool {

namespace {

using Clock = std::chrono::steady_clock;
const Deadline kNever = Deadline::max();

// A frame's parts never exceed this: a job is bounded by --max-body.
constexpr uint64_t kLongestPart = uint64_t(1) << 32;

bool SendAll(int fd, const char *data, size_t size) {
    while (size > 0) {
        ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Waits for the socket to be readable until the deadline.
Received Readable(int fd, Deadline deadline) {
    for (;;) {
        int timeout = -1;
        if (deadline != kNever) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return Received::TimedOut;
            timeout = static_cast<int>(std::min<long long>(left, 1000 * 1000));
        }
        pollfd p = {fd, POLLIN, 0};
        int n = poll(&p, 1, timeout);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Received::Closed;
        if (n > 0) return Received::Ok;
    }
}

Received ReceiveAll(int fd, char *data, size_t size, Deadline deadline) {
    while (size > 0) {
        Received r = Readable(fd, deadline);
        if (r != Received::Ok) return r;
        ssize_t n = recv(fd, data, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Received::Closed;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return Received::Ok;
}

// A frame: a 32-bit number, then each part as its 64-bit length and bytes.
bool SendFrame(int fd, uint32_t number, const std::string &a, const std::string &b) {
    uint64_t lengths[2] = {a.size(), b.size()};
    std::string head(reinterpret_cast<const char *>(&number), sizeof number);
    head.append(reinterpret_cast<const char *>(lengths), sizeof lengths);
    return SendAll(fd, head.data(), head.size()) && SendAll(fd, a.data(), a.size()) && SendAll(fd, b.data(), b.size());
}

Received ReceiveFrame(int fd, uint32_t *number, std::string *a, std::string *b, Deadline deadline) {
    uint64_t lengths[2];
    Received r = ReceiveAll(fd, reinterpret_cast<char *>(number), sizeof *number, deadline);
    if (r == Received::Ok) r = ReceiveAll(fd, reinterpret_cast<char *>(lengths), sizeof lengths, deadline);
    if (r != Received::Ok) return r;
    if (lengths[0] > kLongestPart || lengths[1] > kLongestPart) return Received::Closed;
    a->resize(lengths[0]);
    b->resize(lengths[1]);
    r = ReceiveAll(fd, &(*a)[0], a->size(), deadline);
    return r == Received::Ok ? ReceiveAll(fd, &(*b)[0], b->size(), deadline) : r;
}

}  // namespace

bool SendJob(int fd, const Job &job) {
    nlohmann::json head = {{"kind", job.kind},   {"text", job.text},     {"grammar", job.grammar},
                           {"nbest", job.nbest}, {"suffix", job.suffix}, {"label", job.label}};
    return SendFrame(fd, 0, head.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), job.audio);
}

Received ReceiveJob(int fd, Job *job) {
    uint32_t unused;
    std::string head;
    Received r = ReceiveFrame(fd, &unused, &head, &job->audio, kNever);
    if (r != Received::Ok) return r;
    nlohmann::json j = nlohmann::json::parse(head, nullptr, false);
    if (!j.is_object()) return Received::Closed;
    job->kind = j.value("kind", "");
    job->text = j.value("text", "");
    job->grammar = j.value("grammar", "");
    job->nbest = j.value("nbest", 0);
    job->suffix = j.value("suffix", ".wav");
    job->label = j.value("label", "");
    return Received::Ok;
}

bool SendAnswer(int fd, const Answer &answer) {
    return SendFrame(fd, static_cast<uint32_t>(answer.status), answer.body, "");
}

Received ReceiveAnswer(int fd, Answer *answer, Deadline deadline) {
    uint32_t status;
    std::string unused;
    Received r = ReceiveFrame(fd, &status, &answer->body, &unused, deadline);
    answer->status = static_cast<int>(status);
    return r;
}

std::string ErrorBody(const std::string &message) {
    return nlohmann::json{{"error", message}}.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace tool
