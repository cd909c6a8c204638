// The image view's speed on realistic photos in a 1920x1080 pane: a 5 MP JPEG
// opened to its first paint, a repaint at fit zoom, at 100 % while scrolling
// and at 400 %, and one wheel step of zoom on a 13 MP image (zoom, scroll and
// the repaint that follows). Targets: 150 ms to the first paint, 16 ms for the
// others.

#include "image/CScrivaDoc.h"
#include "image/ui/CScrivaView.h"

#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <benchmark/benchmark.h>

namespace {

constexpr int kPaneWidth = 1920;
constexpr int kPaneHeight = 1080;

QApplication& app()
{
    static int argc = 1;
    static char name[] = "bench_image_view";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

// A photo-like picture (smooth shading with fine detail) written once per size.
QString photo(int w, int h)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo_%1x%2.jpg").arg(w).arg(h));
    if (QFile::exists(path))
        return path;
    CxImage image(uint32_t(w), uint32_t(h), 24);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = image.GetBits(uint32_t(y));
        for (int x = 0; x < w; ++x) {
            row[3 * x] = uint8_t((x * 255) / w);
            row[3 * x + 1] = uint8_t((y * 255) / h);
            row[3 * x + 2] = uint8_t(((x ^ y) & 31) * 8);
        }
    }
    image.Save(QFile::encodeName(path).toStdString(), CXIMAGE_FORMAT_JPG);
    return path;
}

// The application must exist before the first widget is made.
struct AppFirst
{
    AppFirst() { app(); }
};

struct Pane
{
    AppFirst appFirst;
    CScrivaDoc doc;
    CScrivaView view{doc};
    QImage target{kPaneWidth, kPaneHeight, QImage::Format_RGB32};
    Pane()
    {
        app();
        view.resize(kPaneWidth, kPaneHeight);
        view.show();
        QApplication::processEvents();
    }
    void paint() { view.viewport()->render(&target); }
};

void BM_OpenToFirstPaint(benchmark::State& state)
{
    const QString path = photo(2592, 1944);
    Pane pane;
    for (auto _ : state) {
        pane.doc.OpenDocument(path);
        pane.paint();
        benchmark::DoNotOptimize(pane.target.constBits());
    }
}
BENCHMARK(BM_OpenToFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RepaintAtFit(benchmark::State& state)
{
    Pane pane;
    pane.doc.OpenDocument(photo(2592, 1944));
    for (auto _ : state)
        pane.paint();
}
BENCHMARK(BM_RepaintAtFit)->Unit(benchmark::kMillisecond);

void BM_RepaintScrollingAt100(benchmark::State& state)
{
    Pane pane;
    pane.doc.OpenDocument(photo(2592, 1944));
    pane.doc.SetZoom(1.0f);
    QScrollBar* bar = pane.view.verticalScrollBar();
    int step = 0;
    for (auto _ : state) {
        bar->setValue((step += 37) % std::max(1, bar->maximum()));
        pane.paint();
    }
}
BENCHMARK(BM_RepaintScrollingAt100)->Unit(benchmark::kMillisecond);

void BM_RepaintAt400(benchmark::State& state)
{
    Pane pane;
    pane.doc.OpenDocument(photo(2592, 1944));
    pane.doc.SetZoom(4.0f);
    pane.view.horizontalScrollBar()->setValue(3000);
    pane.view.verticalScrollBar()->setValue(2500);
    for (auto _ : state)
        pane.paint();
}
BENCHMARK(BM_RepaintAt400)->Unit(benchmark::kMillisecond);

void BM_WheelZoomStep13MP(benchmark::State& state)
{
    Pane pane;
    pane.doc.OpenDocument(photo(4208, 3120));
    const QPointF at(900, 500);
    bool in = true;
    for (auto _ : state) {
        // Alternating in and out keeps the zoom near fit.
        QWheelEvent wheel(at, pane.view.viewport()->mapToGlobal(at), QPoint(),
                          QPoint(0, in ? -120 : 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(pane.view.viewport(), &wheel);
        pane.paint();
        in = !in;
    }
}
BENCHMARK(BM_WheelZoomStep13MP)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
