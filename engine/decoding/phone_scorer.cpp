// phone_scorer.cpp - scoring the model's states on stored frames, the way
// the decoder scores them.
//
// The features are the decoder's: the 13 cepstra, their deltas over two
// frames each side and the deltas of those, with the edge frames repeated
// as context.  Each state's likelihood is the mixture of its codebook's
// best Gaussians in each feature stream (the decoder keeps the best four
// too), weighted by the state's mixture weights, summed over the streams.
// A state's codebook is the model's only one, its phone's, or its own.
#include "decoding/phone_scorer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

const int kFeatureLength = 39;  // cepstra, deltas and double deltas
const int kTop = 4;             // Gaussians of each codebook a state mixes
const float kVarianceFloor = 1e-4f;
// Mixture weights are stored as negative logs in base 1.0001, shifted
// down by ten bits.
const double kWeightStep = -1024.0 * std::log(1.0001);
const uint32_t kByteOrder = 0x11223344;

bool read_u32(std::ifstream &in, uint32_t *v) { return static_cast<bool>(in.read(reinterpret_cast<char *>(v), 4)); }

// Skips the text header of a model parameter file ("s3", lines up to
// "endhdr") and checks its byte order mark.
bool open_params(std::ifstream &in) {
    std::string line;
    if (!std::getline(in, line) || line != "s3") return false;
    while (std::getline(in, line))
        if (line.find("endhdr") != std::string::npos) {
            uint32_t mark = 0;
            return read_u32(in, &mark) && mark == kByteOrder;
        }
    return false;
}

// A Gaussian parameter file: counts, stream lengths, then the values.
struct Gaussians {
    uint32_t books = 0, streams = 0, each = 0;
    std::vector<uint32_t> dims;
    std::vector<float> values;
};

bool read_gaussians(const std::string &path, Gaussians *g) {
    std::ifstream in(path, std::ios::binary);
    if (!in || !open_params(in) || !read_u32(in, &g->books) || !read_u32(in, &g->streams) || !read_u32(in, &g->each))
        return false;
    if (g->books == 0 || g->books > 100000 || g->streams == 0 || g->streams > 8 || g->each == 0 || g->each > 4096)
        return false;
    uint32_t total_dims = 0, count = 0;
    for (uint32_t f = 0; f < g->streams; f++) {
        uint32_t d = 0;
        if (!read_u32(in, &d) || d == 0 || d > kFeatureLength) return false;
        g->dims.push_back(d);
        total_dims += d;
    }
    if (total_dims != kFeatureLength || !read_u32(in, &count) || count != g->books * g->each * total_dims) return false;
    g->values.resize(count);
    return static_cast<bool>(in.read(reinterpret_cast<char *>(g->values.data()), count * sizeof(float)));
}

// The length-prefixed strings of a sendump header, up to the empty one.
bool sendump_header(std::ifstream &in, int *streams) {
    for (int n = 0; n < 1000; n++) {
        uint32_t len = 0;
        if (!read_u32(in, &len) || len > 4096) return false;
        if (len == 0) return true;
        std::string s(len, '\0');
        if (!in.read(&s[0], len)) return false;
        if (s.compare(0, 14, "feature_count ") == 0) *streams = atoi(s.c_str() + 14);
        if (s.compare(0, 14, "cluster_count ") == 0 && atoi(s.c_str() + 14) != 0) return false;
    }
    return false;
}

