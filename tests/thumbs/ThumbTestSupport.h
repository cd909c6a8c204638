#pragma once
// Pictures for the thumbnail tests, written by the image object's own codecs:
// two-coloured pictures whose halves tell which way up a thumbnail came out,
// EXIF orientation spliced into a JPEG, and colour reads. Test thread only.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

namespace thumbtest {

enum class Split { LeftRight, TopBottom };

// A width x height picture: `first` on the left (or top) half, `second` on
// the other, saved in the format of the path's extension (bmp, jpg, png, tif).
bool writeTwoColour(const QString& path, int width, int height, QColor first, QColor second,
                    Split split = Split::LeftRight);

// A JPEG file's bytes with an EXIF block carrying `orientation` placed right
// after the start marker (little- or big-endian TIFF block).
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation, bool bigEndian = false);

// The APP1 payload alone ("Exif\0\0" + TIFF block with one IFD entry).
QByteArray exifPayload(int orientation, bool bigEndian = false, quint16 type = 3);

QByteArray readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& bytes);

// Whether two colours are within `tolerance` per channel (JPEG losses).
bool near(QColor a, QColor b, int tolerance = 24);

} // namespace thumbtest
