// Grey conversion, negative, tone curve, saturation, adaptive black-and-white
// and the lasso selection of the image object, on known pixel values.

#include "CxImage.h"
#include "test_ops_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace opstest;

namespace {

CxImage Solid24(int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
    CxImage img{uint32_t(w), uint32_t(h), 24};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.SetPixelColor(x, y, RGBQUAD{b, g, r, 0});
    return img;
}

} // namespace

TEST(OpsGrey, TrueColourBecomesEightBitWithALinearPalette)
{
    CxImage img = Solid24(4, 3, 255, 0, 0);
    img.SetPixelColor(1, 1, RGBQUAD{255, 255, 255, 0});
    img.SetPixelColor(2, 1, RGBQUAD{30, 60, 90, 0});
    ASSERT_TRUE(img.ToGray());
    ASSERT_EQ(img.GetBpp(), 8u);
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD c = img.GetPaletteColor(uint8_t(i));
        ASSERT_TRUE(c.rgbRed == i && c.rgbGreen == i && c.rgbBlue == i) << i;
    }
    EXPECT_EQ(img.GetPixelIndex(0, 0), (255 * 306) >> 10);
    EXPECT_EQ(img.GetPixelIndex(1, 1), 255);
    EXPECT_EQ(img.GetPixelIndex(2, 1), (90 * 306 + 60 * 601 + 30 * 117) >> 10);
}

TEST(OpsGrey, PaletteImagesAreReindexedToTheirGreyLevel)
{
    for (int bpp : {1, 4, 8}) {
        CxImage img = PatternImage(9, 5, bpp);
        img.SetTransIndex(1);
        const CxImage before(img);
        ASSERT_TRUE(img.ToGray()) << bpp;
        ASSERT_EQ(img.GetBpp(), 8u);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 9; ++x) {
                const RGBQUAD c = before.GetPaletteColor(before.GetPixelIndex(x, y));
                ASSERT_EQ(img.GetPixelIndex(x, y),
                          (c.rgbRed * 306 + c.rgbGreen * 601 + c.rgbBlue * 117) >> 10);
            }
        const RGBQUAD t = before.GetPaletteColor(1);
        EXPECT_EQ(img.GetTransIndex(), (t.rgbRed * 306 + t.rgbGreen * 601 + t.rgbBlue * 117) >> 10);
    }
}

TEST(OpsTone, NeutralSettingsMapEveryLevelToItself)
{
    CxImage img(256, 1, 24);
    for (int x = 0; x < 256; ++x)
        img.SetPixelColor(x, 0, RGBQUAD{uint8_t(x), uint8_t(x), uint8_t(x), 0});
    const CxImage before(img);
    ASSERT_TRUE(img.AdjustLight(0, 0));
    EXPECT_EQ(std::memcmp(img.GetBits(0), before.GetBits(0), 256 * 3), 0);
}

TEST(OpsTone, BrightnessAndContrastFollowTheTable)
{
    CxImage img = Solid24(2, 2, 100, 200, 250);
    ASSERT_TRUE(img.AdjustLight(10, 0));
    RGBQUAD c = img.GetPixelColor(0, 0, false);
    EXPECT_EQ(c.rgbRed, 110);
    EXPECT_EQ(c.rgbGreen, 210);
    EXPECT_EQ(c.rgbBlue, 255); // clamped
    // Contrast +10: 128 + 1.1 * (110 - 128) + 0.5 = 108.7.
    ASSERT_TRUE(img.AdjustLight(0, 10));
    c = img.GetPixelColor(0, 0, false);
    EXPECT_EQ(c.rgbRed, 108);
    // Contrast -100 flattens everything to 128 + brightness.
    ASSERT_TRUE(img.AdjustLight(-20, -100));
    c = img.GetPixelColor(1, 1, false);
    EXPECT_EQ(c.rgbRed, 108);
    EXPECT_EQ(c.rgbBlue, 108);
}

TEST(OpsTone, PaletteImagesChangeTheirPaletteOnly)
{
    CxImage img = PatternImage(8, 8, 4);
    const CxImage before(img);
    ASSERT_TRUE(img.AdjustLight(20, 0));
    EXPECT_EQ(std::memcmp(img.GetBits(0), before.GetBits(0), img.GetEffWidth() * 8), 0);
    EXPECT_EQ(img.GetPaletteColor(0).rgbRed, 20);
    ASSERT_TRUE(img.Invert());
    EXPECT_EQ(img.GetPaletteColor(0).rgbRed, 255 - 20);
}

