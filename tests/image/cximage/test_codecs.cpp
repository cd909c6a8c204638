// The image object's data model and its four codecs on real encoded bytes and files.
#include "test_codecs_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace codectest;

namespace {

struct DepthCase
{
    uint32_t bpp;
    bool grey;
};

const DepthCase kDepths[] = {{1, true}, {1, false}, {4, true},  {4, false},
                             {8, true}, {8, false}, {24, false}};

} // namespace

TEST(CxImageModel, CreateRefusesEmptyAndHugeSizes)
{
    CxImage img;
    EXPECT_EQ(img.Create(0, 10, 24), nullptr);
    EXPECT_STREQ(img.GetLastError(),
                 "CxImage::Create : width and height must be greater than zero");
    EXPECT_FALSE(img.IsValid());
    EXPECT_EQ(img.Create(30000, 30000, 24), nullptr);
    EXPECT_STREQ(img.GetLastError(), "Image Memory exceeded");
    // 65536 x 65537 wraps a 32-bit width x height product before the depth is applied.
    EXPECT_EQ(img.Create(65536, 65537, 24), nullptr);
    EXPECT_STREQ(img.GetLastError(), "Image Memory exceeded");
    EXPECT_EQ(img.Create(0xFFFFFFFFu, 0xFFFFFFFFu, 1), nullptr);
    EXPECT_STREQ(img.GetLastError(), "Image Memory exceeded");
}

TEST(CxImageModel, CreateMapsDepthsAndLaysOutThePackedBlock)
{
    const uint32_t asked[] = {0, 1, 2, 4, 5, 8, 9, 16, 32};
    const uint32_t got[] = {1, 1, 4, 4, 8, 8, 24, 24, 24};
    for (size_t i = 0; i < std::size(asked); ++i) {
        CxImage img(13, 5, asked[i]);
        ASSERT_TRUE(img.IsValid());
        EXPECT_EQ(img.GetBpp(), got[i]);
        const uint32_t stride = ((13 * got[i] + 31) / 32) * 4;
        EXPECT_EQ(img.GetEffWidth(), stride);
        const uint32_t pal = got[i] == 24 ? 0 : (1u << got[i]);
        EXPECT_EQ(img.GetNumColors(), pal);
        EXPECT_EQ(img.GetSize(), 40u + 4u * pal + uint64_t(stride) * 5);
        EXPECT_EQ(img.GetBits(0), img.GetDIB() + 40 + 4 * pal);
        EXPECT_EQ(img.GetBits(1), img.GetBits(0) + stride);
        EXPECT_EQ(img.GetBits(5), nullptr);
        const auto* head = reinterpret_cast<const CxBitmapInfoHeader*>(img.GetDIB());
        EXPECT_EQ(head->biSize, 40u);
        EXPECT_EQ(head->biWidth, 13);
        EXPECT_EQ(head->biHeight, 5);
        EXPECT_EQ(head->biBitCount, got[i]);
        // New blocks are zero-filled, palette included.
        for (uint64_t b = 40; b < img.GetSize(); ++b)
            ASSERT_EQ(img.GetDIB()[b], 0) << "byte " << b;
    }
}

TEST(CxImageModel, ResolutionDefaultsAndPixelsPerMetre)
{
    CxImage img(4, 4, 24);
    EXPECT_EQ(img.GetXDPI(), 200);
    EXPECT_EQ(img.GetYDPI(), 200);
    img.SetXDPI(0);
    EXPECT_EQ(img.GetXDPI(), 200);
    EXPECT_EQ(img.GetHeader().biXPelsPerMeter, 7874);
    img.SetYDPI(300);
    EXPECT_EQ(img.GetHeader().biYPelsPerMeter, 11811);
    EXPECT_EQ(reinterpret_cast<const CxBitmapInfoHeader*>(img.GetDIB())->biYPelsPerMeter, 11811);
    img.SetYDPI(-5);
    EXPECT_EQ(img.GetYDPI(), 200);
    img.SetXDPI(2000000000); // pixels per metre must still fit the header
    EXPECT_EQ(img.GetXDPI(), 1000000);
    EXPECT_EQ(img.GetHeader().biXPelsPerMeter, 39370079);
}

