#pragma once
// Synthetic images for the pixel-operation and page-detector tests: patterned
// images at every depth, and photos of a white page with lines of "text" lying
// turned on a dark desk, drawn by a tiny rasteriser of our own.

#include "CxImage.h"

#include <cmath>
#include <cstdint>

namespace opstest {

// A w x h image at `bpp` whose every pixel differs from its neighbours in a
// known way: pixel (x, y) (bottom-up) has index / colour Pattern(x, y).
inline uint32_t Pattern(int x, int y)
{
    return uint32_t(x * 7 + y * 13 + x * y * 3) & 0xFFFFFF;
}

inline CxImage PatternImage(int w, int h, int bpp)
{
    CxImage img{uint32_t(w), uint32_t(h), uint32_t(bpp)};
    if (bpp <= 8) {
        const int n = 1 << bpp;
        for (int i = 0; i < n; ++i)
            img.SetPaletteColor(uint8_t(i), uint8_t(i * 37), uint8_t(255 - i), uint8_t(i * 11));
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = Pattern(x, y);
            if (bpp == 24)
                img.SetPixelColor(x, y, RGBQUAD{uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), 0});
            else
                img.SetPixelIndex(x, y, uint8_t(p & ((1u << bpp) - 1)));
        }
    return img;
}

// Value of pixel (x, y) comparable across depths: the index, or the packed colour.
inline uint32_t PixelValue(const CxImage& img, int x, int y)
{
    if (img.GetBpp() <= 8)
        return img.GetPixelIndex(x, y);
    const RGBQUAD c = img.GetPixelColor(x, y, false);
    return uint32_t(c.rgbBlue) | (uint32_t(c.rgbGreen) << 8) | (uint32_t(c.rgbRed) << 16);
}

constexpr uint8_t kDesk = 45;
constexpr uint8_t kPaper = 235;
constexpr uint8_t kInk = 25;

// A photo of w x h pixels (24-bit) showing a page of pw x ph pixels centred on
// the photo and turned counter-clockwise on screen by `ccwDegrees`, on a dark
// desk. The page carries lines of word-like ink bars.
inline CxImage PagePhoto(int w, int h, double pw, double ph, double ccwDegrees)
{
    CxImage img{uint32_t(w), uint32_t(h), 24};
    const double a = ccwDegrees * M_PI / 180.0;
    const double ca = std::cos(a), sa = std::sin(a);
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    const double line = ph / 30.0;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = img.GetBits(uint32_t(y));
        for (int x = 0; x < w; ++x) {
            // Bottom-up rows: y grows upwards, so a counter-clockwise turn is the usual one.
            const double dx = x - cx, dy = y - cy;
            const double u = ca * dx + sa * dy + pw / 2;    // from the page's left edge
            const double v = ph / 2 - (-sa * dx + ca * dy); // from the page's top edge
            uint8_t g = uint8_t(kDesk + ((x * 7 + y * 13) % 9));
            if (u >= 0 && u < pw && v >= 0 && v < ph) {
                g = kPaper;
                const bool inBody = u > pw * 0.1 && u < pw * 0.9 && v > ph * 0.1 && v < ph * 0.9;
                const double phase = std::fmod(v, line) / line;
                const int word = int((u - pw * 0.1) / (pw * 0.08));
                const double inWord = std::fmod(u - pw * 0.1, pw * 0.08) / (pw * 0.08);
                const int lineNo = int(v / line);
                const bool gap = inWord > 0.75 || ((word * 5 + lineNo * 3) % 7 == 0);
                if (inBody && phase > 0.3 && phase < 0.7 && !gap)
                    g = kInk;
            }
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = g;
        }
    }
    return img;
}

} // namespace opstest
