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

bool TakeJobPhoto(PhotoJob& job, const QString& sourceSetting, const QStringList& cameraTokens,
                  PhotoSource& source, QString& error)
{
    CCaptureGraph graph;
    if (!StartCamera(graph, sourceSetting, cameraTokens, error))
        return false;
    // Named only once the camera runs: a counted name is not spent on a
    // camera that cannot be had.
    if (!job.Prepare(QDateTime::currentDateTime())) {
        graph.Shutdown();
        error = JobFailure(job);
        return false;
    }
    if (job.PhotoExists()) {
        graph.Shutdown();
        error = QStringLiteral("%1 exists already; it was not replaced").arg(job.PhotoPath());
        return false;
    }
    graph.Callback().FrameSize(source.width, source.height);
    source.cameraModel = graph.CameraModel();
    source.cameraName = graph.FriendlyName();
    const bool held = graph.SaveFrameAsBitmap(job.TempBitmapPath());
    graph.Shutdown();
    if (!held) {
        error = QStringLiteral("cannot write the frame to %1").arg(job.TempBitmapPath());
        return false;
    }
    if (!job.DevelopBitmap(source.cameraModel, source.width)) {
        error = JobFailure(job);
        return false;
    }
    WarnLookFailed(job.Report(), job.Settings().look, job.PhotoPath());
    return true;
}

} // namespace scriva::cli
