// The fine stage of the skew finder. The one-degree answer is taken as a
// candidate: the fine grid is turned by it and the page's own evidence says
// what turn is left - straight lines fitted to the page's sides, and the angle
// at which the rows of text project most sharply. A coarse answer the
// evidence does not bear out is measured again around no turn at all, and
// evidence too weak to trust turns nothing, so a wrong peak never turns the
// photo.

#include "CxImage.h"
#include "CxPageDetect.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace cxdetect {

namespace {

constexpr double kDegreesPerRadian = 180.0 / M_PI;

struct Point
{
    double along = 0;  // position along the side (cells)
    double across = 0; // position of the edge across it (cells)
};

struct SideFit
{
    double degrees = 0; // counter-clockwise lean of the side
    int points = 0;     // edge points on the line
    int length = 0;     // cells the side was measured over
};

// Least-squares line across = a + b * along through the points whose residual is
// within `limit` of the previous line (all points the first time).
bool FitLine(const std::vector<Point>& pts, double& a, double& b, double limit, int& used)
{
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Point& p : pts) {
        if (limit > 0 && std::fabs(p.across - (a + b * p.along)) > limit)
            continue;
        n += 1;
        sx += p.along;
        sy += p.across;
        sxx += p.along * p.along;
        sxy += p.along * p.across;
    }
    const double det = n * sxx - sx * sx;
    if (n < 3 || det <= 0)
        return false;
    b = (n * sxy - sx * sy) / det;
    a = (sy - b * sx) / n;
    used = int(n);
    return true;
}

// Edge points of one side of the page: along each line crossing it, the sub-cell
// position of the strongest step near where the side was found (either way: the
// desk or a neighbouring page may be lighter or darker than the page).
// `g` is read through (along, across) so one routine serves all four sides.
template <typename Read, typename Inside>
SideFit FitSide(Read read, Inside inside, int acrossSize, double position, int from, int to,
                int reach)
{
    SideFit fit;
    fit.length = to - from + 1;
    std::vector<Point> pts;
    pts.reserve(size_t(std::max(0, fit.length)));
    const int lo = std::max(1, int(std::floor(position)) - reach);
    const int hi = std::min(acrossSize - 2, int(std::ceil(position)) + reach);
    for (int along = from; along <= to; ++along) {
        double best = 0;
        int at = -1;
        bool clear = true;
        for (int c = lo - 1; c <= hi + 1 && clear; ++c)
            clear = inside(along, c);
        if (!clear)
            continue; // the photo's own border is no page edge
        for (int c = lo; c <= hi; ++c) {
            const double d = std::fabs(double(read(along, c + 1)) - read(along, c - 1));
            if (d > best) {
                best = d;
                at = c;
            }
        }
        if (at < 0 || best < kMinLineEdgeStep)
            continue;
        double offset = 0;
        if (at > lo && at < hi) {
            const double l = std::fabs(double(read(along, at)) - read(along, at - 2));
            const double r = std::fabs(double(read(along, at + 2)) - read(along, at));
            const double curve = l - 2 * best + r;
            if (curve < 0)
                offset = std::max(-0.5, std::min(0.5, 0.5 * (l - r) / curve));
        }
        pts.push_back(Point{double(along), at + offset});
    }
    double a = position, b = 0;
    int used = 0;
    if (!FitLine(pts, a, b, 0, used))
        return fit;
    for (const double limit : {4.0, kMaxEdgeResidualCells, kMaxEdgeResidualCells})
        if (!FitLine(pts, a, b, limit, used))
            return fit;
    fit.points = used;
    fit.degrees = std::atan(b) * kDegreesPerRadian;
    return fit;
}

int Clamp(int v, int lo, int hi)
{
    return std::max(lo, std::min(hi, v));
}

} // namespace