// Whether the model's features are the ones computed here: cepstra with
// deltas and double deltas, untransformed, in streams of consecutive
// dimensions.  False, with the reason, for others.
bool features_fit(const std::string &feat_params, const std::vector<int> &dims, std::string *why) {
    std::ifstream in(feat_params);
    std::string key, value;
    while (in >> key >> value) {
        if (key == "-feat" && value != "1s_c_d_dd")
            return *why = "features of type " + value + " are not scored", false;
        if (key == "-lda") return *why = "transformed features (-lda) are not scored", false;
        if (key != "-svspec") continue;
        // "0-12/13-25/26-38": each stream the next run of dimensions.
        std::istringstream runs(value);
        std::string run;
        int next = 0;
        size_t k = 0;
        for (; std::getline(runs, run, '/'); k++) {
            int a = -1, b = -1;
            if (sscanf(run.c_str(), "%d-%d", &a, &b) != 2 || a != next || k >= dims.size() || b - a + 1 != dims[k])
                return *why = "feature streams " + value + " are not scored", false;
            next = b + 1;
        }
        if (k != dims.size()) return *why = "feature streams " + value + " are not scored", false;
    }
    return true;
}

// The indices of the kTop highest densities, best first; how many there are.
int best_gaussians(const std::vector<float> &dens, uint16_t *top) {
    int n = 0;
    for (int g = 0; g < static_cast<int>(dens.size()); g++) {
        if (n == kTop && dens[g] <= dens[top[n - 1]]) continue;
        int i = n < kTop ? n++ : n - 1;
        for (; i > 0 && dens[top[i - 1]] < dens[g]; i--) top[i] = top[i - 1];
        top[i] = g;
    }
    return n;
}

// The log density of each of `n` Gaussians of `dims` dimensions at x:
// the decoder's most frequent sum, so compiled for the vector units the
// machine has where the platform can choose at run time.  The dynamic
// linker makes that choice before a sanitizer's run time is up, so the
// sanitizers' builds (and clang's, the fuzzers') go without it.
#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
__attribute__((target_clones("avx2", "default")))
#endif
void densities(const float *mean, const float *prec, const float *norm, const float *x, int dims, int n, float *dens) {
    for (int g = 0; g < n; g++) dens[g] = norm[g];
    for (int i = 0; i < dims; i++) {
        const float *m = mean + static_cast<size_t>(i) * n, *p = prec + static_cast<size_t>(i) * n;
        const float xi = x[i];
        for (int g = 0; g < n; g++) {
            float d = xi - m[g];
            dens[g] -= d * d * p[g];
        }
    }
}

}  // namespace

