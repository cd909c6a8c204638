#include "RectTracker.h"

#include <QPainter>

QRect RectTracker::handleRect(Hit hit) const
{
    // Handles sit outside the rectangle, at its corners and edge midpoints.
    const QRect r = m_rect;
    const int s = kHandleSize;
    const int midX = r.left() + r.width() / 2 - s / 2;
    const int midY = r.top() + r.height() / 2 - s / 2;
    const int left = r.left() - s;
    const int top = r.top() - s;
    const int right = r.left() + r.width();
    const int bottom = r.top() + r.height();
    switch (hit) {
    case HitTopLeft:
        return QRect(left, top, s, s);
    case HitTopRight:
        return QRect(right, top, s, s);
    case HitBottomRight:
        return QRect(right, bottom, s, s);
    case HitBottomLeft:
        return QRect(left, bottom, s, s);
    case HitTop:
        return QRect(midX, top, s, s);
    case HitRight:
        return QRect(right, midY, s, s);
    case HitBottom:
        return QRect(midX, bottom, s, s);
    case HitLeft:
        return QRect(left, midY, s, s);
    default:
        return {};
    }
}

RectTracker::Hit RectTracker::HitTest(QPoint point) const
{
    if (m_rect.isEmpty())
        return HitNothing;
    for (int h = HitTopLeft; h <= HitLeft; ++h) {
        if (handleRect(Hit(h)).contains(point))
            return Hit(h);
    }
    return m_rect.contains(point) ? HitMiddle : HitNothing;
}

Qt::CursorShape RectTracker::CursorFor(QPoint point) const
{
    switch (HitTest(point)) {
    case HitTopLeft:
    case HitBottomRight:
        return Qt::SizeFDiagCursor;
    case HitTopRight:
    case HitBottomLeft:
        return Qt::SizeBDiagCursor;
    case HitTop:
    case HitBottom:
        return Qt::SizeVerCursor;
    case HitLeft:
    case HitRight:
        return Qt::SizeHorCursor;
    case HitMiddle:
        return Qt::SizeAllCursor;
    default:
        return Qt::CrossCursor;
    }
}

void RectTracker::BeginRubberBand(QPoint from)
{
    m_rect = QRect(from, QSize(0, 0));
    m_start = QRect(from, from);
    m_from = from;
    m_hit = HitBottomRight;
}

void RectTracker::BeginTrack(QPoint from, Hit hit)
{
    m_from = from;
    m_hit = hit;
    // Corners as points: right and bottom are edges, not the last pixel.
    m_start = QRect(m_rect.topLeft(), m_rect.topLeft() + QPoint(m_rect.width(), m_rect.height()));
}

void RectTracker::TrackTo(QPoint to)
{
    if (m_hit == HitNothing)
        return;
    const QPoint d = to - m_from;
    int l = m_start.left(), t = m_start.top(), r = m_start.right(), b = m_start.bottom();
    switch (m_hit) {
    case HitMiddle:
        l += d.x(), r += d.x(), t += d.y(), b += d.y();
        break;
    case HitTopLeft:
        l += d.x(), t += d.y();
        break;
    case HitTopRight:
        r += d.x(), t += d.y();
        break;
    case HitBottomRight:
        r += d.x(), b += d.y();
        break;
    case HitBottomLeft:
        l += d.x(), b += d.y();
        break;
    case HitTop:
        t += d.y();
        break;
    case HitRight:
        r += d.x();
        break;
    case HitBottom:
        b += d.y();
        break;
    case HitLeft:
        l += d.x();
        break;
    default:
        break;
    }
    // From edge coordinates to a rectangle, whichever way it was dragged.
    m_rect = QRect(QPoint(std::min(l, r), std::min(t, b)), QSize(std::abs(r - l), std::abs(b - t)));
}

void RectTracker::EndTrack()
{
    m_hit = HitNothing;
    if (m_rect.width() <= 0 || m_rect.height() <= 0)
        m_rect = QRect();
}

void RectTracker::Draw(QPainter& painter) const
{
    if (m_rect.isEmpty())
        return;
    painter.save();
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_rect.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (int h = HitTopLeft; h <= HitLeft; ++h)
        painter.drawRect(handleRect(Hit(h)));
    painter.restore();
}
