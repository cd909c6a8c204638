// The capture graph with real GStreamer pipelines: the test pattern and the
// demo camera deliver frames, the page frame lands where the geometry puts it,
// the held frame is written as a BMP, failing sources fail cleanly and a
// stopped graph starts again.

#include "capture/CCaptureGraph.h"
#include "capture/DemoCamera.h"
#include "capture/FrameBitmap.h"
#include "capture/PageGeometry.h"
#include "image/cximage/CxImage.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>
#include <chrono>
#include <cstring>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <thread>

namespace {

class CaptureGraphTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { gst_init(nullptr, nullptr); }

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
        m_graph.SetProfile(CaptureProfile(m_dir.path() + QStringLiteral("/profile.ini")));
    }

    // Waits (bounded, so a broken pipeline fails instead of hanging) until
    // `count` more frames have been kept.
    bool WaitForFrames(uint64_t count)
    {
        const uint64_t target = m_graph.Callback().FrameCount() + count;
        for (int i = 0; i < 300; ++i) {
            if (m_graph.Callback().FrameCount() >= target)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    QByteArray ReadFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    CCaptureGraph m_graph;
};

uint32_t U32(const QByteArray& b, int at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

uint16_t U16(const QByteArray& b, int at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

bool IsRed(const uint8_t* p)
{
    return p[0] == 0 && p[1] == 0 && p[2] == 255;
}

// Pixel (x, row) of the held sample in bottom-up rows, as the frame image keeps it.
const uint8_t* SamplePixel(GstMapInfo& map, int stride, int height, int x, int row)
{
    return map.data + size_t(height - 1 - row) * size_t(stride) + size_t(x) * 3;
}

} // namespace

TEST_F(CaptureGraphTest, TestPatternDeliversFramesAndWritesTheHeldFrame)
{
    ASSERT_TRUE(m_graph.Initialize(CaptureSource::Test()));
    const QString bmp = m_dir.path() + QStringLiteral("/frame.bmp");
    EXPECT_FALSE(m_graph.SaveFrameAsBitmap(bmp)); // nothing has arrived yet
    EXPECT_FALSE(QFile::exists(bmp));

    ASSERT_TRUE(m_graph.StartPreview()) << m_graph.FailureText().toStdString();
    ASSERT_TRUE(WaitForFrames(3));
    int w = 0, h = 0;
    ASSERT_TRUE(m_graph.Callback().FrameSize(w, h));
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1080);
    EXPECT_EQ(m_graph.CameraModel(), 0);
    EXPECT_FALSE(m_graph.HasFailed());

    ASSERT_TRUE(m_graph.SaveFrameAsBitmap(bmp));
    const QByteArray b = ReadFile(bmp);
    ASSERT_GE(b.size(), 54);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(U32(b, 2), uint32_t(b.size())); // file size
    EXPECT_EQ(U32(b, 2), 54u + 1920u * 3u * 1080u);
    EXPECT_EQ(U32(b, 6), 0u);   // reserved
    EXPECT_EQ(U32(b, 10), 54u); // pixel offset
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ(int32_t(U32(b, 18)), 1920);
    EXPECT_EQ(int32_t(U32(b, 22)), 1080); // positive: bottom-up
    EXPECT_EQ(U16(b, 26), 1);
    EXPECT_EQ(U16(b, 28), 24);
    for (int at = 30; at < 54; at += 4)
        EXPECT_EQ(U32(b, at), 0u) << "header field at " << at;

    // The file decodes with the image object and shows the same picture.
    CxImage loaded(bmp.toStdString(), CXIMAGE_FORMAT_BMP);
    ASSERT_TRUE(loaded.IsValid());
    EXPECT_EQ(loaded.GetWidth(), 1920u);
    EXPECT_EQ(loaded.GetBpp(), 24u);
    EXPECT_TRUE(m_graph.StopPreview());
    EXPECT_FALSE(m_graph.StopPreview());
    m_graph.Shutdown();
    EXPECT_FALSE(
        m_graph.SaveFrameAsBitmap(bmp + QStringLiteral(".2"))); // the held frame went with it
}

// Stopped, the frame image and the held sample of the same frame can be
// compared: rows are flipped to bottom-up, and the border lies only in the image.
TEST_F(CaptureGraphTest, PageFrameLandsWhereTheGeometryPutsItForEveryModel)
{
    struct Case
    {
        int model;
        CaptureSource source;
        int hmm, wmm;
    };
    const Case cases[] = {{1, CaptureSource::Test(1), 210, 148},
                          {2, CaptureSource::Test(2), 100, 80},
                          {3, CaptureSource::Test(3), 148, 105},
                          {4, CaptureSource::Demo(4), 297, 210},
                          {4, CaptureSource::Demo(4), 148, 105}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        ASSERT_TRUE(m_graph.Initialize(c.source));
        const int W = m_graph.VideoWidth();
        const int H = m_graph.VideoHeight();
        const PageGeometry::Rect r = PageGeometry::PageFrame(c.model, W, H, c.hmm, c.wmm);
        ASSERT_FALSE(r.IsEmpty());
        m_graph.Callback().PublishPageFrame(W, H, r);
        ASSERT_TRUE(m_graph.StartPreview());
        ASSERT_TRUE(WaitForFrames(2));
        m_graph.StopPreview();

        GstSample* sample = m_graph.Callback().HeldSample();
        ASSERT_NE(sample, nullptr);
        GstMapInfo map;
        ASSERT_TRUE(gst_buffer_map(gst_sample_get_buffer(sample), &map, GST_MAP_READ));
        const int stride = W * 3;
        {
            CGrabberCallback::FrameAccess frame(m_graph.Callback());
            const CxImage* img = frame.image();
            ASSERT_NE(img, nullptr);
            ASSERT_EQ(int(img->GetWidth()), W);
            auto px = [&](int x, int row) { return img->GetBits(uint32_t(row)) + x * 3; };
            const int top = std::max(r.top, 0), bottom = std::min(r.bottom, H);
            const int left = std::max(r.left, 0), right = std::min(r.right, W);
            EXPECT_TRUE(IsRed(px(left, top + 20)));
            EXPECT_TRUE(IsRed(px(right - 1, top + 20)));
            EXPECT_TRUE(IsRed(px(r.left + 3, top + 20)));
            if (r.bottom <= H) { // a band past the frame's edge is clipped away
                EXPECT_TRUE(IsRed(px(left + 20, bottom - 1)));
            }
            if (r.top >= 0) {
                EXPECT_TRUE(IsRed(px(left + 20, r.top + 3)));
            }
            // Just inside and just outside the bands the picture is untouched.
            for (auto [x, row] : {std::pair{r.left + 4, top + 20}, std::pair{r.right - 5, top + 20},
                                  std::pair{r.left - 1, top + 20}, std::pair{left + 20, r.top + 4},
                                  std::pair{W / 2, std::min(r.bottom, H - 1)}}) {
                if (x < 0 || x >= W || row < 0 || row >= H || (row >= r.bottom && r.bottom > H))
                    continue;
                EXPECT_EQ(std::memcmp(px(x, row), SamplePixel(map, stride, H, x, row), 3), 0)
                    << "pixel " << x << "," << row;
            }
        }
        gst_buffer_unmap(gst_sample_get_buffer(sample), &map);
        gst_sample_unref(sample);
        m_graph.Shutdown();
    }
}

TEST_F(CaptureGraphTest, DemoCameraShowsItsPageUpright)
{
    const CxImage& picture = DemoCamera::Picture();
    ASSERT_TRUE(picture.IsValid());
    ASSERT_EQ(picture.GetWidth(), 2592u);
    ASSERT_EQ(picture.GetHeight(), 1944u);
    // Qt's own decoder of the same resource, to hold the image object's against.
    const QImage reference = QImage(QStringLiteral(":/scriva/capture/demo_page.png"))
                                 .convertToFormat(QImage::Format_BGR888);
    ASSERT_EQ(reference.size(), QSize(2592, 1944));
    ASSERT_TRUE(m_graph.Initialize(CaptureSource::Demo()));
    EXPECT_EQ(m_graph.CameraModel(), 4);
    ASSERT_TRUE(m_graph.StartPreview());
    ASSERT_TRUE(WaitForFrames(2));
    m_graph.StopPreview();
    CGrabberCallback::FrameAccess frame(m_graph.Callback());
    ASSERT_NE(frame.image(), nullptr);
    // The picture's top line is the image's last stored row.
    for (int y : {0, 500, 972, 1943}) {
        EXPECT_EQ(std::memcmp(frame.image()->GetBits(uint32_t(1943 - y)),
                              reference.constScanLine(y), 2592 * 3),
                  0)
            << "line " << y;
        EXPECT_EQ(
            std::memcmp(picture.GetBits(uint32_t(1943 - y)), reference.constScanLine(y), 2592 * 3),
            0)
            << "line " << y;
    }
    // A white page in the middle, the dark desk at the corners.
    const uint8_t* centre = frame.image()->GetBits(972) + 1296 * 3;
    EXPECT_GT(centre[0] + centre[1] + centre[2], 3 * 200);
    const uint8_t* corner = frame.image()->GetBits(5) + 5 * 3;
    EXPECT_LT(corner[0] + corner[1] + corner[2], 3 * 100);
}

TEST_F(CaptureGraphTest, FailingSourcesFailCleanly)
{
    EXPECT_FALSE(m_graph.Initialize(CaptureSource()));
    EXPECT_FALSE(m_graph.StartPreview());

    CaptureSource notACamera;
    notACamera.kind = CaptureSource::Kind::Device;
    notACamera.devicePath = QStringLiteral("/dev/null");
    EXPECT_FALSE(m_graph.Initialize(notACamera));
    EXPECT_FALSE(m_graph.FailureText().isEmpty());

    // A source that cannot open: the state change fails, nothing hangs.
    ASSERT_TRUE(m_graph.Initialize(CaptureSource::Custom(
        QStringLiteral(
            "filesrc location=%1/missing.raw ! rawvideoparse width=64 height=48 format=bgr"
            " ! appsink name=sink")
            .arg(m_dir.path()))));
    EXPECT_FALSE(m_graph.StartPreview());
    EXPECT_FALSE(m_graph.IsPreviewing());
    EXPECT_FALSE(m_graph.FailureText().isEmpty());

    // A source that ends: the failure flag is raised for the view to act on.
    ASSERT_TRUE(m_graph.Initialize(CaptureSource::Custom(
        QStringLiteral("videotestsrc is-live=true num-buffers=10 ! "
                       "video/x-raw,format=BGR,width=64,height=48,framerate=30/1"
                       " ! appsink name=sink sync=false"))));
    ASSERT_TRUE(m_graph.StartPreview());
    for (int i = 0; i < 250 && !m_graph.HasFailed(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(m_graph.HasFailed());
    m_graph.Shutdown();
}

// A source that never sends a picture: the start gives up after its limit
// instead of hanging the user-interface thread.
TEST_F(CaptureGraphTest, StalledSourceFailsAfterTheStartLimit)
{
    ASSERT_TRUE(m_graph.Initialize(CaptureSource::Custom(QStringLiteral(
        "appsrc name=never caps=video/x-raw,format=BGR,width=64,height=48,framerate=15/1"
        " ! appsink name=sink"))));
    EXPECT_FALSE(m_graph.StartPreview());
    EXPECT_FALSE(m_graph.IsPreviewing());
    EXPECT_TRUE(m_graph.FailureText().contains(QStringLiteral("did not start")));
    m_graph.Shutdown();
}

TEST_F(CaptureGraphTest, GraphStartsAgainAfterStopAndShutdown)
{
    ASSERT_TRUE(m_graph.Initialize(CaptureSource::Demo()));
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(m_graph.StartPreview()) << "round " << round;
        ASSERT_TRUE(WaitForFrames(2)) << "round " << round;
        ASSERT_TRUE(m_graph.StopPreview());
    }
    m_graph.Shutdown();
    ASSERT_TRUE(m_graph.Initialize(CaptureSource::Test()));
    ASSERT_TRUE(m_graph.StartPreview());
    ASSERT_TRUE(WaitForFrames(2));
    int w = 0, h = 0;
    ASSERT_TRUE(m_graph.Callback().FrameSize(w, h));
    EXPECT_EQ(w, 1920);
}

// A sample whose caps promise more than its buffer holds is dropped.
TEST_F(CaptureGraphTest, SampleSmallerThanItsCapsIsDropped)
{
    GstCaps* caps =
        gst_caps_from_string("video/x-raw,format=BGR,width=64,height=48,framerate=15/1");
    GstBuffer* small = gst_buffer_new_allocate(nullptr, 64 * 3 * 10, nullptr);
    GstSample* sample = gst_sample_new(small, caps, nullptr, nullptr);
    CGrabberCallback cb;
    EXPECT_FALSE(cb.BufferCB(sample));
    EXPECT_EQ(cb.FrameCount(), 0u);
    GstSample* held = cb.HeldSample();
    EXPECT_EQ(held, nullptr);
    EXPECT_FALSE(FrameBitmap::Write(sample, m_dir.path() + QStringLiteral("/bad.bmp")));
    EXPECT_FALSE(QFile::exists(m_dir.path() + QStringLiteral("/bad.bmp")));
    gst_sample_unref(sample);
    gst_buffer_unref(small);
    gst_caps_unref(caps);
}

// A frame whose rows need padding (61 pixels: 183 bytes, padded to 184): the
// file's header sizes add up, its rows run bottom-up, and every pixel is the
// held frame's.
TEST_F(CaptureGraphTest, HeldFrameWithPaddedRowsIsWrittenBottomUp)
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
