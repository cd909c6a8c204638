#pragma once
// Writes a thumbnail as a JPEG file by the program's saving rule (CxSafeFile): a
// temporary file beside the target replaces it only when every byte is written and
// synced; a FIFO is written into, a write-protected file kept. Any thread.

#include <QImage>
#include <QString>

namespace scriva::thumbs {

constexpr int kThumbJpegQuality = 85;

// The JPEG bytes of a picture held in memory; empty when it cannot be encoded.
QByteArray EncodeThumbJpeg(const QImage& image, int quality = kThumbJpegQuality);

// False with the reason in *error (naming the file) when it cannot be written.
bool WriteThumbJpeg(const QImage& image, const QString& path, QString* error,
                    int quality = kThumbJpegQuality);

} // namespace scriva::thumbs
