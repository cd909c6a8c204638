// Pixel operations and the shared threshold on sizes and settings at their limits:
// box averages over very large blocks, mirrors that leave the selection and alpha
// planes alone when not asked to turn them, and thresholds of histograms whose sums
// pass every 32-bit range.

#include "CxImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

TEST(ReviewShrink, BlockAveragesOfLargeBlocksDoNotWrap)
{
    // One destination pixel averages 18 million white pixels: the block sum passes 2^32.
    CxImage img(6000, 3000, 8);
    ASSERT_TRUE(img.IsValid());
    img.SetGrayPalette();
    for (uint32_t y = 0; y < img.GetHeight(); ++y)
        std::memset(img.GetBits(y), 255, img.GetWidth());
    CxImage out;
    ASSERT_TRUE(img.QIShrink(1, 1, &out));
    ASSERT_EQ(out.GetWidth(), 1u);
    ASSERT_EQ(out.GetHeight(), 1u);
    EXPECT_EQ(out.GetPixelIndex(0, 0), 255);
    // Two columns of blocks: the left half black, the right half white.
    for (uint32_t y = 0; y < img.GetHeight(); ++y)
        std::memset(img.GetBits(y), 0, img.GetWidth() / 2);
    ASSERT_TRUE(img.QIShrink(2, 1, &out));
    EXPECT_EQ(out.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(out.GetPixelIndex(1, 0), 255);
}

namespace {

// 5 x 3 true-colour image with an alpha plane and a selection, each a distinct pattern.
CxImage planesImage()
{
    CxImage img(5, 3, 24);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            img.SetPixelColor(x, y, RGBQUAD{uint8_t(x), uint8_t(y), 9, 0});
    EXPECT_TRUE(img.AlphaCreate());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            img.AlphaSet(x, y, uint8_t(10 * x + y));
    const CxPoint tri[3] = {{0, 0}, {1, 0}, {0, 2}};
    EXPECT_TRUE(img.AddPolygonToSelection(tri, 3));
    return img;
}

} // namespace

TEST(ReviewMirror, PlanesNotAskedForStayAsTheyWere)
{
    CxImage img = planesImage();
    CxImage before(img);
    ASSERT_TRUE(img.MirrorHorizontal(false, false));
    ASSERT_TRUE(img.AlphaIsValid());
    ASSERT_TRUE(img.SelectionIsValid());
    CxRect box, boxBefore;
    img.GetSelectionBox(box);
    before.GetSelectionBox(boxBefore);
    EXPECT_EQ(box.left, boxBefore.left);
    EXPECT_EQ(box.right, boxBefore.right);
    EXPECT_EQ(box.top, boxBefore.top);
    EXPECT_EQ(box.bottom, boxBefore.bottom);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(img.GetPixelColor(x, y, false).rgbBlue, 4 - x);
            EXPECT_EQ(img.AlphaGet(x, y), before.AlphaGet(x, y));
            EXPECT_EQ(img.IsSelected(x, y), before.IsSelected(x, y));
        }
    // Asked for, both planes turn with the pixels, as the vertical flip does.
    CxImage both = planesImage();
    ASSERT_TRUE(both.MirrorHorizontal(true, true));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(both.AlphaGet(x, y), before.AlphaGet(4 - x, y));
            EXPECT_EQ(both.IsSelected(x, y), before.IsSelected(4 - x, y));
        }
    CxImage flipped = planesImage();
    ASSERT_TRUE(flipped.FlipVertical(false, false));
    EXPECT_TRUE(flipped.AlphaIsValid());
    EXPECT_TRUE(flipped.SelectionIsValid());
}

TEST(ReviewThreshold, CountsOfAHundredMegapixelsGiveTheSameAnswer)
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

TEST(ReviewFlip, PlanesWiderThanThePackedRowsFlipWhole)
{
    // At 1 and 4 bits a row of pixels takes fewer bytes than a row of the alpha and
    // selection planes (one byte per pixel).
    for (uint32_t bpp : {1u, 4u}) {
        const int w = 203, h = 5;
        CxImage img(w, h, bpp);
        ASSERT_TRUE(img.AlphaCreate());
        ASSERT_TRUE(img.SelectionCreate());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                img.AlphaSet(x, y, uint8_t(x + 40 * y));
                img.SelectionGetPointer(x, y)[0] = uint8_t((x + y) % 3);
                img.SetPixelIndex(x, y, uint8_t((x + y) & 1));
            }
        CxImage before(img);
        ASSERT_TRUE(img.FlipVertical(true, true));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                ASSERT_EQ(img.AlphaGet(x, y), before.AlphaGet(x, h - 1 - y)) << bpp;
                ASSERT_EQ(img.SelectionGetPointer(x, y)[0],
                          before.SelectionGetPointer(x, h - 1 - y)[0])
                    << bpp;
                ASSERT_EQ(img.GetPixelIndex(x, y), before.GetPixelIndex(x, h - 1 - y)) << bpp;
            }
    }
}

TEST(ReviewRotate, AngleThatIsNoNumberFailsAndLeavesTheImage)
{
    for (float angle : {std::nanf(""), INFINITY, -INFINITY}) {
        CxImage img(37, 21, 24);
        img.SetPixelColor(3, 4, RGBQUAD{1, 2, 3, 0});
        CxImage dst;
        EXPECT_FALSE(img.RotateFree(angle, &dst));
        EXPECT_FALSE(img.RotateFree(angle));
        EXPECT_STRNE(img.GetLastError(), "");
        EXPECT_EQ(img.GetWidth(), 37u);
        EXPECT_EQ(img.GetHeight(), 21u);
        EXPECT_EQ(img.GetPixelColor(3, 4, false).rgbRed, 3);
    }
}

TEST(ReviewResize, AlphaPlaneIsResizedWithThePixels)
{
    // Left half transparent, right half opaque: every way of resizing keeps that.
    CxImage img(40, 20, 24);
    ASSERT_TRUE(img.AlphaCreate());
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            img.AlphaSet(x, y, 0);
    struct Case
    {
        int w, h;
        bool quick;
    };
    for (const Case c : {Case{80, 30, false}, Case{20, 10, false}, Case{20, 10, true}}) {
        CxImage out;
        ASSERT_TRUE(c.quick ? img.QIShrink(c.w, c.h, &out)
                            : img.ResampleTo(c.w, c.h, IM_BILINEAR, OM_REPEAT, &out));
        ASSERT_TRUE(out.AlphaIsValid()) << c.w;
        for (int y = 0; y < c.h; ++y) {
            EXPECT_EQ(out.AlphaGet(0, y), 0) << c.w;
            EXPECT_EQ(out.AlphaGet(c.w - 1, y), 255) << c.w;
        }
        EXPECT_EQ(out.AlphaGet(c.w / 4, c.h / 2), 0) << c.w;
        EXPECT_EQ(out.AlphaGet(c.w * 3 / 4, c.h / 2), 255) << c.w;
    }
}
