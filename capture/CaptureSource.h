#pragma once
// Which frame source the capture graph opens: the recognised camera, another
// capture node, the demo camera, the test pattern, a GStreamer launch
// description ("gst:..."), or none. Chosen from
// SCRIVA_CAMERA, else profile [camera] Source, else "auto". Any thread.

#include <QString>
#include <QStringList>

class CDeviceGuard;
class CaptureProfile;

struct CaptureSource
{
    enum class Kind { None, Demo, Test, Device, Pipeline, Launch };
    Kind kind = Kind::None;
    QString devicePath;    // Device: the node opened
    QString friendlyName;  // shown to the user, at most 119 characters
    QString usbDevicePath; // Device: sysfs folder of the USB device, if any
    QString pipeline;      // Pipeline: a launch description ending in "appsink name=sink";
                           // Launch: one whose last element gives raw video or JPEG
    int cameraModel = 0;
    // Why this source was taken when the user did not name it (the demo camera
    // standing in for a missing camera); empty otherwise. Shown with the picture.
    QString note;
    // None: why there is no source (an unknown name, "none").
    QString problem;

    static CaptureSource Demo(int model = 4);
    static CaptureSource Test(int model = 0);
    static CaptureSource Custom(const QString& launch, int model = 0);
    // Any launch description; the graph adds the decoding and the sink.
    static CaptureSource Launch(const QString& launch, int model = 0);
};

// The prefix of a source setting that names a launch description.
inline constexpr char kLaunchPrefix[] = "gst:";

// "auto", "demo", "test", "none", a device path or "gst:LAUNCH"; SCRIVA_CAMERA
// beats the profile.
QString CaptureSourceSetting(const CaptureProfile& profile);
// SCRIVA_CAMERA_MODEL beats [camera] Model; -1 when neither is set. A value
// that is no model (0-4) is said on stderr and not used.
int CameraModelOverride(const CaptureProfile& profile);

// Resolves a source setting against a finished scan of the guard. A source
// named explicitly (demo, test, none, a device path, gst:) is taken as it is, so a
// missing device fails when it is opened; an unknown name gives None with the
// reason; only "auto" falls back to the demo camera, with a note saying why.
CaptureSource ResolveCaptureSource(const QString& setting, const CDeviceGuard& scanned,
                                   const QStringList& tokens, int modelOverride);
