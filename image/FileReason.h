#pragma once
// Why a file could not be read or written, in the system's words, for the
// boxes that report it: the reader's or writer's own text, with the system's
// reason for the file or its folder added when that text lacks it ("No such
// file or directory", "Not a directory", "Is a directory", "Permission
// denied", "Read-only file system"). Looks at the file system only after the
// failure; never opens anything that could block. Any thread.

#include <QString>

namespace scriva::image {

// After a failed load: what keeps the file from being read (missing, a
// folder, not readable), else the decoder's text.
QString ReadFailureReason(const QString& path, const QString& decoderText);
// After a failed save: the writer's text, with what keeps the file or its
// folder from being written when the text does not already say it.
QString WriteFailureReason(const QString& path, const QString& writerText);

} // namespace scriva::image
