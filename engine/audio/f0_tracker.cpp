// f0_tracker.cpp - candidates from a normalised cross-correlation per frame,
// one path through them by dynamic programming.
#include "audio/f0_tracker.h"

#include <algorithm>
#include <cmath>

namespace pitch {

namespace {

struct Candidate {
    double f0;        // 0 for the unvoiced candidate
    double strength;  // higher is better
};

// The lags (in samples) of the search range, one beyond it at each end so
// that peaks at the range's edges are seen.
struct LagRange {
    int lo, hi;
};

// Mean-removed normalised correlation of the `width` samples from `a` with
// the `width` samples `lag` further on.
double nccf(const double *x, int a, int width, int lag) {
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    const double *p = x + a, *q = x + a + lag;
    for (int i = 0; i < width; i++) {
        sa += p[i], sb += q[i];
        saa += p[i] * p[i], sbb += q[i] * q[i], sab += p[i] * q[i];
    }
    double ma = sa / width, mb = sb / width;
    double vaa = saa - width * ma * ma, vbb = sbb - width * mb * mb, vab = sab - width * ma * mb;
    return vaa > 0 && vbb > 0 ? vab / std::sqrt(vaa * vbb) : 0.0;
}

// The periods found around `centre` in x[0..n), as (F0, correlation) pairs.
// A correlation peak counts as a period only where the correlation fell
// well below it at some shorter lag, which band-limited noise (ringing at
// a resonance) does not do.
std::vector<Candidate> periods(const double *x, int n, int centre, int rate, LagRange lags, int width,
                               const F0Settings &set) {
    std::vector<double> r(lags.hi + 1, 0.0);
    for (int lag = 1; lag <= lags.hi; lag++) {
        int a = centre - (width + lag) / 2;
        if (a >= 0 && a + lag + width <= n) r[lag] = nccf(x, a, width, lag);
    }
    std::vector<Candidate> out;
    double dip = 1.0;
    for (int lag = 2; lag < lags.hi; lag++) {
        dip = std::min(dip, r[lag - 1]);
        if (lag < lags.lo || !(r[lag] > r[lag - 1] && r[lag] >= r[lag + 1])) continue;
        if (r[lag] < 0.5 * set.voicing_threshold || dip > set.period_dip) continue;
        // A parabola through the peak and its neighbours places it between lags.
        double denom = r[lag - 1] - 2 * r[lag] + r[lag + 1];
        double shift = denom < 0 ? 0.5 * (r[lag - 1] - r[lag + 1]) / denom : 0.0;
        double peak = std::min(1.0, r[lag] - 0.25 * (r[lag - 1] - r[lag + 1]) * shift);
        double f0 = rate / (lag + shift);
        if (f0 >= set.floor_hz && f0 <= set.ceiling_hz) out.push_back({f0, peak});
    }
    return out;
}

LagRange lag_range(int rate, const F0Settings &set) {
    return {std::max(2, static_cast<int>(std::floor(rate / set.ceiling_hz)) - 1),
            static_cast<int>(std::ceil(rate / set.floor_hz)) + 1};
}

// One period of the lowest pitch: every candidate period fits the window.
int window_width(int rate, const F0Settings &set) { return static_cast<int>(std::ceil(rate / set.floor_hz)); }

// The candidates of the frame centred on `centre`: the unvoiced one first,
// then the strongest periods, higher ones favoured a little.
std::vector<Candidate> frame_candidates(const std::vector<double> &x, int centre, int rate, double global_peak,
                                        const F0Settings &set) {
    const int n = static_cast<int>(x.size()), width = window_width(rate, set);
    // How loud the frame is against the loudest part of the signal.
    int from = std::max(0, centre - width), to = std::min(n, centre + width);
    double local_peak = 0;
    for (int i = from; i < to; i++) local_peak = std::max(local_peak, std::fabs(x[i]));
    double level = global_peak > 0 ? local_peak / global_peak : 0;
    double unvoiced =
        set.voicing_threshold + std::max(0.0, 2.0 - level / (set.silence_threshold / (1.0 + set.voicing_threshold)));
    std::vector<Candidate> out{{0.0, unvoiced}};
    if (local_peak == 0) return out;
    for (Candidate c : periods(x.data(), n, centre, rate, lag_range(rate, set), width, set))
        out.push_back({c.f0, c.strength + set.octave_cost * std::log2(c.f0 / set.floor_hz)});
    if (static_cast<int>(out.size()) > set.max_candidates + 1) {
        std::partial_sort(out.begin() + 1, out.begin() + 1 + set.max_candidates, out.end(),
                          [](const Candidate &p, const Candidate &q) { return p.strength > q.strength; });
        out.resize(set.max_candidates + 1);
    }
    return out;
}

double transition_cost(const Candidate &from, const Candidate &to, const F0Settings &set) {
    bool v1 = from.f0 > 0, v2 = to.f0 > 0;
    if (!v1 && !v2) return 0.0;
    if (v1 != v2) return set.voiced_unvoiced_cost;
    return set.octave_jump_cost * std::fabs(std::log2(from.f0 / to.f0));
}

// The path through the frames' candidates with the greatest total strength
// less transition costs; the chosen candidate's index per frame.
std::vector<int> best_path(const std::vector<std::vector<Candidate>> &frames, const F0Settings &set) {
    std::vector<int> path(frames.size(), 0);
    if (frames.empty()) return path;
    std::vector<std::vector<int>> back(frames.size());
    std::vector<double> score;
    for (const Candidate &c : frames[0]) score.push_back(c.strength);
    for (size_t t = 1; t < frames.size(); t++) {
        std::vector<double> next(frames[t].size());
        back[t].assign(frames[t].size(), 0);
        for (size_t j = 0; j < frames[t].size(); j++) {
            double best = -1e300;
            for (size_t i = 0; i < frames[t - 1].size(); i++) {
                double s = score[i] - transition_cost(frames[t - 1][i], frames[t][j], set);
                if (s > best) best = s, back[t][j] = static_cast<int>(i);
            }
            next[j] = best + frames[t][j].strength;
        }
        score.swap(next);
    }
    path.back() = static_cast<int>(std::max_element(score.begin(), score.end()) - score.begin());
    for (size_t t = frames.size() - 1; t > 0; t--) path[t - 1] = back[t][path[t]];
    return path;
}

}  // namespace

std::vector<float> track_f0(const short *samples, int n, int rate, int step, const F0Settings &set) {
    if (n <= 0 || !samples || rate <= 0 || step <= 0) return {};
    const int frames = (n + step - 1) / step;
    double mean = 0;
    for (int i = 0; i < n; i++) mean += samples[i];
    mean /= n;
    std::vector<double> x(samples, samples + n);
    double global_peak = 0;
    for (double &v : x) v -= mean, global_peak = std::max(global_peak, std::fabs(v));

    std::vector<std::vector<Candidate>> cands(frames);
    for (int k = 0; k < frames; k++) cands[k] = frame_candidates(x, k * step + step / 2, rate, global_peak, set);
    std::vector<int> path = best_path(cands, set);
    std::vector<float> f0(frames);
    for (int k = 0; k < frames; k++) f0[k] = static_cast<float>(cands[k][path[k]].f0);
    return f0;
}

double periodicity(const short *samples, int n, int centre, int rate, const F0Settings &set) {
    LagRange lags = lag_range(rate, set);
    int width = window_width(rate, set);
    int from = std::max(0, centre - (width + lags.hi) / 2 - 1), to = std::min(n, centre + (width + lags.hi) / 2 + 1);
    if (to <= from) return 0.0;
    std::vector<double> x(samples + from, samples + to);
    double best = 0;
    for (Candidate c : periods(x.data(), to - from, centre - from, rate, lags, width, set))
        best = std::max(best, c.strength);
    return best;
}

}  // namespace pitch
