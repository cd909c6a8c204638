// Camera buttons: the watcher opens only the input nodes of the camera's USB
// device (found in a fake sysfs tree) and turns presses into button codes.

#include "capture/ButtonWatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void Link(const QString& target, const QString& link)
{
    QDir().mkpath(QFileInfo(link).path());
    ASSERT_TRUE(QFile::link(target, link));
}

void WriteKey(int fd, int code, int value)
{
    input_event ev[2]{};
    ev[0].type = EV_KEY;
    ev[0].code = uint16_t(code);
    ev[0].value = value;
    ev[1].type = EV_SYN;
    ASSERT_EQ(::write(fd, ev, sizeof ev), ssize_t(sizeof ev));
}

} // namespace

TEST(ButtonWatcherTest, PressesOfTheCamerasKeysBecomeButtonCodes)
{
    int argc = 1;
    char name[] = "test_capture";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    QTemporaryDir dir;
    const QString root = dir.path();
    const QString usb = root + QStringLiteral("/devices/pci0000:00/usb1/1-2");
    const QString other = root + QStringLiteral("/devices/pci0000:00/usb1/1-3");
    QDir().mkpath(usb + QStringLiteral("/1-2:1.0/input/input7/event7"));
    QDir().mkpath(other + QStringLiteral("/1-3:1.0/input/input8/event8"));
    Link(usb + QStringLiteral("/1-2:1.0/input/input7/event7"),
         root + QStringLiteral("/class/input/event7"));
    Link(other + QStringLiteral("/1-3:1.0/input/input8/event8"),
         root + QStringLiteral("/class/input/event8"));
    QDir().mkpath(root + QStringLiteral("/dev"));
    const QByteArray fifo7 = QFile::encodeName(root + QStringLiteral("/dev/event7"));
    const QByteArray fifo8 = QFile::encodeName(root + QStringLiteral("/dev/event8"));
    ASSERT_EQ(::mkfifo(fifo7.constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(fifo8.constData(), 0600), 0);

    QList<int> posted;
    ButtonWatcher watcher([&posted](int code) { posted << code; });
    watcher.SetSysfsRoot(root);
    watcher.SetDeviceRoot(root + QStringLiteral("/dev"));
    watcher.SetKeyMap({{KEY_VOLUMEUP, 0x04}});
    EXPECT_EQ(watcher.Attach(usb), 1); // only the camera's own node

    const int fd = ::open(fifo7.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    WriteKey(fd, KEY_CAMERA, 1);
    WriteKey(fd, KEY_CAMERA, 2); // repeat: ignored
    WriteKey(fd, KEY_CAMERA, 0); // release: ignored
    WriteKey(fd, KEY_A, 1);      // not mapped
    WriteKey(fd, KEY_VOLUMEUP, 1);
    QElapsedTimer t;
    t.start();
    while (posted.size() < 2 && t.elapsed() < 5000)
        app.processEvents(QEventLoop::AllEvents, 50);
    app.processEvents();
    EXPECT_EQ(posted, (QList<int>{0x40, 0x04}));

    // Unplugged: end of file on the node stops the watching without a busy loop.
    ::close(fd);
    app.processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(watcher.Attach(QString()), 0);
    EXPECT_EQ(watcher.Attach(root + QStringLiteral("/devices/none")), 0);
}
