// session.h - the library started for one run of the tool, and how the
// run reports a file that failed.
#pragma once

#include <string>

#include "commands/batch.h"
#include "khapi.h"
#include "options.h"
#include "session/log_watch.h"
#include "session/run_config.h"
#include "texts/lexicon.h"

namespace tool {

class Session {
public:
    explicit Session(bool json = false) : json_(json) {}
    ~Session();
    // Starts the library on the configuration the options name.  False
    // with why (which names the log when the library wrote to it).  With
    // `assessment`, the dictionaries hold the garbage word and the weak
    // forms of function words where they can (session/run_config.h).
    bool Start(const CommonOptions &options, int worker, std::string *why, bool assessment = false);
    // Whether the garbage word (session/user_dict.h) may be used.
    bool has_garbage() const { return config_.garbage; }
    // ": " and the failures the library logged since the watch began (or
    // was last read), then " (log: PATH)"; empty when it logged none, so
    // that a message names a log only when it holds the cause.
    std::string Because(LogWatch *watch) const;
    // " (log: PATH)".
    std::string LogNote() const;
    // A file that failed: "khapi: FILE: CAUSE" on standard error, with
    // the library's messages since the watch began, and with --json a
    // document {"file", "error", "log"} on standard output.
    Outcome Failure(const std::string &file, const std::string &cause, LogWatch *watch = nullptr) const;
    const std::string &log_path() const { return config_.log_path; }
    // The words of the dictionaries the library reads, loaded by Start.
    const Lexicon &lexicon() const { return lexicon_; }

private:
    bool json_;
    RunConfig config_;
    Lexicon lexicon_;
};

// The failure of a file that never reached the library (the run did not
// start, its worker process died): as Session::Failure, without a log.
Outcome FileFailure(bool json, const std::string &file, const std::string &cause);

}  // namespace tool
