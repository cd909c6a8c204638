// Page looks (see CxPageLook.h). The ground of the paper is measured in square
// cells: the bright end of each cell's grey histogram is bare paper as long as
// ink covers less than half of the cell. Cells mostly covered (large print,
// pictures) and cells far darker than the paper around them are left out and
// filled in from their neighbours by a pull-push pyramid, so a picture or a
// heading does not darken the light estimated around it as a plain blur would.
// Cells across the edge of a shadow look busy too, but have paper of the same
// colour on both sides and stay paper. Every pixel is then divided by the light
// interpolated between cell centres (near a shadow's edge, taken from the cells
// whose ground is most like the pixel, so the edge stays sharp) and mapped
// through a tone table that sets the black and white points.

#include "CxPageLook.h"

#include "CxPixelRows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <deque>
#include <exception>
#include <new>

namespace cxlook {

namespace {

using cxrows::ClampInt;

// Cell side: about a seventy-second of the short side, so a page holds some
// 70 x 90 cells whatever the camera's resolution.
constexpr double kCellsPerShortSide = 72.0;
constexpr int kMinCell = 8;
constexpr int kMaxCell = 64;
// Share of a cell's samples taken as its ground: the brightest tenth.
constexpr int kGroundShareDiv = 10;
// A cell whose median is below this share of its ground is mostly ink or picture.
constexpr float kBusyMedian = 0.75f;
// Grounds within this share of each other are the same paper.
constexpr float kSameGround = 0.1f;
// The darker paper beside a shadow's edge lies at most this much above the
// median of the cell across the edge (its ink pulls the median down).
constexpr float kStepMedianSlack = 1.3f;
// Largest difference of red/green and blue/green between shade and light on
// the same paper.
constexpr float kSameChroma = 0.08f;
// Cells beside a busy cell whose ground is below this share of the brightest
// ground nearby belong to the same picture.
constexpr float kDarkNeighbour = 0.85f;
constexpr int kEnvelopeRadius = 10;   // cells
constexpr uint8_t kPictureReach = 12; // cells from a busy cell
constexpr float kPictureStep = 0.15f; // largest change of ground between picture cells
// Paper-like areas of fewer cells than the page's cells over this are islands
// inside a picture.
constexpr size_t kMinPaperShareDiv = 25;
// Where the ground changes by more than this between neighbouring cells (the
// edge of a shadow), each pixel takes the ground of the cells nearest its own
// level, so the edge stays sharp.
constexpr float kEdgeContrast = 1.15f;
constexpr float kEdgeSigma = 0.06f;  // relative difference of levels
constexpr int kEdgePaperCorners = 2; // of the four cells around a pixel
constexpr float kMinGround = 8.0f;

// Pixel ratios to the ground in the tone tables: ratio x kRatioOne, up to 2.
constexpr int kRatioOne = 2048;
constexpr int kRatioSteps = 2 * kRatioOne;
// The white point: paper at or above this share of its ground is white. Camera
// noise on paper stays within a few hundredths, so the ground comes out flat.
constexpr float kWhitePoint = 0.88f;
// The black point follows the darkest half-percent of the page, but is never
// set above this share (faint pencil still becomes clearly dark).
constexpr float kMaxBlackPoint = 0.45f;
constexpr double kBlackShare = 0.005;
// Black and white: below the first share of the local light always black,
// below the second black when also darker than kLocalShare of its surroundings.
constexpr float kSolidInk = 0.45f;
constexpr float kFaintInk = 0.82f;
constexpr int kLocalShareNum = 6; // of 8
constexpr int kBwPaper = 220;     // the ground's level in the normalised grey

int CellSize(int w, int h)
{
    const int side = std::min(w, h);
    return ClampInt(int(std::lround(side / kCellsPerShortSide)), kMinCell, kMaxCell);
}

// Grey of a 24-bit pixel (B, G, R in memory) with the program's weights.
inline int Lum(const uint8_t* p)
{
    return int((p[2] * 306u + p[1] * 601u + p[0] * 117u) >> 10);
}

struct CellStats
{
    std::array<uint16_t, 256> hist{};
    int count = 0;
};

// Ground colour and flags of every cell, measured on every `step`-th pixel.
void MeasureCells(const CxImage& img, Ground& g, std::vector<float>& level,
                  std::vector<float>& middle, std::vector<uint8_t>& busy)
{
    const int w = int(img.GetWidth()), h = int(img.GetHeight());
    const bool colour = img.GetBpp() == 24;
    const int c = g.cell;
    const int step = c >= 16 ? 2 : 1;
    std::vector<CellStats> band(size_t(g.cols));
    std::vector<int> cut(size_t(g.cols));
    std::vector<double> sums(size_t(g.cols) * 5);
    for (int row = 0; row < g.rows; ++row) {
        for (auto& s : band)
            s = CellStats{};
        const int y0 = row * c, y1 = std::min(h, y0 + c);
        for (int y = y0 + step / 2; y < y1; y += step) {
            const uint8_t* p = img.GetBits(uint32_t(y));
            for (int x = step / 2; x < w; x += step) {
                const int v = colour ? Lum(p + 3 * x) : p[x];
                CellStats& s = band[size_t(x / c)];
                ++s.hist[size_t(v)];
                ++s.count;
            }
        }
        // The brightest tenth (its lowest level is the cut) and the median.
        for (int col = 0; col < g.cols; ++col) {
            const CellStats& s = band[size_t(col)];
            const int top = std::max(1, s.count / kGroundShareDiv);
            int acc = 0, v = 255;
            for (; v > 0; --v) {
                acc += s.hist[size_t(v)];
                if (acc >= top)
                    break;
            }
            cut[size_t(col)] = v;
            int below = 0, median = 0;
            for (int m = 0; m < 256; ++m) {
                below += s.hist[size_t(m)];
                if (below * 2 >= s.count) {
                    median = m;
                    break;
                }
            }
            const size_t i = size_t(row) * size_t(g.cols) + size_t(col);
            busy[i] = (float(median) < kBusyMedian * float(v) || v < 16) ? 1 : 0;
            middle[i] = float(median);
        }
        std::fill(sums.begin(), sums.end(), 0.0);
        for (int y = y0 + step / 2; y < y1; y += step) {
            const uint8_t* p = img.GetBits(uint32_t(y));
            for (int x = step / 2; x < w; x += step) {
                const int col = x / c;
                double* s = &sums[size_t(col) * 5];
                if (colour) {
                    const uint8_t* q = p + 3 * x;
                    const int v = Lum(q);
                    if (v < cut[size_t(col)])
                        continue;
                    s[0] += q[0];
                    s[1] += q[1];
                    s[2] += q[2];
                    s[3] += v;
                } else {
                    if (p[x] < cut[size_t(col)])
                        continue;
                    s[0] += p[x];
                    s[3] += p[x];
                }
                s[4] += 1.0;
            }
        }
        for (int col = 0; col < g.cols; ++col) {
            const double* s = &sums[size_t(col) * 5];
            const size_t i = size_t(row) * size_t(g.cols) + size_t(col);
            const double n = std::max(1.0, s[4]);
            g.grey[i] = float(s[3] / n);
            g.blue[i] = float(s[0] / n);
            g.green[i] = colour ? float(s[1] / n) : g.blue[i];
            g.red[i] = colour ? float(s[2] / n) : g.blue[i];
            level[i] = g.grey[i];
        }
    }
}

// True when two cells' grounds have the same colour at different brightness.
bool SameColour(const Ground& g, size_t a, size_t b)
{
    const auto chroma = [&g](size_t i, const std::vector<float>& plane) {
        return plane[i] / std::max(kMinGround, g.green[i]);
    };
    return std::abs(chroma(a, g.red) - chroma(b, g.red)) < kSameChroma &&
           std::abs(chroma(a, g.blue) - chroma(b, g.blue)) < kSameChroma;
}

// Marks the cells that are not bare paper: busy cells, the dimmer cells around
// them (the even parts of a picture), and small islands of paper-like cells left
// inside pictures. A shadow on the paper is not busy and stays paper.
void MaskCells(Ground& g, const std::vector<float>& level, const std::vector<float>& middle,
               std::vector<uint8_t>& busy)
{
    const int cols = g.cols, rows = g.rows;
    const size_t n = size_t(cols) * size_t(rows);
    // A cell across the edge of a shadow looks busy (half of it is dark) but
    // has plain paper on both sides: paper as bright as its top or brighter,
    // and darker paper near or below its median. It is paper.
    std::vector<uint8_t> step(n, 0);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const size_t i = size_t(r) * size_t(cols) + size_t(c);
            if (!busy[i] || middle[i] < 16.0f)
                continue;
            size_t brights[8], darks[8];
            int nb = 0, nd = 0;
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc) {
                    const int rr = r + dr, cc = c + dc;
                    if ((!dr && !dc) || rr < 0 || rr >= rows || cc < 0 || cc >= cols)
                        continue;
                    const size_t j = size_t(rr) * size_t(cols) + size_t(cc);
                    if (busy[j])
                        continue;
                    if (level[j] > (1.0f - kSameGround) * level[i])
                        brights[nb++] = j;
                    else if (level[j] <= kStepMedianSlack * middle[i])
                        darks[nd++] = j;
                }
            // Shade keeps the paper's colour; a picture beside paper rarely does.
            for (int a = 0; a < nb && !step[i]; ++a)
                for (int b = 0; b < nd && !step[i]; ++b)
                    step[i] = SameColour(g, brights[a], darks[b]);
        }
    for (size_t i = 0; i < n; ++i)
        if (step[i])
            busy[i] = 0;
    // Brightest non-busy ground within the radius (separable running maximum).
    std::vector<float> rowMax(n, 0.0f), env(n, 0.0f);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            float m = 0.0f;
            for (int k = std::max(0, c - kEnvelopeRadius);
                 k <= std::min(cols - 1, c + kEnvelopeRadius); ++k) {
                const size_t i = size_t(r) * size_t(cols) + size_t(k);
                if (!busy[i])
                    m = std::max(m, level[i]);
            }
            rowMax[size_t(r) * size_t(cols) + size_t(c)] = m;
        }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            float m = 0.0f;
            for (int k = std::max(0, r - kEnvelopeRadius);
                 k <= std::min(rows - 1, r + kEnvelopeRadius); ++k)
                m = std::max(m, rowMax[size_t(k) * size_t(cols) + size_t(c)]);
            env[size_t(r) * size_t(cols) + size_t(c)] = m;
        }
    std::deque<size_t> grow;
    std::vector<uint8_t> depth(n, 0);
    for (size_t i = 0; i < n; ++i) {
        g.paper[i] = busy[i] ? 0 : 1;
        if (busy[i])
            grow.push_back(i);
    }
    const auto neighbours = [cols, rows](size_t i, size_t out[4]) {
        const int r = int(i / size_t(cols)), c = int(i % size_t(cols));
        int k = 0;
        if (r > 0)
            out[k++] = i - size_t(cols);
        if (r + 1 < rows)
            out[k++] = i + size_t(cols);
        if (c > 0)
            out[k++] = i - 1;
        if (c + 1 < cols)
            out[k++] = i + 1;
        return k;
    };
    // The even parts of a picture continue its busy cells: dimmer than the
    // paper nearby and like the cell they are reached from.
    size_t next[4];
    while (!grow.empty()) {
        const size_t i = grow.front();
        grow.pop_front();
        if (depth[i] >= kPictureReach)
            continue;
        for (int k = neighbours(i, next) - 1; k >= 0; --k) {
            const size_t j = next[k];
            if (g.paper[j] && level[j] < kDarkNeighbour * env[j] &&
                std::abs(level[j] - level[i]) < kPictureStep * level[i]) {
                g.paper[j] = 0;
                depth[j] = uint8_t(depth[i] + 1);
                grow.push_back(j);
            }
        }
    }
    // Paper-like islands smaller than a share of the page lie inside pictures.
    std::vector<int> label(n, -1);
    std::vector<size_t> members;
    const size_t minIsland = std::max<size_t>(2, n / kMinPaperShareDiv);
    for (size_t s = 0; s < n; ++s) {
        if (!g.paper[s] || label[s] >= 0)
            continue;
        members.clear();
        members.push_back(s);
        label[s] = int(s);
        for (size_t m = 0; m < members.size(); ++m)
            for (int k = neighbours(members[m], next) - 1; k >= 0; --k) {
                const size_t j = next[k];
                if (g.paper[j] && label[j] < 0) {
                    label[j] = int(s);
                    members.push_back(j);
                }
            }
        if (members.size() < minIsland)
            for (size_t m : members)
                g.paper[m] = 0;
    }
}

