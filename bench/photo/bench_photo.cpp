// The take-photo command on the demo camera's 2592 x 1944 frame saved as
// JPEG: from the command to the file on disk (target < 250 ms), and the
// processing of the frame alone (page cut, straightening, turn).

#include "capture_view/PhotoProcessor.h"
#include "capture_view/ui/CVideoView.h"
#include "config/CConfigFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <gst/gst.h>
#include <thread>

namespace {

QApplication& App()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench_photo";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    gst_init(nullptr, nullptr);
    return *app;
}

void BM_TakePhotoCommand(benchmark::State& state)
{
    QApplication& app = App();
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath("cache")));
    CConfigFile store;
    if (!store.Load(QStringLiteral(SCRIVA_BENCH_CONFIG))) {
        state.SkipWithError("no shipped settings");
        return;
    }
    const QString S = QStringLiteral("TAKE_PHOTOS_SET");
    store.SetString(QStringLiteral("savePath"), dir.filePath("photos"), S);
    CScrivaDoc doc;
    CVideoView view(doc);
    view.SetSettings(&store);
    view.SetCaptureSource(CaptureSource::Demo());
    PhotoTaker::Hooks hooks;
    const QString storePath = dir.filePath("config.cfg");
    hooks.storePath = [storePath] { return storePath; };
    view.Photos().SetHooks(hooks);
    view.resize(640, 480);
    view.show();
    if (!view.StartCapture()) {
        state.SkipWithError("the demo camera did not start");
        return;
    }
    while (view.Graph().Callback().FrameCount() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    int saved = 0;
    QObject::connect(&view, &CVideoView::photoSaved, [&saved] { ++saved; });
    for (auto _ : state)
        view.OnCommand(scriva::cmd::kTakePhoto);
    if (saved != int(state.iterations()))
        state.SkipWithError("a photo was not saved");
    view.Graph().Shutdown();
    app.processEvents();
}
BENCHMARK(BM_TakePhotoCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessDemoFrame(benchmark::State& state)
{
    App();
    CCaptureGraph graph;
    graph.Initialize(CaptureSource::Demo());
    graph.StartPreview();
    while (graph.Callback().FrameCount() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    CxImage frame;
    graph.CopyHeldFrame(frame);
    graph.Shutdown();
    PhotoParams p;
    p.cameraModel = 4;
    p.pageHeightMm = 210;
    p.pageWidthMm = 297;
    p.direction = 1;
    p.frameWidth = 2592;
    for (auto _ : state) {
        CxImage photo(frame);
        benchmark::DoNotOptimize(PhotoProcessor::Process(photo, p));
    }
}
BENCHMARK(BM_ProcessDemoFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
