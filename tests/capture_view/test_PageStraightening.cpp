// The straightening of every photo on generated page photos whose true page is
// known: the page's own turn is undone and the crop holds the whole page and
// little more, also where the page
// under the centre is cut at a large dark picture, where the centre lies off
// the page (a page touching the frame's lower-left edge, a dark desk inside the
// frame's dark border), and where a second page or an off-white desk tempts
// the light-count crop to take too much.

#include "capture_view/PageStraightening.h"
#include "tests/image/cximage/page_scene.h"

#include <gtest/gtest.h>

using namespace pagescene;

namespace {

struct CropCase
{
    const char* name;
    Scene scene;
};

Scene Make(double ccw, void (*tweak)(Scene&))
{
    Scene s;
    s.ccwDegrees = ccw;
    tweak(s);
    return s;
}

void PrintTo(const CropCase& c, std::ostream* os)
{
    *os << c.name;
}

class StraightenedCrop : public ::testing::TestWithParam<CropCase>
{
};

// Of the true page the crop must hold this share (its edges are blurred by a pixel
// or two of a 1296 x 972 photo)...
constexpr double kMinHeld = 0.99;
// ... and be at most this much larger than the page.
constexpr double kMaxArea = 1.05;

} // namespace

TEST_P(StraightenedCrop, HoldsTheWholePageAndLittleMore)
{
    const Scene& scene = GetParam().scene;
    Truth truth;
    const CxImage photo = Render(scene, truth);
    CxImage image(photo);
    StraightenResult result;
    QString error;
    ASSERT_TRUE(StraightenPage(image, result, &error)) << error.toStdString();
    // The turn is the page's own, not that of the frame's border or a picture's edge.
    EXPECT_NEAR(result.angle, scene.ccwDegrees, 0.1);
    const cxdetect::PageBox& box = result.crop;
    const CropFit fit =
        FitOfCrop(truth, int(photo.GetWidth()), int(photo.GetHeight()), result.angle,
                  cxdetect::kMinTurnDegrees, box.left, box.top, box.right, box.bottom);
    EXPECT_GE(fit.held, kMinHeld) << "crop " << box.left << " " << box.top << " " << box.right
                                  << " " << box.bottom << ", turn " << result.angle;
    EXPECT_LE(fit.area, kMaxArea) << "crop " << box.left << " " << box.top << " " << box.right
                                  << " " << box.bottom << ", turn " << result.angle;
    EXPECT_EQ(int(image.GetWidth()), box.right - box.left);
    EXPECT_EQ(int(image.GetHeight()), box.bottom - box.top);
}

INSTANTIATE_TEST_SUITE_P(
    Photos, StraightenedCrop,
    ::testing::Values(
        CropCase{"TitleOverALargeDarkPicture", Make(2.4, [](Scene& s) { s.picture = true; })},
        CropCase{"LargeDarkPictureTurnedTheOtherWay",
                 Make(-5.7, [](Scene& s) { s.picture = true; })},
        CropCase{"LandscapeLargeDarkPicture",
                 Make(-1.3, [](Scene& s) { s.picture = true, s.landscape = true; })},
        CropCase{"TouchingTheLowerLeftEdge", Make(-3.55, [](Scene& s) { s.lowerLeft = true; })},
        CropCase{"TouchingTheLowerLeftEdgeTurnedLess",
                 Make(1.45, [](Scene& s) { s.lowerLeft = true; })},
        CropCase{"LowerLeftInsideADarkFrameBorder",
                 Make(1.15, [](Scene& s) { s.lowerLeft = true, s.frameBorder = 0.04; })},
        CropCase{"LowerLeftGreyDeskInsideADarkFrameBorder", Make(-1.45,
                                                                 [](Scene& s) {
                                                                     s.lowerLeft = true,
                                                                     s.frameBorder = 0.04,
                                                                     s.desk = Desk::Grey;
                                                                 })},
        CropCase{"DarkDeskInsideADarkFrameBorder",
                 Make(3.6, [](Scene& s) { s.frameBorder = 0.04; })},
        CropCase{"SecondPageBeside", Make(-3.18, [](Scene& s) { s.secondPage = true; })},
        CropCase{"OffWhiteDesk", Make(7.31, [](Scene& s) { s.desk = Desk::OffWhite; })},
        CropCase{"BrightObjectTouching", Make(1.2, [](Scene& s) { s.brightObject = true; })}),
    [](const ::testing::TestParamInfo<CropCase>& info) { return info.param.name; });
