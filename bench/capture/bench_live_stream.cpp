// The live view on a camera's JPEG stream, whole process: a generated page
// photo (the demo camera's page, encoded as a camera would send it) is looped
// by a launch description at 5 MP / 15 fps and 13 MP / 10 fps into the real
// capture view at fit size for a number of seconds. Printed per run: the
// process's CPU share of one core (CPU time from getrusage / wall time, which
// other load on the machine changes little), the CPU cost per frame received,
// the frames decoded per second, and the time from the take-photo command to
// the photo on disk. Beside it: the same stream through the previous path
// (full-size jpegdec + videoconvert into the view), the demo camera, and
// gst-launch-1.0 decoding the stream at full size alone (its CPU measured the
// same way, as a reaped child).
//
//   bench_live_stream [--seconds 60] [--window 1024x768] [--rounds 3]
//                     [--only 5mp|13mp|demo|photo|presenter|watch]
// "photo" runs the 5 MP JPEG stream, the same page as raw frames and the demo
// camera in turns, --rounds times, for the photo times. A photo's CPU is given
// for the user-interface thread that takes it and for the whole process.
// "presenter" shows the same streams in presenter mode instead (the capture
// view behind it paints nothing), full screen at fit at 1920x1080 and
// 3840x2160 (--window sets the first), and also turned, and at 100 % for the
// compressed streams.
// "watch" runs the 5 MP JPEG stream without and with hands-free capture (after
// its first photo of the page, so that it watches a page already taken, as it
// does most of the time) in turns, --rounds times each, for what watching costs.

#include "capture/DemoCamera.h"
#include "capture_view/ui/CVideoView.h"
#include "capture_view/ui/PresenterWindow.h"
#include "config/CConfigFile.h"
#include "config/CommandIds.h"
#include "config/SettingsKeys.h"
#include "image/cximage/CxImage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <gst/gst.h>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kPhotos = 7;      // photos per run; the median is printed
constexpr int kPhotoRounds = 3; // of --only photo, unless --rounds says otherwise

// CPU seconds of the process (RUSAGE_SELF), its reaped children or the calling thread.
double CpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec) + double(u.ru_stime.tv_sec) +
           (double(u.ru_utime.tv_usec) + double(u.ru_stime.tv_usec)) / 1e6;
}

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures
{
    double cpuShare = 0;          // of one core
    double msPerFrame = 0;        // CPU per frame received
    double fps = 0;               // frames received per second
    double photoMs = 0;           // median, command to file on disk
    double photoCpuMs = 0;        // median CPU of the user-interface thread taking it
    double photoProcessCpuMs = 0; // median CPU of the whole process meanwhile
    int photoWidth = 0;           // of the held frame the photo is made from
    double paintsPerSecond = -1;  // presenter runs: pictures painted
    bool ok = false;
};

