// The photo pipeline over an image: where the page is cut from a frame for
// each camera model, and a whole run over the demo camera's frame giving an
// upright, straight A4 page at the frame's resolution; the turn, the preset
// area and the resolution rules.

#include "PhotoTestSupport.h"

#include "capture_view/PhotoProcessor.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace phototest;

static bool operator==(const PageCut& a, const PageCut& b)
{
    return a.cut == b.cut && (!a.cut || (a.left == b.left && a.top == b.top && a.right == b.right &&
                                         a.bottom == b.bottom));
}

static std::ostream& operator<<(std::ostream& os, const PageCut& c)
{
    return os << (c.cut ? "" : "no cut ") << c.left << "," << c.top << " - " << c.right << ","
              << c.bottom;
}

namespace {

struct CutCase
{
    int model, width, height, pageHeightMm, pageWidthMm;
    PageCut expected;
};

class PageCutTest : public ::testing::TestWithParam<CutCase>
{
};

} // namespace

TEST_P(PageCutTest, FollowsTheModelsOffsets)
{
    const CutCase& c = GetParam();
    EXPECT_EQ(PhotoProcessor::PageCutFor(c.model, c.width, c.height, c.pageHeightMm, c.pageWidthMm),
              c.expected)
        << "model " << c.model << " at " << c.width << "x" << c.height;
}

INSTANTIATE_TEST_SUITE_P(Models, PageCutTest,
                         ::testing::Values(
                             // 10 pixels per millimetre for model 1 (352 x 260 mm field).
                             CutCase{1, 3520, 2600, 250, 340, {true, 65, 35, 3465, 2535}},
                             // Its offsets can reach above the picture: the shift rounds down.
                             CutCase{1, 3520, 2600, 259, 340, {true, 65, -10, 3465, 2580}},
                             CutCase{2, 2020, 1480, 100, 150, {true, 300, 210, 1800, 1210}},
                             CutCase{3, 2890, 2100, 100, 150, {true, 725, 560, 2225, 1560}},
                             // Model 4 rules per frame size; A4 lying sideways at 5 MP.
                             CutCase{4, 2592, 1944, 210, 297, {true, 341, 319, 2209, 1693}},
                             CutCase{4, 2048, 1536, 105, 148, {true, 580, 438, 1466, 1096}},
                             CutCase{4, 1280, 1024, 105, 148, {true, 151, 183, 1088, 909}},
                             // Not cut: a page as wide as the frame, larger than it, a zero size,
                             // no geometry for the model or the frame size.
                             CutCase{1, 3520, 2600, 100, 352, {}},
                             CutCase{1, 3520, 2600, 300, 100, {}},
                             CutCase{4, 2592, 1944, 0, 297, {}},
                             CutCase{0, 2592, 1944, 210, 297, {}},
                             CutCase{4, 1920, 1080, 105, 148, {}}));

TEST(PhotoProcessorTest, DemoFrameBecomesAnUprightStraightA4Page)
{
    struct Case
    {
        int direction;
        bool portrait;
        bool upright;
    };
    for (const Case& c : {Case{1, true, true}, Case{2, true, false}, Case{0, false, false}}) {
        CxImage photo = demoFrame();
        ASSERT_TRUE(photo.IsValid());
        PhotoParams p;
        p.cameraModel = 4;
        p.pageHeightMm = 210;
        p.pageWidthMm = 297;
        p.direction = c.direction;
        p.frameWidth = 2592;
        PhotoReport report;
        QString error;
        ASSERT_TRUE(PhotoProcessor::Process(photo, p, &report, &error)) << qPrintable(error);
        SCOPED_TRACE(c.direction);
        EXPECT_TRUE(report.page.cut);
        EXPECT_NEAR(std::fabs(report.straighten.angle), 3.0, 0.1);
        const double w = photo.GetWidth();
        const double h = photo.GetHeight();
        // The page itself, without desk: A4's proportions, about its size in pixels.
        EXPECT_NEAR(c.portrait ? h / w : w / h, 297.0 / 210.0, 0.03);
        EXPECT_NEAR(std::max(w, h), 1683.0, 40.0);
        EXPECT_EQ(readsUpright(photo), c.upright);
        EXPECT_EQ(photo.GetXDPI(), 400);
        EXPECT_EQ(photo.GetYDPI(), 400);
    }
}

TEST(PhotoProcessorTest, PresetAreaIsCutFromTheStraightPage)
{
    // Without a preset cut the photo is the straightened page itself.
    CxImage page = plainPage(800, 600, 600, 400);
    StraightenResult straight;
    ASSERT_TRUE(StraightenPage(page, straight, nullptr));
    ASSERT_NEAR(int(page.GetWidth()), 600, 2);
    struct Case
    {
        PresetArea area;
        int width, height;
    };
    // Client rectangle plus scroll position, divided by the zoom of that time.
    const Case cases[] = {
        {{10, 20, 110, 220, 4, 6, 2.0}, 50, 100},
        {{10, 20, 110, 220, 0, 0, 0.0}, int(page.GetWidth()), int(page.GetHeight())}, // no zoom
        {{0, 0, 0, 0, 30, 30, 1.0}, int(page.GetWidth()), int(page.GetHeight())}};    // empty
    for (const Case& c : cases) {
        CxImage photo = plainPage(800, 600, 600, 400);
        PhotoParams p;
        p.usePreset = true;
        p.preset = c.area;
        p.frameWidth = 800;
        ASSERT_TRUE(PhotoProcessor::Process(photo, p));
        EXPECT_EQ(int(photo.GetWidth()), c.width);
        EXPECT_EQ(int(photo.GetHeight()), c.height);
        EXPECT_EQ(photo.GetXDPI(), 300);
    }
}

TEST(PhotoProcessorTest, ResolutionComesFromTheFrameWidth)
{
    EXPECT_EQ(PhotoProcessor::ResolutionForFrameWidth(2592), 400);
    EXPECT_EQ(PhotoProcessor::ResolutionForFrameWidth(1600), 200);
    EXPECT_EQ(PhotoProcessor::ResolutionForFrameWidth(2048), 300);
    EXPECT_EQ(PhotoProcessor::ResolutionForFrameWidth(0), 300);
}

TEST(PhotoProcessorTest, NoPictureIsAnError)
{
    CxImage empty;
    QString error;
    EXPECT_FALSE(PhotoProcessor::Process(empty, PhotoParams{}, nullptr, &error));
    EXPECT_FALSE(error.isEmpty());
}
