#pragma once
// Where a picture lies in a presenter pane, in one place. Page coordinates
// are the full frame's pixels as the camera delivers them (x to the right,
// y down, 0..width x 0..height, whatever size the frame was decoded at for
// the screen). The picture is turned clockwise by 0, 90, 180 or 270 degrees,
// scaled by the zoom (widget pixels per page pixel) and moved by the pan (the
// widget position of the turned picture's top-left corner). At fit the whole
// picture is shown as large as the widget allows, centred; zoomed, the pan
// keeps the picture covering the widget where it is larger than the widget,
// and centred on an axis where it is smaller. Whatever is drawn over the
// picture in page coordinates (PageToWidgetMatrix) stays on the page while
// zooming, panning and turning. A plain value; any thread.

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QTransform>

class PresenterTransform
{
public:
    static constexpr double kMaxZoom = 8.0; // widget pixels per page pixel
    static constexpr double kZoomStep = 1.25;

    // Size of the frame in page pixels; a new size keeps the zoom mode.
    void SetFrameSize(QSize size);
    QSize FrameSize() const { return m_frame; }
    // 0, 90, 180 or 270 (other values are taken modulo 360 and rounded down
    // to a quarter turn).
    void SetTurn(int degrees);
    int Turn() const { return m_turn; }
    // The picture's size after turning, in page pixels.
    QSize TurnedSize() const;
    void SetWidgetSize(QSize size);
    QSize WidgetSize() const { return m_widget; }

    // Fit: the whole picture, centred (also after the widget or frame changes).
    void Fit();
    bool IsFit() const { return m_fit; }
    double FitZoom() const;
    // The smallest zoom: fit, or 1:1 when the picture is smaller than the widget.
    double MinZoom() const;
    double Zoom() const;
    // Sets the zoom (clamped to MinZoom..kMaxZoom) so that the page point
    // under the widget point `anchor` stays there.
    void SetZoom(double zoom, QPointF anchor);
    void SetZoom(double zoom) { SetZoom(zoom, WidgetCentre()); }
    void ZoomIn(QPointF anchor) { SetZoom(Zoom() * kZoomStep, anchor); }
    void ZoomOut(QPointF anchor) { SetZoom(Zoom() / kZoomStep, anchor); }
    // Moves the picture by a widget distance (as far as it may go).
    void PanBy(QPointF delta);
    // Widget position of the turned picture's top-left corner.
    QPointF Pan() const;

    QPointF PageToWidget(QPointF page) const { return PageToWidgetMatrix().map(page); }
    QPointF WidgetToPage(QPointF widget) const;
    // Page coordinates to widget coordinates: set it on a painter to draw in
    // page pixels.
    QTransform PageToWidgetMatrix() const;
    // Where the picture lies in the widget.
    QRectF PictureRect() const;
    QPointF WidgetCentre() const
    {
        return QPointF(m_widget.width() / 2.0, m_widget.height() / 2.0);
    }

private:
    void Clamp();

    QSize m_frame;
    QSize m_widget;
    int m_turn = 0;
    bool m_fit = true;
    double m_zoom = 1.0;
    QPointF m_pan; // kept only while zoomed; fit computes it
};
