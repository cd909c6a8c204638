// scriva-cli demo: the program's main job without a window, for machines with
// no display. Seeds the user's settings when missing and shows the photo
// settings, then takes one photo as `capture --photo` does (the same photo
// job: the camera source from SCRIVA_CAMERA, else the profile, else the
// camera or, with none attached, the demo camera; page cut, straightening,
// turn), saved into the photo folder as <stem>_demo.<format>, beside earlier
// ones (_2, _3 ...), never over them; and says what the job did.
//   demo [--camera auto|demo|test|none|/dev/videoN]

#include "CliCamera.h"
#include "CliCommand.h"
#include "CliOptions.h"
#include "CliPhoto.h"

#include "capture_view/PhotoJob.h"
#include "capture_view/PhotoNaming.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "config/Languages.h"
#include "config/SettingsKeys.h"

#include <QFileInfo>
#include <cmath>
#include <cstdio>

using namespace scriva::cli;
namespace settings = scriva::settings;

namespace {

const QString kUsage = QStringLiteral("demo [--camera auto|demo|test|none|/dev/videoN]");

void PrintLine(const QString& label, const QString& value)
{
    std::printf("%-14s %s\n", qPrintable(label + u':'), value.toLocal8Bit().constData());
}

QString LanguageName(const QString& code)
{
    const int index = scriva::languages::IndexOfCode(code);
    return index == 0 ? code + QStringLiteral(" (not a language of the program)")
                      : code + QStringLiteral(" (") +
                            QLatin1String(scriva::languages::Info(index).name) + u')';
}

QString NamingRule(const PhotoSettings& s)
{
    if (!s.NamesByCounter())
        return QStringLiteral("date and time");
    return QStringLiteral("counter (next %1, step %2)").arg(s.counter).arg(s.increment);
}

QString PageSizeText(const CConfigFile& config, const QString& name)
{
    int height = 0;
    int width = 0;
    if (!settings::ReadPageSize(config, name, height, width))
        return name;
    if (height <= 0 || width <= 0)
        return name + QStringLiteral(" (the whole picture)");
    return QStringLiteral("%1 (%2 x %3 mm)").arg(name).arg(height).arg(width);
}

// The settings the photo job reads, as it reads them.
void PrintSettings(const CConfigFile& config, bool seeded)
{
    const PhotoSettings s = PhotoSettingsReader::Read(config);
    QString folder = PhotoNaming::SaveFolder(s.savePath);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    PrintLine(QStringLiteral("Settings"),
              scriva::userConfigFile() + (seeded ? QStringLiteral(" (new, copied from ") +
                                                       scriva::shippedConfigFile() + u')'
                                                 : QString()));
    PrintLine(QStringLiteral("Language"),
              LanguageName(settings::ReadString(config, settings::kLanguage)));
    PrintLine(QStringLiteral("Save folder"), folder);
    PrintLine(QStringLiteral("File name"), s.stem);
    PrintLine(QStringLiteral("Format"), s.format);
    PrintLine(QStringLiteral("Page size"), PageSizeText(config, s.pageName));
    PrintLine(QStringLiteral("Naming"), NamingRule(s));
}

// The turn undone, in words: a positive angle is a clockwise turn.
QString TurnText(double angle)
{
    const QString degrees = QString::number(std::fabs(angle), 'f', 2);
    if (degrees == QLatin1String("0.00"))
        return QStringLiteral("not turned");
    return QStringLiteral("turned %1 degree%2 %3")
        .arg(degrees)
        .arg(degrees == QLatin1String("1.00") ? QString() : QStringLiteral("s"))
        .arg(angle > 0 ? QStringLiteral("clockwise") : QStringLiteral("counter-clockwise"));
}

// What the photo job did, line by line.
void PrintPhoto(const PhotoJob& job, const PhotoSource& source)
{
    PrintLine(QStringLiteral("Camera"), QStringLiteral("%1 (camera model %2), frame %3 x %4")
                                            .arg(source.cameraName)
                                            .arg(source.cameraModel)
                                            .arg(source.width)
                                            .arg(source.height));
    const PageCut& page = job.Report().page;
    PrintLine(QStringLiteral("Page cut"),
              page.cut ? QStringLiteral("left %1, top %2, right %3, bottom %4")
                             .arg(page.left)
                             .arg(page.top)
                             .arg(page.right)
                             .arg(page.bottom)
                       : QStringLiteral("none (the whole picture)"));
    const cxdetect::PageBox& c = job.Report().straighten.crop;
    PrintLine(QStringLiteral("Straightened"),
              QStringLiteral("%1, cut to left %2, top %3, right %4, bottom %5")
                  .arg(TurnText(job.Report().straighten.angle))
                  .arg(c.left)
                  .arg(c.top)
                  .arg(c.right)
                  .arg(c.bottom));
    PrintLine(QStringLiteral("Saved"), QStringLiteral("%1 (%2 x %3, %4 bytes)")
                                           .arg(job.PhotoPath())
                                           .arg(job.Photo().GetWidth())
                                           .arg(job.Photo().GetHeight())
                                           .arg(QFileInfo(job.PhotoPath()).size()));
}

bool ParseArgs(const QStringList& args, QString& camera, QString& error)
{
    CliOptions options(
        kUsage, {{QStringLiteral("--camera"), QStringLiteral("demo, test or a device")}}, 0, 0);
    if (!options.Parse(args)) {
        error = options.Error();
        return false;
    }
    camera = options.Value(QStringLiteral("--camera"));
    return true;
}

bool LoadSettings(CConfigFile& config, bool& seeded, QString& error)
{
    seeded = !QFileInfo::exists(scriva::userConfigFile());
    QString why;
    if (!scriva::ensureUserConfig(&why)) {
        error =
            QStringLiteral("cannot set up the settings %1: %2").arg(scriva::userConfigFile(), why);
        return false;
    }
    QString failedPath;
    if (!scriva::loadSettings(config, &failedPath, &why)) {
        error = QStringLiteral("cannot read the settings %1: %2").arg(failedPath, why);
        return false;
    }
    return true;
}

int RunDemo(const QStringList& args)
{
    QString camera;
    QString error;
    CConfigFile config;
    bool seeded = false;
    if (!ParseArgs(args, camera, error) || !LoadSettings(config, seeded, error))
        return failWith(error);
    PrintSettings(config, seeded);
    std::fflush(stdout);
    // The photo job of `capture --photo`, under names of the demo's own.
    PhotoMemory memory;
    PhotoJob job(config, QString(), memory);
    job.NameWith(QStringLiteral("demo"));
    PhotoSource source;
    if (!TakeJobPhoto(job, camera, CameraTokens(config), source, error))
        return failWith(error);
    PrintPhoto(job, source);
    return 0;
}

const CliRegistrar s_demo(QStringLiteral("demo"), kUsage, &RunDemo);

} // namespace
