#pragma once
// Photos of a page lying on a desk, drawn with a known turn and known corners,
// for the straightening tests and the straightening benchmark: portrait or
// landscape pages of word-like print, dark, grey, wooden or off-white desks,
// a second page or a bright object touching the page, a page running off the
// frame or touching its lower-left corner, a large dark picture under a title,
// a dark border around the frame, little or no text, blur, vignetting and
// sensor noise. Also measures a
// straightening's result against the truth: the skew left and the overlap of
// the crop with the true page.

#include "CxImage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace pagescene {

enum class Desk { Dark, Grey, Wood, OffWhite };
enum class Print { Full, Little, None };

struct Scene
{
    int width = 1296;
    int height = 972;
    bool landscape = false; // the page lies on its long side
    double ccwDegrees = 0;  // the page's turn, counter-clockwise on screen
    Desk desk = Desk::Dark;
    Print print = Print::Full;
    double blurPx = 0;         // radius of an extra box blur (out of focus), pixels
    double vignetting = 0;     // share of the light lost in the frame's corners
    bool secondPage = false;   // another page overlapping the right side
    bool brightObject = false; // a white disc touching the page's top
    bool offFrame = false;     // the page runs a little off the frame's top
    bool lowerLeft = false;    // the page touches the frame's left and bottom edges
    bool picture = false;      // a title, then a large dark picture over the page's upper half
    double frameBorder = 0;    // share of each side of the frame lost to a dark border
    uint32_t seed = 1;
};

// The page in the photo: its centre (top-down pixel coordinates, pixel centres at
// integers), size and turn.
struct Truth
{
    double cx = 0, cy = 0;
    double width = 0, height = 0;
    double ccwDegrees = 0;
};

namespace detail {

struct Rng
{
    uint32_t s;
    uint32_t Next()
    {
        s = s * 1664525u + 1013904223u;
        return s >> 8;
    }
    double Unit() { return (Next() & 0xFFFF) / 65536.0; }
};

// One line of print as ink coverage per unit of length along the page.
struct Line
{
    std::vector<uint8_t> ink; // 1 ink, 2 tall letter (reaches above the x-height)
};

struct Sheet
{
    double cx, cy, w, h, ca, sa;
    uint8_t paper;
    std::vector<Line> lines;
    double top, pitch, xHeight, left;
    // A dark picture on the page (page coordinates; none when empty) and a title above it.
    double picLeft = 0, picTop = 0, picRight = 0, picBottom = 0;
    double titleTop = 0, titleBottom = 0;

