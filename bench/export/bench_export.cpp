// Speed of the PDF export: 20 camera photos of 5 megapixels (JPEG files, which
// are embedded as they are) into one PDF, and pages that must be decoded and
// encoded (BMP files). "bench_export --write-photos DIR [N]" writes N such photos
// (default 20) as photo_NN.jpg for comparisons with other tools, then exits.

#include "export/PdfExport.h"
#include "image/cximage/CxImage.h"
#include "tests/image/cximage/test_ops_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kPhotoWidth = 2592; // 5 megapixels, as the camera delivers
constexpr int kPhotoHeight = 1944;
constexpr int kPhotoCount = 20;
constexpr int kSensorNoise = 9; // grey levels of noise, as a camera's sensor adds

// A page photo with sensor noise and a warm tint, so that JPEG files have the
// size a camera's have (about 1-2 MB at quality 90).
CxImage CameraPhoto(int index)
{
    CxImage img = opstest::PagePhoto(kPhotoWidth, kPhotoHeight, kPhotoWidth * 0.62,
                                     kPhotoHeight * 0.85, 1.0 + index * 0.25);
    uint32_t seed = 12345u + uint32_t(index);
    for (uint32_t y = 0; y < img.GetHeight(); ++y) {
        uint8_t* p = img.GetBits(y);
        for (uint32_t x = 0; x < img.GetWidth() * 3; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int v =
                p[x] + int(seed >> 24) % kSensorNoise - kSensorNoise / 2 + (x % 3 == 2 ? 6 : 0);
            p[x] = uint8_t(std::clamp(v, 0, 255));
        }
    }
    return img;
}

QStringList WritePhotos(const QString& dir, int count, uint32_t format)
{
    QDir().mkpath(dir);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/photo_%2.%3")
                                 .arg(dir)
                                 .arg(i, 2, 10, QLatin1Char('0'))
                                 .arg(format == CXIMAGE_FORMAT_JPG ? "jpg" : "bmp");
        CxImage photo = CameraPhoto(i);
        if (!photo.Save(QFile::encodeName(path).toStdString(), format))
            std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), photo.GetLastError());
        paths << path;
    }
    return paths;
}

void RunExport(benchmark::State& state, uint32_t format, int count)
{
    QTemporaryDir dir;
    const QStringList photos = WritePhotos(dir.path() + "/photos", count, format);
    const QString pdf = dir.path() + "/out.pdf";
    scriva::exporter::PdfExportOptions options;
    options.threads = int(state.range(0));
    for (auto _ : state) {
        const auto result = scriva::exporter::ExportPdf(pdf, photos, options);
        if (!result.ok())
            state.SkipWithError(qPrintable(result.Message()));
    }
    state.counters["pages"] = count;
    state.counters["MB"] = double(QFile(pdf).size()) / 1e6;
}

void BM_ExportJpegPhotos(benchmark::State& state)
{
    RunExport(state, CXIMAGE_FORMAT_JPG, kPhotoCount);
}

void BM_ExportBmpPhotos(benchmark::State& state)
{
    RunExport(state, CXIMAGE_FORMAT_BMP, 4);
}

} // namespace

BENCHMARK(BM_ExportJpegPhotos)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportBmpPhotos)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--write-photos") == 0) {
        const int count = argc >= 4 ? std::atoi(argv[3]) : kPhotoCount;
        WritePhotos(QString::fromLocal8Bit(argv[2]), count, CXIMAGE_FORMAT_JPG);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