QString PageJpeg(const QDir& dir, int width, int height)
{
    const QString path = dir.filePath(QStringLiteral("page-%1x%2.jpg").arg(width).arg(height));
    CxImage page;
    page.Copy(DemoCamera::Picture());
    if (int(page.GetWidth()) != width)
        page.ResampleTo(width, height);
    page.SetJpegQuality(90.0f); // what document cameras send in their large modes
    std::vector<uint8_t> bytes;
    QFile f(path);
    if (!page.Encode(bytes, CXIMAGE_FORMAT_JPG) || !f.open(QIODevice::WriteOnly))
        return {};
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

// The JPEG page decoded once, as raw BGR rows repeated at the rate: a raw
// camera showing exactly the JPEG stream's picture.
QString RawLaunch(const QString& jpeg, const QDir& dir, int fps)
{
    CxImage page;
    if (!page.Load(QFile::encodeName(jpeg).toStdString(), CXIMAGE_FORMAT_JPG))
        return {};
    const int w = int(page.GetWidth());
    const int h = int(page.GetHeight());
    const QString path = dir.filePath(QStringLiteral("page.bgr"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    for (int y = h - 1; y >= 0; --y) // top line first
        f.write(reinterpret_cast<const char*>(page.GetBits(uint32_t(y))), qint64(w) * 3);
    f.close();
    return QStringLiteral("filesrc location=%1 blocksize=%2 ! rawvideoparse width=%3 height=%4 "
                          "format=bgr framerate=%5/1 ! imagefreeze is-live=true")
        .arg(path)
        .arg(qint64(w) * 3 * h)
        .arg(w)
        .arg(h)
        .arg(fps);
}

QString LoopLaunch(const QString& jpeg, int fps)
{
    return QStringLiteral("multifilesrc location=%1 loop=true caps=image/jpeg,framerate=%2/1")
        .arg(jpeg)
        .arg(fps);
}

// How the picture is shown: in the capture view, or in presenter mode.
struct Presenting
{
    bool on = false;
    int turn = 0;
    double zoom = 0; // 0: fit
};

// Lets the view run for the given seconds and fills in the process's CPU
// share, the frames received per second and the CPU per frame; returns the
// seconds that passed.
double MeasureLive(CVideoView& view, int seconds, Figures& f)
{
    const uint64_t frames0 = view.Graph().Callback().FrameCount();
    const double cpu0 = CpuSeconds(RUSAGE_SELF);
    QElapsedTimer wall;
    wall.start();
    Wait(seconds * 1000);
    const double cpu = CpuSeconds(RUSAGE_SELF) - cpu0;
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const uint64_t frames = view.Graph().Callback().FrameCount() - frames0;
    f.cpuShare = cpu / elapsed;
    f.fps = double(frames) / elapsed;
    f.msPerFrame = frames ? cpu * 1000.0 / double(frames) : 0;
    return elapsed;
}

Figures RunView(const CaptureSource& source, QSize window, int seconds, const QDir& dir,
                Presenting presenting = {})
{
    Figures f;
    CConfigFile store;
    store.Load(QStringLiteral(SCRIVA_BENCH_CONFIG));
    store.SetString(QStringLiteral("savePath"), dir.filePath(QStringLiteral("photos")),
                    QStringLiteral("TAKE_PHOTOS_SET"));
    CScrivaDoc doc;
    CVideoView view(doc);
    view.SetSettings(&store);
    view.SetCaptureSource(source);
    PhotoTaker::Hooks hooks;
    const QString storePath = dir.filePath(QStringLiteral("config.cfg"));
    hooks.storePath = [storePath] { return storePath; };
    view.Photos().SetHooks(hooks);
    view.resize(presenting.on ? QSize(1024, 768) : window);
    view.show();
    if (!view.StartCapture()) {
        std::fprintf(stderr, "the source did not start: %s\n", qPrintable(view.FailureReason()));
        return f;
    }
    std::unique_ptr<PresenterWindow> presenter;
    if (presenting.on) {
        presenter = std::make_unique<PresenterWindow>();
        presenter->resize(window);
        presenter->LiveView()->SetLive(&view.Graph());
        presenter->SetTurn(presenting.turn);
        view.SetShownElsewhere(true);
        presenter->show();
    }
    Wait(2000); // first frames, page frame published, caches warm
    if (presenter && presenting.zoom > 0)
        presenter->LiveView()->ZoomTo(presenting.zoom);
    const uint64_t paints0 = presenter ? presenter->LiveView()->PaintCount() : 0;
    const double elapsed = MeasureLive(view, seconds, f);
    if (presenter) {
        // Presenter runs take no photos; the paints per second stand in.
        f.paintsPerSecond = double(presenter->LiveView()->PaintCount() - paints0) / elapsed;
        presenter->LiveView()->SetLive(nullptr);
        presenter.reset();
        f.ok = !view.Graph().HasFailed();
        view.Graph().Shutdown();
        QApplication::processEvents();
        return f;
    }

    CxImage held;
    view.Graph().CopyHeldFrame(held);
    f.photoWidth = int(held.GetWidth());
    std::vector<double> photos;
    std::vector<double> photoCpu;
    std::vector<double> photoProcessCpu;
    int saved = 0;
    QObject::connect(&view, &CVideoView::photoSaved, [&saved] { ++saved; });
    for (int i = 0; i < kPhotos; ++i) {
        QElapsedTimer t;
        const double cpu0 = CpuSeconds(RUSAGE_THREAD);
        const double process0 = CpuSeconds(RUSAGE_SELF);
        t.start();
        view.OnCommand(scriva::cmd::kTakePhoto);
        photos.push_back(double(t.nsecsElapsed()) / 1e6);
        photoCpu.push_back((CpuSeconds(RUSAGE_THREAD) - cpu0) * 1000.0);
        photoProcessCpu.push_back((CpuSeconds(RUSAGE_SELF) - process0) * 1000.0);
        Wait(300);
    }
    if (qEnvironmentVariableIsSet("BENCH_HELD_FRAME")) {
        std::vector<double> held;
        for (int i = 0; i < kPhotos; ++i) {
            QElapsedTimer t;
            t.start();
            view.Graph().SaveFrameAsBitmap(dir.filePath(QStringLiteral("held.bmp")));
            held.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        std::sort(held.begin(), held.end());
        std::printf("held frame to bitmap: %.0f ms\n", held[held.size() / 2]);
    }
    std::sort(photos.begin(), photos.end());
    std::sort(photoCpu.begin(), photoCpu.end());
    std::sort(photoProcessCpu.begin(), photoProcessCpu.end());
    f.photoMs = photos[photos.size() / 2];
    f.photoCpuMs = photoCpu[photoCpu.size() / 2];
    f.photoProcessCpuMs = photoProcessCpu[photoProcessCpu.size() / 2];
    f.ok = saved == int(photos.size()) && !view.Graph().HasFailed();
    view.Graph().Shutdown();
    QApplication::processEvents();
    return f;
}

// The live view for `seconds`, hands-free capture watching or not; only the
// CPU share and the frame rate are filled.
Figures RunWatch(const CaptureSource& source, QSize window, int seconds, const QDir& dir,
                 bool watching)
{
    Figures f;
    CConfigFile store;
    store.Load(QStringLiteral(SCRIVA_BENCH_CONFIG));
    store.SetString(QStringLiteral("savePath"), dir.filePath(QStringLiteral("photos")),
                    QStringLiteral("TAKE_PHOTOS_SET"));
    scriva::settings::WriteInt(store, scriva::settings::kAutoCaptureMode,
                               int(AutoCaptureMode::PageChange));
    CScrivaDoc doc;
    CVideoView view(doc);
    view.SetSettings(&store);
    view.SetCaptureSource(source);
    PhotoTaker::Hooks hooks;
    const QString storePath = dir.filePath(QStringLiteral("config.cfg"));
    hooks.storePath = [storePath] { return storePath; };
    view.Photos().SetHooks(hooks);
    view.resize(window);
    view.show();
    if (!view.StartCapture()) {
        std::fprintf(stderr, "the source did not start: %s\n", qPrintable(view.FailureReason()));
        return f;
    }
    int saved = 0;
    QObject::connect(&view, &CVideoView::photoSaved, [&saved] { ++saved; });
    if (watching) {
        view.OnCommand(scriva::cmd::kStartAutoCapture);
        for (int i = 0; i < 100 && saved == 0; ++i)
            Wait(100);
        if (saved == 0) {
            std::fprintf(stderr, "hands-free capture took no photo of the page\n");
            return f;
        }
    }
    Wait(2000); // first frames (or the photo) done, caches warm
    const int before = saved;
    MeasureLive(view, seconds, f);
    // Watching a page already photographed takes no further photo.
    f.ok = saved == before && view.Photos().IsWatching() == watching && !view.Graph().HasFailed();
    view.Graph().Shutdown();
    QApplication::processEvents();
    return f;
}

Figures RunGstLaunch(const QString& launch, int seconds)
{
    Figures f;
    QProcess p;
    p.setProgram(QStringLiteral("gst-launch-1.0"));
    p.setArguments(QProcess::splitCommand(QStringLiteral("-q ") + launch));
    const double cpu0 = CpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer wall;
    wall.start();
    p.start();
    if (!p.waitForStarted())
        return f;
    Wait((seconds + 2) * 1000);
    p.terminate();
    p.waitForFinished();
    // The child's whole life, start-up included (as the view's 2 s warm-up is not).
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    f.cpuShare = (CpuSeconds(RUSAGE_CHILDREN) - cpu0) / elapsed;
    f.ok = true;
    return f;
}

void Print(const char* what, const Figures& f, bool photo)
{
    if (!f.ok) {
        std::printf("| %-58s | failed |\n", what);
        return;
    }
    std::printf("| %-58s | %5.1f %% | %6.2f ms | %5.1f |", what, f.cpuShare * 100.0, f.msPerFrame,
                f.fps);
    if (f.paintsPerSecond >= 0)
        std::printf(" %4.1f paints/s |\n", f.paintsPerSecond);
    else if (photo)
        std::printf(" %5.0f ms, CPU %4.0f ms (process %4.0f ms), %d px wide |\n", f.photoMs,
                    f.photoCpuMs, f.photoProcessCpuMs, f.photoWidth);
    else
        std::printf(" - |\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    gst_init(&argc, &argv);
    int seconds = 60;
    QSize window(1024, 768);
    QString only;
    int rounds = kPhotoRounds;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--window"))
            window = QSize(args[i + 1].section(u'x', 0, 0).toInt(),
                           args[i + 1].section(u'x', 1, 1).toInt());
        else if (args[i] == QLatin1String("--only"))
            only = args[i + 1];
        else if (args[i] == QLatin1String("--rounds"))
            rounds = std::max(1, args[i + 1].toInt());
    }
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("cache"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    std::printf("live view %dx%d at fit size, %d s per run; CPU = process CPU time / wall time\n\n",
                window.width(), window.height(), seconds);
    std::printf("| run | CPU of one core | CPU per frame | frames/s | photo to disk |\n");
    std::printf("|---|---|---|---|---|\n");

    struct Stream
    {
        const char* name;
        int width, height, fps;
    };
    const Stream streams[] = {{"5mp", 2592, 1944, 15}, {"13mp", 4208, 3120, 10}};
    if (only == QLatin1String("presenter")) {
        const QSize screens[] = {window == QSize(1024, 768) ? QSize(1920, 1080) : window,
                                 QSize(3840, 2160)};
        const QString jpeg = PageJpeg(dir, 2592, 1944);
        const QString loop = LoopLaunch(jpeg, 15);
        const QString big = LoopLaunch(PageJpeg(dir, 4208, 3120), 10);
        for (const QSize screen : screens) {
            const QByteArray at = QStringLiteral(" in presenter mode %1x%2")
                                      .arg(screen.width())
                                      .arg(screen.height())
                                      .toUtf8();
            Print(("5 MP JPEG at 15 fps, fit" + at).constData(),
                  RunView(CaptureSource::Launch(loop, 4), screen, seconds, dir, {true, 0, 0}),
                  false);
            Print(("5 MP JPEG at 15 fps, fit, turned 90" + at).constData(),
                  RunView(CaptureSource::Launch(loop, 4), screen, seconds, dir, {true, 90, 0}),
                  false);
            Print(("5 MP JPEG at 15 fps, 100 %" + at).constData(),
                  RunView(CaptureSource::Launch(loop, 4), screen, seconds, dir, {true, 0, 1.0}),
                  false);
            Print(("13 MP JPEG at 10 fps, fit" + at).constData(),
                  RunView(CaptureSource::Launch(big, 4), screen, seconds, dir, {true, 0, 0}),
                  false);
            Print(("demo camera 5 MP raw at 15 fps, fit" + at).constData(),
                  RunView(CaptureSource::Demo(), screen, seconds, dir, {true, 0, 0}), false);
        }
        return 0;
    }
    if (only == QLatin1String("watch")) {
        const QString loop = LoopLaunch(PageJpeg(dir, 2592, 1944), 15);
        double off = 0;
        double on = 0;
        for (int round = 0; round < rounds; ++round) {
            const Figures plain =
                RunWatch(CaptureSource::Launch(loop, 4), window, seconds, dir, false);
            Print("2592x1944 JPEG at 15 fps: live view", plain, false);
            const Figures watched =
                RunWatch(CaptureSource::Launch(loop, 4), window, seconds, dir, true);
            Print("the same, hands-free capture watching", watched, false);
            off += plain.cpuShare / rounds;
            on += watched.cpuShare / rounds;
        }
        std::printf("\nmean of %d runs each: %.2f %% without, %.2f %% watching: %+.2f %% of one "
                    "core\n",
                    rounds, off * 100.0, on * 100.0, (on - off) * 100.0);
        return 0;
    }
    if (only == QLatin1String("photo")) {
        // Taken in turns, so that the machine's load falls on both alike.
        const QString jpeg = PageJpeg(dir, 2592, 1944);
        const QString loop = LoopLaunch(jpeg, 15);
        const QString raw = RawLaunch(jpeg, dir, 15);
        for (int round = 0; round < rounds; ++round) {
            Print("2592x1944 JPEG at 15 fps: live view",
                  RunView(CaptureSource::Launch(loop, 4), window, seconds, dir), true);
            Print("the same page as raw frames at 15 fps: live view",
                  RunView(CaptureSource::Launch(raw, 4), window, seconds, dir), true);
            Print("demo camera 2592x1944 raw at 15 fps: live view",
                  RunView(CaptureSource::Demo(), window, seconds, dir), true);
        }
        return 0;
    }
    for (const Stream& s : streams) {
        if (!only.isEmpty() && only != QLatin1String(s.name))
            continue;
        const QString jpeg = PageJpeg(dir, s.width, s.height);
        const QString loop = LoopLaunch(jpeg, s.fps);
        const QByteArray title =
            QStringLiteral("%1x%2 JPEG at %3 fps").arg(s.width).arg(s.height).arg(s.fps).toUtf8();
        // Model 4 as the demo camera, so a photo is processed the same way.
        Print((title + ": live view").constData(),
              RunView(CaptureSource::Launch(loop, 4), window, seconds, dir), true);
        Print((title + ": previous path (jpegdec + videoconvert)").constData(),
              RunView(CaptureSource::Custom(
                          loop + QStringLiteral(" ! jpegdec ! videoconvert ! video/x-raw,format=BGR"
                                                " ! appsink name=sink max-buffers=2 drop=true"
                                                " sync=true"),
                          4),
                      window, seconds, dir),
              true);
        Print((title + ": gst-launch-1.0 jpegdec alone").constData(),
              RunGstLaunch(loop + QStringLiteral(" ! jpegdec ! fakesink sync=true"), seconds),
              false);
    }
    if (only.isEmpty() || only == QLatin1String("demo"))
        Print("demo camera 2592x1944 raw at 15 fps: live view",
              RunView(CaptureSource::Demo(), window, seconds, dir), true);
    return 0;
}
