// canvas.cpp - SVG written as text, PNG drawn with cairo (when the tool is
// built with it: the Windows build is not).
#include "writers/canvas.h"

#ifdef KHAPI_TOOL_PNG
#include <cairo.h>
#endif
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <strings.h>

namespace tool {

namespace {

std::string Hex(Colour c) {
    char buf[8];
    auto byte = [](double v) { return static_cast<int>(v < 0 ? 0 : v > 1 ? 255 : v * 255 + 0.5); };
    snprintf(buf, sizeof buf, "#%02x%02x%02x", byte(c.r), byte(c.g), byte(c.b));
    return buf;
}

std::string Escape(const std::string &s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

class SvgCanvas : public Canvas {
public:
    SvgCanvas(std::string path, int width, int height) : path_(std::move(path)) {
        out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
             << "\" viewBox=\"0 0 " << width << " " << height << "\" font-family=\"sans-serif\">\n";
    }
    void Rect(double x, double y, double w, double h, Colour fill) override {
        out_ << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << w << "\" height=\"" << h << "\" fill=\""
             << Hex(fill) << "\"/>\n";
    }
    void Line(double x0, double y0, double x1, double y1, Colour stroke, double width) override {
        out_ << "<line x1=\"" << x0 << "\" y1=\"" << y0 << "\" x2=\"" << x1 << "\" y2=\"" << y1 << "\" stroke=\""
             << Hex(stroke) << "\" stroke-width=\"" << width << "\"/>\n";
    }
    void Polyline(const std::vector<Point> &points, Colour stroke, double width) override {
        if (points.size() < 2) return;
        out_ << "<polyline fill=\"none\" stroke=\"" << Hex(stroke) << "\" stroke-width=\"" << width << "\" points=\"";
        for (const Point &p : points) out_ << p.x << "," << p.y << " ";
        out_ << "\"/>\n";
    }
    void Text(double x, double y, const std::string &text, double size, Colour colour, Anchor anchor) override {
        static const char *const names[] = {"", " text-anchor=\"middle\"", " text-anchor=\"end\""};
        out_ << "<text x=\"" << x << "\" y=\"" << y << "\" font-size=\"" << size << "\" fill=\"" << Hex(colour) << "\""
             << names[static_cast<int>(anchor)] << ">" << Escape(text) << "</text>\n";
    }
    bool Finish(std::string *why) override {
        out_ << "</svg>\n";
        std::ofstream f(path_);
        if (!(f << out_.str())) return *why = "cannot write " + path_, false;
        return true;
    }

private:
    std::string path_;
    std::ostringstream out_;
};

#ifdef KHAPI_TOOL_PNG
class PngCanvas : public Canvas {
public:
    PngCanvas(std::string path, int width, int height)
        : path_(std::move(path)),
          surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)),
          cr_(cairo_create(surface_)) {
        cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    }
    ~PngCanvas() override {
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }
    void Rect(double x, double y, double w, double h, Colour fill) override {
        cairo_set_source_rgb(cr_, fill.r, fill.g, fill.b);
        cairo_rectangle(cr_, x, y, w, h);
        cairo_fill(cr_);
    }
    void Line(double x0, double y0, double x1, double y1, Colour stroke, double width) override {
        Polyline({{x0, y0}, {x1, y1}}, stroke, width);
    }
    void Polyline(const std::vector<Point> &points, Colour stroke, double width) override {
        if (points.size() < 2) return;
        cairo_set_source_rgb(cr_, stroke.r, stroke.g, stroke.b);
        cairo_set_line_width(cr_, width);
        cairo_move_to(cr_, points[0].x, points[0].y);
        for (size_t i = 1; i < points.size(); i++) cairo_line_to(cr_, points[i].x, points[i].y);
        cairo_stroke(cr_);
    }
    void Text(double x, double y, const std::string &text, double size, Colour colour, Anchor anchor) override {
        cairo_set_font_size(cr_, size);
        cairo_text_extents_t ext;
        cairo_text_extents(cr_, text.c_str(), &ext);
        cairo_set_source_rgb(cr_, colour.r, colour.g, colour.b);
        double shift = anchor == Anchor::Middle ? ext.x_advance / 2 : anchor == Anchor::End ? ext.x_advance : 0;
        cairo_move_to(cr_, x - shift, y);
        cairo_show_text(cr_, text.c_str());
    }
    bool Finish(std::string *why) override {
        cairo_surface_flush(surface_);
        if (cairo_surface_write_to_png(surface_, path_.c_str()) != CAIRO_STATUS_SUCCESS)
            return *why = "cannot write " + path_, false;
        return true;
    }

private:
    std::string path_;
    cairo_surface_t *surface_;
    cairo_t *cr_;
};
#endif

bool EndsWith(const std::string &s, const char *suffix) {
    size_t n = strlen(suffix);
    return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, suffix) == 0;
}

}  // namespace

bool UsablePlotName(const std::string &path, std::string *why) {
    if (EndsWith(path, ".svg")) return true;
    if (!EndsWith(path, ".png")) return *why = "the file must end in .svg or .png: " + path, false;
#ifdef KHAPI_TOOL_PNG
    return true;
#else
    return *why = "PNG plots are not available in this build (it has no cairo); name the plot .svg: " + path, false;
#endif
}

std::unique_ptr<Canvas> OpenCanvas(const std::string &path, int width, int height, std::string *why) {
    if (!UsablePlotName(path, why)) return nullptr;
    if (EndsWith(path, ".svg")) return std::make_unique<SvgCanvas>(path, width, height);
#ifdef KHAPI_TOOL_PNG
    return std::make_unique<PngCanvas>(path, width, height);
#else
    return nullptr;  // refused above
#endif
}

}  // namespace tool
