#pragma once
// Writes one BGR frame sample, or a JPEG one decoded at full size, as a
// 24-bit bottom-up BMP (54-byte headers, rows padded to four bytes),
// atomically: the file appears whole or not at all. Any thread.

#include <QString>

class CxImage;
typedef struct _GstSample GstSample;

namespace FrameBitmap {

constexpr int kHeaderBytes = 54;

// False when the sample is missing, neither BGR nor JPEG, a JPEG one does
// not decode, its sizes disagree with its
// buffer, or the file cannot be written.
bool Write(GstSample* sample, const QString& path, QString* error = nullptr);

// The same rows as a 24-bit image in memory, for photos that are not saved.
bool ToImage(GstSample* sample, CxImage& image, QString* error = nullptr);

// Both at once: the rows go into `image` (a JPEG frame decoded straight into
// it) and the file is written from them in one piece. False, with `image`
// empty, when either fails.
bool WriteKeeping(GstSample* sample, const QString& path, CxImage& image, QString* error = nullptr);

} // namespace FrameBitmap