Evidence EdgeEvidence(const FineGrid& g, const PageSides& page)
{
    Evidence e;
    if (!page.valid)
        return e;
    const int reach =
        int(std::ceil(std::tan((kFineSearchDegrees + kLeanSlackDegrees) / kDegreesPerRadian) *
                      std::max(page.right - page.left, page.bottom - page.top) / 2)) +
        kEdgeSpanCells;
    const double marginX = kCornerShare * (page.right - page.left);
    const double marginY = kCornerShare * (page.bottom - page.top);
    const int x0 = Clamp(int(std::ceil(page.left + marginX)), 0, g.width - 1);
    const int x1 = Clamp(int(std::floor(page.right - marginX)), 0, g.width - 1);
    const int y0 = Clamp(int(std::ceil(page.top + marginY)), 0, g.height - 1);
    const int y1 = Clamp(int(std::floor(page.bottom - marginY)), 0, g.height - 1);
    auto readRows = [&g](int along, int across) { return g.At(across, along); };
    auto insideRows = [&g](int along, int across) {
        return across >= 0 && across < g.width && g.Inside(across, along);
    };
    auto readCols = [&g](int along, int across) { return g.At(along, across); };
    auto insideCols = [&g](int along, int across) {
        return across >= 0 && across < g.height && g.Inside(along, across);
    };
    SideFit fits[4];
    // Left and right sides: x = a + b * y leans counter-clockwise by atan(b) (rows top-down).
    if (page.seen[0])
        fits[0] = FitSide(readRows, insideRows, g.width, page.left, y0, y1, reach);
    if (page.seen[2])
        fits[2] = FitSide(readRows, insideRows, g.width, page.right, y0, y1, reach);
    // Top and bottom: y = a + b * x leans counter-clockwise by -atan(b).
    if (page.seen[1])
        fits[1] = FitSide(readCols, insideCols, g.height, page.top, x0, x1, reach);
    if (page.seen[3])
        fits[3] = FitSide(readCols, insideCols, g.height, page.bottom, x0, x1, reach);
    fits[1].degrees = -fits[1].degrees;
    fits[3].degrees = -fits[3].degrees;

    bool usable[4];
    for (int i = 0; i < 4; ++i)
        usable[i] = fits[i].length > 0 && fits[i].points >= kMinSideSupport * fits[i].length;
    // The largest group of sides that agree: a shadow or the photo's border
    // taken for a side leans differently from the page's true sides.
    int bestGroup = 0;
    double bestWeight = 0, bestAngle = 0;
    for (int i = 0; i < 4; ++i) {
        if (!usable[i])
            continue;
        int members = 0;
        double weight = 0, sum = 0;
        for (int j = 0; j < 4; ++j)
            if (usable[j] &&
                std::fabs(fits[j].degrees - fits[i].degrees) <= kSideAgreementDegrees) {
                ++members;
                weight += fits[j].points;
                sum += fits[j].points * fits[j].degrees;
            }
        if (members > bestGroup || (members == bestGroup && weight > bestWeight)) {
            bestGroup = members;
            bestWeight = weight;
            bestAngle = sum / weight;
        }
    }
    if (bestGroup == 0)
        return e;
    const double perimeter = 2.0 * ((x1 - x0 + 1) + (y1 - y0 + 1));
    e.degrees = bestAngle;
    e.strength = std::min(1.0, bestWeight / perimeter);
    e.strong = bestGroup >= 2;
    return e;
}

namespace {

// Sharpness of the rows of ink projected along lines leaning by `degrees`: the sum
// of squared counts of one-cell bins, each ink cell split between two bins.
double ProjectionSharpness(const std::vector<float>& xs, const std::vector<float>& ys,
                           double degrees, double halfSpan, std::vector<double>& bins)
{
    const double t = std::tan(degrees / kDegreesPerRadian);
    std::fill(bins.begin(), bins.end(), 0.0);
    const int last = int(bins.size()) - 2;
    for (size_t i = 0; i < xs.size(); ++i) {
        const double p = ys[i] + t * xs[i] + halfSpan;
        const int b = Clamp(int(p), 0, last);
        const double f = p - b;
        bins[b] += 1 - f;
        bins[b + 1] += f;
    }
    double sum = 0;
    for (double v : bins)
        sum += v * v;
    return sum;
}

} // namespace

