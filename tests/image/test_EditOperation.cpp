// The whole-image edits by command id, and the worker that runs them on a copy:
// what each command does to a picture, the resize choice between box shrink and
// interpolation, the free rotation's right angles and kept canvas, the size
// limit, and the worker's half-second minimum with its failure reports.

#include "image/EditJob.h"
#include "image/EditOperation.h"
#include "image/cximage/CxImage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

using namespace scriva;
using namespace scriva::image;

namespace {

// Colour ramps with a distinct value at every pixel (x from the left, y from the bottom).
CxImage ramp(uint32_t w, uint32_t h)
{
    CxImage img(w, h, 24);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            img.SetPixelColor(
                int32_t(x), int32_t(y),
                RGBQUAD{uint8_t(40 + x * 3), uint8_t(30 + y * 4), uint8_t(90 + (x + y)), 0});
    return img;
}

RGBQUAD at(const CxImage& img, int x, int y)
{
    return img.GetPixelColor(x, y, false);
}

bool same(RGBQUAD a, RGBQUAD b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

double mean(const CxImage& img)
{
    double sum = 0;
    for (uint32_t y = 0; y < img.GetHeight(); ++y)
        for (uint32_t x = 0; x < img.GetWidth(); ++x) {
            const RGBQUAD c = at(img, int(x), int(y));
            sum += c.rgbRed + c.rgbGreen + c.rgbBlue;
        }
    return sum / (3.0 * img.GetWidth() * img.GetHeight());
}

double spread(const CxImage& img) // standard deviation of all samples
{
    const double m = mean(img);
    double sum = 0;
    for (uint32_t y = 0; y < img.GetHeight(); ++y)
        for (uint32_t x = 0; x < img.GetWidth(); ++x) {
            const RGBQUAD c = at(img, int(x), int(y));
            for (int v : {c.rgbRed, c.rgbGreen, c.rgbBlue})
                sum += (v - m) * (v - m);
        }
    return std::sqrt(sum / (3.0 * img.GetWidth() * img.GetHeight()));
}

double chroma(const CxImage& img) // mean of max - min channel
{
    double sum = 0;
    for (uint32_t y = 0; y < img.GetHeight(); ++y)
        for (uint32_t x = 0; x < img.GetWidth(); ++x) {
            const RGBQUAD c = at(img, int(x), int(y));
            sum += std::max({c.rgbRed, c.rgbGreen, c.rgbBlue}) -
                   std::min({c.rgbRed, c.rgbGreen, c.rgbBlue});
        }
    return sum / (img.GetWidth() * img.GetHeight());
}

// Timers and queued results need an application object; one lives for the run.
void ensureApp()
{
    static int argc = 1;
    static char name[] = "test_image";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

} // namespace

TEST(EditOperation, EveryCommandDoesItsEdit)
{
    const CxImage original = ramp(40, 30);
    struct Case
    {
        int command;
        std::function<void(const CxImage&)> check;
    };
    const Case cases[] = {
        {cmd::kMirrorHorizontal,
         [&](const CxImage& r) { EXPECT_TRUE(same(at(r, 0, 5), at(original, 39, 5))); }},
        {cmd::kFlipVertical,
         [&](const CxImage& r) { EXPECT_TRUE(same(at(r, 7, 0), at(original, 7, 29))); }},
        {cmd::kRotateLeft90,
         [&](const CxImage& r) {
             ASSERT_EQ(r.GetWidth(), 30u);
             ASSERT_EQ(r.GetHeight(), 40u);
             // Counter-clockwise: the top-right corner comes to the top left.
             EXPECT_TRUE(same(at(r, 0, 39), at(original, 39, 29)));
         }},
        {cmd::kRotateRight90,
         [&](const CxImage& r) {
             ASSERT_EQ(r.GetWidth(), 30u);
             EXPECT_TRUE(same(at(r, 29, 39), at(original, 0, 29))); // top left to top right
         }},
        {cmd::kBrighter, [&](const CxImage& r) { EXPECT_NEAR(mean(r), mean(original) + 10, 0.5); }},
        {cmd::kDarker, [&](const CxImage& r) { EXPECT_NEAR(mean(r), mean(original) - 10, 0.5); }},
        {cmd::kMoreContrast,
         [&](const CxImage& r) { EXPECT_GT(spread(r), spread(original) * 1.05); }},
        {cmd::kLessContrast,
         [&](const CxImage& r) { EXPECT_LT(spread(r), spread(original) * 0.95); }},
        {cmd::kSaturate, [&](const CxImage& r) { EXPECT_GT(chroma(r), chroma(original) + 5); }},
        {cmd::kDesaturate, [&](const CxImage& r) { EXPECT_LT(chroma(r), chroma(original) - 5); }},
        {cmd::kInvert,
         [&](const CxImage& r) {
             EXPECT_EQ(at(r, 3, 4).rgbRed, 255 - at(original, 3, 4).rgbRed);
             EXPECT_EQ(at(r, 3, 4).rgbBlue, 255 - at(original, 3, 4).rgbBlue);
         }},
        {cmd::kToGray,
         [&](const CxImage& r) {
             EXPECT_EQ(r.GetBpp(), 8u);
             EXPECT_TRUE(r.IsGrayScale());
         }},
        {cmd::kBlackAndWhite, [&](const CxImage& r) { EXPECT_EQ(r.GetBpp(), 1u); }},
        // The page looks: the ramp's brightest part is taken for paper and turns white.
        {cmd::kLookDocument,
         [&](const CxImage& r) {
             EXPECT_EQ(r.GetBpp(), 24u);
             EXPECT_GT(mean(r), mean(original));
         }},
        {cmd::kLookGrey,
         [&](const CxImage& r) {
             EXPECT_EQ(r.GetBpp(), 8u);
             EXPECT_TRUE(r.IsGrayScale());
         }},
        {cmd::kLookBlackWhite, [&](const CxImage& r) { EXPECT_EQ(r.GetBpp(), 1u); }},
    };
    for (const Case& c : cases) {
        CxImage image(original);
        ASSERT_EQ(ApplyEdit(image, {c.command}), EditResult::Done)
            << c.command << image.GetLastError();
        SCOPED_TRACE(c.command);
        c.check(image);
    }
    EXPECT_EQ(std::size(kEditCommands), std::size(cases) + 2); // and free rotation, resize
}

TEST(EditOperation, FreeRotation)
{
    const CxImage original = ramp(40, 30);
    CxImage right(original), left(original);
    right.RotateRight90();
    left.RotateLeft90();
    struct Case
    {
        float angle;
        bool keepSize;
        const CxImage* expected; // null: check the canvas only
    };
    const Case cases[] = {{90.0f, false, &right},
                          {-90.0f, false, &left},
                          {30.0f, true, nullptr},
                          {90.0f, true, nullptr}};
    for (const Case& c : cases) {
        CxImage image(original);
        EditRequest request{cmd::kRotateFree, c.angle, c.keepSize};
        ASSERT_EQ(ApplyEdit(image, request), EditResult::Done) << c.angle;
        if (c.expected) {
            ASSERT_EQ(image.GetWidth(), c.expected->GetWidth()) << c.angle;
            EXPECT_EQ(std::memcmp(image.GetBits(), c.expected->GetBits(),
                                  image.GetEffWidth() * image.GetHeight()),
                      0)
                << c.angle;
        } else {
            EXPECT_EQ(image.GetWidth(), 40u) << c.angle;
            EXPECT_EQ(image.GetHeight(), 30u) << c.angle;
            EXPECT_TRUE(same(at(image, 0, 0), RGBQUAD{0, 0, 0, 0}))
                << "uncovered corner, " << c.angle;
        }
    }
    // A tiny angle on a photo-sized picture leaves it as it is.
    CxImage big(2000, 1500, 8);
    big.SetGrayPalette();
    for (uint32_t y = 0; y < 1500; ++y)
        std::memset(big.GetBits(y), int(y % 251), 2000);
    CxImage turned(big);
    ASSERT_EQ(ApplyEdit(turned, {cmd::kRotateFree, 0.001f, false}), EditResult::Done);
    ASSERT_EQ(turned.GetWidth(), 2000u);
    EXPECT_EQ(std::memcmp(turned.GetBits(), big.GetBits(), big.GetEffWidth() * 1500), 0);
    CxImage nan(original);
    EXPECT_EQ(ApplyEdit(nan, {cmd::kRotateFree, std::nanf(""), true}), EditResult::Failed);
}

TEST(EditOperation, ResizeShrinksByBoxesAndInterpolatesOtherwise)
{
    const CxImage original = ramp(40, 30);
    struct Case
    {
        int w, h;
        bool ok;
    };
    const Case cases[] = {{20, 15, true}, {40, 30, true}, {30, 45, true},
                          {80, 60, true}, {0, 10, false}, {-4, 10, false}};
    for (const Case& c : cases) {
        CxImage image(original);
        EditRequest request{cmd::kResize};
        request.newWidth = c.w;
        request.newHeight = c.h;
        EXPECT_EQ(ApplyEdit(image, request) == EditResult::Done, c.ok) << c.w << "x" << c.h;
        if (c.ok) {
            EXPECT_EQ(int(image.GetWidth()), c.w);
            EXPECT_EQ(int(image.GetHeight()), c.h);
        }
    }
    // The same size goes through interpolation, which keeps every pixel.
    CxImage same40(original);
    ASSERT_EQ(ApplyEdit(same40, {cmd::kResize, 0, false, 40, 30}), EditResult::Done);
    EXPECT_TRUE(same(at(same40, 13, 17), at(original, 13, 17)));
}

TEST(EditOperation, SizeLimitIsCountedIn64Bits)
{
    EXPECT_TRUE(ResizeTooLarge(65536, 65537)); // wraps to 65536 in 32 bits
    EXPECT_TRUE(ResizeTooLarge(16384, 16384)); // exactly 2^28
    EXPECT_FALSE(ResizeTooLarge(16384, 16383));
    EXPECT_FALSE(ResizeTooLarge(1, 1));
}

TEST(EditJob, RunsOnACopyAndTakesAtLeastHalfASecond)
{
    ensureApp();
    const CxImage original = ramp(40, 30);
    for (int command : {cmd::kInvert, cmd::kResize}) {
        EditJob job;
        QEventLoop loop;
        int reported = 0;
        QObject::connect(&job, &EditJob::finished, &loop, [&](int id) {
            reported = id;
            loop.quit();
        });
        QElapsedTimer clock;
        clock.start();
        EditRequest request{command};
        request.newWidth = 0; // a resize to nothing fails
        ASSERT_TRUE(job.Start(original, request));
        EXPECT_FALSE(job.Start(original, request)) << "one edit at a time";
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_EQ(reported, command);
        EXPECT_GE(clock.elapsed(), EditJob::kMinimumMs);
        EXPECT_FALSE(job.IsRunning());
        EXPECT_TRUE(same(at(original, 3, 4), ramp(40, 30).GetPixelColor(3, 4, false)));
        if (command == cmd::kInvert) {
            EXPECT_EQ(job.Result(), EditResult::Done);
            const auto edited = job.TakeImage();
            ASSERT_TRUE(edited);
            EXPECT_EQ(at(*edited, 3, 4).rgbRed, 255 - at(original, 3, 4).rgbRed);
        } else {
            EXPECT_EQ(job.Result(), EditResult::Failed);
            EXPECT_FALSE(job.TakeImage());
            EXPECT_FALSE(job.ErrorText().isEmpty());
        }
    }
}
