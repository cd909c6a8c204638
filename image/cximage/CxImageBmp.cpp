// BMP codec of the image object: reads uncompressed, RLE and bit-field bitmaps with any of
// the common header sizes (every size and offset checked against the file before use) and
// writes the pixel block as it is stored.
#include "CxImage.h"
#include "CxStream.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

uint16_t le16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

struct BmpHeader
{
    uint32_t offBits = 0;
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0; // negative: top-down
    uint32_t bpp = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    int32_t xPpm = 0, yPpm = 0;
    uint32_t masks[4] = {}; // red, green, blue, alpha
    bool hasAlphaMask = false;
    uint32_t paletteEntrySize = 4;
};

// One colour channel from a masked 16/32-bit pixel, scaled to 8 bits.
struct MaskChannel
{
    int shift = 0;
    uint32_t max = 0;
    explicit MaskChannel(uint32_t mask = 0)
    {
        if (!mask)
            return;
        while (!((mask >> shift) & 1))
            ++shift;
        max = mask >> shift;
    }
    uint8_t get(uint32_t v, uint32_t mask) const
    {
        if (!max)
            return 0;
        return uint8_t(((v & mask) >> shift) * 255u / max);
    }
};

int32_t ppmToDpi(int32_t ppm)
{
    return ppm > 0 ? int32_t(std::floor(ppm * 0.0254 + 0.5)) : 0;
}

} // namespace

// Reads the two headers and bit masks; leaves the stream behind them (at the palette).
static bool readBmpHeader(CxStream& s, BmpHeader& h, const char*& error)
{
    uint8_t fh[14 + 4];
    error = "BMP: not a bitmap file";
    if (s.Read(fh, sizeof fh) != sizeof fh || fh[0] != 'B' || fh[1] != 'M')
        return false;
    h.offBits = le32(fh + 10);
    h.headerSize = le32(fh + 14);
    const uint32_t hs = h.headerSize;
    error = "BMP: unsupported header";
    if (hs != 12 && hs != 40 && hs != 52 && hs != 56 && hs != 108 && hs != 124)
        return false;
    uint8_t ih[124] = {};
    error = "BMP: file is truncated";
    if (s.Read(ih + 4, hs - 4) != hs - 4)
        return false;
    if (hs == 12) {
        h.width = le16(ih + 4);
        h.height = int16_t(le16(ih + 6));
        h.bpp = le16(ih + 10);
        h.paletteEntrySize = 3;
    } else {
        h.width = int32_t(le32(ih + 4));
        h.height = int32_t(le32(ih + 8));
        h.bpp = le16(ih + 14);
        h.compression = le32(ih + 16);
        h.xPpm = int32_t(le32(ih + 24));
        h.yPpm = int32_t(le32(ih + 28));
        h.colorsUsed = le32(ih + 32);
        if (hs >= 52)
            for (int i = 0; i < 3; ++i)
                h.masks[i] = le32(ih + 40 + 4 * i);
        if (hs >= 56) {
            h.masks[3] = le32(ih + 52);
            h.hasAlphaMask = h.masks[3] != 0;
        }
    }
    if (hs == 40 && h.compression == kBitFields) {
        uint8_t m[12];
        if (s.Read(m, 12) != 12)
            return false;
        for (int i = 0; i < 3; ++i)
            h.masks[i] = le32(m + 4 * i);
    }
    return true;
}

static bool validateBmpHeader(BmpHeader& h, const char*& error)
{
    error = "BMP: unsupported header";
    const uint32_t b = h.bpp;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32)
        return false;
    const uint32_t c = h.compression;
    if (!(c == kRgb || (c == kRle8 && b == 8) || (c == kRle4 && b == 4) ||
          (c == kBitFields && (b == 16 || b == 32))))
        return false;
    if (h.height == INT32_MIN || h.width <= 0 || h.height == 0)
        return false;
    if ((c == kRle8 || c == kRle4) && h.height < 0)
        return false; // compressed bitmaps are always bottom-up
    if (b <= 8) {
        if (h.colorsUsed == 0)
            h.colorsUsed = 1u << b;
        if (h.colorsUsed > (1u << b))
            return false;
    } else {
        h.colorsUsed = 0;
    }
    if (c != kBitFields && b == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
    } else if (c != kBitFields && b == 32) {
        h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
    }
    return true;
}

