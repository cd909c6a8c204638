// Build-time art tool: writes the bitmaps every language pack carries.
//
//   scriva_resource_art OUTDIR TOOLBAR128_JSON TOOLBAR168_JSON
//
// OUTDIR receives bitmap161.bmp, bitmap162.bmp, bitmap163.bmp (toolbar images:
// disabled, normal, hot; 28 px per button in the main toolbar's order),
// bitmap170.bmp (16 px menu icons in the menu icon strip's order),
// cursor175.png (a hand, hotspot at its centre) and skin/*.bmp.
//
//   scriva_resource_art --app-icon OUTDIR
//
// writes the program's icon as OUTDIR/<size>.png for every size of the
// desktop's icon theme.
#include "AppIcon.h"
#include "IconPainter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLinearGradient>
#include <QPainterPath>
#include <QTextStream>

#include <functional>

namespace {

// Pixels the toolbar treats as transparent.
const QRgb kMask = qRgb(77, 176, 236);

QList<int> readButtons(const QString& path)
{
    QFile f(path);
    QList<int> ids;
    if (!f.open(QIODevice::ReadOnly))
        return ids;
    const QJsonArray array = QJsonDocument::fromJson(f.readAll()).array();
    for (const QJsonValue& v : array)
        if (v.toInt() != 0)
            ids.append(v.toInt());
    return ids;
}

// Anti-aliased icon over a transparent background.
QImage renderIcon(int id, int size, bool* ok)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.scale(size / 16.0, size / 16.0);
    IconPainter painter(p);
    *ok = painter.draw(id);
    p.end();
    return img;
}

using Tone = std::function<QRgb(QRgb)>;

QRgb blend(QRgb c, QRgb bg, int alpha)
{
    auto mix = [alpha](int a, int b) { return (a * alpha + b * (255 - alpha)) / 255; };
    return qRgb(mix(qRed(c), qRed(bg)), mix(qGreen(c), qGreen(bg)), mix(qBlue(c), qBlue(bg)));
}

// Copies an icon into a strip: faint edge pixels become the mask colour, the
// others are blended over the colour the icon will be shown on.
void placeIcon(QImage& strip, const QImage& icon, int x, QRgb shownOn, const Tone& tone)
{
    for (int y = 0; y < icon.height(); ++y)
        for (int i = 0; i < icon.width(); ++i) {
            const QRgb c = icon.pixel(i, y);
            if (qAlpha(c) < 64)
                continue;
            QRgb out = tone(blend(c, shownOn, qAlpha(c)));
            if (out == kMask)
                out = qRgb(78, 176, 236);
            strip.setPixel(x + i, y, out);
        }
}

bool writeStrip(const QString& path, const QList<int>& ids, int size, QRgb shownOn,
                const Tone& tone)
{
    QImage strip(size * ids.size(), size, QImage::Format_RGB888);
    strip.fill(kMask);
    for (int i = 0; i < ids.size(); ++i) {
        bool ok = false;
        const QImage icon = renderIcon(ids[i], size, &ok);
        if (!ok) {
            QTextStream(stderr) << "no icon for command " << ids[i] << "\n";
            return false;
        }
        placeIcon(strip, icon, i * size, shownOn, tone);
    }
    return strip.save(path, "BMP");
}

QRgb disabledTone(QRgb c)
{
    const int g = qGray(c);
    const int v = 150 + g * 90 / 255;
    return qRgb(v, v, v);
}

QRgb hotTone(QRgb c)
{
    auto up = [](int v) { return qMin(255, v + (255 - v) / 5 + 8); };
    return qRgb(up(qRed(c)), up(qGreen(c)), up(qBlue(c)));
}

QImage gradientImage(int w, int h, const QColor& top, const QColor& bottom, const QColor& frame)
{
    QImage img(w, h, QImage::Format_RGB888);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(img.rect(), g);
    // Only top and bottom lines: the bar is tiled side by side from this
    // picture, and side lines would show as seams.
    if (frame.isValid()) {
        p.setPen(frame);
        p.drawLine(0, 0, w - 1, 0);
        p.drawLine(0, h - 1, w - 1, h - 1);
    }
    return img;
}

