#pragma once
// Decodes an image file into a thumbnail: the one decoding path of the
// thumbnail column and of "scriva-cli thumbs". JPEG files are decoded at the
// smallest DCT scale (in eighths) that still covers the target and are turned
// upright by their EXIF orientation; other formats are read by the image object
// once and shrunk with box averages. Pure (no shared state), any thread.

#include <QImage>
#include <QSize>
#include <QString>

namespace scriva::thumbs {

struct ThumbPicture
{
    QImage image;          // RGB32, upright; null on failure
    QSize sourceSize;      // upright size of the picture in the file
    QString error;         // why it failed, naming the file
    bool tooLarge = false; // refused for its size, not for its content
};

// A picture of the size FitRect gives for the upright picture in `box`
// (centring offsets left to the caller). Fails for unreadable, unknown or
// truncated files.
ThumbPicture DecodeThumbnail(const QString& path, QSize box);

// Same, from a JPEG file already in memory (for the fuzzer and tests).
ThumbPicture DecodeJpegThumbnail(const QByteArray& bytes, QSize box);

} // namespace scriva::thumbs
