// Recognising the supported camera among V4L2 capture nodes in a fake sysfs
// tree laid out as the kernel does: class links to device folders below USB
// interfaces and devices; metadata nodes fail the capture probe.

#include "capture/CDeviceGuard.h"
#include "capture/CaptureProfile.h"
#include "capture/CaptureSource.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FakeSysfs
{
public:
    FakeSysfs() { QDir(m_dir.path()).mkpath(QStringLiteral("class/video4linux")); }

    QString Root() const { return m_dir.path(); }

    // A node below USB device <port> (vid, pid) on interface <iface>.
    void AddUsbNode(const QString& node, const QString& port, const QString& vid,
                    const QString& pid, const QString& iface, const QString& name,
                    bool capture = true)
    {
        const QString usb = QStringLiteral("devices/pci0000:00/0000:00:14.0/usb1/") + port;
        const QString ifaceDir =
            usb + QLatin1Char('/') + port + QStringLiteral(":1.") + QString::number(iface.toInt());
        Write(usb + QStringLiteral("/idVendor"), vid);
        Write(usb + QStringLiteral("/idProduct"), pid);
        Write(ifaceDir + QStringLiteral("/bInterfaceNumber"), iface);
        AddNodeUnder(ifaceDir, node, name, capture);
    }

    // A node of a platform device without USB parents.
    void AddPlatformNode(const QString& node, const QString& name)
    {
        AddNodeUnder(QStringLiteral("devices/platform/vivid.0"), node, name, true);
    }

    void Remove(const QString& node)
    {
        QFile::remove(Root() + QStringLiteral("/class/video4linux/") + node);
    }

    CDeviceGuard::CaptureProbe Probe() const
    {
        const QSet<QString> meta = m_metadata;
        return [meta](const QString& path) { return !meta.contains(path); };
    }

private:
    void AddNodeUnder(const QString& parent, const QString& node, const QString& name, bool capture)
    {
        const QString nodeDir = parent + QStringLiteral("/video4linux/") + node;
        Write(nodeDir + QStringLiteral("/name"), name);
        QFile::link(QStringLiteral("../../"),
                    Root() + QLatin1Char('/') + nodeDir + QStringLiteral("/device"));
        QFile::link(Root() + QLatin1Char('/') + nodeDir,
                    Root() + QStringLiteral("/class/video4linux/") + node);
        if (!capture)
            m_metadata.insert(QStringLiteral("/dev/") + node);
    }

    void Write(const QString& rel, const QString& text)
    {
        const QString path = Root() + QLatin1Char('/') + rel;
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8() + "\n");
    }

    QTemporaryDir m_dir;
    QSet<QString> m_metadata;
};

CDeviceGuard GuardOver(const FakeSysfs& fs)
{
    CDeviceGuard g;
    g.SetSysfsRoot(fs.Root());
    g.SetCaptureProbe(fs.Probe());
    return g;
}

const QStringList kTokens{
    QStringLiteral("usb\\vid_1111&pid_0001&mi_00"), QStringLiteral("USB\\VID_2222&PID_0002"),
    QStringLiteral("usb\\vid_3333&pid_0003&mi_00"), QStringLiteral("usb\\vid_4444&pid_0004&mi_02")};

} // namespace

