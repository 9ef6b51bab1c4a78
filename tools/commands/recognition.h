// recognition.h - one file's recognition, alignment or assessment, and its
// F0 track, as the tool reports them: shared by the subcommands and the
// service's workers.
#pragma once

#include <string>
#include <vector>

#include "commands/batch.h"
#include "khapi.h"
#include "options.h"
#include "session/session.h"
#include "utterance/report.h"

namespace tool {

enum class Mode { Recognise, Align, Assess };

// The name that stands for the sound card among the files.
constexpr const char *kLiveName = "live";

// Starts the library as `mode` needs it (assess: with the garbage word).
bool StartSession(Session *session, Mode mode, const CommonOptions &common, int worker, std::string *why);

class Recognition {
public:
    // `session` is started before Prepare and outlives this.
    Recognition(Mode mode, const CommonOptions &common, const RecogniseOptions &options, Session *session)
        : mode_(mode), common_(common), options_(options), session_(*session) {}
    ~Recognition();
    Recognition(const Recognition &) = delete;
    Recognition &operator=(const Recognition &) = delete;

    // Builds the syntax that every file shares (a grammar, or one text for
    // all); false with why.
    bool Prepare(std::string *why);

    // The report of one file, which it names `label` (the file itself when
    // empty); a failure when it cannot be read or recognised.
    Outcome File(const std::string &file, const std::string &label = "");

private:
    const char *TextSyntaxName() const { return mode_ == Mode::Align ? "ALIGN" : "ASSESS"; }
    bool UseText(const std::string &text, std::string *why);
    void NoteGuesses(const std::vector<std::string> &notes);
    bool TextOfFile(const std::string &file, std::string *why);
    bool Recognise(KhRecogniser rec, const char *wav, Report *report, std::string *why);
    bool RecogniseWith(KhRecogniser rec, const char *wav, Report *report, std::string *why);
    KhRecogniser NewRecogniser();
    Outcome Write(const Report &report);

    Mode mode_;
    const CommonOptions &common_;
    const RecogniseOptions &options_;
    Session &session_;
    std::vector<std::string> text_;
    KhSyntax syntax_ = nullptr;
    bool own_text_ = false;             // each file brings its own text
    std::vector<std::string> guessed_;  // words of the text in no dictionary
    std::string guesses_;               // and the note that says so
};

// The F0 track of one file, named `label` (the file when empty): one
// "TIME HZ" line a frame, after "# LABEL" when `headed`, or with `json`
// the f0 document.
Outcome F0File(const Session &session, KhRecogniser rec, const std::string &file, bool json, bool headed,
               const std::string &label = "");

// Missing and unreadable files are refused before the library sees them.
bool Readable(const std::string &file, std::string *why);

}  // namespace tool
