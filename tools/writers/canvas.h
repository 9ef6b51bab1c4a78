// canvas.h - the few drawing operations a plot needs, on SVG text or on
// a cairo PNG surface (when built with cairo).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tool {

struct Colour {
    double r, g, b;
};

enum class Anchor { Start, Middle, End };

struct Point {
    double x, y;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void Rect(double x, double y, double w, double h, Colour fill) = 0;
    virtual void Line(double x0, double y0, double x1, double y1, Colour stroke, double width) = 0;
    virtual void Polyline(const std::vector<Point> &points, Colour stroke, double width) = 0;
    // Text starting, centred or ending at x; y is the baseline.
    virtual void Text(double x, double y, const std::string &text, double size, Colour colour, Anchor anchor) = 0;
    // Writes the drawing to its file; false with why on failure.
    virtual bool Finish(std::string *why) = 0;
};

// True for names ending in .svg or .png (any case); .png only when the
// tool is built with cairo.  False with why.
bool UsablePlotName(const std::string &path, std::string *why);

// An SVG canvas (labels stay text) or a PNG canvas, chosen by the file
// name's extension; null with why for any other extension.
std::unique_ptr<Canvas> OpenCanvas(const std::string &path, int width, int height, std::string *why);

}  // namespace tool