TEST(CxImageModel, CopyAssignmentAndTransferKeepEverything)
{
    CxImage src = makeImage(9, 7, 8, false);
    src.SetXDPI(123);
    src.AlphaCreate();
    src.AlphaSet(2, 3, 17);
    CxImage copy(src);
    EXPECT_TRUE(sameColours(src, copy));
    EXPECT_EQ(copy.GetXDPI(), 123);
    EXPECT_EQ(copy.AlphaGet(2, 3), 17);
    EXPECT_NE(copy.GetDIB(), src.GetDIB());
    CxImage noPixels(src, false, false, false);
    EXPECT_TRUE(noPixels.IsValid());
    EXPECT_FALSE(noPixels.AlphaIsValid());
    EXPECT_EQ(noPixels.GetBits(0)[0], 0);
    copy = copy; // self-assignment keeps the picture
    EXPECT_TRUE(sameColours(src, copy));
    CxImage moved;
    moved.Transfer(copy);
    EXPECT_FALSE(copy.IsValid());
    EXPECT_TRUE(sameColours(src, moved));
}

TEST(CxImageModel, PixelAccessAtEveryDepth)
{
    for (uint32_t bpp : {1u, 4u, 8u}) {
        CxImage img(11, 3, bpp);
        const uint8_t top = uint8_t((1u << bpp) - 1);
        img.SetPixelIndex(10, 2, top);
        img.SetPixelIndex(9, 2, 1);
        EXPECT_EQ(img.GetPixelIndex(10, 2), top);
        EXPECT_EQ(img.GetPixelIndex(9, 2), 1);
        EXPECT_EQ(img.GetPixelIndex(8, 2), 0);
        img.SetPixelIndex(11, 0, 1); // outside: ignored
        EXPECT_EQ(img.GetPixelIndex(0, 0), 0);
    }
    CxImage pal(2, 2, 8);
    pal.SetPaletteColor(0, CxRGB(0, 0, 0));
    pal.SetPaletteColor(1, CxRGB(250, 10, 10));
    pal.SetPixelColor(1, 1, CxRGB(240, 0, 0)); // palette images take the nearest entry
    EXPECT_EQ(pal.GetPixelIndex(1, 1), 1);
    EXPECT_EQ(pal.GetPaletteColor(1).rgbReserved, 0);
    EXPECT_TRUE(pal.IsInside(1, 1));
    EXPECT_FALSE(pal.IsInside(2, 0));
    EXPECT_FALSE(pal.IsInside(0, -1));
}

// Every rule from extension to format: an extension by its first three
// letters, a file name by the listed extension it ends with.
TEST(CxImageModel, FormatFromExtensionAndNameEnd)
{
    struct Case
    {
        const char* text;
        uint32_t byExtension;
        uint32_t byNameEnd;
    };
    const Case cases[] = {
        {"bmp", 1, 1},
        {"jpg", 3, 3},
        {"JPE", 3, 0},
        {"jfif", 3, 0},
        {"JPEG", 3, 3},
        {"jpgx", 3, 0},
        {"Png", 4, 4},
        {"TIFF", 6, 6},
        {"Tiff", 6, 6},
        {"bmp.txt", 1, 0},
        {"gif", 0, 0},
        {"jp", 0, 0},
        {"pg", 0, 0},
        {"g", 0, 0},
        {"", 0, 0},
        {"/a/photo.JPG", 0, 3},
        {"/a/photo.jpeg", 0, 3},
        {"x.jpeg", 0, 3},
        {"/a/scan.TIFF", 0, 6},
        {"x.tif", 0, 6},
        {"x.bmp", 0, 1},
        {"x.png", 0, 4},
        {"x.Png", 0, 4},
        {"ajpg", 0, 3}, // no dot needed at the end of a name
        {"notes.txt", 0, 0},
        {"/a/b.gif", 0, 0},
        {"x.jfif", 0, 0},
        {"Stra\xc3\x9f"
         "e.jpg",
         0, 3},
        {"\xe3\x82\xb9.PNG", 0, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CxImage::FormatFromExtension(c.text), c.byExtension) << c.text;
        EXPECT_EQ(CxImage::FormatFromNameEnd(c.text), c.byNameEnd) << c.text;
    }
    EXPECT_EQ(CxImage::FormatFromExtension(nullptr), 0u);
    EXPECT_EQ(CxImage::FormatFromNameEnd(nullptr), 0u);
}

