#pragma once
// Watches the camera's hardware buttons: the evdev input nodes that belong to
// the same USB device as the recognised camera. A key press (not a repeat) of
// KEY_CAMERA, or of a key mapped in profile [buttons], hands its button code
// to the poster, which the application wires to its 0x7E8 button event.
// User-interface thread (QSocketNotifier); silent without nodes or permission.

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

class ButtonWatcher : public QObject
{
    Q_OBJECT
public:
    using Poster = std::function<void(int buttonCode)>;

    explicit ButtonWatcher(Poster post, QObject* parent = nullptr);
    ~ButtonWatcher() override;

    // Re-attaches to the input nodes below this USB device's sysfs folder;
    // an empty path only detaches. Returns the number of nodes opened.
    int Attach(const QString& usbDevicePath);
    void Detach();
    int WatchedCount() const { return int(m_nodes.size()); }

    // KEY_CAMERA -> scriva::button::kPhoto plus the given evdev key code -> button code pairs.
    void SetKeyMap(const QMap<int, int>& extra);
    void SetSysfsRoot(const QString& root) { m_sysfsRoot = root; }
    void SetDeviceRoot(const QString& root) { m_deviceRoot = root; }

    // One key event (evdev code, value 1 press / 2 repeat / 0 release).
    void HandleKey(int code, int value);

private:
    struct Node
    {
        int fd = -1;
        QSocketNotifier* notifier = nullptr;
    };
    QStringList InputNodesOf(const QString& usbDevicePath) const;
    void ReadEvents(int fd);

    Poster m_post;
    QMap<int, int> m_keyMap;
    QString m_sysfsRoot = QStringLiteral("/sys");
    QString m_deviceRoot = QStringLiteral("/dev/input");
    QList<Node> m_nodes;
};
