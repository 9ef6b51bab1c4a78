// bench_f0.cpp - the engine's F0 track against Praat's (default settings,
// 75-600 Hz) on the packaged recordings, on synthetic speech and on a
// voice of known contour.  Per file: the share of frames on which both
// agree whether the frame is voiced, and the gross pitch errors (more than
// 20% off Praat) among the frames both call voiced; for the tracker before
// (the first autocorrelation picker, kept here as the baseline) and after.
// Prints figures; asserts nothing.
#include "hapi.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/fe.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string kData = ENGINE_TESTDATA;
const int kRate = 16000, kStep = 160;

std::string here() {
    std::string f = __FILE__;
    return f.substr(0, f.rfind('/') + 1);
}

// The first tracker: the highest normalised autocorrelation over 60-400 Hz,
// voiced above 0.5 and 30 dB.
float baseline_frame(const short *s, int n, int centre, int rate) {
    int max_lag = rate / 60, min_lag = rate / 400, len = 2 * max_lag;
    int from = std::max(0, centre - len / 2);
    if (from + len + max_lag > n) return 0.0f;
    double energy = 0.0;
    for (int i = 0; i < len; i++) energy += static_cast<double>(s[from + i]) * s[from + i];
    if (10.0 * log10(energy / len + 1.0) < 30.0) return 0.0f;
    double best = 0.0;
    int best_lag = 0;
    for (int lag = min_lag; lag <= max_lag; lag++) {
        double xy = 0.0, yy = 0.0;
        for (int i = 0; i < len; i++) {
            double y = s[from + i + lag];
            xy += s[from + i] * y;
            yy += y * y;
        }
        double r = yy > 0 ? xy / sqrt(energy * yy) : 0.0;
        if (r > best) best = r, best_lag = lag;
    }
    return best >= 0.5 ? static_cast<float>(rate) / best_lag : 0.0f;
}

std::vector<float> baseline(const std::vector<short> &s) {
    int n = static_cast<int>(s.size());
    std::vector<float> t((n + kStep - 1) / kStep);
    for (size_t k = 0; k < t.size(); k++)
        t[k] = baseline_frame(s.data(), n, static_cast<int>(k) * kStep + kStep / 2, kRate);
    return t;
}

// The samples of a file as the engine's coder delivers them (16 kHz).
std::vector<short> engine_samples(const std::string &path, hapiCoderObject *coder_out, hapiSourceObject *src_out) {
    hapiSourceObject src = hapiCreateSourceObject(1);
    hapiSourceOverrideFilename(src, path.c_str());
    std::vector<short> s;
    if (hapiSourceInitialise(src) < 0) return hapiDeleteSourceObject(src), s;
    hapiCoderObject coder = hapiCreateCoderObject(src);
    if (hapiCoderInitialise(coder, "Bench") < 0 || hapiCoderPrepare(coder) < 0) {
        hapiDeleteCoderObject(coder);
        hapiDeleteSourceObject(src);
        return s;
    }
    int n = hapiCoderAccessWave(coder, 1, -1, nullptr);
    s.resize(n > 0 ? n : 0);
    if (n > 0) hapiCoderAccessWave(coder, 1, -1, s.data());
    *coder_out = coder, *src_out = src;
    return s;
}

void write_wav(const std::string &path, const std::vector<short> &s) {
    auto le = [](std::ofstream &o, unsigned v, int bytes) {
        for (int i = 0; i < bytes; i++) o.put(static_cast<char>((v >> (8 * i)) & 0xff));
    };
    std::ofstream o(path, std::ios::binary);
    unsigned data = static_cast<unsigned>(2 * s.size());
    o.write("RIFF", 4), le(o, 36 + data, 4), o.write("WAVEfmt ", 8), le(o, 16, 4), le(o, 1, 2), le(o, 1, 2);
    le(o, kRate, 4), le(o, 2 * kRate, 4), le(o, 2, 2), le(o, 16, 2), o.write("data", 4), le(o, data, 4);
    o.write(reinterpret_cast<const char *>(s.data()), data);
}

// Praat's track of the samples, as (time, Hz) per Praat frame.
struct Reference {
    double first = 0;
    std::vector<float> f0;
};

bool praat_track(const std::vector<short> &s, const std::string &scratch, Reference *ref) {
    write_wav(scratch, s);
    std::string cmd = "praat --run '" + here() + "f0_praat.praat' '" + scratch + "' 2>/dev/null";
    FILE *p = popen(cmd.c_str(), "r");
    if (!p) return false;
    double t, f;
    bool first = true;
    while (fscanf(p, "%lf %lf", &t, &f) == 2) {
        if (first) ref->first = t, first = false;
        ref->f0.push_back(static_cast<float>(f));
    }
    return pclose(p) == 0 && !ref->f0.empty();
}

