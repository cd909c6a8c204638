// The profile's frame-rate values and camera settings, and the choice of the
// camera mode that the pipeline pins.

#include "capture/CaptureProfile.h"
#include "capture/V4l2Device.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <linux/videodev2.h>

TEST(CaptureProfileTest, FrameRateFromThePeriod)
{
    EXPECT_DOUBLE_EQ(CaptureProfile::FrameRateFromPeriod(666667), 1499 * 0.01);
    EXPECT_DOUBLE_EQ(CaptureProfile::FrameRateFromPeriod(333333), 3000 * 0.01);
    EXPECT_DOUBLE_EQ(CaptureProfile::FrameRateFromPeriod(1000000), 10.0);
    EXPECT_DOUBLE_EQ(CaptureProfile::FrameRateFromPeriod(0), 15.0);
    EXPECT_DOUBLE_EQ(CaptureProfile::FrameRateFromPeriod(-400000), 15.0);
    // Periods so long that the rate truncates to 0 fall back as well.
    EXPECT_DOUBLE_EQ(CaptureProfile::FrameRateFromPeriod(2000000000LL), 15.0);
}

TEST(CaptureProfileTest, DefaultsAndValuesFromTheFile)
{
    QTemporaryDir dir;
    CaptureProfile missing(dir.path() + QStringLiteral("/absent.ini"));
    EXPECT_EQ(missing.UseFrameRate(), 1);
    EXPECT_EQ(missing.FramePeriod(), 666667);
    EXPECT_DOUBLE_EQ(missing.FrameRate(), 14.99);
    EXPECT_TRUE(missing.Source().isEmpty());
    EXPECT_EQ(missing.Model(-1), -1);
    EXPECT_EQ(missing.Width(), 0);
    EXPECT_EQ(missing.ButtonMap().size(), 0);

    const QString ini = dir.path() + QStringLiteral("/profile.ini");
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[vidra]\nUseFrameRate=0\nFrameRate=0\n[camera]\nSource=/dev/"
            "video3\nModel=7\nWidth=1280\nHeight=720\n"
            "[buttons]\n212=0x41\n0x160=32\nbad=1\n");
    f.close();
    CaptureProfile p(ini);
    EXPECT_EQ(p.UseFrameRate(), 0);
    EXPECT_DOUBLE_EQ(p.FrameRate(), 15.0);
    EXPECT_EQ(p.Source(), QStringLiteral("/dev/video3"));
    EXPECT_EQ(p.Model(-1), -1); // out of range 0-4
    EXPECT_EQ(p.Width(), 1280);
    EXPECT_EQ(p.Height(), 720);
    const QMap<int, int> buttons = p.ButtonMap();
    EXPECT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons.value(212), 0x41);
    EXPECT_EQ(buttons.value(0x160), 0x20);
}

namespace {

V4l2::Mode M(uint32_t fourcc, int w, int h, std::initializer_list<int> fps)
{
    V4l2::Mode m{fourcc, w, h, {}};
    for (int r : fps)
        m.rates.append({r, 1});
    return m;
}

} // namespace

TEST(ModeChoiceTest, LargestSizeRawWhenFastEnoughElseJpeg)
{
    const QList<V4l2::Mode> modes{M(V4L2_PIX_FMT_YUYV, 640, 480, {30, 15}),
                                  M(V4L2_PIX_FMT_YUYV, 2592, 1944, {2}),
                                  M(V4L2_PIX_FMT_MJPEG, 2592, 1944, {15, 10, 5}),
                                  M(V4L2_PIX_FMT_MJPEG, 640, 480, {30}),
                                  M(V4L2_PIX_FMT_YUYV, 1280, 720, {10, 5}),
                                  M(v4l2_fourcc('H', '2', '6', '4'), 3840, 2160, {30})};

    V4l2::ModeChoice c = V4l2::ChooseMode(modes, 0, 0, 14.99, true);
    ASSERT_TRUE(c.valid);
    EXPECT_EQ(c.width, 2592);
    EXPECT_EQ(c.height, 1944);
    EXPECT_TRUE(c.jpeg); // raw gives 2 fps at 5 MP
    EXPECT_EQ(c.rate.numerator, 15);

    c = V4l2::ChooseMode(modes, 640, 480, 14.99, true); // the profile's size is offered
    EXPECT_EQ(c.width, 640);
    EXPECT_FALSE(c.jpeg);
    EXPECT_EQ(c.rawFormat, QStringLiteral("YUY2"));
    EXPECT_EQ(c.rate.numerator, 15);

    c = V4l2::ChooseMode(modes, 1280, 720, 14.99, true); // raw too slow, no JPEG there: raw anyway
    EXPECT_FALSE(c.jpeg);
    EXPECT_EQ(c.rate.numerator, 10);

    c = V4l2::ChooseMode(modes, 1000, 1000, 30.0, false); // unknown size: largest; rate not pinned
    EXPECT_EQ(c.width, 2592);
    EXPECT_EQ(c.rate.numerator, 0);

    EXPECT_FALSE(
        V4l2::ChooseMode({M(v4l2_fourcc('H', '2', '6', '4'), 640, 480, {30})}, 0, 0, 15, true)
            .valid);
    EXPECT_FALSE(V4l2::ChooseMode({}, 0, 0, 15, true).valid);
}

TEST(V4l2Test, NonCaptureFilesAreNotCaptureNodes)
{
    EXPECT_FALSE(V4l2::IsCaptureNode(QStringLiteral("/dev/null")));
    EXPECT_FALSE(V4l2::IsCaptureNode(QStringLiteral("/nonexistent/video0")));
    EXPECT_TRUE(V4l2::EnumerateModes(QStringLiteral("/dev/null")).isEmpty());
}

// The profile holds decimal numbers; a leading zero does not make them octal.
TEST(CaptureProfileNumbers, NumbersWithLeadingZerosAreDecimal)
{
    QTemporaryDir dir;
    const QString ini = dir.path() + QStringLiteral("/profile.ini");
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[vidra]\nUseFrameRate=08\nFrameRate=0400000\n"
            "[camera]\nModel=03\nWidth=01280\nHeight=0720\n");
    f.close();
    CaptureProfile p(ini);
    EXPECT_EQ(p.UseFrameRate(), 8);
    EXPECT_EQ(p.FramePeriod(), 400000);
    EXPECT_DOUBLE_EQ(p.FrameRate(), 25.0);
    EXPECT_EQ(p.Model(-1), 3);
    EXPECT_EQ(p.Width(), 1280);
    EXPECT_EQ(p.Height(), 720);
}
