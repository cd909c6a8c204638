// Finds the page that lies under the centre of a photo by the edges around it.
// From the centre outwards, along a band of rows, the first column where most
// rows step from a darker desk up to a run of paper is the page's left side
// (and so on for the others); a second page, a mug or a desk lighter than the
// paper's shadow stops the walk at the first such edge, not at the brightest.
// Where no edge shows (the page runs off the picture) the page reaches as far
// as its rows stay about as light as paper. Works on the fine grid, so it
// holds under vignetting (only local steps count) and on grey desks.

#include "CxImage.h"
#include "CxPageDetect.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

namespace cxdetect {

namespace {

struct SidePair
{
    double low = 0, high = 0;
    bool seenLow = false, seenHigh = false;
};

FineGrid Transposed(const FineGrid& g)
{
    FineGrid t;
    t.width = g.height;
    t.height = g.width;
    t.step = g.step;
    t.grey.resize(g.grey.size());
    t.inside.resize(g.inside.size());
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
            t.grey[size_t(x) * t.width + y] = g.grey[size_t(y) * g.width + x];
            t.inside[size_t(x) * t.width + y] = g.inside[size_t(y) * g.width + x];
        }
    return t;
}

// Minimum (or maximum) of every window of `length` cells of a row: out[i] covers
// row[i] ... row[i + length - 1] (windows running past the end are cut short).
template <typename Pick>
void WindowExtreme(const uint8_t* row, int w, int length, Pick pick, std::vector<uint8_t>& out,
                   std::vector<uint8_t>& ahead, std::vector<uint8_t>& behind)
{
    // Blocks of `length` cells: the running extreme from each block's start and from its end.
    for (int i = 0; i < w; ++i)
        ahead[i] = (i % length == 0) ? row[i] : pick(ahead[i - 1], row[i]);
    for (int i = w - 1; i >= 0; --i)
        behind[i] = (i == w - 1 || (i + 1) % length == 0) ? row[i] : pick(behind[i + 1], row[i]);
    for (int i = 0; i < w; ++i) {
        const int end = std::min(w - 1, i + length - 1);
        out[i] = pick(behind[i], ahead[end]);
    }
}

// Marks the cells of one row where a page edge may lie: the kSideRunCells cells
// before the gap of 2 x kEdgeSpanCells around the cell and the kSideRunCells
// after it keep apart by kMinLineEdgeStep grey levels - all of one side lighter
// than all of the other. A line of print is too thin for that (paper lies on both
// sides of it); a page's margin against a desk, a darker second page or the
// photo's own border is not. Where the side away from the page is the lighter one
// (a lighter second page, a white mug, perhaps past a sliver of shadow) the page's
// side must still be nearly as light: a block of blurred print against its margin
// is no page edge.
struct EdgeMarker
{
    std::vector<uint8_t> lo, hi, ahead, behind;

    explicit EdgeMarker(int w) : lo(size_t(w)), hi(size_t(w)), ahead(size_t(w)), behind(size_t(w))
    {
    }

    // Page after the cell (pageAfter) or before it, away from what lies beyond.
    bool Darker(int page, int beyond) const
    {
        return lo[size_t(page)] - hi[size_t(beyond)] >= kMinLineEdgeStep;
    }

    bool Lighter(int page, int beyond) const
    {
        return lo[size_t(beyond)] - hi[size_t(page)] >= kMinLineEdgeStep &&
               lo[size_t(page)] >= kLighterNeighbourShare * hi[size_t(beyond)];
    }

    // A lighter neighbour may lie beyond a sliver of shadow or desk (`away` is the
    // direction from the page's side to it, -1 or 1).
    bool LighterPastSliver(int page, int beyond, int away, int w) const
    {
        for (int gap = 0; gap <= kMaxSliverCells; gap += kEdgeSpanCells) {
            const int at = beyond + away * gap;
            if (at < 0 || at + kSideRunCells > w)
                return false;
            if (Lighter(page, at))
                return true;
        }
        return false;
    }

