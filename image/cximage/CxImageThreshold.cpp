// Histogram thresholds of the image object: the single threshold both page
// detectors binarise with, and the adaptive black-and-white conversion that
// blends a global threshold with one per box of the picture. Sums run in 64
// bits or doubles so that photos of any size cannot overflow them.

#include "CxImage.h"
#include "CxPixelRows.h"

#include <cmath>
#include <vector>

using namespace cxrows;

namespace {

// Walk of the between-class criterion that stops once 90 % of the population
// lies behind it, so a large bright mode cannot win.
int BestSplit(const uint32_t* h, int first, int last)
{
    uint64_t total = 0, weighted = 0;
    for (int i = first; i <= last; ++i) {
        total += h[i];
        weighted += uint64_t(i) * h[i];
    }
    // The whole-number mean the threshold was defined with.
    const double mean = total ? double(weighted / total) : 0.0; // NOLINT(bugprone-integer-division)
    const double dtotal = double(total);
    uint64_t c = 0;
    double mu = 0.0, best = 0.0;
    int result = 0;
    for (int i = first; i <= last; ++i) {
        c += h[i];
        const double w = double(c) / dtotal;
        mu = c == 0 ? 0.0 : mu + (h[i] / dtotal) * i;
        const double spread = w * (1.0 - w);
        const double gap = w * mean - mu;
        const double sigma = spread > 1e-10 ? gap * gap / spread : 0.0;
        if (sigma > best) {
            best = sigma;
            result = i;
        }
        if (100 * c > 90 * total)
            break;
    }
    return result;
}

} // namespace

int32_t CxImage::HistogramThreshold(const uint32_t h[256])
{
    int first = 0;
    while (first < 255 && h[first] == 0)
        ++first;
    int last = 255;
    while (last > 0 && h[last] == 0)
        --last;
    if (first >= last)
        return first;
    int result = BestSplit(h, first, last);

    // A split at either end of the scale separates nothing: take instead the
    // level above which a shrinking share of the whole population lies.
    uint64_t all = 0;
    for (int i = 0; i < 256; ++i)
        all += h[i];
    double fraction = 1.01;
    while (result == 0 || result == 255) {
        fraction -= 0.01;
        if (!(fraction > 0.0))
            break;
        uint64_t sum = 0;
        for (int b = 255; b >= 0; --b) {
            sum += h[b];
            if (double(sum) > fraction * double(all)) {
                result = b;
                break;
            }
        }
    }
    return result;
}

