// The skew finder of the image object: a grey grid of about 100 x 100 samples
// is binarised, cleaned of specks and turned into an edge map, and a Hough
// transform finds the angle of the strongest straight edge (the page's border or
// its lines of text). Only the final rotation touches every pixel.

#include "CxImage.h"
#include "CxPageDetect.h"
#include "CxPixelRows.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace cxdetect {

int SkewSampleStep(int width, int height)
{
    return std::max({1, height / kSkewGridSamples, width / kSkewGridSamples});
}

void Binarise(GreyGrid& grid, int threshold)
{
    for (uint8_t& v : grid.pixels)
        v = v > threshold ? 255 : 0;
}

namespace {

// Values the speck removal uses to mark what it has settled.
constexpr uint8_t kDark = 0;
constexpr uint8_t kLargeDark = 1;
constexpr uint8_t kVisitingDark = 2;
constexpr uint8_t kVisitingLight = 253;
constexpr uint8_t kLargeLight = 254;
constexpr uint8_t kLight = 255;

// Relabels every 8-connected set of `from` samples: sets of at most
// kMaxSpeckSamples become `small`, larger ones `large`.
void RelabelComponents(GreyGrid& grid, uint8_t from, uint8_t visiting, uint8_t small, uint8_t large)
{
    const int w = grid.width;
    const int h = grid.height;
    std::vector<int> queue;
    queue.reserve(grid.pixels.size());
    uint8_t* p = grid.pixels.data();
    for (int start = 0; start < w * h; ++start) {
        if (p[start] != from)
            continue;
        queue.clear();
        queue.push_back(start);
        p[start] = visiting;
        for (size_t head = 0; head < queue.size(); ++head) {
            const int y = queue[head] / w;
            const int x = queue[head] % w;
            for (int dy = -1; dy <= 1; ++dy) {
                const int ny = y + dy;
                if (ny < 0 || ny >= h)
                    continue;
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    if (nx < 0 || nx >= w || p[ny * w + nx] != from)
                        continue;
                    p[ny * w + nx] = visiting;
                    queue.push_back(ny * w + nx);
                }
            }
        }
        const uint8_t label = queue.size() <= static_cast<size_t>(kMaxSpeckSamples) ? small : large;
        for (int i : queue)
            p[i] = label;
    }
}

} // namespace

void RemoveSpecks(GreyGrid& grid)
{
    RelabelComponents(grid, kDark, kVisitingDark, kLight, kLargeDark);
    RelabelComponents(grid, kLight, kVisitingLight, kDark, kLargeLight);
}

GreyGrid EdgeMap(const GreyGrid& grid)
{
    GreyGrid edges;
    edges.width = grid.width;
    edges.height = grid.height;
    edges.pixels.assign(grid.pixels.size(), 0);
    for (int y = 1; y + 1 < grid.height; ++y) {
        for (int x = 1; x + 1 < grid.width; ++x) {
            const int v = grid.Row(y)[x];
            if (v != kLight && v != kLargeLight)
                continue;
            bool edge = false;
            for (int dy = -1; dy <= 1 && !edge; ++dy)
                for (int dx = -1; dx <= 1 && !edge; ++dx)
                    edge = std::abs(v - grid.Row(y + dy)[x + dx]) > kEdgeGreyStep;
            edges.Row(y)[x] = edge ? 255 : 0;
        }
    }
    return edges;
}

namespace {

struct Peak
{
    uint32_t count = 0;
    int angle = 0;
};

// Strongest cell of one accumulator; the first one met, angles upwards, wins.
Peak StrongestLine(const std::vector<uint32_t>& accumulator, int distances)
{
    Peak peak;
    for (int k = 0; k < kHoughAngles; ++k) {
        const uint32_t* row = accumulator.data() + static_cast<size_t>(k) * distances;
        for (int r = 0; r < distances; ++r) {
            if (row[r] > peak.count) {
                peak.count = row[r];
                peak.angle = k;
            }
        }
    }
    return peak;
}

} // namespace

int HoughSkew(const GreyGrid& edges)
{
    const double rows = edges.height;
    const double cols = edges.width;
    const int n = std::max(1, static_cast<int>(std::floor(std::sqrt(rows * rows + cols * cols))));
    std::vector<uint32_t> positive(static_cast<size_t>(kHoughAngles) * n, 0);
    std::vector<uint32_t> negative(static_cast<size_t>(kHoughAngles) * n, 0);
    double sines[kHoughAngles];
    double cosines[kHoughAngles];
    for (int k = 0; k < kHoughAngles; ++k) {
        sines[k] = std::sin(k * M_PI / 180.0);
        cosines[k] = std::cos(k * M_PI / 180.0);
    }
    for (int i = 0; i < edges.height; ++i) {
        const uint8_t* row = edges.Row(i);
        for (int j = 0; j < edges.width; ++j) {
            if (!row[j])
                continue;
            for (int k = 0; k < kHoughAngles; ++k) {
                const double rho = sines[k] * i + cosines[k] * j;
                auto& acc = rho >= 0 ? positive : negative;
                const int index = std::min(n - 1, static_cast<int>(std::floor(std::fabs(rho))));
                ++acc[static_cast<size_t>(k) * n + index];
            }
        }
    }
    const Peak pos = StrongestLine(positive, n);
    const Peak neg = StrongestLine(negative, n);
    return (neg.count >= pos.count ? neg.angle : pos.angle) - 90;
}