    void Mark(const uint8_t* row, int w, std::vector<uint8_t>& pageAfter,
              std::vector<uint8_t>& pageBefore)
    {
        const int k = kEdgeSpanCells, m = kSideRunCells;
        std::fill(pageAfter.begin(), pageAfter.end(), 0);
        std::fill(pageBefore.begin(), pageBefore.end(), 0);
        if (w < 2 * (k + m) + 1)
            return;
        WindowExtreme(
            row, w, m, [](uint8_t a, uint8_t b) { return std::min(a, b); }, lo, ahead, behind);
        WindowExtreme(
            row, w, m, [](uint8_t a, uint8_t b) { return std::max(a, b); }, hi, ahead, behind);
        for (int x = k + m - 1; x + k + m - 1 < w; ++x) {
            const int before = x - k - m + 1, after = x + k;
            pageAfter[x] = Darker(after, before) || LighterPastSliver(after, before, -1, w);
            pageBefore[x] = Darker(before, after) || LighterPastSliver(before, after, 1, w);
        }
    }
};

// Adds 1 to count[x] for every x that has a marked cell within `reach` of it.
void CountNear(const std::vector<uint8_t>& marks, int reach, std::vector<int>& prefix,
               std::vector<int>& count)
{
    const int w = int(marks.size());
    prefix[0] = 0;
    for (int x = 0; x < w; ++x)
        prefix[x + 1] = prefix[x] + marks[x];
    for (int x = 0; x < w; ++x)
        if (prefix[std::min(w, x + reach + 1)] - prefix[std::max(0, x - reach)] > 0)
            ++count[x];
}

// The sides, along x, of the page under column `centre`, seen over rows y0 ... y1.
SidePair FindSidesAlongX(const FineGrid& g, int y0, int y1, int centre, double leanDegrees)
{
    const int w = g.width;
    const int n = y1 - y0 + 1;
    const int k = kEdgeSpanCells;
    // An edge leaning by the tolerated angle wanders this far over the band.
    const int reach = int(std::ceil(std::tan(leanDegrees * M_PI / 180.0) * n / 2)) + 1;
    std::vector<double> mean(size_t(w), 0.0);
    std::vector<int> lowRows(size_t(w), 0), highRows(size_t(w), 0);
    std::vector<uint8_t> pageAfter(static_cast<size_t>(w)), pageBefore(static_cast<size_t>(w));
    std::vector<int> prefix(size_t(w) + 1);
    EdgeMarker marker(w);
    int lines = 0;
    for (int y = y0; y <= y1; y += kBandLineStride, ++lines) {
        const uint8_t* row = g.grey.data() + size_t(y) * w;
        for (int x = 0; x < w; ++x)
            mean[x] += row[x];
        marker.Mark(row, w, pageAfter, pageBefore);
        CountNear(pageAfter, reach, prefix, lowRows);
        CountNear(pageBefore, reach, prefix, highRows);
    }
    for (double& v : mean)
        v /= lines;
    auto step = [&](int x) { return x >= k && x + k < w ? mean[x + k] - mean[x - k] : 0.0; };
    // Where the edge lies: the middle of the step over the stretch it may lean across.
    auto centroid = [&](int from, int to, int fallback) {
        double sum = 0, weight = 0;
        for (int x = std::max(0, from); x <= std::min(w - 1, to); ++x) {
            const double s = std::fabs(step(x));
            sum += s * x;
            weight += s;
        }
        return weight > 0 ? sum / weight : double(fallback);
    };
    const double needed = kMinEdgeLineShare * lines;
    SidePair sides;
    for (int x = centre; x >= 0 && !sides.seenLow; --x)
        if (lowRows[x] >= needed) {
            sides.low = centroid(x - 2 * reach - k, x + k, x);
            sides.seenLow = true;
        }
    for (int x = centre; x < w && !sides.seenHigh; ++x)
        if (highRows[x] >= needed) {
            sides.high = centroid(x - k, x + 2 * reach + k, x);
            sides.seenHigh = true;
        }
    if (!sides.seenLow || !sides.seenHigh) {
        // No edge: the page runs on as long as its columns stay about as light as paper.
        const int half = std::max(1, w / 20);
        double paper = 0;
        int cells = 0;
        for (int x = std::max(0, centre - half); x <= std::min(w - 1, centre + half); ++x, ++cells)
            paper += mean[x];
        paper /= std::max(1, cells);
        if (!sides.seenLow) {
            int x = centre;
            while (x > 0 && mean[x - 1] >= kPaperShare * paper)
                --x;
            sides.low = x - 0.5;
        }
        if (!sides.seenHigh) {
            int x = centre;
            while (x + 1 < w && mean[x + 1] >= kPaperShare * paper)
                ++x;
            sides.high = x + 0.5;
        }
    }
    return sides;
}

// Lines lo ... hi less kCornerShare of their span at either end, inside 0 ... size-1.
void InnerBand(double lo, double hi, int size, int& from, int& to)
{
    const double margin = kCornerShare * (hi - lo);
    from = std::max(0, int(std::ceil(lo + margin)));
    to = std::min(size - 1, int(std::floor(hi - margin)));
    if (to < from) {
        from = std::max(0, std::min(size - 1, int(std::lround((lo + hi) / 2))));
        to = from;
    }
}

// Where to look for the page: the grid's centre, unless the largest region of
// paper-light cells lies wholly to one side of it (a page touching a corner of the
// frame, with desk or the frame's dark border under the centre); then the middle
// of that region.
void PageCentre(const FineGrid& g, int& cx, int& cy)
{
    cx = g.width / 2;
    cy = g.height / 2;
    const int r = std::max(1, std::max(g.width, g.height) / kLightRegionCells);
    const int w = g.width / r, h = g.height / r;
    if (w < 2 || h < 2)
        return;
    std::vector<uint8_t> grey(size_t(w) * h), in(size_t(w) * h);
    std::array<int, 256> histogram{};
    int cells = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            grey[i] = g.At(x * r, y * r);
            in[i] = g.Inside(x * r, y * r);
            if (in[i]) {
                ++histogram[grey[i]];
                ++cells;
            }
        }
    if (cells == 0)
        return;
    int paper = 255;
    for (int seen = 0; paper > 0; --paper) {
        seen += histogram[size_t(paper)];
        if (seen >= (1 - kPaperPercentile) * cells)
            break;
    }
    const int light = int(std::ceil(kLightRegionShare * paper));
    // The largest 4-connected set of light cells and its bounding box.
    std::vector<int> label(grey.size(), -1), queue;
    int bestCount = 0, bestLabel = -1;
    int box[4] = {0, 0, 0, 0}, bestBox[4] = {0, 0, 0, 0};
    for (size_t start = 0; start < grey.size(); ++start) {
        if (label[start] >= 0 || !in[start] || grey[start] < light)
            continue;
        const int id = int(start);
        label[start] = id;
        queue.assign(1, id);
        box[0] = box[2] = id % w;
        box[1] = box[3] = id / w;
        for (size_t q = 0; q < queue.size(); ++q) {
            const int x = queue[q] % w, y = queue[q] / w;
            box[0] = std::min(box[0], x);
            box[2] = std::max(box[2], x);
            box[1] = std::min(box[1], y);
            box[3] = std::max(box[3], y);
            const int next[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
            for (const auto& n : next) {
                if (n[0] < 0 || n[1] < 0 || n[0] >= w || n[1] >= h)
                    continue;
                const size_t j = size_t(n[1]) * w + n[0];
                if (label[j] < 0 && in[j] && grey[j] >= light) {
                    label[j] = id;
                    queue.push_back(int(j));
                }
            }
        }
        if (int(queue.size()) > bestCount) {
            bestCount = int(queue.size());
            bestLabel = id;
            std::copy(box, box + 4, bestBox);
        }
    }
    const int sx = (g.width / 2) / r, sy = (g.height / 2) / r;
    if (bestLabel < 0 || bestCount < kMinPageShare * kMinPageShare * cells ||
        (sx >= bestBox[0] && sx <= bestBox[2] && sy >= bestBox[1] && sy <= bestBox[3]))
        return;
    // The region's cell nearest the middle of its box.
    const double mx = (bestBox[0] + bestBox[2]) / 2.0, my = (bestBox[1] + bestBox[3]) / 2.0;
    double nearest = -1;
    for (int y = bestBox[1]; y <= bestBox[3]; ++y)
        for (int x = bestBox[0]; x <= bestBox[2]; ++x) {
            if (label[size_t(y) * w + x] != bestLabel)
                continue;
            const double d = (x - mx) * (x - mx) + (y - my) * (y - my);
            if (nearest < 0 || d < nearest) {
                nearest = d;
                cx = std::min(g.width - 1, x * r + r / 2);
                cy = std::min(g.height - 1, y * r + r / 2);
            }
        }
}

} // namespace

