// The phases of the page detectors one by one: the shared histogram threshold
// (also on photo-sized counts), speck removal, the Hough answer and its folding,
// and the crop's behaviour on pictures without a page.

#include "CxImage.h"
#include "CxPageDetect.h"
#include "test_ops_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace cxdetect;

TEST(DetectThreshold, SingleOccupiedLevelIsTheAnswer)
{
    uint32_t h[256] = {};
    h[77] = 1000;
    EXPECT_EQ(CxImage::HistogramThreshold(h), 77);
    h[77] = 0;
    h[0] = 5;
    EXPECT_EQ(CxImage::HistogramThreshold(h), 0);
}

TEST(DetectThreshold, SplitsTwoModesAndIgnoresTheScaleOfTheCounts)
{
    // A dark desk around 40 and a bright page around 220.
    uint32_t small[256] = {}, big[256] = {};
    for (int i = -10; i <= 10; ++i) {
        small[40 + i] = 30 - std::abs(i);
        small[220 + i] = 90 - 3 * std::abs(i);
    }
    const int t = CxImage::HistogramThreshold(small);
    // Pixels above the threshold are light: anything from the dark mode's top
    // level up to below the page's lowest level splits them.
    EXPECT_GE(t, 50);
    EXPECT_LT(t, 210);
    // The same shape counted over an 18 megapixel photo: the weighted sums pass
    // 2^31 and the answer must not move (beyond 2^32: ReviewThreshold).
    uint64_t pixels = 0;
    for (int i = 0; i < 256; ++i) {
        big[i] = small[i] * 9000;
        pixels += big[i];
    }
    ASSERT_GT(pixels, 13000000u);
    EXPECT_EQ(CxImage::HistogramThreshold(big), t);
}

TEST(DetectThreshold, AnEndBinAnswerFallsBackToTheBrightShare)
{
    // A black picture with a few grey and light pixels: the between-class walk
    // stops at bin 0, which splits nothing. The fallback lowers the share of the
    // population that must lie above the answer until it passes the 20 lightest
    // pixels at bin 100 (share 1 % of 1020 = 10.2 < 20).
    uint32_t h[256] = {};
    h[0] = 1000;
    h[100] = 10;
    h[200] = 10;
    EXPECT_EQ(CxImage::HistogramThreshold(h), 100);
}

TEST(DetectSkew, FoldingTurnsTheHoughAnswerIntoTheSmallestTurn)
{
    EXPECT_EQ(FoldSkew(0), 0);
    EXPECT_EQ(FoldSkew(-90), 0);
    EXPECT_EQ(FoldSkew(60), -30);
    EXPECT_EQ(FoldSkew(-60), 30);
    EXPECT_EQ(FoldSkew(3), 3);
    EXPECT_EQ(FoldSkew(87), -3);
    EXPECT_EQ(FoldSkew(-87), 3);
    EXPECT_EQ(FoldSkew(45), 45);
    EXPECT_EQ(FoldSkew(-45), -45);
}

TEST(DetectSkew, StraightEdgesGiveNoTurn)
{
    // Edges spanning the grid, as a page's borders do. (Short lines can tie with
    // the neighbouring degree in one distance bin, and the earlier angle wins.)
    GreyGrid edges;
    edges.width = 100;
    edges.height = 100;
    edges.pixels.assign(100 * 100, 0);
    for (int x = 1; x < 99; ++x)
        edges.Row(20)[x] = 255; // a horizontal line: normal at 90 degrees
    EXPECT_EQ(HoughSkew(edges), 0);
    edges.pixels.assign(100 * 100, 0);
    for (int y = 1; y < 99; ++y)
        edges.Row(y)[30] = 255; // a vertical line: normal at 0 degrees
    EXPECT_EQ(HoughSkew(edges), -90);
    EXPECT_EQ(FoldSkew(HoughSkew(edges)), 0);
}

TEST(DetectSkew, TurnedLineGivesItsAngle)
{
    // A line through the grid turned 6 degrees counter-clockwise (rows bottom-up).
    GreyGrid edges;
    edges.width = 100;
    edges.height = 100;
    edges.pixels.assign(100 * 100, 0);
    const double slope = std::tan(6 * M_PI / 180);
    for (int x = 1; x < 99; ++x)
        edges.Row(int(std::lround(30 + slope * x)))[x] = 255;
    EXPECT_EQ(HoughSkew(edges), 6);
}

TEST(DetectSkew, SpecksOfEitherKindAreRemoved)
{
    GreyGrid g;
    g.width = 30;
    g.height = 30;
    g.pixels.assign(30 * 30, 255);
    for (int y = 0; y < 30; ++y)
        for (int x = 15; x < 30; ++x)
            g.Row(y)[x] = 0; // right half dark
    for (int y = 5; y < 8; ++y)
        for (int x = 3; x < 6; ++x)
            g.Row(y)[x] = 0; // 9 dark samples: a speck on the light half
    for (int y = 10; y < 14; ++y)
        for (int x = 3; x < 7; ++x)
            g.Row(y)[x] = 0;             // 16 dark samples: kept
    g.Row(20)[22] = g.Row(20)[23] = 255; // 2 light samples on the dark half
    RemoveSpecks(g);
    EXPECT_EQ(g.Row(6)[4], 254); // part of the large light set now
    EXPECT_EQ(g.Row(11)[4], 1);  // large dark set
    EXPECT_EQ(g.Row(20)[22], 0); // the light speck turned dark
    EXPECT_EQ(g.Row(0)[0], 254);
    EXPECT_EQ(g.Row(0)[29], 1);
}

