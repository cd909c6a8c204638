// The image object's palette, pixel access, transparency and alpha plane.
#include "CxImage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

RGBQUAD* CxImage::GetPalette() const
{
    if (!m_pDib || m_head.biClrUsed == 0)
        return nullptr;
    return reinterpret_cast<RGBQUAD*>(m_pDib + sizeof(CxBitmapInfoHeader));
}

RGBQUAD CxImage::GetPaletteColor(uint8_t idx) const
{
    const RGBQUAD* pal = GetPalette();
    if (!pal || idx >= m_head.biClrUsed)
        return RGBQUAD{};
    return pal[idx];
}

bool CxImage::GetPaletteColor(uint8_t idx, uint8_t* r, uint8_t* g, uint8_t* b) const
{
    const RGBQUAD* pal = GetPalette();
    if (!pal || idx >= m_head.biClrUsed)
        return false;
    if (r)
        *r = pal[idx].rgbRed;
    if (g)
        *g = pal[idx].rgbGreen;
    if (b)
        *b = pal[idx].rgbBlue;
    return true;
}

void CxImage::SetPaletteColor(uint8_t idx, RGBQUAD c)
{
    RGBQUAD* pal = GetPalette();
    if (!pal || idx >= m_head.biClrUsed)
        return;
    c.rgbReserved = 0;
    pal[idx] = c;
}

void CxImage::SetPaletteColor(uint8_t idx, COLORREF c)
{
    SetPaletteColor(idx, RGBtoRGBQUAD(c));
}

void CxImage::SetPaletteColor(uint8_t idx, uint8_t r, uint8_t g, uint8_t b)
{
    RGBQUAD c;
    c.rgbRed = r;
    c.rgbGreen = g;
    c.rgbBlue = b;
    SetPaletteColor(idx, c);
}

void CxImage::SetPalette(const RGBQUAD* pal, uint32_t entries)
{
    RGBQUAD* dst = GetPalette();
    if (!dst || !pal)
        return;
    const uint32_t n = std::min(entries, m_head.biClrUsed);
    for (uint32_t i = 0; i < n; ++i) {
        dst[i] = pal[i];
        dst[i].rgbReserved = 0;
    }
}

void CxImage::SetGrayPalette()
{
    RGBQUAD* pal = GetPalette();
    const uint32_t n = m_head.biClrUsed;
    if (!pal || n < 2)
        return;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t v = uint8_t(i * 255 / (n - 1));
        pal[i] = RGBQUAD{v, v, v, 0};
    }
}

bool CxImage::IsGrayScale() const
{
    const RGBQUAD* pal = GetPalette();
    if (!pal)
        return false;
    for (uint32_t i = 0; i < m_head.biClrUsed; ++i)
        if (pal[i].rgbRed != pal[i].rgbGreen || pal[i].rgbRed != pal[i].rgbBlue)
            return false;
    return true;
}

bool CxImage::IsGreyRamp() const
{
    const uint32_t n = GetNumColors();
    if (n < 2)
        return false;
    for (uint32_t i = 0; i < n; ++i) {
        const RGBQUAD c = GetPaletteColor(uint8_t(i));
        const uint32_t v = i * 255 / (n - 1);
        if (c.rgbRed != v || c.rgbGreen != v || c.rgbBlue != v)
            return false;
    }
    return true;
}

uint8_t CxImage::GetNearestIndex(RGBQUAD c) const
{
    const RGBQUAD* pal = GetPalette();
    if (!pal)
        return 0;
    int64_t best = INT64_MAX;
    uint8_t bestIdx = 0;
    for (uint32_t i = 0; i < m_head.biClrUsed; ++i) {
        const int64_t db = int64_t(pal[i].rgbBlue) - c.rgbBlue;
        const int64_t dg = int64_t(pal[i].rgbGreen) - c.rgbGreen;
        const int64_t dr = int64_t(pal[i].rgbRed) - c.rgbRed;
        const int64_t d = db * db + dg * dg + dr * dr;
        if (d < best) {
            best = d;
            bestIdx = uint8_t(i);
            if (d == 0)
                break;
        }
    }
    return bestIdx;
}