// A laptop camera, two supported cameras (each with its metadata node) and a
// platform device: the first matching capture node wins and sets the model.
TEST(DeviceGuardTest, FirstMatchingCaptureNodeIsTheCamera)
{
    FakeSysfs fs;
    fs.AddUsbNode("video0", "1-5", "0c45", "6366", "00", "Integrated Camera");
    fs.AddUsbNode("video1", "1-5", "0c45", "6366", "00", "Integrated Camera", false);
    fs.AddUsbNode("video2", "1-2", "3333", "0003", "00", "Document Camera C");
    fs.AddUsbNode("video3", "1-2", "3333", "0003", "00", "Document Camera C", false);
    fs.AddUsbNode("video10", "2-1", "1111", "0001", "00", "Document Camera A");
    fs.AddUsbNode("video11", "2-1", "1111", "0001", "00", "Document Camera A", false);
    fs.AddPlatformNode("video4", "vivid");
    CDeviceGuard g = GuardOver(fs);

    ASSERT_TRUE(g.ScanDevices(kTokens));
    QStringList paths;
    for (const VideoNode& n : g.Nodes())
        paths << n.devicePath;
    EXPECT_EQ(paths, (QStringList{"/dev/video0", "/dev/video2", "/dev/video4", "/dev/video10"}));
    ASSERT_NE(g.Camera(), nullptr);
    EXPECT_EQ(g.Camera()->devicePath, QStringLiteral("/dev/video2"));
    EXPECT_EQ(g.CameraModel(), 3);
    EXPECT_EQ(g.Camera()->friendlyName, QStringLiteral("Document Camera C"));
    EXPECT_EQ(g.Camera()->hardwareId, QStringLiteral("usb\\vid_3333&pid_0003&mi_00"));
    EXPECT_EQ(g.Camera()->instanceId, QStringLiteral("usb\\vid_3333&pid_0003&mi_00\\1-2:1.0"));
    EXPECT_TRUE(g.Camera()->usbDevicePath.endsWith(QStringLiteral("/usb1/1-2")));
    EXPECT_TRUE(g.Nodes()[2].hardwareId.isEmpty()); // no USB parents, matches nothing
    EXPECT_TRUE(g.RestoreDevices());

    // Unplugging the camera: the next scan forgets its model; the other one is found.
    fs.Remove("video2");
    ASSERT_TRUE(g.ScanDevices(kTokens));
    EXPECT_EQ(g.CameraModel(), 1);
    EXPECT_EQ(g.Camera()->devicePath, QStringLiteral("/dev/video10"));
    fs.Remove("video10");
    ASSERT_TRUE(g.ScanDevices(kTokens));
    EXPECT_EQ(g.CameraModel(), 0);
    EXPECT_EQ(g.Camera(), nullptr);
}

TEST(DeviceGuardTest, TokensMatchEitherIdIgnoringCase)
{
    FakeSysfs fs;
    fs.AddUsbNode("video0", "1-1", "2222", "0002", "00", "B"); // listed without interface
    fs.AddUsbNode("video2", "1-3", "4444", "0004", "02", "D"); // listed with interface 02
    CDeviceGuard g = GuardOver(fs);
    ASSERT_TRUE(g.ScanDevices(kTokens));
    EXPECT_EQ(g.CameraModel(), 2);
    ASSERT_TRUE(g.ScanDevices({QStringLiteral(" USB\\Vid_4444&Pid_0004&MI_02 ")}));
    EXPECT_EQ(g.CameraModel(), 1);
    EXPECT_EQ(g.Camera()->devicePath, QStringLiteral("/dev/video2"));
    // Interface 00 of device 4444 is not the listed interface 02.
    ASSERT_TRUE(g.ScanDevices({QStringLiteral("usb\\vid_4444&pid_0004&mi_00")}));
    EXPECT_EQ(g.CameraModel(), 0);
    // An empty list recognises nothing but still finds the nodes.
    ASSERT_TRUE(g.ScanDevices({}));
    EXPECT_EQ(g.CameraModel(), 0);
    EXPECT_EQ(g.Nodes().size(), 2);
}

TEST(DeviceGuardTest, NoCaptureNodeFailsTheScan)
{
    FakeSysfs fs;
    fs.AddUsbNode("video0", "1-1", "1111", "0001", "00", "A", false); // metadata only
    CDeviceGuard g = GuardOver(fs);
    EXPECT_FALSE(g.ScanDevices(kTokens));
    EXPECT_EQ(g.CameraModel(), 0);

    CDeviceGuard missing;
    missing.SetSysfsRoot(fs.Root() + QStringLiteral("/nowhere"));
    EXPECT_FALSE(missing.ScanDevices(kTokens));
}

TEST(DeviceGuardTest, AtMostTenNodesAndNamesCutTo119Characters)
{
    FakeSysfs fs;
    for (int i = 0; i < 12; ++i)
        fs.AddUsbNode(QStringLiteral("video%1").arg(i), QStringLiteral("1-%1").arg(i + 1), "aaaa",
                      QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')), "00",
                      QString(150, QLatin1Char('n')));
    fs.AddUsbNode("video12", "3-1", "1111", "0001", "00", "A");
    CDeviceGuard g = GuardOver(fs);
    ASSERT_TRUE(g.ScanDevices(kTokens));
    ASSERT_EQ(g.Nodes().size(), 10);
    EXPECT_EQ(g.Nodes().last().devicePath, QStringLiteral("/dev/video9"));
    EXPECT_EQ(g.Nodes().first().friendlyName.size(), 119);
    EXPECT_EQ(g.CameraModel(), 0); // the eleventh and later are not looked at
}

