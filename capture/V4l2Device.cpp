#include "V4l2Device.h"

#include <QFile>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace V4l2 {

namespace {

int Ioctl(int fd, unsigned long request, void* arg)
{
    int r;
    do {
        r = ioctl(fd, request, arg);
    } while (r == -1 && errno == EINTR);
    return r;
}

struct Fd
{
    int fd;
    explicit Fd(int f) : fd(f) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

QList<FrameRate> Rates(int fd, uint32_t fourcc, int w, int h)
{
    QList<FrameRate> rates;
    v4l2_frmivalenum iv{};
    iv.pixel_format = fourcc;
    iv.width = w;
    iv.height = h;
    for (iv.index = 0; Ioctl(fd, VIDIOC_ENUM_FRAMEINTERVALS, &iv) == 0; ++iv.index) {
        if (iv.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
            rates.append({int(iv.discrete.denominator), int(iv.discrete.numerator)});
        } else {
            // Stepwise or continuous: the fastest and the slowest end serve.
            rates.append({int(iv.stepwise.min.denominator), int(iv.stepwise.min.numerator)});
            rates.append({int(iv.stepwise.max.denominator), int(iv.stepwise.max.numerator)});
            break;
        }
    }
    return rates;
}

void AddSizes(int fd, uint32_t fourcc, QList<Mode>& modes)
{
    v4l2_frmsizeenum fs{};
    fs.pixel_format = fourcc;
    for (fs.index = 0; Ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &fs) == 0; ++fs.index) {
        int w = 0;
        int h = 0;
        if (fs.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
            w = int(fs.discrete.width);
            h = int(fs.discrete.height);
        } else {
            w = int(fs.stepwise.max_width);
            h = int(fs.stepwise.max_height);
        }
        modes.append({fourcc, w, h, Rates(fd, fourcc, w, h)});
        if (fs.type != V4L2_FRMSIZE_TYPE_DISCRETE)
            break;
    }
}

double BestFps(const Mode& m)
{
    double best = 0.0;
    for (const FrameRate& r : m.rates)
        best = std::max(best, r.Fps());
    return best;
}

const Mode* Find(const QList<Mode>& modes, bool jpeg, int w, int h)
{
    const Mode* found = nullptr;
    for (const Mode& m : modes) {
        if (m.width != w || m.height != h || IsJpegFourcc(m.fourcc) != jpeg)
            continue;
        if (!jpeg && RawFormatName(m.fourcc).isEmpty())
            continue;
        if (!found || BestFps(m) > BestFps(*found))
            found = &m;
    }
    return found;
}

FrameRate Nearest(const Mode& m, double fps)
{
    FrameRate best;
    for (const FrameRate& r : m.rates) {
        if (r.numerator <= 0 || r.denominator <= 0)
            continue;
        if (best.numerator == 0 || std::fabs(r.Fps() - fps) < std::fabs(best.Fps() - fps))
            best = r;
    }
    return best;
}

bool Usable(const Mode& m)
{
    return IsJpegFourcc(m.fourcc) || !RawFormatName(m.fourcc).isEmpty();
}

QList<QPair<int, QString>> MenuItems(int fd, const v4l2_query_ext_ctrl& q)
{
    QList<QPair<int, QString>> items;
    for (int64_t i = q.minimum; i <= q.maximum && i - q.minimum < 256; ++i) {
        v4l2_querymenu qm{};
        qm.id = q.id;
        qm.index = uint32_t(i);
        if (Ioctl(fd, VIDIOC_QUERYMENU, &qm) != 0)
            continue; // drivers leave gaps in their menus
        items.append({int(i), q.type == V4L2_CTRL_TYPE_MENU
                                  ? QString::fromUtf8(reinterpret_cast<const char*>(qm.name))
                                  : QString::number(qm.value)});
    }
    return items;
}

Control ReadControl(int fd, const v4l2_query_ext_ctrl& q)
{
    Control c;
    c.id = q.id;
    c.type = q.type;
    c.name = QString::fromUtf8(q.name, int(strnlen(q.name, sizeof q.name)));
    c.minimum = q.minimum;
    c.maximum = q.maximum;
    c.step = q.step;
    c.defaultValue = q.default_value;
    c.flags = q.flags;
    v4l2_control cur{q.id, 0};
    if (Ioctl(fd, VIDIOC_G_CTRL, &cur) == 0)
        c.value = cur.value;
    if (q.type == V4L2_CTRL_TYPE_MENU || q.type == V4L2_CTRL_TYPE_INTEGER_MENU)
        c.menu = MenuItems(fd, q);
    return c;
}

} // namespace

