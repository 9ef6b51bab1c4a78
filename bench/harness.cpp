// harness.cpp - the library and PocketSphinx, side by side.
#include "harness.h"

#include <sphinxbase/err.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace bench {

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

bool MakeData(const std::string &command) {
    printf("preparing data (cached after the first run): %s\n", command.c_str());
    fflush(stdout);
    return std::system(command.c_str()) == 0;
}

std::vector<std::vector<std::string>> ReadList(const std::string &path) {
    std::vector<std::vector<std::string>> out;
    std::ifstream in(path);
    std::string line, field;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream f(line);
        while (std::getline(f, field, '|')) fields.push_back(field);
        if (!fields.empty()) out.push_back(fields);
    }
    return out;
}

std::vector<short> ReadWav(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    char riff[12];
    if (!in.read(riff, 12) || memcmp(riff, "RIFF", 4) || memcmp(riff + 8, "WAVE", 4)) return {};
    char id[4];
    uint32_t size;
    while (in.read(id, 4) && in.read(reinterpret_cast<char *>(&size), 4)) {
        if (memcmp(id, "data", 4)) {
            in.seekg(size + (size & 1), std::ios::cur);
            continue;
        }
        std::vector<short> s(size / 2);
        in.read(reinterpret_cast<char *>(s.data()), static_cast<std::streamsize>(s.size() * 2));
        return s;
    }
    return {};
}

bool IsSilence(const std::string &name) { return name.empty() || name[0] == '<' || name[0] == '[' || name == "SIL"; }

