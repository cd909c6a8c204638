#include "ThumbTestSupport.h"

#include "image/cximage/CxImage.h"

#include <QFile>
#include <QFileInfo>
#include <cstdlib>

namespace thumbtest {

bool writeTwoColour(const QString& path, int width, int height, QColor first, QColor second,
                    Split split)
{
    CxImage image(uint32_t(width), uint32_t(height), 24);
    if (!image.IsValid())
        return false;
    for (int y = 0; y < height; ++y) {
        const int topDown = height - 1 - y; // rows are stored bottom-up
        for (int x = 0; x < width; ++x) {
            const bool isFirst = split == Split::LeftRight ? x < width / 2 : topDown < height / 2;
            const QColor c = isFirst ? first : second;
            image.SetPixelColor(x, y,
                                CxRGB(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue())));
        }
    }
    const uint32_t type =
        CxImage::FormatFromExtension(QFileInfo(path).suffix().toLatin1().constData());
    return image.Save(QFile::encodeName(path).toStdString(), type);
}

namespace {

void put16(QByteArray& b, quint16 v, bool big)
{
    if (big) {
        b.append(char(v >> 8));
        b.append(char(v & 0xFF));
    } else {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
    }
}

void put32(QByteArray& b, quint32 v, bool big)
{
    put16(b, quint16(big ? v >> 16 : v & 0xFFFF), big);
    put16(b, quint16(big ? v & 0xFFFF : v >> 16), big);
}

} // namespace

QByteArray exifPayload(int orientation, bool bigEndian, quint16 type)
{
    QByteArray p("Exif\0\0", 6);
    p.append(bigEndian ? "MM" : "II");
    put16(p, 42, bigEndian);
    put32(p, 8, bigEndian);      // IFD0 right after the header
    put16(p, 2, bigEndian);      // two entries: another tag first, then the orientation
    put16(p, 0x010F, bigEndian); // make, ASCII, not inline
    put16(p, 2, bigEndian);
    put32(p, 40, bigEndian);
    put32(p, 0, bigEndian);
    put16(p, 0x0112, bigEndian);
    put16(p, type, bigEndian);
    put32(p, 1, bigEndian);
    put16(p, quint16(orientation), bigEndian);
    put16(p, 0, bigEndian);
    put32(p, 0, bigEndian); // no next IFD
    return p;
}

QByteArray withExifOrientation(const QByteArray& jpeg, int orientation, bool bigEndian)
{
    const QByteArray payload = exifPayload(orientation, bigEndian);
    QByteArray segment;
    segment.append(char(0xFF));
    segment.append(char(0xE1));
    put16(segment, quint16(payload.size() + 2), true);
    segment.append(payload);
    QByteArray out = jpeg.left(2);
    out.append(segment);
    out.append(jpeg.mid(2));
    return out;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

bool near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace thumbtest
