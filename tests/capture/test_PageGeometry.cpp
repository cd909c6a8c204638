// Page-frame placement per camera model and frame size, and the red border
// painted into a frame, including pages whose frame reaches past the picture.

#include "capture/PageGeometry.h"

#include <gtest/gtest.h>
#include <vector>

using PageGeometry::Rect;

struct FrameCase
{
    int model, width, height, pageHeightMm, pageWidthMm;
    Rect expected;
};

class PageFrameTest : public ::testing::TestWithParam<FrameCase>
{
};

TEST_P(PageFrameTest, LandsWhereTheGeometryTablePutsIt)
{
    const FrameCase& c = GetParam();
    EXPECT_EQ(PageGeometry::PageFrame(c.model, c.width, c.height, c.pageHeightMm, c.pageWidthMm),
              c.expected)
        << "model " << c.model << " at " << c.width << "x" << c.height;
}

INSTANTIATE_TEST_SUITE_P(
    Models, PageFrameTest,
    ::testing::Values(
        // A5 under model 1, smaller pages under models 2 and 3 at full HD.
        FrameCase{1, 1920, 1080, 210, 148, {561, 89, 1368, 961}},
        FrameCase{2, 1920, 1080, 100, 80, {620, 145, 1380, 874}},
        FrameCase{3, 1920, 1080, 148, 105, {641, 169, 1338, 930}},
        // Model 4 has its own offsets per frame size; A4 at 5 MP is exactly as tall as the frame.
        FrameCase{4, 2592, 1944, 297, 210, {615, 35, 1936, 1979}},
        FrameCase{4, 2592, 1944, 148, 105, {946, 523, 1606, 1491}},
        FrameCase{4, 1280, 1024, 148, 105, {287, 35, 952, 1059}},
        // Pages that fit but whose offsets push them past an edge keep their place.
        FrameCase{1, 1920, 1080, 260, 100, {692, -15, 1237, 1065}},
        FrameCase{2, 1920, 1080, 148, 100, {525, -30, 1475, 1050}},
        FrameCase{4, 1280, 1024, 148, 202, {-20, 35, 1260, 1059}},
        // No frame: page larger than the frame, size missing, unknown model or size.
        FrameCase{4, 2048, 1536, 297, 210, {}}, FrameCase{1, 1920, 1080, 0, 148, {}},
        FrameCase{1, 1920, 1080, 210, 0, {}}, FrameCase{0, 1920, 1080, 210, 148, {}},
        FrameCase{5, 1920, 1080, 210, 148, {}}, FrameCase{4, 1920, 1080, 100, 80, {}}));

TEST(PageScaleTest, ModelFourHasGeometryOnlyAtItsThreeFrameSizes)
{
    PageGeometry::Scale s;
    EXPECT_TRUE(PageGeometry::PixelsPerMm(4, 2592, 1944, s));
    EXPECT_FLOAT_EQ(s.horizontal, 2592.0f / 412.0f);
    EXPECT_FLOAT_EQ(s.vertical, 1944.0f / 297.0f);
    EXPECT_TRUE(PageGeometry::PixelsPerMm(4, 2048, 1536, s));
    EXPECT_TRUE(PageGeometry::PixelsPerMm(4, 1280, 1024, s));
    EXPECT_FALSE(PageGeometry::PixelsPerMm(4, 1920, 1080, s));
    EXPECT_EQ(s.horizontal, 0.0f);
    EXPECT_TRUE(PageGeometry::PixelsPerMm(2, 1010, 740, s));
    EXPECT_FLOAT_EQ(s.horizontal, 5.0f);
    EXPECT_FLOAT_EQ(s.vertical, 5.0f);
}

