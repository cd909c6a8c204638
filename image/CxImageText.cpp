// Text stamping: a TextInfo is rendered off-screen (text, optional rounded background box)
// and blended into the image's pixel rows.
#include "CxImageDraw.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace scriva {

QFont FontFromLogFont(const CxLogFont& lf)
{
    QFont font = QGuiApplication::font();
    if (!lf.lfFaceName.isEmpty())
        font.setFamily(lf.lfFaceName.left(31));
    if (lf.lfHeight < 0)
        font.setPixelSize(-lf.lfHeight);
    else if (lf.lfHeight > 0) // cell height: the character height is a little smaller
        font.setPixelSize(std::max(1, int(std::lround(lf.lfHeight * 0.8))));
    if (lf.lfWeight > 0)
        font.setWeight(QFont::Weight(std::clamp(lf.lfWeight, 100, 900)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    return font;
}

// Palette images get true colour so that the text and box can take any colour.
static bool makeTrueColour(CxImage& image)
{
    if (image.GetBpp() == 24)
        return true;
    CxImage rgb;
    if (!rgb.Create(image.GetWidth(), image.GetHeight(), 24, image.GetType())) {
        image.SetLastError(rgb.GetLastError());
        return false;
    }
    for (int32_t y = 0; y < int32_t(image.GetHeight()); ++y)
        for (int32_t x = 0; x < int32_t(image.GetWidth()); ++x)
            rgb.SetPixelColor(x, y, image.BlindGetPixelColor(x, y), false);
    rgb.SetXDPI(image.GetXDPI());
    rgb.SetYDPI(image.GetYDPI());
    rgb.SetJpegQuality(image.GetJpegQuality());
    if (image.AlphaIsValid() && rgb.AlphaCreate())
        for (int32_t y = 0; y < int32_t(image.GetHeight()); ++y)
            for (int32_t x = 0; x < int32_t(image.GetWidth()); ++x)
                rgb.AlphaSet(x, y, image.AlphaGet(x, y));
    image.Transfer(rgb);
    return true;
}

// The text and its box drawn on a clear premultiplied image the size of the box.
QImage RenderTextInfo(const TextInfo& info)
{
    const QFont font = FontFromLogFont(info.lfont);
    const QFontMetrics fm(font);
    QString text = info.text.left(TextInfo::kMaxText);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QStringList lines = text.split(QLatin1Char('\n'));
    int textWidth = 1;
    for (const QString& line : lines)
        textWidth = std::max(textWidth, fm.horizontalAdvance(line));
    const int textHeight = std::max(1, int(lines.size()) * fm.lineSpacing());
    const int pad = info.opaque ? std::max<int>(info.b_outline + 2, fm.height() / 6) : 0;
    QImage canvas(textWidth + 2 * pad, textHeight + 2 * pad, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing, info.smooth != 0);
    p.setRenderHint(QPainter::TextAntialiasing, info.smooth != 0);
    if (info.opaque) {
        const QColor box(CxGetR(info.bcolor), CxGetG(info.bcolor), CxGetB(info.bcolor));
        const QColor ink(CxGetR(info.fcolor), CxGetG(info.fcolor), CxGetB(info.fcolor));
        const double radius = textHeight * std::min<int>(info.b_round, 50) / 100.0;
        const double half = info.b_outline / 2.0;
        const QRectF r = QRectF(canvas.rect()).adjusted(half, half, -half, -half);
        p.setOpacity(std::clamp(double(info.b_opacity), 0.0, 1.0));
        p.setPen(Qt::NoPen);
        p.setBrush(box);
        p.drawRoundedRect(r, radius, radius);
        p.setOpacity(1.0);
        if (info.b_outline) {
            p.setPen(QPen(ink, info.b_outline));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(r, radius, radius);
        }
    }
    p.setFont(font);
    p.setPen(QColor(CxGetR(info.fcolor), CxGetG(info.fcolor), CxGetB(info.fcolor)));
    const int flags = info.align == TextInfo::Centre  ? Qt::AlignHCenter
                      : info.align == TextInfo::Right ? Qt::AlignRight
                                                      : Qt::AlignLeft;
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QRect(pad, pad + i * fm.lineSpacing(), textWidth, fm.lineSpacing()),
                   flags | Qt::AlignVCenter, lines[i]);
    p.end();
    return canvas;
}

bool DrawTextInfo(CxImage& image, int x, int y, const TextInfo& info, bool setAlpha)
{
    if (!image.IsValid() || info.text.isEmpty())
        return false;
    if (!makeTrueColour(image))
        return false;
    const QImage canvas = RenderTextInfo(info);
    if (canvas.isNull()) {
        image.SetLastError("GetDIBits failed");
        return false;
    }
    const int w = int(image.GetWidth()), h = int(image.GetHeight());
    const QRect area = QRect(x, y, canvas.width(), canvas.height()) & QRect(0, 0, w, h);
    for (int ty = area.top(); ty <= area.bottom(); ++ty) {
        const QRgb* src = reinterpret_cast<const QRgb*>(canvas.constScanLine(ty - y));
        const int row = h - 1 - ty;
        uint8_t* dst = image.GetBits(uint32_t(row));
        for (int tx = area.left(); tx <= area.right(); ++tx) {
            const QRgb s = src[tx - x]; // premultiplied
            const int a = qAlpha(s);
            if (a == 0)
                continue;
            uint8_t* d = dst + 3 * tx;
            d[0] = uint8_t(qBlue(s) + d[0] * (255 - a) / 255);
            d[1] = uint8_t(qGreen(s) + d[1] * (255 - a) / 255);
            d[2] = uint8_t(qRed(s) + d[2] * (255 - a) / 255);
            if (setAlpha && image.AlphaIsValid()) {
                const int old = image.AlphaGet(tx, row);
                image.AlphaSet(tx, row, uint8_t(a + old * (255 - a) / 255));
            }
        }
    }
    return true;
}

} // namespace scriva
