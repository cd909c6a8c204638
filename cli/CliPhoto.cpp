#include "CliPhoto.h"

#include "CliCamera.h"
#include "CliCommand.h"

#include "capture_view/PhotoJob.h"

#include <QDateTime>

namespace scriva::cli {

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

void WarnLookFailed(const PhotoReport& report, cxlook::Look look, const QString& path)
{
    if (report.lookFailed)
        warnWith(QStringLiteral("%1: saved as taken, without the page look '%2': %3")
                     .arg(path, QLatin1String(cxlook::LookName(look)), report.lookError));
}

bool NameJobPhoto(PhotoJob& job, QString& error)
{
    if (!job.Prepare(QDateTime::currentDateTime())) {
        error = JobFailure(job);
        return false;
    }
    if (job.PhotoExists()) {
        error = QStringLiteral("%1 exists already; it was not replaced").arg(job.PhotoPath());
        return false;
    }
    return true;
}

bool DevelopJobPhoto(PhotoJob& job, CxImage* frame, int cameraModel, int frameWidth, QString& error)
{
    const bool developed = frame ? job.Develop(*frame, cameraModel, frameWidth)
                                 : job.DevelopBitmap(cameraModel, frameWidth);
    if (!developed) {
        error = JobFailure(job);
        return false;
    }
    WarnLookFailed(job.Report(), job.Settings().look, job.PhotoPath());
    return true;
}

bool TakeJobPhoto(PhotoJob& job, const QString& sourceSetting, const QStringList& cameraTokens,
                  PhotoSource& source, QString& error)
{
    CCaptureGraph graph;
    if (!StartCamera(graph, sourceSetting, cameraTokens, error))
        return false;
    // Named only once the camera runs: a counted name is not spent on a
    // camera that cannot be had.
    if (!NameJobPhoto(job, error)) {
        graph.Shutdown();
        return false;
    }
    graph.Callback().FrameSize(source.width, source.height);
    source.cameraModel = graph.CameraModel();
    source.cameraName = graph.FriendlyName();
    CxImage frame;
    const bool held = graph.SaveFrameAsBitmap(job.TempBitmapPath(), frame);
    graph.Shutdown();
    if (!held) {
        error = QStringLiteral("cannot write the frame to %1").arg(job.TempBitmapPath());
        return false;
    }
    return DevelopJobPhoto(job, &frame, source.cameraModel, source.width, error);
}

} // namespace scriva::cli
