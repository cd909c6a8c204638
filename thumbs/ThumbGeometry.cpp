#include "ThumbGeometry.h"

#include <algorithm>

namespace scriva::thumbs {

QSize CellSize(int paneHeight, int thumbnailNum, int textHeight, int columnWidth)
{
    const int perCell = std::max(1, thumbnailNum);
    const int height = std::max(1, paneHeight / perCell - textHeight - kLabelGapPx);
    const int width = std::clamp(int(height * kCellWidthRatio), 1, std::max(1, columnWidth));
    return QSize(width, height);
}

bool CellIsPainted(QSize cell)
{
    return cell.height() >= kMinPaintedHeightPx && cell.width() >= 1;
}

QRect FitRect(QSize imageSize, QSize cell)
{
    if (imageSize.isEmpty() || cell.isEmpty())
        return QRect();
    const float boxRatio = float(cell.height()) / float(cell.width());
    const float imageRatio = float(imageSize.height()) / float(imageSize.width());
    if (imageRatio > boxRatio) {
        const int w = std::max(1, int(float(cell.height()) / imageRatio));
        return QRect((cell.width() - w) / 2, 0, w, cell.height());
    }
    const int h = std::max(1, int(float(cell.width()) * imageRatio));
    return QRect(0, (cell.height() - h) / 2, cell.width(), h);
}

QSize FitLongestSide(QSize imageSize, int box)
{
    return FitRect(imageSize, QSize(box, box)).size();
}

std::vector<int> PaintOrder(int count, int first, int visible)
{
    std::vector<int> order;
    if (count <= 0)
        return order;
    order.reserve(size_t(count));
    first = std::clamp(first, 0, count - 1);
    int up = first;
    for (; up < count && up < first + std::max(visible, 1); ++up)
        order.push_back(up);
    int down = first - 1;
    while (up < count || down >= 0) {
        if (up < count)
            order.push_back(up++);
        if (down >= 0)
            order.push_back(down--);
    }
    return order;
}

} // namespace scriva::thumbs
