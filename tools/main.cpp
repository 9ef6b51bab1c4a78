// main.cpp - the khapi command line.
#include <CLI/CLI.hpp>

#include "commands/output_names.h"
#include "commands/subcommands.h"
#include "options.h"
#include "platform/os_specific.h"
#include "platform/private_files.h"
#include "session/run_config.h"
#ifdef KHAPI_SERVE
#include "serve/serve_command.h"
#endif

namespace {

using tool::CommonOptions;
using tool::RecogniseOptions;

// Where the report schema lies: beside the packaged configuration.
std::string SchemaPath() {
    std::string config = tool::PackagedConfig();
    size_t slash = config.find_last_of(tool::kSeparators);
    return (slash == std::string::npos ? std::string(".") : config.substr(0, slash)) + "/khapi-report.schema.json";
}

// What a subcommand's files may add to the options every one has.
enum Extras { kNone = 0, kJobs = 1, kJson = 2, kOutputs = 4, kDict = 8 };

// The options every subcommand has, with the extras it takes: --jobs,
// --json, and --textgrid and --plot.
void AddCommon(CLI::App *app, CommonOptions *o, int extras) {
    app->add_option("--config", o->config,
                    "configuration file (default: the packaged US English one, whose vocabulary "
                    "dictionary is kept in $XDG_DATA_HOME/khapi or ~/.local/share/khapi)")
        ->type_name("FILE");
    app->add_option("--log", o->log,
                    "log file for the library's failures (default: khapi.log in the user's state folder, or a given "
                    "configuration's ERRORLOG)")
        ->type_name("FILE");
    if (extras & kJson)
        app->add_flag("--json", o->json, "one JSON document a file, one a line, failures too (" + SchemaPath() + ")");
    app->add_flag("-q,--quiet", o->quiet, "no progress line");
    if (extras & kJobs)
        app->add_option("--jobs", o->jobs, "worker processes for many files")->check(CLI::Range(1, 64))->type_name("N");
    if (extras & kDict)
        app->add_option("--dict", o->dict,
                        "a pronouncing dictionary of your own words: \"WORD  PH1 PH2 ...\" lines in the model's "
                        "phones (CMUdict style; stress digits are dropped)")
            ->check(CLI::ExistingFile)
            ->type_name("FILE");
    if (!(extras & kOutputs)) return;
    app->add_option("--textgrid", o->textgrid,
                    "write a Praat TextGrid (words and phones tiers); with "
                    "several files, %s in the name stands for each file's name")
        ->type_name("FILE");
    app->add_option("--plot", o->plot, "write a plot, FILE.svg or FILE.png; %s as for --textgrid")->type_name("FILE");
}

// --text or --text-from-file; with neither, each recording's own text.
void AddText(CLI::App *app, RecogniseOptions *o, const char *what) {
    auto *text = app->add_option("-t,--text", o->text, what);
    auto *file = app->add_option("--text-from-file", o->text_file, "the text, read from a file (UTF-8)")
                     ->check(CLI::ExistingFile)
                     ->type_name("FILE");
    text->excludes(file);
    app->footer(
        "Without --text or --text-from-file, the text of NAME.wav is read from NAME.txt or NAME.lab "
        "beside it.  Texts are read as they are written: numbers, typographic quotes, accents.");
}

void AddAudio(CLI::App *app, RecogniseOptions *o, bool required) {
    auto *audio = app->add_option("AUDIO", o->audio, "waveform files (WAV, FLAC, ...; .raw: 16 kHz 16-bit mono)")
                      ->type_name("FILE");
    if (required) audio->required();
}

}  // namespace

int main(int argc, char **argv) {
    tool::RemovePrivateFilesOnSignals();
    CLI::App app{"khapi - recognise, align and assess spoken utterances"};
    app.require_subcommand(1);
    // Options are "--name" everywhere; on Windows "/usr/x" stays a file name.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", "khapi " KHAPI_VERSION);
    CommonOptions common;
    RecogniseOptions options;

    auto *recognise = app.add_subcommand("recognise", "recognise each file against a grammar");
    AddAudio(recognise, &options, false);
    auto *grammar =
        recognise->add_option("-g,--grammar", options.grammar, "the grammar as one line of BNF")->type_name("BNF");
    auto *grammar_file = recognise
                             ->add_option("--grammar-file", options.grammar_file,
                                          "named syntaxes, one \"NAME = BNF\" a line; the last is recognised")
                             ->type_name("FILE");
    grammar->excludes(grammar_file);
    recognise->add_option("--nbest", options.nbest, "report up to N alternatives")
        ->check(CLI::Range(0, 100))
        ->type_name("N");
    recognise->add_flag("--live", options.live, "listen to the sound card instead of reading files");
    AddCommon(recognise, &common, kJobs | kJson | kOutputs | kDict);

    auto *align = app.add_subcommand("align", "time the words of a known text and their phones");
    AddAudio(align, &options, true);
    AddText(align, &options, "the words said");
    AddCommon(align, &common, kJobs | kJson | kOutputs | kDict);

    auto *assess = app.add_subcommand("assess", "assess the pronunciation of a known text");
    AddAudio(assess, &options, true);
    AddText(assess, &options, "the words the speaker should say");
    AddCommon(assess, &common, kJobs | kJson | kOutputs | kDict);

    auto *f0 = app.add_subcommand("f0", "print the pitch track: time in seconds and F0 in Hz (0: unvoiced)");
    AddAudio(f0, &options, true);
    AddCommon(f0, &common, kJobs | kJson);

    auto *play = app.add_subcommand("play", "play waveform files on the sound card");
    AddAudio(play, &options, true);
    AddCommon(play, &common, kNone);

    auto *calibrate = app.add_subcommand("calibrate", "measure the live input's speech and background levels");
    AddCommon(calibrate, &common, kJson);

#ifdef KHAPI_SERVE
    tool::ServeOptions serve_options;
    auto *serve = tool::AddServe(&app, &serve_options, &common);
#endif

    std::vector<std::string> args = tool::Arguments(argc, argv);
    std::vector<char *> arg_pointers;
    for (std::string &a : args) arg_pointers.push_back(&a[0]);
    try {
        app.parse(argc, arg_pointers.data());
        options.text_given = align->count("--text") + assess->count("--text") > 0;
        if (recognise->parsed()) {
            if (options.grammar.empty() && options.grammar_file.empty())
                throw CLI::RequiredError("--grammar or --grammar-file");
            if (options.live == !options.audio.empty())
                throw CLI::ValidationError("AUDIO", "give audio files or --live, not both or neither");
        }
        // Without a text given, align and assess read each recording's own.
        bool texts_beside = (align->parsed() || assess->parsed()) && !options.text_given && options.text_file.empty();
        std::string why;
        if (!tool::UsableOutputs(common, options, texts_beside, &why)) throw CLI::ValidationError(why);
    } catch (const CLI::ParseError &e) {
        int status = app.exit(e);
        return status == 0 ? 0 : 2;
    }

    if (recognise->parsed()) return tool::RunRecognition(tool::Mode::Recognise, common, options);
    if (align->parsed()) return tool::RunRecognition(tool::Mode::Align, common, options);
    if (assess->parsed()) return tool::RunRecognition(tool::Mode::Assess, common, options);
    if (f0->parsed()) return tool::RunF0(common, options.audio);
    if (play->parsed()) return tool::RunPlay(common, options.audio);
#ifdef KHAPI_SERVE
    if (serve->parsed()) return tool::RunServe(serve_options, common);
#endif
    return tool::RunCalibrate(common);
}