int FoldSkew(int rawSkew)
{
    if (rawSkew == 0 || rawSkew == -90)
        return 0;
    int skew = rawSkew;
    if (skew > 45)
        skew -= 90;
    if (skew < -45)
        skew += 90;
    return skew;
}

} // namespace cxdetect

namespace cxdetect {

namespace {

// Grey level of every palette entry (identity for 24-bit images).
void GreyTable(const CxImage& image, uint8_t table[256])
{
    for (int i = 0; i < 256; ++i)
        table[i] = uint8_t(i);
    if (image.GetBpp() <= 8)
        for (uint32_t i = 0; i < image.GetNumColors(); ++i)
            table[i] = cxrows::Grey(image.GetPaletteColor(uint8_t(i)));
}

} // namespace

GreyGrid SampleGreyGrid(const CxImage& image, int step, Histogram& histogram)
{
    histogram.fill(0);
    GreyGrid grid;
    grid.width = int(image.GetWidth()) / step;
    grid.height = int(image.GetHeight()) / step;
    grid.pixels.resize(size_t(grid.width) * grid.height);
    uint8_t table[256];
    GreyTable(image, table);
    const int bpp = int(image.GetBpp());
    for (int r = 0; r < grid.height; ++r) {
        const uint8_t* src = image.GetBits(uint32_t(r * step));
        uint8_t* out = grid.Row(r);
        for (int c = 0; c < grid.width; ++c) {
            const int x = c * step;
            const uint8_t v = bpp == 24 ? cxrows::Grey(src[3 * x + 2], src[3 * x + 1], src[3 * x])
                                        : table[cxrows::GetIndex(src, x, bpp)];
            out[c] = v;
            ++histogram[v];
        }
    }
    return grid;
}

void DumpCells(const CxDebugSink* sink, const char* stage, int width, int height,
               const uint8_t* cells, bool topRowFirst)
{
    if (!sink || !*sink || width <= 0 || height <= 0)
        return;
    CxImage view(uint32_t(width), uint32_t(height), 8);
    if (!view.IsValid())
        return;
    view.SetGrayPalette();
    for (int y = 0; y < height; ++y)
        std::memcpy(view.GetBits(uint32_t(topRowFirst ? height - 1 - y : y)),
                    cells + size_t(y) * width, size_t(width));
    (*sink)(stage, view);
}

void DumpGrid(const CxDebugSink* sink, const char* stage, const GreyGrid& grid)
{
    DumpCells(sink, stage, grid.width, grid.height, grid.pixels.data(), false);
}

int DetectSkew(const CxImage& image, const CxDebugSink* sink)
{
    if (!image.IsValid())
        return 0;
    Histogram histogram;
    GreyGrid grid = SampleGreyGrid(
        image, SkewSampleStep(int(image.GetWidth()), int(image.GetHeight())), histogram);
    if (grid.width < 1 || grid.height < 1)
        return 0;
    DumpGrid(sink, "deskew-samples", grid);
    Binarise(grid, CxImage::HistogramThreshold(histogram.data()));
    DumpGrid(sink, "deskew-binary", grid);
    RemoveSpecks(grid);
    DumpGrid(sink, "deskew-despeckled", grid);
    const GreyGrid edges = EdgeMap(grid);
    DumpGrid(sink, "deskew-edges", edges);
    return FoldSkew(HoughSkew(edges));
}

bool ApplySkew(CxImage& image, int skew)
{
    if (skew == 0)
        return true;
    const RGBQUAD black{};
    return image.RotateFree(float(skew), nullptr, IM_BILINEAR, OM_BACKGROUND, &black, true, false);
}

} // namespace cxdetect

bool CxImage::AutoDeskewCoarse()
{
    if (!IsValid())
        return false;
    const CxDebugSink* sink = m_debugSink ? &m_debugSink : nullptr;
    try {
        return cxdetect::ApplySkew(*this, cxdetect::DetectSkew(*this, sink));
    } catch (const std::bad_alloc&) {
        SetLastError("CxImage::AutoDeskew can't allocate memory");
        return false;
    }
}
