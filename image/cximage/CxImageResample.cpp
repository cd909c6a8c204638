// Resizing and cropping of the image object: interpolated resampling with area
// averaging when shrinking, the fast box-average shrink, and the rectangle crop.
// Rows are processed once each with per-column tables computed up front.

#include "CxImage.h"
#include "CxPixelRows.h"

#include <cmath>
#include <cstring>
#include <vector>

using namespace cxrows;

namespace {

// Fixed-point bilinear weights: 8 fractional bits per direction.
constexpr int kWeightOne = 256;

// For each destination index: the two source indices and the weight of the second.
struct Taps
{
    std::vector<int> lo, hi, weight;
};

Taps BilinearTaps(int dstSize, int srcSize, bool nearest)
{
    Taps t;
    t.lo.resize(dstSize);
    t.hi.resize(dstSize);
    t.weight.resize(dstSize);
    const double scale = double(srcSize) / dstSize;
    for (int i = 0; i < dstSize; ++i) {
        const double pos = (i + 0.5) * scale - 0.5;
        if (nearest) {
            t.lo[i] = t.hi[i] = ClampInt(int(std::floor((i + 0.5) * scale)), 0, srcSize - 1);
            t.weight[i] = 0;
            continue;
        }
        const int base = int(std::floor(pos));
        t.lo[i] = ClampInt(base, 0, srcSize - 1);
        t.hi[i] = ClampInt(base + 1, 0, srcSize - 1);
        t.weight[i] = ClampInt(int(std::lround((pos - base) * kWeightOne)), 0, kWeightOne);
    }
    return t;
}

bool ResampleBilinear(const CxImage& src, CxImage& dst, bool nearest, CxImage& progress)
{
    const int ch = src.GetBpp() == 24 ? 3 : 1;
    const int dw = int(dst.GetWidth()), dh = int(dst.GetHeight());
    const Taps tx = BilinearTaps(dw, int(src.GetWidth()), nearest);
    const Taps ty = BilinearTaps(dh, int(src.GetHeight()), nearest);
    for (int y = 0; y < dh; ++y) {
        if (Escaped(progress))
            return false;
        Progress(progress, y, dh);
        const uint8_t* r0 = src.GetBits(ty.lo[y]);
        const uint8_t* r1 = src.GetBits(ty.hi[y]);
        const int wy = ty.weight[y];
        uint8_t* out = dst.GetBits(y);
        for (int x = 0; x < dw; ++x) {
            const int a = tx.lo[x] * ch, b = tx.hi[x] * ch, wx = tx.weight[x];
            for (int c = 0; c < ch; ++c) {
                const int top = r0[a + c] * (kWeightOne - wx) + r0[b + c] * wx;
                const int bottom = r1[a + c] * (kWeightOne - wx) + r1[b + c] * wx;
                out[x * ch + c] = uint8_t((top * (kWeightOne - wy) + bottom * wy + 32768) >> 16);
            }
        }
    }
    return true;
}

// Share of source cell `s` covered by destination cell `d` when `n` source cells
// map onto `m` destination cells; cells are measured in units of 1/m source cells.
struct Span
{
    int first = 0;
    std::vector<float> weights; // one per covered source cell, summing to 1
};

std::vector<Span> AreaSpans(int dstSize, int srcSize)
{
    std::vector<Span> spans(dstSize);
    const double scale = double(srcSize) / dstSize;
    for (int i = 0; i < dstSize; ++i) {
        const double a = i * scale, b = (i + 1) * scale;
        Span& s = spans[i];
        s.first = int(std::floor(a));
        const int last = std::min(srcSize - 1, int(std::ceil(b)) - 1);
        for (int k = s.first; k <= last; ++k) {
            const double cover = std::min(b, k + 1.0) - std::max(a, double(k));
            s.weights.push_back(float(cover / scale));
        }
    }
    return spans;
}

// Each destination pixel averages the source area it covers (used when shrinking).
bool ResampleAverage(const CxImage& src, CxImage& dst, CxImage& progress)
{
    const int ch = src.GetBpp() == 24 ? 3 : 1;
    const int dw = int(dst.GetWidth()), dh = int(dst.GetHeight());
    const std::vector<Span> xs = AreaSpans(dw, int(src.GetWidth()));
    const std::vector<Span> ys = AreaSpans(dh, int(src.GetHeight()));
    std::vector<float> across(size_t(dw) * ch), sum(size_t(dw) * ch);
    for (int y = 0; y < dh; ++y) {
        if (Escaped(progress))
            return false;
        Progress(progress, y, dh);
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (size_t k = 0; k < ys[y].weights.size(); ++k) {
            const uint8_t* row = src.GetBits(ys[y].first + int(k));
            for (int x = 0; x < dw; ++x) {
                const Span& s = xs[x];
                for (int c = 0; c < ch; ++c) {
                    float v = 0;
                    for (size_t j = 0; j < s.weights.size(); ++j)
                        v += s.weights[j] * row[(s.first + int(j)) * ch + c];
                    across[size_t(x) * ch + c] = v;
                }
            }
            const float wy = ys[y].weights[k];
            for (size_t i = 0; i < sum.size(); ++i)
                sum[i] += wy * across[i];
        }
        uint8_t* out = dst.GetBits(y);
        for (size_t i = 0; i < sum.size(); ++i)
            out[i] = ClampByte(sum[i] + 0.5f);
    }
    return true;
}

// The image as 8-bit grey or 24-bit: `self` when it already is, else a converted copy.
const CxImage* Interpolatable(CxImage& self, CxImage& converted)
{
    if (IsInterpolatable(self))
        return &self;
    if (!ToInterpolatable(self, converted)) {
        self.SetLastError(converted.GetLastError());
        return nullptr;
    }
    return &converted;
}

// The alpha plane of `src` as an 8-bit image, so that the resamplers treat it like pixels.
bool AlphaAsImage(const CxImage& src, CxImage& plane)
{
    if (!plane.Create(src.GetWidth(), src.GetHeight(), 8))
        return false;
    plane.SetGrayPalette();
    for (uint32_t y = 0; y < src.GetHeight(); ++y)
        std::memcpy(plane.GetBits(y), src.AlphaGetPointer(0, int32_t(y)), src.GetWidth());
    return true;
}

void ImageToAlpha(const CxImage& plane, CxImage& out)
{
    if (!out.AlphaCreate())
        return;
    for (uint32_t y = 0; y < out.GetHeight(); ++y)
        std::memcpy(out.AlphaGetPointer(0, int32_t(y)), plane.GetBits(y), out.GetWidth());
}

// Box averages of `src` into `out` (no larger in either direction). False when stopped.
bool ShrinkBoxes(const CxImage& src, CxImage& out, CxImage& progress)
{
    const int ch = src.GetBpp() == 24 ? 3 : 1;
    const int sw = int(src.GetWidth()), sh = int(src.GetHeight());
    const int newx = int(out.GetWidth()), newy = int(out.GetHeight());
    // Destination column x averages source columns colStart[x] ... colStart[x + 1] - 1.
    std::vector<int> colStart(newx + 1);
    for (int x = 0; x <= newx; ++x)
        colStart[x] = int(int64_t(x) * sw / newx);
    // 64-bit sums: one block of a large photo can hold more than 2^32 / 255 pixels.
    std::vector<uint64_t> acc(size_t(newx) * ch);
    for (int y = 0; y < newy; ++y) {
        if (Escaped(progress))
            return false;
        Progress(progress, y, newy);
        const int r0 = int(int64_t(y) * sh / newy), r1 = int(int64_t(y + 1) * sh / newy);
        std::fill(acc.begin(), acc.end(), 0);
        for (int r = r0; r < r1; ++r) {
            const uint8_t* row = src.GetBits(r);
            for (int x = 0; x < newx; ++x)
                for (int s = colStart[x]; s < colStart[x + 1]; ++s)
                    for (int c = 0; c < ch; ++c)
                        acc[size_t(x) * ch + c] += row[s * ch + c];
        }
        uint8_t* out8 = out.GetBits(y);
        for (int x = 0; x < newx; ++x) {
            const uint64_t n = uint64_t(r1 - r0) * uint64_t(colStart[x + 1] - colStart[x]);
            for (int c = 0; c < ch; ++c)
                out8[x * ch + c] = uint8_t((acc[size_t(x) * ch + c] + n / 2) / n);
        }
    }
    return true;
}

// The set-up both resizers share: the pixels as 8-bit grey or 24-bit, the new
// image, `resize` over the pixels (telling the progress) and then quietly over the
// alpha plane, and the result in iDst or in place.
template <class Resize>
bool ResizeInto(CxImage& self, int32_t newx, int32_t newy, CxImage* iDst, Resize resize)
{
    CxImage converted;
    const CxImage* src = Interpolatable(self, converted);
    if (!src)
        return false;
    CxImage out;
    if (!CreateLike(out, *src, newx, newy, src->GetBpp())) {
        self.SetLastError(out.GetLastError());
        return false;
    }
    resize(*src, out, self);
    CxImage plane, scaled;
    if (src->AlphaIsValid() && AlphaAsImage(*src, plane) && scaled.Create(newx, newy, 8)) {
        CxImage quiet; // the pixels' progress is already told
        resize(plane, scaled, quiet);
        ImageToAlpha(scaled, out);
    }
    self.SetProgress(100);
    return iDst ? iDst->Transfer(out) : self.Transfer(out);
}

} // namespace

