// run_config.h - the configuration the tool starts the library with.
#pragma once

#include <string>
#include <vector>

namespace tool {

struct RunConfig {
    std::string file;                       // what khSysInit reads (a private copy)
    std::string log_path;                   // where the library writes its failures, absolute
    std::vector<std::string> dictionaries;  // SYSDICT and USERDICT, as the configuration names them
    std::vector<std::string> scratch;       // private dictionaries for this run, removed at its end
    bool garbage = false;                   // the dictionaries hold kGarbageWord
};

// The configuration installed (or built) next to this program.
std::string PackagedConfig();

// Writes a private copy of `config` (the packaged one when empty) for
// khSysInit, with these changes appended (later keys win):
//  - ERRORLOG is the absolute log path: `log` when given; else the
//    configuration's ERRORLOG (or the library's "khapi.log") when it is a
//    plain name; else (the packaged configuration, or a name the library
//    expands) khapi.log in the user's state folder (UserStateLog);
//  - DEBUG is at least ERROR, so every failure reaches a log the tool can
//    point at;
//  - PHONECONF and GUESSPRONS are on unless the configuration says
//    otherwise.
// The vocabulary dictionaries are named as the configuration names them:
// the packaged one keeps its own in the user's data folder.
// With a user's dictionary `dict` (a plain CMUdict-style list may do),
// USERDICT becomes a private copy of it and of the configuration's own
// USERDICT, declaring the system dictionary's phone set, and every
// vocabulary dictionary a fresh private one, so that the words fetched
// this run (the user's among them) neither come from the cache kept
// across runs nor go into it.  For an `assessment`, the same, with the
// garbage word (session/user_dict.h) and the weak forms of function words
// (session/weak_forms.h) in USERDICT, when the tool can read the
// dictionaries it copies: out->garbage says whether it could.
// Answers false with why when a file cannot be read or written, or the
// configuration is not a regular file.
// Worker n > 0 of several logs to LOG with ".n" before its extension.
bool MakeRunConfig(const std::string &config, const std::string &log, const std::string &dict, bool assessment,
                   int worker, RunConfig *out, std::string *why);

// Removes the private copy.
void RemoveRunConfig(const RunConfig &config);

// Removes the private dictionaries, once the library is done with them.
void RemoveScratch(RunConfig *config);

std::string Absolute(const std::string &path);

// "dir/khapi.log", 2 -> "dir/khapi.2.log"; worker 0 keeps the name.
std::string WorkerLog(const std::string &path, int worker);

}  // namespace tool
