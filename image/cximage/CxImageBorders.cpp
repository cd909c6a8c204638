// The page-area finder of the image object: the photo is binarised with the
// shared histogram threshold, light pixels are counted per row and column, the
// outermost rows and columns that are mostly light are found and then narrowed
// to the first long run of light lines from each side.

#include "CxImage.h"
#include "CxPageDetect.h"
#include "CxPixelRows.h"

#include <algorithm>
#include <new>
#include <vector>

namespace cxdetect {

namespace {

constexpr uint8_t kLightSample = 255;

// Light pixels of each row within columns [x0, x1].
std::vector<uint32_t> RowCounts(const GreyGrid& binary, int x0, int x1)
{
    std::vector<uint32_t> counts(binary.height, 0);
    for (int y = 0; y < binary.height; ++y) {
        const uint8_t* row = binary.Row(y);
        uint32_t n = 0;
        for (int x = x0; x <= x1; ++x)
            n += row[x] & 1;
        counts[y] = n;
    }
    return counts;
}

// Light pixels of each column within rows [y0, y1].
std::vector<uint32_t> ColumnCounts(const GreyGrid& binary, int y0, int y1)
{
    std::vector<uint32_t> counts(binary.width, 0);
    for (int y = y0; y <= y1; ++y) {
        const uint8_t* row = binary.Row(y);
        for (int x = 0; x < binary.width; ++x)
            counts[x] += row[x] & 1;
    }
    return counts;
}

// First index from `from` (stepping by `step`, stopping before `end`) whose
// count exceeds `limit`; `fallback` when there is none.
int FirstAbove(const std::vector<uint32_t>& counts, int from, int end, int step, uint64_t limit,
               int fallback)
{
    for (int i = from; i != end; i += step)
        if (counts[i] > limit)
            return i;
    return fallback;
}

// Walks from `from` towards `to` and returns where the first run of lines
// above `limit` longer than kMinPageRunLines starts; shorter runs are noise
// (a shadow, a ruler). A run still open at `to` counts too.
int StartOfLongRun(const std::vector<uint32_t>& counts, int from, int to, int64_t limit,
                   int fallback)
{
    const int step = from <= to ? 1 : -1;
    int runStart = -1;
    int runLength = 0;
    for (int i = from;; i += step) {
        if (static_cast<int64_t>(counts[i]) > limit) {
            if (runStart < 0)
                runStart = i;
            ++runLength;
        } else if (runStart >= 0) {
            if (runLength > kMinPageRunLines)
                return runStart;
            runStart = -1;
            runLength = 0;
        }
        if (i == to)
            break;
    }
    return runStart >= 0 && runLength > kMinPageRunLines ? runStart : fallback;
}

} // namespace

PageBox FindPageBox(const GreyGrid& binary)
{
    const int w = binary.width;
    const int h = binary.height;
    const std::vector<uint32_t> rows = RowCounts(binary, 0, w - 1);
    uint64_t light = 0;
    for (uint32_t n : rows)
        light += n;
    const uint64_t area = static_cast<uint64_t>(w) * h;
    uint64_t rowLimit = kSparseLineThreshold; // for column counts (R)
    uint64_t colLimit = kSparseLineThreshold; // for row counts (C)
    if (light * 10 > area * 9) {
        rowLimit = static_cast<uint64_t>(h) * 4 / 5;
        colLimit = static_cast<uint64_t>(w) * 4 / 5;
    } else if (light * 5 > area) {
        rowLimit = h / 5;
        colLimit = w / 5;
    }
    int lower = FirstAbove(rows, 1, h, 1, colLimit, 0);
    int upper = FirstAbove(rows, h - 2, -1, -1, colLimit, h - 1);
    const std::vector<uint32_t> cols = ColumnCounts(binary, 0, h - 1);
    int left = FirstAbove(cols, 1, w, 1, rowLimit, 0);
    int right = FirstAbove(cols, w - 2, -1, -1, rowLimit, w - 1);

    if (left <= right && lower <= upper) {
        const std::vector<uint32_t> inRows = RowCounts(binary, left, right);
        const int64_t u = (right - left + 1) / 5;
        const int newLower = StartOfLongRun(inRows, lower, upper, u, lower);
        const int newUpper = StartOfLongRun(inRows, upper, lower, u, upper);
        lower = newLower;
        upper = newUpper;
    }
    int b = std::min(lower, upper);
    int t = std::max(lower, upper);
    if (b <= t && left <= right) {
        const std::vector<uint32_t> inCols = ColumnCounts(binary, b, t);
        const int64_t v = (t - b + 1) / 5;
        const int newLeft = StartOfLongRun(inCols, left, right, v, left);
        const int newRight = StartOfLongRun(inCols, right, left, v, right);
        left = std::min(newLeft, newRight);
        right = std::max(newLeft, newRight);
    }
    if (t - b < kMinPageSidePixels || right - left < kMinPageSidePixels) {
        b = 0;
        t = h - 1;
        left = 0;
        right = w - 1;
    }
    // The crop keeps rows b ... t-1 counted from the bottom and columns left ... right-1.
    return PageBox{left, h - t, right, h - b};
}

} // namespace cxdetect

namespace cxdetect {

GreyGrid GreyCopy(const CxImage& image, Histogram& histogram)
{
    GreyGrid grey;
    grey.width = int(image.GetWidth());
    grey.height = int(image.GetHeight());
    grey.pixels.resize(size_t(grey.width) * grey.height);
    uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = uint8_t(i);
    for (uint32_t i = 0; i < image.GetNumColors(); ++i)
        table[i] = cxrows::Grey(image.GetPaletteColor(uint8_t(i)));
    // Four interleaved partial histograms: a page is mostly one level, and
    // counting every pixel into the same bin would wait on the previous count.
    std::vector<uint32_t> parts(4 * 256, 0);
    const int bpp = int(image.GetBpp());
    for (int y = 0; y < grey.height; ++y) {
        const uint8_t* src = image.GetBits(uint32_t(y));
        uint8_t* out = grey.Row(y);
        if (bpp == 24) {
            for (int x = 0; x < grey.width; ++x, src += 3)
                out[x] = cxrows::Grey(src[2], src[1], src[0]);
        } else {
            for (int x = 0; x < grey.width; ++x)
                out[x] = table[cxrows::GetIndex(src, x, bpp)];
        }
        for (int x = 0; x < grey.width; ++x)
            ++parts[size_t(x & 3) * 256 + out[x]];
    }
    for (int i = 0; i < 256; ++i)
        histogram[i] = parts[i] + parts[256 + i] + parts[512 + i] + parts[768 + i];
    return grey;
}

PageBox DetectPageBox(const CxImage& image, const CxDebugSink* sink)
{
    if (!image.IsValid())
        return PageBox{};
    Histogram histogram;
    GreyGrid grey = GreyCopy(image, histogram);
    Binarise(grey, CxImage::HistogramThreshold(histogram.data()));
    DumpGrid(sink, "borders-binary", grey);
    return FindPageBox(grey);
}

} // namespace cxdetect

bool CxImage::AutoCropBorderCoarse()
{
    if (!IsValid())
        return false;
    const CxDebugSink* sink = m_debugSink ? &m_debugSink : nullptr;
    cxdetect::PageBox box;
    try {
        box = cxdetect::DetectPageBox(*this, sink);
    } catch (const std::bad_alloc&) {
        SetLastError("CxImage::AutoCropBorder can't allocate memory");
        return false;
    }
    return Crop(box.left, box.top, box.right, box.bottom);
}
