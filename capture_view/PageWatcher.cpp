#include "PageWatcher.h"

#include <algorithm>
#include <cmath>

namespace scriva::watch {

namespace {

constexpr int kSamplesPerCell = 8;   // along each axis
constexpr int kEdgeRing = 2;         // cells of the picture's edge watched for a reaching hand
constexpr double kBaseCell = 0.035;  // a cell's change (of the mean) at sensitivity 5
constexpr double kNoiseFactor = 6.0; // a moving cell stands this far above the median noise
// The share of the way to a neighbour's value a cell may go when the picture
// trembles (up to a third of a cell).
constexpr float kShiftShare = 0.35f;
constexpr double kReferenceFactor = 1.5;

double Clamp(double v, double lo, double hi)
{
    return std::min(hi, std::max(lo, v));
}

} // namespace

bool ShrinkGrey(const uint8_t* data, int width, int height, int stride, int bytesPerPixel,
                bool bottomUp, SmallFrame& out)
{
    if (!data || width <= 0 || height <= 0 || (bytesPerPixel != 3 && bytesPerPixel != 4) ||
        stride < width * bytesPerPixel)
        return false;
    const int cw = std::min(kSmallWidth, width);
    const int ch = std::min(kSmallHeight, height);
    out.width = cw;
    out.height = ch;
    out.cells.assign(static_cast<size_t>(cw) * ch, 0.0f);
    // Sample columns and rows: kSamplesPerCell evenly inside each cell.
    std::vector<int> xs;
    std::vector<int> ys;
    xs.reserve(static_cast<size_t>(cw) * kSamplesPerCell);
    for (int c = 0; c < cw; ++c) {
        const int x0 = static_cast<int>(int64_t(c) * width / cw);
        const int x1 = std::max(x0 + 1, static_cast<int>(int64_t(c + 1) * width / cw));
        const int n = std::min(kSamplesPerCell, x1 - x0);
        for (int i = 0; i < kSamplesPerCell; ++i)
            xs.push_back(x0 + (i % n) * (x1 - x0) / n + (x1 - x0) / (2 * n));
    }
    for (int r = 0; r < ch; ++r) {
        const int y0 = static_cast<int>(int64_t(r) * height / ch);
        const int y1 = std::max(y0 + 1, static_cast<int>(int64_t(r + 1) * height / ch));
        const int n = std::min(kSamplesPerCell, y1 - y0);
        for (int i = 0; i < kSamplesPerCell; ++i)
            ys.push_back(y0 + (i % n) * (y1 - y0) / n + (y1 - y0) / (2 * n));
    }
    const float scale = 1.0f / (kSamplesPerCell * kSamplesPerCell);
    for (int r = 0; r < ch; ++r) {
        float* cells = &out.cells[static_cast<size_t>(r) * cw];
        for (int i = 0; i < kSamplesPerCell; ++i) {
            const int y = ys[static_cast<size_t>(r) * kSamplesPerCell + i];
            const int memRow = bottomUp ? height - 1 - y : y;
            const uint8_t* row = data + static_cast<size_t>(memRow) * stride;
            const int* x = xs.data();
            for (int c = 0; c < cw; ++c) {
                unsigned sum = 0;
                for (int j = 0; j < kSamplesPerCell; ++j, ++x) {
                    const uint8_t* p = row + static_cast<size_t>(*x) * bytesPerPixel;
                    sum += 29u * p[0] + 150u * p[1] + 77u * p[2]; // B, G, R
                }
                cells[c] += static_cast<float>(sum) / 256.0f;
            }
        }
        for (int c = 0; c < cw; ++c)
            cells[c] *= scale;
    }
    return true;
}

PageWatcher::PageWatcher(const WatchSettings& settings) : m_settings(settings) {}

void PageWatcher::Reset()
{
    m_hasPrevious = false;
    m_hasReference = false;
    m_stillFor = 0.0;
    m_noise = 0.0;
    m_noiseFrames = 0;
    m_width = 0;
    m_height = 0;
    m_state = WatchState::Waiting;
}

void PageWatcher::SetSettings(const WatchSettings& settings)
{
    m_settings = settings;
}

double PageWatcher::CellThreshold() const
{
    const double s = Clamp(m_settings.sensitivity, 1, 10);
    const double base = kBaseCell * (1.6 - 0.12 * s);
    return std::max(base, kNoiseFactor * m_noise);
}

int PageWatcher::MotionCells() const
{
    return std::max(3, m_width * m_height / 500);
}

int PageWatcher::ChangeCells() const
{
    const double s = Clamp(m_settings.sensitivity, 1, 10);
    const double fraction = 0.02 * std::pow(0.7, s - 1.0);
    return std::max(2, static_cast<int>(std::lround(fraction * m_width * m_height)));
}

void PageWatcher::Normalise(const SmallFrame& frame, std::vector<float>& out) const
{
    double sum = 0.0;
    for (float v : frame.cells)
        sum += v;
    const double mean = sum / static_cast<double>(frame.cells.size());
    const float inv = mean > 1.0 ? static_cast<float>(1.0 / mean) : 1.0f;
    out.resize(frame.cells.size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = frame.cells[i] * inv;
}

PageWatcher::Diff PageWatcher::Compare(const std::vector<float>& a, const std::vector<float>& b,
                                       double threshold) const
{
    // A trembling stand shifts the picture by a fraction of a cell: each cell
    // of `a` then lies part of the way between its own value in `b` and a
    // neighbour's. Such a cell is not changed; a cell that went the whole way
    // (a word written, a line gone) is.
    Diff d;
    const float t = static_cast<float>(threshold);
    for (int r = 0; r < m_height; ++r) {
        const bool edgeRow = r < kEdgeRing || r >= m_height - kEdgeRing;
        for (int c = 0; c < m_width; ++c) {
            const size_t i = static_cast<size_t>(r) * m_width + c;
            const float own = b[i];
            if (std::fabs(a[i] - own) <= t)
                continue;
            float lo = own;
            float hi = own;
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc) {
                    const int rr = r + dr;
                    const int cc = c + dc;
                    if (rr < 0 || rr >= m_height || cc < 0 || cc >= m_width)
                        continue;
                    const float v = b[static_cast<size_t>(rr) * m_width + cc];
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
            const float low = own - kShiftShare * (own - lo) - t;
            const float high = own + kShiftShare * (hi - own) + t;
            if (a[i] >= low && a[i] <= high)
                continue;
            ++d.changed;
            if (edgeRow || c < kEdgeRing || c >= m_width - kEdgeRing)
                ++d.edgeChanged;
        }
    }
    return d;
}

void PageWatcher::LearnNoise(const std::vector<float>& a, const std::vector<float>& b)
{
    // The median cell difference: moving cells (a minority while nothing is
    // laid down) do not raise it.
    std::vector<float> diffs(a.size());
    for (size_t i = 0; i < a.size(); ++i)
        diffs[i] = std::fabs(a[i] - b[i]);
    std::nth_element(diffs.begin(), diffs.begin() + diffs.size() / 2, diffs.end());
    const double median = diffs[diffs.size() / 2];
    if (m_noiseFrames++ == 0)
        m_noise = median;
    else
        m_noise += (median - m_noise) * (median < m_noise ? 0.3 : 0.02);
}

bool PageWatcher::Feed(const SmallFrame& frame, double seconds)
{
    if (!frame.IsValid())
        return false;
    if (frame.width != m_width || frame.height != m_height) {
        Reset();
        m_width = frame.width;
        m_height = frame.height;
        const int inner =
            std::max(0, m_width - 2 * kEdgeRing) * std::max(0, m_height - 2 * kEdgeRing);
        m_edgeCells = m_width * m_height - inner;
    }
    Normalise(frame, m_current);
    if (!m_hasPrevious) {
        m_previous = m_current;
        m_anchor = m_current;
        m_hasPrevious = true;
        m_stillSince = seconds;
        m_stillFor = 0.0;
        m_state = WatchState::Moving;
        return false;
    }
    LearnNoise(m_current, m_previous);
    const double threshold = CellThreshold();
    const int motion = MotionCells();
    const bool moved = Compare(m_current, m_previous, threshold).changed > motion ||
                       Compare(m_current, m_anchor, threshold).changed > motion;
    m_previous = m_current;
    if (moved) {
        m_anchor = m_current;
        m_stillSince = seconds;
        m_stillFor = 0.0;
        m_state = WatchState::Moving;
        return false;
    }
    m_stillFor = seconds - m_stillSince;
    if (!m_hasReference) {
        m_state = WatchState::Settling;
        return m_stillFor >= m_settings.settleSeconds;
    }
    const Diff change = Compare(m_current, m_reference, threshold * kReferenceFactor);
    if (change.changed <= ChangeCells()) {
        // The photographed picture: follow its slow light changes.
        if (m_stillFor >= m_settings.settleSeconds)
            m_reference = m_current;
        m_state = WatchState::Waiting;
        return false;
    }
    const int edgeSome = std::max(2, m_edgeCells / 50);
    if (change.edgeChanged > edgeSome && change.edgeChanged < m_edgeCells * 6 / 10) {
        m_state = WatchState::Blocked;
        return false;
    }
    m_state = WatchState::Settling;
    return m_stillFor >= m_settings.settleSeconds;
}

void PageWatcher::Taken()
{
    m_reference = m_current;
    m_hasReference = true;
    m_state = WatchState::Waiting;
}

bool PageWatcher::SameAsLast(const SmallFrame& frame) const
{
    if (!m_hasPrevious || frame.width != m_width || frame.height != m_height)
        return false;
    std::vector<float> normalised;
    Normalise(frame, normalised);
    return Compare(normalised, m_current, CellThreshold()).changed <= MotionCells();
}

} // namespace scriva::watch
