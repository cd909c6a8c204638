// The desktop's shared thumbnail cache: names, URIs, the chunks other programs
// read, validity by URI and modification time, modes, atomic writes, noted
// failures, and the builder taking pictures from it. Real PNG files, read back
// by Qt's own PNG reader as another program would.
#include "BuilderResults.h"
#include "QtTestRegistry.h"
#include "ThumbTestSupport.h"
#include "thumbs/ThumbBuilder.h"
#include "thumbs/ThumbCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <mutex>
#include <sys/stat.h>
#include <utime.h>

using namespace scriva::thumbs;

namespace {

int modeOf(const QString& path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

bool setMtime(const QString& path, qint64 seconds)
{
    utimbuf times{time_t(seconds), time_t(seconds)};
    return ::utime(QFile::encodeName(path).constData(), &times) == 0;
}

QImage solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

class ThumbCacheTest : public QObject
{
    Q_OBJECT
private slots:
    void urisEscapeWhatTheDesktopEscapes_data();
    void urisEscapeWhatTheDesktopEscapes();
    void sizeClassesAndFolders();
    void storedThumbnailsCarryTheirKeyAndModes();
    void onlyAThumbnailOfTheFileAsItIsNowCounts();
    void failuresAreNotedUntilTheFileChanges();
    void theColumnReusesAndRefreshesCachedPictures();
    void cellsOnScreenAreHandedOverBeforeTheCacheIsWritten();
    void nothingIsKeptOfThumbnailsOrPipes();
};

void ThumbCacheTest::urisEscapeWhatTheDesktopEscapes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("uri");
    QTest::newRow("plain") << "/home/u/p1.jpg" << QByteArray("file:///home/u/p1.jpg");
    QTest::newRow("space") << "/a b/c.png" << QByteArray("file:///a%20b/c.png");
    QTest::newRow("kept marks") << "/x/!$&'()*+,-.:=@_~.jpg"
                                << QByteArray("file:///x/!$&'()*+,-.:=@_~.jpg");
    QTest::newRow("escaped marks")
        << "/x/#%;?[]{}^`|\"<>\\.jpg"
        << QByteArray("file:///x/%23%25%3B%3F%5B%5D%7B%7D%5E%60%7C%22%3C%3E%5C.jpg");
    QTest::newRow("utf-8") << QString::fromUtf8("/d/caf\u00e9.jpg")
                           << QByteArray("file:///d/caf%C3%A9.jpg");
}

void ThumbCacheTest::urisEscapeWhatTheDesktopEscapes()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, uri);
    QCOMPARE(ThumbCache::UriOf(path), uri);
}

void ThumbCacheTest::sizeClassesAndFolders()
{
    QCOMPARE(ThumbCache::SizeClassFor(1), 128);
    QCOMPARE(ThumbCache::SizeClassFor(128), 128);
    QCOMPARE(ThumbCache::SizeClassFor(129), 256);
    QCOMPARE(ThumbCache::SizeClassFor(300), 512);
    QCOMPARE(ThumbCache::SizeClassFor(1024), 1024);
    QCOMPARE(ThumbCache::SizeClassFor(1025), 0);
    QCOMPARE(QString(ThumbCache::FolderOf(128)), QString("normal"));
    QCOMPARE(QString(ThumbCache::FolderOf(256)), QString("large"));
    QCOMPARE(QString(ThumbCache::FolderOf(512)), QString("x-large"));
    QCOMPARE(QString(ThumbCache::FolderOf(1024)), QString("xx-large"));
    // The default root follows XDG_CACHE_HOME.
    QCOMPARE(ThumbCache().Root(),
             QString::fromLocal8Bit(qgetenv("XDG_CACHE_HOME")) + "/thumbnails");
}