Evidence TextEvidence(const FineGrid& g, const PageSides& page, double limit, double step)
{
    Evidence e;
    if (!page.valid)
        return e;
    // Inside the page, clear of its edges.
    const double insetX = 0.04 * (page.right - page.left) + kEdgeSpanCells + 1;
    const double insetY = 0.04 * (page.bottom - page.top) + kEdgeSpanCells + 1;
    const int x0 = Clamp(int(std::ceil(page.left + insetX)), 0, g.width - 1);
    const int x1 = Clamp(int(std::floor(page.right - insetX)), 0, g.width - 1);
    const int y0 = Clamp(int(std::ceil(page.top + insetY)), 0, g.height - 1);
    const int y1 = Clamp(int(std::floor(page.bottom - insetY)), 0, g.height - 1);
    const int w = x1 - x0 + 1, h = y1 - y0 + 1;
    if (w < 4 * kPaperWindowCells || h < 4 * kPaperWindowCells)
        return e;
    // Paper grey around each cell from a summed-area table.
    std::vector<uint32_t> table(size_t(w + 1) * (h + 1), 0);
    for (int y = 0; y < h; ++y) {
        uint32_t run = 0;
        for (int x = 0; x < w; ++x) {
            run += g.At(x0 + x, y0 + y);
            table[size_t(y + 1) * (w + 1) + x + 1] = table[size_t(y) * (w + 1) + x + 1] + run;
        }
    }
    std::vector<float> xs, ys;
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    const int r = kPaperWindowCells;
    for (int y = 0; y < h; ++y) {
        const int ya = std::max(0, y - r), yb = std::min(h, y + r + 1);
        for (int x = 0; x < w; ++x) {
            if (!g.Inside(x0 + x, y0 + y))
                continue;
            const int xa = std::max(0, x - r), xb = std::min(w, x + r + 1);
            const uint32_t sum =
                table[size_t(yb) * (w + 1) + xb] - table[size_t(ya) * (w + 1) + xb] -
                table[size_t(yb) * (w + 1) + xa] + table[size_t(ya) * (w + 1) + xa];
            const int area = (yb - ya) * (xb - xa);
            if (int(sum) - kMinInkContrast * area >= int(g.At(x0 + x, y0 + y)) * area) {
                xs.push_back(float(x - cx));
                ys.push_back(float(y - cy));
            }
        }
    }
    if (int(xs.size()) < kMinInkCells)
        return e;
    // Plenty of print: every n-th ink cell tells the angle as well.
    if (xs.size() > kMaxInkCells) {
        const size_t stride = (xs.size() + kMaxInkCells - 1) / kMaxInkCells;
        size_t kept = 0;
        for (size_t i = 0; i < xs.size(); i += stride, ++kept) {
            xs[kept] = xs[i];
            ys[kept] = ys[i];
        }
        xs.resize(kept);
        ys.resize(kept);
    }
    const double halfSpan = std::hypot(w, h) / 2 + 2;
    std::vector<double> bins(size_t(2 * halfSpan) + 3);
    double best = -1, bestAt = 0, flattest = -1;
    const int stepCount = int(std::lround(2 * limit / step));
    for (int i = 0; i <= stepCount; ++i) {
        const double d = -limit + i * step;
        const double s = ProjectionSharpness(xs, ys, d, halfSpan, bins);
        if (s > best) {
            best = s;
            bestAt = d;
        }
        if (flattest < 0 || s < flattest)
            flattest = s;
    }
    const double prominence = (best - flattest) / best;
    // Closer around the best coarse step, then a parabola through the best three.
    const int steps = int(std::lround(step / kTextFineStepDegrees));
    std::vector<double> fine(size_t(2 * steps + 1));
    int top = steps;
    for (int i = 0; i <= 2 * steps; ++i) {
        fine[i] = ProjectionSharpness(xs, ys, bestAt + (i - steps) * kTextFineStepDegrees, halfSpan,
                                      bins);
        if (fine[i] > fine[top])
            top = i;
    }
    double offset = 0;
    if (top > 0 && top < 2 * steps) {
        const double curve = fine[top - 1] - 2 * fine[top] + fine[top + 1];
        if (curve < 0)
            offset = std::max(-0.5, std::min(0.5, 0.5 * (fine[top - 1] - fine[top + 1]) / curve));
    }
    e.degrees = bestAt + (top - steps + offset) * kTextFineStepDegrees;
    e.strength = std::min(1.0, prominence);
    e.strong = prominence >= kMinTextProminence && std::fabs(e.degrees) < limit;
    return e;
}

namespace {

struct Measured
{
    Evidence evidence;
    SkewSource source = SkewSource::Coarse;
};

// Edges and text of the grid turned by `candidate`, weighed into one answer.
Measured MeasureAround(const FineGrid& grid, double candidate, const char* stage,
                       const CxDebugSink* sink)
{
    Measured m;
    const FineGrid turned = candidate == 0 ? grid : TurnGrid(grid, candidate);
    DumpFineGrid(sink, stage, turned);
    const PageSides page = FindCentrePage(turned);
    if (!page.valid)
        return m;
    Evidence edges = EdgeEvidence(turned, page);
    const Evidence text = TextEvidence(turned, page);
    // Sides leaning beyond the searched bins were not measured where they lie:
    // the candidate is wrong, not the page.
    if (std::fabs(edges.degrees) > kFineSearchDegrees + kLeanSlackDegrees)
        edges.strong = false;
    if (edges.strong && text.strong &&
        std::fabs(edges.degrees - text.degrees) <= kEvidenceAgreementDegrees) {
        const double we = edges.strength, wt = text.strength;
        m.evidence.degrees = (we * edges.degrees + wt * text.degrees) / std::max(1e-9, we + wt);
        m.evidence.strength = std::max(edges.strength, text.strength);
        m.evidence.strong = true;
        m.source = SkewSource::Both;
    } else if (edges.strong) {
        m.evidence = edges;
        m.source = SkewSource::Edges;
    } else if (text.strong) {
        m.evidence = text;
        m.source = SkewSource::Text;
    }
    m.evidence.degrees += candidate;
    return m;
}

} // namespace

