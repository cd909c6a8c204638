#include "FramePainter.h"

#include <algorithm>

const QImage& FramePainter::Sample(const uint8_t* bits, int stride, int fw, int fh, int vw, int vh,
                                   int tw, int th, int sx, int sy)
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
        m_columns[size_t(dx)] = int(int64_t(dx + sx) * fw / tw) * 3;
    for (int dy = 0; dy < rows; ++dy) {
        const int pictureRow = int(int64_t(dy + sy) * fh / th);
        // Stored rows run bottom-up: the picture's top line is the last one.
        const uint8_t* src = bits + size_t(fh - 1 - pictureRow) * size_t(stride);
        auto* dst = reinterpret_cast<QRgb*>(m_out.scanLine(dy));
        for (int dx = 0; dx < cols; ++dx) {
            const uint8_t* p = src + m_columns[size_t(dx)];
            dst[dx] = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        }
    }
    return m_out;
}
