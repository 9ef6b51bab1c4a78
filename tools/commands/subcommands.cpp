// subcommands.cpp - recognise, align, assess, f0, play and calibrate.
#include "commands/subcommands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <unistd.h>

#include "commands/batch.h"
#include "commands/output_names.h"
#include "khapi.h"
#include "session/session.h"
#include "session/syntaxes.h"
#include "texts/normalise.h"
#include "texts/transcript.h"
#include "utterance/assess.h"
#include "utterance/read_results.h"
#include "utterance/report.h"
#include "utterance/speech_check.h"
#include "writers/json_report.h"
#include "writers/plot.h"
#include "writers/text_report.h"
#include "writers/textgrid.h"

namespace tool {

namespace {

const char *const kLiveName = "live";

// Missing and unreadable files are refused before the library sees them.
bool Readable(const std::string &file, std::string *why) {
    if (access(file.c_str(), R_OK) == 0) return true;
    *why = std::string("cannot read it: ") + strerror(errno);
    return false;
}

bool WriteText(const std::string &path, const std::string &text, std::string *why) {
    std::ofstream out(path);
    if (!(out << text) || !(out.flush())) return *why = "cannot write " + path, false;
    return true;
}

// "word X not in the dictionary" (or "words X, Y ...") for the words the
// library could not find, which its messages name.
std::string UnknownWords(const std::string &lines) {
    static const std::string kMissing = "Unable to find word ", kIn = " in system dictionary";
    std::string words;
    int n = 0;
    for (size_t at = lines.find(kMissing); at != std::string::npos; at = lines.find(kMissing, at + 1), n++) {
        size_t from = at + kMissing.size(), to = lines.find(kIn, from);
        if (to == std::string::npos) break;
        words += (words.empty() ? "" : ", ") + lines.substr(from, to - from);
    }
    if (words.empty()) return "";
    return (n > 1 ? "words " : "word ") + words + " not in the dictionary";
}

class Recognition {
public:
    Recognition(Mode mode, const CommonOptions &common, const RecogniseOptions &options)
        : mode_(mode), common_(common), options_(options), session_(common.json) {}

    // Starts the library and builds the syntax that every file shares (a
    // grammar, or one text for all); false with why.
    bool Prepare(int worker, std::string *why) {
        if (!session_.Start(common_, worker, why, mode_ == Mode::Assess)) return false;
        LogWatch watch(session_.log_path());
        if (mode_ == Mode::Recognise) {
            if (!options_.grammar_file.empty()) syntax_ = SyntaxFromFile(options_.grammar_file, why);
            else syntax_ = SyntaxFromBnf("GRAMMAR", options_.grammar, why);
            if (!syntax_) *why += session_.Because(&watch);
            return syntax_ != nullptr;
        }
        if (!options_.text_given && options_.text_file.empty()) return true;  // each file's own text
        std::string text = options_.text;
        if (!options_.text_file.empty() && !ReadText(options_.text_file, &text, why)) return false;
        return UseText(text, why);
    }

    // Each file gets a recogniser of its own, so that its report does not
    // depend on the files recognised before it (the front end adapts).
    Outcome File(const std::string &file) {
        bool live = file == kLiveName && options_.live;
        std::string why;
        if (!live && !Readable(file, &why)) return session_.Failure(file, why);
        if (!syntax_ && !TextOfFile(file, &why)) return session_.Failure(file, why);
        LogWatch watch(session_.log_path());
        KhRecogniser rec = NewRecogniser();
        if (!rec) return session_.Failure(file, "cannot create a recogniser", &watch);
        Report report;
        report.file = file;
        bool ok = Recognise(rec, live ? nullptr : file.c_str(), &report, &why);
        khRecDelete(rec);
        if (!ok) return session_.Failure(file, why, &watch);
        if (!HasSpeech(report.samples, KH_SAMPLE_RATE)) return session_.Failure(file, "no speech found");
        if (mode_ == Mode::Align && report.words.empty())
            return session_.Failure(file, "none of the text's words were found in the speech");
        if (mode_ == Mode::Assess) Assess(text_, &report);
        for (WordReport &w : report.words)
            w.guessed = std::find(guessed_.begin(), guessed_.end(), w.word) != guessed_.end();
        Outcome o = Write(report);
        o.err = guesses_ + o.err;  // once a run: identical messages are said once
        return o;
    }

private:
    const char *TextSyntaxName() const { return mode_ == Mode::Align ? "ALIGN" : "ASSESS"; }

    // Builds the syntax of a text, replacing the one of the text before.
    bool UseText(const std::string &text, std::string *why) {
        if (syntax_) khSyntaxDeleteDeep(syntax_);
        syntax_ = nullptr;
        text_ = SpokenWords(text, session_.lexicon());
        if (text_.empty()) return *why = "the text holds no word", false;
        LogWatch watch(session_.log_path());
        bool assess = mode_ == Mode::Assess;
        syntax_ = TextSyntax(TextSyntaxName(), text_, assess, assess && session_.has_garbage(), why);
        std::vector<std::string> notes;
        std::string lines = watch.Lines(&notes);
        NoteGuesses(notes);
        if (syntax_) return true;
        std::string unknown = UnknownWords(lines);
        *why = unknown.empty() ? "the text was refused: " + *why : unknown;
        if (!lines.empty()) *why += ": " + lines + session_.LogNote();
        return false;
    }

