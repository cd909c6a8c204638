#include "PageSequence.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace pageseq {

namespace {

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h =
        a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

constexpr int kLines = 22;

// The seed of a text line of a page: sheets of a form share all but three lines.
uint32_t LineSeed(int page, int line)
{
    if (page >= kFormBase) {
        const int sheet = page - kFormBase;
        const bool filled = line == 3 || line == 9 || line == 15;
        return filled ? Hash(7, static_cast<uint32_t>(sheet), static_cast<uint32_t>(line))
                      : Hash(7, 99999, static_cast<uint32_t>(line));
    }
    return Hash(static_cast<uint32_t>(page), 1, static_cast<uint32_t>(line));
}

// Ink at page coordinates u, v in 0..1: 1 on a letter stroke.
bool Ink(int page, double u, double v)
{
    const double top = 0.08;
    const double pitch = 0.84 / kLines;
    const int line = static_cast<int>((v - top) / pitch);
    if (v < top || line < 0 || line >= kLines)
        return false;
    const double inLine = (v - top) / pitch - line;
    if (inLine > 0.55)
        return false;
    const uint32_t seed = LineSeed(page, line);
    const double end = 0.45 + (seed % 45) / 100.0;
    if (u < 0.08 || u > end)
        return false;
    // Words of 4..12 % width with gaps; letters as thin strokes.
    double x = 0.08;
    for (uint32_t w = 0; w < 40 && x < end; ++w) {
        const double len = 0.04 + (Hash(seed, w, 3) % 80) / 1000.0;
        if (u >= x && u < x + len) {
            const double letter = (u - x) * 160.0;
            const double f = letter - std::floor(letter);
            const uint32_t shape = Hash(seed, w, static_cast<uint32_t>(letter));
            return f < 0.35 || (inLine > 0.2 && inLine < 0.3 && (shape & 1)) ||
                   (f > 0.6 && (shape & 2));
        }
        x += len + 0.015;
    }
    return false;
}

} // namespace

std::vector<uint8_t> Draw(const Shot& shot, int width, int height)
{
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * 3);
    std::vector<float> grey(static_cast<size_t>(width));
    std::vector<float> smeared(static_cast<size_t>(width));
    std::mt19937 rng(shot.seed);
    std::normal_distribution<float> noise(0.0f, static_cast<float>(shot.noise));
    const double px0 = 0.18 * width;
    const double pw = 0.64 * width;
    const double py0 = 0.08 * height;
    const double ph = 0.84 * height;
    const double offset = shot.slide * width;
    // The hand: an arm from the right edge ending in a round palm.
    const double reach = shot.hand < 0 ? -1 : shot.hand * 0.55 * width;
    const double armY = 0.55 * height;
    const double armHalf = 0.07 * height;
    const double palmR = 0.11 * height;
    for (int y = 0; y < height; ++y) {
        const double sy = y + shot.shakeY * width;
        for (int x = 0; x < width; ++x) {
            const double sx = x + shot.shakeX * width;
            float v = 55.0f; // the stand
            const double u = (sx + offset - px0) / pw;
            const double w = (sy - py0) / ph;
            if (u >= 0 && u < 1 && w >= 0 && w < 1)
                v = Ink(shot.page, u, w) ? 35.0f : 228.0f;
            grey[x] = v;
        }
        if (shot.blur > 1) {
            double sum = 0;
            const int b = shot.blur;
            for (int x = 0; x < width + b; ++x) {
                if (x < width)
                    sum += grey[x];
                if (x >= b)
                    sum -= grey[x - b];
                if (x >= b / 2 && x - b / 2 < width)
                    smeared[x - b / 2] = static_cast<float>(sum / b);
            }
            grey.swap(smeared);
        }
        uint8_t* row = out.data() + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            double b = grey[x];
            double g = grey[x];
            double r = grey[x];
            if (reach > 0) {
                const double hx = x + shot.shakeX * width;
                const double fromRight = width - 1 - hx;
                const double tipX = width - reach;
                const double dx = hx - tipX;
                const double dy = sy - armY;
                const bool arm = fromRight < reach && std::fabs(dy) < armHalf;
                const bool palm = dx * dx + dy * dy < palmR * palmR;
                if (arm || palm) {
                    b = 120;
                    g = 150;
                    r = 205;
                }
            }
            const double light = shot.gain * (1.0 - shot.tilt * x / width);
            const float n = shot.noise > 0 ? noise(rng) : 0.0f;
            row[3 * x + 0] = static_cast<uint8_t>(std::clamp(b * light + n, 0.0, 255.0));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(g * light + n, 0.0, 255.0));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(r * light + n, 0.0, 255.0));
        }
    }
    return out;
}

std::vector<uint8_t> DrawPage(int page, int width, int height)
{
    std::vector<uint8_t> out(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out[static_cast<size_t>(y) * width + x] =
                Ink(page, (x + 0.5) / width, (y + 0.5) / height) ? 35 : 228;
    return out;
}

namespace {

// A picture's brightness on a coarse grid, divided by its mean.
std::vector<double> Grid(const std::vector<double>& grey, int width, int height)
{
    constexpr int kCols = 32;
    constexpr int kRows = 24;
    std::vector<double> cells(kCols * kRows, 0.0);
    std::vector<int> counts(kCols * kRows, 0);
    double sum = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t c = static_cast<size_t>(y * kRows / height) * kCols + x * kCols / width;
            const double v = grey[static_cast<size_t>(y) * width + x];
            cells[c] += v;
            ++counts[c];
            sum += v;
        }
    const double mean = sum / (static_cast<double>(width) * height);
    for (size_t c = 0; c < cells.size(); ++c)
        cells[c] = counts[c] ? cells[c] / counts[c] / mean : 0.0;
    return cells;
}

double Distance(const std::vector<double>& a, const std::vector<double>& b)
{
    double d = 0;
    for (size_t i = 0; i < a.size(); ++i)
        d += std::fabs(a[i] - b[i]);
    return d / static_cast<double>(a.size());
}

} // namespace

