// textgrid.cpp - writes Praat's long text format.
#include "writers/textgrid.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace tool {

namespace {

struct Interval {
    double start, end;
    std::string text;
};

std::string Quote(const std::string &s) {
    std::string out = "\"";
    for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string Num(double x) {
    char buf[32];
    snprintf(buf, sizeof buf, "%.10g", x);
    return buf;
}

// Labelled intervals in time order, with the gaps between them (and before
// and after them) filled by empty ones; overlaps are cut at the earlier end.
std::vector<Interval> Cover(std::vector<Interval> labelled, double duration) {
    std::sort(labelled.begin(), labelled.end(), [](const Interval &a, const Interval &b) { return a.start < b.start; });
    std::vector<Interval> out;
    double t = 0;
    for (Interval i : labelled) {
        i.start = std::max(i.start, t);
        i.end = std::min(i.end, duration);
        if (i.end <= i.start) continue;
        if (i.start > t) out.push_back({t, i.start, ""});
        out.push_back(i);
        t = i.end;
    }
    if (duration > t) out.push_back({t, duration, ""});
    return out;
}

void Tier(std::ostringstream &o, int number, const char *name, const std::vector<Interval> &items, double duration) {
    o << "    item [" << number << "]:\n"
      << "        class = \"IntervalTier\"\n"
      << "        name = \"" << name << "\"\n"
      << "        xmin = 0\n        xmax = " << Num(duration) << "\n"
      << "        intervals: size = " << items.size() << "\n";
    for (size_t i = 0; i < items.size(); i++)
        o << "        intervals [" << i + 1 << "]:\n"
          << "            xmin = " << Num(items[i].start) << "\n"
          << "            xmax = " << Num(items[i].end) << "\n"
          << "            text = " << Quote(items[i].text) << "\n";
}

}  // namespace

std::string TextGrid(const Report &report, double duration) {
    std::vector<Interval> words, phones;
    for (const WordReport &w : report.words) {
        if (!w.spoken) continue;
        duration = std::max(duration, w.end);
        words.push_back({w.start, w.end, w.Label()});
        for (const PhoneReport &p : w.phones) phones.push_back({p.start, p.end, p.phone});
    }
    std::ostringstream o;
    o << "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n\n"
      << "xmin = 0\nxmax = " << Num(duration) << "\ntiers? <exists>\nsize = 2\nitem []:\n";
    Tier(o, 1, "words", Cover(words, duration), duration);
    Tier(o, 2, "phones", Cover(phones, duration), duration);
    return o.str();
}

}  // namespace tool
