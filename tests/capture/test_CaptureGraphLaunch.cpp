// Launch descriptions as camera sources ("gst:...") with real GStreamer
// pipelines: raw and JPEG sources get their decoding and sink added, JPEG
// frames are decoded at the scale the view asks for and photos at full size,
// a damaged frame is dropped and counted, a launch that cannot be built or
// played names the element and the reason, and end of stream stops the camera.

#include "capture/CCaptureGraph.h"
#include "capture/CaptureSource.h"
#include "capture/DemoCamera.h"
#include "capture/FrameBitmap.h"
#include "capture/JpegFrame.h"
#include "image/cximage/CxImage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <chrono>
#include <cstring>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <thread>

namespace {

class CaptureLaunchTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { gst_init(nullptr, nullptr); }

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
        m_graph.SetProfile(CaptureProfile(m_dir.path() + QStringLiteral("/profile.ini")));
    }

    // Waits (bounded) until `count` frames were kept or the source failed.
    bool WaitForFrames(uint64_t count)
    {
        for (int i = 0; i < 400; ++i) {
            if (m_graph.Callback().FrameCount() >= count)
                return true;
            if (m_graph.HasFailed())
                return m_graph.Callback().FrameCount() >= count;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    bool WaitForFailure()
    {
        for (int i = 0; i < 400 && !m_graph.HasFailed(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        return m_graph.HasFailed();
    }

    // The demo camera's page as a numbered JPEG frame of the frames folder.
    QString WriteFrame(int index, const std::vector<uint8_t>& bytes)
    {
        QDir().mkpath(m_dir.filePath(QStringLiteral("frames")));
        const QString path =
            m_dir.filePath(QStringLiteral("frames/%1.jpg").arg(index, 5, 10, QLatin1Char('0')));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }

    static std::vector<uint8_t> PageJpeg()
    {
        CxImage page;
        page.Copy(DemoCamera::Picture());
        page.SetJpegQuality(85.0f);
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(page.Encode(bytes, CXIMAGE_FORMAT_JPG));
        return bytes;
    }

    QString FramesLaunch(int lastIndex, int rate = 30) const
    {
        return QStringLiteral("multifilesrc location=%1/frames/%05d.jpg index=0 stop-index=%2 "
                              "caps=image/jpeg,framerate=%3/1")
            .arg(m_dir.path())
            .arg(lastIndex)
            .arg(rate);
    }

    QTemporaryDir m_dir;
    CCaptureGraph m_graph;
};

CaptureSource Resolve(const QString& setting)
{
    return ResolveCaptureSource(setting, CDeviceGuard(), {}, -1);
}

} // namespace

TEST_F(CaptureLaunchTest, SettingNamesALaunchAndNeverTheDemo)
{
    const CaptureSource s = Resolve(QStringLiteral("gst:videotestsrc ! jpegenc"));
    EXPECT_EQ(s.kind, CaptureSource::Kind::Launch);
    EXPECT_EQ(s.pipeline, QStringLiteral("videotestsrc ! jpegenc"));
    EXPECT_EQ(s.cameraModel, 0);
    EXPECT_TRUE(s.note.isEmpty());
    EXPECT_EQ(ResolveCaptureSource(QStringLiteral("GST: videotestsrc"), CDeviceGuard(), {}, 3)
                  .cameraModel,
              3);
    const CaptureSource empty = Resolve(QStringLiteral("gst:  "));
    EXPECT_EQ(empty.kind, CaptureSource::Kind::None);
    EXPECT_TRUE(empty.problem.contains(QStringLiteral("gst:")));
}

// What the last element gives decides what is added: raw video gets the
// colour conversion, JPEG goes to the sink as it is.
TEST_F(CaptureLaunchTest, RawAndJpegSourcesDeliverFrames)
{
    struct Case
    {
        const char* launch;
        bool compressed;
    };
    const Case cases[] = {
        {"videotestsrc is-live=true ! video/x-raw,format=I420,width=160,height=120", false},
        {"videotestsrc is-live=true ! video/x-raw,width=160,height=120 ! jpegenc", true},
        {"videotestsrc is-live=true ! video/x-raw,width=160,height=120 ! jpegenc ! image/jpeg",
         true}, // a description may end in caps
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(m_graph.Initialize(CaptureSource::Launch(QString::fromUtf8(c.launch))))
            << c.launch << ": " << qPrintable(m_graph.FailureText());
        ASSERT_TRUE(m_graph.StartPreview())
            << c.launch << ": " << qPrintable(m_graph.FailureText());
        ASSERT_TRUE(WaitForFrames(m_graph.Callback().FrameCount() + 2)) << c.launch;
        EXPECT_EQ(m_graph.Callback().IsCompressed(), c.compressed) << c.launch;
        int w = 0, h = 0;
        ASSERT_TRUE(m_graph.Callback().FrameSize(w, h));
        EXPECT_EQ(w, 160) << c.launch;
        EXPECT_EQ(h, 120) << c.launch;
        CxImage frame;
        ASSERT_TRUE(m_graph.CopyHeldFrame(frame)) << c.launch;
        EXPECT_EQ(frame.GetWidth(), 160u) << c.launch;
        m_graph.Shutdown();
    }
}

TEST_F(CaptureLaunchTest, LaunchThatCannotBeBuiltOrPlayedNamesTheElementAndReason)
{
    struct Case
    {
        QString launch;
        bool builds; // fails only when played
        QString said;
    };
    const Case cases[] = {
        {QStringLiteral("nosuchsource ! jpegenc"), false, QStringLiteral("nosuchsource")},
        {QStringLiteral("videotestsrc ! fakesink"), false, QStringLiteral("fakesink")},
        {QStringLiteral("audiotestsrc"), false, QStringLiteral("neither raw video nor JPEG")},
        {QStringLiteral("multifilesrc name=frames location=%1/none/%05d.jpg "
                        "caps=image/jpeg,framerate=15/1")
             .arg(m_dir.path()),
         true, QStringLiteral("frames: ")},
    };
    for (const Case& c : cases) {
        const bool built = m_graph.Initialize(CaptureSource::Launch(c.launch));
        EXPECT_EQ(built, c.builds) << qPrintable(c.launch);
        if (built) {
            EXPECT_FALSE(m_graph.StartPreview()) << qPrintable(c.launch);
        }
        EXPECT_FALSE(m_graph.IsPreviewing());
        EXPECT_TRUE(m_graph.FailureText().contains(c.said))
            << qPrintable(c.launch) << ": " << qPrintable(m_graph.FailureText());
        EXPECT_EQ(m_graph.Callback().FrameCount(), 0u);
        m_graph.Shutdown();
    }
}

TEST_F(CaptureLaunchTest, EndOfStreamStopsTheCameraAndKeepsTheLastFrame)
{
    ASSERT_TRUE(m_graph.Initialize(CaptureSource::Launch(QStringLiteral(
        "videotestsrc num-buffers=3 ! video/x-raw,width=64,height=48,framerate=30/1 ! jpegenc"))));
    ASSERT_TRUE(m_graph.StartPreview()) << qPrintable(m_graph.FailureText());
    ASSERT_TRUE(WaitForFailure());
    EXPECT_EQ(m_graph.Callback().FrameCount(), 3u);
    EXPECT_TRUE(m_graph.FailureText().contains(QStringLiteral("stopped sending pictures")))
        << qPrintable(m_graph.FailureText());
    const QString bmp = m_dir.filePath(QStringLiteral("last.bmp"));
    EXPECT_TRUE(m_graph.SaveFrameAsBitmap(bmp));
    EXPECT_EQ(QFile(bmp).size(), 54 + 64 * 3 * 48);
}

// Frame 1 of three is cut short as a flaky link leaves it: it is dropped and
// counted, the stream goes on, and the picture and held frame stay whole.
TEST_F(CaptureLaunchTest, DamagedFrameIsDroppedAndCountedAndTheStreamGoesOn)
{
    const std::vector<uint8_t> page = PageJpeg();
    WriteFrame(0, page);
    WriteFrame(1, std::vector<uint8_t>(page.begin(), page.begin() + long(page.size() / 3)));
    WriteFrame(2, page);
    ASSERT_TRUE(m_graph.Initialize(CaptureSource::Launch(FramesLaunch(2))));
    m_graph.Callback().PublishShownSize(640, 480);
    ASSERT_TRUE(m_graph.StartPreview()) << qPrintable(m_graph.FailureText());
    ASSERT_TRUE(WaitForFailure()); // the end of the three frames
    EXPECT_TRUE(m_graph.FailureText().contains(QStringLiteral("stopped sending pictures")));
    EXPECT_EQ(m_graph.Callback().FrameCount(), 2u);
    EXPECT_EQ(m_graph.Callback().DroppedCount(), 1u);
    EXPECT_TRUE(
        m_graph.Callback().LastDropReason().startsWith(QStringLiteral("the frame is damaged")))
        << qPrintable(m_graph.Callback().LastDropReason());
    CxImage held;
    ASSERT_TRUE(m_graph.CopyHeldFrame(held));
    EXPECT_EQ(int(held.GetWidth()), DemoCamera::kWidth);
    // The page's bottom corner (stored row 0) is the desk, not grey filler.
    const uint8_t* corner = held.GetBits(2) + 3 * 3;
    EXPECT_LT(corner[0], corner[2]);
    m_graph.Shutdown();
    EXPECT_EQ(m_graph.Callback().DroppedCount(), 0u); // a new start counts afresh
}

// The live picture is decoded at the smallest scale covering the size it is
// shown at; photos and the full-frame callers get the stream's full size.
TEST_F(CaptureLaunchTest, ScaleFollowsTheShownSizeAndPhotosHaveFullResolution)
{
    WriteFrame(0, PageJpeg());
    ASSERT_TRUE(m_graph.Initialize(
        CaptureSource::Launch(QStringLiteral("multifilesrc location=%1/frames/00000.jpg loop=true "
                                             "caps=image/jpeg,framerate=30/1")
                                  .arg(m_dir.path()))));
    struct Case
    {
        int shownWidth, shownHeight, denominator;
    };
    const Case cases[] = {{320, 240, 8}, {640, 480, 4}, {1280, 960, 2}, {2592, 1944, 1}};
    m_graph.Callback().PublishShownSize(cases[0].shownWidth, cases[0].shownHeight);
    ASSERT_TRUE(m_graph.StartPreview()) << qPrintable(m_graph.FailureText());
    for (const Case& c : cases) {
        m_graph.Callback().PublishShownSize(c.shownWidth, c.shownHeight);
        // Two frames on, every frame decoded was asked at this size.
        ASSERT_TRUE(WaitForFrames(m_graph.Callback().FrameCount() + 2));
        CGrabberCallback::FrameAccess frame(m_graph.Callback());
        ASSERT_EQ(frame.image(), nullptr);
        ASSERT_NE(frame.scaled(), nullptr);
        EXPECT_EQ(frame.scaled()->denominator, c.denominator) << c.shownWidth;
        EXPECT_EQ(frame.scaled()->width, DemoCamera::kWidth / c.denominator);
        EXPECT_EQ(frame.scaled()->height, DemoCamera::kHeight / c.denominator);
        EXPECT_GE(frame.scaled()->width, c.shownWidth);
    }
    m_graph.Callback().PublishShownSize(320, 240);
    ASSERT_TRUE(WaitForFrames(m_graph.Callback().FrameCount() + 2));
    int w = 0, h = 0;
    ASSERT_TRUE(m_graph.Callback().FrameSize(w, h));
    EXPECT_EQ(w, DemoCamera::kWidth);
    EXPECT_EQ(h, DemoCamera::kHeight);

    const QString bmp = m_dir.filePath(QStringLiteral("photo.bmp"));
    ASSERT_TRUE(m_graph.SaveFrameAsBitmap(bmp));
    QFile f(bmp);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    ASSERT_EQ(b.size(), 54 + DemoCamera::kWidth * 3 * DemoCamera::kHeight);
    EXPECT_EQ(qFromLittleEndian<qint32>(b.constData() + 18), DemoCamera::kWidth);
    EXPECT_EQ(qFromLittleEndian<qint32>(b.constData() + 22), DemoCamera::kHeight);
    // The file's rows are the full decode of the held frame.
    CxImage full;
    ASSERT_TRUE(m_graph.CopyHeldFrame(full));
    const int stride = int(full.GetEffWidth());
    EXPECT_EQ(0, std::memcmp(b.constData() + 54, full.GetBits(0), size_t(stride) * 10));
    // Printing's copy is full size too.
    CxImage print;
    ASSERT_TRUE(m_graph.Callback().CopyFrameImage(print));
    EXPECT_EQ(int(print.GetWidth()), DemoCamera::kWidth);
    m_graph.Shutdown();
}

// The page frame is scaled along with the picture: model 4's A4 frame on the
// 2592 x 1944 page lands where the full-size geometry puts it.
TEST_F(CaptureLaunchTest, PageFrameIsPaintedIntoTheScaledPicture)
{
    WriteFrame(0, PageJpeg());
    ASSERT_TRUE(m_graph.Initialize(
        CaptureSource::Launch(QStringLiteral("multifilesrc location=%1/frames/00000.jpg loop=true "
                                             "caps=image/jpeg,framerate=30/1")
                                  .arg(m_dir.path()),
                              4)));
    const PageGeometry::Rect rect = PageGeometry::PageFrame(4, 2592, 1944, 297, 210);
    ASSERT_FALSE(rect.IsEmpty());
    m_graph.Callback().PublishPageFrame(2592, 1944, rect);
    m_graph.Callback().PublishShownSize(648, 486);
    ASSERT_TRUE(m_graph.StartPreview());
    ASSERT_TRUE(WaitForFrames(2));
    CGrabberCallback::FrameAccess frame(m_graph.Callback());
    ASSERT_NE(frame.scaled(), nullptr);
    const JpegFrame::ScaledFrame& f = *frame.scaled();
    ASSERT_EQ(f.denominator, 4);
    const auto pixel = [&](int x, int bottomUpRow) {
        return f.bits.data() + size_t(f.height - 1 - bottomUpRow) * size_t(f.stride) +
               size_t(x) * 4;
    };
    const auto red = [](const uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 255; };
    const int midY = (rect.top + rect.bottom) / 2 / 4;
    EXPECT_TRUE(red(pixel(rect.left / 4, midY)));
    EXPECT_TRUE(red(pixel(rect.right / 4 - 1, midY)));
    EXPECT_TRUE(red(pixel((rect.left + rect.right) / 2 / 4, rect.top / 4)));
    EXPECT_FALSE(red(pixel((rect.left + rect.right) / 2 / 4, midY)));
}

// Recorded frames come without timestamps: they are stamped from the caps'
// frame rate and played at it, not as fast as the files can be read.
TEST_F(CaptureLaunchTest, RecordedFramesPlayAtTheirFrameRate)
{
    const std::vector<uint8_t> page = PageJpeg();
    for (int i = 0; i < 10; ++i)
        WriteFrame(i, page);
    ASSERT_TRUE(m_graph.Initialize(CaptureSource::Launch(FramesLaunch(9, 20))));
    m_graph.Callback().PublishShownSize(324, 243);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_graph.StartPreview()) << qPrintable(m_graph.FailureText());
    ASSERT_TRUE(WaitForFailure()); // the end of the ten frames
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(m_graph.Callback().FrameCount(), 10u);
    // Ten frames at 20 per second: the last one is due 450 ms after the first.
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 450);
    GstSample* last = m_graph.Callback().HeldSample();
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(GST_BUFFER_PTS(gst_sample_get_buffer(last)), 9 * 50 * GST_MSECOND);
    EXPECT_EQ(GST_BUFFER_DURATION(gst_sample_get_buffer(last)), 50 * GST_MSECOND);
    gst_sample_unref(last);
}

