#include "CaptureSource.h"

#include <cstdio>

#include "CDeviceGuard.h"
#include "CaptureProfile.h"

#include <QFileInfo>
#include <algorithm>

namespace {

constexpr int kMinModel = 0; // camera models SCRIVA_CAMERA_MODEL may name
constexpr int kMaxModel = 4;

} // namespace

CaptureSource CaptureSource::Demo(int model)
{
    CaptureSource s;
    s.kind = Kind::Demo;
    s.friendlyName = QStringLiteral("Demo camera");
    s.cameraModel = model;
    return s;
}

CaptureSource CaptureSource::Test(int model)
{
    CaptureSource s;
    s.kind = Kind::Test;
    s.friendlyName = QStringLiteral("Test pattern");
    s.cameraModel = model;
    return s;
}

CaptureSource CaptureSource::Custom(const QString& launch, int model)
{
    CaptureSource s;
    s.kind = Kind::Pipeline;
    s.friendlyName = QStringLiteral("Pipeline");
    s.pipeline = launch;
    s.cameraModel = model;
    return s;
}

CaptureSource CaptureSource::Launch(const QString& launch, int model)
{
    constexpr int kMaxNameLength = 119;
    CaptureSource s;
    s.kind = Kind::Launch;
    s.friendlyName = launch.trimmed().left(kMaxNameLength);
    s.pipeline = launch.trimmed();
    s.cameraModel = model;
    return s;
}

QString CaptureSourceSetting(const CaptureProfile& profile)
{
    QString v = qEnvironmentVariable("SCRIVA_CAMERA").trimmed();
    if (v.isEmpty())
        v = profile.Source();
    return v.isEmpty() ? QStringLiteral("auto") : v;
}

int CameraModelOverride(const CaptureProfile& profile)
{
    const QString text = qEnvironmentVariable("SCRIVA_CAMERA_MODEL").trimmed();
    bool ok = false;
    const int env = text.toInt(&ok);
    if (ok && env >= kMinModel && env <= kMaxModel)
        return env;
    if (!text.isEmpty())
        std::fprintf(stderr,
                     "scriva: SCRIVA_CAMERA_MODEL=%s is not a camera model (%d-%d); ignored\n",
                     text.toLocal8Bit().constData(), kMinModel, kMaxModel);
    return profile.Model(-1);
}

namespace {

CaptureSource FromNode(const VideoNode& node, int model)
{
    CaptureSource s;
    s.kind = CaptureSource::Kind::Device;
    s.devicePath = node.devicePath;
    s.friendlyName = node.friendlyName;
    s.usbDevicePath = node.usbDevicePath;
    s.cameraModel = model;
    return s;
}

int TokenPosition(const VideoNode& node, const QStringList& tokens)
{
    for (int i = 0; i < tokens.size(); ++i) {
        if (node.Matches(tokens[i]))
            return i + 1;
    }
    return 0;
}

CaptureSource FromPath(const QString& path, const CDeviceGuard& scanned, const QStringList& tokens,
                       int modelOverride)
{
    const QString wanted = QFileInfo(path).canonicalFilePath();
    for (const VideoNode& node : scanned.Nodes()) {
        if (node.devicePath == path ||
            (!wanted.isEmpty() && QFileInfo(node.devicePath).canonicalFilePath() == wanted)) {
            const int pos = TokenPosition(node, tokens);
            CaptureSource s = FromNode(node, pos > 0 ? pos : std::max(modelOverride, 0));
            s.devicePath = path;
            return s;
        }
    }
    // Not under sysfs (or not listed): opened as given, without ids.
    VideoNode bare;
    bare.devicePath = path;
    bare.friendlyName = QFileInfo(path).fileName();
    return FromNode(bare, std::max(modelOverride, 0));
}

} // namespace

CaptureSource ResolveCaptureSource(const QString& setting, const CDeviceGuard& scanned,
                                   const QStringList& tokens, int modelOverride)
{
    const QString v = setting.trimmed();
    if (v.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) {
        CaptureSource none;
        none.problem = QStringLiteral("no camera is chosen");
        return none;
    }
    if (v.compare(QLatin1String("demo"), Qt::CaseInsensitive) == 0)
        return CaptureSource::Demo(modelOverride >= 0 ? modelOverride : 4);
    if (v.compare(QLatin1String("test"), Qt::CaseInsensitive) == 0)
        return CaptureSource::Test(modelOverride >= 0 ? modelOverride : 0);
    if (v.startsWith(QLatin1String(kLaunchPrefix), Qt::CaseInsensitive)) {
        const QString launch = v.mid(qsizetype(sizeof kLaunchPrefix) - 1).trimmed();
        if (launch.isEmpty()) {
            CaptureSource empty;
            empty.problem = QStringLiteral("the camera source 'gst:' names no GStreamer elements");
            return empty;
        }
        return CaptureSource::Launch(launch, std::max(modelOverride, 0));
    }
    if (v.startsWith(QLatin1Char('/')))
        return FromPath(v, scanned, tokens, modelOverride);
    if (!v.isEmpty() && v.compare(QLatin1String("auto"), Qt::CaseInsensitive) != 0) {
        CaptureSource unknown;
        unknown.problem =
            QStringLiteral("unknown camera source '%1' (use auto, demo, test, none, "
                           "a device path such as /dev/video0 or gst: and a GStreamer launch)")
                .arg(v);
        return unknown;
    }
    // auto: the camera, else the first node, else the demo.
    if (const VideoNode* cam = scanned.Camera())
        return FromNode(*cam, scanned.CameraModel());
    if (!scanned.Nodes().isEmpty())
        return FromNode(scanned.Nodes().first(), 0);
    CaptureSource demo = CaptureSource::Demo(4);
    demo.note = scanned.Unusable().isEmpty()
                    ? QStringLiteral("no camera is connected")
                    : QStringLiteral("no camera can be opened (%1)")
                          .arg(scanned.Unusable().join(QStringLiteral("; ")));
    return demo;
}
