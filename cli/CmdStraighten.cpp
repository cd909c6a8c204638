// scriva-cli straighten: straightens a page photo and crops it to the page, as
// every photo the program takes is.
//   straighten IN OUT [--report] [--debug DIR] [--fine | --coarse]
// OUT's extension picks the format (bmp, jpg, png, tif). With --report one JSON
// object on stdout tells the turn undone (degrees, the page's counter-clockwise
// turn), how sure the measurement is, the crop and the output size; with
// --debug the detectors' intermediate images are written into DIR as PNG files.
// The turn is refined below a degree unless --coarse is given or the photo
// setting fineStraighten is 0 (--fine overrides the setting).

#include "CliCommand.h"
#include "CliOptions.h"
#include "CliReport.h"

#include "capture_view/PageStraightening.h"

#include "config/AppPaths.h"
#include "config/CConfigFile.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

using namespace scriva::cli;

namespace {

const QString kUsage =
    QStringLiteral("straighten IN OUT [--report] [--debug DIR] [--fine | --coarse]");

std::string NativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// The photo setting, when the user has settings; refined otherwise.
bool FineFromSettings()
{
    const QString path = scriva::userConfigFile();
    CConfigFile config;
    if (!QFileInfo::exists(path) || !config.Load(path))
        return true;
    return FineStraightenSetting(config);
}

// Writes each intermediate image of the detectors as DIR/<stage>.png.
CxDebugSink PngSink(const QString& dir)
{
    return [dir](const char* stage, const CxImage& image) {
        CxImage copy(image);
        const QString path = dir + QLatin1Char('/') + QString::fromUtf8(stage) + ".png";
        if (!copy.Save(NativePath(path), CXIMAGE_FORMAT_PNG))
            std::fprintf(stderr, "scriva-cli: %s: %s\n", path.toLocal8Bit().constData(),
                         copy.GetLastError());
    };
}

int RunStraighten(const QStringList& args)
{
    CliOptions options(kUsage,
                       {{QStringLiteral("--report"), {}},
                        {QStringLiteral("--fine"), {}},
                        {QStringLiteral("--coarse"), {}},
                        {QStringLiteral("--debug"), QStringLiteral("DIR")}},
                       2, 2);
    options.Exclusive({QStringLiteral("--fine"), QStringLiteral("--coarse")});
    if (!options.Parse(args))
        return failWith(options.Error());
    const QStringList& files = options.Args();
    const bool report = options.Has(QStringLiteral("--report"));
    const int fineChoice = options.Has(QStringLiteral("--fine"))     ? 1
                           : options.Has(QStringLiteral("--coarse")) ? 0
                                                                     : -1; // -1: from the settings
    const QString debugDir = options.Value(QStringLiteral("--debug"));
    const QString& in = files[0];
    const QString& out = files[1];
    const uint32_t format =
        CxImage::FormatFromExtension(QFileInfo(out).suffix().toUtf8().constData());
    if (format == CXIMAGE_FORMAT_UNKNOWN)
        return failWith(
            QStringLiteral("%1: unknown output format (use bmp, jpg, png or tif)").arg(out));

    CxImage image;
    QString error;
    if (!loadPicture(in, image, &error))
        return failWith(QStringLiteral("%1: %2").arg(in, error));
    const CxDebugSink sink = debugDir.isEmpty() ? CxDebugSink() : PngSink(debugDir);
    const bool fine = fineChoice < 0 ? FineFromSettings() : fineChoice == 1;
    StraightenResult result;
    if (!StraightenPage(image, result, &error, fine, sink ? &sink : nullptr))
        return failWith(QStringLiteral("%1: %2").arg(in, error));
    if (!image.Save(NativePath(out), format))
        return failWith(QStringLiteral("%1: %2").arg(out, QString::fromUtf8(image.GetLastError())));
    if (report)
        PrintStraightenReport(result, fine, image);
    return 0;
}

const CliRegistrar kStraighten(QStringLiteral("straighten"), kUsage, RunStraighten);

} // namespace