void ThumbCacheTest::storedThumbnailsCarryTheirKeyAndModes()
{
    QTemporaryDir dir;
    const QString photo = dir.filePath("page one.jpg");
    QVERIFY(thumbtest::writeTwoColour(photo, 400, 300, Qt::red, Qt::blue));
    QVERIFY(setMtime(photo, 1700000000));
    const ThumbCache cache(dir.filePath("cache/thumbnails"));
    const CacheKey key = cache.KeyOf(photo);
    QVERIFY(key.valid);
    QCOMPARE(key.uri, QByteArray("file://") + QFile::encodeName(dir.path()).replace(" ", "%20") +
                          "/page%20one.jpg");
    QString error;
    QVERIFY2(cache.Store(key, 256, solid(QSize(256, 192), Qt::green), &error), qPrintable(error));
    const QString stored = dir.filePath("cache/thumbnails/large/") +
                           QCryptographicHash::hash(key.uri, QCryptographicHash::Md5).toHex() +
                           ".png";
    QCOMPARE(cache.PathFor(key, 256), stored);
    QVERIFY(QFile::exists(stored));
    QCOMPARE(modeOf(stored), 0600);
    QCOMPARE(modeOf(dir.filePath("cache/thumbnails")), 0700);
    QCOMPARE(modeOf(dir.filePath("cache/thumbnails/large")), 0700);
    // Nothing but the thumbnail is left in the folder (written whole, then renamed).
    QCOMPARE(QDir(dir.filePath("cache/thumbnails/large"))
                 .entryList(QDir::Files | QDir::Hidden | QDir::System)
                 .size(),
             1);
    // Another program's reader sees the keys, in plain tEXt chunks.
    QImage other(stored);
    QCOMPARE(other.size(), QSize(256, 192));
    QCOMPARE(other.text("Thumb::URI").toUtf8(), key.uri);
    QCOMPARE(other.text("Thumb::MTime"), QString("1700000000"));
    QCOMPARE(other.text("Thumb::Size"), QString::number(QFileInfo(photo).size()));
    const QByteArray bytes = thumbtest::readAll(stored);
    QVERIFY(bytes.contains("tEXtThumb::URI"));
    QVERIFY(bytes.contains("tEXtThumb::MTime"));
    // Too large for its class: refused.
    QVERIFY(!cache.Store(key, 128, solid(QSize(256, 192), Qt::green), &error));
}

void ThumbCacheTest::onlyAThumbnailOfTheFileAsItIsNowCounts()
{
    QTemporaryDir dir;
    const QString photo = dir.filePath("p.png");
    const QString twin = dir.filePath("q.png");
    QVERIFY(thumbtest::writeTwoColour(photo, 40, 30, Qt::red, Qt::blue));
    QVERIFY(thumbtest::writeTwoColour(twin, 40, 30, Qt::red, Qt::blue));
    QVERIFY(setMtime(photo, 1600000000));
    const ThumbCache cache(dir.filePath("thumbnails"));
    QString error;
    const CacheKey key = cache.KeyOf(photo);
    QVERIFY(cache.Lookup(key, 128).isNull()); // nothing stored yet
    QVERIFY(cache.Store(key, 128, solid(QSize(40, 30), Qt::green), &error));
    const QImage found = cache.Lookup(key, 128);
    QCOMPARE(found.size(), QSize(40, 30));
    QVERIFY(thumbtest::near(found.pixelColor(5, 5), Qt::green));
    QVERIFY(cache.Lookup(key, 256).isNull()); // another size class
    // The file changed: the thumbnail no longer counts.
    QVERIFY(setMtime(photo, 1600000001));
    QVERIFY(cache.Lookup(cache.KeyOf(photo), 128).isNull());
    // A thumbnail of another file under this file's name does not count either.
    QVERIFY(QFile::copy(cache.PathFor(key, 128),
                        cache.PathFor(cache.KeyOf(twin), 128))); // carries p.png's URI
    QVERIFY(cache.Lookup(cache.KeyOf(twin), 128).isNull());
    // Nor does a damaged one.
    QVERIFY(setMtime(photo, 1600000000));
    QVERIFY(!cache.Lookup(cache.KeyOf(photo), 128).isNull());
    QVERIFY(thumbtest::writeAll(cache.PathFor(key, 128),
                                thumbtest::readAll(cache.PathFor(key, 128)).left(60)));
    QVERIFY(cache.Lookup(cache.KeyOf(photo), 128).isNull());
}

