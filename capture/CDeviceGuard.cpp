#include "CDeviceGuard.h"

#include "V4l2Device.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

QString ReadLine(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readLine(512)).trimmed();
}

int NodeNumber(const QString& name)
{
    bool ok = false;
    const int n = name.mid(5).toInt(&ok);
    return ok ? n : -1;
}

// Walks up from the node's device link to the USB interface (bInterfaceNumber)
// and its parent USB device (idVendor, idProduct).
void ReadUsbIds(const QString& deviceLink, VideoNode& node)
{
    QString dir = QFileInfo(deviceLink).canonicalFilePath();
    for (int depth = 0; depth < 4 && !dir.isEmpty() && dir != QLatin1String("/"); ++depth) {
        const QString iface = ReadLine(dir + QStringLiteral("/bInterfaceNumber"));
        const QString parent = QFileInfo(dir).path();
        const QString vid = ReadLine(parent + QStringLiteral("/idVendor")).toLower();
        const QString pid = ReadLine(parent + QStringLiteral("/idProduct")).toLower();
        if (!iface.isEmpty() && !vid.isEmpty() && !pid.isEmpty()) {
            node.deviceId = QStringLiteral("usb\\vid_%1&pid_%2").arg(vid, pid);
            node.hardwareId = node.deviceId + QStringLiteral("&mi_%1").arg(iface.toLower());
            node.instanceId = node.hardwareId + QLatin1Char('\\') + QFileInfo(dir).fileName();
            node.usbDevicePath = parent;
            return;
        }
        dir = parent;
    }
}

} // namespace

bool VideoNode::Matches(const QString& token) const
{
    const QString t = token.trimmed();
    if (t.isEmpty() || hardwareId.isEmpty())
        return false;
    return t.compare(hardwareId, Qt::CaseInsensitive) == 0 ||
           t.compare(deviceId, Qt::CaseInsensitive) == 0;
}

CDeviceGuard::CDeviceGuard() : m_probe(&V4l2::IsCaptureNode) {}

VideoNode CDeviceGuard::ReadNode(const QString& classEntry, const QString& name) const
{
    VideoNode node;
    node.devicePath = m_deviceRoot + QLatin1Char('/') + name;
    node.friendlyName = ReadLine(classEntry + QStringLiteral("/name")).left(kMaxFriendlyName);
    ReadUsbIds(classEntry + QStringLiteral("/device"), node);
    return node;
}

namespace {

CDeviceGuard::ScanObserver& Observer()
{
    static CDeviceGuard::ScanObserver observer;
    return observer;
}

} // namespace

void CDeviceGuard::SetScanObserver(ScanObserver observer)
{
    Observer() = std::move(observer);
}

QList<VideoNode> CDeviceGuard::EnumerateNodes(QStringList* unusable) const
{
    const QString classDir = m_sysfsRoot + QStringLiteral("/class/video4linux");
    QStringList names =
        QDir(classDir).entryList({QStringLiteral("video*")}, QDir::AllEntries | QDir::System);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const QString& n) { return NodeNumber(n) < 0; }),
                names.end());
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return NodeNumber(a) < NodeNumber(b); });
    QList<VideoNode> nodes;
    for (const QString& name : names) {
        if (nodes.size() == kMaxDevices)
            break;
        VideoNode node = ReadNode(classDir + QLatin1Char('/') + name, name);
        if (m_probe && m_probe(node.devicePath)) {
            nodes.append(node);
        } else if (unusable) {
            // Metadata nodes of a camera are no cameras: only nodes that fail to open count.
            const QString why = V4l2::CaptureNodeProblem(node.devicePath);
            if (why != QLatin1String("not a video capture device") &&
                why != QLatin1String("not a video device"))
                *unusable << QStringLiteral("%1: %2").arg(
                    node.devicePath,
                    why.isEmpty() ? QStringLiteral("not usable as a camera") : why);
        }
    }
    return nodes;
}

bool CDeviceGuard::ScanDevices(const QStringList& tokens)
{
    m_cameraModel = 0;
    m_cameraIndex = -1;
    m_unusable.clear();
    m_nodes = EnumerateNodes(&m_unusable);
    for (int n = 0; n < m_nodes.size() && m_cameraIndex < 0; ++n) {
        for (int i = 0; i < tokens.size(); ++i) {
            if (m_nodes[n].Matches(tokens[i])) {
                m_cameraIndex = n;
                m_cameraModel = i + 1;
                break;
            }
        }
    }
    if (Observer())
        Observer()(*this);
    return !m_nodes.isEmpty();
}

const VideoNode* CDeviceGuard::Camera() const
{
    return m_cameraIndex >= 0 && m_cameraIndex < m_nodes.size() ? &m_nodes[m_cameraIndex] : nullptr;
}
