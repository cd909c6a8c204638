#include "OcrTestSupport.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <vector>

namespace ocrtest {

void ensureGuiApp()
{
    if (QGuiApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "test_ocr";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv); // lives for the whole test run
}

CxImage renderText(const QStringList& lines, int pixelSize, int margin, bool colour)
{
    ensureGuiApp();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    const QFontMetrics fm(font);
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, fm.horizontalAdvance(line));
    const int lineHeight = fm.lineSpacing() * 3 / 2;
    QImage page(width + 2 * margin, lineHeight * int(lines.size()) + 2 * margin,
                QImage::Format_RGB888);
    page.fill(Qt::white);
    QPainter p(&page);
    p.setFont(font);
    p.setPen(colour ? QColor(20, 20, 120) : QColor(Qt::black));
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(margin, margin + fm.ascent() + i * lineHeight, lines[i]);
    p.end();
    const int w = page.width(), h = page.height();
    CxImage image(uint32_t(w), uint32_t(h), colour ? 24 : 8);
    if (!colour)
        image.SetGrayPalette();
    for (int y = 0; y < h; ++y) {
        const uchar* src = page.constScanLine(y);
        uint8_t* dst = image.GetBits(uint32_t(h - 1 - y));
        for (int x = 0; x < w; ++x) {
            const uchar r = src[3 * x], g = src[3 * x + 1], b = src[3 * x + 2];
            if (colour) {
                dst[3 * x] = b, dst[3 * x + 1] = g, dst[3 * x + 2] = r;
            } else {
                dst[x] = uint8_t((r * 299 + g * 587 + b * 114) / 1000);
            }
        }
    }
    return image;
}

CxImage toOneBit(const CxImage& grey, bool inverted)
{
    const uint32_t w = grey.GetWidth(), h = grey.GetHeight();
    CxImage mono(w, h, 1);
    const RGBQUAD black{0, 0, 0, 0}, white{255, 255, 255, 0};
    mono.SetPaletteColor(0, inverted ? white : black);
    mono.SetPaletteColor(1, inverted ? black : white);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* src = grey.GetBits(y);
        uint8_t* dst = mono.GetBits(y);
        for (uint32_t x = 0; x < w; ++x) {
            const bool ink = src[x] < 128;
            if (ink == inverted) // the set bit is the colour of entry 1
                dst[x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    return mono;
}

static QString normalised(const QString& text)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return QString(text).replace(space, QStringLiteral(" ")).trimmed();
}

double charErrorRate(const QString& recognised, const QString& truth)
{
    const QString a = normalised(recognised), b = normalised(truth);
    std::vector<int> prev(size_t(b.size()) + 1), cur(prev.size());
    for (size_t j = 0; j < prev.size(); ++j)
        prev[j] = int(j);
    for (int i = 1; i <= a.size(); ++i) {
        cur[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int subst = prev[size_t(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1);
            cur[size_t(j)] = std::min({prev[size_t(j)] + 1, cur[size_t(j - 1)] + 1, subst});
        }
        std::swap(prev, cur);
    }
    return b.isEmpty() ? (a.isEmpty() ? 0.0 : 1.0) : double(prev.back()) / double(b.size());
}

} // namespace ocrtest
