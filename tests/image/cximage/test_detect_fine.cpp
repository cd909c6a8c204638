// The refined straightening on generated page photos: the turn is found to a
// tenth of a degree or better and the crop is the page under the centre, on
// the kinds of photo that trouble the one-degree finder; where the photo gives
// nothing to measure by, nothing is turned, whatever the one-degree finder said.

#include "CxImage.h"
#include "CxPageDetect.h"
#include "page_scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace pagescene;

namespace {

struct FineCase
{
    const char* name;
    Scene scene;
};

Scene With(double ccw, void (*tweak)(Scene&))
{
    Scene s;
    s.ccwDegrees = ccw;
    if (tweak)
        tweak(s);
    return s;
}

class RefinedStraightening : public ::testing::TestWithParam<FineCase>
{
};

} // namespace

TEST_P(RefinedStraightening, LeavesUnderATenthOfADegreeAndCutsToThePage)
{
    const Scene& scene = GetParam().scene;
    Truth truth;
    const CxImage photo = Render(scene, truth);
    CxImage img(photo);
    const cxdetect::SkewEstimate skew = cxdetect::DetectFineSkew(img);
    EXPECT_NE(skew.source, cxdetect::SkewSource::Coarse);
    EXPECT_NEAR(skew.degrees, scene.ccwDegrees, 0.1) << "coarse " << skew.coarse;
    EXPECT_GT(skew.confidence, 0.3);
    ASSERT_TRUE(cxdetect::ApplyFineSkew(img, skew.degrees));
    const cxdetect::PageBox box = cxdetect::DetectPageCrop(img);
    const double overlap =
        CropOverlap(truth, int(photo.GetWidth()), int(photo.GetHeight()), skew.degrees,
                    cxdetect::kMinTurnDegrees, box.left, box.top, box.right, box.bottom);
    EXPECT_GE(overlap, 0.95);

    // The image object's own calls do the same.
    CxImage same(photo);
    ASSERT_TRUE(same.AutoDeskew());
    ASSERT_TRUE(same.AutoCropBorder());
    EXPECT_EQ(int(same.GetWidth()), box.right - box.left);
    EXPECT_EQ(int(same.GetHeight()), box.bottom - box.top);
}

INSTANTIATE_TEST_SUITE_P(
    Photos, RefinedStraightening,
    ::testing::Values(
        FineCase{"PortraitDarkDesk", With(2.37, nullptr)},
        FineCase{"UnderADegree", With(-0.64, nullptr)},
        FineCase{"LandscapeWoodenDesk",
                 With(-6.62, [](Scene& s) { s.landscape = true, s.desk = Desk::Wood; })},
        FineCase{"OffWhiteDesk", With(7.31, [](Scene& s) { s.desk = Desk::OffWhite; })},
        FineCase{"VignettedGreyDesk",
                 With(0.45, [](Scene& s) { s.desk = Desk::Grey, s.vignetting = 0.5; })},
        FineCase{"SecondPageBeside", With(-3.18, [](Scene& s) { s.secondPage = true; })},
        FineCase{"OffTheFrame", With(4.43, [](Scene& s) { s.offFrame = true; })},
        FineCase{"Blurred", With(-1.83, [](Scene& s) { s.blurPx = 2; })},
        FineCase{"BlankPage", With(5.52, [](Scene& s) { s.print = Print::None; })}),
    [](const ::testing::TestParamInfo<FineCase>& info) { return info.param.name; });

TEST(RefinedStraightening, NothingToMeasureByTurnsNothingAndKeepsTheImage)
{
    // A blank sheet filling the whole frame: no edge, no print.
    Scene s;
    s.desk = Desk::OffWhite;
    Truth truth;
    CxImage photo = Render(s, truth);
    for (int y = 0; y < int(photo.GetHeight()); ++y) {
        uint8_t* row = photo.GetBits(uint32_t(y));
        for (int x = 0; x < int(photo.GetWidth()) * 3; ++x)
            row[x] = uint8_t(228 + (x * 7 + y * 13) % 9);
    }
    const cxdetect::SkewEstimate skew = cxdetect::DetectFineSkew(photo);
    EXPECT_EQ(skew.source, cxdetect::SkewSource::Coarse);
    EXPECT_EQ(skew.degrees, 0.0) << "coarse " << skew.coarse;
    EXPECT_EQ(skew.confidence, 0.0);
    const CxImage before(photo);
    ASSERT_TRUE(photo.AutoDeskew());
    ASSERT_EQ(photo.GetWidth(), before.GetWidth());
    ASSERT_EQ(photo.GetHeight(), before.GetHeight());
    EXPECT_EQ(std::memcmp(photo.GetBits(0), before.GetBits(0),
                          size_t(photo.GetEffWidth()) * photo.GetHeight()),
              0);
}

TEST(RefinedStraightening, DenseRegularBarsAreNotTurnedByAWrongPeak)
{
    // Pages of dense, evenly spaced bars: the one-degree grid takes the first three
    // for turns of 2, 9 and -5 degrees; the result is the page's own turn.
    struct Bars
    {
        int periodPx;
        double ccw;
    };
    for (const Bars bars : {Bars{3, 0.7}, Bars{5, 1.5}, Bars{8, 1.5}, Bars{10, -1.5}}) {
        SCOPED_TRACE(bars.periodPx);
        Scene s;
        s.print = Print::None;
        s.ccwDegrees = bars.ccw;
        Truth truth;
        CxImage photo = Render(s, truth);
        const double a = s.ccwDegrees * M_PI / 180;
        const int w = int(photo.GetWidth()), h = int(photo.GetHeight());
        for (int y = 0; y < h; ++y) {
            uint8_t* row = photo.GetBits(uint32_t(h - 1 - y));
            for (int x = 0; x < w; ++x) {
                const double dx = x - truth.cx, dy = y - truth.cy;
                const double u = std::cos(a) * dx - std::sin(a) * dy + truth.width / 2;
                const double v = std::sin(a) * dx + std::cos(a) * dy + truth.height / 2;
                const bool body = u > truth.width * 0.1 && u < truth.width * 0.9 &&
                                  v > truth.height * 0.1 && v < truth.height * 0.9;
                if (body && int(u) % bars.periodPx < bars.periodPx / 2)
                    row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = 30;
            }
        }
        const cxdetect::SkewEstimate skew = cxdetect::DetectFineSkew(photo);
        EXPECT_NEAR(skew.degrees, bars.ccw, 0.05) << "coarse " << skew.coarse;
    }
}

TEST(RefinedStraightening, TurnedGridKeepsThePhotosCanvasAndMarksWhatLiesOutside)
{
    cxdetect::FineGrid g;
    g.width = 40;
    g.height = 30;
    g.grey.assign(40 * 30, 200);
    g.inside.assign(40 * 30, 1);
    const cxdetect::FineGrid t = cxdetect::TurnGrid(g, 10.0);
    const double r = 10 * M_PI / 180;
    EXPECT_EQ(t.width, int(std::ceil(std::cos(r) * 40 + std::sin(r) * 30 - 1e-3)));
    EXPECT_EQ(t.height, int(std::ceil(std::sin(r) * 40 + std::cos(r) * 30 - 1e-3)));
    EXPECT_FALSE(t.Inside(0, 0));
    EXPECT_EQ(t.At(0, 0), 0);
    EXPECT_TRUE(t.Inside(t.width / 2, t.height / 2));
    EXPECT_EQ(t.At(t.width / 2, t.height / 2), 200);
}
