// Tone and colour changes of the image object: brightness/contrast through a
// 256-entry table, and saturation in hue/saturation/lightness or Y/U/V space.
// Palette images change their palette entries instead of their pixels.

#include "CxImage.h"
#include "CxPixelRows.h"

#include <algorithm>
#include <cmath>

using namespace cxrows;

namespace {

constexpr int kHslSpace = 1;
constexpr int kYuvSpace = 2;

// Applies a per-channel table to the palette, or to the (selected) 24-bit pixels.
void ApplyTable(CxImage& image, const uint8_t table[256])
{
    if (image.GetBpp() <= 8) {
        RGBQUAD* pal = image.GetPalette();
        for (uint32_t i = 0; i < image.GetNumColors(); ++i) {
            pal[i].rgbBlue = table[pal[i].rgbBlue];
            pal[i].rgbGreen = table[pal[i].rgbGreen];
            pal[i].rgbRed = table[pal[i].rgbRed];
        }
        return;
    }
    const int w = int(image.GetWidth()), h = int(image.GetHeight());
    for (int y = 0; y < h; ++y) {
        uint8_t* row = image.GetBits(y);
        const uint8_t* sel = image.SelectionGetPointer(0, y);
        if (!sel) {
            for (int i = 0; i < 3 * w; ++i)
                row[i] = table[row[i]];
            continue;
        }
        for (int x = 0; x < w; ++x)
            if (sel[x])
                for (int c = 0; c < 3; ++c)
                    row[3 * x + c] = table[row[3 * x + c]];
    }
}

// Hue, saturation and lightness, each on 0 ... 255.
struct Hsl
{
    double h, s, l;
};

Hsl ToHsl(uint8_t r8, uint8_t g8, uint8_t b8)
{
    const double r = r8 / 255.0, g = g8 / 255.0, b = b8 / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double l = (mx + mn) / 2;
    if (mx == mn)
        return Hsl{0, 0, l * 255};
    const double d = mx - mn;
    const double s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
    double hue;
    if (mx == r)
        hue = (g - b) / d + (g < b ? 6 : 0);
    else if (mx == g)
        hue = (b - r) / d + 2;
    else
        hue = (r - g) / d + 4;
    return Hsl{hue / 6 * 255, s * 255, l * 255};
}

double HueChannel(double p, double q, double t)
{
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

void FromHsl(const Hsl& c, uint8_t& r, uint8_t& g, uint8_t& b)
{
    const double h = c.h / 255, s = c.s / 255, l = c.l / 255;
    if (s <= 0) {
        r = g = b = ClampByte(l * 255 + 0.5);
        return;
    }
    const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    const double p = 2 * l - q;
    r = ClampByte(HueChannel(p, q, h + 1.0 / 3) * 255 + 0.5);
    g = ClampByte(HueChannel(p, q, h) * 255 + 0.5);
    b = ClampByte(HueChannel(p, q, h - 1.0 / 3) * 255 + 0.5);
}

void SaturateHsl(uint8_t& r, uint8_t& g, uint8_t& b, int amount)
{
    // A grey pixel has no hue to strengthen; giving it saturation would tint it red.
    if (r == g && g == b)
        return;
    Hsl c = ToHsl(r, g, b);
    c.s = std::clamp(c.s + amount, 0.0, 255.0);
    FromHsl(c, r, g, b);
}

void SaturateYuv(uint8_t& r, uint8_t& g, uint8_t& b, const uint8_t table[256])
{
    const double y = 0.299 * r + 0.587 * g + 0.114 * b;
    const int u = ClampByte(-0.169 * r - 0.331 * g + 0.5 * b + 128.5);
    const int v = ClampByte(0.5 * r - 0.419 * g - 0.081 * b + 128.5);
    const double uu = table[u] - 128.0, vv = table[v] - 128.0;
    r = ClampByte(y + 1.403 * vv + 0.5);
    g = ClampByte(y - 0.344 * uu - 0.714 * vv + 0.5);
    b = ClampByte(y + 1.773 * uu + 0.5);
}

} // namespace

bool CxImage::AdjustLight(int32_t brightness, int32_t contrast)
{
    if (!IsValid())
        return false;
    uint8_t table[256];
    const double gain = (contrast + 100) * 0.01;
    for (int i = 0; i < 256; ++i)
        table[i] = ClampByte(brightness + 128 + gain * (i - 128) + 0.5);
    ApplyTable(*this, table);
    return true;
}

bool CxImage::Saturate(int32_t saturation, int32_t colorspace)
{
    if (!IsValid())
        return false;
    if (colorspace != kHslSpace && colorspace != kYuvSpace) {
        SetLastError("Saturate: wrong colorspace");
        return false;
    }
    uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = ClampByte((i - 128) * (saturation + 100) * 0.01 + 128.5);
    auto change = [&](uint8_t& r, uint8_t& g, uint8_t& b) {
        if (colorspace == kHslSpace)
            SaturateHsl(r, g, b, saturation);
        else
            SaturateYuv(r, g, b, table);
    };
    if (GetBpp() <= 8) {
        RGBQUAD* pal = GetPalette();
        for (uint32_t i = 0; i < GetNumColors(); ++i)
            change(pal[i].rgbRed, pal[i].rgbGreen, pal[i].rgbBlue);
        return true;
    }
    int x0 = 0, x1 = int(GetWidth()), y0 = 0, y1 = int(GetHeight());
    if (SelectionIsValid()) {
        const CxRect& box = m_info.rSelectionBox;
        x0 = std::max(x0, int(box.left));
        x1 = std::min(x1, int(box.right));
        y0 = std::max(y0, int(box.bottom));
        y1 = std::min(y1, int(box.top));
    }
    for (int y = y0; y < y1; ++y) {
        if (Escaped(*this))
            break;
        Progress(*this, y - y0, y1 - y0);
        uint8_t* row = GetBits(y);
        for (int x = x0; x < x1; ++x)
            change(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
    SetProgress(100);
    return true;
}
