// Page looks on generated page photos (lit_page.h): the Document ground comes
// out flat and white, the text stays dark, Grey is 8-bit, Black and white is a
// 1-bit page whose files (PNG, TIFF Group 4) are read back by the real codecs.

#include "CxImage.h"
#include "CxPageLook.h"
#include "lit_page.h"
#include "tests/common/MemoryCeiling.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace litpage;
using cxlook::Look;

namespace {

// Each page of the set is drawn once, when a test first needs it; tests work on
// copies.
const Page& PageOf(size_t i)
{
    static std::map<size_t, Page> pages;
    auto it = pages.find(i);
    if (it == pages.end())
        it = pages.emplace(i, Draw(Set()[i])).first;
    return it->second;
}

const Scene& SceneOf(size_t i)
{
    static const std::vector<Scene> set = Set();
    return set[i];
}

CxImage Enhanced(size_t i, Look look)
{
    CxImage img(PageOf(i).image);
    EXPECT_TRUE(cxlook::ApplyLook(img, look)) << img.GetLastError();
    return img;
}

// Share of the mask's pixels whose grey is below `level`.
double ShareBelow(const CxImage& img, const std::vector<uint8_t>& mask, int level)
{
    size_t n = 0, below = 0;
    const int w = int(img.GetWidth()), h = int(img.GetHeight());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (mask[size_t(y) * w + x]) {
                ++n;
                below += GreyAt(img, x, y) < level;
            }
    return n ? double(below) / double(n) : 0.0;
}

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() /
            (std::string("scriva_look_") + std::to_string(getpid()) + "_" + name))
        .string();
}

} // namespace

class LookOnSet : public ::testing::TestWithParam<size_t>
{
};

// Every page of the set starts uneven (so the test means something) and ends flat and white.
TEST_P(LookOnSet, DocumentGroundIsFlatAndWhite)
{
    const size_t i = GetParam();
    const Page& page = PageOf(i);
    const Stats before = Measure(page.image, page.ground);
    ASSERT_GT(before.count, 1000u) << SceneOf(i).name;
    EXPECT_GE(before.stddev, 8.0) << SceneOf(i).name;
    const CxImage doc = Enhanced(i, Look::Document);
    ASSERT_EQ(doc.GetBpp(), 24u);
    const Stats after = Measure(doc, page.ground);
    EXPECT_LE(after.stddev, 3.0) << SceneOf(i).name << " was " << before.stddev;
    EXPECT_GE(after.median, 240.0) << SceneOf(i).name << " was " << before.median;
}

// The ink stays: its core is far darker than the ground, in Document and Grey.
TEST_P(LookOnSet, TextStaysDark)
{
    const size_t i = GetParam();
    const Page& page = PageOf(i);
    const std::vector<uint8_t> core = InkCore(page);
    for (Look look : {Look::Document, Look::Grey}) {
        const CxImage out = Enhanced(i, look);
        const Stats ink = Measure(out, core), ground = Measure(out, page.ground);
        ASSERT_GT(ink.count, 100u) << SceneOf(i).name;
        EXPECT_LE(ink.median, ground.median * 0.75)
            << SceneOf(i).name << " " << cxlook::LookName(look);
    }
}

// Black and white: one bit, the ink core black, the ground white.
TEST_P(LookOnSet, BlackAndWhiteKeepsTheTextOnWhite)
{
    const size_t i = GetParam();
    const Page& page = PageOf(i);
    const CxImage bw = Enhanced(i, Look::BlackWhite);
    ASSERT_EQ(bw.GetBpp(), 1u);
    EXPECT_GE(ShareBelow(bw, InkCore(page), 128), 0.9) << SceneOf(i).name;
    EXPECT_LE(ShareBelow(bw, page.ground, 128), 0.002) << SceneOf(i).name;
}

INSTANTIATE_TEST_SUITE_P(GeneratedPages, LookOnSet, ::testing::Range(size_t(0), Set().size()));

// Grey is an 8-bit grey page with the same flat ground.
TEST(PageLook, GreyIsEightBitGrey)
{
    const Page& page = PageOf(0);
    const CxImage grey = Enhanced(0, Look::Grey);
    ASSERT_EQ(grey.GetBpp(), 8u);
    EXPECT_TRUE(grey.IsGreyRamp());
    const Stats st = Measure(grey, page.ground);
    EXPECT_LE(st.stddev, 3.0);
    EXPECT_GE(st.median, 240.0);
}

// Original changes nothing, byte for byte.
TEST(PageLook, OriginalLeavesThePictureAlone)
{
    CxImage img(PageOf(2).image);
    ASSERT_TRUE(cxlook::ApplyLook(img, Look::Original));
    ASSERT_EQ(img.GetSize(), PageOf(2).image.GetSize());
    EXPECT_EQ(0, memcmp(img.GetDIB(), PageOf(2).image.GetDIB(), size_t(img.GetSize())));
}

