// Loading camera photos saved as BMP and saving them as JPEG (quality 90), at the two
// frame sizes of the supported cameras. The page photo is synthesised: paper with lines
// of dark "text" and sensor noise, on a darker desk.
#include "image/cximage/CxImage.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

CxImage pagePhoto(uint32_t w, uint32_t h)
{
    CxImage img(w, h, 24);
    uint32_t seed = 12345;
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = img.GetBits(y);
        for (uint32_t x = 0; x < w; ++x, row += 3) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int((seed >> 16) & 15) - 8;
            const bool page = x > w / 10 && x < w - w / 10 && y > h / 12 && y < h - h / 12;
            const bool ink = page && (y / 14) % 3 == 0 && ((x / 9) % 7) != 0 && (x * 31 + y) % 5;
            int v = page ? (ink ? 40 : 225) : 90;
            v = std::max(0, std::min(255, v + noise));
            row[0] = uint8_t(v);
            row[1] = uint8_t(v + (page ? 0 : 10) > 255 ? 255 : v + (page ? 0 : 10));
            row[2] = uint8_t(v);
        }
    }
    return img;
}

// One BMP file per size, written once for all runs.
const std::string& bmpFile(uint32_t w, uint32_t h)
{
    static std::map<uint64_t, std::string> files;
    std::string& path = files[(uint64_t(w) << 32) | h];
    if (path.empty()) {
        path = "/tmp/bench_cximage_" + std::to_string(getpid()) + "_" + std::to_string(w) + ".bmp";
        pagePhoto(w, h).Save(path, CXIMAGE_FORMAT_BMP);
        std::atexit([] {
            for (auto& f : files)
                std::remove(f.second.c_str());
        });
    }
    return path;
}

void BM_LoadBmp(benchmark::State& state)
{
    const auto w = uint32_t(state.range(0)), h = uint32_t(state.range(1));
    const std::string& path = bmpFile(w, h);
    for (auto _ : state) {
        CxImage img;
        if (!img.Load(path, CXIMAGE_FORMAT_BMP))
            state.SkipWithError(img.GetLastError());
        benchmark::DoNotOptimize(img.GetBits(0));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * w * h * 3);
}

void BM_SaveJpeg90(benchmark::State& state)
{
    const auto w = uint32_t(state.range(0)), h = uint32_t(state.range(1));
    CxImage img = pagePhoto(w, h);
    const std::string path = "/tmp/bench_cximage_" + std::to_string(getpid()) + ".jpg";
    for (auto _ : state) {
        if (!img.Save(path, CXIMAGE_FORMAT_JPG))
            state.SkipWithError(img.GetLastError());
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * w * h * 3);
}

void BM_DecodeJpeg(benchmark::State& state)
{
    const auto w = uint32_t(state.range(0)), h = uint32_t(state.range(1));
    CxImage img = pagePhoto(w, h);
    std::vector<uint8_t> bytes;
    img.Encode(bytes, CXIMAGE_FORMAT_JPG);
    for (auto _ : state) {
        CxImage out;
        if (!out.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_JPG))
            state.SkipWithError(out.GetLastError());
        benchmark::DoNotOptimize(out.GetBits(0));
    }
}

} // namespace

BENCHMARK(BM_LoadBmp)->Args({2592, 1944})->Args({4208, 3120})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveJpeg90)->Args({2592, 1944})->Args({4208, 3120})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg)->Args({2592, 1944})->Args({4208, 3120})->Unit(benchmark::kMillisecond);
