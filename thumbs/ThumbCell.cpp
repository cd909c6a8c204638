#include "ThumbCell.h"

#include "ThumbGeometry.h"

#include <QPainter>

namespace scriva::thumbs {

namespace {

void drawFrame(QImage& cell)
{
    QPainter painter(&cell);
    painter.setPen(QColor(QRgb(kFrameRgb)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, cell.width() - 1, cell.height() - 1);
}

} // namespace

QImage BlankCell(QSize cell)
{
    QImage image(cell.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(QColor(QRgb(kBackgroundRgb)));
    drawFrame(image);
    return image;
}

QImage ComposeCell(const QImage& picture, QSize cell)
{
    QImage image(cell.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(QColor(QRgb(kBackgroundRgb)));
    const QRect place = FitRect(picture.size(), image.size());
    if (!place.isEmpty()) {
        QPainter painter(&image);
        if (place.size() == picture.size())
            painter.drawImage(place.topLeft(), picture);
        else
            painter.drawImage(place, picture);
    }
    drawFrame(image);
    return image;
}

} // namespace scriva::thumbs