// The printed photo keeps its picture: it is not flattened into the paper.
TEST(PageLook, PrintedPhotoStaysNatural)
{
    size_t i = 0;
    while (!SceneOf(i).photo)
        ++i;
    const Page& page = PageOf(i);
    std::vector<uint8_t> inside(page.ink.size(), 0);
    const int w = SceneOf(i).width;
    for (int y = page.photoTop + 10; y < page.photoBottom - 10; ++y)
        for (int x = page.photoLeft + 10; x < page.photoRight - 10; ++x)
            inside[size_t(y) * w + x] = 1;
    const Stats before = Measure(page.image, inside);
    const Stats after = Measure(Enhanced(i, Look::Document), inside);
    // Neither washed out to paper nor crushed: mid-tones with their spread.
    EXPECT_GT(after.median, 60.0);
    EXPECT_LT(after.median, 215.0);
    EXPECT_GE(after.stddev, before.stddev * 0.8);
}

// Coloured paper turns white in black and white and (nearly) white in Document.
TEST(PageLook, ColouredPaperTurnsWhite)
{
    size_t i = 0;
    while (SceneOf(i).name != "coloured paper")
        ++i;
    const Page& page = PageOf(i);
    const CxImage doc = Enhanced(i, Look::Document);
    size_t n = 0;
    double blueShort = 0;
    const int w = int(doc.GetWidth()), h = int(doc.GetHeight());
    for (int y = 0; y < h; y += 3)
        for (int x = 0; x < w; x += 3)
            if (page.ground[size_t(y) * w + x]) {
                const RGBQUAD c = doc.GetPixelColor(x, h - 1 - y, false);
                blueShort += c.rgbRed - c.rgbBlue;
                ++n;
            }
    ASSERT_GT(n, 0u);
    EXPECT_LE(blueShort / double(n), 12.0); // at most faintly coloured
    EXPECT_LE(ShareBelow(Enhanced(i, Look::BlackWhite), page.ground, 128), 0.002);
}

// The 1-bit page goes through the real codecs: PNG at one bit, TIFF with Group 4,
// both read back pixel for pixel; the files are far smaller than the JPEG photo.
TEST(PageLook, BlackAndWhiteFilesAreOneBitAndSmall)
{
    const Page& page = PageOf(0);
    const CxImage bw = Enhanced(0, Look::BlackWhite);
    CxImage photo(page.image);
    std::vector<uint8_t> jpeg, png;
    ASSERT_TRUE(photo.Encode(jpeg, CXIMAGE_FORMAT_JPG));
    CxImage forPng(bw);
    ASSERT_TRUE(forPng.Encode(png, CXIMAGE_FORMAT_PNG));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png[24], 1) << "bit depth in the PNG header";
    EXPECT_LE(png.size() * 8, jpeg.size());

    const std::string tif = TempPath("bw.tif");
    CxImage forTiff(bw);
    ASSERT_TRUE(forTiff.Save(tif, CXIMAGE_FORMAT_TIF)) << forTiff.GetLastError();
    TIFF* t = TIFFOpen(tif.c_str(), "r");
    ASSERT_NE(t, nullptr);
    uint16_t compression = 0, bits = 0;
    TIFFGetField(t, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFClose(t);
    EXPECT_EQ(compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(bits, 1);
    EXPECT_LE(std::filesystem::file_size(tif) * 8, jpeg.size());

    for (const auto& [name, bytes] :
         {std::pair<const char*, std::vector<uint8_t>>{"png", png}, {"tif", {}}}) {
        CxImage back;
        if (bytes.empty())
            ASSERT_TRUE(back.Load(tif, CXIMAGE_FORMAT_TIF)) << back.GetLastError();
        else
            ASSERT_TRUE(back.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_PNG));
        ASSERT_EQ(back.GetBpp(), 1u) << name;
        const int w = int(bw.GetWidth()), h = int(bw.GetHeight());
        int differ = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                differ += GreyAt(back, x, y) != GreyAt(bw, x, y);
        EXPECT_EQ(differ, 0) << name;
    }
    std::remove(tif.c_str());
}

