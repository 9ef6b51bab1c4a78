// serve_worker.cpp - one job: the audio in a private file for as long as
// the job lasts, the report as the tool's --json writes it.
#include "serve/serve_worker.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <nlohmann/json.hpp>
#include <sys/prctl.h>
#include <unistd.h>

#include "commands/recognition.h"
#include "platform/private_files.h"
#include "serve/worker_protocol.h"

namespace tool {

namespace {

void ReplaceAll(std::string *s, const std::string &what, const std::string &with) {
    if (what.empty()) return;
    for (size_t at = s->find(what); at != std::string::npos; at = s->find(what, at + with.size()))
        s->replace(at, what.size(), with);
}

Outcome Recognise(Session *session, const CommonOptions &common, const Job &job, const std::string &file) {
    Mode mode = job.kind == "recognise" ? Mode::Recognise : job.kind == "align" ? Mode::Align : Mode::Assess;
    RecogniseOptions options;
    options.text = job.text;
    options.text_given = mode != Mode::Recognise;
    options.grammar = job.grammar;
    options.nbest = job.nbest;
    Recognition recognition(mode, common, options, session);
    std::string why;
    if (!recognition.Prepare(&why)) return FileFailure(true, job.label, why);
    return recognition.File(file, job.label);
}

// The document a client gets: the private file and the server's log are
// named by neither the report nor its causes.
Answer ToAnswer(const Outcome &o, const Session &session, const std::string &file, const std::string &label) {
    std::string out = o.out;
    ReplaceAll(&out, session.LogNote(), "");
    ReplaceAll(&out, file, label);
    nlohmann::ordered_json doc = nlohmann::ordered_json::parse(out, nullptr, false);
    if (!doc.is_object()) return {500, ErrorBody("the worker wrote no report")};
    doc.erase("log");
    return {o.ok ? 200 : 400, doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)};
}

// The learner's audio, on disk only while its job lasts.
class AudioFile {
public:
    explicit AudioFile(const Job &job) {
        int fd = CreatePrivateFile(job.suffix, &name_);
        if (fd < 0) {
            why_ = strerror(errno);
            name_.clear();
            return;
        }
        if (!WriteAll(fd, job.audio)) why_ = strerror(errno);
        close(fd);
    }
    ~AudioFile() {
        if (!name_.empty()) RemovePrivateFile(name_);
    }
    AudioFile(const AudioFile &) = delete;
    AudioFile &operator=(const AudioFile &) = delete;
    bool ok() const { return why_.empty(); }
    const std::string &why() const { return why_; }
    const std::string &name() const { return name_; }

private:
    std::string name_, why_;
};

Answer Handle(Session *session, const CommonOptions &common, KhRecogniser f0, const Job &job) {
    AudioFile audio(job);
    if (!audio.ok()) return {500, ErrorBody("cannot keep the audio: " + audio.why())};
    Outcome o = job.kind == "f0" ? F0File(*session, f0, audio.name(), true, false, job.label)
                                 : Recognise(session, common, job, audio.name());
    return ToAnswer(o, *session, audio.name(), job.label);
}

}  // namespace

int RunServeWorker(const CommonOptions &common, int index) {
    // A worker does not outlive the service, even one killed outright (and
    // one whose service died before this line reads the end of its socket).
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    Session session(true);
    std::string why;
    bool started = StartSession(&session, Mode::Assess, common, index, &why);
    KhRecogniser f0 = started ? khRecCreate() : nullptr;
    if (started && !f0) why = "cannot create a recogniser";
    if (!SendAnswer(kWorkerSocket, f0 ? Answer{200, ""} : Answer{500, ErrorBody(why)}) || !f0) return 1;
    Job job;
    while (ReceiveJob(kWorkerSocket, &job) == Received::Ok) {
        Answer answer;
        try {
            answer = Handle(&session, common, f0, job);
        } catch (const std::exception &e) {
            answer = {500, ErrorBody(std::string("the worker failed: ") + e.what())};
        }
        if (!SendAnswer(kWorkerSocket, answer)) break;
    }
    khRecDelete(f0);
    return 0;
}

}  // namespace tool
