// The presenter's drawing: strokes kept on the page through zoom, pan and turns,
// widths that grow with the zoom, points that are too close dropped, undo and
// clear, highlighters beneath the pen and multiplied into the picture, and the
// strokes painted into a window picture, a full-size picture and an image object.

#include "capture_view/InkDrawing.h"
#include "image/CxImageDraw.h"

#include <QImage>
#include <QPainter>
#include <QTransform>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using Tool = InkDrawing::Tool;
using Colour = InkDrawing::Colour;

// Page-to-window transforms of a presenter window: zoom, pan, turns, mirror.
struct View
{
    const char* name;
    QTransform pageToWindow;
};

QTransform zoomPan(double zoom, double dx, double dy)
{
    return QTransform::fromScale(zoom, zoom) * QTransform::fromTranslate(dx, dy);
}

QTransform turned(double degrees, double zoom, double dx, double dy)
{
    QTransform t;
    t.rotate(degrees);
    return t * zoomPan(zoom, dx, dy);
}

const View kViews[] = {
    {"actual size", QTransform()},
    {"fit, smaller", zoomPan(0.25, 40, 10)},
    {"zoom 2 panned", zoomPan(2.0, -300, -120)},
    {"zoom 7.5 panned", zoomPan(7.5, -4000, -2500)},
    {"quarter turn", turned(90, 0.5, 900, 0)},
    {"half turn", turned(180, 1.0, 1200, 900)},
    {"three quarters zoomed", turned(270, 3.0, 0, 2000)},
    {"mirrored", QTransform::fromScale(-1.0, 1.0) * QTransform::fromTranslate(800, 0)},
};

bool near(const QPointF& a, const QPointF& b)
{
    return std::abs(a.x() - b.x()) < 1e-6 && std::abs(a.y() - b.y()) < 1e-6;
}

QImage white(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Draws a stroke through page points under a view.
void stroke(InkDrawing& ink, const QTransform& view, std::initializer_list<QPointF> page)
{
    bool first = true;
    for (const QPointF& p : page) {
        if (first)
            ASSERT_TRUE(ink.BeginStroke(view.map(p), view));
        else
            ASSERT_TRUE(ink.ExtendStroke(view.map(p), view));
        first = false;
    }
    ink.EndStroke();
}

} // namespace

