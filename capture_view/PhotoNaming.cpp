#include "PhotoNaming.h"

#include "config/AppPaths.h"

#include <QFile>
#include <QFileInfo>

namespace PhotoNaming {

namespace {
constexpr int kMaxFreeNameTries = 10000;
} // namespace

QString SaveFolder(const QString& savePath)
{
    QString folder = scriva::resolveDocumentsPath(savePath);
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

QString TempBitmapPath(const QString& tempPath, const QString& tempName)
{
    return PathIn(scriva::resolveCachePath(tempPath), tempName);
}

QString DateNumber(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyy_MM_dd_HH_mm_ss"));
}

QString CounterNumber(int32_t value)
{
    return QString::number(value);
}

int32_t NextCounter(int32_t value, int32_t step)
{
    const int64_t sum = int64_t(value) + int64_t(step);
    return int32_t(uint32_t(uint64_t(sum)));
}

QString FileName(const QString& stem, const QString& number, const QString& format)
{
    return stem + u'_' + number + u'.' + format;
}

QString PathIn(const QString& folder, const QString& fileName)
{
    return folder.endsWith(u'/') ? folder + fileName : folder + u'/' + fileName;
}

QString ReserveNewFile(const QString& folder, const QString& base, const QString& format,
                       QFile& file, QString& error)
{
    for (int n = 1; n <= kMaxFreeNameTries; ++n) {
        const QString suffix = n == 1 ? QString() : QStringLiteral("_%1").arg(n);
        QString path = PathIn(folder, base + suffix + u'.' + format);
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            continue;
        file.setFileName(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (QFileInfo::exists(path))
            continue; // made by someone else in the meantime
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return QString();
    }
    error = QStringLiteral("%1: no free photo name left").arg(folder);
    return QString();
}

} // namespace PhotoNaming
