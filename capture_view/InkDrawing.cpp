#include "InkDrawing.h"

#include "image/CxImageDraw.h"

#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <cmath>

namespace {

struct Shades
{
    QColor pen;
    QColor highlighter;
};

// In the order of InkDrawing::Colour. Pen yellow is darker than the
// highlighter's so that it reads on white paper.
const Shades kShades[InkDrawing::kColourCount] = {
    {QColor(220, 30, 30), QColor(255, 150, 150)}, // red
    {QColor(30, 70, 220), QColor(130, 190, 255)}, // blue
    {QColor(20, 150, 50), QColor(140, 235, 140)}, // green
    {QColor(0, 0, 0), QColor(170, 170, 170)},     // black
    {QColor(230, 180, 0), QColor(255, 240, 0)},   // yellow
};

} // namespace

QColor InkDrawing::Shade(Tool tool, Colour colour)
{
    const Shades& shades = kShades[static_cast<int>(colour)];
    return tool == Tool::Pen ? shades.pen : shades.highlighter;
}

double InkDrawing::Scale(const QTransform& pageToWindow)
{
    // The square root of the area factor: exact for any turn, mirror or
    // uniform zoom, the mean for stretched pictures.
    return std::sqrt(std::abs(pageToWindow.m11() * pageToWindow.m22() -
                              pageToWindow.m12() * pageToWindow.m21()));
}

bool InkDrawing::ToPage(const QTransform& pageToWindow, const QPointF& window, QPointF& page)
{
    bool invertible = false;
    const QTransform windowToPage = pageToWindow.inverted(&invertible);
    if (!invertible || !(Scale(pageToWindow) > 0.0))
        return false;
    page = windowToPage.map(window);
    return std::isfinite(page.x()) && std::isfinite(page.y());
}

void InkDrawing::SetColour(Tool tool, Colour colour)
{
    (tool == Tool::Pen ? m_penColour : m_highlighterColour) = colour;
}

InkDrawing::Colour InkDrawing::ColourOf(Tool tool) const
{
    return tool == Tool::Pen ? m_penColour : m_highlighterColour;
}

bool InkDrawing::BeginStroke(const QPointF& window, const QTransform& pageToWindow)
{
    QPointF page;
    if (!ToPage(pageToWindow, window, page))
        return false;
    EndStroke();
    const double scale = Scale(pageToWindow);
    Stroke stroke;
    stroke.tool = m_tool;
    stroke.colour = Shade(m_tool, ColourOf(m_tool));
    stroke.width = (m_tool == Tool::Pen ? kPenWidthPx : kHighlighterWidthPx) / scale;
    stroke.points.append(page);
    m_minStep = kMinStepPx / scale;
    m_current = std::move(stroke);
    return true;
}

bool InkDrawing::ExtendStroke(const QPointF& window, const QTransform& pageToWindow)
{
    if (!m_current)
        return false;
    QPointF page;
    if (!ToPage(pageToWindow, window, page))
        return true; // a point that cannot be placed is left out
    QPolygonF& points = m_current->points;
    if (points.size() >= kMaxPointsPerStroke)
        return true;
    if (QLineF(points.constLast(), page).length() < m_minStep)
        return true;
    points.append(page);
    return true;
}

void InkDrawing::EndStroke()
{
    if (!m_current)
        return;
    m_strokes.push_back(std::move(*m_current));
    m_current.reset();
}

bool InkDrawing::Undo()
{
    if (m_current) {
        m_current.reset();
        return true;
    }
    if (m_strokes.empty())
        return false;
    m_strokes.pop_back();
    return true;
}

void InkDrawing::Clear()
{
    m_strokes.clear();
    m_current.reset();
}

void InkDrawing::PaintStroke(QPainter& painter, const Stroke& stroke) const
{
    QPen pen(stroke.colour, stroke.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    if (stroke.points.size() == 1)
        painter.drawPoint(stroke.points.constFirst());
    else
        painter.drawPolyline(stroke.points);
}

void InkDrawing::Paint(QPainter& painter, const QTransform& pageToWindow) const
{
    if (IsEmpty())
        return;
    painter.save();
    painter.setTransform(pageToWindow, true);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    // Highlighters first, each multiplied into what lies beneath: print and
    // handwriting stay dark under them, white paper takes their colour.
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    for (const Stroke& stroke : m_strokes) {
        if (stroke.tool == Tool::Highlighter)
            PaintStroke(painter, stroke);
    }
    if (m_current && m_current->tool == Tool::Highlighter)
        PaintStroke(painter, *m_current);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const Stroke& stroke : m_strokes) {
        if (stroke.tool == Tool::Pen)
            PaintStroke(painter, stroke);
    }
    if (m_current && m_current->tool == Tool::Pen)
        PaintStroke(painter, *m_current);
    painter.restore();
}

void InkDrawing::Render(QImage& picture, const QSizeF& pageSize) const
{
    if (picture.isNull() || IsEmpty() || !(pageSize.width() > 0.0) || !(pageSize.height() > 0.0))
        return;
    QPainter painter(&picture);
    Paint(painter, QTransform::fromScale(picture.width() / pageSize.width(),
                                         picture.height() / pageSize.height()));
}

bool InkDrawing::DrawInto(CxImage& frame, const QSizeF& pageSize) const
{
    if (!frame.IsValid())
        return false;
    if (IsEmpty())
        return true;
    QImage picture = scriva::CxImageToQImage(frame);
    if (picture.isNull())
        return false;
    Render(picture, pageSize.isEmpty() ? QSizeF(picture.size()) : pageSize);
    const int32_t dpiX = frame.GetXDPI();
    const int32_t dpiY = frame.GetYDPI();
    if (!scriva::CxImageFromQImage(picture, frame))
        return false;
    frame.SetXDPI(dpiX);
    frame.SetYDPI(dpiY);
    return true;
}
