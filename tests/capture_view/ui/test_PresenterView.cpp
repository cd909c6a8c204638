// Presenter panes: the transform between page and widget (turns, fit, zoom
// about a point, panning that never opens a margin), the sampler that paints
// a frame through it (checked against Qt's own turning and scaling of the
// same picture), and a pane and window over a running test pattern: keys,
// wheel and drag, a frozen picture that holds while frames keep coming, the
// turned picture, the photo beside it and a drawing layer in page coordinates.

#include "QtTestRegistry.h"
#include "capture/CCaptureGraph.h"
#include "capture_view/ui/PictureSampler.h"
#include "capture_view/ui/PresenterTransform.h"
#include "capture_view/ui/PresenterView.h"
#include "capture_view/ui/PresenterWindow.h"
#include "config/CommandIds.h"

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <QWheelEvent>
#include <gst/gst.h>
#include <vector>

namespace {

// A 3 x 2 picture of six colours.
QImage SixColours()
{
    QImage img(3, 2, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(0, 0, 255),
                            qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 0, 255)};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            img.setPixel(x, y, colours[y * 3 + x]);
    return img;
}

// The same picture as bottom-up 24-bit rows (stride padded to 4 bytes).
std::vector<uint8_t> BottomUp24(const QImage& img, int& stride)
{
    stride = (img.width() * 3 + 3) & ~3;
    std::vector<uint8_t> bits(size_t(stride * img.height()), 0);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            uint8_t* p = bits.data() + (img.height() - 1 - y) * stride + x * 3;
            const QRgb c = img.pixel(x, y);
            p[0] = uint8_t(qBlue(c));
            p[1] = uint8_t(qGreen(c));
            p[2] = uint8_t(qRed(c));
        }
    return bits;
}

// A moving test pattern: each frame differs from the one before.
CaptureSource MovingPattern(int width, int height)
{
    return CaptureSource::Custom(
        QStringLiteral("videotestsrc is-live=true pattern=smpte horizontal-speed=7 ! "
                       "video/x-raw,format=BGR,width=%1,height=%2,framerate=30/1"
                       " ! appsink name=sink sync=false max-buffers=2 drop=true")
            .arg(width)
            .arg(height));
}

// The picture shown at a widget point, as the frame itself has it there.
QRgb FramePixelAt(const CxImage& frame, const PresenterTransform& t, QPointF widget)
{
    const QPointF page = t.WidgetToPage(widget);
    const int x = int(page.x());
    const int y = int(page.y());
    const RGBQUAD c = frame.GetPixelColor(x, int(frame.GetHeight()) - 1 - y);
    return qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

// Draws a red box around one page pixel area and takes the mouse.
class BoxOverlay : public IPresenterOverlay
{
public:
    QRectF box;
    QList<QPointF> pressed; // in page coordinates
    void Paint(QPainter& painter, const PresenterTransform&) override
    {
        painter.fillRect(box, QColor(255, 0, 0));
    }
    bool MousePress(QMouseEvent* event, const PresenterTransform& t) override
    {
        pressed << t.WidgetToPage(event->position());
        return true;
    }
};

} // namespace

class TestPresenterView : public QObject
{
    Q_OBJECT

    static bool Near(QPointF a, QPointF b) { return QLineF(a, b).length() < 1e-6; }

private slots:
    void initTestCase() { gst_init(nullptr, nullptr); }

    void turnsPutThePageCornersWhereTheyBelong_data()
    {
        QTest::addColumn<int>("turn");
        QTest::addColumn<QPointF>("topLeftGoes");
        QTest::addColumn<QSize>("turned");
        // A 400 x 200 frame in a 400 x 400 widget.
        QTest::newRow("0") << 0 << QPointF(0, 100) << QSize(400, 200);
        QTest::newRow("90") << 90 << QPointF(300, 0) << QSize(200, 400);
        QTest::newRow("180") << 180 << QPointF(400, 300) << QSize(400, 200);
        QTest::newRow("270") << 270 << QPointF(100, 400) << QSize(200, 400);
        QTest::newRow("-90 is 270") << -90 << QPointF(100, 400) << QSize(200, 400);
    }
    void turnsPutThePageCornersWhereTheyBelong()
    {
        QFETCH(int, turn);
        QFETCH(QPointF, topLeftGoes);
        QFETCH(QSize, turned);
        PresenterTransform t;
        t.SetFrameSize(QSize(400, 200));
        t.SetWidgetSize(QSize(400, 400));
        t.SetTurn(turn);
        QCOMPARE(t.TurnedSize(), turned);
        QVERIFY(t.IsFit());
        QCOMPARE(t.Zoom(), 1.0);
        QVERIFY2(Near(t.PageToWidget(QPointF(0, 0)), topLeftGoes),
                 qPrintable(QStringLiteral("%1,%2")
                                .arg(t.PageToWidget({0, 0}).x())
                                .arg(t.PageToWidget({0, 0}).y())));
        // The picture is centred and the mapping goes both ways.
        QCOMPARE(t.PictureRect().center(), QPointF(200, 200));
        for (const QPointF p : {QPointF(0, 0), QPointF(400, 200), QPointF(123.5, 77.25)})
            QVERIFY(Near(t.WidgetToPage(t.PageToWidget(p)), p));
        QCOMPARE(t.PageToWidgetMatrix().map(QPointF(200, 100)), QPointF(200, 200));
    }

