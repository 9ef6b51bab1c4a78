// text_report.cpp - one line a word, one indented line a phone; "-" where
// the library gave no value.
#include "writers/text_report.h"

#include <cstdarg>
#include <cstdio>

namespace tool {

namespace {

std::string Num(const char *fmt, const std::optional<double> &v) {
    if (!v) return "-";
    char buf[32];
    snprintf(buf, sizeof buf, fmt, *v);
    return buf;
}

std::string Line(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Line(const char *fmt, ...) {
    char buf[1024];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

}  // namespace

std::string ReportText(const Report &r) {
    bool assessed = r.assessment.has_value();
    std::string out = r.file + "\n";
    for (const WordReport &w : r.words) {
        if (!w.spoken) {
            out += Line("  %-16s omitted\n", w.word.c_str());
            continue;
        }
        out += Line("  %-16s %-10s %6.2f %6.2f  score %s  conf %s", w.Label().c_str(), w.syntax.c_str(), w.start, w.end,
                    Num("%.3f", w.score).c_str(), Num("%.3f", w.confidence).c_str());
        if (assessed && w.Inserted()) out += "  inserted";
        else if (assessed) out += Line("  accuracy %s  %s", Num("%.0f", w.accuracy).c_str(), w.error.c_str());
        if (w.guessed) out += "  (pronunciation guessed)";
        out += "\n";
        for (const PhoneReport &p : w.phones) {
            out += Line("      %-12s %6.2f %6.2f  score %s  conf %s", p.phone.c_str(), p.start, p.end,
                        Num("%.3f", p.score).c_str(), Num("%.3f", p.confidence).c_str());
            if (assessed) out += Line("  accuracy %s", Num("%.0f", p.accuracy).c_str());
            if (p.HeardAsOther()) out += Line("  %s heard as %s", p.phone.c_str(), p.heard->c_str());
            out += "\n";
        }
    }
    for (const std::string &alt : r.nbest) out += "  alternative: " + alt + "\n";
    if (assessed)
        out += Line("  accuracy %s  completeness %.0f  fluency %s\n", Num("%.0f", r.assessment->accuracy).c_str(),
                    r.assessment->completeness, Num("%.0f", r.assessment->fluency).c_str());
    return out;
}

}  // namespace tool