TEST(InkDrawingTest, StrokesAreKeptInPageCoordinatesUnderEveryView)
{
    const QPointF page[] = {{100, 80}, {140.5, 95.25}, {400, 300}};
    for (const View& view : kViews) {
        SCOPED_TRACE(view.name);
        InkDrawing ink;
        ASSERT_TRUE(ink.BeginStroke(view.pageToWindow.map(page[0]), view.pageToWindow));
        // The view changes in the middle of the stroke (a zoom by the wheel).
        const QTransform later = view.pageToWindow * zoomPan(1.5, 30, -20);
        ASSERT_TRUE(ink.ExtendStroke(view.pageToWindow.map(page[1]), view.pageToWindow));
        ASSERT_TRUE(ink.ExtendStroke(later.map(page[2]), later));
        ink.EndStroke();
        ASSERT_EQ(ink.Strokes().size(), 1u);
        const QPolygonF& kept = ink.Strokes()[0].points;
        ASSERT_EQ(kept.size(), 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(near(kept[i], page[i])) << i << ": " << kept[i].x() << "," << kept[i].y();
        // The pen is 4 window pixels wide when it starts, in page units.
        const double scale = InkDrawing::Scale(view.pageToWindow);
        EXPECT_NEAR(ink.Strokes()[0].width * scale, InkDrawing::kPenWidthPx, 1e-9);
        // Window points map back to the page and forth again.
        QPointF back;
        ASSERT_TRUE(InkDrawing::ToPage(view.pageToWindow, view.pageToWindow.map(page[1]), back));
        EXPECT_TRUE(near(back, page[1]));
    }
}

TEST(InkDrawingTest, ScaleOfViews)
{
    const struct
    {
        QTransform view;
        double scale;
    } cases[] = {
        {QTransform(), 1.0},
        {zoomPan(2.0, -300, 7), 2.0},
        {turned(90, 0.5, 900, 0), 0.5},
        {turned(270, 3.0, 0, 2000), 3.0},
        {QTransform::fromScale(-1.0, 1.0), 1.0},
        {QTransform::fromScale(0.0, 1.0), 0.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(InkDrawing::Scale(c.view), c.scale, 1e-12);
}

TEST(InkDrawingTest, AViewWithoutInverseBeginsNothing)
{
    InkDrawing ink;
    const QTransform flat = QTransform::fromScale(0.0, 0.0);
    EXPECT_FALSE(ink.BeginStroke(QPointF(10, 10), flat));
    EXPECT_FALSE(ink.Drawing());
    EXPECT_FALSE(ink.ExtendStroke(QPointF(20, 20), QTransform()));
    ink.EndStroke();
    EXPECT_TRUE(ink.IsEmpty());
    // A stroke under way skips a point it cannot place and goes on.
    ASSERT_TRUE(ink.BeginStroke(QPointF(10, 10), QTransform()));
    EXPECT_TRUE(ink.ExtendStroke(QPointF(50, 50), flat));
    EXPECT_TRUE(ink.ExtendStroke(QPointF(30, 10), QTransform()));
    ink.EndStroke();
    ASSERT_EQ(ink.Strokes().size(), 1u);
    EXPECT_EQ(ink.Strokes()[0].points, QPolygonF({QPointF(10, 10), QPointF(30, 10)}));
}

TEST(InkDrawingTest, PointsCloserThanAWindowPixelAreDropped)
{
    // At zoom 4 a window pixel is a quarter page unit.
    const QTransform view = zoomPan(4.0, 0, 0);
    InkDrawing ink;
    ASSERT_TRUE(ink.BeginStroke(QPointF(100, 100), view));
    const double moves[][2] = {{100.5, 100},   {100.9, 100.3}, {101.2, 100},
                               {101.2, 100.9}, {101.2, 101},   {150, 101}};
    for (const auto& m : moves)
        ink.ExtendStroke(QPointF(m[0], m[1]), view);
    ink.EndStroke();
    // Kept: the start, (101.2, 100) at 1.2 px, (101.2, 101) at 1 px, (150, 101).
    EXPECT_EQ(ink.Strokes()[0].points.size(), 4);
    EXPECT_TRUE(near(ink.Strokes()[0].points[1], QPointF(101.2 / 4, 25)));
}

TEST(InkDrawingTest, UndoAndClear)
{
    const QTransform view;
    // Each step: 's' a stroke, 'b' a stroke begun and left drawing, 'u' undo
    // (with its result), 'c' clear; then the strokes kept and whether one is
    // being drawn.
    const struct
    {
        const char* steps;
        const char* undoResults;
        size_t kept;
        bool drawing;
    } cases[] = {
        {"", "", 0, false},     {"u", "0", 0, false},      {"s", "", 1, false},
        {"ssu", "1", 1, false}, {"sssuu", "11", 1, false}, {"suuu", "100", 0, false},
        {"ssb", "", 2, true},   {"ssbu", "1", 2, false},   {"ssbuu", "11", 1, false},
        {"sssc", "", 0, false}, {"ssbc", "", 0, false},    {"scsu", "1", 0, false},
        {"scs", "", 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        InkDrawing ink;
        std::string results;
        int n = 0;
        for (const char* s = c.steps; *s; ++s) {
            const QPointF at(10.0 * ++n, 20);
            switch (*s) {
            case 's':
                stroke(ink, view, {at, at + QPointF(5, 5)});
                break;
            case 'b':
                ASSERT_TRUE(ink.BeginStroke(at, view));
                break;
            case 'u':
                results += ink.Undo() ? '1' : '0';
                break;
            case 'c':
                ink.Clear();
                break;
            }
        }
        EXPECT_EQ(results, c.undoResults);
        EXPECT_EQ(ink.Strokes().size(), c.kept);
        EXPECT_EQ(ink.Drawing(), c.drawing);
        EXPECT_EQ(ink.IsEmpty(), c.kept == 0 && !c.drawing);
    }
}

TEST(InkDrawingTest, ToolsAndColours)
{
    InkDrawing ink;
    EXPECT_EQ(ink.CurrentTool(), Tool::Pen);
    EXPECT_EQ(ink.ColourOf(Tool::Pen), Colour::Red);
    EXPECT_EQ(ink.ColourOf(Tool::Highlighter), Colour::Yellow);
    ink.SetColour(Colour::Blue);
    ink.SetTool(Tool::Highlighter);
    ink.SetColour(Colour::Green);
    EXPECT_EQ(ink.ColourOf(Tool::Pen), Colour::Blue);
    EXPECT_EQ(ink.ColourOf(Tool::Highlighter), Colour::Green);
    stroke(ink, zoomPan(2, 0, 0), {QPointF(1, 1), QPointF(50, 1)});
    ink.SetTool(Tool::Pen);
    stroke(ink, zoomPan(2, 0, 0), {QPointF(1, 1), QPointF(50, 1)});
    ASSERT_EQ(ink.Strokes().size(), 2u);
    EXPECT_EQ(ink.Strokes()[0].tool, Tool::Highlighter);
    EXPECT_EQ(ink.Strokes()[0].colour, InkDrawing::Shade(Tool::Highlighter, Colour::Green));
    EXPECT_NEAR(ink.Strokes()[0].width, InkDrawing::kHighlighterWidthPx / 2, 1e-12);
    EXPECT_EQ(ink.Strokes()[1].tool, Tool::Pen);
    EXPECT_EQ(ink.Strokes()[1].colour, InkDrawing::Shade(Tool::Pen, Colour::Blue));
    EXPECT_NEAR(ink.Strokes()[1].width, InkDrawing::kPenWidthPx / 2, 1e-12);
    // Every colour has two distinct shades, and no two colours share one.
    for (int a = 0; a < InkDrawing::kColourCount; ++a) {
        const auto ca = static_cast<Colour>(a);
        EXPECT_NE(InkDrawing::Shade(Tool::Pen, ca), InkDrawing::Shade(Tool::Highlighter, ca));
        for (int b = a + 1; b < InkDrawing::kColourCount; ++b)
            EXPECT_NE(InkDrawing::Shade(Tool::Pen, ca),
                      InkDrawing::Shade(Tool::Pen, static_cast<Colour>(b)));
    }
}

TEST(InkDrawingTest, PaintedInkFollowsThePageUnderEveryView)
{
    // A horizontal pen line on the page from (200, 150) to (260, 150), drawn
    // at a quarter size (16 page units wide); its middle (230, 150) is inked
    // wherever the view puts it, a page point 40 units away is not.
    InkDrawing ink;
    ink.SetColour(Colour::Blue);
    stroke(ink, zoomPan(0.25, 0, 0), {QPointF(200, 150), QPointF(260, 150)});
    const QRgb blue = InkDrawing::Shade(Tool::Pen, Colour::Blue).rgb();
    for (const View& view : kViews) {
        SCOPED_TRACE(view.name);
        QImage window = white(1200, 900);
        QPainter painter(&window);
        ink.Paint(painter, view.pageToWindow);
        painter.end();
        const QPoint on = view.pageToWindow.map(QPointF(230, 150)).toPoint();
        const QPoint off = view.pageToWindow.map(QPointF(230, 190)).toPoint();
        if (!window.rect().contains(on))
            continue; // panned out of the window
        EXPECT_EQ(window.pixel(on), blue) << on.x() << "," << on.y();
        if (window.rect().contains(off)) {
            EXPECT_EQ(window.pixel(off), qRgb(255, 255, 255));
        }
    }
}

TEST(InkDrawingTest, PenWidthGrowsWithTheZoom)
{
    InkDrawing ink;
    stroke(ink, QTransform(), {QPointF(10, 50), QPointF(90, 50)});
    const QRgb red = InkDrawing::Shade(Tool::Pen, Colour::Red).rgb();
    const struct
    {
        double zoom;
        int inkedRows; // fully inked rows across the line (on pixel edges)
    } cases[] = {{1.0, 4}, {2.0, 8}, {4.0, 16}};
    for (const auto& c : cases) {
        QImage window = white(400, 400);
        QPainter painter(&window);
        ink.Paint(painter, zoomPan(c.zoom, 0, 0));
        painter.end();
        const int x = int(50 * c.zoom);
        int rows = 0;
        for (int y = 0; y < window.height(); ++y)
            rows += window.pixel(x, y) == red;
        EXPECT_EQ(rows, c.inkedRows) << "zoom " << c.zoom;
    }
}

TEST(InkDrawingTest, HighlighterLiesBeneathThePenAndLetsThePictureThrough)
{
    // The picture: white paper with a black bar of print at x 40..59.
    QImage picture = white(200, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 40; x < 60; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 0));
    InkDrawing ink;
    // The pen line first, the highlighter across it afterwards: the pen
    // still shows on top.
    stroke(ink, QTransform(), {QPointF(100, 10), QPointF(100, 90)});
    ink.SetTool(Tool::Highlighter);
    stroke(ink, QTransform(), {QPointF(10, 50), QPointF(190, 50)});
    ink.Render(picture, QSizeF(200, 100));
    const QRgb pen = InkDrawing::Shade(Tool::Pen, Colour::Red).rgb();
    const QRgb marker = InkDrawing::Shade(Tool::Highlighter, Colour::Yellow).rgb();
    EXPECT_EQ(picture.pixel(100, 50), pen);          // crossing: pen on top
    EXPECT_EQ(picture.pixel(150, 50), marker);       // white paper takes the marker
    EXPECT_EQ(picture.pixel(50, 50), qRgb(0, 0, 0)); // print stays black under it
    EXPECT_EQ(picture.pixel(150, 20), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(100, 20), pen);
    // Grey paper under yellow: each channel multiplied.
    QImage grey(20, 20, QImage::Format_RGB32);
    grey.fill(qRgb(200, 200, 200));
    InkDrawing mark;
    mark.SetTool(Tool::Highlighter);
    stroke(mark, QTransform(), {QPointF(0, 10), QPointF(20, 10)});
    mark.Render(grey, QSizeF(20, 20));
    const QColor got = grey.pixelColor(10, 10);
    EXPECT_NEAR(got.red(), 200, 1);
    EXPECT_NEAR(got.green(), 200 * 240 / 255, 1);
    EXPECT_EQ(got.blue(), 0);
}

TEST(InkDrawingTest, APressWithoutMoveLeavesADot)
{
    InkDrawing ink;
    ASSERT_TRUE(ink.BeginStroke(QPointF(30, 30), QTransform()));
    ink.EndStroke();
    QImage window = white(60, 60);
    QPainter painter(&window);
    ink.Paint(painter, QTransform());
    painter.end();
    EXPECT_EQ(window.pixel(30, 30), InkDrawing::Shade(Tool::Pen, Colour::Red).rgb());
    EXPECT_EQ(window.pixel(36, 30), qRgb(255, 255, 255));
}

TEST(InkDrawingTest, RenderStretchesThePageOverAFullSizePicture)
{
    // Drawn on a 320 x 240 page (the picture on screen), saved into the full
    // 1280 x 960 frame: the line lands four times as far and as wide.
    InkDrawing ink;
    ink.SetColour(Colour::Green);
    stroke(ink, QTransform(), {QPointF(40, 100), QPointF(280, 100)});
    QImage full = white(1280, 960);
    ink.Render(full, QSizeF(320, 240));
    const QRgb green = InkDrawing::Shade(Tool::Pen, Colour::Green).rgb();
    EXPECT_EQ(full.pixel(640, 400), green);
    EXPECT_EQ(full.pixel(640, 394), green);
    EXPECT_EQ(full.pixel(640, 406), green);
    EXPECT_EQ(full.pixel(640, 412), qRgb(255, 255, 255));
    EXPECT_EQ(full.pixel(150, 400), qRgb(255, 255, 255)); // before the start
    // Nothing to draw, or no page: the picture stays as it was.
    QImage untouched = white(50, 50);
    InkDrawing().Render(untouched, QSizeF(50, 50));
    ink.Render(untouched, QSizeF(0, 50));
    EXPECT_EQ(untouched, white(50, 50));
}

TEST(InkDrawingTest, DrawIntoAnImageObjectKeepsItsSizeAndResolution)
{
    CxImage frame;
    ASSERT_TRUE(frame.Create(320, 240, 24));
    for (uint32_t y = 0; y < 240; ++y)
        for (uint32_t x = 0; x < 320; ++x)
            frame.SetPixelColor(int32_t(x), int32_t(y), RGBQUAD{230, 230, 230, 0});
    frame.SetXDPI(400);
    frame.SetYDPI(400);
    InkDrawing ink;
    ink.SetColour(Colour::Black);
    // A line 20 rows from the top (the image object counts rows from the bottom).
    stroke(ink, QTransform(), {QPointF(20, 20), QPointF(300, 20)});
    ASSERT_TRUE(ink.DrawInto(frame));
    EXPECT_EQ(frame.GetWidth(), 320u);
    EXPECT_EQ(frame.GetHeight(), 240u);
    EXPECT_EQ(frame.GetBpp(), 24u);
    EXPECT_EQ(frame.GetXDPI(), 400);
    EXPECT_EQ(frame.GetYDPI(), 400);
    const RGBQUAD on = frame.GetPixelColor(160, 240 - 1 - 20);
    EXPECT_EQ(on.rgbRed + on.rgbGreen + on.rgbBlue, 0);
    const RGBQUAD off = frame.GetPixelColor(160, 20);
    EXPECT_EQ(off.rgbRed, 230);
    // Drawn on a page of half the size: the line lands at row 40.
    CxImage larger;
    ASSERT_TRUE(scriva::CxImageFromQImage(white(320, 240), larger));
    ASSERT_TRUE(ink.DrawInto(larger, QSizeF(160, 120)));
    const RGBQUAD doubled = larger.GetPixelColor(100, 240 - 1 - 40);
    EXPECT_EQ(doubled.rgbRed + doubled.rgbGreen + doubled.rgbBlue, 0);
    EXPECT_EQ(larger.GetPixelColor(100, 240 - 1 - 20).rgbRed, 255);
    // An invalid image cannot be drawn on; an empty drawing changes nothing.
    CxImage none;
    EXPECT_FALSE(ink.DrawInto(none));
    EXPECT_TRUE(InkDrawing().DrawInto(frame));
}
