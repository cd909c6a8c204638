// scriva-cli capture: takes one frame from a camera source and writes it, or
// takes one photo into the save folder as the program's take-photo command
// does (configured naming, counter advanced, page cut, straightened, turned).
//   capture [--camera auto|demo|test|none|/dev/videoN|gst:LAUNCH] OUT.bmp|jpg|png|tif
//   capture [--camera auto|demo|test|none|/dev/videoN|gst:LAUNCH] --photo
// Without --camera the source comes from SCRIVA_CAMERA or the profile, as in
// the program; the supported cameras are those of the user's settings. With
// --photo the photo's path is printed; an existing file is never replaced.

#include "CliCamera.h"
#include "CliCommand.h"
#include "CliOptions.h"

#include "base/CxSafeFile.h"
#include "capture_view/PhotoJob.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <vector>

using namespace scriva::cli;

namespace {

const QString kUsage = QStringLiteral(
    "capture [--camera auto|demo|test|none|/dev/videoN|gst:LAUNCH] OUT.bmp|jpg|png|tif | "
    "--photo");

QString JobFailure(const PhotoJob& job)
{
    switch (job.failure()) {
    case PhotoJob::Failure::UnusableName:
        return QStringLiteral("the photo name part '%1' would leave the save folder")
            .arg(job.FailureDetail());
    case PhotoJob::Failure::NoTempFolder:
        return QStringLiteral("cannot make the temporary bitmap in %1").arg(job.FailureDetail());
    case PhotoJob::Failure::UnknownFormat:
        return QStringLiteral("the photo format '%1' is not one of jpg, png, tif, bmp")
            .arg(job.FailureDetail());
    case PhotoJob::Failure::NoFrame:
        return QStringLiteral("the frame could not be read back: %1").arg(job.FailureDetail());
    case PhotoJob::Failure::ProcessFailed:
        return QStringLiteral("cannot process the photo: %1").arg(job.FailureDetail());
    case PhotoJob::Failure::SaveFailed:
        return QStringLiteral("cannot save the photo %1").arg(job.FailureDetail());
    case PhotoJob::Failure::Exists:
        return QStringLiteral("%1 exists already; it was not replaced").arg(job.FailureDetail());
    case PhotoJob::Failure::None:
        break;
    }
    return QString();
}

int TakePhoto(const QString& setting)
{
    CConfigFile config;
    QString failedPath;
    QString error;
    if (!scriva::loadSettings(config, &failedPath, &error))
        return failWith(QStringLiteral("cannot read the settings %1: %2").arg(failedPath, error));
    CCaptureGraph graph;
    if (!StartCamera(graph, setting, CameraTokens(config), error))
        return failWith(error);
    PhotoMemory memory;
    PhotoJob job(config, scriva::userConfigFile(), memory);
    if (!job.Prepare(QDateTime::currentDateTime())) {
        graph.Shutdown();
        return failWith(JobFailure(job));
    }
    if (job.PhotoExists()) {
        graph.Shutdown();
        return failWith(
            QStringLiteral("%1 exists already; it was not replaced").arg(job.PhotoPath()));
    }
    int width = 0;
    int height = 0;
    graph.Callback().FrameSize(width, height);
    const int model = graph.CameraModel();
    const bool held = graph.SaveFrameAsBitmap(job.TempBitmapPath());
    graph.Shutdown();
    if (!held)
        return failWith(QStringLiteral("cannot write the frame to %1").arg(job.TempBitmapPath()));
    if (!job.DevelopBitmap(model, width))
        return failWith(JobFailure(job));
    std::printf("%s\n", job.PhotoPath().toLocal8Bit().constData());
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
         {QStringLiteral("--photo"), {}}},
        0, 1);
    if (!options.Parse(args))
        return failWith(options.Error());
    const QString setting = options.Value(QStringLiteral("--camera"));
    const QString out = options.Args().value(0);
    const bool photo = options.Has(QStringLiteral("--photo"));
    if (photo == !out.isEmpty())
        return failWith(QStringLiteral("usage: ") + kUsage);
    return photo ? TakePhoto(setting) : WriteFrame(setting, out);
}

const CliRegistrar s_capture(QStringLiteral("capture"), kUsage, &RunCapture);

} // namespace