bool CxImage::ResampleTo(int32_t newx, int32_t newy, CxInterpolation inMethod,
                         CxOverflow /*ofMethod: positions never leave the pixel area*/,
                         CxImage* iDst, bool disableAveraging)
{
    if (!IsValid())
        return false;
    if (newx <= 0 || newy <= 0) {
        SetLastError("CxImage::ResampleTo : width and height must be greater than zero");
        return false;
    }
    const bool shrinking = newx < int(GetWidth()) || newy < int(GetHeight());
    const bool average = shrinking && !disableAveraging;
    const bool nearest = inMethod == IM_NEAREST_NEIGHBOUR;
    return ResizeInto(*this, newx, newy, iDst,
                      [average, nearest](const CxImage& from, CxImage& to, CxImage& progress) {
                          return average ? ResampleAverage(from, to, progress)
                                         : ResampleBilinear(from, to, nearest, progress);
                      });
}

bool CxImage::QIShrink(int32_t newx, int32_t newy, CxImage* iDst, bool /*bChangeBpp*/)
{
    if (!IsValid())
        return false;
    if (newx > int32_t(GetWidth()) || newy > int32_t(GetHeight())) {
        SetLastError("QIShrink can't enlarge image");
        return false;
    }
    if (newx <= 0 || newy <= 0) {
        SetLastError("CxImage::QIShrink : width and height must be greater than zero");
        return false;
    }
    return ResizeInto(*this, newx, newy, iDst, ShrinkBoxes);
}

