// Files in layouts our own encoders never write, built byte by byte: interlaced, 16-bit and
// grey-with-alpha PNG; multi-page, planar, 16-bit and white-is-zero TIFF.
#include "test_codecs_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

using namespace codectest;

namespace {

uint32_t crc32(const uint8_t* p, size_t n)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

void appendChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data)
{
    const size_t at = png.size();
    png.resize(at + 8);
    put32be(png, at, uint32_t(data.size()));
    std::copy(type, type + 4, png.begin() + long(at) + 4);
    png.insert(png.end(), data.begin(), data.end());
    png.resize(png.size() + 4);
    put32be(png, png.size() - 4, crc32(png.data() + at + 4, data.size() + 4));
}

// zlib stream of stored (uncompressed) deflate blocks.
std::vector<uint8_t> zlibStored(const std::vector<uint8_t>& raw)
{
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        z.push_back(pos + n == raw.size() ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    z.resize(z.size() + 4);
    put32be(z, z.size() - 4, (b << 16) | a);
    return z;
}

// A PNG whose samples come from sample(x, y, channel); interlaced with Adam7 when asked.
std::vector<uint8_t> makePng(uint32_t w, uint32_t h, int depth, int colorType, int channels,
                             bool interlaced, const std::function<uint32_t(int, int, int)>& sample)
{
    std::vector<uint8_t> raw;
    static const int pass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (int p = 0; p < (interlaced ? 7 : 1); ++p) {
        const int x0 = interlaced ? pass[p][0] : 0, y0 = interlaced ? pass[p][1] : 0;
        const int dx = interlaced ? pass[p][2] : 1, dy = interlaced ? pass[p][3] : 1;
        for (int y = y0; y < int(h); y += dy) {
            if (x0 >= int(w))
                break;
            raw.push_back(0); // filter: none
            uint32_t bits = 0, nbits = 0;
            for (int x = x0; x < int(w); x += dx)
                for (int c = 0; c < channels; ++c) {
                    bits = (bits << depth) | sample(x, y, c);
                    nbits += depth;
                    while (nbits >= 8) {
                        raw.push_back(uint8_t(bits >> (nbits - 8)));
                        nbits -= 8;
                    }
                }
            if (nbits)
                raw.push_back(uint8_t(bits << (8 - nbits)));
        }
    }
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr(13);
    put32be(ihdr, 0, w);
    put32be(ihdr, 4, h);
    ihdr[8] = uint8_t(depth);
    ihdr[9] = uint8_t(colorType);
    ihdr[12] = interlaced ? 1 : 0;
    appendChunk(png, "IHDR", ihdr);
    appendChunk(png, "IDAT", zlibStored(raw));
    appendChunk(png, "IEND", {});
    return png;
}

// A little-endian TIFF: one directory per page, each entry (tag, type, values); values that
// do not fit four bytes are placed after the directory. Strip offsets are filled in.
struct TiffEntry
{
    uint16_t tag;
    uint16_t type; // 3 SHORT, 4 LONG
    std::vector<uint32_t> values;
};

std::vector<uint8_t> makeTiff(const std::vector<std::vector<TiffEntry>>& pages,
                              const std::vector<std::vector<std::vector<uint8_t>>>& strips)
{
    std::vector<uint8_t> f = {'I', 'I', 42, 0, 0, 0, 0, 0};
    size_t nextPointer = 4;
    for (size_t p = 0; p < pages.size(); ++p) {
        std::vector<TiffEntry> entries = pages[p];
        std::vector<uint32_t> offsets, counts;
        for (const auto& s : strips[p]) {
            offsets.push_back(uint32_t(f.size()));
            counts.push_back(uint32_t(s.size()));
            f.insert(f.end(), s.begin(), s.end());
        }
        entries.push_back({273, 4, offsets});
        entries.push_back({279, 4, counts});
        std::sort(entries.begin(), entries.end(),
                  [](const TiffEntry& a, const TiffEntry& b) { return a.tag < b.tag; });
        if (f.size() & 1)
            f.push_back(0);
        put32(f, nextPointer, uint32_t(f.size()));
        const size_t dir = f.size();
        f.resize(dir + 2 + 12 * entries.size() + 4);
        put16(f, dir, uint32_t(entries.size()));
        for (size_t e = 0; e < entries.size(); ++e) {
            const TiffEntry& en = entries[e];
            const size_t at = dir + 2 + 12 * e;
            const size_t unit = en.type == 3 ? 2 : 4;
            put16(f, at, en.tag);
            put16(f, at + 2, en.type);
            put32(f, at + 4, uint32_t(en.values.size()));
            size_t where = at + 8;
            if (unit * en.values.size() > 4) {
                where = f.size();
                put32(f, at + 8, uint32_t(where));
                f.resize(f.size() + unit * en.values.size());
            }
            for (size_t i = 0; i < en.values.size(); ++i)
                unit == 2 ? put16(f, where + 2 * i, en.values[i])
                          : put32(f, where + 4 * i, en.values[i]);
        }
        nextPointer = dir + 2 + 12 * entries.size();
    }
    return f;
}

std::vector<TiffEntry> greyPage(uint32_t w, uint32_t h, uint32_t bps, uint32_t photometric)
{
    return {{256, 4, {w}},           {257, 4, {h}}, {258, 3, {bps}}, {259, 3, {1}},
            {262, 3, {photometric}}, {277, 3, {1}}, {278, 4, {h}}};
}

CxImage decode(const std::vector<uint8_t>& b, uint32_t type)
{
    CxImage img;
    EXPECT_TRUE(img.Decode(b.data(), b.size(), type)) << img.GetLastError();
    return img;
}

uint8_t greyAt(const CxImage& img, int x, int yFromTop)
{
    return img.GetPixelColor(x, int(img.GetHeight()) - 1 - yFromTop).rgbRed;
}

} // namespace