struct Agreement {
    int frames = 0, agree = 0, both = 0, gross = 0;
    void add(const Agreement &o) { frames += o.frames, agree += o.agree, both += o.both, gross += o.gross; }
    double voicing() const { return frames ? 100.0 * agree / frames : 0; }
    double gpe() const { return both ? 100.0 * gross / both : 0; }
};

// Praat's track on our frames: frame k is centred on (k + 0.5) x 10 ms and
// takes the Praat frame nearest in time; -1 where Praat has none.
std::vector<float> on_our_frames(const Reference &ref, size_t frames) {
    std::vector<float> out(frames, -1.0f);
    for (size_t k = 0; k < frames; k++) {
        long i = lround(((k * kStep + kStep / 2.0) / kRate - ref.first) / 0.01);
        if (i >= 0 && i < static_cast<long>(ref.f0.size())) out[k] = ref.f0[i];
    }
    return out;
}

Agreement compare(const std::vector<float> &ours, const std::vector<float> &ref) {
    Agreement a;
    for (size_t k = 0; k < ours.size() && k < ref.size(); k++) {
        if (ref[k] < 0) continue;
        bool v1 = ours[k] > 0, v2 = ref[k] > 0;
        a.frames++;
        a.agree += v1 == v2;
        if (v1 && v2) a.both++, a.gross += std::fabs(ours[k] - ref[k]) > 0.2 * ref[k];
    }
    return a;
}

// A vowel-like voice whose F0 is known at every sample: harmonics under two
// formants, with silence and a voiceless hiss around it.  Its true track is
// left in `truth` (0 where unvoiced).
std::vector<short> synthetic_voice(std::vector<float> *truth) {
    std::vector<short> s;
    auto contour = [](double u, int part) {  // u in [0, 1) through a voiced stretch
        return part == 0 ? 110 + 60 * sin(M_PI * u) + 10 * u : 190 - 70 * u;
    };
    srand(7);
    auto noise = [] { return (rand() / (double)RAND_MAX - 0.5); };
    auto silence = [&](double secs) {
        for (int i = 0; i < secs * kRate; i++) s.push_back(static_cast<short>(30 * noise()));
    };
    auto voiced = [&](double secs, int part) {
        double phase = 0;
        int n = static_cast<int>(secs * kRate);
        for (int i = 0; i < n; i++) {
            double f0 = contour(static_cast<double>(i) / n, part), v = 0;
            phase += 2 * M_PI * f0 / kRate;
            for (int h = 1; h * f0 < 4000; h++) {
                double f = h * f0;
                double env = 1.0 / (1 + pow((f - 700) / 150, 2)) + 0.6 / (1 + pow((f - 1200) / 200, 2)) + 0.05;
                v += env * sin(h * phase) / sqrt(h);
            }
            double ramp = std::min(1.0, std::min(i, n - i) / 400.0);
            s.push_back(static_cast<short>(6000 * ramp * v + 30 * noise()));
        }
    };
    auto hiss = [&](double secs) {
        double prev = 0;
        for (int i = 0; i < secs * kRate; i++) {
            double w = noise();
            s.push_back(static_cast<short>(4000 * (w - prev)));
            prev = w;
        }
    };
    silence(0.3), voiced(0.8, 0), hiss(0.15), voiced(0.6, 1), silence(0.3);
    // The true track per 10 ms frame, from the same pieces.
    truth->assign((s.size() + kStep - 1) / kStep, 0.0f);
    struct Piece {
        double from, secs;
        int part;
    };
    for (Piece p : {Piece{0.3, 0.8, 0}, Piece{1.25, 0.6, 1}})
        for (size_t k = 0; k < truth->size(); k++) {
            double t = (k * kStep + kStep / 2.0) / kRate, u = (t - p.from) / p.secs;
            if (u > 0.03 && u < 0.97) (*truth)[k] = static_cast<float>(contour(u, p.part));
        }
    return s;
}

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// Seconds PocketSphinx's own front end (the cepstra every recognition
// computes) takes over the samples: the yardstick for the tracker's cost.
double front_end_seconds(const std::vector<short> &s) {
    err_set_logfp(nullptr);
    cmd_ln_t *config = cmd_ln_init(nullptr, ps_args(), TRUE, "-samprate", "16000", nullptr);
    fe_t *fe = fe_init_auto_r(config);
    if (!fe) return 0;
    double t0 = now();
    int nframes = 0;
    size_t n = s.size();
    fe_process_frames(fe, nullptr, &n, nullptr, &nframes, nullptr);
    mfcc_t **cep = (mfcc_t **)ckd_calloc_2d(nframes + 2, fe_get_output_size(fe), sizeof(mfcc_t));
    const short *p = s.data();
    n = s.size();
    int got = nframes + 2;
    fe_start_utt(fe);
    fe_process_frames(fe, &p, &n, cep, &got, nullptr);
    double t = now() - t0;
    ckd_free_2d(cep);
    fe_free(fe);
    cmd_ln_free_r(config);
    return t;
}

struct Row {
    std::string name;
    Agreement before, after;
};

