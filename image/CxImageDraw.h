#pragma once
// Drawing of CxImage pictures with QPainter, and QImage views of their pixel rows.
// A 24-bit image is shown through a QImage that shares its bottom-up rows (drawn with a
// vertical flip); scaled drawing samples only the visible part. User-interface thread only,
// or any thread that owns both the image and the paint device.

#include "image/TextInfo.h"
#include "image/cximage/CxImage.h"

#include <QImage>
#include <QRect>

class QPainter;
class QFont;

namespace scriva {

// A QImage over the image's own rows (no copy; valid while the image is unchanged), stored
// bottom-up, so row 0 of the view is the bottom line of the picture: 24 bpp as BGR888,
// 8 bpp Indexed8, 1 bpp Mono, each with the palette as colour table. 4 bpp has no QImage
// counterpart and comes back expanded to an Indexed8 copy. Null for an invalid image.
QImage CxImageRowsView(const CxImage& image);
// An upright copy (top row first): RGB32, or ARGB32 when the image has alpha/transparency.
QImage CxImageToQImage(const CxImage& image);
// Copies an upright QImage into a 24-bit CxImage (with alpha when the QImage has alpha).
bool CxImageFromQImage(const QImage& source, CxImage& image);

// Paints the image with its top-left at (x, y). cx or cy of -1 means natural size; scaled
// drawing computes only the part inside `clip` (if given), the painter's clip and the device
// by nearest neighbour. Transparent and alpha images blend with what is already there.
void Draw(QPainter& painter, const CxImage& image, int x, int y, int cx = -1, int cy = -1,
          const QRect* clip = nullptr, bool smooth = false);
void Draw(QPainter& painter, const CxImage& image, const QRect& rect, const QRect* clip = nullptr,
          bool smooth = false);
// The whole image stretched into the rectangle without smoothing (printing).
void Stretch(QPainter& painter, const CxImage& image, int x, int y, int cx, int cy);
void Stretch(QPainter& painter, const CxImage& image, const QRect& rect);

// The font a TextInfo asks for.
QFont FontFromLogFont(const CxLogFont& lf);
// The text and its box of `info` on a clear premultiplied image the size of the box
// (what DrawTextInfo stamps); null when there is nothing to draw.
QImage RenderTextInfo(const TextInfo& info);
// Renders the text of `info` into the pixels with its top-left at (x, y) (y from the top).
// Palette images become 24-bit first. With setAlpha and an alpha plane, the text and box
// also become opaque there. False (with the image's last error) when nothing could be drawn.
bool DrawTextInfo(CxImage& image, int x, int y, const TextInfo& info, bool setAlpha = false);

} // namespace scriva
