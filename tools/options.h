// options.h - what the command line asks for.
#pragma once

#include <string>
#include <vector>

namespace tool {

struct CommonOptions {
    std::string config;  // empty: the packaged configuration
    std::string log;     // empty: the configuration's ERRORLOG
    std::string dict;    // a user's pronouncing dictionary, or empty
    bool json = false;
    bool quiet = false;
    int jobs = 1;
    std::string textgrid;  // empty: none; "%s" stands for the audio's name
    std::string plot;
};

struct RecogniseOptions {
    std::vector<std::string> audio;
    std::string grammar;       // one BNF option
    std::string grammar_file;  // NAME = BNF lines
    std::string text;          // align and assess: the text, when text_given
    bool text_given = false;
    std::string text_file;  // or the file that holds it; neither: each
                            // recording's NAME.txt or NAME.lab
    int nbest = 0;
    bool live = false;
};

}  // namespace tool
