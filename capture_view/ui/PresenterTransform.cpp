#include "PresenterTransform.h"

#include <algorithm>

void PresenterTransform::SetFrameSize(QSize size)
{
    if (size == m_frame)
        return;
    // The same page point stays at the widget centre when the size changes
    // while zoomed (a camera switching its resolution).
    const QPointF centre = m_frame.isEmpty() ? QPointF() : WidgetToPage(WidgetCentre());
    const QSize old = m_frame;
    m_frame = size;
    if (!m_fit && !old.isEmpty() && !size.isEmpty()) {
        const double scale = double(size.width()) / old.width();
        m_zoom /= scale;
        const QPointF moved = PageToWidget(centre * scale);
        m_pan += WidgetCentre() - moved;
    }
    Clamp();
}

void PresenterTransform::SetTurn(int degrees)
{
    const int turn = ((degrees % 360) + 360) % 360 / 90 * 90;
    if (turn == m_turn)
        return;
    const QPointF centre = WidgetToPage(WidgetCentre());
    m_turn = turn;
    if (!m_fit)
        m_pan += WidgetCentre() - PageToWidget(centre);
    Clamp();
}

QSize PresenterTransform::TurnedSize() const
{
    return m_turn % 180 == 0 ? m_frame : m_frame.transposed();
}

void PresenterTransform::SetWidgetSize(QSize size)
{
    if (size == m_widget)
        return;
    const QPointF centre = WidgetToPage(WidgetCentre());
    m_widget = size;
    if (!m_fit)
        m_pan += WidgetCentre() - PageToWidget(centre);
    Clamp();
}

void PresenterTransform::Fit()
{
    m_fit = true;
}

double PresenterTransform::FitZoom() const
{
    const QSize turned = TurnedSize();
    if (turned.isEmpty() || m_widget.isEmpty())
        return 1.0;
    return std::min(double(m_widget.width()) / turned.width(),
                    double(m_widget.height()) / turned.height());
}

double PresenterTransform::MinZoom() const
{
    return std::min(FitZoom(), 1.0);
}

double PresenterTransform::Zoom() const
{
    return m_fit ? FitZoom() : m_zoom;
}

void PresenterTransform::SetZoom(double zoom, QPointF anchor)
{
    const QPointF page = WidgetToPage(anchor);
    const QPointF pan = Pan();
    m_zoom = std::clamp(zoom, MinZoom(), kMaxZoom);
    m_fit = false;
    m_pan = pan;
    m_pan += anchor - PageToWidget(page);
    Clamp();
}

void PresenterTransform::PanBy(QPointF delta)
{
    if (m_fit) {
        m_pan = Pan();
        m_zoom = FitZoom();
        m_fit = false;
    }
    m_pan += delta;
    Clamp();
}

QPointF PresenterTransform::Pan() const
{
    if (!m_fit)
        return m_pan;
    const QSize turned = TurnedSize();
    const double z = FitZoom();
    return QPointF((m_widget.width() - turned.width() * z) / 2.0,
                   (m_widget.height() - turned.height() * z) / 2.0);
}

void PresenterTransform::Clamp()
{
    if (m_fit)
        return;
    m_zoom = std::clamp(m_zoom, MinZoom(), kMaxZoom);
    const QSize turned = TurnedSize();
    const double w = turned.width() * m_zoom;
    const double h = turned.height() * m_zoom;
    // Larger than the widget: no margin may open; smaller: centred.
    if (w <= m_widget.width())
        m_pan.setX((m_widget.width() - w) / 2.0);
    else
        m_pan.setX(std::clamp(m_pan.x(), m_widget.width() - w, 0.0));
    if (h <= m_widget.height())
        m_pan.setY((m_widget.height() - h) / 2.0);
    else
        m_pan.setY(std::clamp(m_pan.y(), m_widget.height() - h, 0.0));
}

QTransform PresenterTransform::PageToWidgetMatrix() const
{
    // Applied to a point in the reverse order of the calls: turn, scale, move.
    const QPointF pan = Pan();
    const double z = Zoom();
    QTransform t;
    t.translate(pan.x(), pan.y());
    t.scale(z, z);
    const double w = m_frame.width();
    const double h = m_frame.height();
    switch (m_turn) {
    case 90: // (x, y) -> (h - y, x)
        t.translate(h, 0);
        t.rotate(90);
        break;
    case 180: // (x, y) -> (w - x, h - y)
        t.translate(w, h);
        t.rotate(180);
        break;
    case 270: // (x, y) -> (y, w - x)
        t.translate(0, w);
        t.rotate(270);
        break;
    default:
        break;
    }
    return t;
}

QPointF PresenterTransform::WidgetToPage(QPointF widget) const
{
    bool invertible = false;
    const QTransform inverse = PageToWidgetMatrix().inverted(&invertible);
    return invertible ? inverse.map(widget) : QPointF();
}

QRectF PresenterTransform::PictureRect() const
{
    const QSize turned = TurnedSize();
    const double z = Zoom();
    return QRectF(Pan(), QSizeF(turned.width() * z, turned.height() * z));
}
