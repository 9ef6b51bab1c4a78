// bench_network.cpp - building networks of syntaxes that include another
// twice, level after level: N(0) = [go | forward | ten | meters] (or the
// choice without brackets), N(d) = $N(d-1) $N(d-1).  Each level doubles
// what the syntax says, so a build that grows with the graph takes about
// twice as long and holds twice the transitions per level.  Prints the
// sizes and the ratios to the level before; asserts nothing.
#include "hapi.h"
#include "network/network.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kMdef = std::string(ENGINE_MODEL_DIR) + "/mdef";

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

long peak_kb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return atol(line.c_str() + 6);
    return 0;
}

class Nested {
public:
    explicit Nested(hapiDictObject dict) : dict_(dict) {
        const std::pair<const char *, const char *> words[] = {
            {"GO", "G OW"}, {"FORWARD", "F AO R W ER D"}, {"TEN", "T EH N"}, {"METERS", "M IY T ER Z"}};
        for (auto [word, pron] : words) words_.push_back(hapiDictAddItem(dict, word, pron, nullptr));
    }
    ~Nested() {
        for (auto l = lats_.rbegin(); l != lats_.rend(); ++l) hapiDeleteLatObject(*l);
    }

    // The recognition grammar around N(depth), as the library makes it.
    hapiLatObject grammar(int depth, bool optional) {
        hapiLatObject g = lattice();
        int sil = hapiDictWordId(dict_, "<s>");
        int a = hapiLatAddNode(g, sil, 0), m = hapiLatAddSublatNode(g, nested(depth, optional));
        int b = hapiLatAddNode(g, sil, 0);
        hapiLatAddArc(g, a, m);
        hapiLatAddArc(g, m, b);
        hapiLatFinalise(g, 0, 0);
        return g;
    }

private:
    hapiLatObject lattice() {
        lats_.push_back(hapiCreateLatObject(dict_, "B"));
        hapiLatModify(lats_.back());
        return lats_.back();
    }

    hapiLatObject nested(int depth, bool optional) {
        hapiLatObject sub = depth > 0 ? nested(depth - 1, optional) : nullptr;
        hapiLatObject l = lattice();
        int s = hapiLatAddNode(l, 1, 0), e = hapiLatAddNode(l, 1, 0);
        if (sub) {
            int a = hapiLatAddSublatNode(l, sub), b = hapiLatAddSublatNode(l, sub);
            hapiLatAddArc(l, s, a);
            hapiLatAddArc(l, a, b);
            hapiLatAddArc(l, b, e);
        } else {
            for (int w : words_) {
                int n = hapiLatAddNode(l, w, 1);
                hapiLatAddArc(l, s, n);
                hapiLatAddArc(l, n, e);
            }
            if (optional) hapiLatAddArc(l, s, e);
        }
        hapiLatFinalise(l, 0, 0);
        return l;
    }

    hapiDictObject dict_;
    std::vector<int> words_;
    std::vector<hapiLatObject> lats_;
};

void levels(hapiHMMSetObject hmms, hapiDictObject dict, Nested *syntax, bool optional, int from, int to) {
    printf("\n%s choice, levels %d-%d (ratios to the level before; peak: the process's so far):\n",
           optional ? "optional" : "plain", from, to);
    printf("  level  build s  ratio  states  word trans  ratio  peak MB\n");
    double last_time = 0.0;
    size_t last_words = 0;
    for (int d = from; d <= to; d++) {
        hapiLatObject g = syntax->grammar(d, optional);
        fflush(stdout);  // before the engine's note, if it refuses
        double t0 = now();
        hapiNetObject net = hapiBuildNetObject(HAPI_NETWORK_KIND, hmms, dict, g);
        double t = now() - t0;
        if (!net) {
            printf("  %5d  %7.3f  refused                              %7ld\n", d, t, peak_kb() / 1024);
            continue;
        }
        size_t words = 0;
        for (const auto &tr : net->grammar->trans) words += tr.pron >= 0;
        printf("  %5d  %7.3f  %5.2f  %6d  %10zu  %5.2f  %7ld\n", d, t, last_time > 0.0 ? t / last_time : 0.0,
               net->grammar->nstates, words, last_words ? double(words) / double(last_words) : 0.0, peak_kb() / 1024);
        last_time = t, last_words = words;
        hapiDeleteNetObject(net);
    }
}

}  // namespace

int main() {
    for (const char *key : {"MMF", "HMMLIST", "AdultMMF"}) hapiOverrideConfStr(key, kMdef.c_str());
    hapiOverrideConfStr("BKHMMNAME", "SIL");
    hapiHMMSetObject hmms = hapiCreateHMMSetObject();
    if (!hmms || hapiHMMSetInitialise(hmms) < 0) return fprintf(stderr, "no model\n"), 1;
    hapiDictObject dict = hapiCreateDictObject();
    hapiDictModify(dict);
    hapiDictAddItem(dict, "<s>", "SIL", nullptr);
    {
        Nested syntax(dict);
        levels(hmms, dict, &syntax, false, 8, 16);
        levels(hmms, dict, &syntax, true, 8, 16);
        // Past the most transitions a network may have: refused at once.
        levels(hmms, dict, &syntax, true, 40, 40);
    }
    hapiDeleteDictObject(dict);
    hapiDeleteHMMSetObject(hmms);
    return 0;
}
