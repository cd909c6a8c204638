#pragma once
// File names as the file system's bytes. A Linux name is any bytes, not always UTF-8; Qt's
// own conversion turns the bytes that are not UTF-8 into U+FFFD, so such a file could be
// listed but never opened again. Here each byte that is not part of valid UTF-8 becomes one
// lone low surrogate (U+DC80 + byte - 0x80), and the way back restores it: every name
// survives the trip through QString, and valid UTF-8 names convert exactly as QFile's
// encodeName/decodeName do. Pure functions, any thread.

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

struct stat;

namespace scriva {

// The name for the program's use; a byte that is not text shows as the replacement
// character when printed through Qt, use NativePath() to print the name as it is.
QString PathFromNative(const QByteArray& bytes);
QString PathFromNative(const char* bytes);
// The bytes to hand to the system for a name made by PathFromNative (or any text).
QByteArray NativePath(const QString& path);
std::string NativePathString(const QString& path);

// stat() of the path's bytes; false when it cannot be reached.
bool StatPath(const QString& path, struct stat* st);
bool IsFolderPath(const QString& path); // follows links
// The names in a folder except "." and "..", unsorted; empty when it cannot be read.
std::vector<QString> FolderEntries(const QString& folder);

} // namespace scriva
