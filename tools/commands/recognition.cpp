// recognition.cpp - a file recognised, aligned or assessed, and its F0 track.
#include "commands/recognition.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <unistd.h>

#include "commands/output_names.h"
#include "session/syntaxes.h"
#include "texts/normalise.h"
#include "texts/transcript.h"
#include "utterance/assess.h"
#include "utterance/read_results.h"
#include "utterance/speech_check.h"
#include "writers/json_report.h"
#include "writers/plot.h"
#include "writers/text_report.h"
#include "writers/textgrid.h"

namespace tool {

namespace {

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

}  // namespace

bool Readable(const std::string &file, std::string *why) {
    if (access(file.c_str(), R_OK) == 0) return true;
    *why = std::string("cannot read it: ") + strerror(errno);
    return false;
}

bool StartSession(Session *session, Mode mode, const CommonOptions &common, int worker, std::string *why) {
    return session->Start(common, worker, why, mode == Mode::Assess);
}

Recognition::~Recognition() {
    if (syntax_) khSyntaxDeleteDeep(syntax_);
}

bool Recognition::Prepare(std::string *why) {
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
Outcome Recognition::File(const std::string &file, const std::string &label) {
    const std::string &name = label.empty() ? file : label;
    bool live = file == kLiveName && options_.live;
    std::string why;
    if (!live && !Readable(file, &why)) return session_.Failure(name, why);
    if (!syntax_ && !TextOfFile(file, &why)) return session_.Failure(name, why);
    LogWatch watch(session_.log_path());
    KhRecogniser rec = NewRecogniser();
    if (!rec) return session_.Failure(name, "cannot create a recogniser", &watch);
    Report report;
    report.file = name;
    bool ok = Recognise(rec, live ? nullptr : file.c_str(), &report, &why);
    khRecDelete(rec);
    if (!ok) return session_.Failure(name, why, &watch);
    if (!HasSpeech(report.samples, KH_SAMPLE_RATE)) return session_.Failure(name, "no speech found");
    if (mode_ == Mode::Align && report.words.empty())
        return session_.Failure(name, "none of the text's words were found in the speech");
    if (mode_ == Mode::Assess) Assess(text_, &report);
    for (WordReport &w : report.words)
        w.guessed = std::find(guessed_.begin(), guessed_.end(), w.word) != guessed_.end();
    Outcome o = Write(report);
    o.err = guesses_ + o.err;  // once a run: identical messages are said once
    return o;
}

// Builds the syntax of a text, replacing the one of the text before.
bool Recognition::UseText(const std::string &text, std::string *why) {
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
void Recognition::NoteGuesses(const std::vector<std::string> &notes) {
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
bool Recognition::TextOfFile(const std::string &file, std::string *why) {
    std::string text;
    if (!TextBeside(file, &text, why)) return false;
    bool ok = UseText(text, why);
    own_text_ = true;
    return ok;
}

bool Recognition::Recognise(KhRecogniser rec, const char *wav, Report *report, std::string *why) {
    bool ok = RecogniseWith(rec, wav, report, why);
    if (own_text_ && syntax_) khSyntaxDeleteDeep(syntax_);
    if (own_text_) syntax_ = nullptr;
    return ok;
}

bool Recognition::RecogniseWith(KhRecogniser rec, const char *wav, Report *report, std::string *why) {
    if (khRecPrepare(rec, syntax_, wav, nullptr) != 1) return *why = "the library could not prepare it", false;
    if (khRecDoWholeSent(rec) != 1) return *why = "recognition failed", false;
    if (!ReadResult(rec, report, why)) return false;
    ReadNBest(rec, options_.nbest, report);
    return ReadAudio(rec, !common_.plot.empty(), report, why);
}

KhRecogniser Recognition::NewRecogniser() {
    KhRecogniser rec = khRecCreate();
    if (rec && options_.nbest > 0 && khRecActivateNBest(rec) != 1) {
        khRecDelete(rec);
        return nullptr;
    }
    return rec;
}

Outcome Recognition::Write(const Report &report) {
    std::string why;
    double duration = static_cast<double>(report.samples.size()) / KH_SAMPLE_RATE;
    if (!common_.textgrid.empty() &&
        !WriteText(OutputName(common_.textgrid, report.file), TextGrid(report, duration), &why))
        return session_.Failure(report.file, why);
    if (!common_.plot.empty() && !WritePlot(report, OutputName(common_.plot, report.file), &why))
        return session_.Failure(report.file, why);
    return {true, common_.json ? ReportJson(report).dump() + "\n" : ReportText(report), ""};
}

Outcome F0File(const Session &session, KhRecogniser rec, const std::string &file, bool json, bool headed,
               const std::string &label) {
    const std::string &name = label.empty() ? file : label;
    std::string why;
    if (!Readable(file, &why)) return session.Failure(name, why);
    LogWatch watch(session.log_path());
    int n = khSysGetF0Track(rec, file.c_str(), nullptr);
    std::vector<float> track(static_cast<size_t>(n > 0 ? n : 0));
    if (n < 0 || (n > 0 && khSysGetF0Track(rec, file.c_str(), track.data()) != n))
        return session.Failure(name, "no F0 track", &watch);
    if (json) return Outcome{true, F0Json(name, track, KH_FRAME_STEP).dump() + "\n", ""};
    std::string out = headed ? "# " + name + "\n" : "";
    char line[64];
    for (size_t i = 0; i < track.size(); i++) {
        snprintf(line, sizeof line, "%.2f %.1f\n", static_cast<double>(i) * KH_FRAME_STEP,
                 static_cast<double>(track[i]));
        out += line;
    }
    return Outcome{true, out, ""};
}

}  // namespace tool