TEST(OpsTone, InvertComplementsPixelsOrOnlyTheSelectedOnes)
{
    CxImage img = Solid24(4, 4, 10, 20, 30);
    ASSERT_TRUE(img.Invert());
    RGBQUAD c = img.GetPixelColor(3, 3, false);
    EXPECT_EQ(c.rgbRed, 245);
    EXPECT_EQ(c.rgbGreen, 235);
    EXPECT_EQ(c.rgbBlue, 225);
    const CxPoint tri[3] = {{0, 0}, {1, 0}, {0, 1}};
    ASSERT_TRUE(img.ClearSelection(0));
    ASSERT_TRUE(img.AddPolygonToSelection(tri, 3));
    ASSERT_TRUE(img.Invert());
    EXPECT_EQ(img.GetPixelColor(0, 0, false).rgbRed, 10);
    EXPECT_EQ(img.GetPixelColor(3, 3, false).rgbRed, 245);
}

TEST(OpsSaturation, MoreSaturationSpreadsTheChannelsAndLeavesGreyAlone)
{
    for (int space : {1, 2}) {
        CxImage img = Solid24(3, 1, 150, 110, 100);
        img.SetPixelColor(2, 0, RGBQUAD{128, 128, 128, 0});
        ASSERT_TRUE(img.Saturate(25, space)) << space;
        const RGBQUAD c = img.GetPixelColor(0, 0, false);
        EXPECT_GT(c.rgbRed - c.rgbBlue, 50) << space;
        const RGBQUAD g = img.GetPixelColor(2, 0, false);
        EXPECT_NEAR(g.rgbRed, 128, 1) << space;
        EXPECT_NEAR(g.rgbGreen, 128, 1) << space;
        EXPECT_NEAR(g.rgbBlue, 128, 1) << space;
    }
    // All colour removed in Y/U/V: red, green and blue meet.
    CxImage img = Solid24(1, 1, 200, 50, 90);
    ASSERT_TRUE(img.Saturate(-100, 2));
    const RGBQUAD c = img.GetPixelColor(0, 0, false);
    EXPECT_NEAR(c.rgbRed, c.rgbGreen, 2);
    EXPECT_NEAR(c.rgbGreen, c.rgbBlue, 2);
}

TEST(OpsSaturation, UnknownColourSpaceFails)
{
    CxImage img = Solid24(2, 2, 1, 2, 3);
    EXPECT_FALSE(img.Saturate(10, 3));
    EXPECT_STREQ(img.GetLastError(), "Saturate: wrong colorspace");
}

namespace {

// Lines of ink bars on paper whose brightness grows from left to right.
CxImage LitText(int w, int h, int paperBase, int paperSlopeDiv, int inkDrop)
{
    CxImage img{uint32_t(w), uint32_t(h), 8};
    img.SetGrayPalette();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int paper = paperBase + x / paperSlopeDiv;
            const bool ink = (y / 8) % 2 == 0 && (x / 5) % 3 != 0;
            img.GetBits(y)[x] = uint8_t(ink ? paper - inkDrop : paper);
        }
    return img;
}

int Misclassified(const CxImage& bw)
{
    int wrong = 0;
    for (int y = 0; y < int(bw.GetHeight()); ++y)
        for (int x = 0; x < int(bw.GetWidth()); ++x) {
            const bool ink = (y / 8) % 2 == 0 && (x / 5) % 3 != 0;
            wrong += bw.GetPixelIndex(x, y) != (ink ? 0 : 1);
        }
    return wrong;
}

} // namespace

TEST(OpsThreshold, TextOnPaperBecomesBlackOnWhite)
{
    // The program's own settings on a page with a mild light fall-off.
    CxImage img = LitText(256, 128, 190, 8, 120);
    ASSERT_TRUE(img.AdaptiveThreshold(0, 64, nullptr, 0, 0.5f));
    ASSERT_EQ(img.GetBpp(), 1u);
    EXPECT_EQ(img.GetPaletteColor(0).rgbRed, 0);
    EXPECT_EQ(img.GetPaletteColor(1).rgbRed, 255);
    EXPECT_EQ(Misclassified(img), 0);
}

TEST(OpsThreshold, LocalBoxesFollowStrongUnevenLight)
{
    // Ink on the bright right is lighter than paper on the dark left: no single
    // threshold splits it, the per-box thresholds alone do.
    CxImage local = LitText(256, 128, 120, 2, 60);
    ASSERT_TRUE(local.AdaptiveThreshold(0, 64, nullptr, 0, 0.0f));
    EXPECT_LT(Misclassified(local), 256 * 128 / 50); // under 2 %
    CxImage global = LitText(256, 128, 120, 2, 60);
    ASSERT_TRUE(global.AdaptiveThreshold(0, 64, nullptr, 0, 1.0f));
    EXPECT_GT(Misclassified(global), 256 * 128 / 10);
}

TEST(OpsThreshold, ContrastMaskOfAnotherSizeIsRefused)
{
    CxImage img = Solid24(16, 16, 9, 9, 9);
    CxImage mask(8, 8, 8);
    EXPECT_FALSE(img.AdaptiveThreshold(0, 64, &mask));
    EXPECT_STREQ(img.GetLastError(), "AdaptiveThreshold invalid ContrastMask");
    EXPECT_EQ(img.GetBpp(), 24u);
}