TEST(CxImageModel, FlattenAlphaBlendsOntoTheTransparentColour)
{
    CxImage img(2, 1, 24);
    img.SetPixelColor(0, 0, CxRGB(0, 0, 0));
    img.SetPixelColor(1, 0, CxRGB(0, 0, 0));
    img.AlphaCreate();
    img.AlphaSet(0, 0, 0);
    img.SetTransColor(RGBQUAD{255, 255, 255, 0});
    ASSERT_TRUE(img.FlattenAlpha());
    EXPECT_FALSE(img.AlphaIsValid());
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 255);
    EXPECT_EQ(img.GetPixelColor(1, 0).rgbRed, 0);
    CxImage pal = makeImage(3, 2, 4, false);
    pal.AlphaCreate();
    pal.AlphaSet(1, 1, 0);
    pal.SetTransColor(RGBQUAD{0, 255, 0, 0});
    ASSERT_TRUE(pal.FlattenAlpha());
    EXPECT_EQ(pal.GetBpp(), 24u);
    EXPECT_EQ(CxImage::RGBQUADtoRGB(pal.GetPixelColor(1, 1)), CxRGB(0, 255, 0));
}

// ---- round trips through every lossless format at every depth

static uint32_t lum(RGBQUAD c)
{
    return c.rgbRed * 299u + c.rgbGreen * 587u + c.rgbBlue * 114u;
}

static void expectBlackAndWhiteOf(const CxImage& img, const CxImage& back)
{
    const bool zeroDark = lum(img.GetPaletteColor(0)) < lum(img.GetPaletteColor(1));
    for (int32_t y = 0; y < int32_t(img.GetHeight()); ++y)
        for (int32_t x = 0; x < int32_t(img.GetWidth()); ++x) {
            const bool dark = (img.GetPixelIndex(x, y) == 0) == zeroDark;
            ASSERT_EQ(back.GetPixelColor(x, y).rgbRed, dark ? 0 : 255);
        }
}

class LosslessRoundTrip : public ::testing::TestWithParam<uint32_t>
{
};

TEST_P(LosslessRoundTrip, EveryDepthSurvivesWithItsResolution)
{
    const uint32_t type = GetParam();
    for (const DepthCase& c : kDepths) {
        SCOPED_TRACE(testing::Message() << "bpp " << c.bpp << (c.grey ? " grey" : " colour"));
        CxImage img = makeImage(37, 21, c.bpp, c.grey);
        img.SetXDPI(300);
        img.SetYDPI(150);
        const std::vector<uint8_t> bytes = encode(img, type);
        CxImage back;
        ASSERT_TRUE(back.Decode(bytes.data(), bytes.size(), type)) << back.GetLastError();
        EXPECT_EQ(back.GetType(), type);
        if (type == CXIMAGE_FORMAT_TIF && c.bpp == 1 && !c.grey)
            expectBlackAndWhiteOf(img, back); // white-is-zero keeps only dark and light
        else
            EXPECT_TRUE(sameColours(img, back));
        EXPECT_EQ(back.GetXDPI(), 300);
        EXPECT_EQ(back.GetYDPI(), 150);
        if (c.bpp != 1 || type != CXIMAGE_FORMAT_TIF) // TIFF turns 1 bit to white-is-zero
            EXPECT_EQ(back.GetBpp(), c.bpp);
        else
            EXPECT_EQ(back.GetBpp(), 1u);
        CxImage detected;
        ASSERT_TRUE(detected.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_UNKNOWN));
        EXPECT_EQ(detected.GetType(), type);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, LosslessRoundTrip,
                         ::testing::Values(CXIMAGE_FORMAT_BMP, CXIMAGE_FORMAT_PNG,
                                           CXIMAGE_FORMAT_TIF));

TEST(CxImageCodecs, BmpFileLayoutIsTheStoredBlock)
{
    CxImage img = makeImage(5, 3, 8, true);
    const std::vector<uint8_t> bytes = encode(img, CXIMAGE_FORMAT_BMP);
    ASSERT_EQ(bytes.size(), 14 + img.GetSize());
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(bytes[2] | (bytes[3] << 8) | (bytes[4] << 16), int(14 + img.GetSize()));
    EXPECT_EQ(bytes[10] | (bytes[11] << 8), 14 + 40 + 1024);
    EXPECT_EQ(std::memcmp(bytes.data() + 14, img.GetDIB(), size_t(img.GetSize())), 0);
}