// Palette, grey and tiny pictures are accepted; an empty one is refused with a reason.
TEST(PageLook, DepthsAndSizes)
{
    struct Case
    {
        uint32_t w, h, bpp;
        Look look;
        uint32_t wantBpp;
    };
    const Case cases[] = {
        {40, 30, 24, Look::Document, 24}, {40, 30, 8, Look::Document, 8},
        {40, 30, 4, Look::Document, 24},  {40, 30, 1, Look::Grey, 8},
        {3, 2, 24, Look::BlackWhite, 1},  {1, 1, 8, Look::Grey, 8},
    };
    for (const Case& c : cases) {
        CxImage img(c.w, c.h, c.bpp);
        if (c.bpp == 8)
            img.SetGrayPalette();
        else if (c.bpp == 4)
            for (int i = 0; i < 16; ++i)
                img.SetPaletteColor(uint8_t(i), uint8_t(i * 16), uint8_t(200), uint8_t(i));
        else if (c.bpp == 1) {
            img.SetPaletteColor(0, 0, 0, 0);
            img.SetPaletteColor(1, 255, 255, 255);
        }
        for (uint32_t y = 0; y < c.h; ++y)
            for (uint32_t x = 0; x < c.w; ++x)
                img.SetPixelColor(int(x), int(y), CxRGB(uint8_t(180 + x % 40), 170, 150));
        ASSERT_TRUE(cxlook::ApplyLook(img, c.look)) << c.bpp << " " << img.GetLastError();
        EXPECT_EQ(img.GetBpp(), c.wantBpp) << c.bpp;
        EXPECT_EQ(img.GetWidth(), c.w);
        EXPECT_EQ(img.GetHeight(), c.h);
    }
    CxImage empty;
    EXPECT_FALSE(cxlook::ApplyLook(empty, Look::Document));
    EXPECT_STRNE(empty.GetLastError(), "");
}

TEST(PageLook, NamesAndNumbers)
{
    for (Look look : cxlook::kLooks) {
        Look back = Look::Original;
        ASSERT_TRUE(cxlook::LookFromName(cxlook::LookName(look), back));
        EXPECT_EQ(back, look);
        ASSERT_TRUE(cxlook::LookFromIndex(int(look), back));
        EXPECT_EQ(back, look);
    }
    Look l = Look::Original;
    EXPECT_TRUE(cxlook::LookFromName("BW", l));
    EXPECT_EQ(l, Look::BlackWhite);
    EXPECT_TRUE(cxlook::LookFromName("Gray", l));
    EXPECT_EQ(l, Look::Grey);
    EXPECT_FALSE(cxlook::LookFromName("sepia", l));
    EXPECT_FALSE(cxlook::LookFromName("", l));
    EXPECT_FALSE(cxlook::LookFromIndex(4, l));
    EXPECT_FALSE(cxlook::LookFromIndex(-1, l));
}

// A page too large for the memory left fails with a reason and leaves the
// picture as it was; it does not end the program. The child process gets a
// ceiling on its address space a little above what it already uses, so the
// black-and-white page's working buffers (several bytes a pixel) cannot fit.
TEST(PageLook, TooLittleMemoryFailsWithAReason)
{
    struct Case
    {
        Look look;
        uint32_t bpp;
    };
    const Case cases[] = {{Look::BlackWhite, 8}, {Look::BlackWhite, 24}};
    for (const Case& c : cases) {
        constexpr uint32_t kSide = 4000; // 16 Mpx: about 128 MB of running sums
        CxImage img(kSide, kSide, c.bpp);
        ASSERT_TRUE(img.IsValid());
        if (c.bpp == 8)
            img.SetGrayPalette();
        memset(img.GetBits(0), 200, size_t(img.GetSize()) - size_t(img.GetBits(0) - img.GetDIB()));
        const std::vector<uint8_t> before(img.GetDIB(), img.GetDIB() + img.GetSize());
        const int result = scriva::test::RunWithHeadroom(48u << 20, [&] {
            bool ok = false;
            try {
                ok = cxlook::ApplyLook(img, c.look);
            } catch (...) {
                return 7; // the failure escaped: a program would have ended here
            }
            if (ok)
                return 4; // the ceiling was not low enough to mean anything
            if (std::strlen(img.GetLastError()) == 0)
                return 5;
            if (img.GetBpp() != c.bpp || memcmp(img.GetDIB(), before.data(), before.size()) != 0)
                return 6;
            return 0;
        });
        EXPECT_EQ(result, 0) << c.bpp << " bpp (negative: ended by that signal)";
    }
}

// A picture with transparency keeps it in Document and Grey, as the Grayscale
// command keeps it: a clear background stays clear instead of showing the
// colours hidden under it.
TEST(PageLook, TransparencyIsKept)
{
    for (Look look : {Look::Document, Look::Grey}) {
        CxImage img(PageOf(0).image);
        ASSERT_TRUE(img.AlphaCreate());
        const int w = int(img.GetWidth()), h = int(img.GetHeight());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w / 3; ++x)
                img.AlphaSet(x, y, uint8_t(x % 200));
        ASSERT_TRUE(cxlook::ApplyLook(img, look)) << img.GetLastError();
        ASSERT_TRUE(img.AlphaIsValid()) << cxlook::LookName(look);
        int differ = 0;
        for (int y = 0; y < h; y += 7)
            for (int x = 0; x < w; x += 5)
                differ += img.AlphaGet(x, y) != (x < w / 3 ? uint8_t(x % 200) : 255);
        EXPECT_EQ(differ, 0) << cxlook::LookName(look);
    }
}