TEST(CxImageLayouts, InterlacedPngAtOneAndEightBits)
{
    for (int depth : {1, 8}) {
        SCOPED_TRACE(depth);
        auto sample = [depth](int x, int y, int) {
            return depth == 1 ? uint32_t((x * 3 + y) % 5 == 0) : uint32_t((x * 31 + y * 7) & 255);
        };
        const std::vector<uint8_t> png = makePng(13, 11, depth, 0, 1, true, sample);
        const CxImage img = decode(png, CXIMAGE_FORMAT_PNG);
        ASSERT_EQ(img.GetBpp(), uint32_t(depth));
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(greyAt(img, x, y), depth == 1 ? sample(x, y, 0) * 255 : sample(x, y, 0))
                    << x << "," << y;
    }
}

TEST(CxImageLayouts, SixteenBitAndGreyAlphaPng)
{
    auto rgb16 = [](int x, int y, int c) {
        return uint32_t((x * 4000 + y * 900 + c * 300) & 0xFFFF);
    };
    CxImage img = decode(makePng(6, 4, 16, 2, 3, false, rgb16), CXIMAGE_FORMAT_PNG);
    ASSERT_EQ(img.GetBpp(), 24u);
    const RGBQUAD c = img.GetPixelColor(5, 0); // bottom row = y 3 from the top
    EXPECT_EQ(c.rgbRed, rgb16(5, 3, 0) >> 8);
    EXPECT_EQ(c.rgbBlue, rgb16(5, 3, 2) >> 8);
    auto greyAlpha = [](int x, int y, int c) {
        return c == 0 ? uint32_t(x * 40) : uint32_t(y * 60);
    };
    img = decode(makePng(5, 4, 8, 4, 2, false, greyAlpha), CXIMAGE_FORMAT_PNG);
    ASSERT_EQ(img.GetBpp(), 8u);
    ASSERT_TRUE(img.AlphaIsValid());
    EXPECT_EQ(greyAt(img, 3, 2), 120);
    EXPECT_EQ(img.AlphaGet(3, 1), 120); // y 2 from the top
}

TEST(CxImageLayouts, TiffReadsOnlyTheFirstPage)
{
    const std::vector<uint8_t> page1 = {10, 20, 30, 40, 50, 60};
    const std::vector<uint8_t> page2 = {200, 200, 200, 200, 200, 200};
    const std::vector<uint8_t> f =
        makeTiff({greyPage(3, 2, 8, 1), greyPage(3, 2, 8, 1)}, {{page1}, {page2}});
    const CxImage img = decode(f, CXIMAGE_FORMAT_TIF);
    ASSERT_EQ(img.GetWidth(), 3u);
    EXPECT_EQ(greyAt(img, 0, 0), 10);
    EXPECT_EQ(greyAt(img, 2, 1), 60);
    EXPECT_TRUE(img.IsGrayScale());
}

TEST(CxImageLayouts, TiffWhiteIsZeroPlanarAndSixteenBit)
{
    // 8-bit white-is-zero: sample 0 is white.
    CxImage img = decode(makeTiff({greyPage(2, 1, 8, 0)}, {{{0, 255}}}), CXIMAGE_FORMAT_TIF);
    EXPECT_EQ(greyAt(img, 0, 0), 255);
    EXPECT_EQ(greyAt(img, 1, 0), 0);
    // RGB stored as three planes, read through the general path.
    std::vector<TiffEntry> planar = {{256, 4, {2}}, {257, 4, {1}}, {258, 3, {8, 8, 8}},
                                     {259, 3, {1}}, {262, 3, {2}}, {277, 3, {3}},
                                     {278, 4, {1}}, {284, 3, {2}}};
    img = decode(makeTiff({planar}, {{{255, 0}, {0, 128}, {7, 9}}}), CXIMAGE_FORMAT_TIF);
    ASSERT_EQ(img.GetBpp(), 24u);
    EXPECT_EQ(CxImage::RGBQUADtoRGB(img.GetPixelColor(0, 0)), CxRGB(255, 0, 7));
    EXPECT_EQ(CxImage::RGBQUADtoRGB(img.GetPixelColor(1, 0)), CxRGB(0, 128, 9));
    // 16-bit grey becomes 8 bits per channel.
    img = decode(makeTiff({greyPage(2, 1, 16, 1)}, {{{0, 0, 0xFF, 0xFF}}}), CXIMAGE_FORMAT_TIF);
    EXPECT_EQ(greyAt(img, 0, 0), 0);
    EXPECT_EQ(greyAt(img, 1, 0), 255);
    // Strips that point past the end of the file.
    std::vector<uint8_t> f = makeTiff({greyPage(64, 64, 8, 1)}, {{std::vector<uint8_t>(64 * 64)}});
    const size_t dir = f[4] | (f[5] << 8) | (f[6] << 16);
    for (size_t e = 0; e < f[dir]; ++e)
        if ((f[dir + 2 + 12 * e] | (f[dir + 3 + 12 * e] << 8)) == 273)
            put32(f, dir + 2 + 12 * e + 8, 0x100000);
    CxImage cut;
    EXPECT_FALSE(cut.Decode(f.data(), f.size(), CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(std::string(cut.GetLastError()).rfind("Error reading TIFF file", 0), 0u)
        << cut.GetLastError();
}