TEST(OpsSelection, TriangleLassoSelectsItsInsideAndBoundsIt)
{
    CxImage img = Solid24(40, 30, 0, 0, 0);
    EXPECT_TRUE(img.IsSelected(5, 5)); // no mask: everything
    const CxPoint tri[3] = {{5, 2}, {25, 2}, {5, 22}};
    ASSERT_TRUE(img.ClearSelection(0));
    EXPECT_FALSE(img.AddPolygonToSelection(tri, 2));
    ASSERT_TRUE(img.AddPolygonToSelection(tri, 3));
    CxRect box;
    ASSERT_TRUE(img.GetSelectionBox(box));
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.right, 26);
    EXPECT_EQ(box.bottom, 2);
    EXPECT_EQ(box.top, 23);
    EXPECT_TRUE(img.IsSelected(5, 2));
    EXPECT_TRUE(img.IsSelected(10, 8));
    EXPECT_TRUE(img.IsSelected(15, 12)); // on the long edge
    EXPECT_FALSE(img.IsSelected(20, 15));
    EXPECT_FALSE(img.IsSelected(4, 2));
    EXPECT_FALSE(img.IsSelected(40, 2));
    ASSERT_TRUE(img.DeleteSelection());
    EXPECT_TRUE(img.IsSelected(20, 15));
    ASSERT_TRUE(img.GetSelectionBox(box));
    EXPECT_EQ(box.right, 40);
    EXPECT_EQ(box.top, 30);
}

namespace {

// Bounding box of the selected pixels, in the selection box's own convention.
CxRect MaskBox(const CxImage& img)
{
    CxRect r{int32_t(img.GetWidth()), 0, 0, int32_t(img.GetHeight())};
    for (int y = 0; y < int(img.GetHeight()); ++y)
        for (int x = 0; x < int(img.GetWidth()); ++x)
            if (img.IsSelected(x, y)) {
                r.left = std::min(r.left, x);
                r.right = std::max(r.right, x + 1);
                r.bottom = std::min(r.bottom, y);
                r.top = std::max(r.top, y + 1);
            }
    return r;
}

void ExpectBoxesEqual(const CxRect& a, const CxRect& b)
{
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.right, b.right);
    EXPECT_EQ(a.bottom, b.bottom);
}

} // namespace

TEST(OpsSelection, MaskAndBoxTurnAndMirrorTogether)
{
    CxImage img = Solid24(50, 30, 1, 2, 3);
    const CxPoint quad[4] = {{4, 3}, {20, 5}, {18, 25}, {6, 20}};
    ASSERT_TRUE(img.ClearSelection(0));
    ASSERT_TRUE(img.AddPolygonToSelection(quad, 4));
    CxRect box;
    img.GetSelectionBox(box);
    ExpectBoxesEqual(box, MaskBox(img));
    ASSERT_TRUE(img.RotateRight90());
    img.GetSelectionBox(box);
    ExpectBoxesEqual(box, MaskBox(img));
    ASSERT_TRUE(img.RotateLeft90());
    ASSERT_TRUE(img.Rotate180());
    img.GetSelectionBox(box);
    ExpectBoxesEqual(box, MaskBox(img));
    ASSERT_TRUE(img.MirrorHorizontal(true, true));
    img.GetSelectionBox(box);
    ExpectBoxesEqual(box, MaskBox(img));
    ASSERT_TRUE(img.FlipVertical(true, true));
    img.GetSelectionBox(box);
    ExpectBoxesEqual(box, MaskBox(img));
    // Turned back, the quadrilateral's corner is selected where it started.
    EXPECT_TRUE(img.IsSelected(4, 3));
    EXPECT_FALSE(img.IsSelected(45, 26));
}

// Histograms whose sums pass every 32-bit range give the same threshold.
TEST(ThresholdLimits, CountsOfAHundredMegapixelsGiveTheSameAnswer)
{
    // A dark desk around 40 and a bright page around 220, counted once over a few
    // thousand pixels and once over 125 million: there the weighted sum passes 2^34
    // and 100 x the running count passes 2^32.
    uint32_t small[256] = {}, big[256] = {};
    for (int i = -10; i <= 10; ++i) {
        small[40 + i] = 30 - (i < 0 ? -i : i);
        small[220 + i] = 90 - 3 * (i < 0 ? -i : i);
    }
    uint64_t pixels = 0, weighted = 0;
    for (int i = 0; i < 256; ++i) {
        big[i] = small[i] * 60000u;
        pixels += big[i];
        weighted += uint64_t(i) * big[i];
    }
    ASSERT_GT(pixels * 100, uint64_t(1) << 32);
    ASSERT_GT(weighted, uint64_t(1) << 34);
    const int t = CxImage::HistogramThreshold(small);
    EXPECT_GE(t, 50);
    EXPECT_LT(t, 210);
    EXPECT_EQ(CxImage::HistogramThreshold(big), t);
}
