// phone_scorer.cpp - scoring the context-independent phones' states on
// stored frames, the way the decoder scores them.
//
// The features are the decoder's: the 13 cepstra, their deltas over two
// frames each side and the deltas of those, with the edge frames repeated
// as context.  Each state's likelihood is the mixture of its codebook's
// best Gaussians in each feature stream (the decoder keeps the best four
// too), weighted by the state's mixture weights, summed over the streams.
// The context-independent states are the model's first senones, three to
// a phone in the phone order of mdef.
#include "decoding/phone_scorer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>

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

// The indices of the kTop highest densities, best first; how many there are.
int best_gaussians(const std::vector<float> &dens, int *top) {
    int n = 0;
    for (int g = 0; g < static_cast<int>(dens.size()); g++) {
        if (n == kTop && dens[g] <= dens[top[n - 1]]) continue;
        int i = n < kTop ? n++ : n - 1;
        for (; i > 0 && dens[top[i - 1]] < dens[g]; i--) top[i] = top[i - 1];
        top[i] = g;
    }
    return n;
}

}  // namespace

namespace engine {

PhoneScorer::PhoneScorer(const Model &m) : phones_(m.phones) {
    if (!read(m.dir)) why_ = why_.empty() ? "cannot read the Gaussians of the model in " + m.dir : why_;
}

bool PhoneScorer::read(const std::string &dir) {
    Gaussians means, vars;
    if (!read_gaussians(dir + "/means", &means) || !read_gaussians(dir + "/variances", &vars) ||
        means.books != vars.books || means.streams != vars.streams || means.each != vars.each ||
        means.dims != vars.dims)
        return false;
    codebooks_ = static_cast<int>(means.books);
    streams_ = static_cast<int>(means.streams);
    gaussians_ = static_cast<int>(means.each);
    dims_.assign(means.dims.begin(), means.dims.end());
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
                    b.prec[static_cast<size_t>(i) * gaussians_ + k] = 1.0f / v;
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
    int n_ci = static_cast<int>(phones_.size());
    senones_ = n_ci * kStates;
    if (senones_ == 0 || static_cast<int>(senones) < senones_)
        return why_ = "the mixture weights of the model in " + dir + " do not fit its phones", false;
    // Which codebook a state draws on: one for all, one per phone, or one per state.
    for (int s = 0; s < senones_; s++) {
        int book = codebooks_ == 1                    ? 0
            : codebooks_ == n_ci                      ? s / kStates
            : codebooks_ == static_cast<int>(senones) ? s
                                                      : -1;
        if (book < 0) return why_ = "the codebooks of the model in " + dir + " do not fit its phones", false;
        book_of_.push_back(book);
    }
    weights_.resize(static_cast<size_t>(streams_) * gaussians_ * senones_);
    std::vector<unsigned char> row(senones);
    for (int f = 0; f < streams_; f++)
        for (int k = 0; k < gaussians_; k++) {
            if (!in.read(reinterpret_cast<char *>(row.data()), senones))
                return why_ = "the mixture weights of the model in " + dir + " are cut short", false;
            float *w = &weights_[(static_cast<size_t>(f) * gaussians_ + k) * senones_];
            for (int s = 0; s < senones_; s++) w[s] = static_cast<float>(kWeightStep * row[s]);
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

void PhoneScorer::score(const Utterance &utt, int first, int end, std::vector<float> *ll) const {
    const int per_frame = senones_;
    ll->assign(static_cast<size_t>(std::max(end - first, 0)) * per_frame, 0.0f);
    std::vector<float> dens(gaussians_);
    int top[kTop];
    float x[kFeatureLength];
    for (int k = first; k < end; k++) {
        feature(utt, k, x);
        float *out = ll->data() + static_cast<size_t>(k - first) * per_frame;
        for (int c = 0; c < codebooks_; c++) {
            const float *xs = x;
            for (int f = 0; f < streams_; f++) {
                const Codebook &b = books_[static_cast<size_t>(c) * streams_ + f];
                std::copy(b.norm.begin(), b.norm.end(), dens.begin());
                for (int i = 0; i < dims_[f]; i++) {
                    const float *m = &b.mean[static_cast<size_t>(i) * gaussians_];
                    const float *p = &b.prec[static_cast<size_t>(i) * gaussians_];
                    for (int g = 0; g < gaussians_; g++) {
                        float d = xs[i] - m[g];
                        dens[g] -= 0.5f * d * d * p[g];
                    }
                }
                xs += dims_[f];
                int n = best_gaussians(dens, top);
                for (int s = 0; s < senones_; s++) {
                    if (book_of_[s] != c) continue;
                    float best = -INFINITY, sum = 0.0f;
                    float terms[kTop];
                    for (int t = 0; t < n; t++) {
                        terms[t] =
                            dens[top[t]] + weights_[(static_cast<size_t>(f) * gaussians_ + top[t]) * senones_ + s];
                        best = std::max(best, terms[t]);
                    }
                    for (int t = 0; t < n; t++) sum += std::exp(terms[t] - best);
                    out[s] += best + std::log(sum);
                }
            }
        }
    }
}

std::vector<double> PhoneScorer::fits(const float *ll, int frames) const {
    const int n_ci = static_cast<int>(phones_.size());
    std::vector<double> out(n_ci, 0.0);
    if (frames <= 0) return out;
    for (int p = 0; p < n_ci; p++) {
        // v[j]: the best path over the frames so far that is now in state j.
        double v[kStates];
        std::fill(v, v + kStates, -INFINITY);
        v[0] = ll[p * kStates];
        for (int t = 1; t < frames; t++) {
            const float *row = ll + static_cast<size_t>(t) * senones_ + p * kStates;
            for (int j = kStates - 1; j >= 0; j--) v[j] = std::max(v[j], j > 0 ? v[j - 1] : -INFINITY) + row[j];
        }
        out[p] = v[std::min(frames, kStates) - 1];
    }
    return out;
}

}  // namespace engine