    void zoomKeepsThePointUnderTheCursorAndPanningOpensNoMargin()
    {
        PresenterTransform t;
        t.SetFrameSize(QSize(1000, 500));
        t.SetWidgetSize(QSize(500, 500)); // fit: 0.5, picture 500 x 250, centred
        QCOMPARE(t.Zoom(), 0.5);
        QCOMPARE(t.Pan(), QPointF(0, 125));
        const QPointF cursor(100, 250);
        const QPointF page = t.WidgetToPage(cursor);
        t.ZoomIn(cursor);
        QVERIFY(!t.IsFit());
        QCOMPARE(t.Zoom(), 0.5 * PresenterTransform::kZoomStep);
        QVERIFY(Near(t.PageToWidget(page), cursor));
        // 100 %: the picture is 1000 x 500 and covers the widget.
        t.SetZoom(1.0, cursor);
        QVERIFY(Near(t.PageToWidget(page), cursor));
        t.PanBy(QPointF(10000, 10000));
        QCOMPARE(t.Pan(), QPointF(0, 0)); // the top-left corner at most
        t.PanBy(QPointF(-10000, -10000));
        QCOMPARE(t.Pan(), QPointF(-500, 0)); // the bottom-right corner at most
        // Zooming out never goes below fit; zooming in stops at the limit.
        for (int i = 0; i < 40; ++i)
            t.ZoomOut(cursor);
        QCOMPARE(t.Zoom(), 0.5);
        QCOMPARE(t.Pan(), QPointF(0, 125));
        for (int i = 0; i < 40; ++i)
            t.ZoomIn(cursor);
        QCOMPARE(t.Zoom(), PresenterTransform::kMaxZoom);
        t.Fit();
        QCOMPARE(t.Zoom(), 0.5);
        // A picture smaller than the widget zooms down to 1:1 only.
        t.SetFrameSize(QSize(100, 50));
        QCOMPARE(t.FitZoom(), 5.0);
        QCOMPARE(t.MinZoom(), 1.0);
    }

