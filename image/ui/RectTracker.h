#pragma once
// The rectangle of the view's rectangle tools: a normalised rectangle in
// client coordinates with eight square handles outside it, a hit test with
// nine answers, and the mouse steps of rubber-banding a new rectangle and of
// moving or resizing it. Drawn as a dotted frame. User-interface thread only.

#include <QPoint>
#include <QRect>
#include <Qt>

class QPainter;

class RectTracker
{
public:
    enum Hit {
        HitNothing = -1,
        HitTopLeft = 0,
        HitTopRight = 1,
        HitBottomRight = 2,
        HitBottomLeft = 3,
        HitTop = 4,
        HitRight = 5,
        HitBottom = 6,
        HitLeft = 7,
        HitMiddle = 8,
    };
    static constexpr int kHandleSize = 7; // pixels of a handle square

    const QRect& Rect() const { return m_rect; }
    void SetRect(const QRect& rect) { m_rect = rect.normalized(); }
    bool IsEmpty() const { return m_rect.isEmpty(); }
    void Clear() { m_rect = QRect(); }

    Hit HitTest(QPoint point) const;
    Qt::CursorShape CursorFor(QPoint point) const; // Cross outside

    // A new rectangle from `from` (inversion allowed while dragging).
    void BeginRubberBand(QPoint from);
    // Moving (HitMiddle) or resizing by the hit handle or edge.
    void BeginTrack(QPoint from, Hit hit);
    bool IsTracking() const { return m_hit != HitNothing; }
    void TrackTo(QPoint to);
    // Ends the drag; the rectangle is normalised (empty when it has no area).
    void EndTrack();

    void Draw(QPainter& painter) const;

private:
    QRect handleRect(Hit hit) const;

    QRect m_rect;
    QRect m_start; // the rectangle when the drag began, corners as dragged
    QPoint m_from;
    Hit m_hit = HitNothing;
};
