// Free rotation of the image object by any angle with bilinear or nearest
// sampling. Each destination row is walked with fixed-point source coordinates;
// the pixels whose four neighbours lie inside the source take a branch-free
// inner loop, the few near the edges go through the overflow rule.

#include "CxImage.h"
#include "CxPixelRows.h"

#include <cmath>
#include <cstring>

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

// Destination pixels [begin, end) of a row whose bilinear neighbours all lie inside.
void InteriorSpan(int64_t sx, int64_t sy, int64_t dx, int64_t dy, int w, int h, int dstW,
                  int& begin, int& end)
{
    auto inside = [&](int x) {
        const int64_t px = sx + dx * x, py = sy + dy * x;
        return px >= 0 && py >= 0 && px < int64_t(w - 1) * kFixOne && py < int64_t(h - 1) * kFixOne;
    };
    // Each coordinate is linear in x, so the inside pixels form one interval.
    double lo = 0, hi = dstW;
    auto clip = [&](double s, double d, double limit) {
        if (d == 0) {
            if (s < 0 || s >= limit)
                lo = hi = 0;
            return;
        }
        double a = -s / d, b = (limit - s) / d;
        if (a > b)
            std::swap(a, b);
        lo = std::max(lo, a);
        hi = std::min(hi, b);
    };
    clip(double(sx), double(dx), double(int64_t(w - 1) * kFixOne));
    clip(double(sy), double(dy), double(int64_t(h - 1) * kFixOne));
    begin = std::max(0, int(std::ceil(lo)) - 1);
    end = std::min(dstW, int(std::floor(hi)) + 1);
    while (begin < end && !inside(begin))
        ++begin;
    while (end > begin && !inside(end - 1))
        --end;
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

// Fills destination row y of `dst` (8-bit grey or 24-bit, or an alpha plane).
void RotateRow(const RotationPlan& p, const Sampler& s, const uint8_t* bits, size_t stride,
               uint8_t* out, int y)
{
    int64_t sx, sy, dx, dy;
    RowStart(p, y, sx, sy, dx, dy);
    int begin, end;
    InteriorSpan(sx, sy, dx, dy, p.srcW, p.srcH, p.dstW, begin, end);
    const int ch = s.channels;
    for (int x = 0; x < begin; ++x)
        SampleEdge(s, sx + dx * x, sy + dy * x, out + x * ch);
    const int64_t bx = sx + dx * begin, by = sy + dy * begin;
    uint8_t* o = out + size_t(begin) * ch;
    const bool bilinear = s.in != IM_NEAREST_NEIGHBOUR;
    if (ch == 3)
        (bilinear ? InteriorBilinear<3> : InteriorNearest<3>)(bits, stride, bx, by, dx, dy, o,
                                                              end - begin);
    else
        (bilinear ? InteriorBilinear<1> : InteriorNearest<1>)(bits, stride, bx, by, dx, dy, o,
                                                              end - begin);
    for (int x = std::max(end, begin); x < p.dstW; ++x)
        SampleEdge(s, sx + dx * x, sy + dy * x, out + x * ch);
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
    for (int y = 0; y < plan.dstH; ++y) {
        if (Escaped(self))
            break;
        Progress(self, y, plan.dstH);
        RotateRow(plan, s, src.GetBits(0), src.GetEffWidth(), out.GetBits(y), y);
    }
    if (alpha) {
        // The alpha plane turns with the pixels; what comes from outside is transparent.
        Sampler a{&src, 1, CxInterpolation(inMethod), OM_COLOR, {0, 0, 0}};
        CxImage plane(src.GetWidth(), src.GetHeight(), 8);
        if (plane.IsValid()) {
            for (uint32_t y = 0; y < src.GetHeight(); ++y)
                std::memcpy(plane.GetBits(y), src.AlphaGetPointer(0, y), src.GetWidth());
            a.src = &plane;
            for (int y = 0; y < plan.dstH; ++y)
                RotateRow(plan, a, plane.GetBits(0), plane.GetEffWidth(), out.AlphaGetPointer(0, y),
                          y);
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
