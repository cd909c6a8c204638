#include "test_codecs_images.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace codectest {

CxImage makeImage(uint32_t w, uint32_t h, uint32_t bpp, bool greyPalette)
{
    CxImage img;
    img.Create(w, h, bpp, 0);
    const uint32_t n = img.GetNumColors();
    if (n) {
        if (greyPalette) {
            img.SetGrayPalette();
        } else {
            for (uint32_t i = 0; i < n; ++i)
                img.SetPaletteColor(uint8_t(i), uint8_t(i * 37 + 11), uint8_t(255 - i * 13),
                                    uint8_t(i * 91 + 5));
        }
    }
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            if (n)
                img.SetPixelIndex(int32_t(x), int32_t(y), uint8_t((x * 7 + y * 3) % n));
            else
                img.SetPixelColor(int32_t(x), int32_t(y),
                                  RGBQUAD{uint8_t(x * 255 / w), uint8_t(y * 255 / h),
                                          uint8_t((x + y) * 127 / (w + h)), 0});
        }
    return img;
}

bool sameColours(const CxImage& a, const CxImage& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return false;
    for (uint32_t y = 0; y < a.GetHeight(); ++y)
        for (uint32_t x = 0; x < a.GetWidth(); ++x) {
            const RGBQUAD p = a.GetPixelColor(int32_t(x), int32_t(y), false);
            const RGBQUAD q = b.GetPixelColor(int32_t(x), int32_t(y), false);
            if (p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen || p.rgbBlue != q.rgbBlue)
                return false;
        }
    return true;
}

double meanAbsDiff(const CxImage& a, const CxImage& b)
{
    double sum = 0;
    for (uint32_t y = 0; y < a.GetHeight(); ++y)
        for (uint32_t x = 0; x < a.GetWidth(); ++x) {
            const RGBQUAD p = a.GetPixelColor(int32_t(x), int32_t(y), false);
            const RGBQUAD q = b.GetPixelColor(int32_t(x), int32_t(y), false);
            sum += std::abs(p.rgbRed - q.rgbRed) + std::abs(p.rgbGreen - q.rgbGreen) +
                   std::abs(p.rgbBlue - q.rgbBlue);
        }
    return sum / (3.0 * a.GetWidth() * a.GetHeight());
}

std::vector<uint8_t> encode(CxImage& img, uint32_t type)
{
    std::vector<uint8_t> out;
    if (!img.Encode(out, type))
        throw std::runtime_error(img.GetLastError());
    return out;
}

std::vector<uint8_t> readFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::filesystem::path& p, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void put16(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    v[at] = uint8_t(x);
    v[at + 1] = uint8_t(x >> 8);
}

void put32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + i] = uint8_t(x >> (8 * i));
}

uint32_t get32be(const std::vector<uint8_t>& v, size_t at)
{
    return (uint32_t(v[at]) << 24) | (uint32_t(v[at + 1]) << 16) | (uint32_t(v[at + 2]) << 8) |
           v[at + 3];
}

void put32be(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + i] = uint8_t(x >> (24 - 8 * i));
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "cximage-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

size_t TempDir::entryCount() const
{
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(m_path)) {
        (void)e;
        ++n;
    }
    return n;
}

} // namespace codectest
