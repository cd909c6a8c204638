// The capture view with real pipelines: the demo page appears upright with
// its red page frame, zoom and panning follow their limits, the fit and
// actual-size commands toggle, and a source that fails to start or ends
// takes the failure path.

#include "QtTestRegistry.h"
#include "capture_view/ui/CVideoView.h"
#include "config/CConfigFile.h"
#include "config/CommandIds.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gst/gst.h>

class TestVideoView : public QObject
{
    Q_OBJECT
    CScrivaDoc m_doc;
    CConfigFile m_config;

    static bool IsRed(QRgb c) { return qRed(c) == 255 && qGreen(c) == 0 && qBlue(c) == 0; }

private slots:
    void initTestCase()
    {
        gst_init(nullptr, nullptr);
        qunsetenv("SCRIVA_CAMERA");
        qunsetenv("SCRIVA_CAMERA_MODEL");
        QVERIFY(m_config.SetString(QStringLiteral("sizePicture"), QStringLiteral("A4"),
                                   QStringLiteral("TAKE_PHOTOS_SET")));
        QVERIFY(m_config.SetString(QStringLiteral("A4"), QStringLiteral("297, 210"),
                                   QStringLiteral("PAGE_SIZE")));
    }

    void sourceThatFailsToStartGivesTheFailurePath()
    {
        qputenv("SCRIVA_CAMERA", "none");
        {
            CVideoView view(m_doc);
            view.SetSettings(&m_config);
            QVERIFY(!view.StartCapture());
            QVERIFY(!view.IsCapturing());
            QVERIFY(!view.Graph().IsInitialized());
        }
        qunsetenv("SCRIVA_CAMERA");
        CVideoView view(m_doc);
        view.SetCaptureSource(CaptureSource::Custom(QStringLiteral(
            "filesrc location=/nonexistent/frames.raw ! rawvideoparse width=64 height=48 format=bgr"
            " ! appsink name=sink")));
        QVERIFY(!view.StartCapture());
        QVERIFY(!view.IsCapturing());
        QVERIFY(!view.Graph().IsInitialized());
    }

    void demoPageShowsUprightWithItsRedFrame()
    {
        qputenv("SCRIVA_CAMERA", "demo"); // chosen the way the program chooses it
        CVideoView view(m_doc);
        view.SetSettings(&m_config);
        view.resize(1296, 972);
        view.show();
        QVERIFY(view.StartCapture());
        qunsetenv("SCRIVA_CAMERA");
        QCOMPARE(view.Graph().CameraModel(), 4);
        QTRY_VERIFY_WITH_TIMEOUT(view.Graph().Callback().FrameCount() > 3, 10000);
        QCOMPARE(view.viewport()->size(), QSize(1296, 972)); // no scroll bars at fit
        const QImage shot = view.viewport()->grab().toImage();
        // Half scale: the left band (frame columns 615-618) at x 308, the band
        // counted from the buffer's first row (rows 35-38) near the picture's bottom.
        QVERIFY(IsRed(shot.pixel(308, 486)));
        QVERIFY(IsRed(shot.pixel(600, 953)));
        QVERIFY(!IsRed(shot.pixel(320, 486)));
        QVERIFY(!IsRed(shot.pixel(600, 940)));
        const QRgb page = shot.pixel(648, 486); // the middle of the page
        QVERIFY(qRed(page) > 200 && qGreen(page) > 200 && qBlue(page) > 200);
        const QRgb desk = shot.pixel(5, 5);
        QVERIFY(qRed(desk) < 120 && qGreen(desk) < 90 && qBlue(desk) < 70);
    }

    void zoomStaysWithinItsLimitsAndKeepsThePoint()
    {
        CVideoView view(m_doc);
        view.resize(400, 300);
        view.show();
        view.ZoomOut(0, 0);
        QCOMPARE(view.Zoom(), 1.0f);
        view.ZoomIn(200, 150);
        QVERIFY(qAbs(view.Zoom() - 1.1f) < 1e-6f);
        const int vw = view.viewport()->width();
        QCOMPARE(view.horizontalScrollBar()->maximum(), int(vw * view.Zoom()) - vw);
        // The point under the cursor stays: (1.1 / 1.0) * (200 + 0) - 200 = 20.
        QCOMPARE(view.horizontalScrollBar()->value(), 20);
        for (int i = 0; i < 100; ++i)
            view.ZoomIn(0, 0);
        QCOMPARE(view.Zoom(), 10.0f);
        for (int i = 0; i < 200; ++i)
            view.ZoomOut(0, 0);
        QCOMPARE(view.Zoom(), 1.0f);
        QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
    }