bool writeSkins(const QString& dir)
{
    if (!QDir().mkpath(dir))
        return false;
    struct Skin
    {
        const char* name;
        QImage image;
    };
    const Skin skins[] = {
        {"btnNormal.bmp",
         gradientImage(120, 40, QColor(214, 250, 238), QColor(140, 226, 200), QColor())},
        {"btnHover.bmp",
         gradientImage(120, 40, QColor(236, 252, 255), QColor(186, 236, 250), QColor())},
        {"btnSelected.bmp",
         gradientImage(120, 40, QColor(160, 214, 240), QColor(222, 246, 255), QColor())},
        {"btnDisabled.bmp",
         gradientImage(120, 40, QColor(236, 236, 236), QColor(206, 206, 206), QColor())},
        {"leftFormBack.bmp",
         gradientImage(64, 256, QColor(226, 238, 250), QColor(186, 212, 238), QColor())},
        {"toolBarBack.bmp", gradientImage(64, 48, QColor(246, 249, 252), QColor(214, 226, 240),
                                          QColor(160, 180, 205))},
    };
    for (const Skin& s : skins)
        if (!s.image.save(dir + "/" + s.name, "BMP"))
            return false;
    return true;
}

bool writeHandCursor(const QString& path)
{
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(8.5, 14.5, 15, 13), 4, 4);
    const double fingerX[] = {8.5, 12.3, 16.1, 19.9};
    const double fingerTop[] = {8.5, 5.5, 5.5, 8.5};
    for (int i = 0; i < 4; ++i)
        hand.addRoundedRect(QRectF(fingerX[i], fingerTop[i], 3.6, 14), 1.8, 1.8);
    hand.addRoundedRect(QRectF(3.5, 15, 8, 3.6), 1.8, 1.8);
    hand.setFillRule(Qt::WindingFill);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(hand.simplified());
    p.end();
    return img.save(path, "PNG");
}

} // namespace

int writeAppIcons(const QString& out)
{
    if (!QDir().mkpath(out))
        return 1;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512})
        if (!renderAppIcon(size).save(QStringLiteral("%1/%2.png").arg(out).arg(size), "PNG")) {
            QTextStream(stderr) << "writing the program icon into " << out << " failed\n";
            return 1;
        }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--app-icon")
        return writeAppIcons(QString::fromLocal8Bit(argv[2]));
    if (argc != 4) {
        QTextStream(stderr)
            << "usage: scriva_resource_art OUTDIR TOOLBAR128_JSON TOOLBAR168_JSON\n";
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QList<int> main = readButtons(QString::fromLocal8Bit(argv[2]));
    const QList<int> menu = readButtons(QString::fromLocal8Bit(argv[3]));
    if (main.isEmpty() || menu.isEmpty() || !QDir().mkpath(out)) {
        QTextStream(stderr) << "cannot read the toolbar files or create " << out << "\n";
        return 1;
    }
    const QRgb toolbarBack = qRgb(232, 239, 247);
    const QRgb menuColumn = qRgb(75, 178, 237);
    const Tone same = [](QRgb c) { return c; };
    bool ok = writeStrip(out + "/bitmap161.bmp", main, 28, toolbarBack, disabledTone) &&
              writeStrip(out + "/bitmap162.bmp", main, 28, toolbarBack, same) &&
              writeStrip(out + "/bitmap163.bmp", main, 28, toolbarBack, hotTone) &&
              writeStrip(out + "/bitmap170.bmp", menu, 16, menuColumn, same) &&
              writeHandCursor(out + "/cursor175.png") && writeSkins(out + "/skin");
    if (!ok) {
        QTextStream(stderr) << "writing the bitmaps into " << out << " failed\n";
        return 1;
    }
    return 0;
}