PageSides FindCentrePage(const FineGrid& g, double leanDegrees)
{
    PageSides page;
    const int minCells = 2 * (kEdgeSpanCells + kSideRunCells) + 2;
    if (g.width < minCells || g.height < minCells)
        return page;
    const FineGrid t = Transposed(g);
    int cx = 0, cy = 0;
    PageCentre(g, cx, cy);
    const int half = std::max(1, int(g.height * kCentreBandShare / 2));
    int from = std::max(0, cy - half);
    int to = std::max(from, std::min(g.height - 1, cy + half - 1));
    SidePair across = FindSidesAlongX(g, from, to, cx, leanDegrees);
    // Top and bottom over the columns found, then the sides again over the page's
    // rows and the top and bottom over its columns.
    InnerBand(across.low, across.high, g.width, from, to);
    SidePair down = FindSidesAlongX(t, from, to, cy, leanDegrees);
    InnerBand(down.low, down.high, g.height, from, to);
    across = FindSidesAlongX(g, from, to, cx, leanDegrees);
    InnerBand(across.low, across.high, g.width, from, to);
    down = FindSidesAlongX(t, from, to, cy, leanDegrees);
    page.left = across.low;
    page.right = across.high;
    page.top = down.low;
    page.bottom = down.high;
    page.seen[0] = across.seenLow;
    page.seen[1] = down.seenLow;
    page.seen[2] = across.seenHigh;
    page.seen[3] = down.seenHigh;
    page.valid = page.right - page.left >= kMinPageShare * g.width &&
                 page.bottom - page.top >= kMinPageShare * g.height;
    return page;
}