bool IsCaptureNode(const QString& devicePath)
{
    return CaptureNodeProblem(devicePath).isEmpty();
}

QString CaptureNodeProblem(const QString& devicePath)
{
    Fd f(::open(QFile::encodeName(devicePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (f.fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    v4l2_capability cap{};
    if (Ioctl(f.fd, VIDIOC_QUERYCAP, &cap) != 0)
        return errno == ENOTTY ? QStringLiteral("not a video device")
                               : QString::fromLocal8Bit(std::strerror(errno));
    const uint32_t caps =
        (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    return (caps & V4L2_CAP_VIDEO_CAPTURE) != 0 ? QString()
                                                : QStringLiteral("not a video capture device");
}

QList<Mode> EnumerateModes(const QString& devicePath)
{
    QList<Mode> modes;
    Fd f(::open(QFile::encodeName(devicePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (f.fd < 0)
        return modes;
    v4l2_fmtdesc fd{};
    fd.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (fd.index = 0; Ioctl(f.fd, VIDIOC_ENUM_FMT, &fd) == 0; ++fd.index)
        AddSizes(f.fd, fd.pixelformat, modes);
    return modes;
}

bool IsJpegFourcc(uint32_t fourcc)
{
    return fourcc == V4L2_PIX_FMT_MJPEG || fourcc == V4L2_PIX_FMT_JPEG;
}

QString RawFormatName(uint32_t fourcc)
{
    switch (fourcc) {
    case V4L2_PIX_FMT_YUYV:
        return QStringLiteral("YUY2");
    case V4L2_PIX_FMT_UYVY:
        return QStringLiteral("UYVY");
    case V4L2_PIX_FMT_NV12:
        return QStringLiteral("NV12");
    case V4L2_PIX_FMT_YUV420:
        return QStringLiteral("I420");
    case V4L2_PIX_FMT_RGB24:
        return QStringLiteral("RGB");
    case V4L2_PIX_FMT_BGR24:
        return QStringLiteral("BGR");
    case V4L2_PIX_FMT_GREY:
        return QStringLiteral("GRAY8");
    default:
        return {};
    }
}

ModeChoice ChooseMode(const QList<Mode>& modes, int wantedW, int wantedH, double wantedFps,
                      bool pinRate)
{
    ModeChoice c;
    int w = 0;
    int h = 0;
    for (const Mode& m : modes) {
        if (!Usable(m))
            continue;
        if (m.width == wantedW && m.height == wantedH) {
            w = wantedW;
            h = wantedH;
            break;
        }
        if (qint64(m.width) * m.height > qint64(w) * h) {
            w = m.width;
            h = m.height;
        }
    }
    if (w <= 0 || h <= 0)
        return c;
    const Mode* raw = Find(modes, false, w, h);
    const Mode* jpeg = Find(modes, true, w, h);
    // A driver that lists no rates is taken at its word that raw frames flow.
    const bool rawFastEnough = raw && (raw->rates.isEmpty() || BestFps(*raw) + 0.01 >= wantedFps);
    const Mode* m = (rawFastEnough || !jpeg) ? raw : jpeg;
    if (!m)
        return c; // no mode of that size in a format the pipeline takes
    c.valid = true;
    c.jpeg = m == jpeg && !rawFastEnough;
    c.rawFormat = c.jpeg ? QString() : RawFormatName(m->fourcc);
    c.width = w;
    c.height = h;
    if (pinRate)
        c.rate = Nearest(*m, wantedFps);
    return c;
}

int OpenNode(const QString& devicePath)
{
    return ::open(QFile::encodeName(devicePath).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
}

QList<Control> QueryControls(int fd)
{
    QList<Control> list;
    v4l2_query_ext_ctrl q{};
    q.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    while (Ioctl(fd, VIDIOC_QUERY_EXT_CTRL, &q) == 0) {
        const uint32_t id = q.id;
        if (!(q.flags & V4L2_CTRL_FLAG_DISABLED) && q.type != V4L2_CTRL_TYPE_CTRL_CLASS)
            list.append(ReadControl(fd, q));
        q = v4l2_query_ext_ctrl{};
        q.id = id | V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    return list;
}

bool SetControl(int fd, uint32_t id, int32_t value)
{
    v4l2_control c{id, value};
    return Ioctl(fd, VIDIOC_S_CTRL, &c) == 0;
}

} // namespace V4l2
