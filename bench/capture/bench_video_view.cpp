// Repaint time of the capture view at fit zoom with a 5 MP demo frame: the
// visible part is sampled into the viewport on every paint (target < 16 ms).

#include "capture_view/ui/CVideoView.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <gst/gst.h>
#include <thread>

namespace {

void RepaintAtFit(benchmark::State& state, bool zoomed)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench_capture";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    gst_init(nullptr, nullptr);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    CScrivaDoc doc;
    CVideoView view(doc);
    view.SetCaptureSource(CaptureSource::Demo());
    view.resize(int(state.range(0)), int(state.range(1)));
    view.show();
    if (!view.StartCapture()) {
        state.SkipWithError("the demo camera did not start");
        return;
    }
    while (view.Graph().Callback().FrameCount() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (zoomed) {
        for (int i = 0; i < 10; ++i)
            view.ZoomIn(view.width() / 2, view.height() / 2);
    }
    QImage target(view.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        view.viewport()->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
    view.Graph().Shutdown();
    app->processEvents();
}

void BM_VideoViewRepaintFit(benchmark::State& state)
{
    RepaintAtFit(state, false);
}
BENCHMARK(BM_VideoViewRepaintFit)
    ->Args({1280, 960})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond);

void BM_VideoViewRepaintZoom2(benchmark::State& state)
{
    RepaintAtFit(state, true);
}
BENCHMARK(BM_VideoViewRepaintZoom2)->Args({1280, 960})->Unit(benchmark::kMillisecond);

} // namespace
