#include "CxImageDraw.h"

#include <QPainter>
#include <QVector>

#include <algorithm>
#include <cmath>

namespace scriva {

namespace {

QRgb toQRgb(RGBQUAD c, int alpha = 255)
{
    return qRgba(c.rgbRed, c.rgbGreen, c.rgbBlue, alpha);
}

// Colour table of a palette image; the transparent index is clear when `withTransparency`.
QVector<QRgb> colourTable(const CxImage& image, bool withTransparency)
{
    QVector<QRgb> table(int(image.GetNumColors()));
    for (int i = 0; i < table.size(); ++i)
        table[i] = toQRgb(image.GetPaletteColor(uint8_t(i)));
    const int trans = image.GetTransIndex();
    if (withTransparency && trans >= 0 && trans < table.size())
        table[trans] = qRgba(0, 0, 0, 0);
    return table;
}

bool needsBlending(const CxImage& image)
{
    return image.AlphaIsValid() || image.GetTransIndex() >= 0;
}

// Colour of stored pixel (x, row) as 0xAARRGGBB, honouring alpha and transparency.
QRgb pixelArgb(const CxImage& image, const QVector<QRgb>& table, int x, int row)
{
    QRgb c;
    if (image.GetBpp() == 24) {
        const uint8_t* p = image.GetBits(uint32_t(row)) + 3 * x;
        c = qRgb(p[2], p[1], p[0]);
        if (image.GetTransIndex() >= 0) {
            const RGBQUAD t = image.GetTransColor();
            if (p[0] == t.rgbBlue && p[1] == t.rgbGreen && p[2] == t.rgbRed)
                return 0;
        }
    } else {
        c = table[image.BlindGetPixelIndex(x, row)];
    }
    if (image.AlphaIsValid()) {
        const int a = image.AlphaGet(x, row) * qAlpha(c) / 255;
        c = qRgba(qRed(c), qGreen(c), qBlue(c), a);
    }
    return c;
}

// Device rectangle that scaled drawing has to compute.
QRect visibleRect(QPainter& painter, const QRect& dest, const QRect* clip)
{
    QRect r = dest;
    if (clip)
        r &= *clip;
    if (painter.hasClipping())
        r &= painter.clipBoundingRect().toAlignedRect();
    if (painter.device()) {
        // The painter's own transforms only: a widget painted into its window's
        // backing store has a device transform that also holds its place in the window.
        const QTransform inv = painter.combinedTransform().inverted();
        const QRect device(0, 0, painter.device()->width(), painter.device()->height());
        r &= inv.mapRect(QRectF(device)).toAlignedRect();
    }
    return r;
}

} // namespace

QImage CxImageRowsView(const CxImage& image)
{
    if (!image.IsValid())
        return QImage();
    const int w = int(image.GetWidth()), h = int(image.GetHeight());
    const qsizetype stride = qsizetype(image.GetEffWidth());
    const uchar* bits = image.GetBits(0);
    switch (image.GetBpp()) {
    case 24:
        return QImage(bits, w, h, stride, QImage::Format_BGR888);
    case 8: {
        QImage v(bits, w, h, stride, QImage::Format_Indexed8);
        v.setColorTable(colourTable(image, false));
        return v;
    }
    case 1: {
        QImage v(bits, w, h, stride, QImage::Format_Mono);
        v.setColorTable(colourTable(image, false));
        return v;
    }
    default: { // 4 bpp: expanded copy
        QImage v(w, h, QImage::Format_Indexed8);
        v.setColorTable(colourTable(image, false));
        for (int row = 0; row < h; ++row) {
            uchar* dst = v.scanLine(row);
            for (int x = 0; x < w; ++x)
                dst[x] = image.BlindGetPixelIndex(x, row);
        }
        return v;
    }
    }
}

QImage CxImageToQImage(const CxImage& image)
{
    if (!image.IsValid())
        return QImage();
    const int w = int(image.GetWidth()), h = int(image.GetHeight());
    if (!needsBlending(image))
        return CxImageRowsView(image).mirrored(false, true).convertToFormat(QImage::Format_RGB32);
    QImage out(w, h, QImage::Format_ARGB32);
    const QVector<QRgb> table = colourTable(image, true);
    for (int y = 0; y < h; ++y) {
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x)
            dst[x] = pixelArgb(image, table, x, h - 1 - y);
    }
    return out;
}

