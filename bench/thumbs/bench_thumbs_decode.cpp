// bench_thumbs_decode: CPU time of one thumbnail from a 5 MP photo on one
// thread, per format (JPEG at reduced DCT scale; PNG and BMP through the image
// object and box averages), for the cell of the column and for 200 px.

#include "image/cximage/CxImage.h"
#include "thumbs/ThumbDecoder.h"

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

} // namespace

BENCHMARK_CAPTURE(decode, jpeg_cell, "jpg", CXIMAGE_FORMAT_JPG, QSize(206, 165))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, jpeg_200, "jpg", CXIMAGE_FORMAT_JPG, QSize(200, 200))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, png_cell, "png", CXIMAGE_FORMAT_PNG, QSize(206, 165))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, bmp_cell, "bmp", CXIMAGE_FORMAT_BMP, QSize(206, 165))
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
