// scriva-cli demo: the program's main job without a window, for machines with
// no display. Seeds the user's settings when missing and shows the photo
// settings, takes one frame from the camera source (SCRIVA_CAMERA, else the
// profile, else the camera or, with none attached, the demo camera), runs the
// program's photo pipeline on it (page cut, straightening, turn) and saves it
// into the photo folder as <stem>_demo.<format>, beside earlier ones (_2, _3
// ...), never over them.
//   demo [--camera auto|demo|test|none|/dev/videoN]

#include "CliCamera.h"
#include "CliCommand.h"
#include "CliOptions.h"

#include "capture_view/PhotoJob.h"
#include "capture_view/PhotoNaming.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "config/Languages.h"
#include "config/SettingsKeys.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace scriva::cli;
namespace settings = scriva::settings;

namespace {

const QString kUsage = QStringLiteral("demo [--camera auto|demo|test|none|/dev/videoN]");
// The photo settings the demo shows and checks.
struct DemoSettings
{
    QString language;
    QString saveFolder; // resolved, ending in "/"
    QString stem;
    QString format; // extension, lower case
    uint32_t formatId = CXIMAGE_FORMAT_UNKNOWN;
    QString pageSize;
    QString pageSizeMm; // "210 x 297 mm", empty when the name has no size
    QString naming;
    QStringList cameraTokens;
};

struct Frame
{
    CxImage image;
    QString cameraName;
    int cameraModel = 0;
};

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

QString NamingRule(const CConfigFile& config)
{
    const int32_t rule = settings::ReadInt(config, settings::kNamingRule);
    const int32_t next = settings::ReadInt(config, settings::kCounterNext);
    const int32_t step = settings::ReadInt(config, settings::kCounterStep);
    if (rule == 0)
        return QStringLiteral("date and time");
    return QStringLiteral("counter (next %1, step %2)").arg(next).arg(step);
}

QString PageSizeMm(const CConfigFile& config, const QString& name)
{
    int height = 0;
    int width = 0;
    if (!settings::ReadPageSize(config, name, height, width))
        return QString();
    if (height <= 0 || width <= 0)
        return QStringLiteral("the whole picture");
    return QStringLiteral("%1 x %2 mm").arg(height).arg(width);
}

// Reads the photo settings; false with the reason when they cannot be used.
bool ReadDemoSettings(const CConfigFile& config, DemoSettings& s, QString& error)
{
    s.language = settings::ReadString(config, settings::kLanguage);
    s.saveFolder = settings::PhotoFolder(config);
    if (!s.saveFolder.endsWith(u'/'))
        s.saveFolder += u'/';
    s.stem = settings::ReadString(config, settings::kPhotoStem).trimmed();
    s.format = settings::ReadString(config, settings::kPhotoFormat).trimmed().toLower();
    s.formatId = CxImage::FormatFromExtension(s.format.toLatin1().constData());
    s.pageSize = settings::ReadString(config, settings::kPageSizeName);
    s.pageSizeMm = PageSizeMm(config, s.pageSize);
    s.naming = NamingRule(config);
    s.cameraTokens = settings::CameraIds(config);
    if (s.stem.isEmpty() || !PhotoSettingsReader::IsSafeNamePart(s.stem))
        error = QStringLiteral("the photo file name stem '%1' cannot name a file").arg(s.stem);
    else if (s.formatId == CXIMAGE_FORMAT_UNKNOWN)
        error =
            QStringLiteral("the photo format '%1' is not one of jpg, png, tif, bmp").arg(s.format);
    return error.isEmpty();
}

void PrintSettings(const DemoSettings& s, bool seeded)
{
    PrintLine(QStringLiteral("Settings"),
              scriva::userConfigFile() + (seeded ? QStringLiteral(" (new, copied from ") +
                                                       scriva::shippedConfigFile() + u')'
                                                 : QString()));
    PrintLine(QStringLiteral("Language"), LanguageName(s.language));
    PrintLine(QStringLiteral("Save folder"), s.saveFolder);
    PrintLine(QStringLiteral("File name"), s.stem);
    PrintLine(QStringLiteral("Format"), s.format);
    PrintLine(QStringLiteral("Page size"),
              s.pageSizeMm.isEmpty() ? s.pageSize
                                     : s.pageSize + QStringLiteral(" (") + s.pageSizeMm + u')');
    PrintLine(QStringLiteral("Naming"), s.naming);
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

// Takes one frame from the chosen source; false with the reason.
bool TakeFrame(const QString& cameraSetting, const QStringList& tokens, Frame& frame,
               QString& error)
{
    CCaptureGraph graph;
    if (!StartCamera(graph, cameraSetting, tokens, error))
        return false;
    const bool held = graph.CopyHeldFrame(frame.image);
    frame.cameraName = graph.FriendlyName();
    frame.cameraModel = graph.CameraModel();
    graph.Shutdown();
    if (!held || !frame.image.IsValid()) {
        error = QStringLiteral("the frame from %1 could not be copied").arg(frame.cameraName);
        return false;
    }
    return true;
}

// Encodes the photo into a new file of the photo folder; false with the reason,
// and then no file is left behind.
bool SavePhoto(CxImage& image, const DemoSettings& s, QString& path, qint64& bytes, QString& error)
{
    if (!QDir().mkpath(s.saveFolder)) {
        error = QStringLiteral("cannot create the photo folder %1").arg(s.saveFolder);
        return false;
    }
    std::vector<uint8_t> encoded;
    if (!image.Encode(encoded, s.formatId)) {
        error = QStringLiteral("cannot encode the photo as %1: %2")
                    .arg(s.format, QString::fromUtf8(image.GetLastError()));
        return false;
    }
    QFile file;
    path = PhotoNaming::ReserveNewFile(s.saveFolder, s.stem + QStringLiteral("_demo"), s.format,
                                       file, error);
    if (path.isEmpty())
        return false;
    const qint64 size = qint64(encoded.size());
    const bool written =
        file.write(reinterpret_cast<const char*>(encoded.data()), size) == size && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        file.remove();
        return false;
    }
    bytes = size;
    return true;
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

// Takes one frame, runs the photo pipeline on it and saves it as a new
// photo, saying what it did.
int TakeProcessAndSave(const QString& camera, CConfigFile& config, const DemoSettings& settings)
{
    Frame frame;
    QString error;
    if (!TakeFrame(camera, settings.cameraTokens, frame, error))
        return failWith(error);
    const int width = int(frame.image.GetWidth());
    PrintLine(QStringLiteral("Camera"), QStringLiteral("%1 (camera model %2), frame %3 x %4")
                                            .arg(frame.cameraName)
                                            .arg(frame.cameraModel)
                                            .arg(width)
                                            .arg(frame.image.GetHeight()));
    // The demo saves under names of its own: the job only develops the frame.
    PhotoMemory memory;
    PhotoJob job(config, QString(), memory);
    job.Prepare(QDateTime::currentDateTime(), true);
    if (!job.Develop(frame.image, frame.cameraModel, width))
        return failWith(QStringLiteral("cannot process the photo: %1").arg(job.FailureDetail()));
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
    CxImage photo(job.Photo());
    QString path;
    qint64 bytes = 0;
    if (!SavePhoto(photo, settings, path, bytes, error))
        return failWith(error);
    PrintLine(QStringLiteral("Saved"), QStringLiteral("%1 (%2 x %3, %4 bytes)")
                                           .arg(path)
                                           .arg(photo.GetWidth())
                                           .arg(photo.GetHeight())
                                           .arg(bytes));
    return 0;
}

int RunDemo(const QStringList& args)
{
    QString camera;
    QString error;
    CConfigFile config;
    bool seeded = false;
    if (!ParseArgs(args, camera, error) || !LoadSettings(config, seeded, error))
        return failWith(error);
    DemoSettings settings;
    const bool usable = ReadDemoSettings(config, settings, error);
    PrintSettings(settings, seeded);
    std::fflush(stdout);
    if (!usable)
        return failWith(error);
    return TakeProcessAndSave(camera, config, settings);
}

const CliRegistrar s_demo(QStringLiteral("demo"), kUsage, &RunDemo);

} // namespace