// A recording without a frame rate plays as fast as it is read and may end
// while the pipeline starts: the start succeeds with its frames, the end is
// still reported.
TEST_F(CaptureLaunchTest, RecordingThatEndsWhileStartingKeepsItsFrames)
{
    const std::vector<uint8_t> page = PageJpeg();
    WriteFrame(0, page);
    WriteFrame(1, page);
    ASSERT_TRUE(m_graph.Initialize(CaptureSource::Launch(
        QStringLiteral("multifilesrc location=%1/frames/%05d.jpg index=0 stop-index=1 "
                       "caps=image/jpeg")
            .arg(m_dir.path()))));
    ASSERT_TRUE(m_graph.StartPreview()) << qPrintable(m_graph.FailureText());
    ASSERT_TRUE(WaitForFailure());
    EXPECT_EQ(m_graph.Callback().FrameCount(), 2u);
    EXPECT_TRUE(m_graph.FailureText().contains(QStringLiteral("stopped sending pictures")));
    CxImage held;
    EXPECT_TRUE(m_graph.CopyHeldFrame(held));
    EXPECT_EQ(int(held.GetWidth()), DemoCamera::kWidth);
}

// While a photo is developed the live frames are let go unread (neither kept
// nor counted as damaged), and they come again after it.
TEST_F(CaptureLaunchTest, LiveFramesWaitWhileAPhotoIsDeveloped)
{
    WriteFrame(0, PageJpeg());
    ASSERT_TRUE(m_graph.Initialize(
        CaptureSource::Launch(QStringLiteral("multifilesrc location=%1/frames/00000.jpg loop=true "
                                             "caps=image/jpeg,framerate=30/1")
                                  .arg(m_dir.path()))));
    ASSERT_TRUE(m_graph.StartPreview());
    ASSERT_TRUE(WaitForFrames(2));
    m_graph.Callback().PauseLive(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // a frame being kept ends
    const uint64_t paused = m_graph.Callback().FrameCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // nine frames' time
    EXPECT_EQ(m_graph.Callback().FrameCount(), paused);
    EXPECT_EQ(m_graph.Callback().DroppedCount(), 0u);
    CxImage held; // the held frame is still there for the photo
    EXPECT_TRUE(m_graph.CopyHeldFrame(held));
    m_graph.Callback().PauseLive(false);
    EXPECT_TRUE(WaitForFrames(paused + 2));
}

// A photo takes the held frame written to the temporary bitmap and the same
// rows in memory at once: for raw frames (rows padded in the file) and JPEG
// frames (decoded once, at full size) the image kept is exactly what loading
// the file gives; a file that cannot be written leaves no image.
TEST_F(CaptureLaunchTest, HeldFrameWrittenAndKeptAreTheSameRows)
{
    struct Case
    {
        const char* launch;
        int width, height;
    };
    const Case cases[] = {
        {"videotestsrc pattern=smpte ! video/x-raw,format=BGR,width=322,height=97", 322, 97},
        {"videotestsrc pattern=smpte ! video/x-raw,width=321,height=240 ! jpegenc", 321, 240},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.launch);
        ASSERT_TRUE(m_graph.Initialize(CaptureSource::Launch(QString::fromLatin1(c.launch))));
        const uint64_t before = m_graph.Callback().FrameCount(); // counted on across sources
        ASSERT_TRUE(m_graph.StartPreview()) << qPrintable(m_graph.FailureText());
        ASSERT_TRUE(WaitForFrames(before + 2));
        const QString bmp = m_dir.filePath(QStringLiteral("held.bmp"));
        CxImage kept;
        QString error;
        ASSERT_TRUE(m_graph.SaveFrameAsBitmap(bmp, kept, &error)) << qPrintable(error);
        ASSERT_EQ(int(kept.GetWidth()), c.width);
        ASSERT_EQ(int(kept.GetHeight()), c.height);
        ASSERT_EQ(kept.GetBpp(), 24u);
        CxImage loaded;
        ASSERT_TRUE(loaded.Load(QFile::encodeName(bmp).toStdString(), CXIMAGE_FORMAT_BMP));
        ASSERT_EQ(loaded.GetEffWidth(), kept.GetEffWidth());
        ASSERT_EQ(loaded.GetHeight(), kept.GetHeight());
        EXPECT_EQ(0, std::memcmp(loaded.GetBits(0), kept.GetBits(0),
                                 size_t(kept.GetEffWidth()) * kept.GetHeight()));
        // Not a blank picture: the pattern's colours are there.
        EXPECT_NE(0, std::memcmp(kept.GetBits(0), kept.GetBits(kept.GetHeight() / 2),
                                 size_t(c.width) * 3));

        EXPECT_FALSE(m_graph.SaveFrameAsBitmap(m_dir.path(), kept, &error));
        EXPECT_EQ(error, QStringLiteral("cannot write %1: Is a directory").arg(m_dir.path()));
        EXPECT_FALSE(kept.IsValid());
        m_graph.Shutdown();
    }
    CxImage none;
    EXPECT_FALSE(m_graph.SaveFrameAsBitmap(m_dir.filePath(QStringLiteral("none.bmp")), none));
}
