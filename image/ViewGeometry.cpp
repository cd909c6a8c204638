#include "ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace scriva::view {

bool ZoomInStep(float& zoom)
{
    if (zoom >= kZoomMax)
        return false;
    zoom *= kZoomInFactor;
    return true;
}

bool ZoomOutStep(float& zoom)
{
    if (!(zoom > kZoomMin))
        return false;
    zoom *= kZoomOutFactor;
    return true;
}

QSize ZoomedSize(int width, int height, float zoom)
{
    return QSize(int(float(width) * zoom), int(float(height) * zoom));
}

float FitZoom(int clientWidth, int clientHeight, int width, int height)
{
    float zoom = 1.0f;
    QSize zoomed(width, height);
    if (width < clientWidth) {
        // Grow while the picture is lower than the pane, until its width reaches the pane.
        while (zoomed.height() < clientHeight) {
            if (zoom >= kZoomMax) {
                zoom = kZoomMax;
                break;
            }
            zoom += kFitStep;
            zoomed = ZoomedSize(width, height, zoom);
            if (zoomed.width() >= clientWidth)
                break;
        }
    }
    for (;;) {
        if (clientWidth >= zoomed.width() && clientHeight >= zoomed.height())
            return zoom;
        if (!(zoom > kZoomMin))
            break;
        zoom -= kFitStep;
        zoomed = ZoomedSize(width, height, zoom);
    }
    return kZoomMin;
}

QPoint ClientToImage(QPoint client, QPoint scroll, float zoom)
{
    if (!(zoom > 0.0f))
        return {};
    return QPoint(int(float(client.x() + scroll.x()) / zoom),
                  int(float(client.y() + scroll.y()) / zoom));
}

QPoint ImageToClient(QPoint image, QPoint scroll, float zoom)
{
    return QPoint(int(float(image.x()) * zoom) - scroll.x(),
                  int(float(image.y()) * zoom) - scroll.y());
}

QRect TrackerToImage(const QRect& tracker, QPoint scroll, float zoom, int width, int height)
{
    if (!(zoom > 0.0f) || width <= 0 || height <= 0)
        return {};
    const QRect r = tracker.normalized();
    // Edges, not pixels: right and bottom are exclusive.
    const int left = std::max(0, int(float(r.left() + scroll.x()) / zoom));
    const int top = std::max(0, int(float(r.top() + scroll.y()) / zoom));
    const int right = std::min(width, int(float(r.left() + r.width() + scroll.x()) / zoom));
    const int bottom = std::min(height, int(float(r.top() + r.height() + scroll.y()) / zoom));
    if (right <= left || bottom <= top)
        return {};
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

int WheelScroll(int cursor, int oldScroll, float factor)
{
    return int(float(cursor + oldScroll) * factor) - cursor;
}

int ClampScroll(int position, int content, int viewport)
{
    return std::clamp(position, 0, std::max(0, content - viewport));
}

} // namespace scriva::view
