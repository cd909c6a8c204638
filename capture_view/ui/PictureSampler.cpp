#include "PictureSampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Where one source pixel of the turned picture lies in the buffer: the turned
// picture's (u, v) is split into a part that depends on the output row (v)
// and one that depends on the output column (u), so each row costs one add
// per pixel.
struct Layout
{
    int width;  // source pixels
    int height; // source pixels
    int stride;
    int bytes; // per pixel
    bool bottomUp;

    int64_t Row(int y) const { return int64_t(bottomUp ? height - 1 - y : y) * stride; }
    int64_t Column(int x) const { return int64_t(x) * bytes; }

    // The offset of the turned picture's pixel (u, v) is RowPart(v) + ColumnPart(u).
    int64_t RowPart(int turn, int v) const
    {
        switch (turn) {
        case 90: // u = h - 1 - y, v = x
            return Column(v);
        case 180: // u = w - 1 - x, v = h - 1 - y
            return Row(height - 1 - v);
        case 270: // u = y, v = w - 1 - x
            return Column(width - 1 - v);
        default:
            return Row(v);
        }
    }
    int64_t ColumnPart(int turn, int u) const
    {
        switch (turn) {
        case 90:
            return Row(height - 1 - u);
        case 180:
            return Column(width - 1 - u);
        case 270:
            return Row(u);
        default:
            return Column(u);
        }
    }
};

} // namespace

const QImage& PictureSampler::Sample(const uint8_t* bits, int stride, Rows rows, int width,
                                     int height, const PresenterTransform& transform)
{
    const QSize out = transform.WidgetSize().expandedTo(QSize(1, 1));
    if (m_out.size() != out)
        m_out = QImage(out, QImage::Format_RGB32);
    const QSize frame = transform.FrameSize();
    if (!bits || width <= 0 || height <= 0 || frame.isEmpty()) {
        m_out.fill(Qt::black);
        return m_out;
    }
    const int turn = transform.Turn();
    const Layout layout{width, height, stride, rows == Rows::TopDown32 ? 4 : 3,
                        rows == Rows::BottomUp24};
    // Turned source size and the scale from turned page pixels to it.
    const int turnedW = turn % 180 == 0 ? width : height;
    const int turnedH = turn % 180 == 0 ? height : width;
    const QSize turnedPage = transform.TurnedSize();
    const double zoom = transform.Zoom();
    const double su = double(turnedW) / turnedPage.width() / zoom;
    const double sv = double(turnedH) / turnedPage.height() / zoom;
    const QPointF pan = transform.Pan();
    // Output columns and rows the picture covers.
    const QRectF picture = transform.PictureRect();
    const int x0 = std::clamp(int(std::ceil(picture.left() - 0.5)), 0, out.width());
    const int x1 = std::clamp(int(std::ceil(picture.right() - 0.5)), x0, out.width());
    const int y0 = std::clamp(int(std::ceil(picture.top() - 0.5)), 0, out.height());
    const int y1 = std::clamp(int(std::ceil(picture.bottom() - 0.5)), y0, out.height());
    if (x0 > 0 || y0 > 0 || x1 < out.width() || y1 < out.height())
        m_out.fill(Qt::black);
    m_columnOffsets.resize(size_t(x1 - x0));
    for (int dx = x0; dx < x1; ++dx) {
        const int u = std::clamp(int((dx + 0.5 - pan.x()) * su), 0, turnedW - 1);
        m_columnOffsets[size_t(dx - x0)] = layout.ColumnPart(turn, u);
    }
    const int64_t* columns = m_columnOffsets.data();
    const int count = x1 - x0;
    for (int dy = y0; dy < y1; ++dy) {
        const int v = std::clamp(int((dy + 0.5 - pan.y()) * sv), 0, turnedH - 1);
        const uint8_t* row = bits + layout.RowPart(turn, v);
        auto* dst = reinterpret_cast<QRgb*>(m_out.scanLine(dy)) + x0;
        if (layout.bytes == 4) {
            for (int i = 0; i < count; ++i) {
                uint32_t pixel; // already the screen's layout
                std::memcpy(&pixel, row + columns[i], sizeof pixel);
                dst[i] = pixel | 0xFF000000u;
            }
        } else {
            for (int i = 0; i < count; ++i) {
                const uint8_t* p = row + columns[i];
                dst[i] = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            }
        }
    }
    return m_out;
}