namespace {

// A frame with guard rows before and after, so writes outside it show up.
struct GuardedFrame
{
    static constexpr int kGuard = 64;
    int width, height, stride;
    std::vector<uint8_t> bytes;
    GuardedFrame(int w, int h)
        : width(w), height(h), stride((w * 3 + 3) & ~3), bytes(size_t(stride) * (h + 2 * kGuard), 7)
    {
    }
    uint8_t* bits() { return bytes.data() + size_t(stride) * kGuard; }
    const uint8_t* px(int x, int y) const
    {
        return bytes.data() + size_t(stride) * (kGuard + y) + x * 3;
    }
    bool IsRed(int x, int y) const
    {
        return px(x, y)[0] == 0 && px(x, y)[1] == 0 && px(x, y)[2] == 255;
    }
    bool IsUntouched(int x, int y) const
    {
        return px(x, y)[0] == 7 && px(x, y)[1] == 7 && px(x, y)[2] == 7;
    }
    bool GuardsIntact() const
    {
        const size_t g = size_t(stride) * kGuard;
        for (size_t i = 0; i < g; ++i) {
            if (bytes[i] != 7 || bytes[bytes.size() - 1 - i] != 7)
                return false;
        }
        return true;
    }
};

} // namespace

TEST(PageBorderTest, FourPixelBandsInsideTheRectangle)
{
    GuardedFrame f(101, 61); // odd width: rows carry padding
    PageGeometry::PaintBorder(f.bits(), f.stride, f.width, f.height, Rect{10, 20, 60, 50});
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(f.IsRed(10 + i, 35)); // left band
        EXPECT_TRUE(f.IsRed(59 - i, 35)); // right band
        EXPECT_TRUE(f.IsRed(30, 20 + i)); // top band (first rows of the buffer)
        EXPECT_TRUE(f.IsRed(30, 49 - i)); // bottom band
    }
    EXPECT_TRUE(f.IsRed(10, 20));
    EXPECT_TRUE(f.IsRed(59, 49));
    EXPECT_TRUE(f.IsUntouched(14, 24));
    EXPECT_TRUE(f.IsUntouched(55, 45));
    EXPECT_TRUE(f.IsUntouched(9, 35));
    EXPECT_TRUE(f.IsUntouched(60, 35));
    EXPECT_TRUE(f.IsUntouched(30, 19));
    EXPECT_TRUE(f.IsUntouched(30, 50));
    // Row padding stays as it was.
    EXPECT_EQ(f.bits()[size_t(f.stride) * 20 + 303], 7);
    EXPECT_TRUE(f.GuardsIntact());
}

TEST(PageBorderTest, EveryModelWithAPageAsTallAsTheFrameStaysInsideTheBuffer)
{
    struct Size
    {
        int model, w, h;
    };
    for (const Size s : {Size{1, 640, 480}, Size{2, 640, 480}, Size{3, 640, 480},
                         Size{4, 2592, 1944}, Size{4, 1280, 1024}, Size{4, 2048, 1536}}) {
        PageGeometry::Scale scale;
        ASSERT_TRUE(PageGeometry::PixelsPerMm(s.model, s.w, s.h, scale));
        // The tallest page that still fits, and the widest.
        const int hmm = int(float(s.h) / scale.vertical);
        const int wmm = int(float(s.w) / scale.horizontal);
        const Rect r = PageGeometry::PageFrame(s.model, s.w, s.h, hmm, wmm);
        ASSERT_FALSE(r.IsEmpty()) << "model " << s.model << " " << s.w;
        GuardedFrame f(s.w, s.h);
        PageGeometry::PaintBorder(f.bits(), f.stride, f.width, f.height, r);
        EXPECT_TRUE(f.GuardsIntact()) << "model " << s.model << " " << s.w;
        // A band that lies inside the frame is still painted.
        const int x = std::max(r.left, 0);
        const int y = std::max(r.top, 0);
        if (r.left >= 0) {
            EXPECT_TRUE(f.IsRed(r.left, std::min(y + 10, s.h - 1)));
        }
        if (r.top >= 0) {
            EXPECT_TRUE(f.IsRed(std::min(x + 10, s.w - 1), r.top));
        }
    }
}

TEST(PageBorderTest, RectangleWhollyOutsidePaintsNothing)
{
    GuardedFrame f(40, 30);
    PageGeometry::PaintBorder(f.bits(), f.stride, f.width, f.height, Rect{50, 40, 90, 80});
    PageGeometry::PaintBorder(f.bits(), f.stride, f.width, f.height, Rect{-90, -80, -50, -40});
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_TRUE(f.IsUntouched(x, y));
    EXPECT_TRUE(f.GuardsIntact());
}

