// bench_truth_align.cpp - word and phone times against the known segment
// times of synthetic speech, clean and in noise, for the library and for
// PocketSphinx used directly on the same files and grammars.  Prints
// figures side by side; asserts nothing.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "harness.h"

using namespace bench;

namespace {

// The words of an utterance with their phones, from the synthesiser's
// segments; silences are left out.
std::vector<Word> ReadTruth(const std::string &path) {
    std::vector<Word> words;
    std::ifstream in(path);
    std::string line;
    std::string last;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        Phone p;
        std::string word;
        f >> p.start >> p.end >> p.name >> word;
        if (word == "-") {
            last.clear();
            continue;
        }
        if (word != last) {
            words.push_back(Word{word, p.start, p.end, 0, 0, {}});
            last = word;
        }
        words.back().end = p.end;
        words.back().phones.push_back(p);
    }
    return words;
}

struct Tally {
    std::vector<double> starts, ends, phones;  // signed errors, seconds
    int empty = 0, wrong = 0, utterances = 0, words_without_phones = 0;
    double time = 0, total_time = 0;

    void Words(const std::vector<Word> &truth, const std::vector<Word> &hyp) {
        utterances++;
        if (hyp.empty()) {
            empty++;
            return;
        }
        if (hyp.size() != truth.size()) {
            wrong++;
            return;
        }
        for (size_t i = 0; i < hyp.size(); i++) {
            starts.push_back(hyp[i].start - truth[i].start);
            ends.push_back(hyp[i].end - truth[i].end);
            Phones(truth[i].phones, hyp[i].phones);
        }
    }
    // Phone boundaries of one word, when both spell it the same way.
    void Phones(const std::vector<Phone> &truth, const std::vector<Phone> &hyp) {
        bool same = truth.size() == hyp.size();
        for (size_t i = 0; same && i < hyp.size(); i++) same = truth[i].name == hyp[i].name;
        if (!same) {
            words_without_phones++;
            return;
        }
        for (size_t i = 0; i < hyp.size(); i++) {
            phones.push_back(hyp[i].start - truth[i].start);
            phones.push_back(hyp[i].end - truth[i].end);
        }
    }
};

double Mean(const std::vector<double> &v, bool absolute) {
    double s = 0;
    for (double x : v) s += absolute ? fabs(x) : x;
    return v.empty() ? 0 : s / v.size();
}

double Within(const std::vector<double> &v, double limit) {
    int n = 0;
    for (double x : v) n += fabs(x) <= limit + 1e-9;
    return v.empty() ? 0 : 100.0 * n / v.size();
}

void Print(const char *condition, const Tally &lib, const Tally &ps) {
    std::vector<double> lib_words = lib.starts, ps_words = ps.starts;
    lib_words.insert(lib_words.end(), lib.ends.begin(), lib.ends.end());
    ps_words.insert(ps_words.end(), ps.ends.begin(), ps.ends.end());
    auto row = [](const char *who, const Tally &t, const std::vector<double> &w) {
        printf("  %-13s %6.1f %+7.1f %+7.1f  %5.1f%% %5.1f%% %+6.1f  %4d/%-4d %7.3f %7.3f\n", who, 1000 * Mean(w, true),
               1000 * Mean(t.starts, false), 1000 * Mean(t.ends, false), Within(t.phones, 0.020),
               Within(t.phones, 0.050), 1000 * Mean(t.phones, false), t.empty, t.utterances, t.time, t.total_time);
    };
    printf("%s\n", condition);
    row("library", lib, lib_words);
    row("PocketSphinx", ps, ps_words);
    printf("  %-13s %6.2f %7s %7s  %6s %6s %6s  %9s %7.2f %7.2f\n", "ratio",
           Mean(lib_words, true) / Mean(ps_words, true), "", "", "", "", "", "", lib.time / ps.time,
           lib.total_time / ps.time);
    if (lib.wrong + ps.wrong)
        printf("  other words than the sentence's: library %d, PocketSphinx %d\n", lib.wrong, ps.wrong);
}

// The conditions named on the command line ("clean", "20dB", "10dB",
// "5dB"), all of them when none is named.
bool Wanted(const char *condition, int argc, char **argv) {
    for (int a = 1; a < argc; a++)
        if (std::string(condition) == argv[a]) return true;
    return argc < 2;
}

}  // namespace

int main(int argc, char **argv) {
    std::string data = std::string(BENCH_DATA) + "/truth";
    if (!MakeData("sh " BENCH_SOURCE "/make_truth.sh " BENCH_SOURCE " " + data)) return 1;
    auto list = ReadList(data + "/list");
    Library lib(BENCH_DATA);
    Direct ps;
    if (!lib.ok()) {
        fprintf(stderr, "the library did not start\n");
        return 1;
    }
    printf(
        "%zu recordings (the sentences by two festival voices); errors in ms against the synthesiser's segment times\n",
        list.size());
    printf("  %-13s %6s %7s %7s  %6s %6s %6s  %9s %7s %7s\n", "", "MAE", "start", "end", "ph20ms", "ph50ms", "ph off",
           "empty", "decode", "all");
    for (const char *condition : {"", "-20dB", "-10dB", "-5dB"}) {
        const char *name = *condition ? condition + 1 : "clean";
        if (!Wanted(name, argc, argv)) continue;
        Tally tl, tp;
        for (const auto &item : list) {
            std::string wav = data + "/" + item[0] + condition + ".wav";
            std::vector<Word> truth = ReadTruth(data + "/" + item[0] + ".seg");
            std::vector<Word> words;
            lib.Align(wav, item[1], true, &words);
            tl.time += lib.decode_time();
            tl.total_time += lib.total_time();
            tl.Words(truth, words);

            std::vector<std::string> prons;
            double t0 = Now();
            std::vector<Word> direct = ps.Align(wav, item[1], &prons);
            tp.time += Now() - t0;
            std::vector<Phone> phones = direct.empty() ? std::vector<Phone>() : ps.AlignPhones(wav, prons);
            tp.total_time += Now() - t0;
            for (size_t i = 0, k = 0; i < direct.size(); i++) {
                std::istringstream f(prons[i]);
                std::string p;
                while (f >> p && k < phones.size()) direct[i].phones.push_back(phones[k++]);
            }
            tp.Words(truth, direct);
        }
        Print(name, tl, tp);
    }
    printf(
        "MAE: mean absolute error of word starts and ends; start, end: mean signed error; ph20ms, ph50ms: phone\n"
        "boundaries within 20 and 50 ms; ph off: their mean signed error; decode: seconds to prepare and recognise\n"
        "(PocketSphinx: read, set the grammar, decode); all: with every word's score and confidence and every\n"
        "phone's times, score and confidence (PocketSphinx: with a second, phone-level decode); ratios against\n"
        "PocketSphinx's decode.\n");
    return 0;
}