// Fills the cells of weight 0 from their neighbours: averages up a pyramid,
// then blends each level's holes with the coarser level's values.
void PullPush(std::vector<float>& v, std::vector<float> wgt, int cols, int rows)
{
    if (cols <= 1 && rows <= 1)
        return;
    const int cc = (cols + 1) / 2, cr = (rows + 1) / 2;
    std::vector<float> cv(size_t(cc) * size_t(cr), 0.0f), cw(cv.size(), 0.0f);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const size_t i = size_t(r) * size_t(cols) + size_t(c);
            const size_t j = size_t(r / 2) * size_t(cc) + size_t(c / 2);
            cv[j] += v[i] * wgt[i];
            cw[j] += wgt[i];
        }
    for (size_t j = 0; j < cv.size(); ++j) {
        cv[j] = cw[j] > 0.0f ? cv[j] / cw[j] : 0.0f;
        cw[j] = std::min(1.0f, cw[j]);
    }
    PullPush(cv, cw, cc, cr);
    // Bilinear from the coarse cell centres into the holes of this level.
    for (int r = 0; r < rows; ++r) {
        const float fy = std::clamp((r + 0.5f) / 2.0f - 0.5f, 0.0f, float(cr - 1));
        const int y0 = int(fy), y1 = std::min(cr - 1, y0 + 1);
        const float ty = fy - float(y0);
        for (int c = 0; c < cols; ++c) {
            const size_t i = size_t(r) * size_t(cols) + size_t(c);
            if (wgt[i] >= 1.0f)
                continue;
            const float fx = std::clamp((c + 0.5f) / 2.0f - 0.5f, 0.0f, float(cc - 1));
            const int x0 = int(fx), x1 = std::min(cc - 1, x0 + 1);
            const float tx = fx - float(x0);
            const auto at = [&](int y, int x) { return cv[size_t(y) * size_t(cc) + size_t(x)]; };
            const float up = at(y0, x0) + (at(y0, x1) - at(y0, x0)) * tx;
            const float dn = at(y1, x0) + (at(y1, x1) - at(y1, x0)) * tx;
            const float coarse = up + (dn - up) * ty;
            v[i] = wgt[i] * v[i] + (1.0f - wgt[i]) * coarse;
        }
    }
}

