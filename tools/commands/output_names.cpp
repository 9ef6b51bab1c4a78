// output_names.cpp - each file's output names, and the refusal of outputs
// that would overwrite what the run reads or one another.
#include "commands/output_names.h"

#include <map>
#include <vector>

#include "platform/os_specific.h"
#include "texts/transcript.h"
#include "writers/canvas.h"

namespace tool {

namespace {

// A file the run reads or writes besides its outputs.
struct Kept {
    std::string path;
    const char *what;  // "the recording", ...
};

// One output: the option that asks for it, for one recording.
struct Output {
    const char *option;
    std::string audio;
    std::string path;
};

std::vector<Kept> KeptFiles(const CommonOptions &common, const RecogniseOptions &options, bool texts_beside) {
    std::vector<Kept> kept;
    for (const std::string &audio : options.audio) {
        kept.push_back({audio, "the recording"});
        if (texts_beside)
            for (const std::string &text : TextsBeside(audio)) kept.push_back({text, "the text"});
    }
    for (const Kept &k : {Kept{common.config, "the configuration"}, Kept{common.dict, "the dictionary"},
                          Kept{options.grammar_file, "the grammar file"}, Kept{options.text_file, "the text"}})
        if (!k.path.empty()) kept.push_back(k);
    return kept;
}

// "--plot" alone, or "--plot for a.wav" when there are several files.
std::string Asked(const Output &o, bool several) { return std::string(o.option) + (several ? " for " + o.audio : ""); }

}  // namespace

std::string OutputName(const std::string &pattern, const std::string &audio) {
    size_t at = pattern.find("%s");
    if (at == std::string::npos) return pattern;
    size_t slash = audio.find_last_of(kSeparators);
    std::string stem = audio.substr(slash == std::string::npos ? 0 : slash + 1);
    if (stem.rfind('.') != std::string::npos && stem.rfind('.') > 0) stem = stem.substr(0, stem.rfind('.'));
    return pattern.substr(0, at) + stem + pattern.substr(at + 2);
}

bool UsableOutputs(const CommonOptions &common, const RecogniseOptions &options, bool texts_beside, std::string *why) {
    if (!common.plot.empty() && !UsablePlotName(common.plot, why)) return *why = "--plot: " + *why, false;
    std::vector<std::string> audio = options.live ? std::vector<std::string>{"live"} : options.audio;
    bool several = audio.size() > 1;
    std::vector<Output> outputs;
    for (auto [option, pattern] :
         {std::pair<const char *, const std::string *>{"--textgrid", &common.textgrid}, {"--plot", &common.plot}}) {
        if (pattern->empty()) continue;
        if (several && pattern->find("%s") == std::string::npos)
            return *why = *pattern + ": several files need %s in the output name", false;
        for (const std::string &file : audio) outputs.push_back({option, file, OutputName(*pattern, file)});
    }
    if (outputs.empty()) return true;

    // The files kept from the outputs, by identity: those the run reads
    // when they are there, and its log, which it writes from the start.
    std::map<std::string, Kept> kept;
    for (const Kept &k : KeptFiles(common, options, texts_beside)) {
        bool exists = false;
        std::string id = FileIdentity(k.path, &exists);
        if (exists) kept.emplace(id, k);
    }
    if (!common.log.empty()) kept.emplace(FileIdentity(common.log), Kept{common.log, "the log"});
    std::map<std::string, const Output *> written;
    for (const Output &o : outputs) {
        std::string id = FileIdentity(o.path);
        auto input = kept.find(id);
        if (input != kept.end())
            return *why = Asked(o, several) + " would write " + o.path + " over " + input->second.what + " " +
                       input->second.path,
                   false;
        auto [before, fresh] = written.emplace(id, &o);
        if (!fresh)
            return *why = Asked(*before->second, several) + " and " + Asked(o, several) + " would both write " +
                       o.path + ": each output needs a name of its own",
                   false;
    }
    return true;
}

}  // namespace tool
