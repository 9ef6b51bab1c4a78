// worker_protocol.h - what the service and a worker process say to each
// other over their socket: a job (what to do, and the audio) and its
// answer (an HTTP status and a JSON document).
#pragma once

#include <chrono>
#include <string>

namespace tool {

struct Job {
    std::string kind;     // "recognise", "align", "assess" or "f0"
    std::string text;     // align and assess
    std::string grammar;  // recognise: one line of BNF
    int nbest = 0;        // recognise: alternatives asked for
    std::string suffix;   // the audio file's extension (".wav", ".raw", ...)
    std::string label;    // what the report calls the file
    std::string audio;    // the file's bytes
};

struct Answer {
    int status = 500;
    std::string body;  // a JSON document
};

using Deadline = std::chrono::steady_clock::time_point;

enum class Received { Ok, Closed, TimedOut };

// Each frame is its lengths, then its bytes; false when the peer is gone.
bool SendJob(int fd, const Job &job);
bool SendAnswer(int fd, const Answer &answer);

// A worker waits for its next job as long as it takes.
Received ReceiveJob(int fd, Job *job);
// The service waits for an answer until the deadline.
Received ReceiveAnswer(int fd, Answer *answer, Deadline deadline);

// {"error": message}, as every refusal of the service answers.
std::string ErrorBody(const std::string &message);

}  // namespace tool