    // The words whose pronunciations the library guessed, from its notes
    // "GetWordId: Guessed the pronunciation of WORD: PHONES".
    void NoteGuesses(const std::vector<std::string> &notes) {
        static const std::string kGuessed = "GetWordId: Guessed the pronunciation of ";
        guessed_.clear();
        guesses_.clear();
        for (const std::string &note : notes) {
            size_t colon = note.find(": ", kGuessed.size());
            if (note.compare(0, kGuessed.size(), kGuessed) != 0 || colon == std::string::npos) continue;
            std::string word = note.substr(kGuessed.size(), colon - kGuessed.size());
            guessed_.push_back(word);
            guesses_ += "khapi: " + word + ": guessed " + note.substr(colon + 2) + "\n";
        }
    }

    // The text said in this file, from beside it; its syntax is built
    // afresh for every file, since each may say another text.
    bool TextOfFile(const std::string &file, std::string *why) {
        std::string text;
        if (!TextBeside(file, &text, why)) return false;
        bool ok = UseText(text, why);
        own_text_ = true;
        return ok;
    }

    bool Recognise(KhRecogniser rec, const char *wav, Report *report, std::string *why) {
        bool ok = RecogniseWith(rec, wav, report, why);
        if (own_text_ && syntax_) khSyntaxDeleteDeep(syntax_);
        if (own_text_) syntax_ = nullptr;
        return ok;
    }

    bool RecogniseWith(KhRecogniser rec, const char *wav, Report *report, std::string *why) {
        if (khRecPrepare(rec, syntax_, wav, nullptr) != 1) return *why = "the library could not prepare it", false;
        if (khRecDoWholeSent(rec) != 1) return *why = "recognition failed", false;
        if (!ReadResult(rec, report, why)) return false;
        ReadNBest(rec, options_.nbest, report);
        return ReadAudio(rec, !common_.plot.empty(), report, why);
    }

    KhRecogniser NewRecogniser() {
        KhRecogniser rec = khRecCreate();
        if (rec && options_.nbest > 0 && khRecActivateNBest(rec) != 1) {
            khRecDelete(rec);
            return nullptr;
        }
        return rec;
    }

    Outcome Write(const Report &report) {
        std::string why;
        double duration = static_cast<double>(report.samples.size()) / KH_SAMPLE_RATE;
        if (!common_.textgrid.empty() &&
            !WriteText(OutputName(common_.textgrid, report.file), TextGrid(report, duration), &why))
            return session_.Failure(report.file, why);
        if (!common_.plot.empty() && !WritePlot(report, OutputName(common_.plot, report.file), &why))
            return session_.Failure(report.file, why);
        return {true, common_.json ? ReportJson(report).dump() + "\n" : ReportText(report), ""};
    }

    Mode mode_;
    const CommonOptions &common_;
    const RecogniseOptions &options_;
    Session session_;
    std::vector<std::string> text_;
    KhSyntax syntax_ = nullptr;
    bool own_text_ = false;             // each file brings its own text
    std::vector<std::string> guessed_;  // words of the text in no dictionary
    std::string guesses_;               // and the note that says so
};

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
    Recognition recognition(mode, common, options);
    std::vector<std::string> files = options.live ? std::vector<std::string>{kLiveName} : options.audio;
    return RunFiles(
        files, common.jobs, !common.quiet, common.json,
        [&](int worker, std::string *why) { return recognition.Prepare(worker, why); },
        [&](const std::string &file) { return recognition.File(file); });
}

int RunF0(const CommonOptions &common, const std::vector<std::string> &audio) {
    Session session(common.json);
    KhRecogniser rec = nullptr;
    auto start = [&](int worker, std::string *why) { return StartWithRecogniser(&session, common, worker, &rec, why); };
    // With several files each track follows a line "# FILE", which
    // plotting programs skip as a comment.
    bool headed = audio.size() > 1;
    return RunFiles(audio, common.jobs, !common.quiet, common.json, start, [&](const std::string &file) {
        std::string why;
        if (!Readable(file, &why)) return session.Failure(file, why);
        LogWatch watch(session.log_path());
        int n = khSysGetF0Track(rec, file.c_str(), nullptr);
        std::vector<float> track(static_cast<size_t>(n > 0 ? n : 0));
        if (n < 0 || (n > 0 && khSysGetF0Track(rec, file.c_str(), track.data()) != n))
            return session.Failure(file, "no F0 track", &watch);
        if (common.json) return Outcome{true, F0Json(file, track, KH_FRAME_STEP).dump() + "\n", ""};
        std::string out = headed ? "# " + file + "\n" : "";
        char line[64];
        for (size_t i = 0; i < track.size(); i++) {
            snprintf(line, sizeof line, "%.2f %.1f\n", static_cast<double>(i) * KH_FRAME_STEP,
                     static_cast<double>(track[i]));
            out += line;
        }
        return Outcome{true, out, ""};
    });
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
