// The page detectors on synthesised photos: a page turned by a known angle on a
// dark desk is found straight and cropped to the page.

#include "CxImage.h"
#include "CxPageDetect.h"
#include "test_ops_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace opstest;

namespace {

struct TurnedPage
{
    double ccwDegrees;
};

class DetectTurnedPage : public ::testing::TestWithParam<TurnedPage>
{
};

} // namespace

TEST_P(DetectTurnedPage, FindsTheAngleAndCropsToThePage)
{
    const int w = 1296, h = 972;
    const double pw = 700, ph = 820;
    const double ccw = GetParam().ccwDegrees;
    CxImage photo = PagePhoto(w, h, pw, ph, ccw);
    ASSERT_TRUE(photo.IsValid());

    EXPECT_EQ(cxdetect::DetectSkew(photo), int(std::lround(ccw)));
    ASSERT_TRUE(photo.AutoDeskew(false));

    // The turned canvas grows around the same centre, so the straightened page
    // lies centred in it.
    const double rad = ccw * M_PI / 180.0;
    const int cw =
        int(std::ceil(std::fabs(std::cos(rad)) * w + std::fabs(std::sin(rad)) * h - 1e-3));
    const int ch =
        int(std::ceil(std::fabs(std::sin(rad)) * w + std::fabs(std::cos(rad)) * h - 1e-3));
    ASSERT_EQ(int(photo.GetWidth()), cw);
    ASSERT_EQ(int(photo.GetHeight()), ch);
    const double left = (cw - pw) / 2, top = (ch - ph) / 2;

    const cxdetect::PageBox box = cxdetect::DetectPageBox(photo);
    // Bilinear edges and the border rows the crop leaves out: 3 pixels either way.
    const double tol = 3.0;
    EXPECT_NEAR(box.left, left, tol);
    EXPECT_NEAR(box.top, top, tol);
    EXPECT_NEAR(box.right, left + pw, tol);
    EXPECT_NEAR(box.bottom, top + ph, tol);

    ASSERT_TRUE(photo.AutoCropBorder(false));
    EXPECT_EQ(int(photo.GetWidth()), box.right - box.left);
    EXPECT_EQ(int(photo.GetHeight()), box.bottom - box.top);
}

INSTANTIATE_TEST_SUITE_P(Angles, DetectTurnedPage,
                         ::testing::Values(TurnedPage{-3}, TurnedPage{2}, TurnedPage{5},
                                           TurnedPage{-7}, TurnedPage{0}));
