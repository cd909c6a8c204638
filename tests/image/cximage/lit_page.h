#pragma once
// Photos of a page under a desk lamp, for the page-look tests and benchmark:
// the page already cut and straightened, lit by a lamp off to one side, with
// a yellow cast, vignetting, the hard shadow of the camera arm, coloured paper,
// faint pencil text, a large photo printed on the page or little text at all,
// plus sensor noise. Text is either drawn here as word-like strokes or taken
// from a coverage map the caller renders (real text for recognition). Every
// photo comes with its truth: where the ink is and where bare paper lies away
// from the text and pictures. No Qt.

#include "CxImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace litpage {

struct Scene
{
    std::string name;
    int width = 1296;
    int height = 972;
    double lampFalloff = 0.35;            // share of the light lost at the far side from the lamp
    double vignetting = 0.15;             // share of the light lost in the corners
    bool shadow = false;                  // a hard shadow band of the camera arm across the page
    double shadowLight = 0.5;             // light left inside the shadow
    double paper[3] = {0.93, 0.92, 0.89}; // reflectance red, green, blue
    double inkStrength = 0.9;             // share of the light ink takes (pencil: about 0.35)
    bool photo = false;                   // a large photo printed on the page
    bool blank = false;                   // only a few words on the page
    double exposure = 270.0;              // the lit centre of white paper just below 255
    double noise = 3.0;                   // grey levels, roughly
    uint32_t seed = 1;
};

// Top-down maps of the truth, width x height.
struct Page
{
    CxImage image;               // 24-bit photo
    std::vector<uint8_t> ink;    // ink coverage 0..255
    std::vector<uint8_t> ground; // 1: bare paper at least kMargin px from ink and pictures
    int photoLeft = 0, photoTop = 0, photoRight = 0, photoBottom = 0; // empty when none
};

constexpr int kMargin = 5;

