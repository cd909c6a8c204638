// How the capture view paints: repaints are paced by its timer, not by the
// frames; a source whose pictures cannot be kept paints black and keeps the
// timer going; at fit size the picture fills a window of any shape.

#include "QtTestRegistry.h"
#include "capture_view/ui/CVideoView.h"

#include <QElapsedTimer>
#include <QTest>
#include <gst/gst.h>
#include <vector>

// Notes when the watched widget is painted.
class PaintLog : public QObject
{
public:
    explicit PaintLog(QWidget* w)
    {
        w->installEventFilter(this);
        m_clock.start();
    }
    int count() const { return int(m_at.size()); }
    qint64 at(int i) const { return m_at[size_t(i)]; }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            m_at.push_back(m_clock.elapsed());
        return false;
    }

private:
    QElapsedTimer m_clock;
    std::vector<qint64> m_at;
};

class TestVideoViewPainting : public QObject
{
    Q_OBJECT
    CScrivaDoc m_doc;

private slots:
    void initTestCase() { gst_init(nullptr, nullptr); }

    // Frames arrive at 30 per second, but each paint re-arms one 100 ms
    // single shot: paints never come closer than the timer allows and never
    // queue up.
    void repaintsArePacedByTheTimerNotByTheFrames()
    {
        CVideoView view(m_doc);
        view.SetCaptureSource(CaptureSource::Custom(
            QStringLiteral("videotestsrc is-live=true ! "
                           "video/x-raw,format=BGR,width=160,height=120,framerate=30/1"
                           " ! appsink name=sink sync=false")));
        view.resize(200, 150);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        PaintLog log(view.viewport());
        QVERIFY(view.StartCapture());
        QTRY_VERIFY_WITH_TIMEOUT(log.count() >= 8, 20000);
        // Qt's coarse timers may fire up to 5 % early; a slow machine only
        // makes the gaps longer.
        for (int i = 3; i < 8; ++i)
            QVERIFY2(log.at(i) - log.at(i - 1) >= 94,
                     qPrintable(QStringLiteral("paint %1 came %2 ms after the previous one")
                                    .arg(i)
                                    .arg(log.at(i) - log.at(i - 1))));
    }

    // A running source whose pictures cannot be kept (not 24-bit BGR): no
    // frame image exists, the view paints black and keeps its timer going.
    void noPictureYetKeepsTheTimerGoing()
    {
        CVideoView view(m_doc);
        view.SetCaptureSource(CaptureSource::Custom(
            QStringLiteral("videotestsrc is-live=true pattern=white ! "
                           "video/x-raw,format=RGBx,width=64,height=48,framerate=15/1"
                           " ! appsink name=sink sync=false")));
        view.SetStallLimitMs(60000);
        view.resize(200, 150);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        PaintLog log(view.viewport());
        QVERIFY(view.StartCapture());
        QTRY_VERIFY_WITH_TIMEOUT(log.count() >= 4, 20000);
        QCOMPARE(view.Graph().Callback().FrameCount(), 0u);
        QVERIFY(view.IsCapturing());
        QCOMPARE(view.viewport()->grab().toImage().pixel(100, 75), qRgb(0, 0, 0));
    }

    // At zoom 1.0 the frame is stretched to the whole client area, whatever
    // the shapes of picture and window: no black bars.
    void fitFillsAWindowOfAnotherShape()
    {
        for (const QSize size : {QSize(300, 300), QSize(500, 120)}) {
            CVideoView view(m_doc);
            view.SetCaptureSource(CaptureSource::Custom(
                QStringLiteral("videotestsrc is-live=true pattern=white ! "
                               "video/x-raw,format=BGR,width=320,height=180,framerate=15/1"
                               " ! appsink name=sink sync=false")));
            view.resize(size);
            view.show();
            QVERIFY(view.StartCapture());
            QTRY_VERIFY_WITH_TIMEOUT(view.Graph().Callback().FrameCount() > 1, 10000);
            const QImage shot = view.viewport()->grab().toImage();
            QCOMPARE(shot.size(), size);
            for (int y = 0; y < shot.height(); y += 7)
                for (int x = 0; x < shot.width(); x += 7)
                    QCOMPARE(shot.pixel(x, y), qRgb(255, 255, 255));
            QCOMPARE(shot.pixel(size.width() - 1, size.height() - 1), qRgb(255, 255, 255));
        }
    }
};

SCRIVA_QTEST(TestVideoViewPainting)
#include "test_CVideoViewPainting.moc"