// The source setting resolved against a scan: auto prefers the recognised
// camera, then any capture node, then the demo camera.
TEST(CaptureSourceTest, SettingsResolveAgainstTheScan)
{
    FakeSysfs fs;
    fs.AddUsbNode("video0", "1-5", "0c45", "6366", "00", "Integrated Camera");
    fs.AddUsbNode("video2", "1-2", "4444", "0004", "02", "Document Camera D");
    CDeviceGuard g = GuardOver(fs);
    ASSERT_TRUE(g.ScanDevices(kTokens));

    CaptureSource s = ResolveCaptureSource("auto", g, kTokens, -1);
    EXPECT_EQ(s.kind, CaptureSource::Kind::Device);
    EXPECT_EQ(s.devicePath, QStringLiteral("/dev/video2"));
    EXPECT_EQ(s.cameraModel, 4);
    s = ResolveCaptureSource("/dev/video0", g, kTokens, -1);
    EXPECT_EQ(s.devicePath, QStringLiteral("/dev/video0"));
    EXPECT_EQ(s.cameraModel, 0);
    EXPECT_EQ(ResolveCaptureSource("/dev/video0", g, kTokens, 2).cameraModel, 2);
    EXPECT_EQ(ResolveCaptureSource("/dev/video2", g, kTokens, 2).cameraModel, 4);
    EXPECT_EQ(ResolveCaptureSource("demo", g, kTokens, -1).kind, CaptureSource::Kind::Demo);
    EXPECT_EQ(ResolveCaptureSource("demo", g, kTokens, -1).cameraModel, 4);
    EXPECT_EQ(ResolveCaptureSource("Demo", g, kTokens, 1).cameraModel, 1);
    EXPECT_EQ(ResolveCaptureSource("test", g, kTokens, -1).kind, CaptureSource::Kind::Test);
    EXPECT_EQ(ResolveCaptureSource("test", g, kTokens, -1).cameraModel, 0);
    EXPECT_EQ(ResolveCaptureSource("none", g, kTokens, 3).kind, CaptureSource::Kind::None);

    ASSERT_TRUE(g.ScanDevices({})); // nothing recognised: the first capture node
    s = ResolveCaptureSource("auto", g, {}, -1);
    EXPECT_EQ(s.devicePath, QStringLiteral("/dev/video0"));
    EXPECT_EQ(s.cameraModel, 0);

    fs.Remove("video0");
    fs.Remove("video2");
    EXPECT_FALSE(g.ScanDevices(kTokens)); // nothing attached: the demo camera
    s = ResolveCaptureSource("auto", g, kTokens, -1);
    EXPECT_EQ(s.kind, CaptureSource::Kind::Demo);
    EXPECT_EQ(s.cameraModel, 4);
}

TEST(CaptureSourceTest, EnvironmentBeatsTheProfile)
{
    QTemporaryDir dir;
    const QString ini = dir.path() + QStringLiteral("/profile.ini");
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[camera]\nSource=test\nModel=2\n");
    }
    CaptureProfile profile(ini);
    qunsetenv("SCRIVA_CAMERA");
    qunsetenv("SCRIVA_CAMERA_MODEL");
    EXPECT_EQ(CaptureSourceSetting(profile), QStringLiteral("test"));
    EXPECT_EQ(CameraModelOverride(profile), 2);
    qputenv("SCRIVA_CAMERA", "demo");
    qputenv("SCRIVA_CAMERA_MODEL", "3");
    EXPECT_EQ(CaptureSourceSetting(profile), QStringLiteral("demo"));
    EXPECT_EQ(CameraModelOverride(profile), 3);
    qunsetenv("SCRIVA_CAMERA");
    qunsetenv("SCRIVA_CAMERA_MODEL");
    EXPECT_EQ(CaptureSourceSetting(CaptureProfile(dir.path() + QStringLiteral("/none.ini"))),
              QStringLiteral("auto"));
    EXPECT_EQ(CameraModelOverride(CaptureProfile(dir.path() + QStringLiteral("/none.ini"))), -1);
}

