// The decoder of compressed camera frames with the real JPEG codec: the DCT
// scale chosen for the size the picture is shown at, what each scale and the
// full size give (pixel layout and row order), and damaged frames failing
// whole with the reason.

#include "capture/JpegFrame.h"
#include "image/cximage/CxImage.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Colour
{
    uint8_t b, g, r;
};

// Quadrants of the picture: top-left red, top-right green, bottom-left blue,
// bottom-right white.
Colour QuadrantColour(bool right, bool bottom)
{
    if (!bottom)
        return right ? Colour{0, 255, 0} : Colour{0, 0, 255};
    return right ? Colour{255, 255, 255} : Colour{255, 0, 0};
}

std::vector<uint8_t> QuadrantJpeg(int w, int h, float quality = 90.0f)
{
    CxImage image;
    EXPECT_TRUE(image.Create(uint32_t(w), uint32_t(h), 24, CXIMAGE_FORMAT_BMP));
    for (int row = 0; row < h; ++row) {
        const int y = h - 1 - row; // stored bottom-up
        uint8_t* p = image.GetBits(uint32_t(row));
        for (int x = 0; x < w; ++x, p += 3) {
            const Colour c = QuadrantColour(x >= w / 2, y >= h / 2);
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    }
    image.SetJpegQuality(quality);
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(image.Encode(bytes, CXIMAGE_FORMAT_JPG));
    return bytes;
}

bool Near(const uint8_t* p, Colour c)
{
    constexpr int kTolerance = 40; // JPEG's colour error at a quadrant's centre
    return std::abs(p[0] - c.b) < kTolerance && std::abs(p[1] - c.g) < kTolerance &&
           std::abs(p[2] - c.r) < kTolerance;
}

} // namespace

TEST(JpegFrameScale, SmallestScaleThatCoversTheShownSize)
{
    struct Case
    {
        int frameWidth, frameHeight, shownWidth, shownHeight, denominator;
    };
    const Case cases[] = {
        {2592, 1944, 300, 200, 8},     // a small window: 324 x 243 covers it
        {2592, 1944, 324, 243, 8},     // exactly 1/8
        {2592, 1944, 325, 243, 4},     // one pixel wider than 1/8 gives
        {2592, 1944, 324, 244, 4},     // one pixel taller
        {2592, 1944, 1280, 960, 2},    // 1/4 is 648 wide: too small
        {2592, 1944, 648, 486, 4},     // exactly 1/4
        {2592, 1944, 1296, 972, 2},    // exactly 1/2
        {2592, 1944, 1297, 972, 1},    // beyond half: full size
        {2592, 1944, 2592, 1944, 1},   // shown at 100 %
        {2592, 1944, 25920, 19440, 1}, // zoomed far in
        {2592, 1944, 2000, 100, 1},    // stretched: the wider side decides
        {4208, 3120, 1280, 960, 2},    // 13 MP: 1052 x 780 at 1/4 is too small
        {4208, 3120, 1000, 700, 4},    {4208, 3120, 526, 390, 8},
        {2595, 1947, 325, 244, 8}, // odd sizes round up: 325 x 244 at 1/8
        {2592, 1944, 0, 0, 1},     // nothing shown yet: full size
        {0, 0, 640, 480, 1},       // no frame size known
    };
    for (const Case& c : cases)
        EXPECT_EQ(JpegFrame::ChooseScale(c.frameWidth, c.frameHeight, c.shownWidth, c.shownHeight),
                  c.denominator)
            << c.frameWidth << "x" << c.frameHeight << " shown at " << c.shownWidth << "x"
            << c.shownHeight;
}

TEST(JpegFrameDecode, EveryScaleGivesTopDownRowsOfTheScreensLayout)
{
    constexpr int W = 640;
    constexpr int H = 480;
    const std::vector<uint8_t> jpeg = QuadrantJpeg(W, H);
    int w = 0, h = 0;
    ASSERT_TRUE(JpegFrame::ReadSize(jpeg.data(), jpeg.size(), w, h));
    EXPECT_EQ(w, W);
    EXPECT_EQ(h, H);
    JpegFrame::ScaledFrame frame;
    for (const int d : JpegFrame::kScales) {
        QString error;
        ASSERT_TRUE(JpegFrame::DecodeScaled(jpeg.data(), jpeg.size(), d, frame, &error))
            << qPrintable(error);
        EXPECT_EQ(frame.width, W / d);
        EXPECT_EQ(frame.height, H / d);
        EXPECT_EQ(frame.stride, frame.width * 4);
        EXPECT_EQ(frame.frameWidth, W);
        EXPECT_EQ(frame.frameHeight, H);
        EXPECT_EQ(frame.denominator, d);
        ASSERT_EQ(frame.bits.size(), size_t(frame.stride) * size_t(frame.height));
        for (const bool right : {false, true}) {
            for (const bool bottom : {false, true}) {
                const int x = frame.width / 4 + (right ? frame.width / 2 : 0);
                const int y = frame.height / 4 + (bottom ? frame.height / 2 : 0);
                const uint8_t* p =
                    frame.bits.data() + size_t(y) * size_t(frame.stride) + size_t(x) * 4;
                EXPECT_TRUE(Near(p, QuadrantColour(right, bottom)))
                    << "1/" << d << " at " << x << "," << y << ": " << int(p[0]) << " " << int(p[1])
                    << " " << int(p[2]);
                EXPECT_EQ(p[3], 255); // opaque, as a 32-bit screen picture wants
            }
        }
    }
    // A scale the fast paths do not have is decoded at full size.
    ASSERT_TRUE(JpegFrame::DecodeScaled(jpeg.data(), jpeg.size(), 3, frame));
    EXPECT_EQ(frame.width, W);
}