    void samplerMatchesQtsTurningAndScaling_data()
    {
        QTest::addColumn<int>("turn");
        QTest::addColumn<bool>("compressed");
        for (int turn : {0, 90, 180, 270}) {
            QTest::addRow("%d raw", turn) << turn << false;
            QTest::addRow("%d decoded", turn) << turn << true;
        }
    }
    void samplerMatchesQtsTurningAndScaling()
    {
        QFETCH(int, turn);
        QFETCH(bool, compressed);
        const QImage picture = SixColours();
        // Reference: Qt turns the picture and enlarges it four times.
        const QImage turned = picture.transformed(QTransform().rotate(turn));
        const QImage expected =
            turned.scaled(turned.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                .convertToFormat(QImage::Format_RGB32);
        PresenterTransform t;
        // The frame is 30 x 20 page pixels; the source holds it at a tenth
        // (as a compressed frame decoded reduced would).
        t.SetFrameSize(QSize(30, 20));
        t.SetTurn(turn);
        t.SetWidgetSize(expected.size());
        QCOMPARE(t.Zoom(), 0.4);
        PictureSampler sampler;
        QImage out;
        if (compressed) {
            out = sampler.Sample(picture.constBits(), int(picture.bytesPerLine()),
                                 PictureSampler::Rows::TopDown32, 3, 2, t);
        } else {
            int stride = 0;
            const auto bits = BottomUp24(picture, stride);
            out = sampler.Sample(bits.data(), stride, PictureSampler::Rows::BottomUp24, 3, 2, t);
        }
        QCOMPARE(out.size(), expected.size());
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                QVERIFY2(out.pixel(x, y) == expected.pixel(x, y),
                         qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
    }

    void samplerPaintsBlackBesideAndOnlyTheVisiblePartWhenZoomed()
    {
        const QImage picture = SixColours();
        PresenterTransform t;
        t.SetFrameSize(QSize(3, 2));
        t.SetWidgetSize(QSize(12, 12)); // fit 4: 12 x 8, 2 rows of black above and below
        PictureSampler sampler;
        const QImage& fit = sampler.Sample(picture.constBits(), int(picture.bytesPerLine()),
                                           PictureSampler::Rows::TopDown32, 3, 2, t);
        QCOMPARE(fit.pixel(5, 0), qRgb(0, 0, 0));
        QCOMPARE(fit.pixel(0, 2), qRgb(255, 0, 0));
        QCOMPARE(fit.pixel(11, 9), qRgb(255, 0, 255));
        QCOMPARE(fit.pixel(5, 11), qRgb(0, 0, 0));
        // Zoom 8 about the bottom-right: only the magenta pixel is seen there.
        t.SetZoom(8.0, QPointF(12, 10));
        t.PanBy(QPointF(-1000, -1000));
        const QImage& zoomed = sampler.Sample(picture.constBits(), int(picture.bytesPerLine()),
                                              PictureSampler::Rows::TopDown32, 3, 2, t);
        QCOMPARE(zoomed.pixel(11, 11), qRgb(255, 0, 255));
        QCOMPARE(zoomed.pixel(4, 4), qRgb(255, 0, 255));
        QCOMPARE(zoomed.pixel(3, 3), qRgb(0, 255, 0)); // the pixel above-left of it
    }

    // The window over a running camera, driven by keys, wheel and mouse.
    void windowShowsFreezesZoomsAndTurnsTheLivePicture()
    {
        CCaptureGraph graph;
        QVERIFY(graph.Initialize(MovingPattern(640, 480)));
        QVERIFY(graph.StartPreview());
        PresenterWindow window;
        window.resize(480, 360);
        window.LiveView()->SetLive(&graph);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PresenterView* live = window.LiveView();
        QTRY_VERIFY_WITH_TIMEOUT(graph.Callback().FrameCount() > 2 && live->PaintCount() > 1,
                                 10000);
        QCOMPARE(live->Transform().FrameSize(), QSize(640, 480));
        QCOMPARE(live->Transform().Zoom(), 0.75); // fit

        // Space freezes: the picture holds while frames keep coming.
        QTest::keyClick(&window, Qt::Key_Space);
        QVERIFY(live->IsFrozen());
        const CxImage& frozen = live->FrozenFrame();
        QCOMPARE(int(frozen.GetWidth()), 640); // the full frame
        const QImage first = live->grab().toImage();
        const uint64_t frames = graph.Callback().FrameCount();
        QTRY_VERIFY_WITH_TIMEOUT(graph.Callback().FrameCount() > frames + 3, 10000);
        live->repaint();
        QCOMPARE(live->grab().toImage(), first);
        // What is shown is the frozen frame, point by point.
        for (const QPointF at : {QPointF(10, 10), QPointF(240, 180), QPointF(470, 350)})
            QCOMPARE(first.pixel(at.toPoint()), FramePixelAt(frozen, live->Transform(), at));
        // Space again: the live picture moves on.
        QTest::keyClick(&window, Qt::Key_Space);
        QVERIFY(!live->IsFrozen());
        QTRY_VERIFY_WITH_TIMEOUT(live->grab().toImage() != first, 10000);

        // 1: 100 %; the wheel zooms about the cursor; 0: fit again.
        QTest::keyClick(&window, Qt::Key_1);
        QCOMPARE(live->Transform().Zoom(), 1.0);
        const QPointF cursor(100, 80);
        const QPointF page = live->Transform().WidgetToPage(cursor);
        QWheelEvent wheel(cursor, live->mapToGlobal(cursor), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(live, &wheel);
        QCOMPARE(live->Transform().Zoom(), PresenterTransform::kZoomStep);
        QVERIFY(QLineF(live->Transform().PageToWidget(page), cursor).length() < 1e-6);
        QTest::keyClick(&window, Qt::Key_Minus);
        QCOMPARE(live->Transform().Zoom(), 1.0);
        // A drag moves the picture with the mouse.
        const QPointF before = live->Transform().Pan();
        QTest::mousePress(live, Qt::LeftButton, {}, QPoint(200, 200));
        QTest::mouseMove(live, QPoint(180, 190));
        QTest::mouseRelease(live, Qt::LeftButton, {}, QPoint(180, 190));
        QCOMPARE(live->Transform().Pan(), before + QPointF(-20, -10));
        QTest::keyClick(&window, Qt::Key_0);
        QVERIFY(live->Transform().IsFit());

        // R turns a quarter clockwise: the frame's top-left is now top-right.
        QTest::keyClick(&window, Qt::Key_R);
        QCOMPARE(window.Turn(), 90);
        QCOMPARE(live->Transform().TurnedSize(), QSize(480, 640));
        QTest::keyClick(&window, Qt::Key_Space); // frozen, to compare with a still frame
        const QImage turned = live->grab().toImage();
        const QRectF shown = live->Transform().PictureRect();
        QVERIFY(QLineF(live->Transform().PageToWidget(QPointF(0, 0)), shown.topRight()).length() <
                1e-6);
        for (const QPointF at :
             {shown.topLeft() + QPointF(2, 2), shown.center(), shown.bottomRight() - QPointF(2, 2)})
            QCOMPARE(turned.pixel(at.toPoint()),
                     FramePixelAt(live->FrozenFrame(), live->Transform(), at));
        QCOMPARE(turned.pixel(5, 5), qRgb(0, 0, 0)); // beside the turned picture

        // A drawing layer paints in page coordinates and takes the mouse.
        BoxOverlay overlay;
        overlay.box = QRectF(100, 100, 20, 20);
        live->SetOverlay(&overlay);
        const QPointF boxCentre = live->Transform().PageToWidget(QPointF(110, 110));
        QCOMPARE(live->grab().toImage().pixel(boxCentre.toPoint()), qRgb(255, 0, 0));
        const QPointF before2 = live->Transform().Pan();
        QTest::mousePress(live, Qt::LeftButton, {}, boxCentre.toPoint());
        QCOMPARE(live->Transform().Pan(), before2); // no panning
        QCOMPARE(overlay.pressed.size(), 1);
        QVERIFY(QLineF(overlay.pressed[0], QPointF(110, 110)).length() < 1.0);
        QTest::mouseRelease(live, Qt::LeftButton, {}, boxCentre.toPoint());
        live->SetOverlay(nullptr);

        // Esc leaves: without a program around, the window hands out nothing.
        int asked = 0;
        window.SetDispatcher([&](int id) {
            asked = id;
            return true;
        });
        QTest::keyClick(&window, Qt::Key_Escape);
        QCOMPARE(asked, scriva::cmd::kPresenterMode);
        QTest::keyClick(&window, Qt::Key_F11);
        QCOMPARE(asked, scriva::cmd::kPresenterMode);
        window.LiveView()->SetLive(nullptr);
        graph.Shutdown();
    }

    void toolBarShowsOnMouseMovesAndHidesAfterTwoSeconds()
    {
        PresenterWindow window;
        window.resize(400, 300);
        window.AddToolButton(scriva::cmd::kPresenterFreeze, QIcon(), QStringLiteral("Freeze"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.IsToolBarShown());
        QTest::mouseMove(window.LiveView(), QPoint(300, 250));
        QTRY_VERIFY(window.IsToolBarShown());
        // Top centre (to the pixel an odd width allows).
        QVERIFY(qAbs(QRectF(window.ToolBar()->geometry()).center().x() - 200.0) <= 0.5);
        QCOMPARE(window.ToolBar()->y(), PresenterWindow::kToolBarMargin);
        QTRY_VERIFY_WITH_TIMEOUT(!window.IsToolBarShown(), PresenterWindow::kToolBarHideMs + 2000);
    }

    void photoBesideIsZoomedOnItsOwn()
    {
        PresenterWindow window;
        window.resize(600, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.ShowBeside(QImage()));
        QVERIFY(!window.IsBeside());
        QVERIFY(window.ShowBeside(SixColours()));
        QVERIFY(window.IsBeside());
        QApplication::processEvents();
        PresenterView* photo = window.PhotoView();
        QVERIFY(photo->x() > window.LiveView()->x());
        QVERIFY(photo->width() > 250);
        const QImage shown = photo->grab().toImage();
        const QPointF red = photo->Transform().PageToWidget(QPointF(0.5, 0.5));
        QCOMPARE(shown.pixel(red.toPoint()), qRgb(255, 0, 0));
        const QPointF magenta = photo->Transform().PageToWidget(QPointF(2.5, 1.5));
        QCOMPARE(shown.pixel(magenta.toPoint()), qRgb(255, 0, 255));
        // Zooming the photo leaves the live pane alone.
        photo->ZoomIn();
        QVERIFY(!photo->Transform().IsFit());
        QVERIFY(window.LiveView()->Transform().IsFit());
        window.HideBeside();
        QVERIFY(!window.IsBeside());
        QVERIFY(!window.PhotoView());
    }
};

SCRIVA_QTEST(TestPresenterView)
#include "test_PresenterView.moc"
