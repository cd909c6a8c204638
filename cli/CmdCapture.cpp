// scriva-cli capture: takes one frame from a camera source and writes it.
//   capture [--camera auto|demo|test|none|/dev/videoN] OUT.bmp
// Without --camera the source comes from SCRIVA_CAMERA or the profile, as in
// the program; the supported cameras are those of the user's settings.

#include "CliCommand.h"

#include "capture/CCaptureGraph.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <gst/gst.h>

using namespace scriva::cli;

namespace {

constexpr int kFirstFrameTimeoutMs = 10000;

QStringList CameraTokens()
{
    CConfigFile config;
    if (!scriva::loadSettings(config))
        return {};
    return scriva::settings::CameraIds(config);
}

bool WaitForFrame(const CCaptureGraph& graph)
{
    QElapsedTimer t;
    t.start();
    while (graph.Callback().FrameCount() == 0 && !graph.HasFailed() &&
           t.elapsed() < kFirstFrameTimeoutMs)
        QThread::msleep(20);
    return graph.Callback().FrameCount() > 0;
}

int RunCapture(const QStringList& args)
{
    QString setting;
    QString out;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--camera") && i + 1 < args.size())
            setting = args[++i];
        else if (out.isEmpty() && !args[i].startsWith(QLatin1String("--")))
            out = args[i];
        else
            return failWith(QStringLiteral(
                "usage: capture [--camera auto|demo|test|none|/dev/videoN] OUT.bmp"));
    }
    if (out.isEmpty())
        return failWith(
            QStringLiteral("usage: capture [--camera auto|demo|test|none|/dev/videoN] OUT.bmp"));
    gst_init(nullptr, nullptr);
    CCaptureGraph graph;
    const QStringList tokens = CameraTokens();
    const CaptureProfile profile;
    if (setting.isEmpty())
        setting = CaptureSourceSetting(profile);
    graph.DeviceGuard().ScanDevices(tokens);
    const CaptureSource source =
        ResolveCaptureSource(setting, graph.DeviceGuard(), tokens, CameraModelOverride(profile));
    if (!graph.Initialize(source) || !graph.StartPreview())
        return failWith(
            QStringLiteral("the camera could not be started: %1").arg(graph.FailureText()));
    if (!WaitForFrame(graph)) {
        const QString why =
            graph.HasFailed() ? graph.FailureText() : QStringLiteral("no picture within 10 s");
        graph.Shutdown();
        return failWith(QStringLiteral("no frame arrived: %1").arg(why));
    }
    QString writeError;
    const bool ok = graph.SaveFrameAsBitmap(out, &writeError);
    const QString name = graph.FriendlyName();
    int w = 0, h = 0;
    graph.Callback().FrameSize(w, h);
    const int model = graph.CameraModel();
    graph.Shutdown();
    if (!ok)
        return failWith(writeError);
    std::printf("%s: %dx%d from %s (camera model %d)\n", qPrintable(out), w, h, qPrintable(name),
                model);
    return 0;
}

const CliRegistrar
    s_capture(QStringLiteral("capture"),
              QStringLiteral("capture [--camera auto|demo|test|none|/dev/videoN] OUT.bmp"),
              &RunCapture);

} // namespace