// The ground under every pixel of one image row, as gains (kRatioOne / ground)
// of the planes blue, green, red and grey: the reciprocals interpolated
// between cell centres, or, where neighbouring cells differ (Edge), weighted
// towards the cells whose ground is nearest the pixel's own level (Refine).
class GroundRows
{
public:
    enum Plane { Blue, Green, Red, Grey, kPlanes };

    GroundRows(const Ground& g, int width, bool colour) : m_g(g), m_width(width), m_colour(colour)
    {
        m_x0.resize(size_t(width));
        m_x1.resize(size_t(width));
        m_tx.resize(size_t(width));
        for (int x = 0; x < width; ++x) {
            const float fx = std::clamp((x + 0.5f) / float(g.cell) - 0.5f, 0.0f, float(g.cols - 1));
            m_x0[size_t(x)] = int(fx);
            m_x1[size_t(x)] = std::min(g.cols - 1, int(fx) + 1);
            m_tx[size_t(x)] = fx - float(int(fx));
        }
        const std::vector<float>* planes[kPlanes] = {&g.blue, &g.green, &g.red, &g.grey};
        for (int p = 0; p < kPlanes; ++p) {
            m_inverse[p].resize(planes[p]->size());
            for (size_t i = 0; i < planes[p]->size(); ++i)
                m_inverse[p][i] = float(kRatioOne) / std::max(kMinGround, (*planes[p])[i]);
            m_gain[p].resize(size_t(width));
        }
        m_col.resize(size_t(g.cols));
        m_edge.resize(size_t(g.cols));
        m_colLo.resize(size_t(g.cols));
        m_colHi.resize(size_t(g.cols));
        for (int i = 0; i < kSimilaritySteps; ++i) {
            const float d = (float(i) / kSimilaritySteps) / kEdgeSigma;
            m_similar[i] = std::exp(-d * d) + 0.01f;
        }
    }

