#pragma once
// Writes a thumbnail as a JPEG file, through a temporary file beside the target
// that replaces it only when complete. Any thread (no shared state).

#include <QImage>
#include <QString>

namespace scriva::thumbs {

constexpr int kThumbJpegQuality = 85;

// False with the reason in *error (naming the file) when it cannot be written.
bool WriteThumbJpeg(const QImage& image, const QString& path, QString* error,
                    int quality = kThumbJpegQuality);

} // namespace scriva::thumbs
