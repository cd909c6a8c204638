// scriva-cli capture: takes one frame from a camera source and writes it, or
// takes one photo into the save folder as the program's take-photo command
// does (configured naming, counter advanced, page cut, straightened, turned).
//   capture [--camera auto|demo|test|none|/dev/videoN|gst:LAUNCH] OUT.bmp|jpg|png|tif
//   capture [--camera auto|demo|test|none|/dev/videoN|gst:LAUNCH] --photo
// Without --camera the source comes from SCRIVA_CAMERA or the profile, as in
// the program; the supported cameras are those of the user's settings. With
// --photo the photo's path is printed; an existing file is never replaced.
//   capture [--camera SRC] --on-page-change [--settle SECONDS] [--sensitivity 1-10]
//           [--max-photos N]
// watches the camera hands-free: one photo, taken as --photo takes it, each
// time a new page lies still for the settle time; each photo's path is
// printed as it is saved, until the stream ends or N photos are taken.

#include "CliCamera.h"
#include "CliCommand.h"
#include "CliOptions.h"
#include "CliPhoto.h"

#include "base/CxSafeFile.h"
#include "capture_view/PageWatcher.h"
#include "capture_view/PhotoJob.h"
#include "capture_view/WatchFrames.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <vector>

using namespace scriva::cli;

