// Sampling the visible part of a bottom-up frame into the viewport: upright,
// stretched at fit, offset when zoomed and scrolled, black beyond the content.

#include "QtTestRegistry.h"
#include "capture_view/ui/FramePainter.h"

#include <QTest>
#include <vector>

class TestFramePainter : public QObject
{
    Q_OBJECT

    // A 4 x 2 frame, stride 12, rows bottom-up: bottom row blue/green, top row red/white.
    std::vector<uint8_t> frame()
    {
        std::vector<uint8_t> f(12 * 2, 0);
        for (int x = 0; x < 4; ++x) {
            uint8_t* bottom = f.data() + x * 3;
            uint8_t* top = f.data() + 12 + x * 3;
            bottom[0] = x < 2 ? 255 : 0; // blue, then green
            bottom[1] = x < 2 ? 0 : 255;
            top[2] = 255; // red, then white
            if (x >= 2)
                top[0] = top[1] = 255;
        }
        return f;
    }

private slots:
    void fitStretchesTheFrameUpright()
    {
        const auto f = frame();
        FramePainter p;
        const QImage& img = p.Sample(f.data(), 12, 4, 2, 8, 4, 8, 4, 0, 0);
        QCOMPARE(img.size(), QSize(8, 4));
        QCOMPARE(img.pixel(0, 0), qRgb(255, 0, 0));     // top-left: red
        QCOMPARE(img.pixel(7, 1), qRgb(255, 255, 255)); // top-right: white
        QCOMPARE(img.pixel(0, 3), qRgb(0, 0, 255));     // bottom-left: blue
        QCOMPARE(img.pixel(7, 2), qRgb(0, 255, 0));     // bottom-right: green
    }

    void zoomedAndScrolledShowsTheVisiblePartOnly()
    {
        const auto f = frame();
        FramePainter p;
        // Content 16 x 8 (zoom 2 of a 8 x 4 viewport), scrolled to its right half and lower half.
        const QImage& img = p.Sample(f.data(), 12, 4, 2, 8, 4, 16, 8, 8, 4);
        QCOMPARE(img.pixel(0, 0), qRgb(0, 255, 0));
        QCOMPARE(img.pixel(7, 3), qRgb(0, 255, 0));
        // Scrolled past the content's end: the rest is black.
        const QImage& past = p.Sample(f.data(), 12, 4, 2, 8, 4, 16, 8, 12, 6);
        QCOMPARE(past.pixel(3, 1), qRgb(0, 255, 0));
        QCOMPARE(past.pixel(4, 1), qRgb(0, 0, 0));
        QCOMPARE(past.pixel(3, 2), qRgb(0, 0, 0));
    }

    void noFrameGivesBlack()
    {
        FramePainter p;
        const QImage& img = p.Sample(nullptr, 0, 0, 0, 5, 5, 5, 5, 0, 0);
        QCOMPARE(img.pixel(2, 2), qRgb(0, 0, 0));
    }
};

SCRIVA_QTEST(TestFramePainter)
#include "test_FramePainter.moc"
