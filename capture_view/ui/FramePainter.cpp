#include "FramePainter.h"

#include <algorithm>
#include <cstring>

template <int BytesPerPixel, bool BottomUp>
const QImage& FramePainter::SampleRows(const uint8_t* bits, int stride, int fw, int fh, int vw,
                                       int vh, int tw, int th, int sx, int sy)
{
    if (m_out.width() != vw || m_out.height() != vh)
        m_out = QImage(std::max(vw, 1), std::max(vh, 1), QImage::Format_RGB32);
    if (!bits || fw <= 0 || fh <= 0 || tw <= 0 || th <= 0) {
        m_out.fill(Qt::black);
        return m_out;
    }
    const int cols = std::clamp(tw - sx, 0, vw);
    const int rows = std::clamp(th - sy, 0, vh);
    // Only what lies beyond the content is cleared; the rest is overwritten.
    if (cols < vw || rows < vh)
        m_out.fill(Qt::black);
    m_columns.resize(size_t(std::max(cols, 0)));
    for (int dx = 0; dx < cols; ++dx)
        m_columns[size_t(dx)] = int(int64_t(dx + sx) * fw / tw) * BytesPerPixel;
    for (int dy = 0; dy < rows; ++dy) {
        const int pictureRow = int(int64_t(dy + sy) * fh / th);
        // Bottom-up rows keep the picture's top line last.
        const int stored = BottomUp ? fh - 1 - pictureRow : pictureRow;
        const uint8_t* src = bits + size_t(stored) * size_t(stride);
        auto* dst = reinterpret_cast<QRgb*>(m_out.scanLine(dy));
        for (int dx = 0; dx < cols; ++dx) {
            const uint8_t* p = src + m_columns[size_t(dx)];
            if constexpr (BytesPerPixel == 4) {
                uint32_t pixel; // already the screen's layout
                std::memcpy(&pixel, p, sizeof pixel);
                dst[dx] = pixel | 0xFF000000u;
            } else {
                dst[dx] = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            }
        }
    }
    return m_out;
}

const QImage& FramePainter::Sample(const uint8_t* bits, int stride, int fw, int fh, int vw, int vh,
                                   int tw, int th, int sx, int sy)
{
    return SampleRows<3, true>(bits, stride, fw, fh, vw, vh, tw, th, sx, sy);
}

const QImage& FramePainter::SampleTopDown32(const uint8_t* bits, int stride, int fw, int fh, int vw,
                                            int vh, int tw, int th, int sx, int sy)
{
    return SampleRows<4, false>(bits, stride, fw, fh, vw, vh, tw, th, sx, sy);
}
