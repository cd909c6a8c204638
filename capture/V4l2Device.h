#pragma once
// Thin helpers over the V4L2 ioctls the camera code needs: the capture-node
// probe, the offered capture modes, and the device's controls. Every
// descriptor is opened close-on-exec and non-blocking. Any thread.

#include <QList>
#include <QString>
#include <cstdint>

namespace V4l2 {

// True when the node opens and VIDIOC_QUERYCAP reports video capture for
// this node (metadata nodes of the same camera drop out).
bool IsCaptureNode(const QString& devicePath);
// Why devicePath cannot serve as a camera ("Permission denied", "No such file or
// directory", "not a video capture device"); empty when it can.
QString CaptureNodeProblem(const QString& devicePath);

struct FrameRate
{
    int numerator = 0;   // frames ...
    int denominator = 1; // ... per this many seconds
    double Fps() const { return denominator > 0 ? double(numerator) / denominator : 0.0; }
};

struct Mode
{
    uint32_t fourcc = 0;
    int width = 0;
    int height = 0;
    QList<FrameRate> rates; // empty when the driver lists none
};

QList<Mode> EnumerateModes(const QString& devicePath);

bool IsJpegFourcc(uint32_t fourcc);
// GStreamer raw format name for a V4L2 pixel format; empty when unknown.
QString RawFormatName(uint32_t fourcc);

// The mode a pipeline pins. rate.numerator 0 = rate not pinned.
struct ModeChoice
{
    bool valid = false;
    bool jpeg = false;
    QString rawFormat;
    int width = 0;
    int height = 0;
    FrameRate rate;
};

// Size: the wanted one when offered, else the largest. Raw when it reaches
// wantedFps at that size, else MJPEG. With pinRate, the offered rate nearest
// wantedFps.
ModeChoice ChooseMode(const QList<Mode>& modes, int wantedWidth, int wantedHeight, double wantedFps,
                      bool pinRate);

struct Control
{
    uint32_t id = 0;
    uint32_t type = 0; // V4L2_CTRL_TYPE_*
    QString name;
    int64_t minimum = 0;
    int64_t maximum = 0;
    int64_t step = 1;
    int64_t defaultValue = 0;
    int32_t value = 0;
    uint32_t flags = 0;
    QList<QPair<int, QString>> menu; // index -> label, for menu controls
};

int OpenNode(const QString& devicePath); // read-write; -1 on failure
QList<Control> QueryControls(int fd);
bool SetControl(int fd, uint32_t id, int32_t value);

} // namespace V4l2
