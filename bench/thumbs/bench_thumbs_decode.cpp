// bench_thumbs_decode: CPU time of one thumbnail from a 5 MP photo on one
// thread, per format (JPEG at reduced DCT scale; PNG and BMP through the image
// object and box averages), for the cell of the column and for 200 px; and the
// steps of a cell of the column on a first start (photo not in the shared
// cache): the picture through the cache, its JPEG bytes, its cell, and the
// cache entry written afterwards.

#include "image/cximage/CxImage.h"
#include "thumbs/ThumbCache.h"
#include "thumbs/ThumbCell.h"
#include "thumbs/ThumbDecoder.h"
#include "thumbs/ThumbJpegWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QString photo(const char* ext, uint32_t type)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.") + QLatin1String(ext));
    if (!QFile::exists(path)) {
        CxImage image(2592, 1944, 24);
        for (uint32_t y = 0; y < image.GetHeight(); ++y) {
            uint8_t* row = image.GetBits(y);
            for (uint32_t x = 0; x < image.GetWidth() * 3; ++x)
                row[x] = uint8_t((x * 13 + y * 7 + (x * y) % 29) & 0xFF);
        }
        image.Save(QFile::encodeName(path).toStdString(), type);
    }
    return path;
}

void decode(benchmark::State& state, const char* ext, uint32_t type, QSize box)
{
    const QString path = photo(ext, type);
    for (auto _ : state) {
        const scriva::thumbs::ThumbPicture picture = scriva::thumbs::DecodeThumbnail(path, box);
        benchmark::DoNotOptimize(picture.image.constBits());
        if (picture.image.isNull())
            state.SkipWithError("decode failed");
    }
}

// The column's cell for a 900 px pane with four cells.
const QSize kColumnCell(236, 189);

// What a worker does for a cell on screen before handing it over: the
// picture through an empty cache (its entry left pending), the JPEG bytes the
// column keeps, and the cell shown.
void columnCellFirstStart(benchmark::State& state)
{
    using namespace scriva::thumbs;
    const QString path = photo("jpg", CXIMAGE_FORMAT_JPG);
    QTemporaryDir cacheDir;
    const ThumbCache cache(cacheDir.filePath(QStringLiteral("thumbnails")));
    for (auto _ : state) {
        PendingStore pending;
        const ThumbPicture picture = PictureThroughCache(path, kColumnCell, cache, false, &pending);
        const QByteArray jpeg = EncodeThumbJpeg(picture.image);
        const QImage cell = ComposeCell(picture.image, kColumnCell);
        benchmark::DoNotOptimize(jpeg.constData());
        benchmark::DoNotOptimize(cell.constBits());
        if (pending.image.isNull())
            state.SkipWithError("nothing to store");
    }
}

// The same cell made straight from the photo, without cache or bytes (as when
// the column kept whole cells).
void columnCellDirect(benchmark::State& state)
{
    using namespace scriva::thumbs;
    const QString path = photo("jpg", CXIMAGE_FORMAT_JPG);
    for (auto _ : state) {
        const QImage cell = ComposeCell(DecodeThumbnail(path, kColumnCell).image, kColumnCell);
        benchmark::DoNotOptimize(cell.constBits());
    }
}

// The cache entry of one photo written afterwards (PNG encode and file).
void columnCacheStore(benchmark::State& state)
{
    using namespace scriva::thumbs;
    const QString path = photo("jpg", CXIMAGE_FORMAT_JPG);
    QTemporaryDir cacheDir;
    const ThumbCache cache(cacheDir.filePath(QStringLiteral("thumbnails")));
    PendingStore made;
    PictureThroughCache(path, kColumnCell, cache, false, &made);
    for (auto _ : state) {
        PendingStore pending = made;
        pending.Commit(cache);
    }
}

} // namespace

BENCHMARK(columnCellFirstStart)->Unit(benchmark::kMillisecond);
BENCHMARK(columnCellDirect)->Unit(benchmark::kMillisecond);
BENCHMARK(columnCacheStore)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, jpeg_cell, "jpg", CXIMAGE_FORMAT_JPG, QSize(206, 165))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, jpeg_200, "jpg", CXIMAGE_FORMAT_JPG, QSize(200, 200))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, png_cell, "png", CXIMAGE_FORMAT_PNG, QSize(206, 165))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, bmp_cell, "bmp", CXIMAGE_FORMAT_BMP, QSize(206, 165))
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