namespace {

const QString kUsage = QStringLiteral(
    "capture [--camera auto|demo|test|none|/dev/videoN|gst:LAUNCH] OUT.bmp|jpg|png|tif | "
    "--photo | --on-page-change [--settle SECONDS] [--sensitivity 1-10] [--max-photos N]");

int TakePhoto(const QString& setting)
{
    CConfigFile config;
    QString failedPath;
    QString error;
    if (!scriva::loadSettings(config, &failedPath, &error))
        return failWith(QStringLiteral("cannot read the settings %1: %2").arg(failedPath, error));
    PhotoMemory memory;
    PhotoJob job(config, scriva::userConfigFile(), memory);
    PhotoSource source;
    if (!TakeJobPhoto(job, setting, CameraTokens(config), source, error))
        return failWith(error);
    std::printf("%s\n", job.PhotoPath().toLocal8Bit().constData());
    return 0;
}

// One photo of the held frame, if it still shows the picture the watcher
// found still: false with `skipped` set when it does not (a frame that arrived
// moving since), false with the reason in `error` when the photo fails.
bool TakeWatchedPhoto(CCaptureGraph& graph, CConfigFile& config, PhotoMemory& memory,
                      const scriva::watch::PageWatcher& watcher, bool& skipped, QString& error)
{
    skipped = false;
    CxImage frame;
    scriva::watch::SmallFrame small;
    if (!graph.CopyHeldFrame(frame) || !scriva::watch::ShrinkImage(frame, small) ||
        !watcher.SameAsLast(small)) {
        skipped = true;
        return false;
    }
    PhotoJob job(config, scriva::userConfigFile(), memory);
    if (!NameJobPhoto(job, error) ||
        !DevelopJobPhoto(job, &frame, graph.CameraModel(), int(frame.GetWidth()), error))
        return false;
    std::printf("%s\n", job.PhotoPath().toLocal8Bit().constData());
    std::fflush(stdout);
    return true;
}

int WatchPages(const QString& setting, const scriva::watch::WatchSettings& settings,
               long long maxPhotos)
{
    constexpr int kPollMs = 5;
    CConfigFile config;
    QString failedPath;
    QString error;
    if (!scriva::loadSettings(config, &failedPath, &error))
        return failWith(QStringLiteral("cannot read the settings %1: %2").arg(failedPath, error));
    CCaptureGraph graph;
    if (!StartCamera(graph, setting, CameraTokens(config), error))
        return failWith(error);
    scriva::watch::PageWatcher watcher(settings);
    scriva::watch::SmallFrame small;
    PhotoMemory memory;
    QElapsedTimer clock;
    clock.start();
    uint64_t seen = 0;
    long long photos = 0;
    while (maxPhotos <= 0 || photos < maxPhotos) {
        const uint64_t count = graph.Callback().FrameCount();
        if (count == seen) {
            if (graph.HasFailed())
                break;
            QThread::msleep(kPollMs);
            continue;
        }
        seen = count;
        if (!scriva::watch::ShrinkLiveFrame(graph.Callback(), small) ||
            !watcher.Feed(small, clock.nsecsElapsed() / 1e9))
            continue;
        bool skipped = false;
        if (TakeWatchedPhoto(graph, config, memory, watcher, skipped, error)) {
            watcher.Taken();
            ++photos;
        } else if (!skipped) {
            graph.Shutdown();
            return failWith(error);
        }
    }
    const bool ended = graph.HasEnded();
    const bool failed = graph.HasFailed();
    const QString failure = graph.FailureText();
    graph.Shutdown();
    if (failed && !ended && (maxPhotos <= 0 || photos < maxPhotos))
        return failWith(failure);
    return 0;
}

// The held frame in the format of the output's extension: the camera's own
// 24-bit bitmap for .bmp, else encoded by the image object; written through a
// temporary file, so a failure leaves what was there.
bool WriteHeldFrame(CCaptureGraph& graph, const QString& out, uint32_t format, QString& error)
{
    if (format == CXIMAGE_FORMAT_BMP)
        return graph.SaveFrameAsBitmap(out, &error);
    CxImage frame;
    if (!graph.CopyHeldFrame(frame)) {
        error = QStringLiteral("no frame has arrived yet");
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!frame.Encode(bytes, format)) {
        error = QStringLiteral("%1: %2").arg(out, QString::fromUtf8(frame.GetLastError()));
        return false;
    }
    CxSafeFile file;
    if (file.Open(QFile::encodeName(out).toStdString()) && file.Write(bytes.data(), bytes.size()) &&
        file.Commit())
        return true;
    error = QStringLiteral("%1: %2").arg(out, QString::fromLocal8Bit(file.Error()));
    return false;
}

int WriteFrame(const QString& setting, const QString& out)
{
    const uint32_t format =
        CxImage::FormatFromExtension(QFile::encodeName(QFileInfo(out).suffix()).constData());
    if (format == CXIMAGE_FORMAT_UNKNOWN)
        return failWith(
            QStringLiteral("%1: unknown output format (use bmp, jpg, png or tif)").arg(out));
    CConfigFile config;
    scriva::loadSettings(config);
    CCaptureGraph graph;
    QString error;
    if (!StartCamera(graph, setting, CameraTokens(config), error))
        return failWith(error);
    QString writeError;
    const bool ok = WriteHeldFrame(graph, out, format, writeError);
    const QString name = graph.FriendlyName();
    int w = 0;
    int h = 0;
    graph.Callback().FrameSize(w, h);
    const int model = graph.CameraModel();
    graph.Shutdown();
    if (!ok)
        return failWith(writeError);
    std::printf("%s: %dx%d from %s (camera model %d)\n", qPrintable(out), w, h, qPrintable(name),
                model);
    return 0;
}

int RunCapture(const QStringList& args)
{
    CliOptions options(
        kUsage,
        {{QStringLiteral("--camera"), QStringLiteral("demo, test, a device or gst:LAUNCH")},
         {QStringLiteral("--photo"), {}},
         {QStringLiteral("--on-page-change"), {}},
         {QStringLiteral("--settle"), QStringLiteral("seconds still before a photo (0.1-10)")},
         {QStringLiteral("--sensitivity"), QStringLiteral("1 (whole pages) to 10 (a few words)")},
         {QStringLiteral("--max-photos"), QStringLiteral("stop after this many photos")}},
        0, 1);
    if (!options.Parse(args))
        return failWith(options.Error());
    const QString setting = options.Value(QStringLiteral("--camera"));
    const QString out = options.Args().value(0);
    const bool photo = options.Has(QStringLiteral("--photo"));
    if (options.Has(QStringLiteral("--on-page-change"))) {
        if (photo || !out.isEmpty())
            return failWith(QStringLiteral("usage: ") + kUsage);
        scriva::watch::WatchSettings settings;
        bool ok = true;
        if (options.Has(QStringLiteral("--settle"))) {
            settings.settleSeconds = options.Value(QStringLiteral("--settle")).toDouble(&ok);
            if (!ok || !(settings.settleSeconds >= 0.1 && settings.settleSeconds <= 10.0))
                return failWith(QStringLiteral("--settle wants seconds from 0.1 to 10, not '%1'")
                                    .arg(options.Value(QStringLiteral("--settle"))));
        }
        if (options.Has(QStringLiteral("--sensitivity"))) {
            settings.sensitivity = options.Value(QStringLiteral("--sensitivity")).toInt(&ok);
            if (!ok || settings.sensitivity < 1 || settings.sensitivity > 10)
                return failWith(QStringLiteral("--sensitivity wants 1 to 10, not '%1'")
                                    .arg(options.Value(QStringLiteral("--sensitivity"))));
        }
        long long maxPhotos = 0;
        if (options.Has(QStringLiteral("--max-photos"))) {
            maxPhotos = options.Value(QStringLiteral("--max-photos")).toLongLong(&ok);
            if (!ok || maxPhotos < 1)
                return failWith(QStringLiteral("--max-photos wants a number from 1, not '%1'")
                                    .arg(options.Value(QStringLiteral("--max-photos"))));
        }
        return WatchPages(setting, settings, maxPhotos);
    }
    if (options.Has(QStringLiteral("--settle")) || options.Has(QStringLiteral("--sensitivity")) ||
        options.Has(QStringLiteral("--max-photos")))
        return failWith(QStringLiteral("--settle, --sensitivity and --max-photos go with "
                                       "--on-page-change"));
    if (photo == !out.isEmpty())
        return failWith(QStringLiteral("usage: ") + kUsage);
    return photo ? TakePhoto(setting) : WriteFrame(setting, out);
}

const CliRegistrar s_capture(QStringLiteral("capture"), kUsage, &RunCapture);

} // namespace
