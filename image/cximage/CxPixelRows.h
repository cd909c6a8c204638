#pragma once
// Small inline helpers shared by the pixel operations and the page detectors:
// grey weights, packed-index access inside a raw row, and the geometry of a new
// image made like an existing one. Internal to the image object's sources; any
// thread, on objects it alone touches.

#include "CxImage.h"

#include <algorithm>
#include <cstdint>

namespace cxrows {

// Grey level of a colour with the program's integer weights (sum 1024).
inline uint8_t Grey(uint8_t r, uint8_t g, uint8_t b)
{
    return uint8_t((r * 306u + g * 601u + b * 117u) >> 10);
}

inline uint8_t Grey(const RGBQUAD& c)
{
    return Grey(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

inline uint8_t ClampByte(double v)
{
    return v <= 0.0 ? 0 : v >= 255.0 ? 255 : static_cast<uint8_t>(v);
}

inline int ClampInt(int v, int lo, int hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

// Palette index of pixel x of a packed row at 1, 4 or 8 bits per pixel.
inline uint8_t GetIndex(const uint8_t* row, int x, int bpp)
{
    switch (bpp) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default:
        return row[x];
    }
}

inline void SetIndex(uint8_t* row, int x, int bpp, uint8_t index)
{
    switch (bpp) {
    case 1: {
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = (index & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        break;
    }
    case 4:
        if (x & 1)
            row[x >> 1] = uint8_t((row[x >> 1] & 0xF0) | (index & 0x0F));
        else
            row[x >> 1] = uint8_t((row[x >> 1] & 0x0F) | ((index & 0x0F) << 4));
        break;
    default:
        row[x] = index;
    }
}

// Writes progress 0-100 for `done` of `total` steps.
inline void Progress(CxImage& image, int64_t done, int64_t total)
{
    if (total > 0)
        image.SetProgress(static_cast<int32_t>(done * 100 / total));
}

// True once somebody asked the running operation to stop.
inline bool Escaped(const CxImage& image)
{
    return image.GetEscape() != 0;
}

// Allocates `out` as a width x height image at `bpp` carrying over the format,
// resolution, palette (same depth only) and transparency of `like`.
bool CreateLike(CxImage& out, const CxImage& like, uint32_t width, uint32_t height, uint32_t bpp);

// The colour of a palette image as 8-bit grey (palette all grey) or else
// 24-bit, into `out`; used before operations that interpolate between pixels.
// Returns false (with out's last error) when memory is short.
bool ToInterpolatable(const CxImage& in, CxImage& out);

// True when `image` is 24-bit, or 8-bit with the linear grey palette.
bool IsInterpolatable(const CxImage& image);

} // namespace cxrows