void ThumbCacheTest::failuresAreNotedUntilTheFileChanges()
{
    QTemporaryDir dir;
    const QString broken = dir.filePath("broken.jpg");
    QVERIFY(thumbtest::writeAll(broken, QByteArray("\xFF\xD8\xFF\xE0 not a photo", 18)));
    QVERIFY(setMtime(broken, 1500000000));
    const ThumbCache cache(dir.filePath("thumbnails"));
    const ThumbPicture first = PictureThroughCache(broken, QSize(120, 96), cache);
    QVERIFY(first.image.isNull());
    QVERIFY(first.error.contains(broken));
    const CacheKey key = cache.KeyOf(broken);
    QVERIFY(QFile::exists(dir.filePath("thumbnails/fail/scriva/") +
                          QCryptographicHash::hash(key.uri, QCryptographicHash::Md5).toHex() +
                          ".png"));
    QVERIFY(cache.HasFailed(key));
    QVERIFY(PictureThroughCache(broken, QSize(120, 96), cache).image.isNull());
    // Written again as a real photo: read and shown.
    QVERIFY(thumbtest::writeTwoColour(broken, 400, 300, Qt::red, Qt::blue));
    QVERIFY(setMtime(broken, 1500000100));
    QVERIFY(!cache.HasFailed(cache.KeyOf(broken)));
    const ThumbPicture second = PictureThroughCache(broken, QSize(120, 96), cache);
    QCOMPARE(second.image.size(), QSize(120, 90));
}

void ThumbCacheTest::theColumnReusesAndRefreshesCachedPictures()
{
    QTemporaryDir dir;
    const QString photo = dir.filePath("p.jpg");
    QVERIFY(thumbtest::writeTwoColour(photo, 800, 600, Qt::red, Qt::blue));
    const ThumbCache cache; // where the builder looks: $XDG_CACHE_HOME/thumbnails
    ThumbStyle style;
    style.box = QSize(200, 160);
    style.compressed = true;
    style.sharedCache = true;
    auto build = [&](QByteArray* jpeg) {
        ThumbBuilder builder(1);
        thumbtest::BuilderResults r(builder);
        builder.Start({ThumbJob{1, photo}}, style);
        if (!builder.WaitForDone(20000) || !QTest::qWaitFor([&] { return r.pictures.size() == 1; }))
            return false;
        *jpeg = r.pictures.at(0).jpeg;
        return true;
    };
    QByteArray jpeg;
    QVERIFY(build(&jpeg));
    QImage shown = DecodeJpegThumbnail(jpeg, QSize(200, 150)).image;
    QCOMPARE(shown.size(), QSize(200, 150));
    QVERIFY(thumbtest::near(shown.pixelColor(40, 75), Qt::red));
    // Made once at the cache's size (256 for a 200 px cell) and kept there.
    const CacheKey key = cache.KeyOf(photo);
    const QImage kept = cache.Lookup(key, 256);
    QCOMPARE(kept.size(), QSize(256, 192));
    // A second start takes the kept one (here replaced by a green one, as
    // another program might have made it) instead of reading the photo.
    QString error;
    QVERIFY(cache.Store(key, 256, solid(QSize(256, 192), Qt::green), &error));
    QVERIFY(build(&jpeg));
    shown = DecodeJpegThumbnail(jpeg, QSize(200, 150)).image;
    QVERIFY(thumbtest::near(shown.pixelColor(40, 75), Qt::green));
    // Once the photo changes, it is read again and the cache refreshed.
    QVERIFY(setMtime(photo, QFileInfo(photo).lastModified().toSecsSinceEpoch() + 10));
    QVERIFY(build(&jpeg));
    shown = DecodeJpegThumbnail(jpeg, QSize(200, 150)).image;
    QVERIFY(thumbtest::near(shown.pixelColor(40, 75), Qt::red));
    QVERIFY(thumbtest::near(cache.Lookup(cache.KeyOf(photo), 256).pixelColor(40, 96), Qt::red));
}