    // Prepares row y (interpolated gains of every plane in use, edge flags).
    void Row(int y)
    {
        const float fy = std::clamp((y + 0.5f) / float(m_g.cell) - 0.5f, 0.0f, float(m_g.rows - 1));
        m_y0 = int(fy);
        m_y1 = std::min(m_g.rows - 1, m_y0 + 1);
        m_ty = fy - float(m_y0);
        for (int p = m_colour ? 0 : int(Grey); p < kPlanes; ++p) {
            const float* a = &m_inverse[p][size_t(m_y0) * size_t(m_g.cols)];
            const float* b = &m_inverse[p][size_t(m_y1) * size_t(m_g.cols)];
            for (int c = 0; c < m_g.cols; ++c)
                m_col[size_t(c)] = a[c] + (b[c] - a[c]) * m_ty;
            const float* col = m_col.data();
            float* out = m_gain[p].data();
            for (int x = 0; x < m_width; ++x) {
                const float l = col[m_x0[size_t(x)]], r = col[m_x1[size_t(x)]];
                out[x] = l + (r - l) * m_tx[size_t(x)];
            }
        }
        // Contrast of the ground over the 4 x 4 cells around each pixel's cell.
        const int cols = m_g.cols;
        const int ya = std::max(0, m_y0 - 1), yb = std::min(m_g.rows - 1, m_y1 + 1);
        for (int c = 0; c < cols; ++c) {
            float lo = m_g.grey[size_t(ya) * cols + c], hi = lo;
            for (int r = ya + 1; r <= yb; ++r) {
                lo = std::min(lo, m_g.grey[size_t(r) * cols + c]);
                hi = std::max(hi, m_g.grey[size_t(r) * cols + c]);
            }
            m_colLo[size_t(c)] = lo;
            m_colHi[size_t(c)] = hi;
        }
        const size_t r0 = size_t(m_y0) * size_t(cols), r1 = size_t(m_y1) * size_t(cols);
        for (int c = 0; c < cols; ++c) {
            const int d = std::min(cols - 1, c + 1);
            float lo = m_colLo[size_t(c)], hi = m_colHi[size_t(c)];
            for (int k = std::max(0, c - 1); k <= std::min(cols - 1, c + 2); ++k) {
                lo = std::min(lo, m_colLo[size_t(k)]);
                hi = std::max(hi, m_colHi[size_t(k)]);
            }
            // Only beside measured paper: inside pictures the filled-in cells are
            // smooth already.
            const bool paper = m_g.paper[r0 + size_t(c)] + m_g.paper[r0 + size_t(d)] +
                                   m_g.paper[r1 + size_t(c)] + m_g.paper[r1 + size_t(d)] >=
                               kEdgePaperCorners;
            m_edge[size_t(c)] = paper && hi > kEdgeContrast * std::max(lo, kMinGround) ? 1 : 0;
        }
    }