namespace {

// The page under the centre of the grid as crop arguments of a w x h photo (the
// whole photo when none is found).
PageBox CentrePageBox(const FineGrid& grid, int w, int h)
{
    const PageBox whole{0, 0, w, h};
    if (grid.width < 1)
        return whole;
    const PageSides page = FindCentrePage(grid);
    if (!page.valid)
        return whole;
    // A side found at cell c lies in the middle of that cell's block of pixels.
    const double s = grid.step;
    auto at = [s](double cell, int limit) {
        return std::max(0, std::min(limit, int(std::lround((cell + 0.5) * s))));
    };
    PageBox box{at(page.left, w), at(page.top, h), at(page.right, w), at(page.bottom, h)};
    if (box.right - box.left < 1 || box.bottom - box.top < 1)
        return whole;
    return box;
}

// Whether lines `from` ... `to` of the grid (rows; a transposed grid for columns) step
// from the page to what lies beyond at `position` (cells) in at least kMinEdgeLineShare
// of them; `pageAfter` when the page lies at higher x than the side.
bool EdgeAlongLines(const FineGrid& g, double position, bool pageAfter, int from, int to)
{
    const int w = g.width;
    from = std::max(0, from);
    to = std::min(g.height - 1, to);
    if (to < from)
        return false;
    const int centre = int(std::lround(position));
    const int lo = std::max(0, centre - kCropSideReachCells);
    const int hi = std::min(w - 1, centre + kCropSideReachCells);
    if (hi < lo)
        return false;
    std::vector<uint8_t> after(static_cast<size_t>(w)), before(static_cast<size_t>(w));
    EdgeMarker marker(w);
    int lines = 0, edges = 0;
    for (int y = from; y <= to; y += kBandLineStride, ++lines) {
        marker.Mark(g.grey.data() + size_t(y) * w, w, after, before);
        const std::vector<uint8_t>& marks = pageAfter ? after : before;
        for (int x = lo; x <= hi; ++x)
            if (marks[size_t(x)]) {
                ++edges;
                break;
            }
    }
    return lines > 0 && edges >= kMinEdgeLineShare * lines;
}

// Whether a side of the page at `position` (cells, across lines running along x)
// is a page edge near both ends of its span `lo` ... `hi` (lines): a page's own side
// runs past its corners, a picture's or a column's edge inside the page stops at
// the margins.
bool SideIsPageEdge(const FineGrid& g, double position, bool pageAfter, double lo, double hi)
{
    const double span = hi - lo;
    const int skip = std::max(1, int(std::lround(kCornerSkipShare * span)));
    const int reach =
        std::max(skip + 2 * kBandLineStride, int(std::lround(kCornerStripShare * span)));
    const int first = int(std::ceil(lo)), last = int(std::floor(hi));
    return EdgeAlongLines(g, position, pageAfter, first + skip, first + reach) &&
           EdgeAlongLines(g, position, pageAfter, last - reach, last - skip);
}

} // namespace