namespace engine {

PhoneScorer::PhoneScorer(const Model &m) : phones_(m.phones) {
    if (!read(m)) why_ = why_.empty() ? "cannot read the Gaussians of the model in " + m.dir : why_;
}

bool PhoneScorer::read(const Model &m) {
    const std::string &dir = m.dir;
    if (!triphones_.read(m.mdef, phones_, &why_)) return false;
    auto sil = std::find(phones_.begin(), phones_.end(), m.silence.empty() ? "SIL" : m.silence);
    silence_ = sil == phones_.end() ? 0 : static_cast<int>(sil - phones_.begin());
    Gaussians means, vars;
    if (!read_gaussians(dir + "/means", &means) || !read_gaussians(dir + "/variances", &vars) ||
        means.books != vars.books || means.streams != vars.streams || means.each != vars.each ||
        means.dims != vars.dims)
        return false;
    codebooks_ = static_cast<int>(means.books);
    streams_ = static_cast<int>(means.streams);
    gaussians_ = static_cast<int>(means.each);
    dims_.assign(means.dims.begin(), means.dims.end());
    if (!m.feat_params.empty() && !features_fit(m.feat_params, dims_, &why_)) return false;
    size_t at = 0;
    for (int c = 0; c < codebooks_; c++)
        for (int f = 0; f < streams_; f++) {
            Codebook b;
            int d = dims_[f];
            b.mean.resize(static_cast<size_t>(d) * gaussians_);
            b.prec.resize(b.mean.size());
            b.norm.assign(gaussians_, static_cast<float>(-0.5 * d * std::log(2 * M_PI)));
            for (int k = 0; k < gaussians_; k++)
                for (int i = 0; i < d; i++, at++) {
                    float v = std::max(vars.values[at], kVarianceFloor);
                    b.mean[static_cast<size_t>(i) * gaussians_ + k] = means.values[at];
                    b.prec[static_cast<size_t>(i) * gaussians_ + k] = 0.5f / v;  // half the precision
                    b.norm[k] -= 0.5f * std::log(v);
                }
            books_.push_back(std::move(b));
        }

    std::ifstream in(dir + "/sendump", std::ios::binary);
    int streams = 0;
    uint32_t rows = 0, senones = 0;
    if (!in || !sendump_header(in, &streams) || streams != streams_ || !read_u32(in, &rows) ||
        !read_u32(in, &senones) || static_cast<int>(rows) != gaussians_ || senones > 1000000)
        return why_ = "cannot read the mixture weights of the model in " + dir, false;
    senones_ = static_cast<int>(senones);
    if (senones_ != triphones_.senones())
        return why_ = "the mixture weights of the model in " + dir + " do not fit its phones", false;
    const int n_ci = static_cast<int>(phones_.size());
    for (int s = 0; s < senones_; s++) {
        int book = codebooks_ == 1 ? 0 : codebooks_ == n_ci ? triphones_.phone_of(s) : codebooks_ == senones_ ? s : -1;
        if (book < 0) return why_ = "the codebooks of the model in " + dir + " do not fit its phones", false;
        book_of_.push_back(book);
    }
    weights_.resize(static_cast<size_t>(senones_) * streams_ * gaussians_);
    std::vector<unsigned char> row(senones);
    for (int f = 0; f < streams_; f++)
        for (int k = 0; k < gaussians_; k++) {
            if (!in.read(reinterpret_cast<char *>(row.data()), senones))
                return why_ = "the mixture weights of the model in " + dir + " are cut short", false;
            for (int s = 0; s < senones_; s++)
                weights_[(static_cast<size_t>(s) * streams_ + f) * gaussians_ + k] = row[static_cast<size_t>(s)];
        }
    return true;
}

void PhoneScorer::feature(const Utterance &utt, int k, float *x) const {
    const int n = utt.frames();
    auto c = [&](int j) { return utt.frame(std::min(std::max(k + j, 0), n - 1)); };
    const int len = Utterance::kCepLen;
    for (int i = 0; i < len; i++) {
        x[i] = c(0)[i];
        x[len + i] = c(2)[i] - c(-2)[i];
        x[2 * len + i] = (c(3)[i] - c(-1)[i]) - (c(1)[i] - c(-3)[i]);
    }
}

void PhoneScorer::score(const Utterance &utt, int first, int end, Frames *out) const {
    out->count = std::max(end - first, 0);
    const size_t per_frame = static_cast<size_t>(codebooks_) * streams_ * kTop;
    out->dens.assign(out->count * per_frame, -INFINITY);
    out->which.assign(out->dens.size(), 0);
    std::vector<float> dens(gaussians_);
    uint16_t top[kTop];
    float x[kFeatureLength];
    for (int k = first; k < end; k++) {
        feature(utt, k, x);
        size_t at = static_cast<size_t>(k - first) * per_frame;
        for (int c = 0; c < codebooks_; c++) {
            const float *xs = x;
            for (int f = 0; f < streams_; f++, at += kTop) {
                const Codebook &b = books_[static_cast<size_t>(c) * streams_ + f];
                densities(b.mean.data(), b.prec.data(), b.norm.data(), xs, dims_[f], gaussians_, dens.data());
                xs += dims_[f];
                int n = best_gaussians(dens, top);
                for (int t = 0; t < n; t++) out->dens[at + t] = dens[top[t]], out->which[at + t] = top[t];
            }
        }
    }
}

float PhoneScorer::state(const Frames &f, int t, int senone) const {
    size_t at = (static_cast<size_t>(t) * codebooks_ + book_of_[static_cast<size_t>(senone)]) * streams_ * kTop;
    const unsigned char *w = &weights_[static_cast<size_t>(senone) * streams_ * gaussians_];
    float total = 0.0f;
    for (int s = 0; s < streams_; s++, at += kTop, w += gaussians_) {
        float terms[kTop], best = -INFINITY, sum = 0.0f;
        for (int k = 0; k < kTop; k++) {
            terms[k] = f.dens[at + k] + static_cast<float>(kWeightStep) * w[f.which[at + k]];
            best = std::max(best, terms[k]);
        }
        for (int k = 0; k < kTop; k++) sum += std::exp(terms[k] - best);
        total += best + std::log(sum);
    }
    return total;
}

PhoneScorer::States PhoneScorer::states(int phone, const Context &c) const {
    int left = c.left < 0 ? silence_ : c.left, right = c.right < 0 ? silence_ : c.right;
    return triphones_.states(phone, left, right, c.pos);
}

double PhoneScorer::path(const Frames &f, int a, int b, const States &s, double *best) const {
    // v[j]: the best path over the frames so far that is now in state j.
    double v[kStates];
    std::fill(v, v + kStates, -INFINITY);
    for (int t = a; t < b; t++) {
        double ll[kStates];
        for (int j = 0; j < kStates; j++) {
            ll[j] = state(f, t, s[j]);
            if (best) best[t - a] = std::max(best[t - a], ll[j]);
        }
        if (t == a) {
            v[0] = ll[0];
            continue;
        }
        for (int j = kStates - 1; j >= 0; j--) v[j] = std::max(v[j], j > 0 ? v[j - 1] : -INFINITY) + ll[j];
    }
    return v[std::min(b - a, kStates) - 1];
}

std::vector<double> PhoneScorer::fits(const Frames &f, int a, int b, const Context &c,
                                      std::vector<double> *best) const {
    std::vector<double> out(phones_.size(), 0.0);
    if (best) best->assign(static_cast<size_t>(std::max(b - a, 0)), -INFINITY);
    if (b <= a) return out;
    for (size_t p = 0; p < phones_.size(); p++)
        out[p] = path(f, a, b, states(static_cast<int>(p), c), best ? best->data() : nullptr);
    return out;
}

std::vector<int> PhoneScorer::align(const Frames &f, const std::vector<States> &phones) const {
    const int S = kStates, frames = f.count, np = static_cast<int>(phones.size());
    const int n = np * S;
    std::vector<int> starts(phones.size(), 0);
    if (np == 0) return starts;
    // v[j]: the best path so far now in state j; how each state was entered
    // at each frame: 0 staying, else from 1 or 2 states before.
    std::vector<double> v(n, -INFINITY);
    std::vector<unsigned char> from(static_cast<size_t>(frames) * n, 0);
    if (frames > 0) v[0] = state(f, 0, phones[0][0]);
    for (int t = 1; t < frames; t++)
        for (int j = n - 1; j >= 0; j--) {
            int k = 0;
            double in = v[j];
            if (j >= 1 && v[j - 1] > in) in = v[j - 1], k = 1;
            // A phone's first state may skip its second; its second, its last.
            if (j >= 2 && (j - 2) % S < 2 && v[j - 2] > in) in = v[j - 2], k = 2;
            v[j] = in + state(f, t, phones[static_cast<size_t>(j / S)][j % S]);
            from[static_cast<size_t>(t) * n + j] = static_cast<unsigned char>(k);
        }
    int j = n >= 2 && v[n - 2] > v[n - 1] ? n - 2 : n - 1;
    if (frames == 0 || v[j] == -INFINITY) {
        for (int i = 0; i < np; i++) starts[i] = frames >= np ? i * frames / np : std::min(i, frames);
        return starts;
    }
    for (int t = frames - 1; t > 0; t--) {
        int k = from[static_cast<size_t>(t) * n + j];
        if (k > 0 && j % S == 0) starts[static_cast<size_t>(j / S)] = t;  // the phone began here
        j -= k;
    }
    return starts;
}

}  // namespace engine
