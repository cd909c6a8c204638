#include "AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// The drawing lives on a 64 x 64 grid and is scaled to the requested size.
constexpr double kGrid = 64.0;

void drawTile(QPainter& p)
{
    QLinearGradient g(0, 0, 0, kGrid);
    g.setColorAt(0, QColor(46, 132, 214));
    g.setColorAt(1, QColor(22, 88, 160));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
}

void drawPage(QPainter& p)
{
    p.setPen(QPen(QColor(20, 40, 70), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(14, 30, 36, 26));
    p.setPen(QPen(QColor(120, 132, 150), 2.0));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(19, 36 + i * 5), QPointF(i == 3 ? 36 : 45, 36 + i * 5));
}

void drawCamera(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 240, 246));
    p.drawRoundedRect(QRectF(8, 9, 5, 46), 2, 2); // stand
    p.drawRoundedRect(QRectF(8, 9, 30, 5), 2, 2); // arm
    p.setBrush(QColor(40, 48, 60));
    p.drawRoundedRect(QRectF(28, 8, 16, 11), 3, 3); // head
    p.setBrush(QColor(205, 45, 40));
    p.drawEllipse(QPointF(36, 19), 3.2, 3.2); // lens, looking down
}

void drawFrame(QPainter& p)
{
    p.setPen(QPen(QColor(205, 45, 40), 1.6, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(12, 28, 40, 30));
}

} // namespace

QImage renderAppIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kGrid, size / kGrid);
    drawTile(p);
    drawPage(p);
    if (size >= 24)
        drawFrame(p);
    drawCamera(p);
    p.end();
    return img;
}