    // Page coordinates of photo point (x, y); true when on the sheet.
    bool Map(double x, double y, double& u, double& v) const
    {
        const double dx = x - cx, dy = y - cy;
        u = ca * dx - sa * dy + w / 2;
        v = sa * dx + ca * dy + h / 2;
        return u >= 0 && u < w && v >= 0 && v < h;
    }
    // Grey of the page at (u, v): paper, print, the title or the picture.
    double Grey(double u, double v) const
    {
        if (u >= picLeft && u < picRight && v >= picTop && v < picBottom)
            return 26 + 24 * std::fabs(std::sin(u * 0.013 + v * 0.007)) +
                   10 * std::fabs(std::sin(v * 0.05));
        if (v >= titleTop && v < titleBottom && u >= picLeft && u < picRight &&
            int((u - picLeft) / (titleBottom - titleTop)) % 3 != 2)
            return 30;
        return Ink(u, v) ? 30 : paper;
    }
    bool Ink(double u, double v) const
    {
        if (lines.empty() || v < top)
            return false;
        const int n = int((v - top) / pitch);
        if (n >= int(lines.size()))
            return false;
        const double inLine = v - top - n * pitch; // from the top of the line box
        const int col = int(u - left);
        const Line& line = lines[size_t(n)];
        if (col < 0 || col >= int(line.ink.size()) || !line.ink[size_t(col)])
            return false;
        const double base = pitch * 0.75, tall = pitch * 0.25;
        return (inLine < base && inLine >= base - xHeight) ||
               (line.ink[size_t(col)] == 2 && inLine >= tall && inLine < base);
    }
};

inline Sheet MakeSheet(double cx, double cy, double w, double h, double ccwDegrees, uint8_t paper,
                       Print print, Rng& rng, bool picture = false)
{
    const double a = ccwDegrees * M_PI / 180.0;
    Sheet s{cx, cy, w, h, std::cos(a), std::sin(a), paper, {}, 0, 0, 0, 0};
    if (picture) {
        // A bold title line, then a dark picture over the upper half, then print
        // below a gap for its caption.
        s.picLeft = w * 0.1;
        s.picRight = w * 0.9;
        s.titleTop = h * 0.05;
        s.titleBottom = h * 0.08;
        s.picTop = h * 0.11;
        s.picBottom = h * 0.45;
    }
    if (print == Print::None)
        return s;
    s.left = w * 0.1;
    s.top = picture ? h * 0.54 : h * 0.08;
    s.pitch = h / 46;
    s.xHeight = s.pitch * 0.32;
    const int textWidth = int(w * 0.8);
    const int count = print == Print::Little ? 3 : picture ? 18 : 38;
    const double letter = s.xHeight * 0.9;
    for (int n = 0; n < count; ++n) {
        Line line;
        line.ink.assign(size_t(std::max(1, textWidth)), 0);
        // Ragged ends; every ninth line ends a paragraph early.
        const int end =
            int(textWidth * (n % 9 == 8 ? 0.3 + 0.4 * rng.Unit() : 0.9 + 0.1 * rng.Unit()));
        double at = (n % 9 == 0) ? letter * 3 : 0;
        while (at < end) {
            const int letters = 2 + int(rng.Next() % 9);
            for (int i = 0; i < letters && at < end; ++i) {
                const int from = int(at), to = std::min(end, int(at + letter * 0.75));
                const uint8_t kind = (rng.Next() % 4 == 0) ? 2 : 1;
                for (int c = from; c < to; ++c)
                    line.ink[size_t(c)] = kind;
                at += letter;
            }
            at += letter * 0.8; // space
        }
        s.lines.push_back(std::move(line));
    }
    return s;
}

inline std::array<double, 3> DeskColour(Desk desk, int x, int y, Rng& rng)
{
    switch (desk) {
    case Desk::Dark:
        return {42, 44, 50};
    case Desk::Grey:
        return {128, 128, 124};
    case Desk::OffWhite:
        return {200, 196, 186};
    case Desk::Wood: {
        const double grain =
            0.82 +
            0.12 * std::sin(x * 0.045 + 5 * std::sin(y * 0.0021) + 2 * std::sin(x * 0.0007)) +
            0.04 * rng.Unit();
        return {160 * grain, 110 * grain, 68 * grain};
    }
    }
    return {0, 0, 0};
}

// Box blur of radius r along rows then columns, in place, on 8-bit planes.
inline void BoxBlur(std::vector<uint8_t>& plane, int w, int h, int r)
{
    if (r < 1)
        return;
    std::vector<uint8_t> line;
    auto pass = [&](int count, int length, auto index) {
        line.resize(size_t(length));
        for (int i = 0; i < count; ++i) {
            int sum = 0;
            for (int j = -r; j <= r; ++j)
                sum += plane[index(i, std::max(0, std::min(length - 1, j)))];
            for (int j = 0; j < length; ++j) {
                line[size_t(j)] = uint8_t(sum / (2 * r + 1));
                sum += plane[index(i, std::min(length - 1, j + r + 1))] -
                       plane[index(i, std::max(0, j - r))];
            }
            for (int j = 0; j < length; ++j)
                plane[index(i, j)] = line[size_t(j)];
        }
    };
    pass(h, w, [w](int i, int j) { return size_t(i) * w + j; });
    pass(w, h, [w](int i, int j) { return size_t(j) * w + i; });
}

} // namespace detail