namespace detail {

struct Rng
{
    uint32_t s;
    uint32_t Next()
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    double Unit() { return (Next() & 0xFFFFFF) / double(0x1000000); }
};

inline void FillBox(std::vector<uint8_t>& cov, int w, int h, int x0, int y0, int x1, int y1)
{
    x0 = std::max(0, x0), y0 = std::max(0, y0), x1 = std::min(w, x1), y1 = std::min(h, y1);
    for (int y = y0; y < y1; ++y)
        std::fill(cov.begin() + (size_t(y) * w + x0), cov.begin() + (size_t(y) * w + x1), 255);
}

// Lines of word-like strokes: stems, bars and ascenders at x-height xh.
inline void DrawWords(std::vector<uint8_t>& cov, const Scene& s, Rng& rng, int left, int top,
                      int right, int bottom, int maxLines)
{
    const int w = s.width, h = s.height;
    const int xh = std::max(6, h / 90), pitch = xh * 3, stroke = std::max(1, xh / 5);
    int lines = 0;
    for (int y = top; y + 2 * xh < bottom && lines < maxLines; y += pitch, ++lines) {
        int x = left;
        while (x < right - 4 * xh) {
            const int letters = 2 + int(rng.Unit() * 7);
            for (int l = 0; l < letters && x < right - xh; ++l) {
                const int lw = xh * 3 / 4;
                const bool tall = rng.Unit() < 0.3;
                FillBox(cov, w, h, x, tall ? y : y + xh, x + stroke, y + 2 * xh);
                const double kind = rng.Unit();
                if (kind < 0.5) {
                    FillBox(cov, w, h, x, y + xh, x + lw, y + xh + stroke);
                    FillBox(cov, w, h, x + lw - stroke, y + xh, x + lw, y + 2 * xh);
                } else if (kind < 0.8) {
                    FillBox(cov, w, h, x, y + 2 * xh - stroke, x + lw, y + 2 * xh);
                } else {
                    FillBox(cov, w, h, x, y + xh + xh / 2, x + lw, y + xh + xh / 2 + stroke);
                }
                x += lw + stroke + xh / 4;
            }
            x += xh;
        }
    }
}

inline double Smoothstep(double e0, double e1, double x)
{
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

} // namespace detail

// The photo of scene s; `text` (optional, width x height top-down coverage)
// replaces the drawn words.
inline Page Draw(const Scene& s, const std::vector<uint8_t>* text = nullptr)
{
    using namespace detail;
    const int w = s.width, h = s.height;
    Page page;
    Rng rng{s.seed * 2654435761u + 12345u};
    if (text && text->size() == size_t(w) * h) {
        page.ink = *text;
    } else {
        page.ink.assign(size_t(w) * h, 0);
        const int m = w / 12;
        DrawWords(page.ink, s, rng, m, h / 14, w - m, h - h / 14, s.blank ? 2 : 1000);
    }
    if (s.photo) {
        page.photoLeft = w / 6;
        page.photoTop = h / 5;
        page.photoRight = w - w / 6;
        page.photoBottom = h * 3 / 5;
        for (int y = page.photoTop; y < page.photoBottom; ++y)
            std::fill(page.ink.begin() + (size_t(y) * w + page.photoLeft),
                      page.ink.begin() + (size_t(y) * w + page.photoRight), 0);
    }
    // Ground: bare paper kMargin pixels away from ink (an integral image of ink).
    std::vector<uint32_t> sat(size_t(w + 1) * (h + 1), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            sat[size_t(y + 1) * (w + 1) + x + 1] =
                (page.ink[size_t(y) * w + x] > 0) + sat[size_t(y) * (w + 1) + x + 1] +
                sat[size_t(y + 1) * (w + 1) + x] - sat[size_t(y) * (w + 1) + x];
    page.ground.assign(size_t(w) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int xa = std::max(0, x - kMargin), xb = std::min(w, x + kMargin + 1);
            const int ya = std::max(0, y - kMargin), yb = std::min(h, y + kMargin + 1);
            const uint32_t n = sat[size_t(yb) * (w + 1) + xb] - sat[size_t(ya) * (w + 1) + xb] -
                               sat[size_t(yb) * (w + 1) + xa] + sat[size_t(ya) * (w + 1) + xa];
            const bool inPhoto = s.photo && x >= page.photoLeft - kMargin &&
                                 x < page.photoRight + kMargin && y >= page.photoTop - kMargin &&
                                 y < page.photoBottom + kMargin;
            page.ground[size_t(y) * w + x] = (n == 0 && !inPhoto) ? 1 : 0;
        }

    page.image.Create(uint32_t(w), uint32_t(h), 24, CXIMAGE_FORMAT_BMP);
    const double lampX = 0.15 * w, lampY = 0.2 * h, far = std::hypot(0.85 * w, 0.8 * h);
    const double cx = 0.5 * w, cy = 0.5 * h, corner = std::hypot(cx, cy);
    const double cast[3] = {1.0, 0.94, 0.80}; // the lamp's yellow, red to blue
    // The arm's shadow: a band across the page, its edges blurred by a few pixels.
    const double sa = std::sin(0.35), ca = std::cos(0.35);
    const double bandMid = 0.62 * w, bandHalf = 0.07 * w, penumbra = 0.006 * w;
    // Blobs of the printed photo.
    struct Blob
    {
        double x, y, r, c[3];
    };
    std::vector<Blob> blobs;
    for (int i = 0; i < 14; ++i)
        blobs.push_back({page.photoLeft + rng.Unit() * (page.photoRight - page.photoLeft),
                         page.photoTop + rng.Unit() * (page.photoBottom - page.photoTop),
                         0.03 * w + rng.Unit() * 0.08 * w,
                         {rng.Unit(), rng.Unit(), rng.Unit()}});
    for (int y = 0; y < h; ++y) {
        uint8_t* row = page.image.GetBits(uint32_t(h - 1 - y));
        for (int x = 0; x < w; ++x) {
            double light =
                1.0 - s.lampFalloff * std::min(1.0, std::hypot(x - lampX, y - lampY) / far);
            const double r = std::hypot(x - cx, y - cy) / corner;
            light *= 1.0 - s.vignetting * r * r;
            if (s.shadow) {
                const double d = std::abs((x - bandMid) * ca + (y - 0.5 * h) * sa);
                light *= 1.0 - (1.0 - s.shadowLight) *
                                   (1.0 - Smoothstep(bandHalf - penumbra, bandHalf + penumbra, d));
            }
            double refl[3];
            const bool inPhoto = s.photo && x >= page.photoLeft && x < page.photoRight &&
                                 y >= page.photoTop && y < page.photoBottom;
            if (inPhoto) {
                // Sky to ground gradient, blobs and fine texture: a natural picture.
                const double t = double(y - page.photoTop) / (page.photoBottom - page.photoTop);
                refl[0] = 0.35 + 0.3 * t;
                refl[1] = 0.45 + 0.15 * t;
                refl[2] = 0.75 - 0.45 * t;
                for (const Blob& b : blobs) {
                    const double d = std::hypot(x - b.x, y - b.y) / b.r;
                    if (d < 1.0)
                        for (int k = 0; k < 3; ++k)
                            refl[k] = refl[k] * 0.3 + 0.7 * b.c[k] * (1.0 - 0.5 * d);
                }
                const double tex = 0.06 * std::sin(x * 0.21) * std::sin(y * 0.17);
                for (double& v : refl)
                    v = std::clamp(v + tex, 0.02, 0.95);
            } else {
                const double cov = page.ink[size_t(y) * w + x] / 255.0 * s.inkStrength;
                for (int k = 0; k < 3; ++k)
                    refl[k] = s.paper[k] * (1.0 - cov);
            }
            for (int k = 0; k < 3; ++k) {
                const double n = (rng.Unit() + rng.Unit() + rng.Unit() - 1.5) * 2.0 * s.noise;
                const double v = refl[k] * light * cast[k] * s.exposure + n;
                row[3 * x + 2 - k] = uint8_t(std::clamp(v + 0.5, 0.0, 255.0));
            }
        }
    }
    return page;
}

// The generated set: one scene per kind of trouble.
inline std::vector<Scene> Set(int width = 1296, int height = 972)
{
    std::vector<Scene> set;
    auto add = [&](const char* name, auto tweak) {
        Scene s;
        s.name = name;
        s.width = width;
        s.height = height;
        s.seed = uint32_t(set.size() + 1);
        tweak(s);
        set.push_back(s);
    };
    add("uneven light", [](Scene& s) { s.lampFalloff = 0.45; });
    add("strong vignetting", [](Scene& s) { s.vignetting = 0.45; });
    add("hard shadow band", [](Scene& s) { s.shadow = true; });
    add("coloured paper",
        [](Scene& s) { s.paper[0] = 0.95, s.paper[1] = 0.86, s.paper[2] = 0.62; });
    add("pale pencil", [](Scene& s) { s.inkStrength = 0.35; });
    add("large photo", [](Scene& s) { s.photo = true; });
    add("mostly blank", [](Scene& s) { s.blank = true; });
    add("dim", [](Scene& s) {
        s.exposure = 150.0;
        s.lampFalloff = 0.5;
    });
    return set;
}

// Grey of pixel (x, y), y from the top, of a 24-bit, 8-bit or 1-bit image.
inline int GreyAt(const CxImage& img, int x, int y)
{
    const RGBQUAD c = img.GetPixelColor(x, int(img.GetHeight()) - 1 - y, false);
    return int((c.rgbRed * 306u + c.rgbGreen * 601u + c.rgbBlue * 117u) >> 10);
}

struct Stats
{
    double median = 0, stddev = 0, mean = 0;
    size_t count = 0;
};

// Grey statistics of an image over the pixels where mask is set (top-down).
inline Stats Measure(const CxImage& img, const std::vector<uint8_t>& mask, int step = 1)
{
    std::vector<uint32_t> hist(256, 0);
    double sum = 0, sq = 0;
    size_t n = 0;
    const int w = int(img.GetWidth()), h = int(img.GetHeight());
    for (int y = 0; y < h; y += step)
        for (int x = 0; x < w; x += step)
            if (mask[size_t(y) * w + x]) {
                const int v = GreyAt(img, x, y);
                ++hist[size_t(v)];
                sum += v;
                sq += double(v) * v;
                ++n;
            }
    Stats st;
    st.count = n;
    if (!n)
        return st;
    st.mean = sum / n;
    st.stddev = std::sqrt(std::max(0.0, sq / n - st.mean * st.mean));
    size_t acc = 0;
    for (int v = 0; v < 256; ++v) {
        acc += hist[size_t(v)];
        if (acc * 2 >= n) {
            st.median = v;
            break;
        }
    }
    return st;
}

// The core of the ink: full coverage (top-down mask).
inline std::vector<uint8_t> InkCore(const Page& p)
{
    std::vector<uint8_t> m(p.ink.size());
    for (size_t i = 0; i < m.size(); ++i)
        m[i] = p.ink[i] >= 250 ? 1 : 0;
    return m;
}

} // namespace litpage
