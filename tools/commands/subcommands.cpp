// subcommands.cpp - recognise, align, assess, f0, play and calibrate.
#include "commands/subcommands.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "commands/batch.h"
#include "commands/recognition.h"
#include "khapi.h"
#include "session/session.h"

namespace tool {

namespace {

// Starts the library with one recogniser, for the F0 track.
bool StartWithRecogniser(Session *session, const CommonOptions &common, int worker, KhRecogniser *rec,
                         std::string *why) {
    if (!session->Start(common, worker, why)) return false;
    *rec = khRecCreate();
    if (!*rec) return *why = "cannot create a recogniser", false;
    return true;
}

}  // namespace

int RunRecognition(Mode mode, const CommonOptions &common, const RecogniseOptions &options) {
    Session session(common.json);
    Recognition recognition(mode, common, options, &session);
    std::vector<std::string> files = options.live ? std::vector<std::string>{kLiveName} : options.audio;
    return RunFiles(
        files, common.jobs, !common.quiet, common.json,
        [&](int worker, std::string *why) {
            return StartSession(&session, mode, common, worker, why) && recognition.Prepare(why);
        },
        [&](const std::string &file) { return recognition.File(file); });
}

int RunF0(const CommonOptions &common, const std::vector<std::string> &audio) {
    Session session(common.json);
    KhRecogniser rec = nullptr;
    auto start = [&](int worker, std::string *why) { return StartWithRecogniser(&session, common, worker, &rec, why); };
    // With several files each track follows a line "# FILE", which
    // plotting programs skip as a comment.
    bool headed = audio.size() > 1;
    return RunFiles(audio, common.jobs, !common.quiet, common.json, start,
                    [&](const std::string &file) { return F0File(session, rec, file, common.json, headed); });
}

int RunPlay(const CommonOptions &common, const std::vector<std::string> &files) {
    Session session;
    // One sound card: files play one after another.
    auto start = [&](int worker, std::string *why) { return session.Start(common, worker, why); };
    return RunFiles(files, 1, !common.quiet, false, start, [&](const std::string &file) {
        std::string cause;
        if (!Readable(file, &cause)) return session.Failure(file, cause);
        LogWatch watch(session.log_path());
        int status = khSysPlayPrompt(file.c_str());
        if (status < 0) return session.Failure(file, "cannot play it", &watch);
        if (status == 0) return session.Failure(file, "it holds no samples");
        return Outcome{true, "", ""};
    });
}

int RunCalibrate(const CommonOptions &common) {
    Session session;
    std::string why;
    if (!session.Start(common, 0, &why)) {
        fprintf(stderr, "khapi: %s\n", why.c_str());
        return 1;
    }
    LogWatch watch(session.log_path());
    float levels[4];
    if (khSysCalibrateSpeech(levels) != 1) {
        fprintf(stderr, "khapi: the live input could not be measured%s\n", session.Because(&watch).c_str());
        return 1;
    }
    if (common.json) {
        nlohmann::json j = {
            {"speech_db", levels[0]}, {"background_db", levels[1]}, {"snr_db", levels[2]}, {"peak_to_peak", levels[3]}};
        printf("%s\n", j.dump().c_str());
    } else {
        printf("speech %.1f dB  background %.1f dB  signal-to-noise %.1f dB  peak to peak %.0f\n",
               static_cast<double>(levels[0]), static_cast<double>(levels[1]), static_cast<double>(levels[2]),
               static_cast<double>(levels[3]));
    }
    return 0;
}

}  // namespace tool