    const float* Gains(Plane p) const { return m_gain[p].data(); }
    bool Edge(int x) const { return m_edge[size_t(m_x0[size_t(x)])] != 0; }

    // Gains of pixel x with grey v near an edge of the ground: the 4 x 4 cells
    // around it, weighted by nearness and by how like the pixel their ground is.
    void Refine(int x, int v, float out[kPlanes]) const
    {
        const int cols = m_g.cols;
        const float fx = float(m_x0[size_t(x)]) + m_tx[size_t(x)];
        const float fy = float(m_y0) + m_ty;
        const int ca = std::max(0, m_x0[size_t(x)] - 1),
                  cb = std::min(cols - 1, m_x1[size_t(x)] + 1);
        const int ra = std::max(0, m_y0 - 1), rb = std::min(m_g.rows - 1, m_y1 + 1);
        float sum = 0.0f, ground[kPlanes] = {};
        const std::vector<float>* planes[kPlanes] = {&m_g.blue, &m_g.green, &m_g.red, &m_g.grey};
        const int first = m_colour ? 0 : int(Grey);
        for (int r = ra; r <= rb; ++r) {
            const float wy = std::max(0.0f, 1.0f - std::abs(float(r) - fy) * 0.5f);
            for (int c = ca; c <= cb; ++c) {
                const float wx = std::max(0.0f, 1.0f - std::abs(float(c) - fx) * 0.5f);
                const size_t i = size_t(r) * size_t(cols) + size_t(c);
                const float g = std::max(kMinGround, m_g.grey[i]);
                const float d = std::abs(float(v) - g) / g;
                const float w =
                    wx * wy * m_similar[std::min(kSimilaritySteps - 1, int(d * kSimilaritySteps))];
                sum += w;
                for (int p = first; p < kPlanes; ++p)
                    ground[p] += w * (*planes[p])[i];
            }
        }
        for (int p = first; p < kPlanes; ++p)
            out[p] = float(kRatioOne) / std::max(kMinGround, ground[p] / std::max(sum, 1e-6f));
    }

private:
    static constexpr int kSimilaritySteps = 256;
    const Ground& m_g;
    int m_width;
    bool m_colour;
    std::vector<int> m_x0, m_x1;
    std::vector<float> m_tx, m_col;
    std::vector<float> m_inverse[kPlanes], m_gain[kPlanes];
    std::vector<uint8_t> m_edge;
    std::vector<float> m_colLo, m_colHi;
    float m_similar[kSimilaritySteps] = {};
    int m_y0 = 0, m_y1 = 0;
    float m_ty = 0.0f;
};