bool CxImageFromQImage(const QImage& source, CxImage& image)
{
    if (source.isNull())
        return false;
    const QImage src = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                       : QImage::Format_RGB32);
    const int w = src.width(), h = src.height();
    if (!image.Create(uint32_t(w), uint32_t(h), 24))
        return false;
    if (src.hasAlphaChannel() && !image.AlphaCreate())
        return false;
    for (int y = 0; y < h; ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        uint8_t* d = image.GetBits(uint32_t(h - 1 - y));
        for (int x = 0; x < w; ++x, d += 3) {
            d[0] = uint8_t(qBlue(s[x]));
            d[1] = uint8_t(qGreen(s[x]));
            d[2] = uint8_t(qRed(s[x]));
            if (image.AlphaIsValid())
                image.AlphaSet(x, h - 1 - y, uint8_t(qAlpha(s[x])));
        }
    }
    return true;
}

// Natural size: the rows are drawn as they are, upside down through the painter.
static void drawNatural(QPainter& painter, const CxImage& image, int x, int y)
{
    const int h = int(image.GetHeight());
    if (needsBlending(image)) {
        painter.drawImage(QPoint(x, y), CxImageToQImage(image));
        return;
    }
    painter.save();
    painter.translate(x, y + h);
    painter.scale(1, -1);
    painter.drawImage(QPoint(0, 0), CxImageRowsView(image));
    painter.restore();
}

// Scaled: only `visible` (device part of the destination) is sampled, nearest neighbour.
static void drawScaled(QPainter& painter, const CxImage& image, const QRect& dest,
                       const QRect& visible)
{
    const int64_t w = image.GetWidth(), h = image.GetHeight();
    const bool blend = needsBlending(image);
    QImage part(visible.size(), blend ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const QVector<QRgb> table = colourTable(image, blend);
    QVector<int> srcX(visible.width());
    for (int i = 0; i < visible.width(); ++i)
        srcX[i] = int(
            std::min<int64_t>(w - 1, int64_t(visible.left() + i - dest.left()) * w / dest.width()));
    for (int j = 0; j < visible.height(); ++j) {
        // Rows are picked counting from the bottom line, as columns are from the left.
        const int64_t fromBottom = dest.bottom() - (visible.top() + j);
        const int row = int(std::min<int64_t>(h - 1, fromBottom * h / dest.height()));
        QRgb* out = reinterpret_cast<QRgb*>(part.scanLine(j));
        if (!blend && image.GetBpp() == 24) {
            const uint8_t* src = image.GetBits(uint32_t(row));
            for (int i = 0; i < visible.width(); ++i) {
                const uint8_t* p = src + 3 * srcX[i];
                out[i] = qRgb(p[2], p[1], p[0]);
            }
        } else {
            for (int i = 0; i < visible.width(); ++i)
                out[i] = pixelArgb(image, table, srcX[i], row);
        }
    }
    painter.drawImage(visible.topLeft(), part);
}

void Draw(QPainter& painter, const CxImage& image, int x, int y, int cx, int cy, const QRect* clip,
          bool smooth)
{
    Q_UNUSED(smooth); // the program never asks for smoothing
    if (!image.IsValid())
        return;
    if (cx == -1)
        cx = int(image.GetWidth());
    if (cy == -1)
        cy = int(image.GetHeight());
    if (cx <= 0 || cy <= 0)
        return;
    if (uint32_t(cx) == image.GetWidth() && uint32_t(cy) == image.GetHeight() && !clip) {
        drawNatural(painter, image, x, y);
        return;
    }
    const QRect dest(x, y, cx, cy);
    const QRect visible = visibleRect(painter, dest, clip);
    if (!visible.isEmpty())
        drawScaled(painter, image, dest, visible);
}

void Draw(QPainter& painter, const CxImage& image, const QRect& rect, const QRect* clip,
          bool smooth)
{
    Draw(painter, image, rect.left(), rect.top(), rect.width(), rect.height(), clip, smooth);
}

void Stretch(QPainter& painter, const CxImage& image, int x, int y, int cx, int cy)
{
    if (!image.IsValid() || cx <= 0 || cy <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.translate(x, y + cy);
    painter.scale(1, -1);
    painter.drawImage(QRect(0, 0, cx, cy), CxImageRowsView(image));
    painter.restore();
}

void Stretch(QPainter& painter, const CxImage& image, const QRect& rect)
{
    Stretch(painter, image, rect.left(), rect.top(), rect.width(), rect.height());
}

} // namespace scriva