TEST(CxImageCodecs, JpegWritesGreyAndColourAndRefusesColourPalettes)
{
    CxImage rgb = makeImage(64, 48, 24, false);
    rgb.SetXDPI(400);
    rgb.SetYDPI(400);
    std::vector<uint8_t> bytes = encode(rgb, CXIMAGE_FORMAT_JPG);
    CxImage back;
    ASSERT_TRUE(back.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_JPG));
    EXPECT_EQ(back.GetBpp(), 24u);
    EXPECT_EQ(back.GetXDPI(), 400);
    EXPECT_LT(meanAbsDiff(rgb, back), 3.0);
    for (uint32_t bpp : {1u, 4u, 8u}) {
        CxImage grey = makeImage(40, 30, bpp, true);
        bytes = encode(grey, CXIMAGE_FORMAT_JPG);
        ASSERT_TRUE(back.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_UNKNOWN));
        EXPECT_EQ(back.GetBpp(), 8u);
        EXPECT_TRUE(back.IsGrayScale());
        EXPECT_LT(meanAbsDiff(grey, back), bpp == 1 ? 12.0 : 4.0);
    }
    CxImage colour4 = makeImage(16, 16, 4, false);
    std::vector<uint8_t> out;
    EXPECT_FALSE(colour4.Encode(out, CXIMAGE_FORMAT_JPG));
    EXPECT_STREQ(colour4.GetLastError(), "JPEG can save only RGB or GreyScale images");
    for (uint32_t type : {CXIMAGE_FORMAT_BMP, CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_TIF})
        EXPECT_TRUE(colour4.Encode(out, type)) << type;
}

// Finds a marker segment of a JPEG stream (0 when absent).
static size_t findMarker(const std::vector<uint8_t>& b, uint8_t marker)
{
    for (size_t i = 2; i + 1 < b.size();) {
        if (b[i] != 0xFF)
            return 0;
        if (b[i + 1] == marker)
            return i;
        if (b[i + 1] == 0xDA)
            return 0;
        i += 2 + ((b[i + 2] << 8) | b[i + 3]);
    }
    return 0;
}

TEST(CxImageCodecs, JpegIsBaselineQuality90With2x2Sampling)
{
    CxImage rgb = makeImage(32, 32, 24, false);
    rgb.SetXDPI(300);
    rgb.SetYDPI(200);
    const std::vector<uint8_t> b = encode(rgb, CXIMAGE_FORMAT_JPG);
    const size_t sof = findMarker(b, 0xC0); // baseline sequential, not progressive
    ASSERT_NE(sof, 0u);
    EXPECT_EQ(findMarker(b, 0xC2), 0u);
    EXPECT_EQ(b[sof + 9], 3);     // three components
    EXPECT_EQ(b[sof + 11], 0x22); // first one 2 x 2
    EXPECT_EQ(b[sof + 14], 0x11); // the others 1 x 1
    EXPECT_EQ(b[sof + 17], 0x11);
    const size_t dqt = findMarker(b, 0xDB);
    ASSERT_NE(dqt, 0u);
    EXPECT_EQ(b[dqt + 5], 3); // luminance DC step 16 scaled to quality 90
    const size_t app0 = findMarker(b, 0xE0);
    ASSERT_NE(app0, 0u);
    EXPECT_EQ(b[app0 + 11], 1); // dots per inch
    EXPECT_EQ((b[app0 + 12] << 8) | b[app0 + 13], 300);
    EXPECT_EQ((b[app0 + 14] << 8) | b[app0 + 15], 200);
}

TEST(CxImageCodecs, JpegDecodeSizeHintUsesDctScaling)
{
    CxImage rgb = makeImage(800, 600, 24, false);
    const std::vector<uint8_t> b = encode(rgb, CXIMAGE_FORMAT_JPG);
    CxImage thumb;
    thumb.SetDecodeSizeHint(100, 75);
    ASSERT_TRUE(thumb.Decode(b.data(), b.size(), CXIMAGE_FORMAT_JPG));
    EXPECT_EQ(thumb.GetWidth(), 100u);
    EXPECT_EQ(thumb.GetHeight(), 75u);
    thumb.SetDecodeSizeHint(300, 10);
    ASSERT_TRUE(thumb.Decode(b.data(), b.size(), CXIMAGE_FORMAT_JPG));
    EXPECT_EQ(thumb.GetWidth(), 400u);
}