// The single-precision scale, floor halving, page sizes beyond any frame, and a
// border that never touches a pixel outside its bands.
TEST(PageGeometryLimits, ScaleIsSinglePrecision)
{
    // 11 mm at 1920 / 352 px per mm is 60 px in single precision; the same
    // sum in double precision gives 59.
    EXPECT_EQ(PageGeometry::PageFrame(1, 1920, 1080, 10, 11), (Rect{935, 504, 995, 545}));
}

TEST(PageGeometryLimits, HalvingRoundsDownOnNegativeValues)
{
    // Model 1, 257 mm tall: (1080 - 1067 - 30) >> 1 = -17 >> 1 = -9, not -8.
    EXPECT_EQ(PageGeometry::PageFrame(1, 1920, 1080, 257, 100), (Rect{692, -9, 1237, 1058}));
}

TEST(PageGeometryLimits, PageSizesBeyondAnyFrameGiveNoFrame)
{
    // A hand-edited PAGE_SIZE entry can hold any 32-bit number.
    for (int model = 1; model <= 4; ++model) {
        EXPECT_TRUE(PageGeometry::PageFrame(model, 2592, 1944, 2000000000, 210).IsEmpty());
        EXPECT_TRUE(PageGeometry::PageFrame(model, 2592, 1944, 297, 2147483647).IsEmpty());
        EXPECT_TRUE(PageGeometry::PageFrame(model, 2592, 1944, -297, 210).IsEmpty());
        EXPECT_TRUE(PageGeometry::PageFrame(model, 2592, 1944, 297, -2147483647 - 1).IsEmpty());
    }
}

namespace {

bool InBand(const Rect& r, int x, int y)
{
    const int t = PageGeometry::kBorderThickness;
    const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    return inside && (x < r.left + t || x >= r.right - t || y < r.top + t || y >= r.bottom - t);
}

} // namespace

// Every model and frame size with the tallest and the widest page that fit:
// offsets push these past the frame's edges. Every byte of the frame is
// checked: red exactly on the clipped bands, everything else (padding too) as
// it was.
TEST(PageBorder, OnlyTheClippedBandsChange)
{
    struct Size
    {
        int model, w, h;
    };
    for (const Size s :
         {Size{1, 641, 480}, Size{2, 641, 480}, Size{3, 641, 480}, Size{1, 1920, 1080},
          Size{4, 2592, 1944}, Size{4, 1280, 1024}, Size{4, 2048, 1536}}) {
        PageGeometry::Scale scale;
        ASSERT_TRUE(PageGeometry::PixelsPerMm(s.model, s.w, s.h, scale));
        const int hmm = int(float(s.h) / scale.vertical);
        const int wmm = int(float(s.w) / scale.horizontal);
        const Rect r = PageGeometry::PageFrame(s.model, s.w, s.h, hmm, wmm);
        ASSERT_FALSE(r.IsEmpty()) << "model " << s.model << " " << s.w;
        const int stride = (s.w * 3 + 3) & ~3;
        std::vector<uint8_t> bytes(size_t(stride) * size_t(s.h), 7);
        PageGeometry::PaintBorder(bytes.data(), stride, s.w, s.h, r);
        int wrong = 0;
        for (int y = 0; y < s.h && wrong < 5; ++y) {
            const uint8_t* row = bytes.data() + size_t(y) * size_t(stride);
            for (int x = 0; x < s.w && wrong < 5; ++x) {
                const uint8_t* p = row + x * 3;
                const bool red = p[0] == 0 && p[1] == 0 && p[2] == 255;
                const bool untouched = p[0] == 7 && p[1] == 7 && p[2] == 7;
                if (InBand(r, x, y) ? !red : !untouched) {
                    ++wrong;
                    ADD_FAILURE() << "model " << s.model << " " << s.w << "x" << s.h << " pixel "
                                  << x << "," << y;
                }
            }
            for (int b = s.w * 3; b < stride; ++b)
                EXPECT_EQ(row[b], 7) << "padding of row " << y;
        }
    }
}
