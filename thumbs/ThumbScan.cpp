#include "ThumbScan.h"

#include "config/NativePath.h"
#include "image/cximage/CxImage.h"

#include <algorithm>
#include <sys/stat.h>

namespace scriva::thumbs {

namespace {

QString sortKey(const ThumbItem& item)
{
    const int cut = item.path.size() - item.name.size();
    return item.path.left(cut) + item.name.toLower();
}

} // namespace

bool ScanOrderLess(const ThumbItem& a, const ThumbItem& b)
{
    const int byKey = QString::compare(sortKey(a), sortKey(b), Qt::CaseSensitive);
    if (byKey != 0)
        return byKey < 0;
    return QString::compare(a.path, b.path, Qt::CaseSensitive) < 0;
}

std::vector<ThumbItem> ScanImageFolder(const QString& folder)
{
    std::vector<ThumbItem> items;
    if (folder.isEmpty())
        return items;
    QString prefix = folder;
    if (!prefix.endsWith(QLatin1Char('/')))
        prefix += QLatin1Char('/');
    // Hidden files count; pipes, sockets, devices and dangling links do not:
    // opening a pipe named like a photo would block its reader for good. Names are
    // the file system's bytes, so a name that is not UTF-8 is listed and can be
    // opened again (see NativePath.h).
    for (const QString& name : FolderEntries(folder)) {
        if (CxImage::FormatFromNameEnd(name.toUtf8().constData()) == CXIMAGE_FORMAT_UNKNOWN)
            continue;
        struct stat st;
        if (!StatPath(prefix + name, &st) || !S_ISREG(st.st_mode))
            continue;
        items.push_back(ThumbItem{prefix + name, name.toLower(), false, 0});
    }
    std::sort(items.begin(), items.end(), ScanOrderLess);
    return items;
}

ThumbItem ItemForPath(const QString& path)
{
    int cut = path.lastIndexOf(QLatin1Char('/'));
    if (cut < 0)
        cut = path.lastIndexOf(QLatin1Char('\\'));
    if (cut < 0)
        return ThumbItem{path, QString(), false, 0};
    return ThumbItem{path, path.mid(cut + 1), false, 0};
}

} // namespace scriva::thumbs
