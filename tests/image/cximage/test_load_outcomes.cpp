// What a load leaves behind: a JPEG cut after its last row loads, one cut inside the
// picture does not; a failed load leaves an object of no size; 16-bit grey TIFFs load as
// 8-bit grey in either byte order and either grey sense.
#include "test_codecs_images.h"

#include <gtest/gtest.h>

using namespace codectest;

namespace {

// Minimal uncompressed one-strip grey TIFF with 16-bit samples, in either byte order.
std::vector<uint8_t> makeGrey16Tiff(uint32_t w, uint32_t h, bool bigEndian, uint16_t photometric,
                                    const std::vector<uint16_t>& samples)
{
    std::vector<uint8_t> f;
    auto p16 = [&](uint32_t v) {
        if (bigEndian)
            f.insert(f.end(), {uint8_t(v >> 8), uint8_t(v)});
        else
            f.insert(f.end(), {uint8_t(v), uint8_t(v >> 8)});
    };
    auto p32 = [&](uint32_t v) {
        if (bigEndian) {
            p16(v >> 16);
            p16(v & 0xFFFF);
        } else {
            p16(v & 0xFFFF);
            p16(v >> 16);
        }
    };
    const uint16_t kEntries = 9;
    const uint32_t ifd = 8;
    const uint32_t pixels = ifd + 2 + kEntries * 12 + 4;
    f.insert(f.end(), {uint8_t(bigEndian ? 'M' : 'I'), uint8_t(bigEndian ? 'M' : 'I')});
    p16(42);
    p32(ifd);
    p16(kEntries);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        p16(tag);
        p16(type);
        p32(1);
        if (type == 3) { // SHORT: left-justified in the value field
            p16(value);
            p16(0);
        } else {
            p32(value);
        }
    };
    entry(256, 4, w);
    entry(257, 4, h);
    entry(258, 3, 16);
    entry(259, 3, 1);
    entry(262, 3, photometric);
    entry(273, 4, pixels);
    entry(277, 3, 1);
    entry(278, 4, h);
    entry(279, 4, w * h * 2);
    p32(0);
    for (uint16_t s : samples)
        p16(s);
    return f;
}

// The grey level shown at pixel (x, y counted from the top).
uint8_t greyAt(const CxImage& img, uint32_t x, uint32_t yFromTop)
{
    const RGBQUAD c = img.GetPixelColor(int32_t(x), int32_t(img.GetHeight() - 1 - yFromTop));
    return c.rgbRed;
}

} // namespace

TEST(LoadOutcomes, JpegWithoutItsEndMarkerLoadsWhenEveryRowIsThere)
{
    for (uint32_t bpp : {24u, 8u}) {
        SCOPED_TRACE(bpp);
        CxImage img = makeImage(37, 29, bpp, true);
        const std::vector<uint8_t> whole = encode(img, CXIMAGE_FORMAT_JPG);
        ASSERT_EQ(whole[whole.size() - 2], 0xFF);
        ASSERT_EQ(whole[whole.size() - 1], 0xD9);
        CxImage full;
        ASSERT_TRUE(full.Decode(whole.data(), whole.size(), CXIMAGE_FORMAT_JPG));
        for (size_t cut : {size_t(1), size_t(2)}) { // half the marker, the whole marker
            CxImage out;
            EXPECT_TRUE(out.Decode(whole.data(), whole.size() - cut, CXIMAGE_FORMAT_JPG))
                << out.GetLastError();
            EXPECT_EQ(out.GetWidth(), 37u);
            EXPECT_TRUE(sameColours(out, full));
        }
        // Cut inside the picture data: still refused, and every shorter cut as well.
        for (size_t cut = 3; cut < whole.size() - 200; cut += 7) {
            CxImage out;
            ASSERT_FALSE(out.Decode(whole.data(), whole.size() - cut, CXIMAGE_FORMAT_JPG))
                << "cut " << cut;
            ASSERT_FALSE(out.IsValid());
        }
    }
}