namespace {

// Cumulative moments of a histogram, for the threshold criteria (level k splits
// the levels <= k from those above).
struct Moments
{
    std::vector<double> p;  // probability of each level
    std::vector<double> w;  // cumulative probability up to k
    std::vector<double> m;  // cumulative first moment up to k
    std::vector<double> m2; // cumulative second moment up to k
    double mean = 0, second = 0;
};

Moments MomentsOf(const uint64_t* h)
{
    Moments s;
    s.p.assign(256, 0);
    s.w.assign(256, 0);
    s.m.assign(256, 0);
    s.m2.assign(256, 0);
    double total = 0;
    for (int i = 0; i < 256; ++i)
        total += double(h[i]);
    double w = 0, m = 0, m2 = 0;
    for (int i = 0; i < 256; ++i) {
        s.p[i] = total > 0 ? h[i] / total : 0;
        w += s.p[i];
        m += i * s.p[i];
        m2 += double(i) * i * s.p[i];
        s.w[i] = w;
        s.m[i] = m;
        s.m2[i] = m2;
    }
    s.mean = m;
    s.second = m2;
    return s;
}

// Each criterion scores the splits first ... last-1 and gives -1 without a valid one.
template <typename Score> int BestLevel(int first, int last, Score score)
{
    int best = -1;
    double bestScore = -INFINITY;
    for (int k = first; k < last; ++k) {
        double v;
        if (!score(k, v))
            continue;
        if (v > bestScore) {
            bestScore = v;
            best = k;
        }
    }
    return best;
}

int Otsu(const Moments& s, int first, int last)
{
    return BestLevel(first, last, [&](int k, double& v) {
        const double w0 = s.w[k], w1 = 1 - w0;
        if (w0 <= 0 || w1 <= 0)
            return false;
        const double mu0 = s.m[k] / w0, mu1 = (s.mean - s.m[k]) / w1;
        v = w0 * w1 * (mu0 - mu1) * (mu0 - mu1);
        return true;
    });
}

int MinimumError(const Moments& s, int first, int last)
{
    return BestLevel(first, last, [&](int k, double& v) {
        const double w0 = s.w[k], w1 = 1 - w0;
        if (w0 <= 0 || w1 <= 0)
            return false;
        const double mu0 = s.m[k] / w0, mu1 = (s.mean - s.m[k]) / w1;
        const double var0 = s.m2[k] / w0 - mu0 * mu0;
        const double var1 = (s.second - s.m2[k]) / w1 - mu1 * mu1;
        if (var0 <= 1e-12 || var1 <= 1e-12)
            return false;
        // Maximising the negated error criterion.
        v = -(w0 * std::log(var0) + w1 * std::log(var1) -
              2 * (w0 * std::log(w0) + w1 * std::log(w1)));
        return true;
    });
}

int MaximumEntropy(const Moments& s, int first, int last)
{
    return BestLevel(first, last, [&](int k, double& v) {
        const double w0 = s.w[k], w1 = 1 - w0;
        if (w0 <= 0 || w1 <= 0)
            return false;
        double h0 = 0, h1 = 0;
        for (int i = first; i <= k; ++i)
            if (s.p[i] > 0)
                h0 -= s.p[i] / w0 * std::log(s.p[i] / w0);
        for (int i = k + 1; i <= last; ++i)
            if (s.p[i] > 0)
                h1 -= s.p[i] / w1 * std::log(s.p[i] / w1);
        v = h0 + h1;
        return true;
    });
}

int PotentialDifference(const Moments& s, int first, int last)
{
    return BestLevel(first, last, [&](int k, double& v) {
        const double w0 = s.w[k], w1 = 1 - w0;
        if (w0 <= 0 || w1 <= 0)
            return false;
        v = w0 * w1 * ((s.mean - s.m[k]) / w1 - s.m[k] / w0);
        return true;
    });
}

} // namespace

// Threshold of a 256-bin histogram by `method`: 1 between-class variance,
// 2 minimum error, 3 maximum entropy, 4 potential difference, anything else the
// average of those that give a result.
static int OptimalThresholdOf(const uint64_t* h, int method)
{
    int first = 0, last = 255;
    while (first < 255 && h[first] == 0)
        ++first;
    while (last > 0 && h[last] == 0)
        --last;
    if (first >= last)
        return first;
    const Moments s = MomentsOf(h);
    int results[4] = {-1, -1, -1, -1};
    if (method == 1 || method < 1 || method > 4)
        results[0] = Otsu(s, first, last);
    if (method == 2 || method < 1 || method > 4)
        results[1] = MinimumError(s, first, last);
    if (method == 3 || method < 1 || method > 4)
        results[2] = MaximumEntropy(s, first, last);
    if (method == 4 || method < 1 || method > 4)
        results[3] = PotentialDifference(s, first, last);
    int sum = 0, count = 0;
    for (int r : results)
        if (r >= 0) {
            sum += r;
            ++count;
        }
    const int t = count ? sum / count : -1;
    return (t > first && t < last) ? t : (first + last) / 2;
}