static std::string Upper(std::string s) {
    for (char &c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return s;
}

static std::string Lower(std::string s) {
    for (char &c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

// ---- the library -------------------------------------------------------------

Library::Library(const std::string &workdir) {
    std::string conf = workdir + "/khapi.conf";
    std::ofstream out(conf);
    out << "MODEL1 = ENUS\nENUSMMF = " KILN_MODEL_DIR "/mdef\nENUSHMMLIST = " KILN_MODEL_DIR "/mdef\n"
        << "ENUSBKHMMNAME = SIL\nVOCAB1 = ENGLISH\nENGLISHMODEL = ENUS\nENGLISHDICT = " << workdir
        << "/english.dic\nSYSDICT = " BENCH_SYSDICT "\nFORCECASE = UPPER\nDEBUG = ERROR\nERRORLOG = " << workdir
        << "/khapi.log\nPHONECONF = TRUE\n";
    out.close();
    if (khSysInit(conf.c_str()) != 1) return;
    rec_ = khRecCreate();
}

KhSyntax Library::Syntax(const std::string &sentence) {
    auto it = syntaxes_.find(sentence);
    if (it != syntaxes_.end()) return it->second;
    std::string name = "S" + std::to_string(syntaxes_.size() + 1);
    KhSyntax s = khSyntaxCreate(name.c_str(), nullptr);
    if (s && khSyntaxAddOption(s, Upper(sentence).c_str()) != 1) s = nullptr;
    syntaxes_[sentence] = s;
    return s;
}

bool Library::Align(const std::string &wav, const std::string &sentence, bool details, std::vector<Word> *words) {
    words->clear();
    KhSyntax syn = Syntax(sentence);
    double t0 = Now();
    if (!syn || khRecPrepare(rec_, syn, wav.c_str(), nullptr) != 1) return false;
    bool ok = khRecDoWholeSent(rec_) == 1;
    decode_time_ = Now() - t0;
    int n = ok ? khRecGetWords(rec_, nullptr) : -1;
    for (int i = 1; i <= n && ok; i++) {
        char name[KH_MAX_TEXT];
        Word w;
        ok = khRecGetWordName(rec_, i, name) == 1 && khRecGetWordTimes(rec_, i, &w.start, &w.end) == 1;
        w.name = name;
        w.name = w.name.substr(0, w.name.find('_'));
        if (details && ok) {
            w.score = khRecGetWordScore(rec_, i, i);
            w.conf = khRecGetWordConf(rec_, i, i);
            char phones[KH_MAX_TEXT];
            int np = khRecGetPhones(rec_, i, phones);
            ok = np >= 0;
            for (int p = 1; p <= np && ok; p++) {
                Phone ph;
                ok = khRecGetPhone(rec_, i, p, name) > 0 && khRecGetPhoneTimes(rec_, i, p, &ph.start, &ph.end) == 1;
                ph.name = name;
                ph.score = khRecGetPhoneScore(rec_, i, p, p);
                ph.conf = khRecGetPhoneConf(rec_, i, p, p);
                if (khRecGetPhoneHeard(rec_, i, p, name) > 0) ph.heard = name;
                w.phones.push_back(ph);
            }
        }
        if (!IsSilence(w.name)) words->push_back(w);
    }
    total_time_ = Now() - t0;
    khRecFinalise(rec_);
    return ok;
}

// ---- PocketSphinx directly -----------------------------------------------------

static ps_decoder_t *NewDecoder(const char *dict) {
    cmd_ln_t *c = cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", KILN_MODEL_DIR, "-dict", dict, "-remove_silence", "no",
                              "-beam", "1e-48", "-pbeam", "1e-48", "-wbeam", "7e-29", nullptr);
    ps_decoder_t *ps = ps_init(c);
    cmd_ln_free_r(c);
    return ps;
}

Direct::Direct() {
    err_set_logfp(nullptr);
    std::ifstream in(KILN_CMUDICT);
    std::string line, phones_dict = std::string(BENCH_DATA) + "/phones.dict";
    std::ofstream pd(phones_dict);
    std::vector<std::string> seen;
    while (std::getline(in, line)) {
        size_t sp = line.find(' ');
        if (sp == std::string::npos) continue;
        std::string pron = line.substr(sp + 1);
        dict_[line.substr(0, sp)] = pron;
        std::istringstream f(pron);
        std::string p;
        while (f >> p)
            if (std::find(seen.begin(), seen.end(), p) == seen.end()) {
                seen.push_back(p);
                pd << "ph_" << Lower(p) << " " << p << "\n";
            }
    }
    pd.close();
    words_ = NewDecoder(KILN_CMUDICT);
    phones_ = NewDecoder(phones_dict.c_str());
}

Direct::~Direct() {
    if (words_) ps_free(words_);
    if (phones_) ps_free(phones_);
}

std::string Direct::Pronunciation(const std::string &word) const {
    auto it = dict_.find(word);
    return it == dict_.end() ? "" : it->second;
}

// Decodes a file against a one-option grammar; the segments, fillers too.
static std::vector<std::pair<std::string, std::pair<int, int>>> Decode(ps_decoder_t *ps, const std::string &wav,
                                                                       const std::string &option) {
    std::vector<short> s = ReadWav(wav);
    std::string gram = "#JSGF V1.0;\ngrammar g;\npublic <s> = " + option + ";\n";
    ps_set_jsgf_string(ps, "g", gram.c_str());
    ps_set_search(ps, "g");
    ps_start_utt(ps);
    ps_process_raw(ps, s.data(), s.size(), FALSE, TRUE);
    ps_end_utt(ps);
    std::vector<std::pair<std::string, std::pair<int, int>>> out;
    for (ps_seg_t *g = ps_seg_iter(ps); g; g = ps_seg_next(g)) {
        int sf, ef;
        ps_seg_frames(g, &sf, &ef);
        out.push_back({ps_seg_word(g), {sf, ef}});
    }
    return out;
}

std::vector<Word> Direct::Align(const std::string &wav, const std::string &sentence, std::vector<std::string> *prons) {
    std::vector<Word> words;
    prons->clear();
    for (const auto &seg : Decode(words_, wav, Lower(sentence))) {
        if (IsSilence(seg.first)) continue;
        Word w;
        w.name = Upper(seg.first.substr(0, seg.first.find('(')));
        w.start = seg.second.first * 0.01;
        w.end = (seg.second.second + 1) * 0.01;
        words.push_back(w);
        prons->push_back(Pronunciation(seg.first));
    }
    return words;
}

std::vector<Phone> Direct::AlignPhones(const std::string &wav, const std::vector<std::string> &prons) {
    std::string option;
    for (const auto &pron : prons) {
        std::istringstream f(pron);
        std::string p;
        while (f >> p) option += (option.empty() ? "ph_" : " ph_") + Lower(p);
    }
    std::vector<Phone> phones;
    for (const auto &seg : Decode(phones_, wav, option)) {
        if (seg.first.rfind("ph_", 0) != 0) continue;
        Phone p;
        p.name = Upper(seg.first.substr(3));
        p.start = seg.second.first * 0.01;
        p.end = (seg.second.second + 1) * 0.01;
        phones.push_back(p);
    }
    return phones;
}

double Auc(const std::vector<double> &high, const std::vector<double> &low) {
    if (high.empty() || low.empty()) return -1;
    double wins = 0;
    for (double h : high)
        for (double l : low) wins += h > l ? 1.0 : h == l ? 0.5 : 0.0;
    return wins / (static_cast<double>(high.size()) * low.size());
}

}  // namespace bench