inline int RatioIndex(int value, float gain)
{
    const int i = int(float(value) * gain);
    return i < kRatioSteps ? i : kRatioSteps - 1;
}

// The black point: the darkest half-percent of the page's grey ratios, at most
// kMaxBlackPoint.
float BlackPoint(const CxImage& img, const Ground& g)
{
    const int w = int(img.GetWidth()), h = int(img.GetHeight());
    const bool colour = img.GetBpp() == 24;
    GroundRows ground(g, w, false);
    std::vector<uint32_t> hist(size_t(kRatioSteps), 0);
    uint64_t total = 0;
    const int step = 4;
    float refined[GroundRows::kPlanes];
    for (int y = step / 2; y < h; y += step) {
        ground.Row(y);
        const float* gain = ground.Gains(GroundRows::Grey);
        const uint8_t* p = img.GetBits(uint32_t(y));
        for (int x = step / 2; x < w; x += step) {
            const int v = colour ? Lum(p + 3 * x) : p[x];
            float gv = gain[x];
            if (ground.Edge(x)) {
                ground.Refine(x, v, refined);
                gv = refined[GroundRows::Grey];
            }
            ++hist[size_t(RatioIndex(v, gv))];
            ++total;
        }
    }
    const uint64_t want = uint64_t(double(total) * kBlackShare);
    uint64_t acc = 0;
    int i = 0;
    for (; i < kRatioSteps - 1; ++i) {
        acc += hist[size_t(i)];
        if (acc > want)
            break;
    }
    return std::min(kMaxBlackPoint, float(i) / float(kRatioOne));
}

// Ratio index -> output level for Document and Grey.
std::vector<uint8_t> ToneTable(float black)
{
    std::vector<uint8_t> t(static_cast<size_t>(kRatioSteps));
    const float span = std::max(0.05f, kWhitePoint - black);
    for (int i = 0; i < kRatioSteps; ++i) {
        const float r = float(i) / float(kRatioOne);
        t[size_t(i)] = cxrows::ClampByte(255.0 * double((r - black) / span) + 0.5);
    }
    return t;
}

bool DocumentLook(CxImage& img, const Ground& g, float black)
{
    const int w = int(img.GetWidth()), h = int(img.GetHeight());
    const std::vector<uint8_t> tone = ToneTable(black);
    const uint8_t* lut = tone.data();
    const bool colour = img.GetBpp() == 24;
    GroundRows ground(g, w, colour);
    float refined[GroundRows::kPlanes];
    for (int y = 0; y < h; ++y) {
        if ((y & 63) == 0) {
            if (cxrows::Escaped(img))
                return true;
            cxrows::Progress(img, y, h);
        }
        ground.Row(y);
        uint8_t* p = img.GetBits(uint32_t(y));
        if (!colour) {
            const float* gain = ground.Gains(GroundRows::Grey);
            for (int x = 0; x < w; ++x) {
                float gv = gain[x];
                if (ground.Edge(x)) {
                    ground.Refine(x, p[x], refined);
                    gv = refined[GroundRows::Grey];
                }
                p[x] = lut[RatioIndex(p[x], gv)];
            }
            continue;
        }
        const float* gb = ground.Gains(GroundRows::Blue);
        const float* gg = ground.Gains(GroundRows::Green);
        const float* gr = ground.Gains(GroundRows::Red);
        for (int x = 0; x < w; ++x, p += 3) {
            if (ground.Edge(x)) {
                ground.Refine(x, Lum(p), refined);
                p[0] = lut[RatioIndex(p[0], refined[GroundRows::Blue])];
                p[1] = lut[RatioIndex(p[1], refined[GroundRows::Green])];
                p[2] = lut[RatioIndex(p[2], refined[GroundRows::Red])];
                continue;
            }
            p[0] = lut[RatioIndex(p[0], gb[x])];
            p[1] = lut[RatioIndex(p[1], gg[x])];
            p[2] = lut[RatioIndex(p[2], gr[x])];
        }
    }
    return true;
}

