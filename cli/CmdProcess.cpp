// scriva-cli process: runs the photo pipeline of the program on an image file:
// the page cut by camera model and frame size, straightening, the crop to the
// page, the turn and the resolution, with the photo settings of the user's
// settings unless overridden.
//   process IN OUT [--camera-model N] [--page NAME] [--direction 0|1|2]
//           [--look original|document|grey|bw] [--report]
// OUT's extension picks the format (bmp, jpg, png, tif). The camera model
// defaults to SCRIVA_CAMERA_MODEL or the profile's [camera] Model, else 0 (no
// page cut). The look defaults to the photo setting pageLook. --report prints
// the same JSON line as "straighten --report".

#include "CliCommand.h"
#include "CliOptions.h"
#include "CliPhoto.h"
#include "CliReport.h"

#include "capture/CaptureProfile.h"
#include "capture/CaptureSource.h"
#include "capture_view/PhotoProcessor.h"
#include "capture_view/PhotoSettings.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

#include <QFile>
#include <QFileInfo>

using namespace scriva::cli;

namespace {

const QString kUsage =
    QStringLiteral("process IN OUT [--camera-model N] [--page NAME] [--direction 0|1|2] "
                   "[--look original|document|grey|bw] [--report]");
constexpr int kMaxCameraModel = 4;
constexpr int kMaxDirection = 2;

struct ProcessArgs
{
    QString in;
    QString out;
    int cameraModel = -1; // -1: from the environment or the profile
    QString page;         // empty: from the settings
    int direction = -1;   // -1: from the settings
    QString look;         // empty: from the settings
    bool report = false;
};

bool Parse(const QStringList& args, ProcessArgs& a, QString& error)
{
    CliOptions options(kUsage,
                       {{QStringLiteral("--camera-model"), QStringLiteral("N")},
                        {QStringLiteral("--page"), QStringLiteral("NAME")},
                        {QStringLiteral("--direction"), QStringLiteral("0, 1 or 2")},
                        {QStringLiteral("--look"), QStringLiteral("original|document|grey|bw")},
                        {QStringLiteral("--report"), {}}},
                       2, 2);
    if (!options.Parse(args) ||
        !options.IntValue(QStringLiteral("--camera-model"), 0, kMaxCameraModel, -1,
                          a.cameraModel) ||
        !options.IntValue(QStringLiteral("--direction"), 0, kMaxDirection, -1, a.direction)) {
        error = options.Error();
        return false;
    }
    const QStringList& files = options.Args();
    a.page = options.Value(QStringLiteral("--page"));
    a.look = options.Value(QStringLiteral("--look"));
    cxlook::Look look = cxlook::Look::Original;
    if (options.Has(QStringLiteral("--look")) &&
        !cxlook::LookFromName(a.look.toStdString(), look)) {
        error = QStringLiteral("'%1' is not a look (use original, document, grey or bw)\nusage: %2")
                    .arg(a.look, kUsage);
        return false;
    }
    a.report = options.Has(QStringLiteral("--report"));
    a.in = files[0];
    a.out = files[1];
    return true;
}

// The page size in millimetres; false when the name is no page size. The
// preset area belongs to the image view, so here it means the whole picture.
bool PageSize(const CConfigFile& config, const QString& name, PhotoParams& p)
{
    if (name == PhotoSettingsReader::kPreset || name.isEmpty())
        return true;
    return scriva::settings::ReadPageSize(config, name, p.pageHeightMm, p.pageWidthMm);
}

int RunProcess(const QStringList& args)
{
    ProcessArgs a;
    QString error;
    if (!Parse(args, a, error))
        return failWith(error);
    const uint32_t format =
        CxImage::FormatFromExtension(QFileInfo(a.out).suffix().toUtf8().constData());
    if (format == CXIMAGE_FORMAT_UNKNOWN)
        return failWith(
            QStringLiteral("%1: unknown output format (use bmp, jpg, png or tif)").arg(a.out));
    CConfigFile config;
    QString failedPath;
    if (!scriva::loadSettings(config, &failedPath, &error))
        return failWith(QStringLiteral("cannot read the settings %1: %2").arg(failedPath, error));
    const PhotoSettings settings = PhotoSettingsReader::Read(config);

    PhotoParams params;
    params.cameraModel =
        a.cameraModel >= 0 ? a.cameraModel : std::max(0, CameraModelOverride(CaptureProfile()));
    params.direction = a.direction >= 0 ? a.direction : settings.direction;
    params.fineStraighten = settings.fineStraighten;
    params.look = settings.look;
    if (!a.look.isEmpty())
        cxlook::LookFromName(a.look.toStdString(), params.look);
    const QString page = a.page.isEmpty() ? settings.pageName : a.page;
    if (!PageSize(config, page, params))
        return failWith(QStringLiteral("'%1' is not a page size of the settings").arg(page));

    CxImage image;
    if (!loadPicture(a.in, image, &error))
        return failWith(QStringLiteral("%1: %2").arg(a.in, error));
    params.frameWidth = int(image.GetWidth());
    PhotoReport report;
    if (!PhotoProcessor::Process(image, params, &report, &error))
        return failWith(QStringLiteral("%1: %2").arg(a.in, error));
    if (!image.Save(QFile::encodeName(a.out).toStdString(), format))
        return failWith(
            QStringLiteral("%1: %2").arg(a.out, QString::fromUtf8(image.GetLastError())));
    WarnLookFailed(report, params.look, a.out);
    if (a.report)
        PrintStraightenReport(report.straighten, params.fineStraighten, image);
    return 0;
}

const CliRegistrar kProcess(QStringLiteral("process"), kUsage, RunProcess);

} // namespace
