// The capture view on a compressed (JPEG) stream played by a launch
// description: the picture is decoded at the scale the view shows it at and
// follows the zoom, it shows the page like the demo camera's raw frames do,
// end of stream stops the camera as an unplugged one does, and damaged frames
// are counted in the view's camera status.

#include "QtTestRegistry.h"
#include "TestWindowServices.h"
#include "capture/DemoCamera.h"
#include "capture_view/ui/CVideoView.h"
#include "config/CConfigFile.h"
#include "config/CommandIds.h"
#include "image/cximage/CxImage.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gst/gst.h>
#include <vector>

class TestCVideoViewStreams : public QObject
{
    Q_OBJECT
    CScrivaDoc m_doc;
    CConfigFile m_config;
    QTemporaryDir m_dir;

    // The demo camera's page as JPEG frame `index` of the frames folder.
    void WriteFrame(int index, qsizetype cutTo = -1)
    {
        CxImage page;
        page.Copy(DemoCamera::Picture());
        std::vector<uint8_t> bytes;
        QVERIFY(page.Encode(bytes, CXIMAGE_FORMAT_JPG));
        QDir().mkpath(m_dir.filePath(QStringLiteral("frames")));
        QFile f(
            m_dir.filePath(QStringLiteral("frames/%1.jpg").arg(index, 5, 10, QLatin1Char('0'))));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()),
                cutTo >= 0 ? cutTo : qint64(bytes.size()));
    }

    static int Denominator(const CVideoView& view)
    {
        CGrabberCallback::FrameAccess frame(view.Graph().Callback());
        return frame.scaled() ? frame.scaled()->denominator : 0;
    }

    static bool FramesPassed(const CVideoView& view, uint64_t from, uint64_t count)
    {
        return view.Graph().Callback().FrameCount() >= from + count;
    }

    // Shows `view` at `size` on JPEG files of the frames folder: `files` is the
    // rest of the multifilesrc description after the folder, `fps` the rate.
    void ShowOnFrames(CVideoView& view, const char* files, int fps, QSize size)
    {
        view.SetSettings(&m_config);
        view.SetCaptureSource(CaptureSource::Launch(
            QStringLiteral("multifilesrc location=%1/frames/%2 caps=image/jpeg,framerate=%3/1")
                .arg(m_dir.path(), QLatin1String(files), QString::number(fps))));
        view.resize(size);
        view.show();
    }

private slots:
    void initTestCase()
    {
        gst_init(nullptr, nullptr);
        QVERIFY(m_dir.isValid());
    }

    void jpegStreamIsDecodedAtTheShownScaleAndFollowsTheZoom()
    {
        WriteFrame(0);
        CVideoView view(m_doc);
        ShowOnFrames(view, "00000.jpg loop=true", 15, QSize(640, 480));
        QVERIFY2(view.StartCapture(), qPrintable(view.FailureReason()));
        // 2592 x 1944 shown in about 640 x 480: a quarter covers it.
        QTRY_VERIFY_WITH_TIMEOUT(FramesPassed(view, 0, 3), 20000);
        const QSize shown = view.viewport()->size();
        const int expected = JpegFrame::ChooseScale(2592, 1944, shown.width(), shown.height());
        QCOMPARE(expected, 4);
        QCOMPARE(Denominator(view), expected);
        // The painted picture is the page on the desk, as from the raw demo camera.
        const QImage shot = view.viewport()->grab().toImage();
        const QRgb middle = shot.pixel(shot.width() / 2, shot.height() / 2);
        const QRgb corner = shot.pixel(4, shot.height() - 4);
        QVERIFY(qGray(middle) > 170);
        QVERIFY(qGray(corner) < 100);

        // Zoomed so far that the picture is larger than the frame: full size.
        for (int i = 0; i < 100; ++i)
            view.ZoomIn(0, 0);
        uint64_t from = view.Graph().Callback().FrameCount();
        QTRY_VERIFY_WITH_TIMEOUT(FramesPassed(view, from, 2), 20000);
        QCOMPARE(Denominator(view), 1);
        for (int i = 0; i < 100; ++i)
            view.ZoomOut(0, 0);
        from = view.Graph().Callback().FrameCount();
        QTRY_VERIFY_WITH_TIMEOUT(FramesPassed(view, from, 2), 20000);
        QCOMPARE(Denominator(view), 4);
        // A photo, printing and the held frame are the stream's full size.
        CxImage held;
        QVERIFY(view.Graph().CopyHeldFrame(held));
        QCOMPARE(int(held.GetWidth()), 2592);
        CxImage print;
        QVERIFY(view.Graph().Callback().CopyFrameImage(print));
        QCOMPARE(int(print.GetHeight()), 1944);
    }

    void endOfStreamStopsTheCameraAndDamagedFramesAreCounted()
    {
        QDir(m_dir.filePath(QStringLiteral("frames"))).removeRecursively();
        WriteFrame(0);
        WriteFrame(1, 20000); // cut short
        WriteFrame(2);
        CVideoView view(m_doc);
        ShowOnFrames(view, "%05d.jpg index=0 stop-index=2", 15, QSize(400, 300));
        TestWindowServices window;
        window.texts = [](int id) {
            return id == scriva::str::kDamagedFramesDropped
                       ? QStringLiteral("%1 damaged camera pictures were skipped")
                       : QString();
        };
        view.Photos().SetWindow(window);
        QSignalSpy failed(&view, &CVideoView::captureFailed);
        QVERIFY2(view.StartCapture(), qPrintable(view.FailureReason()));
        QCOMPARE(view.CameraStatus(), QString());
        // The end of the three frames stops the camera as an unplugged one.
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 20000);
        QVERIFY(!view.IsCapturing());
        QVERIFY2(view.FailureReason().contains(QStringLiteral("stopped sending pictures")),
                 qPrintable(view.FailureReason()));
        // The damaged middle frame was skipped and counted; the status says so.
        QCOMPARE(view.DroppedFrames(), uint64_t(1));
        QCOMPARE(view.CameraStatus(), QStringLiteral("1 damaged camera pictures were skipped"));
        QCOMPARE(view.toolTip(), view.CameraStatus());
    }

    // A camera whose every picture is damaged fails after the stall limit
    // with the decoder's reason, not as one that sends nothing.
    void cameraSendingOnlyDamagedPicturesSaysWhy()
    {
        QDir(m_dir.filePath(QStringLiteral("frames"))).removeRecursively();
        WriteFrame(0, 5000);
        CVideoView view(m_doc);
        view.SetStallLimitMs(500);
        ShowOnFrames(view, "00000.jpg loop=true", 30, QSize(400, 300));
        QSignalSpy failed(&view, &CVideoView::captureFailed);
        QVERIFY2(view.StartCapture(), qPrintable(view.FailureReason()));
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 20000);
        QCOMPARE(view.Graph().Callback().FrameCount(), uint64_t(0));
        QVERIFY(view.DroppedFrames() > 0);
        QVERIFY2(view.FailureReason().startsWith(
                     QStringLiteral("no picture of the camera could be shown for 0.5 s: the "
                                    "frame is damaged: ")),
                 qPrintable(view.FailureReason()));
    }
};

SCRIVA_QTEST(TestCVideoViewStreams)
#include "test_CVideoViewStreams.moc"
