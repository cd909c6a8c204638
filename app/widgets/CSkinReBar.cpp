#include "CSkinReBar.h"

#include <QPainter>
#include <QStyleOptionToolBar>

namespace {
constexpr int kTopBorderRows = 2;
} // namespace

std::vector<CSkinReBar::TileCopy> CSkinReBar::Tiles(const QSize& bar, const QSize& bitmap)
{
    std::vector<TileCopy> tiles;
    const int bw = bitmap.width();
    const int bh = bitmap.height();
    if (bw <= 0 || bh <= 0 || bar.isEmpty())
        return tiles;
    const QRect whole(QPoint(0, 0), bitmap);
    const QRect body = QRect(0, bh > 1 ? 1 : 0, bw, bh > 1 ? bh - 1 : bh) & whole;
    const QRect top = QRect(0, 0, bw, qMin(kTopBorderRows, bh)) & whole;
    const QRect bottom(0, bh - 1, bw, 1);
    for (int x = 0; x < bar.width(); x += bw)
        tiles.push_back({body, QPoint(x, 0)});
    for (int x = 0; x < bar.width(); x += bw)
        tiles.push_back({top, QPoint(x, 0)});
    if (bar.height() > top.height())
        for (int x = 0; x < bar.width(); x += bw)
            tiles.push_back({bottom, QPoint(x, bar.height() - 1)});
    return tiles;
}

CSkinReBar::CSkinReBar(QWidget* parent) : QToolBar(parent) {}

bool CSkinReBar::LoadBackground(const QString& path)
{
    QPixmap pixmap;
    if (path.isEmpty() || !pixmap.load(path))
        m_background = QPixmap();
    else
        m_background = pixmap;
    setAttribute(Qt::WA_OpaquePaintEvent, !m_background.isNull());
    update();
    return !m_background.isNull();
}

void CSkinReBar::paintEvent(QPaintEvent* event)
{
    if (m_background.isNull()) {
        QToolBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    // Rows below a short bitmap: its last row stretched, so no gap shows.
    if (height() > m_background.height())
        painter.drawPixmap(QRect(0, 0, width(), height()), m_background,
                           QRect(0, m_background.height() - 1, m_background.width(), 1));
    for (const TileCopy& t : Tiles(size(), m_background.size()))
        painter.drawPixmap(t.target, m_background, t.source);
    // The grip and extension button of the bar still come from the style.
    QStyleOptionToolBar option;
    initStyleOption(&option);
    if (isMovable()) {
        option.rect = style()->subElementRect(QStyle::SE_ToolBarHandle, &option, this);
        style()->drawPrimitive(QStyle::PE_IndicatorToolBarHandle, &option, &painter, this);
    }
}
