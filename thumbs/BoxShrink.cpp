#include "BoxShrink.h"

#include <algorithm>
#include <vector>

namespace scriva::thumbs {

namespace {

// Block bounds: target cell i covers source [edges[i], edges[i + 1]).
std::vector<int> blockEdges(int source, int target)
{
    std::vector<int> edges(size_t(target) + 1);
    for (int i = 0; i <= target; ++i)
        edges[size_t(i)] = int(int64_t(i) * source / target);
    return edges;
}

void addRow(const uint32_t* row, const std::vector<int>& xs, std::vector<uint64_t>& sums)
{
    const size_t n = xs.size() - 1;
    for (size_t i = 0; i < n; ++i) {
        uint64_t r = 0, g = 0, b = 0;
        for (int x = xs[i]; x < xs[i + 1]; ++x) {
            const uint32_t p = row[x];
            r += (p >> 16) & 0xFF;
            g += (p >> 8) & 0xFF;
            b += p & 0xFF;
        }
        sums[3 * i] += r;
        sums[3 * i + 1] += g;
        sums[3 * i + 2] += b;
    }
}

void writeAverages(const std::vector<uint64_t>& sums, const std::vector<int>& xs, int rows,
                   uint32_t* out)
{
    const size_t n = xs.size() - 1;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t count = uint64_t(xs[i + 1] - xs[i]) * uint64_t(rows);
        const uint64_t half = count / 2;
        const uint32_t r = uint32_t((sums[3 * i] + half) / count);
        const uint32_t g = uint32_t((sums[3 * i + 1] + half) / count);
        const uint32_t b = uint32_t((sums[3 * i + 2] + half) / count);
        out[i] = 0xFF000000u | r << 16 | g << 8 | b;
    }
}

} // namespace

QImage BoxShrink(QSize source, QSize target, const RowSource& rows)
{
    if (source.isEmpty() || target.isEmpty())
        return QImage();
    const int dw = std::min(target.width(), source.width());
    const int dh = std::min(target.height(), source.height());
    QImage out(dw, dh, QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const std::vector<int> xs = blockEdges(source.width(), dw);
    const std::vector<int> ys = blockEdges(source.height(), dh);
    std::vector<uint64_t> sums(size_t(dw) * 3);
    std::vector<uint32_t> scratch(size_t(source.width()));
    for (int j = 0; j < dh; ++j) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int y = ys[size_t(j)]; y < ys[size_t(j) + 1]; ++y)
            addRow(rows(y, scratch.data()), xs, sums);
        writeAverages(sums, xs, ys[size_t(j) + 1] - ys[size_t(j)],
                      reinterpret_cast<uint32_t*>(out.scanLine(j)));
    }
    if (out.size() != target)
        out = out.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out;
}

QImage BoxShrink(const QImage& source, QSize target)
{
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    return BoxShrink(rgb.size(), target, [&rgb](int y, uint32_t*) {
        return reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
    });
}

} // namespace scriva::thumbs
