// Fuzz target: reading an entry of the desktop's shared thumbnail cache, which
// any program may have written. The bytes are the PNG kept for a file; a
// picture that comes out belongs to that file and fits its size class.
#include "thumbs/ThumbCache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const QString original = dir.filePath(QStringLiteral("page.png"));
    static const scriva::thumbs::ThumbCache cache(dir.filePath(QStringLiteral("thumbnails")));
    static bool ready = [] {
        QFile file(original);
        return dir.isValid() && file.open(QIODevice::WriteOnly) && file.write("x") == 1 &&
               QDir().mkpath(dir.filePath(QStringLiteral("thumbnails/normal")));
    }();
    if (!ready)
        std::abort();
    const scriva::thumbs::CacheKey key = cache.KeyOf(original);
    QFile entry(cache.PathFor(key, 128));
    if (!entry.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        entry.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();
    entry.close();
    const QImage found = cache.Lookup(key, 128);
    if (!found.isNull() && (found.width() > 128 || found.height() > 128))
        std::abort();
    return 0;
}
