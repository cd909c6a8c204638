#pragma once
// Which frame source the capture graph opens: the recognised camera, another
// capture node, the demo camera, the test pattern, or none. Chosen from
// SCRIVA_CAMERA, else profile [camera] Source, else "auto". Any thread.

#include <QString>
#include <QStringList>

class CDeviceGuard;
class CaptureProfile;

struct CaptureSource
{
    enum class Kind { None, Demo, Test, Device, Pipeline };
    Kind kind = Kind::None;
    QString devicePath;    // Device: the node opened
    QString friendlyName;  // shown to the user, at most 119 characters
    QString usbDevicePath; // Device: sysfs folder of the USB device, if any
    QString pipeline;      // Pipeline: a launch description ending in "appsink name=sink"
    int cameraModel = 0;

    static CaptureSource Demo(int model = 4);
    static CaptureSource Test(int model = 0);
    static CaptureSource Custom(const QString& launch, int model = 0);
};

// "auto", "demo", "test", "none" or a device path; SCRIVA_CAMERA beats the profile.
QString CaptureSourceSetting(const CaptureProfile& profile);
// SCRIVA_CAMERA_MODEL beats [camera] Model; -1 when neither is set.
int CameraModelOverride(const CaptureProfile& profile);

// Resolves a source setting against a finished scan of the guard.
CaptureSource ResolveCaptureSource(const QString& setting, const CDeviceGuard& scanned,
                                   const QStringList& tokens, int modelOverride);
