// Speed of the photo pipeline's pixel operations and page detectors on camera-
// sized page photos (5 and 13 megapixels, 24-bit, a page turned 3 degrees on a
// dark desk). One thread. "bench_cximage --write-photo PATH.bmp" writes the
// 5-megapixel photo for comparisons with other tools, then exits.

#include "CxImage.h"
#include "tests/image/cximage/test_ops_support.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <unistd.h>

namespace {

// The page covers about two thirds of each side, as on a document camera.
const CxImage& Photo(int width, int height)
{
    static std::map<int, CxImage> cache;
    auto it = cache.find(width);
    if (it == cache.end())
        it =
            cache
                .emplace(width, opstest::PagePhoto(width, height, width * 0.62, height * 0.85, 3.0))
                .first;
    return it->second;
}

const CxImage& PhotoOf(const benchmark::State& state)
{
    return Photo(int(state.range(0)), int(state.range(1)));
}

template <typename Op> void RunOnCopies(benchmark::State& state, const CxImage& source, Op op)
{
    for (auto _ : state) {
        state.PauseTiming();
        CxImage img(source);
        state.ResumeTiming();
        if (!op(img))
            state.SkipWithError(img.GetLastError());
        benchmark::DoNotOptimize(img.GetBits(0));
    }
    state.counters["Mpx"] = double(source.GetWidth()) * source.GetHeight() / 1e6;
}

void BM_AutoDeskew(benchmark::State& state)
{
    RunOnCopies(state, PhotoOf(state), [](CxImage& img) { return img.AutoDeskew(); });
}

void BM_AutoCropBorder(benchmark::State& state)
{
    CxImage straight(PhotoOf(state));
    straight.AutoDeskew();
    RunOnCopies(state, straight, [](CxImage& img) { return img.AutoCropBorder(); });
}

void BM_RotateFree(benchmark::State& state)
{
    RunOnCopies(state, PhotoOf(state), [](CxImage& img) {
        const RGBQUAD black{};
        return img.RotateFree(3.0f, nullptr, IM_BILINEAR, OM_BACKGROUND, &black);
    });
}

void BM_ResampleUp(benchmark::State& state)
{
    RunOnCopies(state, PhotoOf(state), [](CxImage& img) {
        return img.ResampleTo(int(img.GetWidth() * 5 / 4), int(img.GetHeight() * 5 / 4));
    });
}

void BM_ResampleDown(benchmark::State& state)
{
    RunOnCopies(state, PhotoOf(state), [](CxImage& img) {
        return img.ResampleTo(int(img.GetWidth() * 3 / 4), int(img.GetHeight() * 3 / 4));
    });
}

void BM_QIShrink(benchmark::State& state)
{
    RunOnCopies(state, PhotoOf(state), [](CxImage& img) {
        return img.QIShrink(int(img.GetWidth() / 2), int(img.GetHeight() / 2));
    });
}

void BM_RotateRight90(benchmark::State& state)
{
    RunOnCopies(state, PhotoOf(state), [](CxImage& img) { return img.RotateRight90(); });
}

void BM_ToGray(benchmark::State& state)
{
    RunOnCopies(state, PhotoOf(state), [](CxImage& img) { return img.ToGray(); });
}

// What every photo goes through after the page cut: straighten, crop, save as JPEG.
void BM_StraightenCropSaveJpeg(benchmark::State& state)
{
    char path[] = "/tmp/bench_cximage_XXXXXX.jpg";
    const int fd = mkstemps(path, 4);
    if (fd >= 0)
        close(fd);
    RunOnCopies(state, PhotoOf(state), [&](CxImage& img) {
        return img.AutoDeskew() && img.AutoCropBorder() && img.Save(path, CXIMAGE_FORMAT_JPG);
    });
    std::remove(path);
}

#define PHOTO_SIZES Args({2592, 1944})->Args({4208, 3120})->Unit(benchmark::kMillisecond)
BENCHMARK(BM_AutoDeskew)->PHOTO_SIZES;
BENCHMARK(BM_AutoCropBorder)->PHOTO_SIZES;
BENCHMARK(BM_RotateFree)->PHOTO_SIZES;
BENCHMARK(BM_ResampleUp)->PHOTO_SIZES;
BENCHMARK(BM_ResampleDown)->PHOTO_SIZES;
BENCHMARK(BM_QIShrink)->PHOTO_SIZES;
BENCHMARK(BM_RotateRight90)->PHOTO_SIZES;
BENCHMARK(BM_ToGray)->PHOTO_SIZES;
BENCHMARK(BM_StraightenCropSaveJpeg)->PHOTO_SIZES;

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-photo") == 0) {
        CxImage photo(Photo(2592, 1944));
        if (!photo.Save(argv[2], CXIMAGE_FORMAT_BMP)) {
            std::fprintf(stderr, "bench_cximage: %s: %s\n", argv[2], photo.GetLastError());
            return 1;
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
