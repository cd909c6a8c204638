// bench_thumbs_photos FOLDER [COUNT] [WIDTH HEIGHT]: writes COUNT page photos
// (default 500 of 2592 x 1944, JPEG quality 90) the way the camera leaves
// them: a white page with lines of "words" on a darker desk, sensor noise
// everywhere, each photo shifted a little so no two files are the same.

#include "image/cximage/CxImage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kNoise = 6;           // grey levels of sensor noise either way
constexpr int kLineStepPx = 34;     // text line pitch at 5 MP
constexpr int kLetterHeightPx = 18; // height of a word bar

struct Layout
{
    int width;
    int height;
    int shift; // moves the page and its text, different in every photo
};

uint8_t level(int value)
{
    return uint8_t(std::clamp(value, 0, 255));
}

void paintRow(CxImage& image, const Layout& l, int y, std::mt19937& rng)
{
    std::uniform_int_distribution<int> noise(-kNoise, kNoise);
    uint8_t* row = image.GetBits(uint32_t(l.height - 1 - y));
    const int left = l.width / 8 + l.shift, right = l.width * 7 / 8 + l.shift;
    const int top = l.height / 12, bottom = l.height * 11 / 12;
    const bool onPage = y >= top && y < bottom;
    const int inLine = (y - top - 80) % kLineStepPx;
    const bool textRow = onPage && y > top + 80 && y < bottom - 80 && inLine < kLetterHeightPx;
    std::mt19937 words(uint32_t((y - top) / kLineStepPx * 7919 + l.shift)); // same words on a line
    int nextEdge = left + 120, ink = 0;
    for (int x = 0; x < l.width; ++x) {
        int v = 60 + (x + y) % 23; // desk
        if (onPage && x >= left && x < right) {
            v = 236;
            if (textRow && x > left + 100 && x < right - 100) {
                if (x >= nextEdge) {
                    ink = !ink;
                    nextEdge = x + (ink ? std::uniform_int_distribution<int>(30, 160)(words)
                                        : std::uniform_int_distribution<int>(10, 24)(words));
                }
                if (ink)
                    v = 40 + (x * 7 + y * 3) % 40; // letters are not flat
            }
        }
        const int n = noise(rng);
        row[3 * x] = level(v + n);
        row[3 * x + 1] = level(v + n + 2);
        row[3 * x + 2] = level(v + n + 4);
    }
}

bool writePhoto(const std::string& path, const Layout& l, uint32_t seed)
{
    CxImage image(uint32_t(l.width), uint32_t(l.height), 24);
    std::mt19937 rng(seed);
    for (int y = 0; y < l.height; ++y)
        paintRow(image, l, y, rng);
    image.SetJpegQuality(90);
    if (!image.Save(path, CXIMAGE_FORMAT_JPG)) {
        std::fprintf(stderr, "bench_thumbs_photos: %s: %s\n", path.c_str(), image.GetLastError());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_thumbs_photos FOLDER [COUNT] [WIDTH HEIGHT]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 500;
    const int width = argc > 4 ? std::atoi(argv[3]) : 2592;
    const int height = argc > 4 ? std::atoi(argv[4]) : 1944;
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    std::vector<int> failed(threads, 0);
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = int(t); i < count; i += int(threads)) {
                char name[64];
                std::snprintf(name, sizeof name, "/page_%04d.jpg", i + 1);
                const Layout layout{width, height, (i * 37) % 61 - 30};
                failed[t] += !writePhoto(folder + name, layout, uint32_t(i + 1));
            }
        });
    }
    for (std::thread& w : workers)
        w.join();
    int failures = 0;
    for (int f : failed)
        failures += f;
    std::printf("%d photos of %dx%d in %s\n", count - failures, width, height, folder.c_str());
    return failures == 0 ? 0 : 1;
}
