// Free rotation of the image object by any angle with bilinear or nearest
// sampling. Each destination row is walked with fixed-point source coordinates;
// the pixels whose four neighbours lie inside the source take a branch-free
// inner loop, the few near the edges go through the overflow rule.

#include "CxImage.h"
#include "CxPixelRows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

using namespace cxrows;

namespace {

// Fixed-point source coordinates: 16 fractional bits; bilinear weights use the top 8.
constexpr int kFixShift = 16;
constexpr int64_t kFixOne = int64_t(1) << kFixShift;
// A rotation closer than this (pixels, at the far corner) to a right angle is one.
constexpr double kRightAngleTolerancePx = 0.25;

struct RotationPlan
{
    double cosA = 1, sinA = 0; // of the internal angle (counter-clockwise in bottom-up rows)
    double cx = 0, cy = 0;     // source centre
    double dcx = 0, dcy = 0;   // destination centre
    int srcW = 0, srcH = 0;
    int dstW = 0, dstH = 0;
};

// Which exact turn, if any, the rotation amounts to: 1 right, 2 left, 3 half, 4 none, 0 other.
int RightAngleOf(double radians, int w, int h)
{
    const double fx = w - 0.5, fy = h - 0.5;
    const double rx = std::cos(radians) * fx - std::sin(radians) * fy;
    const double ry = std::sin(radians) * fx + std::cos(radians) * fy;
    const double turns[4][2] = {{fy, -fx}, {-fy, fx}, {-fx, -fy}, {fx, fy}};
    for (int i = 0; i < 4; ++i)
        if (std::hypot(rx - turns[i][0], ry - turns[i][1]) < kRightAngleTolerancePx)
            return i + 1;
    return 0;
}

RotationPlan PlanRotation(double radians, int w, int h, bool keepSize)
{
    RotationPlan p;
    p.cosA = std::cos(radians);
    p.sinA = std::sin(radians);
    p.srcW = w;
    p.srcH = h;
    p.cx = (w - 1) / 2.0;
    p.cy = (h - 1) / 2.0;
    if (keepSize) {
        p.dstW = w;
        p.dstH = h;
    } else {
        // Extent of the rotated pixel area; a hair is forgiven so exact sizes stay exact.
        const double ew = std::fabs(p.cosA) * w + std::fabs(p.sinA) * h;
        const double eh = std::fabs(p.sinA) * w + std::fabs(p.cosA) * h;
        p.dstW = std::max(1, int(std::ceil(ew - 1e-3)));
        p.dstH = std::max(1, int(std::ceil(eh - 1e-3)));
    }
    p.dcx = (p.dstW - 1) / 2.0;
    p.dcy = (p.dstH - 1) / 2.0;
    return p;
}

// Source position of destination pixel (0, y) and the step per pixel, fixed point.
void RowStart(const RotationPlan& p, int y, int64_t& sx, int64_t& sy, int64_t& dx, int64_t& dy)
{
    const double yy = y - p.dcy;
    const double x0 = p.cx - p.cosA * p.dcx + p.sinA * yy;
    const double y0 = p.cy + p.sinA * p.dcx + p.cosA * yy;
    sx = std::llround(x0 * kFixOne);
    sy = std::llround(y0 * kFixOne);
    dx = std::llround(p.cosA * kFixOne);
    dy = std::llround(-p.sinA * kFixOne);
}

// Maps a coordinate outside 0 ... n-1 by the overflow rule; false: use the colour.
inline bool Remap(int& v, int n, CxOverflow of)
{
    if (v >= 0 && v < n)
        return true;
    switch (of) {
    case OM_REPEAT:
        v = v < 0 ? 0 : n - 1;
        return true;
    case OM_WRAP:
        v = ((v % n) + n) % n;
        return true;
    case OM_MIRROR: {
        const int period = 2 * n;
        int m = ((v % period) + period) % period;
        v = m < n ? m : period - 1 - m;
        return true;
    }
    default:
        return false;
    }
}

struct Sampler
{
    const CxImage* src;
    int channels;
    CxInterpolation in;
    CxOverflow of;
    uint8_t fill[3]; // per channel, blue green red (or grey)
};

// One output pixel near or beyond the source edges. Positions in the half-pixel
// fringe of the pixel area repeat the edge; beyond it the overflow rule decides.
void SampleEdge(const Sampler& s, int64_t fx, int64_t fy, uint8_t* out)
{
    const int w = int(s.src->GetWidth());
    const int h = int(s.src->GetHeight());
    const double x = double(fx) / kFixOne;
    const double y = double(fy) / kFixOne;
    const bool inArea = x >= -0.5 && x < w - 0.5 && y >= -0.5 && y < h - 0.5;
    const bool remaps = s.of == OM_REPEAT || s.of == OM_WRAP || s.of == OM_MIRROR;
    if (!inArea && !remaps) {
        std::memcpy(out, s.fill, s.channels);
        return;
    }
    const CxOverflow of = inArea ? OM_REPEAT : s.of;
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    int wx = int((fx - int64_t(x0) * kFixOne) >> 8), wy = int((fy - int64_t(y0) * kFixOne) >> 8);
    if (s.in == IM_NEAREST_NEIGHBOUR) {
        x0 = int(std::floor(x + 0.5));
        y0 = int(std::floor(y + 0.5));
        wx = wy = 0;
    }
    int xs[2] = {x0, x0 + 1}, ys[2] = {y0, y0 + 1};
    for (int i = 0; i < 2; ++i) {
        Remap(xs[i], w, of);
        Remap(ys[i], h, of);
    }
    const uint8_t* r0 = s.src->GetBits(ys[0]);
    const uint8_t* r1 = s.src->GetBits(ys[1]);
    for (int c = 0; c < s.channels; ++c) {
        const int p00 = r0[xs[0] * s.channels + c], p01 = r0[xs[1] * s.channels + c];
        const int p10 = r1[xs[0] * s.channels + c], p11 = r1[xs[1] * s.channels + c];
        const int top = p00 * (256 - wx) + p01 * wx;
        const int bottom = p10 * (256 - wx) + p11 * wx;
        out[c] = uint8_t((top * (256 - wy) + bottom * wy + 32768) >> 16);
    }
}

// A region of source positions, fixed point, half open: [x0, x1) x [y0, y1).
struct SourceBox
{
    int64_t x0, x1, y0, y1;
};

// Destination pixels [begin, end) of a row whose source positions lie in `box`.
void SpanInside(int64_t sx, int64_t sy, int64_t dx, int64_t dy, const SourceBox& box, int dstW,
                int& begin, int& end)
{
    auto inside = [&](int x) {
        const int64_t px = sx + dx * x, py = sy + dy * x;
        return px >= box.x0 && py >= box.y0 && px < box.x1 && py < box.y1;
    };
    // Each coordinate is linear in x, so the inside pixels form one interval.
    double lo = 0, hi = dstW;
    auto clip = [&](double s, double d, double from, double to) {
        if (d == 0) {
            if (s < from || s >= to)
                lo = hi = 0;
            return;
        }
        double a = (from - s) / d, b = (to - s) / d;
        if (a > b)
            std::swap(a, b);
        lo = std::max(lo, a);
        hi = std::min(hi, b);
    };
    clip(double(sx), double(dx), double(box.x0), double(box.x1));
    clip(double(sy), double(dy), double(box.y0), double(box.y1));
    begin = std::max(0, int(std::ceil(lo)) - 1);
    end = std::min(dstW, int(std::floor(hi)) + 1);
    while (begin < end && !inside(begin))
        ++begin;
    while (end > begin && !inside(end - 1))
        --end;
    if (begin >= end)
        begin = end = 0;
}

template <int Channels>
void InteriorBilinear(const uint8_t* bits, size_t stride, int64_t sx, int64_t sy, int64_t dx,
                      int64_t dy, uint8_t* out, int count)
{
    for (int i = 0; i < count; ++i, sx += dx, sy += dy, out += Channels) {
        const int x0 = int(sx >> kFixShift), y0 = int(sy >> kFixShift);
        const int wx = int((sx >> 8) & 0xFF), wy = int((sy >> 8) & 0xFF);
        const uint8_t* p0 = bits + size_t(y0) * stride + size_t(x0) * Channels;
        const uint8_t* p1 = p0 + stride;
        // The four weights sum to 65536.
        const int w11 = wx * wy, w10 = (256 - wx) * wy;
        const int w01 = wx * (256 - wy), w00 = (256 - wx) * (256 - wy);
        for (int c = 0; c < Channels; ++c)
            out[c] = uint8_t((p0[c] * w00 + p0[c + Channels] * w01 + p1[c] * w10 +
                              p1[c + Channels] * w11 + 32768) >>
                             16);
    }
}

template <int Channels>
void InteriorNearest(const uint8_t* bits, size_t stride, int64_t sx, int64_t sy, int64_t dx,
                     int64_t dy, uint8_t* out, int count)
{
    const int64_t half = kFixOne / 2;
    for (int i = 0; i < count; ++i, sx += dx, sy += dy, out += Channels) {
        const uint8_t* p = bits + size_t((sy + half) >> kFixShift) * stride +
                           size_t((sx + half) >> kFixShift) * Channels;
        for (int c = 0; c < Channels; ++c)
            out[c] = p[c];
    }
}

// How one destination row splits: [0, areaBegin) and [areaEnd, width) lie beyond
// the source's pixel area (fill colour), [begin, end) fully inside it (fast
// loop), the rest near its edges (pixel by pixel).
struct RowSplit
{
    int64_t sx = 0, sy = 0, dx = 0, dy = 0;
    int areaBegin = 0, begin = 0, end = 0, areaEnd = 0;
};

RowSplit SplitRow(const RotationPlan& p, const Sampler& s, int y)
{
    RowSplit r;
    RowStart(p, y, r.sx, r.sy, r.dx, r.dy);
    r.areaEnd = p.dstW;
    if (s.of != OM_REPEAT && s.of != OM_WRAP && s.of != OM_MIRROR) {
        const SourceBox area{-kFixOne / 2, p.srcW * kFixOne - kFixOne / 2, -kFixOne / 2,
                             p.srcH * kFixOne - kFixOne / 2};
        SpanInside(r.sx, r.sy, r.dx, r.dy, area, p.dstW, r.areaBegin, r.areaEnd);
    }
    const SourceBox interior{0, (p.srcW - 1) * kFixOne, 0, (p.srcH - 1) * kFixOne};
    SpanInside(r.sx, r.sy, r.dx, r.dy, interior, p.dstW, r.begin, r.end);
    if (r.begin >= r.end)
        r.begin = r.end = r.areaEnd;
    r.begin = std::clamp(r.begin, r.areaBegin, r.areaEnd);
    r.end = std::clamp(r.end, r.begin, r.areaEnd);
    return r;
}

// Renders pixels [from, to) of a destination row split by SplitRow.
void RenderRowPart(const Sampler& s, const uint8_t* bits, size_t stride, const RowSplit& r,
                   uint8_t* out, int from, int to)
{
    const int ch = s.channels;
    for (int x = from; x < std::min(to, r.areaBegin); ++x)
        std::memcpy(out + x * ch, s.fill, size_t(ch));
    for (int x = std::max(from, r.areaBegin); x < std::min(to, r.begin); ++x)
        SampleEdge(s, r.sx + r.dx * x, r.sy + r.dy * x, out + x * ch);
    const int a = std::max(from, r.begin), b = std::min(to, r.end);
    if (a < b) {
        const int64_t bx = r.sx + r.dx * a, by = r.sy + r.dy * a;
        uint8_t* o = out + size_t(a) * ch;
        const bool bilinear = s.in != IM_NEAREST_NEIGHBOUR;
        if (ch == 3)
            (bilinear ? InteriorBilinear<3> : InteriorNearest<3>)(bits, stride, bx, by, r.dx, r.dy,
                                                                  o, b - a);
        else
            (bilinear ? InteriorBilinear<1> : InteriorNearest<1>)(bits, stride, bx, by, r.dx, r.dy,
                                                                  o, b - a);
    }
    for (int x = std::max(from, r.end); x < std::min(to, r.areaEnd); ++x)
        SampleEdge(s, r.sx + r.dx * x, r.sy + r.dy * x, out + x * ch);
    for (int x = std::max(from, r.areaEnd); x < to; ++x)
        std::memcpy(out + x * ch, s.fill, size_t(ch));
}

// Renders the whole destination plane row by row. Returns false when stopped.
bool RenderPlane(const RotationPlan& p, const Sampler& s, const uint8_t* bits, size_t stride,
                 const std::function<uint8_t*(int)>& row, CxImage* progress)
{
    for (int y = 0; y < p.dstH; ++y) {
        if (progress) {
            if (Escaped(*progress))
                return false;
            Progress(*progress, y, p.dstH);
        }
        RenderRowPart(s, bits, stride, SplitRow(p, s, y), row(y), 0, p.dstW);
    }
    return true;
}

// Rotates `src` into a new image that replaces `self` (or goes to iDst).
bool RotateInto(CxImage& self, const CxImage& src, double radians, int inMethod, int ofMethod,
                RGBQUAD fill, bool keepSize, CxImage* iDst)
{
    const RotationPlan plan =
        PlanRotation(radians, int(src.GetWidth()), int(src.GetHeight()), keepSize);
    CxImage out;
    if (!CreateLike(out, src, plan.dstW, plan.dstH, src.GetBpp())) {
        self.SetLastError(out.GetLastError());
        return false;
    }
    Sampler s{&src,
              src.GetBpp() == 24 ? 3 : 1,
              CxInterpolation(inMethod),
              CxOverflow(ofMethod),
              {fill.rgbBlue, fill.rgbGreen, fill.rgbRed}};
    if (s.channels == 1)
        s.fill[0] = Grey(fill);
    const bool alpha = src.AlphaIsValid() && out.AlphaCreate();
    RenderPlane(
        plan, s, src.GetBits(0), src.GetEffWidth(),
        [&out](int y) { return out.GetBits(uint32_t(y)); }, &self);
    if (alpha) {
        // The alpha plane turns with the pixels; what comes from outside is transparent.
        Sampler a{&src, 1, CxInterpolation(inMethod), OM_COLOR, {0, 0, 0}};
        CxImage plane(src.GetWidth(), src.GetHeight(), 8);
        if (plane.IsValid()) {
            for (uint32_t y = 0; y < src.GetHeight(); ++y)
                std::memcpy(plane.GetBits(y), src.AlphaGetPointer(0, y), src.GetWidth());
            a.src = &plane;
            RenderPlane(
                plan, a, plane.GetBits(0), plane.GetEffWidth(),
                [&out](int y) { return out.AlphaGetPointer(0, y); }, nullptr);
        }
    }
    self.SetProgress(100);
    if (iDst)
        return iDst->Transfer(out);
    return self.Transfer(out);
}

} // namespace

