// The grid the fine stages of the page detectors work on: the photo averaged
// down to about a thousand cells along its longer side (which also calms
// sensor noise and fine print), and the same grid turned by a candidate angle
// exactly as the photo itself would be turned.

#include "CxImage.h"
#include "CxPageDetect.h"
#include "CxPixelRows.h"

#include <algorithm>
#include <cmath>

namespace cxdetect {

int FineSampleStep(int width, int height)
{
    const int longer = std::max(width, height);
    return std::max(1, (longer + kFineGridSamples - 1) / kFineGridSamples);
}

namespace {

// Whole rows and columns at the frame's edges that are near black throughout are the
// frame's own border (a lens hood, the stand's shadow), not desk: they lie outside the
// photo, so no page side is measured against them.
void MarkFrameBorder(FineGrid& g)
{
    auto darkRow = [&g](int y) {
        const uint8_t* row = g.grey.data() + size_t(y) * g.width;
        return *std::max_element(row, row + g.width) <= kFrameBorderGrey;
    };
    auto darkColumn = [&g](int x) {
        for (int y = 0; y < g.height; ++y)
            if (g.At(x, y) > kFrameBorderGrey)
                return false;
        return true;
    };
    const int rows = int(kMaxFrameBorderShare * g.height);
    const int columns = int(kMaxFrameBorderShare * g.width);
    for (int y = 0; y < rows && darkRow(y); ++y)
        std::fill_n(g.inside.begin() + ptrdiff_t(y) * g.width, g.width, 0);
    for (int y = g.height - 1; y >= g.height - rows && darkRow(y); --y)
        std::fill_n(g.inside.begin() + ptrdiff_t(y) * g.width, g.width, 0);
    for (int x = 0; x < columns && darkColumn(x); ++x)
        for (int y = 0; y < g.height; ++y)
            g.inside[size_t(y) * g.width + x] = 0;
    for (int x = g.width - 1; x >= g.width - columns && darkColumn(x); --x)
        for (int y = 0; y < g.height; ++y)
            g.inside[size_t(y) * g.width + x] = 0;
}

} // namespace

FineGrid SampleFineGrid(const CxImage& image, int step)
{
    FineGrid g;
    g.step = std::max(1, step);
    if (!image.IsValid())
        return g;
    g.width = int(image.GetWidth()) / g.step;
    g.height = int(image.GetHeight()) / g.step;
    if (g.width < 1 || g.height < 1) {
        g.width = g.height = 0;
        return g;
    }
    g.grey.resize(size_t(g.width) * g.height);
    g.inside.assign(g.grey.size(), 1);
    uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = uint8_t(i);
    const int bpp = int(image.GetBpp());
    if (bpp <= 8)
        for (uint32_t i = 0; i < image.GetNumColors(); ++i)
            table[i] = cxrows::Grey(image.GetPaletteColor(uint8_t(i)));
    const int last = int(image.GetHeight()) - 1;
    const uint32_t area = uint32_t(g.step) * uint32_t(g.step);
    // Colour photos: each channel summed over the block, grey taken once per cell
    // (the grey weights are linear, so this is the block's mean grey).
    std::vector<uint32_t> sums(size_t(g.width)), channels(size_t(3) * g.width);
    for (int r = 0; r < g.height; ++r) {
        std::fill(sums.begin(), sums.end(), 0u);
        std::fill(channels.begin(), channels.end(), 0u);
        for (int k = 0; k < g.step; ++k) {
            const uint8_t* src = image.GetBits(uint32_t(last - (r * g.step + k)));
            if (bpp == 24) {
                const uint8_t* p = src;
                uint32_t* out = channels.data();
                for (int c = 0; c < g.width; ++c, out += 3) {
                    uint32_t b = 0, gr = 0, red = 0;
                    for (int i = 0; i < g.step; ++i, p += 3) {
                        b += p[0];
                        gr += p[1];
                        red += p[2];
                    }
                    out[0] += b;
                    out[1] += gr;
                    out[2] += red;
                }
            } else {
                for (int c = 0; c < g.width; ++c) {
                    uint32_t sum = 0;
                    for (int i = 0; i < g.step; ++i)
                        sum += table[cxrows::GetIndex(src, c * g.step + i, bpp)];
                    sums[c] += sum;
                }
            }
        }
        if (bpp == 24)
            for (int c = 0; c < g.width; ++c) {
                const uint32_t* ch = channels.data() + size_t(3) * c;
                sums[c] = (ch[2] * 306u + ch[1] * 601u + ch[0] * 117u) >> 10;
            }
        uint8_t* out = g.grey.data() + size_t(r) * g.width;
        for (int c = 0; c < g.width; ++c)
            out[c] = uint8_t((sums[c] + area / 2) / area);
    }
    MarkFrameBorder(g);
    return g;
}

FineGrid TurnGrid(const FineGrid& grid, double ccwDegrees)
{
    const double a = ccwDegrees * M_PI / 180.0;
    const double ca = std::cos(a), sa = std::sin(a);
    const int w = grid.width, h = grid.height;
    FineGrid out;
    out.step = grid.step;
    if (w < 1 || h < 1)
        return out;
    // The same canvas as the photo's own turn: the turned area's extent, same centre.
    out.width = std::max(1, int(std::ceil(std::fabs(ca) * w + std::fabs(sa) * h - 1e-3)));
    out.height = std::max(1, int(std::ceil(std::fabs(sa) * w + std::fabs(ca) * h - 1e-3)));
    out.grey.assign(size_t(out.width) * out.height, 0);
    out.inside.assign(out.grey.size(), 0);
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    const double dcx = (out.width - 1) / 2.0, dcy = (out.height - 1) / 2.0;
    for (int y = 0; y < out.height; ++y) {
        // Rows are top-down: a page turned counter-clockwise on screen has its
        // rightward direction at (cos a, -sin a) and its downward one at (sin a, cos a).
        const double dy = y - dcy;
        const double sx0 = cx - ca * dcx + sa * dy;
        const double sy0 = cy + sa * dcx + ca * dy;
        uint8_t* grey = out.grey.data() + size_t(y) * out.width;
        uint8_t* inside = out.inside.data() + size_t(y) * out.width;
        for (int x = 0; x < out.width; ++x) {
            const double sx = sx0 + ca * x;
            const double sy = sy0 - sa * x;
            if (sx < 0 || sy < 0 || sx > w - 1 || sy > h - 1)
                continue;
            const int x0 = int(sx), y0 = int(sy);
            const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
            const double fx = sx - x0, fy = sy - y0;
            const double top = grid.At(x0, y0) + fx * (grid.At(x1, y0) - grid.At(x0, y0));
            const double bottom = grid.At(x0, y1) + fx * (grid.At(x1, y1) - grid.At(x0, y1));
            grey[x] = uint8_t(std::lround(top + fy * (bottom - top)));
            inside[x] = grid.Inside(int(std::lround(sx)), int(std::lround(sy)));
        }
    }
    return out;
}

} // namespace cxdetect