RGBQUAD CxImage::RGBtoRGBQUAD(COLORREF c)
{
    return RGBQUAD{CxGetB(c), CxGetG(c), CxGetR(c), 0};
}

COLORREF CxImage::RGBQUADtoRGB(RGBQUAD c)
{
    return CxRGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

uint8_t CxImage::BlindGetPixelIndex(int32_t x, int32_t y) const
{
    const uint8_t* row = m_info.pImage + uint64_t(y) * m_info.dwEffWidth;
    switch (m_head.biBitCount) {
    case 8:
        return row[x];
    case 4:
        return uint8_t((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F);
    case 1:
        return uint8_t((row[x >> 3] >> (7 - (x & 7))) & 1);
    default:
        return 0;
    }
}

uint8_t CxImage::GetPixelIndex(int32_t x, int32_t y) const
{
    if (!m_pDib || m_head.biClrUsed == 0)
        return 0;
    if (!IsInside(x, y))
        return m_info.nBkgndIndex >= 0 ? uint8_t(m_info.nBkgndIndex) : 0;
    return BlindGetPixelIndex(x, y);
}

void CxImage::SetPixelIndex(int32_t x, int32_t y, uint8_t i)
{
    if (!m_pDib || m_head.biClrUsed == 0 || !IsInside(x, y))
        return;
    uint8_t* row = m_info.pImage + uint64_t(y) * m_info.dwEffWidth;
    switch (m_head.biBitCount) {
    case 8:
        row[x] = i;
        break;
    case 4: {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = uint8_t((row[x >> 1] & ~(0x0F << shift)) | ((i & 0x0F) << shift));
        break;
    }
    case 1: {
        const int shift = 7 - (x & 7);
        row[x >> 3] = uint8_t((row[x >> 3] & ~(1 << shift)) | ((i & 1) << shift));
        break;
    }
    default:
        break;
    }
}

RGBQUAD CxImage::BlindGetPixelColor(int32_t x, int32_t y) const
{
    if (m_head.biClrUsed)
        return GetPalette()[BlindGetPixelIndex(x, y)];
    const uint8_t* p = m_info.pImage + uint64_t(y) * m_info.dwEffWidth + uint64_t(x) * 3;
    return RGBQUAD{p[0], p[1], p[2], 0};
}

RGBQUAD CxImage::GetPixelColor(int32_t x, int32_t y, bool bGetAlpha) const
{
    if (!m_pDib)
        return RGBQUAD{};
    if (!IsInside(x, y))
        return GetTransColor();
    RGBQUAD c = BlindGetPixelColor(x, y);
    c.rgbReserved = 0;
    if (bGetAlpha && m_pAlpha)
        c.rgbReserved = AlphaGet(x, y);
    return c;
}

void CxImage::SetPixelColor(int32_t x, int32_t y, RGBQUAD c, bool bSetAlpha)
{
    if (!m_pDib || !IsInside(x, y))
        return;
    if (m_head.biClrUsed) {
        SetPixelIndex(x, y, GetNearestIndex(c));
    } else {
        uint8_t* p = m_info.pImage + uint64_t(y) * m_info.dwEffWidth + uint64_t(x) * 3;
        p[0] = c.rgbBlue;
        p[1] = c.rgbGreen;
        p[2] = c.rgbRed;
    }
    if (bSetAlpha && m_pAlpha)
        AlphaSet(x, y, c.rgbReserved);
}

void CxImage::SetPixelColor(int32_t x, int32_t y, COLORREF c)
{
    SetPixelColor(x, y, RGBtoRGBQUAD(c), false);
}

void CxImage::SetTransIndex(int32_t idx)
{
    if (idx < 0 || (m_head.biClrUsed && uint32_t(idx) >= m_head.biClrUsed))
        m_info.nBkgndIndex = -1;
    else
        m_info.nBkgndIndex = idx;
}

RGBQUAD CxImage::GetTransColor() const
{
    if (m_head.biClrUsed && m_info.nBkgndIndex >= 0)
        return GetPaletteColor(uint8_t(m_info.nBkgndIndex));
    return m_info.nBkgndColor;
}

void CxImage::SetTransColor(RGBQUAD rgb)
{
    rgb.rgbReserved = 0;
    m_info.nBkgndColor = rgb;
}

bool CxImage::IsTransparent() const
{
    return m_pAlpha != nullptr || m_info.nBkgndIndex >= 0;
}

bool CxImage::AlphaCreate()
{
    if (!m_pDib)
        return false;
    if (!m_pAlpha) {
        const size_t plane = size_t(GetWidth()) * GetHeight();
        m_pAlpha = static_cast<uint8_t*>(std::malloc(plane));
        if (!m_pAlpha)
            return false;
        std::memset(m_pAlpha, 255, plane);
    }
    return true;
}

void CxImage::AlphaDelete()
{
    std::free(m_pAlpha);
    m_pAlpha = nullptr;
}

void CxImage::AlphaClear()
{
    AlphaSet(0);
}

void CxImage::AlphaSet(uint8_t level)
{
    if (m_pAlpha)
        std::memset(m_pAlpha, level, size_t(GetWidth()) * GetHeight());
}

void CxImage::AlphaSet(int32_t x, int32_t y, uint8_t level)
{
    if (m_pAlpha && IsInside(x, y))
        m_pAlpha[size_t(y) * GetWidth() + size_t(x)] = level;
}

uint8_t CxImage::AlphaGet(int32_t x, int32_t y) const
{
    if (m_pAlpha && IsInside(x, y))
        return m_pAlpha[size_t(y) * GetWidth() + size_t(x)];
    return 255;
}

uint8_t* CxImage::AlphaGetPointer(int32_t x, int32_t y) const
{
    if (!m_pAlpha || !IsInside(x, y))
        return nullptr;
    return m_pAlpha + size_t(y) * GetWidth() + size_t(x);
}

uint8_t* CxImage::SelectionGetPointer(int32_t x, int32_t y) const
{
    if (!m_pSelection || !IsInside(x, y))
        return nullptr;
    return m_pSelection + size_t(y) * GetWidth() + size_t(x);
}

bool CxImage::FlattenOn(RGBQUAD ground)
{
    if (!m_pDib)
        return false;
    if (GetTransIndex() >= 0)
        SetPaletteColor(uint8_t(GetTransIndex()), ground);
    SetTransColor(ground);
    return FlattenAlpha();
}

bool CxImage::FlattenAlpha()
{
    if (!m_pDib)
        return false;
    if (m_pAlpha && m_head.biClrUsed) {
        // Blended colours need not be in the palette: flatten in true colour.
        CxImage rgb;
        if (!rgb.Create(GetWidth(), GetHeight(), 24, GetType()))
            return false;
        for (int32_t y = 0; y < m_head.biHeight; ++y)
            for (int32_t x = 0; x < m_head.biWidth; ++x)
                rgb.SetPixelColor(x, y, BlindGetPixelColor(x, y), false);
        const RGBQUAD bk = GetTransColor();
        rgb.m_info = m_info;
        rgb.m_info.nBkgndIndex = -1;
        rgb.m_info.nBkgndColor = bk;
        rgb.m_pAlpha = m_pAlpha;
        m_pAlpha = nullptr;
        rgb.m_pSelection = m_pSelection;
        m_pSelection = nullptr;
        Transfer(rgb);
        SetXDPI(m_info.xDPI);
        SetYDPI(m_info.yDPI);
    }
    if (m_pAlpha) {
        const RGBQUAD bk = GetTransColor();
        for (uint32_t y = 0; y < GetHeight(); ++y) {
            uint8_t* p = GetBits(y);
            const uint8_t* a = m_pAlpha + size_t(y) * GetWidth();
            for (uint32_t x = 0; x < GetWidth(); ++x, p += 3) {
                const uint32_t al = a[x], inv = 255 - al;
                p[0] = uint8_t((p[0] * al + bk.rgbBlue * inv + 127) / 255);
                p[1] = uint8_t((p[1] * al + bk.rgbGreen * inv + 127) / 255);
                p[2] = uint8_t((p[2] * al + bk.rgbRed * inv + 127) / 255);
            }
        }
        AlphaDelete();
    }
    m_info.nBkgndIndex = -1;
    return true;
}
