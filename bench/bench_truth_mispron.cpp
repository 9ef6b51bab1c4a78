// bench_truth_mispron.cpp - how well phone and word scores and
// confidences tell a substituted phone from the right one: sentences
// spoken twice by a synthesiser, right and with one phone of one word
// replaced by one learners confuse it with, each aligned against the
// sentence as written.  Prints the area under the ROC curve (1: the right
// twin always scores higher; 0.5: chance); asserts nothing.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "harness.h"

using namespace bench;

namespace {

struct Measures {
    double phone_conf, phone_score, word_conf, word_score;
    std::string meant, heard;
};

// The measures of the target word and phone, false when the alignment
// did not give the word with the dictionary's phones.
bool Measure(Library &lib, const std::string &wav, const std::string &sentence, const std::string &word, int pos,
             Measures *m) {
    std::vector<Word> words;
    if (!lib.Align(wav, sentence, true, &words)) return false;
    for (const Word &w : words) {
        if (w.name != word || pos > static_cast<int>(w.phones.size())) continue;
        const Phone &p = w.phones[pos - 1];
        *m = {p.conf, p.score, w.conf, w.score, p.name, p.heard};
        return true;
    }
    return false;
}

// The table of one kind of twins, made by `script` into `data`.
bool Table(Library &lib, const char *kind, const std::string &script, const std::string &data,
           const std::string &sentences = "") {
    if (!MakeData("sh " BENCH_SOURCE "/" + script + " " BENCH_SOURCE " " KILN_CMUDICT " " + data + " " + sentences))
        return false;
    auto list = ReadList(data + "/list");
    printf("%zu pairs (%s, two voices): AUC of the right twin over the substituted one\n", list.size(), kind);
    printf("  %-7s %6s %11s %11s %10s %10s %13s %12s\n", "", "pairs", "phone conf", "phone score", "word conf",
           "word score", "heard: right", "substituted");
    for (const char *condition : {"", "-10dB"}) {
        std::vector<double> right[4], wrong[4];
        int used = 0, right_heard = 0, said_heard = 0;
        double time = 0;
        for (const auto &item : list) {
            Measures r, w;
            std::string stem = data + "/" + item[0];
            double t0 = Now();
            bool ok = Measure(lib, stem + "-right" + condition + ".wav", item[1], item[2], atoi(item[3].c_str()), &r) &&
                Measure(lib, stem + "-wrong" + condition + ".wav", item[1], item[2], atoi(item[3].c_str()), &w);
            time += Now() - t0;
            if (!ok) continue;
            used++;
            right_heard += r.heard == r.meant;
            said_heard += w.heard == item[4];
            double rv[4] = {r.phone_conf, r.phone_score, r.word_conf, r.word_score};
            double wv[4] = {w.phone_conf, w.phone_score, w.word_conf, w.word_score};
            for (int k = 0; k < 4; k++)
                if (rv[k] != KH_FLOAT_FAIL && wv[k] != KH_FLOAT_FAIL) {
                    right[k].push_back(rv[k]);
                    wrong[k].push_back(wv[k]);
                }
        }
        printf("  %-7s %6d", *condition ? condition + 1 : "clean", used);
        for (int k = 0; k < 4; k++) {
            double auc = Auc(right[k], wrong[k]);
            if (auc < 0) printf(" %*s", k == 1 ? 11 : k == 0 ? 11 : 10, "n/a");
            else printf(" %*.3f", k == 1 ? 11 : k == 0 ? 11 : 10, auc);
        }
        printf(" %12.0f%% %11.0f%%   (%.2f s)\n", 100.0 * right_heard / std::max(used, 1),
               100.0 * said_heard / std::max(used, 1), time);
    }
    return true;
}

}  // namespace

int main() {
    Library lib(BENCH_DATA);
    if (!lib.ok()) {
        fprintf(stderr, "the library did not start\n");
        return 1;
    }
    std::string data = BENCH_DATA;
    if (!Table(lib, "festival, recorded phones", "make_festival_mispron.sh", data + "/mispron-festival") ||
        !Table(lib, "festival, held out: sentences no figure was set on", "make_festival_mispron.sh",
               data + "/mispron-heldout", "mispronunciations_heldout.txt") ||
        !Table(lib, "espeak-ng, formant phones", "make_mispron.sh", data + "/mispron"))
        return 1;
    printf(
        "pairs: those whose target word was aligned with the dictionary's phones in both twins; n/a: not\n"
        "provided; 10dB: white noise (festival), pink noise (espeak-ng); heard: the right twin's phone heard\n"
        "as itself, the substituted twin's heard as the phone said instead.\n");
    return 0;
}
