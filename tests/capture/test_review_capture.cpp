// Second look at the camera code: the page geometry's single-precision scale
// and floor halving, page sizes from a hand-edited settings file, the border
// never touching a pixel outside its bands (not even by running off a row
// into the next), the held frame written as a BMP with padded rows, and the
// profile's numbers read as the decimal numbers they are.

#include "capture/CCaptureGraph.h"
#include "capture/CaptureProfile.h"
#include "capture/PageGeometry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <chrono>
#include <cstring>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using PageGeometry::Rect;

TEST(ReviewPageGeometryTest, ScaleIsSinglePrecision)
{
    // 11 mm at 1920 / 352 px per mm is 60 px in single precision; the same
    // sum in double precision gives 59.
    EXPECT_EQ(PageGeometry::PageFrame(1, 1920, 1080, 10, 11), (Rect{935, 504, 995, 545}));
}

TEST(ReviewPageGeometryTest, HalvingRoundsDownOnNegativeValues)
{
    // Model 1, 257 mm tall: (1080 - 1067 - 30) >> 1 = -17 >> 1 = -9, not -8.
    EXPECT_EQ(PageGeometry::PageFrame(1, 1920, 1080, 257, 100), (Rect{692, -9, 1237, 1058}));
}

TEST(ReviewPageGeometryTest, PageSizesBeyondAnyFrameGiveNoFrame)
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
TEST(ReviewPageBorderTest, OnlyTheClippedBandsChange)
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

namespace {

class ReviewCaptureGraphTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { gst_init(nullptr, nullptr); }

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_graph.SetProfile(CaptureProfile(m_dir.path() + QStringLiteral("/profile.ini")));
    }

    QTemporaryDir m_dir;
    CCaptureGraph m_graph;
};

} // namespace

// A frame whose rows need padding (61 pixels: 183 bytes, padded to 184): the
// file's header sizes add up, its rows run bottom-up, and every pixel is the
// held frame's.
TEST_F(ReviewCaptureGraphTest, HeldFrameWithPaddedRowsIsWrittenBottomUp)
{
    constexpr int W = 61;
    constexpr int H = 47;
    constexpr int kStride = 184;
    ASSERT_TRUE(m_graph.Initialize(CaptureSource::Custom(
        QStringLiteral("videotestsrc is-live=true pattern=smpte ! "
                       "video/x-raw,format=BGR,width=61,height=47,framerate=15/1"
                       " ! appsink name=sink sync=false"))));
    ASSERT_TRUE(m_graph.StartPreview()) << m_graph.FailureText().toStdString();
    for (int i = 0; i < 200 && m_graph.Callback().FrameCount() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_GE(m_graph.Callback().FrameCount(), 2u);
    m_graph.StopPreview(); // the held frame stays until shutdown

    const QString path = m_dir.path() + QStringLiteral("/padded.bmp");
    ASSERT_TRUE(m_graph.SaveFrameAsBitmap(path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    ASSERT_EQ(b.size(), 54 + kStride * H);
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(b.constData() + at); };
    EXPECT_EQ(u32(2), uint32_t(54 + kStride * H));
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(int32_t(u32(18)), W);
    EXPECT_EQ(int32_t(u32(22)), H);
    EXPECT_EQ(u32(34), 0u); // image size left 0

    GstSample* sample = m_graph.Callback().HeldSample();
    ASSERT_NE(sample, nullptr);
    GstMapInfo map;
    ASSERT_TRUE(gst_buffer_map(gst_sample_get_buffer(sample), &map, GST_MAP_READ));
    for (int row = 0; row < H; ++row) {
        // File row 0 is the picture's bottom line, the sample's last row.
        const char* fileRow = b.constData() + 54 + row * kStride;
        const uint8_t* sampleRow = map.data + size_t(H - 1 - row) * kStride;
        EXPECT_EQ(std::memcmp(fileRow, sampleRow, W * 3), 0) << "row " << row;
        EXPECT_EQ(fileRow[W * 3], 0) << "padding of row " << row;
    }
    gst_buffer_unmap(gst_sample_get_buffer(sample), &map);
    gst_sample_unref(sample);
    m_graph.Shutdown();
}

// The profile holds decimal numbers; a leading zero does not make them octal.
TEST(ReviewCaptureProfileTest, NumbersWithLeadingZerosAreDecimal)
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
