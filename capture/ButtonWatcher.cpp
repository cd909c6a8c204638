#include "ButtonWatcher.h"

#include "config/CommandIds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

ButtonWatcher::ButtonWatcher(Poster post, QObject* parent)
    : QObject(parent), m_post(std::move(post))
{
    SetKeyMap({});
}

ButtonWatcher::~ButtonWatcher()
{
    Detach();
}

void ButtonWatcher::SetKeyMap(const QMap<int, int>& extra)
{
    m_keyMap = extra;
    m_keyMap.insert(KEY_CAMERA, scriva::button::kPhoto);
}

QStringList ButtonWatcher::InputNodesOf(const QString& usbDevicePath) const
{
    QStringList nodes;
    const QString usb = QFileInfo(usbDevicePath).canonicalFilePath();
    if (usb.isEmpty())
        return nodes;
    const QString classDir = m_sysfsRoot + QStringLiteral("/class/input");
    for (const QString& name :
         QDir(classDir).entryList({QStringLiteral("event*")}, QDir::AllEntries | QDir::System)) {
        const QString target = QFileInfo(classDir + QLatin1Char('/') + name).canonicalFilePath();
        if (target.startsWith(usb + QLatin1Char('/')))
            nodes << m_deviceRoot + QLatin1Char('/') + name;
    }
    return nodes;
}

int ButtonWatcher::Attach(const QString& usbDevicePath)
{
    Detach();
    for (const QString& path : InputNodesOf(usbDevicePath)) {
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue; // no permission: stay silent
        Node node;
        node.fd = fd;
        node.notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(node.notifier, &QSocketNotifier::activated, this, [this, fd] { ReadEvents(fd); });
        m_nodes.append(node);
    }
    return WatchedCount();
}

void ButtonWatcher::Detach()
{
    for (Node& n : m_nodes) {
        delete n.notifier;
        ::close(n.fd);
    }
    m_nodes.clear();
}

void ButtonWatcher::ReadEvents(int fd)
{
    input_event ev[16];
    for (;;) {
        const ssize_t got = ::read(fd, ev, sizeof ev);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0 || errno != EAGAIN) {
                // Unplugged or closed: stop watching this node.
                for (Node& n : m_nodes) {
                    if (n.fd == fd && n.notifier)
                        n.notifier->setEnabled(false);
                }
            }
            return;
        }
        for (size_t i = 0; i < size_t(got) / sizeof(input_event); ++i) {
            if (ev[i].type == EV_KEY)
                HandleKey(ev[i].code, ev[i].value);
        }
    }
}

void ButtonWatcher::HandleKey(int code, int value)
{
    if (value != 1 || !m_post)
        return;
    const auto it = m_keyMap.constFind(code);
    if (it != m_keyMap.constEnd())
        m_post(it.value());
}
