// scriva-cli demo: the program's main job without a window, for machines with
// no display. Seeds the user's settings when missing and shows the photo
// settings, takes one frame from the camera source (SCRIVA_CAMERA, else the
// profile, else the camera or, with none attached, the demo camera),
// straightens it and saves it into the photo folder as <stem>_demo.<format>,
// beside earlier ones (_2, _3 ...), never over them.
//   demo [--camera auto|demo|test|none|/dev/videoN]

#include "CliCommand.h"
#include "StraightenJob.h"

#include "capture/CCaptureGraph.h"
#include "capture/CaptureProfile.h"
#include "capture/CaptureSource.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "config/Languages.h"
#include "config/SettingsKeys.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gst/gst.h>
#include <memory>
#include <vector>

using namespace scriva::cli;
namespace settings = scriva::settings;

namespace {

const QString kUsage = QStringLiteral("demo [--camera auto|demo|test|none|/dev/videoN]");
constexpr int kFirstFrameTimeoutMs = 10000;
// A real camera's first pictures are often still dark while its exposure settles.
constexpr uint64_t kDeviceSettleFrames = 5;
constexpr int kDeviceSettleMs = 1500;
constexpr int kMaxNameTries = 10000;

// The photo settings the demo uses and shows.
struct PhotoSettings
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
    bool fineStraighten = true;
};

struct Frame
{
    std::unique_ptr<CxImage> image;
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
bool ReadPhotoSettings(const CConfigFile& config, PhotoSettings& s, QString& error)
{
    s.language = settings::ReadString(config, settings::kLanguage);
    s.saveFolder = settings::PhotoFolder(config);
    if (!s.saveFolder.endsWith(u'/'))
        s.saveFolder += u'/';
    s.stem = settings::ReadString(config, settings::kPhotoStem).trimmed();
    s.format = settings::ReadString(config, settings::kPhotoFormat).trimmed().toLower();
    s.formatId = CxImage::FormatFromExtension(s.format.toUtf8().constData());
    s.pageSize = settings::ReadString(config, settings::kPageSizeName);
    s.pageSizeMm = PageSizeMm(config, s.pageSize);
    s.naming = NamingRule(config);
    s.cameraTokens = settings::CameraIds(config);
    s.fineStraighten = FineStraightenSetting(config);
    if (s.stem.isEmpty() || s.stem.contains(u'/') || s.stem.contains(u'\\'))
        error = QStringLiteral("the photo file name stem '%1' cannot name a file").arg(s.stem);
    else if (s.formatId == CXIMAGE_FORMAT_UNKNOWN)
        error =
            QStringLiteral("the photo format '%1' is not one of jpg, png, tif, bmp").arg(s.format);
    return error.isEmpty();
}

void PrintSettings(const PhotoSettings& s, bool seeded)
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

bool WaitForFrames(const CCaptureGraph& graph, uint64_t wanted)
{
    QElapsedTimer t;
    t.start();
    while (graph.Callback().FrameCount() == 0 && !graph.HasFailed() &&
           t.elapsed() < kFirstFrameTimeoutMs)
        QThread::msleep(20);
    const qint64 first = t.elapsed();
    while (graph.Callback().FrameCount() < wanted && !graph.HasFailed() &&
           t.elapsed() - first < kDeviceSettleMs)
        QThread::msleep(20);
    return graph.Callback().FrameCount() > 0;
}

// Takes one frame from the chosen source; false with the reason.
bool TakeFrame(const QString& cameraSetting, const QStringList& tokens, Frame& frame,
               QString& error)
{
    gst_init(nullptr, nullptr);
    CCaptureGraph graph;
    const CaptureProfile profile;
    const QString setting = cameraSetting.isEmpty() ? CaptureSourceSetting(profile) : cameraSetting;
    graph.DeviceGuard().ScanDevices(tokens);
    const CaptureSource source =
        ResolveCaptureSource(setting, graph.DeviceGuard(), tokens, CameraModelOverride(profile));
    if (!graph.Initialize(source) || !graph.StartPreview()) {
        error = QStringLiteral("the camera could not be started: %1").arg(graph.FailureText());
        graph.Shutdown();
        return false;
    }
    const bool settle =
        source.kind == CaptureSource::Kind::Device || source.kind == CaptureSource::Kind::Pipeline;
    if (!WaitForFrames(graph, settle ? kDeviceSettleFrames : 1)) {
        error = QStringLiteral("no picture came from %1: %2")
                    .arg(graph.FriendlyName(),
                         graph.HasFailed() ? graph.FailureText() : QStringLiteral("waited 10 s"));
        graph.Shutdown();
        return false;
    }
    {
        const CGrabberCallback::FrameAccess access(graph.Callback());
        if (access.image())
            frame.image = std::make_unique<CxImage>(*access.image());
    }
    frame.cameraName = graph.FriendlyName();
    frame.cameraModel = graph.CameraModel();
    graph.Shutdown();
    if (!frame.image || !frame.image->IsValid()) {
        error = QStringLiteral("the frame from %1 could not be copied").arg(frame.cameraName);
        return false;
    }
    return true;
}

// Creates the first free "<stem>_demo[_N].<format>" in the folder, empty, and
// returns its path; an existing file is never reused.
QString ReserveOutputFile(const PhotoSettings& s, QFile& file, QString& error)
{
    for (int n = 1; n <= kMaxNameTries; ++n) {
        const QString suffix = n == 1 ? QString() : QStringLiteral("_%1").arg(n);
        const QString path =
            s.saveFolder + s.stem + QStringLiteral("_demo") + suffix + u'.' + s.format;
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            continue;
        file.setFileName(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (QFileInfo::exists(path))
            continue; // made by someone else in the meantime
        error = QStringLiteral("cannot create %1: %2").arg(path, file.errorString());
        return QString();
    }
    error = QStringLiteral("no free photo name left in %1").arg(s.saveFolder);
    return QString();
}

// Encodes the photo into a new file of the photo folder; false with the reason,
// and then no file is left behind.
bool SavePhoto(CxImage& image, const PhotoSettings& s, QString& path, qint64& bytes, QString& error)
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
    path = ReserveOutputFile(s, file, error);
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
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--camera") && i + 1 < args.size() && camera.isEmpty()) {
            camera = args[++i];
            continue;
        }
        error = QStringLiteral("unexpected argument '%1'; usage: %2").arg(args[i], kUsage);
        return false;
    }
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

