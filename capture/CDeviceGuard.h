#pragma once
// Finds the supported document camera among the V4L2 capture nodes by the USB
// ids listed in NORMAL/pidVid and records its camera model (its 1-based list
// position). Nothing is disabled: the camera is chosen by id. User-interface
// thread; emits nothing.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// One V4L2 capture node as found under sysfs.
struct VideoNode
{
    QString devicePath;    // /dev/videoN
    QString friendlyName;  // sysfs name, at most 119 characters
    QString hardwareId;    // usb\vid_vvvv&pid_pppp&mi_ii, empty without USB parents
    QString deviceId;      // usb\vid_vvvv&pid_pppp
    QString instanceId;    // hardware id + "\" + USB port, for logs
    QString usbDevicePath; // sysfs folder of the USB device (for its buttons)

    // A pidVid token matches either hardware id, ignoring case.
    bool Matches(const QString& token) const;
};

class CDeviceGuard
{
public:
    using CaptureProbe = std::function<bool(const QString& devicePath)>;
    static constexpr int kMaxDevices = 10;
    static constexpr int kMaxFriendlyName = 119;

    CDeviceGuard();

    // Walks the capture nodes; the first node matching token i is the camera
    // with model i + 1. False when there is no capture node at all.
    bool ScanDevices(const QStringList& tokens);
    // Devices are never disabled, so there is nothing to restore.
    bool RestoreDevices() { return true; }
    bool SetDeviceEnabled(const QString& instanceId, bool enable) { return true; }

    int CameraModel() const { return m_cameraModel; }
    // The recognised camera of the last scan; null when none matched.
    const VideoNode* Camera() const;
    const QList<VideoNode>& Nodes() const { return m_nodes; }
    // Capture nodes of the last scan that could not be used, as "PATH: reason".
    const QStringList& Unusable() const { return m_unusable; }

    // Called after every scan of any guard (the program re-attaches the camera's
    // buttons to the camera it finds); null to stop. User-interface thread.
    using ScanObserver = std::function<void(const CDeviceGuard&)>;
    static void SetScanObserver(ScanObserver observer);

    // The capture nodes in ascending N, at most ten (no model involved).
    QList<VideoNode> EnumerateNodes(QStringList* unusable = nullptr) const;

    void SetSysfsRoot(const QString& root) { m_sysfsRoot = root; }
    void SetDeviceRoot(const QString& root) { m_deviceRoot = root; }
    void SetCaptureProbe(CaptureProbe probe) { m_probe = std::move(probe); }

private:
    VideoNode ReadNode(const QString& classEntry, const QString& name) const;

    QString m_sysfsRoot = QStringLiteral("/sys");
    QString m_deviceRoot = QStringLiteral("/dev");
    CaptureProbe m_probe;
    QList<VideoNode> m_nodes;
    QStringList m_unusable;
    int m_cameraIndex = -1;
    int m_cameraModel = 0;
};
