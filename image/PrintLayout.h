#pragma once
// Where an image lands on a printed page: centred on the printable area, either
// scaled to fit it in whole inches or at the size it has on a 96-dpi screen, and
// the page drawing itself (transparent parts print white). Pure geometry plus
// one QPainter routine; any thread that owns the painter and the image.

#include "config/CommandIds.h"

#include <QRect>
#include <QSize>

class CxImage;
class QPainter;

namespace scriva::image {

constexpr int kScreenDpi = 96;

// The printed rectangle in device pixels, relative to the printable area's top
// left corner. printable: the printable area in device pixels; dpi: device
// pixels per inch. Fit mode compares whole inches of the page with whole
// 96-pixel steps of the image; a side under 96 pixels has no bound of its own,
// and with no usable bound at all the image prints at its screen size.
QRect PrintRect(QSize image, QSize printable, int dpiX, int dpiY, int printMode);
// printMode: mode::kPrintFitToPage or mode::kPrintActualSize.

// Draws a copy of the image (transparency on white) into the rectangle, without
// smoothing.
void PrintImage(QPainter& painter, const CxImage& image, const QRect& target);

} // namespace scriva::image