void print(const Row &r) {
    printf("%-44s %6d  %7.1f%%  %6.1f%%   %7.1f%%  %6.1f%%\n", r.name.c_str(), r.after.frames, r.before.voicing(),
           r.before.gpe(), r.after.voicing(), r.after.gpe());
}

}  // namespace

int main() {
    const std::string mdef = std::string(ENGINE_MODEL_DIR) + "/mdef";
    hapiOverrideConfStr("BenchMMF", mdef.c_str());
    char dir_tmpl[] = "/tmp/bench-f0-XXXXXX";
    if (!mkdtemp(dir_tmpl)) return 1;
    const std::string dir = dir_tmpl, scratch = dir + "/frames.wav";

    std::vector<std::string> files = {kData + "/goforward.raw"};
    for (int i = 1; i <= 5; i++) files.push_back(kData + "/cards/00" + std::to_string(i) + ".wav");
    for (const char *f : {"0870", "0880", "0890", "0920", "0930"})
        files.push_back(kData + "/librivox/sense_and_sensibility_01_austen_64kb-" + f + ".wav");
    // Synthetic speech from espeak-ng, a statement and a question.
    const char *sentences[] = {"The train leaves the station at nine o'clock.", "Are you coming with us tomorrow?"};
    for (int i = 0; i < 2; i++) {
        std::string wav = dir + "/espeak" + std::to_string(i) + ".wav";
        std::string cmd = "espeak-ng -w '" + wav + "' \"" + sentences[i] + "\" 2>/dev/null";
        if (system(cmd.c_str()) == 0) files.push_back(wav);
    }

    printf("F0 track against Praat (75-600 Hz): voicing agreement and gross pitch errors (>20%% off)\n");
    printf("%-44s %6s  %8s  %7s   %8s  %7s\n", "file", "frames", "before", "", "after", "");
    printf("%-44s %6s  %8s  %7s   %8s  %7s\n", "", "", "voicing", "gross", "voicing", "gross");
    Row total{"all files", {}, {}};
    double f0_seconds = 0, fe_seconds = 0;
    for (const std::string &path : files) {
        hapiCoderObject coder = nullptr;
        hapiSourceObject src = nullptr;
        std::vector<short> s = engine_samples(path, &coder, &src);
        Reference ref;
        if (s.empty() || !praat_track(s, scratch, &ref)) {
            printf("%-44s cannot be read or analysed\n", path.c_str());
            continue;
        }
        std::vector<float> after(hapiCoderGetF0Track(coder, s.data(), static_cast<int>(s.size()), nullptr));
        double t0 = now();
        hapiCoderGetF0Track(coder, s.data(), static_cast<int>(s.size()), after.data());
        f0_seconds += now() - t0;
        fe_seconds += front_end_seconds(s);
        hapiDeleteCoderObject(coder);
        hapiDeleteSourceObject(src);
        std::vector<float> praat = on_our_frames(ref, after.size());
        Row r{path.substr(path.rfind('/') + 1), compare(baseline(s), praat), compare(after, praat)};
        print(r);
        total.before.add(r.before), total.after.add(r.after);
    }

    // The voice of known contour, against Praat and against its own truth.
    std::vector<float> truth;
    std::vector<short> s = synthetic_voice(&truth);
    std::string path = dir + "/known.wav";
    write_wav(path, s);
    hapiCoderObject coder = nullptr;
    hapiSourceObject src = nullptr;
    std::vector<short> coded = engine_samples(path, &coder, &src);
    Reference ref;
    if (!coded.empty() && praat_track(coded, scratch, &ref)) {
        std::vector<float> after(hapiCoderGetF0Track(coder, coded.data(), static_cast<int>(coded.size()), nullptr));
        hapiCoderGetF0Track(coder, coded.data(), static_cast<int>(coded.size()), after.data());
        std::vector<float> praat = on_our_frames(ref, after.size()), before = baseline(coded);
        Row r{"known contour (110-180-120, 190-120 Hz)", compare(before, praat), compare(after, praat)};
        print(r);
        total.before.add(r.before), total.after.add(r.after);
        print(Row{"  the same against its true track", compare(before, truth), compare(after, truth)});
        Agreement praat_truth = compare(praat, truth);
        printf("  Praat against the true track: voicing %.1f%%, gross %.1f%%\n", praat_truth.voicing(),
               praat_truth.gpe());
    }
    hapiDeleteCoderObject(coder);
    hapiDeleteSourceObject(src);
    print(total);
    if (fe_seconds > 0)
        printf("\nF0 track of the recordings: %.1f times the time of PocketSphinx's front end on them\n",
               f0_seconds / fe_seconds);

    unlink(scratch.c_str());
    for (int i = 0; i < 2; i++) unlink((dir + "/espeak" + std::to_string(i) + ".wav").c_str());
    unlink(path.c_str());
    rmdir(dir.c_str());
    return 0;
}