Evidence WideTextTurn(const FineGrid& g)
{
    PageSides centre;
    const double marginX = g.width * (1 - kWideAreaShare) / 2;
    const double marginY = g.height * (1 - kWideAreaShare) / 2;
    centre.left = marginX;
    centre.right = g.width - 1 - marginX;
    centre.top = marginY;
    centre.bottom = g.height - 1 - marginY;
    centre.valid = true;
    return TextEvidence(g, centre, kWideSearchDegrees, kWideStepDegrees);
}

SkewEstimate DetectFineSkew(const CxImage& image, const CxDebugSink* sink)
{
    SkewEstimate estimate;
    if (!image.IsValid())
        return estimate;
    estimate.coarse = DetectSkew(image, sink);
    const FineGrid grid =
        SampleFineGrid(image, FineSampleStep(int(image.GetWidth()), int(image.GetHeight())));
    if (grid.width < 1)
        return estimate;
    DumpFineGrid(sink, "deskew-fine-grid", grid);
    Measured m = MeasureAround(grid, estimate.coarse, "deskew-fine-turned", sink);
    if (!m.evidence.strong) {
        // The coarse peak is not borne out: measure again where the print lines
        // up best and around no turn at all, and keep the better supported answer.
        std::vector<double> candidates;
        const Evidence print = WideTextTurn(grid);
        if (print.strong && std::fabs(print.degrees - estimate.coarse) > kFineSearchDegrees)
            candidates.push_back(std::round(print.degrees));
        if (estimate.coarse != 0 && (candidates.empty() || candidates.front() != 0))
            candidates.push_back(0);
        for (const double candidate : candidates) {
            const Measured other = MeasureAround(
                grid, candidate, candidate == 0 ? "deskew-fine-unturned" : "deskew-fine-print-lean",
                sink);
            if (other.evidence.strong &&
                (!m.evidence.strong || other.evidence.strength > m.evidence.strength))
                m = other;
        }
        estimate.coarseRejected = m.evidence.strong;
    }
    if (!m.evidence.strong || m.evidence.strength < kMinTurnConfidence)
        return estimate; // too little to go on: no turn
    estimate.degrees = m.evidence.degrees;
    estimate.confidence = m.evidence.strength;
    estimate.source = m.source;
    return estimate;
}

bool ApplyFineSkew(CxImage& image, double ccwDegrees)
{
    if (std::fabs(ccwDegrees) < kMinTurnDegrees)
        return true;
    const RGBQUAD black{};
    return image.RotateFree(float(ccwDegrees), nullptr, IM_BILINEAR, OM_BACKGROUND, &black, true,
                            false);
}

void DumpFineGrid(const CxDebugSink* sink, const char* stage, const FineGrid& grid)
{
    DumpCells(sink, stage, grid.width, grid.height, grid.grey.data(), true);
}

} // namespace cxdetect

bool CxImage::AutoDeskew(bool fine)
{
    if (!IsValid())
        return false;
    if (!fine)
        return AutoDeskewCoarse();
    const CxDebugSink* sink = m_debugSink ? &m_debugSink : nullptr;
    try {
        return cxdetect::ApplyFineSkew(*this, cxdetect::DetectFineSkew(*this, sink).degrees);
    } catch (const std::bad_alloc&) {
        SetLastError("CxImage::AutoDeskew can't allocate memory");
        return false;
    }
}

bool CxImage::AutoCropBorder(bool fine)
{
    if (!IsValid())
        return false;
    if (!fine)
        return AutoCropBorderCoarse();
    const CxDebugSink* sink = m_debugSink ? &m_debugSink : nullptr;
    cxdetect::PageBox box;
    try {
        box = cxdetect::DetectPageCrop(*this, sink);
    } catch (const std::bad_alloc&) {
        SetLastError("CxImage::AutoCropBorder can't allocate memory");
        return false;
    }
    return Crop(box.left, box.top, box.right, box.bottom);
}