bool CxImage::Crop(const CxRect& rect, CxImage* iDst)
{
    return Crop(rect.left, rect.top, rect.right, rect.bottom, iDst);
}

bool CxImage::Crop(int32_t left, int32_t top, int32_t right, int32_t bottom, CxImage* iDst)
{
    if (!IsValid())
        return false;
    const int w = int(GetWidth()), h = int(GetHeight());
    left = ClampInt(left, 0, w);
    right = ClampInt(right, 0, w);
    top = ClampInt(top, 0, h);
    bottom = ClampInt(bottom, 0, h);
    // Bottom-up rows [startRow, endRow).
    int startRow = h - bottom, endRow = h - top;
    if (left > right)
        std::swap(left, right);
    if (startRow > endRow)
        std::swap(startRow, endRow);
    if (right == left || endRow == startRow) {
        SetLastError("CxImage::Crop : empty rectangle");
        return false;
    }
    const int cw = right - left, ch = endRow - startRow;
    CxImage out;
    if (!CreateLike(out, *this, cw, ch, GetBpp())) {
        SetLastError(out.GetLastError());
        return false;
    }
    const int bpp = int(GetBpp());
    for (int y = 0; y < ch; ++y) {
        if (Escaped(*this))
            break;
        Progress(*this, y, ch);
        const uint8_t* s = GetBits(startRow + y);
        uint8_t* d = out.GetBits(y);
        if (bpp >= 8)
            std::memcpy(d, s + size_t(left) * (bpp / 8), size_t(cw) * (bpp / 8));
        else
            for (int x = 0; x < cw; ++x)
                SetIndex(d, x, bpp, GetIndex(s, left + x, bpp));
    }
    if (AlphaIsValid() && out.AlphaCreate())
        for (int y = 0; y < ch; ++y)
            std::memcpy(out.AlphaGetPointer(0, y), AlphaGetPointer(left, startRow + y), cw);
    SetProgress(100);
    return iDst ? iDst->Transfer(out) : Transfer(out);
}
