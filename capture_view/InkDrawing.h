#pragma once
// What is drawn over the presented picture: pen and highlighter strokes kept in
// page coordinates (pixels of the camera frame, y from the top), so they stay on
// the same spot of the paper however the picture is zoomed, panned or turned on
// screen. A stroke is begun and extended with window points and the page-to-window
// transform of that moment; its width is given in window pixels when it starts and
// kept in page units from then on (the ink grows with the zoom, as on paper).
// Highlighter strokes are painted first, multiplied into the picture (what lies
// beneath shows through), and pen ink over them. The last stroke can be undone,
// everything cleared. Painting goes to any QPainter through a page-to-window
// transform, or into a full-size picture for saving. User-interface thread, or any
// one thread per drawing.

#include "image/cximage/CxImage.h"

#include <QColor>
#include <QPolygonF>
#include <QSizeF>
#include <QTransform>
#include <optional>
#include <vector>

class QImage;
class QPainter;

class InkDrawing
{
public:
    enum class Tool { Pen, Highlighter };
    // The colours offered; each has a pen shade and a lighter highlighter shade.
    enum class Colour { Red, Blue, Green, Black, Yellow };
    static constexpr int kColourCount = 5;

    // Widths in window pixels at the moment a stroke starts.
    static constexpr double kPenWidthPx = 4.0;
    static constexpr double kHighlighterWidthPx = 24.0;
    // Points closer than this (window pixels) to the previous one are not kept.
    static constexpr double kMinStepPx = 1.0;
    // Further points of a longer stroke are dropped (an hour of scribbling).
    static constexpr int kMaxPointsPerStroke = 200000;

    struct Stroke
    {
        Tool tool = Tool::Pen;
        QColor colour;
        double width = 1.0; // page units
        QPolygonF points;   // page coordinates
    };

    // The shade a tool paints a colour in.
    static QColor Shade(Tool tool, Colour colour);
    // The window-to-page mapping of a page-to-window transform; false for one
    // that cannot be inverted (a zero scale).
    static bool ToPage(const QTransform& pageToWindow, const QPointF& window, QPointF& page);
    // How many window pixels one page unit is long under the transform.
    static double Scale(const QTransform& pageToWindow);

    // The tool that new strokes use, and each tool's colour (pen red,
    // highlighter yellow at first).
    void SetTool(Tool tool) { m_tool = tool; }
    Tool CurrentTool() const { return m_tool; }
    void SetColour(Tool tool, Colour colour);
    Colour ColourOf(Tool tool) const;
    // Sets the colour of the current tool.
    void SetColour(Colour colour) { SetColour(m_tool, colour); }

    // A stroke of the current tool and colour from a window point. False (and
    // nothing begun) when the transform cannot be inverted.
    bool BeginStroke(const QPointF& window, const QTransform& pageToWindow);
    // Adds a window point to the stroke being drawn (the transform may have
    // changed since it began). False when no stroke is being drawn.
    bool ExtendStroke(const QPointF& window, const QTransform& pageToWindow);
    // Keeps the stroke being drawn; a press without a move leaves a dot.
    void EndStroke();
    bool Drawing() const { return m_current.has_value(); }

    // Takes back the stroke being drawn, else the last one kept. False when
    // there was nothing to take back.
    bool Undo();
    // Removes every stroke, the one being drawn too.
    void Clear();
    bool IsEmpty() const { return m_strokes.empty() && !m_current; }
    const std::vector<Stroke>& Strokes() const { return m_strokes; }

    // Paints every stroke (the one being drawn too): highlighters beneath the
    // pen. The painter's state is left as it was.
    void Paint(QPainter& painter, const QTransform& pageToWindow) const;
    // Paints into a picture of the page: pageSize is the size of the page
    // coordinate space, stretched over the whole picture.
    void Render(QImage& picture, const QSizeF& pageSize) const;
    // Draws the strokes into a frame (the saved picture) stretched over a page
    // of pageSize, or whose pixels are page coordinates when pageSize is
    // empty. False when the frame cannot be drawn on.
    bool DrawInto(CxImage& frame, const QSizeF& pageSize = QSizeF()) const;

private:
    void PaintStroke(QPainter& painter, const Stroke& stroke) const;

    std::vector<Stroke> m_strokes;
    std::optional<Stroke> m_current;
    double m_minStep = 0.0; // page units, for the stroke being drawn
    Tool m_tool = Tool::Pen;
    Colour m_penColour = Colour::Red;
    Colour m_highlighterColour = Colour::Yellow;
};
