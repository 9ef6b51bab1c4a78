// plot.cpp - lays out the panels of a plot on a canvas.
#include "writers/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "khapi.h"
#include "writers/canvas.h"

namespace tool {

namespace {

constexpr int kWidth = 1200, kHeight = 600;
constexpr double kLeft = 70, kRight = 20;
// Vertical bands: waveform, F0, words, phones, time axis, legend.
constexpr double kWaveTop = 40, kWaveHeight = 180;
constexpr double kF0Top = 235, kF0Height = 150;
constexpr double kWordsTop = 400, kTierHeight = 40;
constexpr double kPhonesTop = 445;
constexpr double kAxisY = 500, kLegendY = 550;

const Colour kInk{0.1, 0.1, 0.1}, kGrid{0.85, 0.85, 0.85}, kBoundary{0.6, 0.6, 0.6}, kWave{0.2, 0.35, 0.6},
    kPitch{0.75, 0.2, 0.5}, kWordFill{0.88, 0.91, 0.96}, kInsertedFill{0.98, 0.85, 0.75}, kNoValue{0.8, 0.8, 0.8},
    kWhite{1, 1, 1};

std::string Format(const char *fmt, double v) {
    char buf[64];
    snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

// Red at 0, yellow at 50, green at 100.
Colour Heat(double value) {
    double t = std::min(1.0, std::max(0.0, value / 100));
    if (t < 0.5) return {0.9, 0.25 + 1.1 * t, 0.2};
    return {0.9 - 1.2 * (t - 0.5), 0.8 - 0.1 * (t - 0.5), 0.2 + 0.2 * (t - 0.5)};
}

// Accuracy when assessed, else confidence as a percentage.
std::optional<double> PhoneValue(const PhoneReport &p) {
    if (p.accuracy) return p.accuracy;
    if (p.confidence) return 100 * *p.confidence;
    return std::nullopt;
}

struct Scale {
    double duration;
    double X(double t) const { return kLeft + (kWidth - kLeft - kRight) * t / duration; }
};

void DrawWaveform(Canvas &c, const Report &r, const Scale &s) {
    double mid = kWaveTop + kWaveHeight / 2;
    c.Line(kLeft, mid, kWidth - kRight, mid, kGrid, 1);
    c.Text(4, kWaveTop + 14, "wave", 12, kInk, Anchor::Start);
    if (r.samples.empty()) return;
    int columns = static_cast<int>(kWidth - kLeft - kRight);
    double per_column = static_cast<double>(r.samples.size()) / columns;
    double peak = 1;
    for (short v : r.samples) peak = std::max(peak, std::fabs(static_cast<double>(v)));
    for (int x = 0; x < columns; x++) {
        size_t a = static_cast<size_t>(x * per_column), b = static_cast<size_t>((x + 1) * per_column);
        b = std::min(std::max(b, a + 1), r.samples.size());
        if (a >= b) break;
        auto [lo, hi] =
            std::minmax_element(r.samples.begin() + static_cast<long>(a), r.samples.begin() + static_cast<long>(b));
        double scale = kWaveHeight / 2 / peak;
        c.Line(kLeft + x + 0.5, mid - *hi * scale, kLeft + x + 0.5, mid - *lo * scale - 0.5, kWave, 1);
    }
}

void DrawF0(Canvas &c, const Report &r, const Scale &s) {
    double top = 100;
    for (float f : r.f0) top = std::max(top, static_cast<double>(f));
    top = std::ceil(top / 100) * 100;
    auto y = [&](double hz) { return kF0Top + kF0Height * (1 - hz / top); };
    for (double hz = 0; hz <= top; hz += 100) {
        c.Line(kLeft, y(hz), kWidth - kRight, y(hz), kGrid, 1);
        c.Text(kLeft - 6, y(hz) + 4, Format("%.0f Hz", hz), 10, kInk, Anchor::End);
    }
    std::vector<Point> run;
    for (size_t i = 0; i <= r.f0.size(); i++) {
        if (i < r.f0.size() && r.f0[i] > 0) {
            run.push_back({s.X((static_cast<double>(i) + 0.5) * KH_FRAME_STEP), y(r.f0[i])});
            continue;
        }
        c.Polyline(run, kPitch, 2);  // a voiced stretch ends
        run.clear();
    }
}

void DrawTiers(Canvas &c, const Report &r, const Scale &s) {
    c.Text(4, kWordsTop + 25, "words", 12, kInk, Anchor::Start);
    c.Text(4, kPhonesTop + 25, "phones", 12, kInk, Anchor::Start);
    for (const WordReport &w : r.words) {
        if (!w.spoken) continue;
        double x0 = s.X(w.start), x1 = s.X(w.end);
        c.Rect(x0, kWordsTop, x1 - x0, kTierHeight, w.Inserted() ? kInsertedFill : kWordFill);
        c.Line(x0, kWaveTop, x0, kPhonesTop + kTierHeight, kBoundary, 1);
        c.Line(x1, kWaveTop, x1, kPhonesTop + kTierHeight, kBoundary, 1);
        c.Text((x0 + x1) / 2, kWordsTop + 25, w.Inserted() ? "inserted" : w.word, w.Inserted() ? 11 : 14, kInk,
               Anchor::Middle);
        for (const PhoneReport &p : w.phones) {
            double p0 = s.X(p.start), p1 = s.X(p.end);
            std::optional<double> v = PhoneValue(p);
            c.Rect(p0, kPhonesTop, p1 - p0, kTierHeight, v ? Heat(*v) : kNoValue);
            c.Line(p0, kPhonesTop, p0, kPhonesTop + kTierHeight, kWhite, 1);
            double size = p1 - p0 > 24 ? 12 : 9;
            if (!p.HeardAsOther()) {
                c.Text((p0 + p1) / 2, kPhonesTop + 25, p.phone, size, kInk, Anchor::Middle);
                continue;
            }
            // The phone said instead goes under the phone meant.
            c.Text((p0 + p1) / 2, kPhonesTop + 17, p.phone, size, kInk, Anchor::Middle);
            c.Text((p0 + p1) / 2, kPhonesTop + 34, (p1 - p0 > 50 ? "heard as " : "as ") + *p.heard, 9, kInk,
                   Anchor::Middle);
        }
    }
}

void DrawAxis(Canvas &c, const Scale &s) {
    c.Line(kLeft, kAxisY, kWidth - kRight, kAxisY, kInk, 1);
    double step = s.duration > 10 ? 1 : s.duration > 4 ? 0.5 : 0.25;
    for (double t = 0; t <= s.duration + 1e-9; t += step) {
        c.Line(s.X(t), kAxisY, s.X(t), kAxisY + 5, kInk, 1);
        c.Text(s.X(t), kAxisY + 18, Format("%.2f", t), 10, kInk, Anchor::Middle);
    }
    c.Text(kWidth - kRight, kAxisY + 34, "seconds", 10, kInk, Anchor::End);
}

void DrawLegend(Canvas &c, const Report &r) {
    bool assessed = r.assessment.has_value();
    c.Text(kLeft, kLegendY + 12, assessed ? "phone accuracy" : "phone confidence", 11, kInk, Anchor::Start);
    for (int i = 0; i <= 10; i++) {
        c.Rect(kLeft + 110 + i * 24, kLegendY, 24, 16, Heat(i * 10));
        if (i % 5 == 0) c.Text(kLeft + 122 + i * 24, kLegendY + 30, Format("%.0f", i * 10.0), 10, kInk, Anchor::Middle);
    }
    c.Rect(kLeft + 400, kLegendY, 24, 16, kNoValue);
    c.Text(kLeft + 430, kLegendY + 12, "not given", 11, kInk, Anchor::Start);
}

std::string Title(const Report &r) {
    std::string title = r.file;
    std::string omitted, inserted;
    for (const WordReport &w : r.words) {
        if (!w.spoken) omitted += " " + w.word;
        if (w.Inserted()) inserted += Format(" %.2f", w.start) + Format("-%.2f", w.end);
    }
    if (r.assessment) {
        const Assessment &a = *r.assessment;
        title += a.accuracy ? Format("   accuracy %.0f", *a.accuracy) : "   accuracy -";
        title += Format("   completeness %.0f", a.completeness);
        title += a.fluency ? Format("   fluency %.0f", *a.fluency) : "   fluency -";
    }
    if (!omitted.empty()) title += "   omitted:" + omitted;
    if (!inserted.empty()) title += "   inserted:" + inserted;
    std::string heard;
    for (const WordReport &w : r.words)
        for (const PhoneReport &p : w.phones)
            if (p.HeardAsOther()) heard += "   " + p.phone + " heard as " + *p.heard + " (" + w.word + ")";
    title += heard;
    return title;
}

}  // namespace

bool WritePlot(const Report &report, const std::string &path, std::string *why) {
    std::unique_ptr<Canvas> canvas = OpenCanvas(path, kWidth, kHeight, why);
    if (!canvas) return false;
    double duration = static_cast<double>(report.samples.size()) / KH_SAMPLE_RATE;
    for (const WordReport &w : report.words)
        if (w.spoken) duration = std::max(duration, w.end);
    Scale scale{duration > 0 ? duration : 1};
    Canvas &c = *canvas;
    c.Rect(0, 0, kWidth, kHeight, kWhite);
    c.Text(kLeft, 22, Title(report), 14, kInk, Anchor::Start);
    DrawWaveform(c, report, scale);
    DrawF0(c, report, scale);
    DrawTiers(c, report, scale);
    DrawAxis(c, scale);
    DrawLegend(c, report);
    return c.Finish(why);
}

}  // namespace tool
