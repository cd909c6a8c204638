// scriva-cli process: runs the photo pipeline of the program on an image file:
// the page cut by camera model and frame size, straightening, the crop to the
// page, the turn and the resolution, with the photo settings of the user's
// settings unless overridden.
//   process IN OUT [--camera-model N] [--page NAME] [--direction 0|1|2] [--report]
// OUT's extension picks the format (bmp, jpg, png, tif). The camera model
// defaults to SCRIVA_CAMERA_MODEL or the profile's [camera] Model, else 0 (no
// page cut). --report prints the same JSON line as "straighten --report".

#include "CliCommand.h"
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

const QString kUsage = QStringLiteral(
    "process IN OUT [--camera-model N] [--page NAME] [--direction 0|1|2] [--report]");
constexpr int kMaxCameraModel = 4;
constexpr int kMaxDirection = 2;

struct ProcessArgs
{
    QString in;
    QString out;
    int cameraModel = -1; // -1: from the environment or the profile
    QString page;         // empty: from the settings
    int direction = -1;   // -1: from the settings
    bool report = false;
};

bool ParseNumber(const QString& text, int low, int high, int& out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    out = v;
    return true;
}

bool Parse(const QStringList& args, ProcessArgs& a, QString& error)
{
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--report")) {
            a.report = true;
        } else if (arg == QLatin1String("--camera-model") && hasValue) {
            if (!ParseNumber(args[++i], 0, kMaxCameraModel, a.cameraModel)) {
                error = QStringLiteral("--camera-model takes 0 to 4, not '%1'").arg(args[i]);
                return false;
            }
        } else if (arg == QLatin1String("--direction") && hasValue) {
            if (!ParseNumber(args[++i], 0, kMaxDirection, a.direction)) {
                error = QStringLiteral("--direction takes 0, 1 or 2, not '%1'").arg(args[i]);
                return false;
            }
        } else if (arg == QLatin1String("--page") && hasValue) {
            a.page = args[++i];
        } else if (arg.startsWith(QLatin1String("--"))) {
            error = QStringLiteral("unknown option %1; usage: %2").arg(arg, kUsage);
            return false;
        } else {
            files << arg;
        }
    }
    if (files.size() != 2) {
        error = QStringLiteral("usage: ") + kUsage;
        return false;
    }
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
    if (a.report)
        PrintStraightenReport(report.straighten, params.fineStraighten, image);
    return 0;
}

const CliRegistrar kProcess(QStringLiteral("process"), kUsage, RunProcess);

} // namespace