int PageShown(const std::vector<double>& grey, int width, int height, const std::vector<int>& pages)
{
    if (width <= 0 || height <= 0 || grey.size() < static_cast<size_t>(width) * height)
        return -1;
    const std::vector<double> shown = Grid(grey, width, height);
    std::vector<std::vector<double>> refs;
    for (const int page : pages) {
        const std::vector<uint8_t> drawn = DrawPage(page, width, height);
        refs.push_back(Grid(std::vector<double>(drawn.begin(), drawn.end()), width, height));
    }
    double apart = 1e9;
    for (size_t i = 0; i < refs.size(); ++i)
        for (size_t j = i + 1; j < refs.size(); ++j)
            apart = std::min(apart, Distance(refs[i], refs[j]));
    int best = -1;
    double bestDistance = 1e9;
    for (size_t i = 0; i < refs.size(); ++i) {
        const double d = Distance(shown, refs[i]);
        if (d < bestDistance) {
            bestDistance = d;
            best = pages[i];
        }
    }
    return bestDistance < apart / 2 ? best : -1;
}

Shot Script::Finish(Shot shot)
{
    const int i = m_index++;
    shot.seed = static_cast<unsigned>(i * 7919 + 17);
    shot.noise = noise;
    if (flicker)
        shot.gain *= (i % 2) ? 0.9 : 1.1;
    if (drift) {
        const double t = i / fps;
        shot.gain *= 1.0 - 0.25 * std::min(1.0, t / 60.0);
        shot.tilt = 0.15 * std::min(1.0, t / 60.0);
    }
    if (shake) {
        shot.shakeX = 0.003 * (static_cast<int>(Hash(static_cast<uint32_t>(i), 5, 5) % 3) - 1);
        shot.shakeY = 0.003 * (static_cast<int>(Hash(static_cast<uint32_t>(i), 6, 6) % 3) - 1);
    }
    return shot;
}

void Script::Frames(const Shot& shot, int count, bool clean)
{
    for (int i = 0; i < count; ++i)
        frames.push_back({Finish(shot), clean});
}

void Script::Still(int page, double seconds, bool isNew)
{
    Shot s;
    s.page = page;
    Frames(s, static_cast<int>(std::lround(seconds * fps)), true);
    if (isNew)
        expected.push_back(page);
}

void Script::Turn(int from, int to, double seconds)
{
    // The old page slides out to the left, the new one comes from the right,
    // both smeared by their speed.
    const int n = std::max(2, static_cast<int>(std::lround(seconds * fps)));
    for (int i = 0; i < n; ++i) {
        const double t = (i + 0.5) / n;
        Shot s;
        const bool leaving = t < 0.5;
        s.page = leaving ? from : to;
        s.slide = leaving ? t * 2.0 * 0.9 : -(1.0 - t) * 2.0 * 0.9;
        s.blur = 24;
        s.hand = 0.6;
        frames.push_back({Finish(s), false});
    }
}

void Script::Hand(int page, double in, double rest, double out)
{
    const int nIn = std::max(1, static_cast<int>(std::lround(in * fps)));
    const int nRest = static_cast<int>(std::lround(rest * fps));
    const int nOut = std::max(1, static_cast<int>(std::lround(out * fps)));
    Shot s;
    s.page = page;
    for (int i = 0; i < nIn; ++i) {
        s.hand = (i + 1.0) / nIn;
        frames.push_back({Finish(s), false});
    }
    s.hand = 1.0;
    for (int i = 0; i < nRest; ++i)
        frames.push_back({Finish(s), false});
    for (int i = 0; i < nOut; ++i) {
        s.hand = 1.0 - (i + 1.0) / nOut;
        frames.push_back({Finish(s), false});
    }
}

std::vector<std::string> ScenarioNames()
{
    return {"different pages", "form sheets", "hand resting", "page put back",
            "flicker",         "slow drift",  "heavy noise",  "shaking stand"};
}

Script Scenario(const std::string& name)
{
    Script s;
    if (name == "heavy noise")
        s.noise = 6.0;
    s.flicker = name == "flicker";
    s.drift = name == "slow drift";
    s.shake = name == "shaking stand";
    const bool form = name == "form sheets";
    const int first = form ? kFormBase : 1;
    s.Still(first, 2.0, true);
    int page = first;
    const int pages = name == "slow drift" ? 6 : 4;
    for (int i = 1; i < pages; ++i) {
        const int next = page + 1;
        s.Turn(page, next, 0.7);
        s.Still(next, name == "slow drift" ? 8.0 : 1.8, true);
        page = next;
        if (name == "hand resting") {
            s.Hand(page, 0.5, 2.0, 0.5);
            s.Still(page, 1.5, false);
        }
        if (name == "page put back" && i == 2) {
            // Lifted and laid back as it was: the same page, no photo.
            s.Turn(page, page, 0.7);
            s.Still(page, 1.5, false);
        }
    }
    return s;
}

} // namespace pageseq
