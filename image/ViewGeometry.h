#pragma once
// The arithmetic of the image view: zoom steps, the fit zoom of an opened
// image, zoomed sizes, client points and tracker rectangles in image pixels,
// and the scroll positions that keep the point under the cursor while the
// wheel zooms. Pure functions; any thread.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace scriva::view {

constexpr float kZoomMax = 16.0f;      // zoom in stops once this is reached
constexpr float kZoomMin = 0.0625f;    // zoom out stops once at or below this
constexpr float kZoomInFactor = 1.25f; // one zoom-in step
constexpr float kZoomOutFactor = 0.8f; // one zoom-out step
constexpr float kFitStep = 0.05f;      // fit zoom walks in these steps

// One step in; false (zoom unchanged) when zoom is already 16 or more.
bool ZoomInStep(float& zoom);
// One step out; false (zoom unchanged) when zoom is not above 0.0625.
bool ZoomOutStep(float& zoom);

// The largest 1 + 0.05 k (at most 16) at which a w x h image fits a cw x ch
// client area, or else the largest 1 - 0.05 k that fits, floored at 0.0625.
float FitZoom(int clientWidth, int clientHeight, int width, int height);

// Size of the image at a zoom, each side truncated.
QSize ZoomedSize(int width, int height, float zoom);

// The image pixel (top-down rows) under a client point, truncated toward zero.
QPoint ClientToImage(QPoint client, QPoint scroll, float zoom);
// Image pixel back to the client point of its top-left corner.
QPoint ImageToClient(QPoint image, QPoint scroll, float zoom);

// A client rectangle (normalised) in image pixels, each edge (edge + scroll) /
// zoom, clamped to the image; empty when nothing of it lies on the image.
QRect TrackerToImage(const QRect& tracker, QPoint scroll, float zoom, int width, int height);

// Scroll position of one axis after a wheel zoom by `factor` that keeps the
// image point under the cursor: (cursor + old scroll) * factor - cursor.
int WheelScroll(int cursor, int oldScroll, float factor);

// A scroll position kept inside 0 ... content - viewport (0 when it fits).
int ClampScroll(int position, int content, int viewport);

} // namespace scriva::view