    void wheelTowardTheUserZoomsIn()
    {
        CVideoView view(m_doc);
        view.resize(400, 300);
        view.show();
        QWheelEvent in(QPointF(10, 10), view.mapToGlobal(QPointF(10, 10)), QPoint(),
                       QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view.viewport(), &in);
        QVERIFY(qAbs(view.Zoom() - 1.1f) < 1e-6f);
        QWheelEvent half(QPointF(10, 10), view.mapToGlobal(QPointF(10, 10)), QPoint(),
                         QPoint(0, 60), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view.viewport(), &half);
        QVERIFY(qAbs(view.Zoom() - 1.1f) < 1e-6f); // half a notch: no step yet
        QCoreApplication::sendEvent(view.viewport(), &half);
        QVERIFY(qAbs(view.Zoom() - 1.0f) < 1e-6f);
    }

    void panningMovesOnlyAxesLargerThanTheView()
    {
        CVideoView view(m_doc);
        view.resize(400, 300);
        view.show();
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, QPoint(100, 100));
        QMouseEvent move(QEvent::MouseMove, QPointF(50, 60),
                         view.viewport()->mapToGlobal(QPointF(50, 60)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &move);
        QCOMPARE(view.horizontalScrollBar()->value(), 0);
        QCOMPARE(view.verticalScrollBar()->value(), 0);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, QPoint(50, 60));

        for (int i = 0; i < 10; ++i)
            view.ZoomIn(0, 0);
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, QPoint(100, 100));
        QCoreApplication::sendEvent(view.viewport(), &move);
        QCOMPARE(view.horizontalScrollBar()->value(), 50);
        QCOMPARE(view.verticalScrollBar()->value(), 40);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, QPoint(50, 60));
    }

    void fitAndActualSizeToggle()
    {
        CVideoView view(m_doc);
        QCOMPARE(view.FitMode(), 1);
        QCOMPARE(*view.OnUpdateCommand(scriva::cmd::kFit), CommandState::Checked(false, true));
        QCOMPARE(*view.OnUpdateCommand(scriva::cmd::kActualSize),
                 CommandState::Checked(true, false));
        QVERIFY(view.OnCommand(scriva::cmd::kActualSize));
        QCOMPARE(view.FitMode(), 0);
        QCOMPARE(*view.OnUpdateCommand(scriva::cmd::kFit), CommandState::Checked(true, false));
        QCOMPARE(*view.OnUpdateCommand(scriva::cmd::kActualSize),
                 CommandState::Checked(false, true));
        QVERIFY(view.OnCommand(scriva::cmd::kFit));
        QCOMPARE(view.FitMode(), 1);
        QVERIFY(view.OnCommand(scriva::cmd::kZoomIn));
        QVERIFY(view.Zoom() > 1.0f);
        // The view takes the photos; 32800 is not its command.
        QVERIFY(view.OnUpdateCommand(scriva::cmd::kTakePhoto)->enabled);
        QVERIFY(!view.OnUpdateCommand(32800).has_value());
        // The demo camera has no controls: nothing is shown, nothing blocks.
        QVERIFY(view.OnCommand(scriva::cmd::kDeviceProperties));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void cameraThatStopsSendingTakesTheFailurePath()
    {
        CVideoView view(m_doc);
        view.SetCaptureSource(CaptureSource::Custom(QStringLiteral(
            "videotestsrc is-live=true ! video/x-raw,format=BGR,width=64,height=48,framerate=1/30"
            " ! appsink name=sink sync=false"))); // one picture, then silence
        view.SetStallLimitMs(600);
        view.resize(200, 150);
        view.show();
        QSignalSpy failed(&view, &CVideoView::captureFailed);
        QVERIFY(view.StartCapture());
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 10000);
        QVERIFY(failed.first().at(0).toString().contains(QStringLiteral("stopped sending")));
        QVERIFY(!view.IsCapturing());
        QVERIFY(!view.Graph().IsInitialized());
    }

    void cameraThatEndsTakesTheFailurePath()
    {
        CVideoView view(m_doc);
        view.SetCaptureSource(CaptureSource::Custom(
            QStringLiteral("videotestsrc is-live=true num-buffers=5 ! "
                           "video/x-raw,format=BGR,width=64,height=48,framerate=30/1"
                           " ! appsink name=sink sync=false")));
        view.resize(200, 150);
        view.show();
        QSignalSpy failed(&view, &CVideoView::captureFailed);
        QVERIFY(view.StartCapture());
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 10000);
        QVERIFY(!view.IsCapturing());
        QVERIFY(!failed.first().at(0).toString().isEmpty());
        // Started again, the same view runs a working source.
        view.SetCaptureSource(CaptureSource::Test());
        QVERIFY(view.StartCapture());
        QTRY_VERIFY_WITH_TIMEOUT(view.Graph().Callback().FrameCount() > 0, 10000);
    }
};

SCRIVA_QTEST(TestVideoView)
#include "test_CVideoView.moc"