// The grey ratio of every pixel through `table`, into an 8-bit grey image.
bool GreyThrough(const CxImage& img, const Ground& g, const std::vector<uint8_t>& table,
                 CxImage& out)
{
    const int w = int(img.GetWidth()), h = int(img.GetHeight());
    if (!cxrows::CreateLike(out, img, uint32_t(w), uint32_t(h), 8))
        return false;
    out.SetGrayPalette();
    out.SetTransIndex(-1);
    const bool colour = img.GetBpp() == 24;
    GroundRows ground(g, w, false);
    float refined[GroundRows::kPlanes];
    const uint8_t* lut = table.data();
    for (int y = 0; y < h; ++y) {
        ground.Row(y);
        const float* gain = ground.Gains(GroundRows::Grey);
        const uint8_t* p = img.GetBits(uint32_t(y));
        uint8_t* d = out.GetBits(uint32_t(y));
        for (int x = 0; x < w; ++x) {
            const int v = colour ? Lum(p + 3 * x) : p[x];
            float gv = gain[x];
            if (ground.Edge(x)) {
                ground.Refine(x, v, refined);
                gv = refined[GroundRows::Grey];
            }
            d[x] = lut[RatioIndex(v, gv)];
        }
    }
    return true;
}

// 1-bit page from the normalised grey: solid ink always black, faint ink black
// where it is also darker than its surroundings (a box of about a cell).
bool BlackWhiteLook(const CxImage& img, const Ground& g, CxImage& out)
{
    std::vector<uint8_t> table(static_cast<size_t>(kRatioSteps));
    for (int i = 0; i < kRatioSteps; ++i)
        table[size_t(i)] = cxrows::ClampByte(double(i) * kBwPaper / kRatioOne + 0.5);
    CxImage norm;
    if (!GreyThrough(img, g, table, norm)) {
        out.SetLastError(norm.GetLastError());
        return false;
    }
    const int w = int(img.GetWidth()), h = int(img.GetHeight());
    if (!cxrows::CreateLike(out, img, uint32_t(w), uint32_t(h), 1))
        return false;
    out.SetPaletteColor(0, 0, 0, 0);
    out.SetPaletteColor(1, 255, 255, 255);
    out.SetTransIndex(-1);
    // Integral image of the normalised grey, for the mean around each pixel.
    const size_t stride = size_t(w) + 1;
    std::vector<uint64_t> sat(stride * size_t(h + 1), 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* p = norm.GetBits(uint32_t(y));
        uint64_t run = 0;
        uint64_t* row = &sat[size_t(y + 1) * stride];
        const uint64_t* above = &sat[size_t(y) * stride];
        for (int x = 0; x < w; ++x) {
            run += p[x];
            row[x + 1] = above[x + 1] + run;
        }
    }
    const int solid = int(kSolidInk * kBwPaper), faint = int(kFaintInk * kBwPaper);
    const int half = std::max(4, g.cell / 2);
    for (int y = 0; y < h; ++y) {
        const uint8_t* p = norm.GetBits(uint32_t(y));
        uint8_t* d = out.GetBits(uint32_t(y));
        const int ya = std::max(0, y - half), yb = std::min(h, y + half + 1);
        const uint64_t* top = &sat[size_t(ya) * stride];
        const uint64_t* bot = &sat[size_t(yb) * stride];
        for (int x = 0; x < w; ++x) {
            const int v = p[x];
            bool ink = v < solid;
            if (!ink && v < faint) {
                const int xa = std::max(0, x - half), xb = std::min(w, x + half + 1);
                const uint64_t sum = bot[xb] - bot[xa] - top[xb] + top[xa];
                const uint64_t n = uint64_t(xb - xa) * uint64_t(yb - ya);
                ink = uint64_t(v) * 8 * n < sum * kLocalShareNum;
            }
            if (!ink)
                d[x >> 3] |= uint8_t(0x80 >> (x & 7));
        }
    }
    // TIFF files of this page are stored with Group 4 (PNG stores 1 bit anyway).
    constexpr uint32_t kGroup4 = 4; // libtiff's COMPRESSION_CCITTFAX4
    out.SetCodecOption(kGroup4, CXIMAGE_FORMAT_TIF);
    return true;
}

} // namespace

const char* LookName(Look look)
{
    switch (look) {
    case Look::Document:
        return "document";
    case Look::Grey:
        return "grey";
    case Look::BlackWhite:
        return "bw";
    default:
        return "original";
    }
}

bool LookFromName(const std::string& name, Look& look)
{
    std::string n = name;
    std::transform(n.begin(), n.end(), n.begin(),
                   [](unsigned char ch) { return char(std::tolower(ch)); });
    if (n == "gray")
        n = "grey";
    if (n == "blackwhite" || n == "black-and-white")
        n = "bw";
    for (Look l : kLooks)
        if (n == LookName(l)) {
            look = l;
            return true;
        }
    return false;
}

