// Camera failures say why: a named source that does not exist fails with the system's reason
// instead of showing the demo, and writing the held frame keeps the writer's reason. A FIFO
// (made in a temporary folder) is written into, not replaced.

#include "capture/CCaptureGraph.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <fcntl.h>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

class CameraFailures : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { gst_init(nullptr, nullptr); }
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_graph.SetProfile(CaptureProfile(m_dir.path() + QStringLiteral("/profile.ini")));
    }
    QString Path(const char* name) const { return m_dir.path() + u'/' + QLatin1String(name); }
    bool StartTestPattern()
    {
        if (!m_graph.Initialize(CaptureSource::Custom(QStringLiteral(
                "videotestsrc is-live=true ! video/x-raw,format=BGR,width=32,height=24,"
                "framerate=30/1 ! appsink name=sink sync=false"))) ||
            !m_graph.StartPreview())
            return false;
        for (int i = 0; i < 400 && m_graph.Callback().FrameCount() == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        return m_graph.Callback().FrameCount() > 0;
    }

    QTemporaryDir m_dir;
    CCaptureGraph m_graph;
};

} // namespace

TEST_F(CameraFailures, NamedSourcesThatCannotOpenSayWhy)
{
    CaptureSource missing;
    missing.kind = CaptureSource::Kind::Device;
    missing.devicePath = Path("video0");
    EXPECT_FALSE(m_graph.Initialize(missing));
    EXPECT_EQ(m_graph.FailureText(), QStringLiteral("cannot open the camera %1: No such file or "
                                                    "directory")
                                         .arg(missing.devicePath));
    QFile plain(Path("video1"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    missing.devicePath = Path("video1");
    EXPECT_FALSE(m_graph.Initialize(missing));
    EXPECT_TRUE(m_graph.FailureText().endsWith(QStringLiteral(": not a video device")))
        << qPrintable(m_graph.FailureText());

    CaptureSource unknown;
    unknown.problem = QStringLiteral("unknown camera source 'video0'");
    EXPECT_FALSE(m_graph.Initialize(unknown));
    EXPECT_EQ(m_graph.FailureText(), unknown.problem);
}

TEST_F(CameraFailures, HeldFrameWriteKeepsTheSystemsReason)
{
    ASSERT_TRUE(StartTestPattern());
    QString error;
    EXPECT_FALSE(m_graph.SaveFrameAsBitmap(m_dir.path(), &error));
    EXPECT_EQ(error, QStringLiteral("cannot write %1: Is a directory").arg(m_dir.path()));
    EXPECT_FALSE(m_graph.SaveFrameAsBitmap(Path("no/such/frame.bmp"), &error));
    EXPECT_TRUE(error.endsWith(QStringLiteral(": No such file or directory"))) << qPrintable(error);

    // A FIFO gets the bitmap and stays a FIFO.
    const QByteArray fifo = QFile::encodeName(Path("frames"));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    QByteArray received;
    std::thread reader([&] {
        const int fd = open(fifo.constData(), O_RDONLY | O_CLOEXEC);
        char buf[4096];
        ssize_t n;
        while (fd >= 0 && (n = read(fd, buf, sizeof buf)) > 0)
            received.append(buf, n);
        if (fd >= 0)
            close(fd);
    });
    const bool written = m_graph.SaveFrameAsBitmap(Path("frames"), &error);
    reader.join();
    EXPECT_TRUE(written) << qPrintable(error);
    struct stat st;
    ASSERT_EQ(stat(fifo.constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(received.size(), 54 + 32 * 3 * 24);
    EXPECT_TRUE(received.startsWith("BM"));
    m_graph.Shutdown();
}