// Draws the scene as a 24-bit photo and tells where its page lies.
inline CxImage Render(const Scene& sc, Truth& truth)
{
    using namespace detail;
    Rng rng{sc.seed * 2654435761u + 7};
    const int W = sc.width, H = sc.height;
    const double ph = sc.landscape ? 0.62 * H : 0.84 * H;
    const double pw = sc.landscape ? ph * 1.414 : ph / 1.414;
    const double a = sc.ccwDegrees * M_PI / 180.0;
    const double extentH = std::fabs(std::sin(a)) * pw + std::fabs(std::cos(a)) * ph;
    double cx = (W - 1) / 2.0 + (rng.Unit() - 0.5) * 0.04 * W;
    double cy = (H - 1) / 2.0 + (rng.Unit() - 0.5) * 0.04 * H;
    if (sc.secondPage)
        cx = (W - 1) / 2.0 - 0.08 * pw;
    if (sc.offFrame)
        cy = extentH / 2 - 0.015 * ph;
    if (sc.lowerLeft) {
        const double extentW = std::fabs(std::cos(a)) * pw + std::fabs(std::sin(a)) * ph;
        const double inset = sc.frameBorder * std::min(W, H);
        cx = inset + extentW / 2 - 0.005 * pw;
        cy = H - 1 - inset - extentH / 2 + 0.005 * ph;
    }
    Sheet page = MakeSheet(cx, cy, pw, ph, sc.ccwDegrees, 232, sc.print, rng, sc.picture);
    Sheet other{};
    if (sc.secondPage) {
        // The neighbour lies under this page's right side, a little turned of its own.
        const double turn = sc.ccwDegrees + (rng.Unit() - 0.5) * 3;
        const double ta = turn * M_PI / 180.0;
        const double shift = pw * 0.99;
        other = MakeSheet(cx + std::cos(a) * shift, cy - std::sin(a) * shift, pw, ph, turn,
                          uint8_t(rng.Next() % 2 ? 200 + rng.Next() % 18 : 247 + rng.Next() % 6),
                          Print::Full, rng);
        other.ca = std::cos(ta);
        other.sa = std::sin(ta);
    }
    const double discR = 0.09 * H;
    const double discX = cx + std::sin(a) * (-ph / 2 - discR * 0.8);
    const double discY = cy - std::cos(a) * (ph / 2 + discR * 0.8);
    const double shadow = 0.004 * W;

    std::vector<uint8_t> planes[3];
    for (auto& p : planes)
        p.resize(size_t(W) * H);
    const double rMax2 = (W * W + H * H) / 4.0;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            std::array<double, 3> c = DeskColour(sc.desk, x, y, rng);
            double u, v;
            if (sc.brightObject && std::hypot(x - discX, y - discY) < discR)
                c = {248, 248, 246};
            if (sc.secondPage && other.Map(x, y, u, v)) {
                double g = other.Ink(u, v) ? 35 : other.paper;
                // This page's shadow on its neighbour, just beyond its right side.
                double pu, pv;
                page.Map(x, y, pu, pv);
                if (pu >= pw && pu < pw + shadow && pv >= 0 && pv < ph)
                    g *= 0.6;
                c = {g, g, g * 0.98};
            }
            if (page.Map(x, y, u, v)) {
                const double g = page.Grey(u, v);
                c = {g, g, g * 0.97};
            }
            // The frame's own dark border (a lens hood or the stand's shadow).
            const double border = sc.frameBorder * std::min(W, H);
            if (x < border || y < border || x >= W - border || y >= H - border)
                c = {8, 8, 10};
            const double r2 =
                ((x - W / 2.0) * (x - W / 2.0) + (y - H / 2.0) * (y - H / 2.0)) / rMax2;
            const double light = 1 - sc.vignetting * r2;
            const size_t i = size_t(y) * W + x;
            for (int k = 0; k < 3; ++k) {
                const double noisy = c[size_t(k)] * light + int(rng.Next() % 13) - 6;
                planes[k][i] = uint8_t(std::max(0.0, std::min(255.0, noisy)));
            }
        }
    }
    // The lens: a slight softness always, more when out of focus.
    for (auto& p : planes) {
        BoxBlur(p, W, H, 1);
        BoxBlur(p, W, H, int(std::lround(sc.blurPx)));
        BoxBlur(p, W, H, int(std::lround(sc.blurPx)));
    }
    CxImage img{uint32_t(W), uint32_t(H), 24};
    for (int y = 0; y < H; ++y) {
        uint8_t* row = img.GetBits(uint32_t(H - 1 - y));
        for (int x = 0; x < W; ++x) {
            const size_t i = size_t(y) * W + x;
            row[3 * x] = planes[2][i];
            row[3 * x + 1] = planes[1][i];
            row[3 * x + 2] = planes[0][i];
        }
    }
    truth = Truth{cx, cy, pw, ph, sc.ccwDegrees};
    return img;
}