// Expands one stored row of a 16- or 32-bit bitmap to blue, green, red (and alpha).
static void convertMaskedRow(const uint8_t* src, uint32_t width, const BmpHeader& h, uint8_t* dst,
                             uint8_t* alpha)
{
    const MaskChannel r(h.masks[0]), g(h.masks[1]), b(h.masks[2]), a(h.masks[3]);
    for (uint32_t x = 0; x < width; ++x) {
        const uint32_t v = h.bpp == 16 ? le16(src + 2 * x) : le32(src + 4 * x);
        dst[3 * x] = b.get(v, h.masks[2]);
        dst[3 * x + 1] = g.get(v, h.masks[1]);
        dst[3 * x + 2] = r.get(v, h.masks[0]);
        if (alpha)
            alpha[x] = a.get(v, h.masks[3]);
    }
}

// Decodes RLE8/RLE4 data into the (zero-filled) bottom-up pixel rows. Every run is checked
// against the row and the picture; false on malformed or truncated data.
static bool decodeRle(const std::vector<uint8_t>& data, const BmpHeader& h, CxImage& img)
{
    const bool four = h.compression == kRle4;
    const int64_t w = h.width, hgt = h.height;
    int64_t x = 0, y = 0;
    size_t i = 0;
    auto put = [&](uint8_t idx) {
        if (x < w && y < hgt)
            img.SetPixelIndex(int32_t(x), int32_t(y), idx);
        ++x;
    };
    while (i + 1 < data.size()) {
        const uint8_t n = data[i], v = data[i + 1];
        i += 2;
        if (n > 0) {
            for (int k = 0; k < n; ++k)
                put(four ? uint8_t((k & 1) ? (v & 0x0F) : (v >> 4)) : v);
            continue;
        }
        if (v == 0) { // end of line
            x = 0;
            ++y;
        } else if (v == 1) { // end of bitmap
            return true;
        } else if (v == 2) { // delta
            if (i + 1 >= data.size())
                return false;
            x += data[i];
            y += data[i + 1];
            i += 2;
        } else { // absolute run of v pixels, padded to 16 bits
            const size_t bytes = four ? (v + 1u) / 2 : v;
            if (i + bytes > data.size())
                return false;
            for (int k = 0; k < v; ++k)
                put(four ? uint8_t((k & 1) ? (data[i + k / 2] & 0x0F) : (data[i + k / 2] >> 4))
                         : data[i + k]);
            i += (bytes + 1) & ~size_t(1);
        }
        if (y > hgt)
            return true; // runs past the picture end it
    }
    return false; // no end-of-bitmap marker: the data was cut off
}

bool CxImage::DecodeBmp(CxStream& s)
{
    const int64_t start = s.Tell();
    const int64_t fileSize = s.Size() - start;
    BmpHeader h;
    const char* error = nullptr;
    if (!readBmpHeader(s, h, error) || !validateBmpHeader(h, error)) {
        SetLastError(error);
        return false;
    }
    const uint32_t outBpp = h.bpp <= 8 ? h.bpp : 24;
    const uint64_t rows = uint64_t(h.height < 0 ? -h.height : h.height);
    if (!CheckDimensions(uint64_t(h.width), rows, outBpp))
        return false;
    // Palette: between the headers and the pixels.
    std::vector<uint8_t> pal(size_t(h.colorsUsed) * h.paletteEntrySize);
    if (!pal.empty() && s.Read(pal.data(), pal.size()) != pal.size()) {
        SetLastError("BMP: file is truncated");
        return false;
    }
    const int64_t afterPalette = s.Tell() - start;
    const int64_t offBits = h.offBits ? int64_t(h.offBits) : afterPalette;
    if (offBits < afterPalette - int64_t(pal.size()) || offBits >= fileSize ||
        !s.Seek(start + offBits, SEEK_SET)) {
        SetLastError("BMP: pixel offset outside the file");
        return false;
    }
    if (h.compression != kRle8 && h.compression != kRle4) {
        const uint64_t stride = ((uint64_t(h.width) * h.bpp + 31) / 32) * 4;
        if (uint64_t(fileSize - offBits) < stride * rows) { // before allocating anything
            SetLastError("BMP: file is truncated");
            return false;
        }
    }
    if (!Create(uint32_t(h.width), uint32_t(rows), outBpp, CXIMAGE_FORMAT_BMP))
        return false;
    for (uint32_t i = 0; i < h.colorsUsed; ++i) {
        const uint8_t* e = pal.data() + size_t(i) * h.paletteEntrySize;
        SetPaletteColor(uint8_t(i), RGBQUAD{e[0], e[1], e[2], 0});
    }
    SetXDPI(ppmToDpi(h.xPpm));
    SetYDPI(ppmToDpi(h.yPpm));
    if (!ReadBmpPixels(s, &h, fileSize - offBits)) {
        Destroy();
        return false;
    }
    return true;
}