TEST(DetectSkew, UprightPageIsLeftUntouched)
{
    CxImage photo = opstest::PagePhoto(400, 300, 250, 220, 0.0);
    const CxImage before(photo);
    ASSERT_TRUE(photo.AutoDeskew(false));
    ASSERT_EQ(photo.GetWidth(), before.GetWidth());
    ASSERT_EQ(photo.GetHeight(), before.GetHeight());
    EXPECT_EQ(std::memcmp(photo.GetBits(0), before.GetBits(0), size_t(photo.GetEffWidth()) * 300),
              0);
}

TEST(DetectSkew, DebugSinkSeesEveryPhase)
{
    CxImage photo = opstest::PagePhoto(400, 300, 250, 220, 4.0);
    std::vector<std::string> stages;
    photo.SetDebugSink([&](const char* stage, const CxImage& view) {
        stages.push_back(stage);
        EXPECT_EQ(view.GetBpp(), 8u);
    });
    ASSERT_TRUE(photo.AutoDeskew(false));
    ASSERT_TRUE(photo.AutoCropBorder(false));
    const std::vector<std::string> expected{"deskew-samples", "deskew-binary", "deskew-despeckled",
                                            "deskew-edges", "borders-binary"};
    EXPECT_EQ(stages, expected);
    // The refinement adds its grid, the grid turned by the coarse answer, the
    // crop's grid and the light-count crop it is checked against.
    stages.clear();
    CxImage again = opstest::PagePhoto(400, 300, 250, 220, 4.0);
    again.SetDebugSink([&](const char* stage, const CxImage&) { stages.push_back(stage); });
    ASSERT_TRUE(again.AutoDeskew());
    ASSERT_TRUE(again.AutoCropBorder());
    const std::vector<std::string> fine{"deskew-samples", "deskew-binary",    "deskew-despeckled",
                                        "deskew-edges",   "deskew-fine-grid", "deskew-fine-turned",
                                        "borders-grid",   "borders-binary"};
    EXPECT_EQ(stages, fine);
}

TEST(DetectBorders, PictureWithoutAPageLosesOnlyItsTopRowAndRightColumn)
{
    // A dark picture with a light patch far below the 20-pixel page minimum; the
    // top row and the right column carry their own dark shades to be traced.
    const int w = 200, h = 150;
    CxImage img{uint32_t(w), uint32_t(h), 8};
    img.SetGrayPalette();
    for (int y = 0; y < h; ++y)
        std::memset(img.GetBits(uint32_t(y)), 30, size_t(w));
    std::memset(img.GetBits(uint32_t(h - 1)), 31, size_t(w)); // top row
    for (int y = 0; y < h; ++y)
        img.GetBits(uint32_t(y))[w - 1] = 32; // right column
    for (int y = 70; y < 80; ++y)
        std::memset(img.GetBits(uint32_t(y)) + 90, 240, 10);
    ASSERT_TRUE(img.AutoCropBorder(false));
    ASSERT_EQ(int(img.GetWidth()), w - 1);
    ASSERT_EQ(int(img.GetHeight()), h - 1);
    for (int y = 0; y < h - 1; ++y)
        for (int x = 0; x < w - 1; ++x)
            ASSERT_TRUE(img.GetBits(uint32_t(y))[x] == 30 || img.GetBits(uint32_t(y))[x] == 240);
}

TEST(DetectBorders, ShortLightRunsBesideThePageAreSkipped)
{
    // A page of 120 x 100 with a 10-row light stripe (a ruler) 20 rows above it.
    GreyGrid bin;
    bin.width = 200;
    bin.height = 200;
    bin.pixels.assign(200 * 200, 0);
    for (int y = 40; y < 140; ++y)
        std::memset(bin.Row(y) + 40, 255, 120);
    for (int y = 160; y < 170; ++y)
        std::memset(bin.Row(y) + 40, 255, 120);
    const PageBox box = FindPageBox(bin);
    // Bottom-up rows 40 ... 139 are top-down rows 60 ... 159; the crop keeps one
    // row less at the top and one column less at the right.
    EXPECT_EQ(box.left, 40);
    EXPECT_EQ(box.right, 159);
    EXPECT_EQ(box.top, 200 - 139);
    EXPECT_EQ(box.bottom, 200 - 40);
}

TEST(DetectBorders, TinyAndPaletteImagesAreHandledWithoutHarm)
{
    for (int bpp : {1, 4, 8, 24}) {
        for (auto size : {std::pair<int, int>{1, 1}, {2, 3}, {1, 40}, {40, 1}, {25, 25}}) {
            CxImage img = opstest::PatternImage(size.first, size.second, bpp);
            for (const bool fine : {false, true}) {
                CxImage copy(img);
                ASSERT_TRUE(copy.AutoDeskew(fine)) << bpp;
                ASSERT_TRUE(copy.IsValid());
                // A crop that would leave nothing fails and keeps the picture.
                const bool cropped = copy.AutoCropBorder(fine);
                ASSERT_TRUE(copy.IsValid());
                if (!cropped) {
                    EXPECT_TRUE(size.first == 1 || size.second == 1);
                    EXPECT_EQ(int(copy.GetWidth()), size.first);
                }
            }
        }
    }
}

TEST(DetectSkew, PaletteAndGreyPhotosAreStraightenedLikeColourOnes)
{
    CxImage colour = opstest::PagePhoto(648, 486, 350, 410, -4.0);
    CxImage grey(colour);
    ASSERT_TRUE(grey.ToGray());
    EXPECT_EQ(cxdetect::DetectSkew(grey), cxdetect::DetectSkew(colour));
    EXPECT_EQ(cxdetect::DetectSkew(colour), -4);
    ASSERT_TRUE(grey.AutoDeskew(false));
    EXPECT_EQ(grey.GetBpp(), 8u); // linear grey stays grey through the rotation
    EXPECT_EQ(grey.GetProgress(), 100);
}