// Area of the part of a convex polygon inside the rectangle [x0, x1] x [y0, y1].
inline double ClippedArea(std::vector<std::array<double, 2>> poly, double x0, double y0, double x1,
                          double y1)
{
    auto clip = [&poly](int axis, double limit, bool keepBelow) {
        std::vector<std::array<double, 2>> out;
        for (size_t i = 0; i < poly.size(); ++i) {
            const auto& p = poly[i];
            const auto& q = poly[(i + 1) % poly.size()];
            const bool pin = keepBelow ? p[size_t(axis)] <= limit : p[size_t(axis)] >= limit;
            const bool qin = keepBelow ? q[size_t(axis)] <= limit : q[size_t(axis)] >= limit;
            if (pin)
                out.push_back(p);
            if (pin != qin) {
                const double t = (limit - p[size_t(axis)]) / (q[size_t(axis)] - p[size_t(axis)]);
                out.push_back({p[0] + t * (q[0] - p[0]), p[1] + t * (q[1] - p[1])});
            }
        }
        poly = out;
    };
    clip(0, x0, false);
    clip(0, x1, true);
    clip(1, y0, false);
    clip(1, y1, true);
    double area = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const auto& p = poly[i];
        const auto& q = poly[(i + 1) % poly.size()];
        area += p[0] * q[1] - q[0] * p[1];
    }
    return std::fabs(area) / 2;
}

// How a crop fits the true page: the share of the page it holds and its own area
// as a share of the page's.
struct CropFit
{
    double held = 0;
    double area = 0;
    double Overlap() const { return held / (area + 1 - held); } // intersection over union
};

// The fit of a crop with the true page, after the photo of size w x h was turned
// clockwise by `turnDegrees` on a growing canvas (no turn below `minTurn`) and
// cropped to [left, right) x [top, bottom) of that canvas.
inline CropFit FitOfCrop(const Truth& t, int w, int h, double turnDegrees, double minTurn, int left,
                         int top, int right, int bottom)
{
    double ca = 1, sa = 0, dcx = (w - 1) / 2.0, dcy = (h - 1) / 2.0;
    if (std::fabs(turnDegrees) >= minTurn) {
        const double r = turnDegrees * M_PI / 180.0;
        ca = std::cos(r);
        sa = std::sin(r);
        const int cw = std::max(1, int(std::ceil(std::fabs(ca) * w + std::fabs(sa) * h - 1e-3)));
        const int ch = std::max(1, int(std::ceil(std::fabs(sa) * w + std::fabs(ca) * h - 1e-3)));
        dcx = (cw - 1) / 2.0;
        dcy = (ch - 1) / 2.0;
    }
    const double pa = t.ccwDegrees * M_PI / 180.0;
    const double rx[2] = {std::cos(pa), -std::sin(pa)}; // page's rightward direction
    const double dx[2] = {std::sin(pa), std::cos(pa)};  // page's downward direction
    std::vector<std::array<double, 2>> quad;
    const double corners[4][2] = {{-0.5, -0.5}, {0.5, -0.5}, {0.5, 0.5}, {-0.5, 0.5}};
    for (const auto& c : corners) {
        const double px = t.cx + c[0] * t.width * rx[0] + c[1] * t.height * dx[0] - (w - 1) / 2.0;
        const double py = t.cy + c[0] * t.width * rx[1] + c[1] * t.height * dx[1] - (h - 1) / 2.0;
        quad.push_back({ca * px - sa * py + dcx, sa * px + ca * py + dcy});
    }
    const double x0 = left - 0.5, x1 = right - 0.5, y0 = top - 0.5, y1 = bottom - 0.5;
    const double inter = ClippedArea(quad, x0, y0, x1, y1);
    const double boxArea = std::max(0.0, x1 - x0) * std::max(0.0, y1 - y0);
    const double pageArea = t.width * t.height;
    return CropFit{inter / pageArea, boxArea / pageArea};
}

// Overlap (intersection over union) of a crop with the true page (see FitOfCrop).
inline double CropOverlap(const Truth& t, int w, int h, double turnDegrees, double minTurn,
                          int left, int top, int right, int bottom)
{
    return FitOfCrop(t, w, h, turnDegrees, minTurn, left, top, right, bottom).Overlap();
}

} // namespace pagescene
