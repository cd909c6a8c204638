#pragma once
// How a photo is named and where it goes: the save folder (a relative path lies
// under the documents folder), the number part (date and time, or the counter
// with its next value wrapping like a 32-bit int), the file name
// "<stem>_<number>.<format>", and free names for photos that never replace
// one another. Pure functions; any thread.

#include <QDateTime>
#include <QString>
#include <cstdint>

class QFile;

namespace PhotoNaming {

// The save folder of a savePath value, without a trailing "/".
QString SaveFolder(const QString& savePath);
// The temporary bitmap's path: tempPath (relative: under the cache folder) +
// "/" + scanTempImg.
QString TempBitmapPath(const QString& tempPath, const QString& tempName);

// "yyyy_MM_dd_HH_mm_ss" of a local time.
QString DateNumber(const QDateTime& when);
// The counter as a decimal, minus sign for negative values, no leading zeros.
QString CounterNumber(int32_t value);
// value + step computed in 64 bits and wrapped to 32 bits (two's complement).
int32_t NextCounter(int32_t value, int32_t step);

// "<stem>_<number>.<format>"; an empty stem gives a name starting with "_".
QString FileName(const QString& stem, const QString& number, const QString& format);
// The folder's path joined with a file name.
QString PathIn(const QString& folder, const QString& fileName);

// Creates the first free "<folder>/<base>[_N].<format>" (N from 2) as a new,
// empty file opened in `file` and returns its path; existing files and links
// are never reused. Empty with the reason ("<path>: <why>") when no name can
// be had.
QString ReserveNewFile(const QString& folder, const QString& base, const QString& format,
                       QFile& file, QString& error);

} // namespace PhotoNaming
