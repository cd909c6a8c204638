#pragma once
// Writes one BGR frame sample as a 24-bit bottom-up BMP (54-byte headers, rows
// padded to four bytes), atomically: the file appears whole or not at all.
// Any thread.

#include <QString>

typedef struct _GstSample GstSample;

namespace FrameBitmap {

constexpr int kHeaderBytes = 54;

// False when the sample is missing, not BGR, its sizes disagree with its
// buffer, or the file cannot be written.
bool Write(GstSample* sample, const QString& path, QString* error = nullptr);

} // namespace FrameBitmap
