// bench_dict - how fast the engine loads the packaged US English
// dictionary and looks words up in it, next to PocketSphinx loading the
// same dictionary into a decoder (ps_load_dict).
//
// Usage: bench_dict [dictionary] [rounds]
#include "hapi.h"

#include <pocketsphinx.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One engine load; answers its time in ms, or -1.
double engine_load(const char *path, hapiDictObject *keep) {
    auto t0 = Clock::now();
    hapiDictObject d = hapiCreateDictObject();
    if (!d || hapiDictOverrideFileName(d, path) < 0 || hapiDictInitialise(d) < 0) return -1;
    double ms = ms_since(t0);
    if (keep && !*keep) *keep = d;
    else hapiDeleteDictObject(d);
    return ms;
}

// Nanoseconds per hapiDictWordId of a word present, over random words.
double lookup_ns(hapiDictObject d) {
    int n = hapiDictNumWords(d);
    std::vector<std::string> names;
    std::mt19937 rng(7);
    char buf[HAPI_MAX_NAME];
    for (int i = 0; i < 4096; i++) {
        hapiDictWordName(d, 1 + static_cast<int>(rng() % static_cast<unsigned>(n)), buf);
        names.push_back(buf);
    }
    const int calls = 2000000;
    long found = 0;
    auto t0 = Clock::now();
    for (int i = 0; i < calls; i++) found += hapiDictWordId(d, names[i & 4095].c_str()) > 0;
    double ns = ms_since(t0) * 1e6 / calls;
    if (found != calls) fprintf(stderr, "lookup missed %ld words\n", calls - found);
    return ns;
}

// PocketSphinx's own load of the same file into a decoder on the packaged
// model; answers the median time in ms, or -1.
double pocketsphinx_load(const char *path, int rounds) {
    cmd_ln_t *config =
        cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", ENGINE_MODEL_DIR, "-dict", path, "-logfn", "/dev/null", nullptr);
    if (!config) return -1;
    ps_decoder_t *ps = ps_init(config);
    if (!ps) return cmd_ln_free_r(config), -1;
    std::vector<double> times;
    for (int i = 0; i < rounds; i++) {
        auto t0 = Clock::now();
        if (ps_load_dict(ps, path, nullptr, nullptr) < 0) break;
        times.push_back(ms_since(t0));
    }
    ps_free(ps);
    cmd_ln_free_r(config);
    return times.empty() ? -1 : median(times);
}

}  // namespace

int main(int argc, char **argv) {
    const char *path = argc > 1 ? argv[1] : ENGINE_CMUDICT;
    int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 7;

    hapiDictObject dict = nullptr;
    std::vector<double> times;
    for (int i = 0; i < rounds; i++) {
        double ms = engine_load(path, &dict);
        if (ms < 0) {
            fprintf(stderr, "bench_dict: the engine cannot load %s\n", path);
            return 1;
        }
        times.push_back(ms);
    }
    double ours = median(times);
    double ns = lookup_ns(dict);
    printf("dictionary: %s (%d words)\n", path, hapiDictNumWords(dict) - 1);
    printf("engine load (hapiDictInitialise), median of %d: %8.2f ms\n", rounds, ours);
    printf("engine word lookup (hapiDictWordId):       %8.1f ns\n", ns);
    hapiDeleteDictObject(dict);

    double theirs = pocketsphinx_load(path, rounds);
    if (theirs < 0) {
        printf("PocketSphinx ps_load_dict: could not run\n");
        return 1;
    }
    printf("PocketSphinx load (ps_load_dict), median:  %8.2f ms\n", theirs);
    printf("ratio PocketSphinx / engine:               %8.2f\n", theirs / ours);
    return 0;
}