bool LookFromIndex(int index, Look& look)
{
    if (index < 0 || index > int(Look::BlackWhite))
        return false;
    look = Look(index);
    return true;
}

bool EstimateGround(const CxImage& image, Ground& g)
{
    if (!image.IsValid() || !cxrows::IsInterpolatable(image))
        return false;
    const int w = int(image.GetWidth()), h = int(image.GetHeight());
    g.cell = CellSize(w, h);
    g.cols = (w + g.cell - 1) / g.cell;
    g.rows = (h + g.cell - 1) / g.cell;
    const size_t n = size_t(g.cols) * size_t(g.rows);
    g.blue.assign(n, 0.0f);
    g.green.assign(n, 0.0f);
    g.red.assign(n, 0.0f);
    g.grey.assign(n, 0.0f);
    g.paper.assign(n, 0);
    std::vector<float> level(n, 0.0f), middle(n, 0.0f);
    std::vector<uint8_t> busy(n, 0);
    MeasureCells(image, g, level, middle, busy);
    MaskCells(g, level, middle, busy);
    std::vector<float> weight(n);
    bool any = false;
    for (size_t i = 0; i < n; ++i) {
        weight[i] = g.paper[i] ? 1.0f : 0.0f;
        any = any || g.paper[i];
    }
    if (!any) {
        // No bare paper anywhere (a picture edge to edge): the brightest ground
        // stands for the paper of the whole picture, which then keeps its light.
        const size_t best = size_t(std::max_element(level.begin(), level.end()) - level.begin());
        std::fill(weight.begin(), weight.end(), 0.0f);
        weight[best] = 1.0f;
        for (auto* plane : {&g.blue, &g.green, &g.red, &g.grey})
            std::fill(plane->begin(), plane->end(), (*plane)[best]);
        return true;
    }
    for (auto* plane : {&g.blue, &g.green, &g.red, &g.grey}) {
        PullPush(*plane, weight, g.cols, g.rows);
    }
    return true;
}

namespace {

bool ApplyLookUnguarded(CxImage& image, Look look)
{
    if (!image.IsValid()) {
        image.SetLastError("null image!!!");
        return false;
    }
    if (look == Look::Original)
        return true;
    CxImage converted;
    const bool convert = !cxrows::IsInterpolatable(image);
    if (convert && !cxrows::ToInterpolatable(image, converted)) {
        image.SetLastError(converted.GetLastError());
        return false;
    }
    CxImage& src = convert ? converted : image;
    Ground g;
    if (!EstimateGround(src, g)) {
        image.SetLastError("The page look needs a 24-bit or grey picture");
        return false;
    }
    image.SetProgress(10);
    switch (look) {
    case Look::Document: {
        const float black = BlackPoint(src, g);
        if (convert) {
            DocumentLook(converted, g, black);
            converted.SetProgress(100);
            return image.Transfer(converted);
        }
        DocumentLook(image, g, black);
        image.SetProgress(100);
        return true;
    }
    case Look::Grey: {
        CxImage out;
        if (!GreyThrough(src, g, ToneTable(BlackPoint(src, g)), out)) {
            image.SetLastError(out.GetLastError());
            return false;
        }
        // Transparency stays, as in the Grayscale command.
        if (image.AlphaIsValid() && out.AlphaCreate())
            std::memcpy(out.AlphaGetPointer(), image.AlphaGetPointer(),
                        size_t(image.GetWidth()) * size_t(image.GetHeight()));
        image.SetProgress(100);
        return image.Transfer(out);
    }
    case Look::BlackWhite: {
        CxImage out;
        if (!BlackWhiteLook(src, g, out)) {
            image.SetLastError(out.GetLastError());
            return false;
        }
        image.SetProgress(100);
        return image.Transfer(out);
    }
    default:
        return true;
    }
}

} // namespace

bool ApplyLook(CxImage& image, Look look)
{
    // The working buffers (the black-and-white page's running sums take eight
    // bytes a pixel) are all taken before a pixel of the picture changes, so a
    // page too large for the memory left fails with the picture as it was.
    try {
        return ApplyLookUnguarded(image, look);
    } catch (const std::bad_alloc&) {
        image.SetLastError("Not enough memory for the page look");
        return false;
    } catch (const std::exception& e) {
        image.SetLastError(e.what());
        return false;
    }
}

} // namespace cxlook