bool CxImage::ReadBmpPixels(CxStream& s, const void* header, int64_t available)
{
    const BmpHeader& h = *static_cast<const BmpHeader*>(header);
    if (h.compression == kRle8 || h.compression == kRle4) {
        std::vector<uint8_t> data(size_t(std::min<int64_t>(available, 0x7FFFFFFF)));
        data.resize(s.Read(data.data(), data.size()));
        if (!decodeRle(data, h, *this)) {
            SetLastError("BMP: bad or truncated RLE data");
            return false;
        }
        return true;
    }
    const uint64_t srcStride = ((uint64_t(h.width) * h.bpp + 31) / 32) * 4;
    if (uint64_t(available) < srcStride * GetHeight()) {
        SetLastError("BMP: file is truncated");
        return false;
    }
    std::vector<uint8_t> row(static_cast<size_t>(srcStride));
    const bool alpha = h.bpp == 32 && h.hasAlphaMask && AlphaCreate();
    bool anyAlpha = false;
    for (uint32_t r = 0; r < GetHeight(); ++r) {
        if (s.Read(row.data(), row.size()) != row.size()) {
            SetLastError("BMP: file is truncated");
            return false;
        }
        const uint32_t y = h.height < 0 ? GetHeight() - 1 - r : r;
        if (h.bpp <= 8 || h.bpp == 24) {
            std::memcpy(GetBits(y), row.data(), GetEffWidth());
            continue;
        }
        uint8_t* a = alpha ? AlphaGetPointer(0, int32_t(y)) : nullptr;
        convertMaskedRow(row.data(), GetWidth(), h, GetBits(y), a);
        for (uint32_t x = 0; a && x < GetWidth() && !anyAlpha; ++x)
            anyAlpha = a[x] != 0;
    }
    if (alpha && !anyAlpha)
        AlphaDelete(); // an all-zero alpha channel is an unused one
    return true;
}

bool CxImage::EncodeBmp(CxStream& s)
{
    const uint32_t palBytes = GetPaletteSize();
    CxBitmapInfoHeader head = m_head;
    head.biSize = 40;
    head.biCompression = 0;
    head.biSizeImage = uint32_t(uint64_t(GetEffWidth()) * GetHeight());
    uint8_t fh[14] = {'B', 'M'};
    put32(fh + 2, uint32_t(14 + GetSize()));
    put32(fh + 10, 14 + 40 + palBytes);
    uint8_t ih[40];
    put32(ih, head.biSize);
    put32(ih + 4, uint32_t(head.biWidth));
    put32(ih + 8, uint32_t(head.biHeight));
    put16(ih + 12, head.biPlanes);
    put16(ih + 14, head.biBitCount);
    put32(ih + 16, head.biCompression);
    put32(ih + 20, head.biSizeImage);
    put32(ih + 24, uint32_t(head.biXPelsPerMeter));
    put32(ih + 28, uint32_t(head.biYPelsPerMeter));
    put32(ih + 32, head.biClrUsed);
    put32(ih + 36, head.biClrImportant);
    const uint64_t rest = uint64_t(palBytes) + head.biSizeImage;
    if (s.Write(fh, 14) != 14 || s.Write(ih, 40) != 40 ||
        s.Write(m_pDib + 40, size_t(rest)) != rest) {
        SetLastError("Error saving BMP file");
        return false;
    }
    return true;
}
