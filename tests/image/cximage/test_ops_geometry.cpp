// Turns, mirrors, crops and size changes of the image object, checked pixel by
// pixel at every depth on patterned images.

#include "CxImage.h"
#include "test_ops_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

using namespace opstest;

namespace {

class DepthTest : public ::testing::TestWithParam<int>
{
};

// Checks that out(x, y) == in(map(x, y)) for every pixel of `out`.
void ExpectMapped(const CxImage& in, const CxImage& out,
                  const std::function<void(int, int, int&, int&)>& map)
{
    for (int y = 0; y < int(out.GetHeight()); ++y)
        for (int x = 0; x < int(out.GetWidth()); ++x) {
            int sx, sy;
            map(x, y, sx, sy);
            ASSERT_EQ(PixelValue(out, x, y), PixelValue(in, sx, sy))
                << "at " << x << "," << y << " from " << sx << "," << sy;
        }
}

bool SameBits(const CxImage& a, const CxImage& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBpp() != b.GetBpp())
        return false;
    return std::memcmp(a.GetBits(0), b.GetBits(0), size_t(a.GetEffWidth()) * a.GetHeight()) == 0;
}

} // namespace

TEST_P(DepthTest, QuarterAndHalfTurnsMovePixelsExactly)
{
    // Odd sizes larger than one 64-pixel tile catch tile-edge and bit-packing faults.
    const int w = 77, h = 131;
    const CxImage src = PatternImage(w, h, GetParam());
    CxImage right(src);
    ASSERT_TRUE(right.RotateRight90());
    ASSERT_EQ(int(right.GetWidth()), h);
    ASSERT_EQ(int(right.GetHeight()), w);
    ExpectMapped(src, right, [&](int x, int y, int& sx, int& sy) { sx = w - 1 - y, sy = x; });

    CxImage left;
    ASSERT_TRUE(CxImage(src).RotateLeft90(&left));
    ExpectMapped(src, left, [&](int x, int y, int& sx, int& sy) { sx = y, sy = h - 1 - x; });

    CxImage half(src);
    ASSERT_TRUE(half.Rotate180());
    ExpectMapped(src, half,
                 [&](int x, int y, int& sx, int& sy) { sx = w - 1 - x, sy = h - 1 - y; });

    // Turned back, the image is bit-identical (padding bits included).
    ASSERT_TRUE(right.RotateLeft90());
    EXPECT_TRUE(SameBits(right, src));
}

TEST_P(DepthTest, FreeRotationByRightAnglesIsTheExactTurn)
{
    const CxImage src = PatternImage(70, 45, GetParam());
    CxImage quarter(src), free90(src), freeMinus90(src), left(src), free180(src), half(src);
    ASSERT_TRUE(quarter.RotateRight90());
    ASSERT_TRUE(free90.RotateFree(90.0f));
    EXPECT_TRUE(SameBits(quarter, free90));
    ASSERT_TRUE(left.RotateLeft90());
    ASSERT_TRUE(freeMinus90.RotateFree(-90.0f));
    EXPECT_TRUE(SameBits(left, freeMinus90));
    ASSERT_TRUE(half.Rotate180());
    ASSERT_TRUE(free180.RotateFree(180.0f));
    EXPECT_TRUE(SameBits(half, free180));
}

TEST_P(DepthTest, MirrorAndFlipMovePixelsExactly)
{
    const int w = 37, h = 23;
    const CxImage src = PatternImage(w, h, GetParam());
    CxImage mirrored(src);
    ASSERT_TRUE(mirrored.MirrorHorizontal());
    ExpectMapped(src, mirrored, [&](int x, int y, int& sx, int& sy) { sx = w - 1 - x, sy = y; });
    CxImage flipped(src);
    ASSERT_TRUE(flipped.FlipVertical());
    ExpectMapped(src, flipped, [&](int x, int y, int& sx, int& sy) { sx = x, sy = h - 1 - y; });
}