TEST(CxImageCodecs, PngKeepsAlphaAndTurnsTransparentIndexIntoAlpha)
{
    CxImage rgba = makeImage(20, 10, 24, false);
    rgba.AlphaCreate();
    for (int x = 0; x < 20; ++x)
        rgba.AlphaSet(x, 4, uint8_t(x * 12));
    std::vector<uint8_t> b = encode(rgba, CXIMAGE_FORMAT_PNG);
    CxImage back;
    ASSERT_TRUE(back.Decode(b.data(), b.size(), CXIMAGE_FORMAT_PNG));
    ASSERT_TRUE(back.AlphaIsValid());
    EXPECT_TRUE(sameColours(rgba, back));
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(back.AlphaGet(x, 4), uint8_t(x * 12));
    EXPECT_EQ(back.AlphaGet(0, 0), 255);

    CxImage pal = makeImage(8, 8, 8, false);
    pal.SetTransIndex(3);
    b = encode(pal, CXIMAGE_FORMAT_PNG);
    ASSERT_TRUE(back.Decode(b.data(), b.size(), CXIMAGE_FORMAT_PNG));
    ASSERT_TRUE(back.AlphaIsValid());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(back.AlphaGet(x, y), pal.GetPixelIndex(x, y) == 3 ? 0 : 255);
}

TEST(CxImageCodecs, TiffWritesOneBitAsWhiteIsZero)
{
    CxImage bw(16, 2, 1);
    bw.SetPaletteColor(0, CxRGB(0, 0, 0));
    bw.SetPaletteColor(1, CxRGB(255, 255, 255));
    bw.SetPixelIndex(3, 1, 1);
    const std::vector<uint8_t> b = encode(bw, CXIMAGE_FORMAT_TIF);
    // Little-endian header; the first strip of an uncompressed file holds the top row.
    ASSERT_EQ(b[0], 'I');
    CxImage back;
    ASSERT_TRUE(back.Decode(b.data(), b.size(), CXIMAGE_FORMAT_TIF));
    EXPECT_TRUE(sameColours(bw, back));
    EXPECT_EQ(back.GetPaletteColor(0).rgbRed, 255); // white is zero
    EXPECT_EQ(bw.GetPaletteColor(0).rgbRed, 0);     // the saved image is unchanged
}

// A TIFF whose resolution has no unit only states the pixels' aspect, so the
// picture keeps the default resolution as with JPEG and PNG.
namespace {

// Sets the value of a SHORT tag of the first directory of a little-endian TIFF.
bool setShortTag(std::vector<uint8_t>& tiff, uint16_t tag, uint16_t value)
{
    auto u16 = [&](size_t at) { return uint16_t(tiff[at] | (tiff[at + 1] << 8)); };
    auto u32 = [&](size_t at) { return uint32_t(u16(at)) | (uint32_t(u16(at + 2)) << 16); };
    if (tiff.size() < 8 || tiff[0] != 'I')
        return false;
    const size_t ifd = u32(4);
    const uint16_t count = u16(ifd);
    for (size_t i = 0; i < count; ++i) {
        const size_t e = ifd + 2 + 12 * i;
        if (u16(e) == tag && u16(e + 2) == 3) {
            tiff[e + 8] = uint8_t(value);
            tiff[e + 9] = uint8_t(value >> 8);
            return true;
        }
    }
    return false;
}

} // namespace

TEST(CxImageModel, ResolutionWithoutAUnitIsNoResolution)
{
    CxImage img(8, 4, 24);
    img.SetXDPI(300);
    img.SetYDPI(150);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(img.Encode(bytes, CXIMAGE_FORMAT_TIF));
    CxImage back;
    ASSERT_TRUE(back.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(back.GetXDPI(), 300);
    EXPECT_EQ(back.GetYDPI(), 150);
    ASSERT_TRUE(setShortTag(bytes, 296, 3)); // centimetres: 300 per cm is 762 per inch
    ASSERT_TRUE(back.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(back.GetXDPI(), 762);
    ASSERT_TRUE(setShortTag(bytes, 296, 1)); // no unit: 300 : 150 is only the aspect
    ASSERT_TRUE(back.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_TIF));
    EXPECT_EQ(back.GetXDPI(), CxImage::kDefaultDpi);
    EXPECT_EQ(back.GetYDPI(), CxImage::kDefaultDpi);
}