bool CxImage::RotateFree(float angle, CxImage* iDst, CxInterpolation inMethod, CxOverflow ofMethod,
                         const RGBQUAD* replColor, bool optimizeRightAngles, bool bKeepOriginalSize)
{
    if (!IsValid())
        return false;
    if (!std::isfinite(angle)) {
        SetLastError("CxImage::RotateFree : the angle is not a number");
        return false;
    }
    const double radians = -double(angle) * M_PI / 180.0;
    if (!bKeepOriginalSize && optimizeRightAngles) {
        switch (RightAngleOf(radians, int(GetWidth()), int(GetHeight()))) {
        case 1:
            return RotateRight90(iDst);
        case 2:
            return RotateLeft90(iDst);
        case 3:
            return Rotate180(iDst);
        case 4:
            if (iDst)
                iDst->Copy(*this);
            return true;
        default:
            break;
        }
    }
    CxImage converted;
    const CxImage* src = this;
    if (!IsInterpolatable(*this)) {
        if (!ToInterpolatable(*this, converted)) {
            SetLastError(converted.GetLastError());
            return false;
        }
        src = &converted;
    }
    RGBQUAD fill = replColor ? *replColor : GetTransColor();
    if (ofMethod == OM_COLOR && !replColor)
        fill = RGBQUAD{};
    return RotateInto(*this, *src, radians, inMethod, ofMethod, fill, bKeepOriginalSize, iDst);
}