TEST(LoadOutcomes, JpegFileWithoutEndMarkerLoadsFromDisk)
{
    TempDir dir;
    CxImage img = makeImage(20, 10, 24, false);
    std::vector<uint8_t> bytes = encode(img, CXIMAGE_FORMAT_JPG);
    bytes.resize(bytes.size() - 2);
    writeFile(dir.file("interrupted.jpg"), bytes);
    CxImage out;
    EXPECT_TRUE(out.Load(dir.file("interrupted.jpg").string(), CXIMAGE_FORMAT_JPG))
        << out.GetLastError();
    EXPECT_EQ(out.GetHeight(), 10u);
}

TEST(LoadOutcomes, FailedLoadLeavesAnObjectOfNoSize)
{
    TempDir dir;
    writeFile(dir.file("junk.png"), {'n', 'o', 't', ' ', 'p', 'n', 'g'});
    CxImage cutJpeg = makeImage(30, 20, 24, false);
    std::vector<uint8_t> half = encode(cutJpeg, CXIMAGE_FORMAT_JPG);
    half.resize(half.size() / 2);
    writeFile(dir.file("half.jpg"), half);
    struct Case
    {
        const char* name;
        uint32_t type;
    };
    for (const Case& c : {Case{"junk.png", CXIMAGE_FORMAT_PNG}, Case{"junk.png", 0},
                          Case{"missing.bmp", CXIMAGE_FORMAT_BMP}, Case{"half.jpg", 0},
                          Case{"half.jpg", CXIMAGE_FORMAT_JPG}}) {
        SCOPED_TRACE(c.name);
        CxImage img = makeImage(64, 48, 24, false);
        ASSERT_TRUE(img.IsInside(10, 10));
        EXPECT_FALSE(img.Load(dir.file(c.name).string(), c.type));
        EXPECT_FALSE(img.IsValid());
        EXPECT_EQ(img.GetWidth(), 0u);
        EXPECT_EQ(img.GetHeight(), 0u);
        EXPECT_EQ(img.GetBpp(), 0u);
        EXPECT_EQ(img.GetEffWidth(), 0u);
        EXPECT_EQ(img.GetSize(), 0u);
        EXPECT_FALSE(img.IsInside(0, 0));
        EXPECT_NE(img.GetLastError()[0], '\0');
    }
    // Create refused for its size leaves no size behind either.
    CxImage img = makeImage(8, 8, 8, true);
    EXPECT_EQ(img.Create(30000, 30000, 24), nullptr);
    EXPECT_EQ(img.GetWidth(), 0u);
    EXPECT_FALSE(img.IsInside(1, 1));
}

TEST(LoadOutcomes, Grey16BitTiffLoadsAsEightBitGrey)
{
    const std::vector<uint16_t> samples = {0x0000, 0x00FF, 0x0100, 0x8000, 0xFF00, 0xFFFF};
    const std::vector<uint8_t> black = {0x00, 0x00, 0x01, 0x80, 0xFF, 0xFF};
    for (bool bigEndian : {false, true}) {
        for (uint16_t photometric : {uint16_t(1), uint16_t(0)}) { // black is zero, white is zero
            SCOPED_TRACE(testing::Message()
                         << "big-endian " << bigEndian << " photometric " << photometric);
            const std::vector<uint8_t> file = makeGrey16Tiff(3, 2, bigEndian, photometric, samples);
            CxImage img;
            ASSERT_TRUE(img.Decode(file.data(), file.size(), CXIMAGE_FORMAT_TIF))
                << img.GetLastError();
            EXPECT_EQ(img.GetBpp(), 8u);
            EXPECT_TRUE(img.IsGrayScale());
            ASSERT_EQ(img.GetWidth(), 3u);
            ASSERT_EQ(img.GetHeight(), 2u);
            for (uint32_t i = 0; i < samples.size(); ++i) {
                const uint8_t want = photometric == 1 ? black[i] : uint8_t(255 - black[i]);
                EXPECT_EQ(greyAt(img, i % 3, i / 3), want) << "pixel " << i;
            }
        }
    }
}