TEST(CaptureSourceTest, UnknownSourceFailsWithTheReasonInsteadOfShowingTheDemo)
{
    FakeSysfs fs; // no capture node at all: auto would give the demo
    CDeviceGuard g = GuardOver(fs);
    g.ScanDevices(kTokens);
    for (const char* typo : {"dmeo", "video0", "auto2"}) {
        const CaptureSource s = ResolveCaptureSource(typo, g, kTokens, -1);
        EXPECT_EQ(s.kind, CaptureSource::Kind::None) << typo;
        EXPECT_TRUE(s.problem.contains(QStringLiteral("unknown camera source '%1'").arg(typo)))
            << qPrintable(s.problem);
    }
    EXPECT_EQ(ResolveCaptureSource("none", g, kTokens, -1).problem,
              QStringLiteral("no camera is chosen"));
    // A named device path that does not exist is taken as named and fails when opened.
    const CaptureSource missing = ResolveCaptureSource("/dev/video77", g, kTokens, -1);
    EXPECT_EQ(missing.kind, CaptureSource::Kind::Device);
    EXPECT_TRUE(missing.note.isEmpty());
}

TEST(CaptureSourceTest, OnlyAutoFallsBackToTheDemoAndSaysWhy)
{
    QTemporaryDir devices; // device nodes of the fake tree: none can be opened
    FakeSysfs fs;
    CDeviceGuard g = GuardOver(fs);
    g.SetDeviceRoot(devices.path());
    g.ScanDevices(kTokens);
    for (const char* setting : {"auto", "", " AUTO "}) {
        const CaptureSource s = ResolveCaptureSource(setting, g, kTokens, -1);
        EXPECT_EQ(s.kind, CaptureSource::Kind::Demo) << setting;
        EXPECT_EQ(s.note, QStringLiteral("no camera is connected")) << setting;
    }
    EXPECT_TRUE(ResolveCaptureSource("demo", g, kTokens, -1).note.isEmpty());
    EXPECT_TRUE(ResolveCaptureSource("test", g, kTokens, -1).note.isEmpty());

    // A camera whose node cannot be opened is named with the reason; a metadata node is not.
    fs.AddUsbNode("video4", "1-2", "1111", "0001", "00", "Cam");
    g.SetCaptureProbe([](const QString&) { return false; });
    g.ScanDevices(kTokens);
    ASSERT_EQ(g.Unusable().size(), 1);
    const CaptureSource s = ResolveCaptureSource("auto", g, kTokens, -1);
    EXPECT_EQ(s.kind, CaptureSource::Kind::Demo);
    EXPECT_EQ(s.note,
              QStringLiteral("no camera can be opened (%1/video4: No such file or directory)")
                  .arg(devices.path()));
}

TEST(CaptureSourceTest, EveryScanOfAnyGuardIsReported)
{
    FakeSysfs fs;
    fs.AddUsbNode("video0", "1-5", "2222", "0002", "00", "Supported");
    QStringList seen;
    CDeviceGuard::SetScanObserver([&](const CDeviceGuard& scanned) {
        seen << (scanned.Camera() ? scanned.Camera()->devicePath : QStringLiteral("-"));
    });
    CDeviceGuard first = GuardOver(fs);
    CDeviceGuard second = GuardOver(fs);
    first.ScanDevices({});
    second.ScanDevices(kTokens);
    first.ScanDevices(kTokens);
    CDeviceGuard::SetScanObserver(nullptr);
    second.ScanDevices(kTokens);
    EXPECT_EQ(seen, QStringList({"-", "/dev/video0", "/dev/video0"}));
}

TEST(CaptureSourceTest, ModelOverrideThatIsNoModelIsSaid)
{
    const CaptureProfile noProfile(QStringLiteral("/nonexistent/profile.ini"));
    for (const char* bad : {"9", "-1", "two"}) {
        qputenv("SCRIVA_CAMERA_MODEL", bad);
        testing::internal::CaptureStderr();
        EXPECT_EQ(CameraModelOverride(noProfile), -1) << bad;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(std::string("SCRIVA_CAMERA_MODEL=") + bad + " is not a camera model"),
                  std::string::npos)
            << said;
    }
    qputenv("SCRIVA_CAMERA_MODEL", "3");
    testing::internal::CaptureStderr();
    EXPECT_EQ(CameraModelOverride(noProfile), 3);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    qunsetenv("SCRIVA_CAMERA_MODEL");
}
