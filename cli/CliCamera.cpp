#include "CliCamera.h"

#include "capture/CaptureProfile.h"
#include "config/CConfigFile.h"
#include "config/SettingsKeys.h"

#include <QElapsedTimer>
#include <QThread>
#include <gst/gst.h>

namespace scriva::cli {

namespace {

constexpr int kFirstFrameTimeoutMs = 10000;
constexpr int kPollMs = 20;
// A real camera's first pictures are often still dark while its exposure settles.
constexpr uint64_t kDeviceSettleFrames = 5;
constexpr int kDeviceSettleMs = 1500;

bool WaitForFrames(const CCaptureGraph& graph, uint64_t wanted)
{
    QElapsedTimer t;
    t.start();
    while (graph.Callback().FrameCount() == 0 && !graph.HasFailed() &&
           t.elapsed() < kFirstFrameTimeoutMs)
        QThread::msleep(kPollMs);
    const qint64 first = t.elapsed();
    while (graph.Callback().FrameCount() < wanted && !graph.HasFailed() &&
           t.elapsed() - first < kDeviceSettleMs)
        QThread::msleep(kPollMs);
    return graph.Callback().FrameCount() > 0;
}

} // namespace

QStringList CameraTokens(const CConfigFile& config)
{
    return scriva::settings::CameraIds(config);
}

bool StartCamera(CCaptureGraph& graph, const QString& sourceSetting, const QStringList& tokens,
                 QString& error)
{
    gst_init(nullptr, nullptr);
    const CaptureProfile profile;
    const QString setting = sourceSetting.isEmpty() ? CaptureSourceSetting(profile) : sourceSetting;
    graph.DeviceGuard().ScanDevices(tokens);
    const CaptureSource source =
        ResolveCaptureSource(setting, graph.DeviceGuard(), tokens, CameraModelOverride(profile));
    if (!graph.Initialize(source) || !graph.StartPreview()) {
        error = QStringLiteral("the camera could not be started: %1").arg(graph.FailureText());
        graph.Shutdown();
        return false;
    }
    const bool settle = source.kind == CaptureSource::Kind::Device ||
                        source.kind == CaptureSource::Kind::Pipeline ||
                        source.kind == CaptureSource::Kind::Launch;
    if (!WaitForFrames(graph, settle ? kDeviceSettleFrames : 1)) {
        error = QStringLiteral("no frame arrived from %1: %2")
                    .arg(graph.FriendlyName(),
                         graph.HasFailed() ? graph.FailureText() : QStringLiteral("waited 10 s"));
        graph.Shutdown();
        return false;
    }
    return true;
}

} // namespace scriva::cli