TEST(JpegFrameDecode, FullSizeKeepsRowsBottomUpAsTheFrameImage)
{
    constexpr int W = 322; // rows of 966 bytes, padded to 968
    constexpr int H = 242;
    const std::vector<uint8_t> jpeg = QuadrantJpeg(W, H);
    CxImage image;
    QString error;
    ASSERT_TRUE(JpegFrame::DecodeFull(jpeg.data(), jpeg.size(), image, &error))
        << qPrintable(error);
    ASSERT_EQ(int(image.GetWidth()), W);
    ASSERT_EQ(int(image.GetHeight()), H);
    EXPECT_EQ(image.GetBpp(), 24);
    // Stored row 0 is the picture's bottom line: blue on the left, white on the right.
    EXPECT_TRUE(Near(image.GetBits(H / 4) + (W / 4) * 3, QuadrantColour(false, true)));
    EXPECT_TRUE(Near(image.GetBits(H / 4) + (3 * W / 4) * 3, QuadrantColour(true, true)));
    EXPECT_TRUE(Near(image.GetBits(3 * H / 4) + (W / 4) * 3, QuadrantColour(false, false)));
    EXPECT_TRUE(Near(image.GetBits(3 * H / 4) + (3 * W / 4) * 3, QuadrantColour(true, false)));
}

TEST(JpegFrameDecode, DamagedFramesFailWholeWithTheReason)
{
    const std::vector<uint8_t> good = QuadrantJpeg(640, 480);
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    // Cut off mid-picture, as a USB transfer that lost its tail.
    cases.push_back({"cut in the middle", {good.begin(), good.begin() + good.size() / 2}});
    // A marker where entropy data belongs.
    std::vector<uint8_t> marker = good;
    for (size_t i = good.size() / 2; i < good.size() / 2 + 64; i += 2) {
        marker[i] = 0xFF;
        marker[i + 1] = 0xD3;
    }
    cases.push_back({"marker in the data", marker});
    cases.push_back({"header only", {good.begin(), good.begin() + 200}});
    cases.push_back({"no JPEG", std::vector<uint8_t>(4096, 0x5A)});
    cases.push_back({"empty", {}});
    for (const Case& c : cases) {
        JpegFrame::ScaledFrame frame;
        QString error;
        EXPECT_FALSE(JpegFrame::DecodeScaled(c.bytes.data(), c.bytes.size(), 4, frame, &error))
            << c.what;
        EXPECT_FALSE(frame.IsValid()) << c.what;
        EXPECT_TRUE(error.startsWith(QStringLiteral("the frame is damaged: "))) << c.what;
        CxImage image;
        error.clear();
        EXPECT_FALSE(JpegFrame::DecodeFull(c.bytes.data(), c.bytes.size(), image, &error))
            << c.what;
        EXPECT_FALSE(image.IsValid()) << c.what;
        EXPECT_FALSE(error.isEmpty()) << c.what;
    }
}

TEST(JpegFrameDecode, GreyFramesComeOutInColourLayout)
{
    CxImage grey;
    ASSERT_TRUE(grey.Create(64, 48, 8, CXIMAGE_FORMAT_BMP));
    grey.SetGrayPalette();
    for (uint32_t row = 0; row < 48; ++row)
        std::fill_n(grey.GetBits(row), 64, uint8_t(200));
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(grey.Encode(jpeg, CXIMAGE_FORMAT_JPG));
    JpegFrame::ScaledFrame frame;
    ASSERT_TRUE(JpegFrame::DecodeScaled(jpeg.data(), jpeg.size(), 2, frame));
    ASSERT_EQ(frame.width, 32);
    const uint8_t* p = frame.bits.data() + size_t(10) * size_t(frame.stride) + 10 * 4;
    EXPECT_NEAR(p[0], 200, 3);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
}