void ThumbCacheTest::cellsOnScreenAreHandedOverBeforeTheCacheIsWritten()
{
    // Six new photos, the first three on screen, one worker: the cache is
    // looked at on the worker as each picture is handed over.
    QTemporaryDir dir;
    const ThumbCache cache;
    std::vector<ThumbJob> jobs;
    QStringList stored;
    for (int i = 0; i < 6; ++i) {
        const QString photo = dir.filePath(QString("p%1.jpg").arg(i));
        QVERIFY(thumbtest::writeTwoColour(photo, 800, 600, Qt::red, Qt::blue));
        jobs.push_back(ThumbJob{quint64(i + 1), photo});
        stored << cache.PathFor(cache.KeyOf(photo), 256);
    }
    ThumbStyle style;
    style.box = QSize(200, 160);
    style.inCell = true;
    style.compressed = true;
    style.sharedCache = true;
    struct Handed
    {
        quint64 id;
        int inCache; // thumbnails of the six in the cache at that moment
        QImage cell;
    };
    std::mutex lock;
    std::vector<Handed> handed;
    ThumbBuilder builder(1);
    QObject::connect(
        &builder, &ThumbBuilder::pictureReady, &builder,
        [&](quint64, quint64 id, const QByteArray& jpeg, const QImage& cell) {
            int inCache = 0;
            for (const QString& path : stored)
                inCache += QFile::exists(path) ? 1 : 0;
            const std::lock_guard<std::mutex> hold(lock);
            handed.push_back({jpeg.isEmpty() ? 0 : id, inCache, cell});
        },
        Qt::DirectConnection);
    builder.Start(jobs, style, {}, 3);
    QVERIFY(builder.WaitForDone(60000));
    const std::lock_guard<std::mutex> hold(lock);
    QCOMPARE(handed.size(), size_t(6));
    struct Expected
    {
        int inCache;
        bool cellMade;
    };
    // On screen: nothing written yet, cells come made. Then the three held
    // thumbnails are written before the next photo is read; the rest come as
    // bytes alone and are written each after its own.
    const Expected expected[6] = {{0, true},  {0, true},  {0, true},
                                  {3, false}, {4, false}, {5, false}};
    for (size_t i = 0; i < handed.size(); ++i) {
        QCOMPARE(handed[i].id, quint64(i + 1));
        QCOMPARE(handed[i].inCache, expected[i].inCache);
        QCOMPARE(!handed[i].cell.isNull(), expected[i].cellMade);
        if (expected[i].cellMade) {
            QCOMPARE(handed[i].cell.size(), style.box);
            QVERIFY(thumbtest::near(handed[i].cell.pixelColor(50, 80), Qt::red));
        }
    }
    for (const QString& path : stored)
        QVERIFY2(QFile::exists(path), qPrintable(path));
}

void ThumbCacheTest::nothingIsKeptOfThumbnailsOrPipes()
{
    QTemporaryDir dir;
    const ThumbCache cache(dir.filePath("thumbnails"));
    QVERIFY(QDir().mkpath(dir.filePath("thumbnails/large")));
    const QString inside = dir.filePath("thumbnails/large/x.png");
    QVERIFY(thumbtest::writeTwoColour(inside, 40, 30, Qt::red, Qt::blue));
    QVERIFY(!cache.KeyOf(inside).valid);
    QVERIFY(!PictureThroughCache(inside, QSize(64, 64), cache).image.isNull()); // still shown
    QCOMPARE(QDir(dir.filePath("thumbnails/large")).entryList(QDir::Files).size(), 1);
    const QString pipe = dir.filePath("pipe.jpg");
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QVERIFY(!cache.KeyOf(pipe).valid);
    QVERIFY(!cache.KeyOf(dir.filePath("missing.jpg")).valid);
}

SCRIVA_QTEST(ThumbCacheTest)
#include "test_ThumbCache.moc"