TEST_P(DepthTest, CropKeepsTheRectangleInTopDownCoordinates)
{
    const int w = 50, h = 40;
    const CxImage src = PatternImage(w, h, GetParam());
    CxImage cut(src);
    // Left edge 3 is not on a byte boundary at 1 and 4 bits.
    ASSERT_TRUE(cut.Crop(3, 5, 30, 22));
    ASSERT_EQ(cut.GetWidth(), 27u);
    ASSERT_EQ(cut.GetHeight(), 17u);
    EXPECT_EQ(cut.GetBpp(), src.GetBpp());
    // Top-down row 5 is bottom-up row h - 1 - 5; the crop's top row is its row 16.
    ExpectMapped(src, cut, [&](int x, int y, int& sx, int& sy) { sx = x + 3, sy = y + (h - 22); });
    if (src.GetBpp() <= 8)
        EXPECT_EQ(std::memcmp(cut.GetPalette(), src.GetPalette(), src.GetPaletteSize()), 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, DepthTest, ::testing::Values(1, 4, 8, 24));

TEST(OpsCrop, EmptyOrOutsideRectangleFailsAndLeavesTheImage)
{
    CxImage img = PatternImage(20, 10, 24);
    const CxImage before(img);
    EXPECT_FALSE(img.Crop(5, 0, 5, 10));
    EXPECT_FALSE(img.Crop(30, 0, 40, 10)); // clamped to an empty width
    EXPECT_EQ(img.GetWidth(), 20u);
    EXPECT_EQ(img.GetHeight(), 10u);
    EXPECT_EQ(std::memcmp(img.GetBits(0), before.GetBits(0), img.GetEffWidth() * 10), 0);
    // Edges given the wrong way round and beyond the image are ordered and clamped.
    ASSERT_TRUE(img.Crop(25, 8, 15, -3));
    EXPECT_EQ(img.GetWidth(), 5u);
    EXPECT_EQ(img.GetHeight(), 8u);
}

TEST(OpsCrop, CropToDestinationLeavesTheSource)
{
    CxImage img = PatternImage(20, 10, 8);
    CxImage part;
    ASSERT_TRUE(img.Crop(CxRect{2, 2, 12, 7}, &part));
    EXPECT_EQ(img.GetWidth(), 20u);
    EXPECT_EQ(part.GetWidth(), 10u);
    EXPECT_EQ(part.GetHeight(), 5u);
}

TEST(OpsResize, ResampleGivesTheAskedSizeAtEachDepth)
{
    for (int bpp : {1, 4, 8, 24}) {
        CxImage img = PatternImage(64, 48, bpp);
        ASSERT_TRUE(img.ResampleTo(100, 30)) << bpp;
        EXPECT_EQ(img.GetWidth(), 100u);
        EXPECT_EQ(img.GetHeight(), 30u);
        // Colour palettes turn 24-bit before interpolation.
        EXPECT_EQ(img.GetBpp(), 24u);
    }
    CxImage grey(16, 16, 8);
    grey.SetGrayPalette();
    ASSERT_TRUE(grey.ResampleTo(8, 40));
    EXPECT_EQ(grey.GetBpp(), 8u);
    EXPECT_FALSE(grey.ResampleTo(0, 10));
    EXPECT_FALSE(grey.ResampleTo(10, -1));
    EXPECT_EQ(grey.GetWidth(), 8u);
}

TEST(OpsResize, ShrinkingAveragesBlocks)
{
    // Columns alternate 0 and 200: any averaging shrink by two gives 100 everywhere.
    CxImage img(8, 6, 8);
    img.SetGrayPalette();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            img.GetBits(y)[x] = (x % 2) ? 200 : 0;
    CxImage averaged, quick;
    ASSERT_TRUE(img.ResampleTo(4, 3, IM_BILINEAR, OM_REPEAT, &averaged));
    ASSERT_TRUE(img.QIShrink(4, 3, &quick));
    for (const CxImage* out : {&averaged, &quick}) {
        ASSERT_EQ(out->GetWidth(), 4u);
        ASSERT_EQ(out->GetHeight(), 3u);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(out->GetBits(y)[x], 100);
    }
}

TEST(OpsResize, QuickShrinkRefusesToEnlarge)
{
    CxImage img = PatternImage(30, 20, 24);
    EXPECT_FALSE(img.QIShrink(31, 10));
    EXPECT_STREQ(img.GetLastError(), "QIShrink can't enlarge image");
    EXPECT_FALSE(img.QIShrink(10, 21));
    EXPECT_EQ(img.GetWidth(), 30u);
    ASSERT_TRUE(img.QIShrink(15, 10));
    EXPECT_EQ(img.GetWidth(), 15u);
}

TEST(OpsRotate, FreeRotationGrowsTheCanvasAndFillsCornersWithTheColour)
{
    CxImage img(200, 100, 24);
    std::memset(img.GetBits(0), 255, img.GetEffWidth() * 100);
    const RGBQUAD red{0, 0, 255, 0};
    ASSERT_TRUE(img.RotateFree(30.0f, nullptr, IM_BILINEAR, OM_BACKGROUND, &red));
    // |cos| * 200 + |sin| * 100 = 223.2, |sin| * 200 + |cos| * 100 = 186.6.
    EXPECT_EQ(img.GetWidth(), 224u);
    EXPECT_EQ(img.GetHeight(), 187u);
    const RGBQUAD corner = img.GetPixelColor(0, 0, false);
    EXPECT_EQ(corner.rgbRed, 255);
    EXPECT_EQ(corner.rgbBlue, 0);
    const RGBQUAD centre = img.GetPixelColor(112, 93, false);
    EXPECT_EQ(centre.rgbBlue, 255);
    EXPECT_EQ(centre.rgbGreen, 255);
}

TEST(OpsRotate, KeepSizeRotatesAboutTheCentre)
{
    CxImage img(41, 41, 8);
    img.SetGrayPalette();
    img.GetBits(20)[30] = 255; // 10 pixels right of the centre
    ASSERT_TRUE(img.RotateFree(90.0f, nullptr, IM_BILINEAR, OM_BACKGROUND, nullptr, true, true));
    EXPECT_EQ(img.GetWidth(), 41u);
    // A clockwise quarter turn on screen moves it 10 pixels below the centre
    // (row 10 counted from the bottom).
    EXPECT_EQ(img.GetBits(10)[20], 255);
    EXPECT_EQ(img.GetBits(20)[30], 0);
}

TEST(OpsEscape, StoppedOperationsHandOverTheirPartialResult)
{
    CxProgress shared;
    shared.escape = 1;
    CxImage img = PatternImage(120, 80, 24);
    img.SetProgressSink(&shared);
    // Stopped before the first row: the new canvas exists but nothing was drawn.
    ASSERT_TRUE(img.RotateFree(10.0f));
    EXPECT_GT(img.GetWidth(), 120u);
    for (uint32_t y = 0; y < img.GetHeight(); ++y)
        for (uint32_t i = 0; i < img.GetWidth() * 3; ++i)
            ASSERT_EQ(img.GetBits(y)[i], 0);
    CxImage cut = PatternImage(40, 40, 8);
    cut.SetProgressSink(&shared);
    ASSERT_TRUE(cut.Crop(0, 0, 20, 10));
    EXPECT_EQ(cut.GetWidth(), 20u);
    EXPECT_EQ(cut.GetHeight(), 10u);
    EXPECT_EQ(cut.GetBits(0)[0], 0);
}

TEST(OpsRotate, AnyAngleSizeAndEdgeRuleStaysInsideTheImage)
{
    const float angles[] = {0.5f, 3.0f, 13.0f, 44.9f, 89.9f, 91.0f, 179.5f, -33.0f, 270.2f};
    const CxOverflow rules[] = {OM_COLOR, OM_BACKGROUND, OM_TRANSPARENT,
                                OM_WRAP,  OM_REPEAT,     OM_MIRROR};
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {7, 5}, {64, 1}, {1, 33}};
    for (int bpp : {4, 8, 24})
        for (auto size : sizes)
            for (float angle : angles)
                for (CxOverflow rule : rules)
                    for (CxInterpolation in : {IM_BILINEAR, IM_NEAREST_NEIGHBOUR}) {
                        CxImage img = PatternImage(size.first, size.second, bpp);
                        ASSERT_TRUE(img.AlphaCreate());
                        ASSERT_TRUE(img.RotateFree(angle, nullptr, in, rule));
                        ASSERT_TRUE(img.IsValid());
                        EXPECT_GE(img.GetWidth(), 1u);
                        EXPECT_TRUE(img.AlphaIsValid());
                    }
}

// Sizes and settings at their limits: box averages over very large blocks, planes
// that a mirror or flip is not asked to turn, angles that are no number.
TEST(ShrinkLimits, BlockAveragesOfLargeBlocksDoNotWrap)
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

TEST(MirrorLimits, PlanesNotAskedForStayAsTheyWere)
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

TEST(FlipLimits, PlanesWiderThanThePackedRowsFlipWhole)
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

TEST(RotateLimits, AngleThatIsNoNumberFailsAndLeavesTheImage)
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

TEST(ResizeLimits, AlphaPlaneIsResizedWithThePixels)
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