// Takes one frame, straightens it and saves it as a new photo, saying what it did.
int TakeStraightenAndSave(const QString& camera, const PhotoSettings& settings)
{
    Frame frame;
    QString error;
    if (!TakeFrame(camera, settings.cameraTokens, frame, error))
        return failWith(error);
    CxImage& image = *frame.image;
    PrintLine(QStringLiteral("Camera"), QStringLiteral("%1 (camera model %2), frame %3 x %4")
                                            .arg(frame.cameraName)
                                            .arg(frame.cameraModel)
                                            .arg(image.GetWidth())
                                            .arg(image.GetHeight()));
    StraightenResult result;
    if (!StraightenPage(image, result, &error, nullptr, settings.fineStraighten))
        return failWith(QStringLiteral("cannot straighten the photo: %1").arg(error));
    const cxdetect::PageBox& c = result.crop;
    PrintLine(QStringLiteral("Straightened"),
              QStringLiteral("%1, cut to left %2, top %3, right %4, bottom %5")
                  .arg(TurnText(result.angle))
                  .arg(c.left)
                  .arg(c.top)
                  .arg(c.right)
                  .arg(c.bottom));
    QString path;
    qint64 bytes = 0;
    if (!SavePhoto(image, settings, path, bytes, error))
        return failWith(error);
    PrintLine(QStringLiteral("Saved"), QStringLiteral("%1 (%2 x %3, %4 bytes)")
                                           .arg(path)
                                           .arg(image.GetWidth())
                                           .arg(image.GetHeight())
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
    PhotoSettings settings;
    const bool usable = ReadPhotoSettings(config, settings, error);
    PrintSettings(settings, seeded);
    std::fflush(stdout);
    if (!usable)
        return failWith(error);
    return TakeStraightenAndSave(camera, settings);
}

const CliRegistrar s_demo(QStringLiteral("demo"), kUsage, &RunDemo);

} // namespace