PageBox DetectCentrePageBox(const CxImage& image, const CxDebugSink* sink)
{
    if (!image.IsValid())
        return PageBox{};
    const int w = int(image.GetWidth()), h = int(image.GetHeight());
    const FineGrid grid = SampleFineGrid(image, FineSampleStep(w, h));
    DumpFineGrid(sink, "borders-grid", grid);
    return CentrePageBox(grid, w, h);
}

PageBox DetectPageCrop(const CxImage& image, const CxDebugSink* sink)
{
    if (!image.IsValid())
        return PageBox{};
    const int w = int(image.GetWidth()), h = int(image.GetHeight());
    const FineGrid grid = SampleFineGrid(image, FineSampleStep(w, h));
    if (grid.width < 1)
        return DetectPageBox(image, sink);
    DumpFineGrid(sink, "borders-grid", grid);
    const PageBox fine = CentrePageBox(grid, w, h);
    const PageBox coarse = DetectPageBox(image, sink);
    const FineGrid t = Transposed(grid);
    // The part both finders agree is page; each side of it is checked.
    const PageBox inner{std::max(fine.left, coarse.left), std::max(fine.top, coarse.top),
                        std::min(fine.right, coarse.right), std::min(fine.bottom, coarse.bottom)};
    if (inner.right - inner.left < 1 || inner.bottom - inner.top < 1)
        return PageBox{std::min(fine.left, coarse.left), std::min(fine.top, coarse.top),
                       std::max(fine.right, coarse.right), std::max(fine.bottom, coarse.bottom)};
    const double s = grid.step;
    auto cell = [s](int px) { return px / s - 0.5; };
    const double tolerance = kCropAgreementCells * s;
    // Where the two disagree, the inner side stands only when it is a page edge;
    // else the page goes on past it and the outer side holds it.
    auto pick = [&](int fineAt, int coarseAt, int innerAt, const FineGrid& g, bool pageAfter,
                    int spanLo, int spanHi) {
        if (std::abs(fineAt - coarseAt) <= tolerance)
            return fineAt;
        const int outerAt = innerAt == fineAt ? coarseAt : fineAt;
        return SideIsPageEdge(g, cell(innerAt), pageAfter, cell(spanLo), cell(spanHi)) ? innerAt
                                                                                       : outerAt;
    };
    PageBox box;
    box.left = pick(fine.left, coarse.left, inner.left, grid, true, inner.top, inner.bottom);
    box.right = pick(fine.right, coarse.right, inner.right, grid, false, inner.top, inner.bottom);
    box.top = pick(fine.top, coarse.top, inner.top, t, true, inner.left, inner.right);
    box.bottom = pick(fine.bottom, coarse.bottom, inner.bottom, t, false, inner.left, inner.right);
    return box;
}

} // namespace cxdetect