namespace {

constexpr int kMinBoxSize = 8;

// Counts the grey levels of every box of one band of box rows; when a mask is
// given only the pixels where it is non-zero count.
void BoxHistograms(const CxImage& grey, const CxImage* mask, int band, int box,
                   std::vector<uint64_t>& hists)
{
    const int w = int(grey.GetWidth());
    const int y0 = band * box, y1 = std::min(int(grey.GetHeight()), y0 + box);
    std::fill(hists.begin(), hists.end(), 0);
    for (int y = y0; y < y1; ++y) {
        const uint8_t* row = grey.GetBits(y);
        const uint8_t* m = mask ? mask->GetBits(y) : nullptr;
        for (int x = 0; x < w; ++x)
            if (!m || m[x])
                ++hists[size_t(x / box) * 256 + row[x]];
    }
}

} // namespace

bool CxImage::AdaptiveThreshold(int32_t method, int32_t nBoxSize, CxImage* pContrastMask,
                                int32_t nBias, float fGlobalLocalBalance)
{
    if (!IsValid())
        return false;
    const int box = std::max<int>(kMinBoxSize, nBoxSize);
    const double balance = std::clamp<double>(fGlobalLocalBalance, 0.0, 1.0);
    if (pContrastMask &&
        (!pContrastMask->IsValid() || pContrastMask->GetBpp() != 8 ||
         pContrastMask->GetWidth() != GetWidth() || pContrastMask->GetHeight() != GetHeight())) {
        SetLastError("AdaptiveThreshold invalid ContrastMask");
        return false;
    }
    if (!IsInterpolatable(*this) || GetBpp() != 8) {
        if (!ToGray())
            return false;
    }
    if (GetBpp() != 8) {
        SetLastError("OptimalThreshold works only on 8 bit images");
        return false;
    }
    const int w = int(GetWidth()), h = int(GetHeight());
    const int across = (w + box - 1) / box, down = (h + box - 1) / box;
    std::vector<uint64_t> hists(size_t(across) * 256);
    std::vector<uint64_t> global(256, 0);
    CxImage grid(across, down, 8);
    if (!grid.IsValid()) {
        SetLastError(grid.GetLastError());
        return false;
    }
    grid.SetGrayPalette();
    std::vector<int> boxLevels(size_t(across) * down);
    for (int by = 0; by < down; ++by) {
        BoxHistograms(*this, pContrastMask, by, box, hists);
        for (int bx = 0; bx < across; ++bx) {
            const uint64_t* hb = &hists[size_t(bx) * 256];
            for (int i = 0; i < 256; ++i)
                global[i] += hb[i];
            boxLevels[size_t(by) * across + bx] = OptimalThresholdOf(hb, method);
        }
    }
    const int globalLevel = OptimalThresholdOf(global.data(), method);
    for (int by = 0; by < down; ++by)
        for (int bx = 0; bx < across; ++bx) {
            const double t =
                nBias + (1 - balance) * boxLevels[size_t(by) * across + bx] + balance * globalLevel;
            grid.GetBits(by)[bx] = ClampByte(t);
        }
    CxImage levels;
    if (!grid.ResampleTo(across * box, down * box, IM_BILINEAR, OM_REPEAT, &levels, true)) {
        SetLastError(grid.GetLastError());
        return false;
    }
    return Binarise(levels);
}

bool CxImage::Binarise(const CxImage& levels)
{
    const int w = int(GetWidth()), h = int(GetHeight());
    CxImage out;
    if (!CreateLike(out, *this, w, h, 1)) {
        SetLastError(out.GetLastError());
        return false;
    }
    out.SetPaletteColor(0, 0, 0, 0);
    out.SetPaletteColor(1, 255, 255, 255);
    out.SetTransIndex(-1);
    for (int y = 0; y < h; ++y) {
        if (Escaped(*this))
            break;
        Progress(*this, y, h);
        const uint8_t* g = GetBits(y);
        const uint8_t* t = levels.GetBits(y);
        uint8_t* d = out.GetBits(y);
        for (int x = 0; x < w; ++x)
            if (g[x] > t[x])
                d[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
    SetProgress(100);
    return Transfer(out);
}
