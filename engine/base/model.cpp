// model.cpp - reading an acoustic model folder: the phones of its model
// definition, text or binary, its rates and its filler words.
#include "base/files.h"
#include "base/mdef_binary.h"
#include "base/model.h"
#include "hapi.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

int g_model_rate = 16000;

// The text form: a version line "0.3", counts such as "42 n_base", then
// one line per phone whose first field is the phone's name.
bool read_text_mdef(std::ifstream &in, std::vector<std::string> *phones, std::string *why) {
    std::string line;
    int n_base = -1;
    bool version_seen = false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string a, b;
        if (!(fields >> a) || a[0] == '#') continue;
        if (!version_seen) {
            if (a != "0.3") return *why = "not a model definition file", false;
            version_seen = true;
            continue;
        }
        fields >> b;
        if (b == "n_base") {
            n_base = atoi(a.c_str());
            if (n_base < 1 || n_base > 1000) return *why = "implausible phone count", false;
            continue;
        }
        if (b.rfind("n_", 0) == 0) continue;
        if (n_base < 0) return *why = "no n_base line", false;
        if (a.size() >= HAPI_MAX_NAME) return *why = "malformed phone list", false;
        phones->push_back(a);
        if (static_cast<int>(phones->size()) == n_base) return true;
    }
    return *why = version_seen ? "truncated phone list" : "not a model definition file", false;
}

// Reads -samprate and -frate when feat.params gives them.
void read_feat_params(engine::Model *m) {
    std::ifstream in(m->feat_params);
    std::string key, value;
    while (in >> key >> value) {
        if (key == "-samprate") m->samprate = static_cast<int>(atof(value.c_str()));
        if (key == "-frate") m->frate = atoi(value.c_str());
    }
}

// The filler words the decoder reads from the folder's noisedict (it
// always has "<sil>"); the sentence marks never come between words.
std::vector<std::string> read_fillers(const std::string &noisedict) {
    std::vector<std::string> fillers = {"<sil>"};
    std::ifstream in(noisedict);
    std::string line, word;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        if (!(f >> word) || word == "<s>" || word == "</s>") continue;
        if (std::find(fillers.begin(), fillers.end(), word) == fillers.end()) fillers.push_back(word);
    }
    return fillers;
}

}  // namespace

namespace engine {

bool Model::has_phone(const std::string &p) const { return std::find(phones.begin(), phones.end(), p) != phones.end(); }

bool describe_model(const std::string &mdef, Model *m, std::string *why) {
    if (mdef.empty()) return *why = "no model file (MMF) set", false;
    if (!engine::is_regular_file(mdef)) return *why = "cannot read model file " + mdef, false;
    m->mdef = mdef;
    m->dir = engine::folder_of(mdef);
    m->phones.clear();
    std::string what;
    if (!read_mdef_phones(mdef, &m->phones, &what)) return *why = mdef + ": " + what, false;
    m->feat_params = m->dir + "/feat.params";
    if (engine::is_regular_file(m->feat_params)) read_feat_params(m);
    else m->feat_params.clear();
    m->fillers = read_fillers(m->dir + "/noisedict");
    if (m->samprate < 8000 || m->samprate > 96000 || m->frate < 10 || m->frate > 1000)
        return *why = "implausible rates in " + m->feat_params, false;
    return true;
}

bool read_mdef_phones(const std::string &path, std::vector<std::string> *phones, std::string *why) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return *why = "cannot open", false;
    char magic[4] = {0};
    in.read(magic, 4);
    in.seekg(0);
    if (!is_binary_mdef(magic)) return read_text_mdef(in, phones, why);
    MdefBytes b;
    uint32_t counts[10];
    if (!b.load(path)) return *why = "cannot open", false;
    return read_mdef_head(&b, counts, phones, why);
}

int current_model_rate() { return g_model_rate; }

void set_current_model_rate(int samprate) { g_model_rate = samprate; }

}  // namespace engine
