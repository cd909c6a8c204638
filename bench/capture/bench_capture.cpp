// Capture throughput and per-frame cost: frames per second delivered by the
// demo camera (2592x1944) and the test pattern (1920x1080), CPU time of one
// frame in the callback at 5 MP with the page frame painted, and the number
// of allocations per frame after the first (expected 0), and the held frame
// of a photo turned into the image it is developed from, raw and JPEG.
//   bench_capture --benchmark_counters_tabular=true

#include "capture/CCaptureGraph.h"
#include "capture/DemoCamera.h"
#include "capture/FrameBitmap.h"
#include "capture/PageGeometry.h"
#include "image/cximage/CxImage.h"

#include <QTemporaryDir>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <gst/gst.h>
#include <thread>
#include <vector>

// Counts heap allocations made by the thread that asks for it.
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
static thread_local bool t_counting = false;
static std::atomic<long> g_allocations{0};
extern "C" void* malloc(size_t n)
{
    if (t_counting)
        ++g_allocations;
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t s)
{
    if (t_counting)
        ++g_allocations;
    return __libc_calloc(n, s);
}
extern "C" void* realloc(void* p, size_t n)
{
    if (t_counting)
        ++g_allocations;
    return __libc_realloc(p, n);
}

namespace {

GstSample* MakeSample(int w, int h)
{
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGR", "width",
                                        G_TYPE_INT, w, "height", G_TYPE_INT, h, "framerate",
                                        GST_TYPE_FRACTION, 15, 1, nullptr);
    const gsize stride = (gsize(w) * 3 + 3) & ~gsize(3);
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, stride * gsize(h), nullptr);
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_WRITE);
    for (gsize i = 0; i < map.size; ++i)
        map.data[i] = uint8_t(i * 7);
    gst_buffer_unmap(buffer, &map);
    GstSample* sample = gst_sample_new(buffer, caps, nullptr, nullptr);
    gst_buffer_unref(buffer);
    gst_caps_unref(caps);
    return sample;
}

void StreamFps(benchmark::State& state, const CaptureSource& source)
{
    gst_init(nullptr, nullptr);
    QTemporaryDir dir;
    CCaptureGraph graph;
    graph.SetProfile(CaptureProfile(dir.path() + QStringLiteral("/profile.ini")));
    if (!graph.Initialize(source) || !graph.StartPreview()) {
        state.SkipWithError("the source did not start");
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // past start-up
    uint64_t frames = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        const uint64_t before = graph.Callback().FrameCount();
        const auto t0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        frames += graph.Callback().FrameCount() - before;
    }
    state.counters["fps"] = seconds > 0 ? double(frames) / seconds : 0.0;
    graph.Shutdown();
}

void BM_DemoCameraFps(benchmark::State& state)
{
    StreamFps(state, CaptureSource::Demo());
}
BENCHMARK(BM_DemoCameraFps)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TestPattern1080Fps(benchmark::State& state)
{
    StreamFps(state, CaptureSource::Test());
}
BENCHMARK(BM_TestPattern1080Fps)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// One frame through the callback: copy with the flip, page border, held sample.
void BM_CallbackPerFrame(benchmark::State& state)
{
    gst_init(nullptr, nullptr);
    const int w = int(state.range(0));
    const int h = int(state.range(1));
    GstSample* samples[2] = {MakeSample(w, h), MakeSample(w, h)};
    CGrabberCallback cb;
    cb.PublishPageFrame(w, h, PageGeometry::PageFrame(4, w, h, 297, 210));
    cb.BufferCB(samples[1]); // the first frame creates the image
    long allocations = 0;
    long frames = 0;
    for (auto _ : state) {
        const long before = g_allocations.load();
        t_counting = true;
        benchmark::DoNotOptimize(cb.BufferCB(samples[frames & 1]));
        t_counting = false;
        allocations += g_allocations.load() - before;
        ++frames;
    }
    state.counters["allocs_per_frame"] = frames ? double(allocations) / double(frames) : 0.0;
    state.SetBytesProcessed(int64_t(frames) * w * h * 3);
    cb.Reset();
    gst_sample_unref(samples[0]);
    gst_sample_unref(samples[1]);
}
BENCHMARK(BM_CallbackPerFrame)
    ->Args({2592, 1944})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond);

// The held frame of a photo into the image the photo steps develop: the
// demo camera's page as a raw BGR sample (copied with the flip) and as the
// JPEG frame a camera sends (quality 90, decoded at full size). A fresh image
// each time, as for a photo.
GstSample* PageSample(bool jpeg)
{
    CxImage page;
    page.Copy(DemoCamera::Picture());
    const int w = int(page.GetWidth());
    const int h = int(page.GetHeight());
    GstCaps* caps = nullptr;
    GstBuffer* buffer = nullptr;
    if (jpeg) {
        page.SetJpegQuality(90.0f);
        std::vector<uint8_t> bytes;
        page.Encode(bytes, CXIMAGE_FORMAT_JPG);
        buffer = gst_buffer_new_memdup(bytes.data(), bytes.size());
        caps = gst_caps_new_simple("image/jpeg", "width", G_TYPE_INT, w, "height", G_TYPE_INT, h,
                                   nullptr);
    } else {
        buffer = gst_buffer_new_allocate(nullptr, gsize(w) * 3 * gsize(h), nullptr);
        GstMapInfo map;
        gst_buffer_map(buffer, &map, GST_MAP_WRITE);
        for (int y = 0; y < h; ++y) // top line first
            std::memcpy(map.data + size_t(y) * size_t(w) * 3, page.GetBits(uint32_t(h - 1 - y)),
                        size_t(w) * 3);
        gst_buffer_unmap(buffer, &map);
        caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGR", "width",
                                   G_TYPE_INT, w, "height", G_TYPE_INT, h, "framerate",
                                   GST_TYPE_FRACTION, 15, 1, nullptr);
    }
    GstSample* sample = gst_sample_new(buffer, caps, nullptr, nullptr);
    gst_buffer_unref(buffer);
    gst_caps_unref(caps);
    return sample;
}

void BM_HeldFrameToPhotoImage(benchmark::State& state)
{
    gst_init(nullptr, nullptr);
    GstSample* sample = PageSample(state.range(0) != 0);
    for (auto _ : state) {
        CxImage image;
        if (!FrameBitmap::ToImage(sample, image)) {
            state.SkipWithError("the frame did not convert");
            break;
        }
        benchmark::DoNotOptimize(image.GetBits(0));
    }
    state.SetLabel(state.range(0) ? "JPEG" : "raw");
    gst_sample_unref(sample);
}
BENCHMARK(BM_HeldFrameToPhotoImage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
