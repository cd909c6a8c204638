// "scriva-cli capture" through the real capture pipeline: the demo camera and
// the test pattern give whole 24-bit bitmaps of their sizes, other extensions
// their own formats; no camera, an unknown extension or a file that cannot be
// written fails with one line and no file.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QtEndian>
#include <memory>
#include <vector>

using namespace clitest;

namespace {

struct BmpHeaders
{
    uint32_t fileSize = 0;
    uint32_t pixelOffset = 0;
    uint32_t infoSize = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
};

BmpHeaders readHeaders(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    BmpHeaders h;
    h.fileSize = qFromLittleEndian<uint32_t>(p + 2);
    h.pixelOffset = qFromLittleEndian<uint32_t>(p + 10);
    h.infoSize = qFromLittleEndian<uint32_t>(p + 14);
    h.width = qFromLittleEndian<int32_t>(p + 18);
    h.height = qFromLittleEndian<int32_t>(p + 22);
    h.planes = qFromLittleEndian<uint16_t>(p + 26);
    h.bitCount = qFromLittleEndian<uint16_t>(p + 28);
    h.compression = qFromLittleEndian<uint32_t>(p + 30);
    h.imageSize = qFromLittleEndian<uint32_t>(p + 34);
    return h;
}

class CmdCapture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_box.isValid());
        ASSERT_TRUE(QFileInfo(CliSandbox::cliPath()).isExecutable())
            << "build the scriva-cli target: " << qPrintable(CliSandbox::cliPath());
    }
    // Captures from the camera and checks the file is one whole bitmap of that size.
    void expectWholeBitmap(const QString& camera, int width, int height)
    {
        const QString out = m_box.path(camera + QStringLiteral(".bmp"));
        const CliRun r = m_box.run({"capture", "--camera", camera, out});
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(r.out.contains(QByteArray::number(width) + 'x' + QByteArray::number(height)))
            << r.out.constData();
        const QByteArray bytes = readFile(out);
        ASSERT_GE(bytes.size(), 54);
        ASSERT_TRUE(bytes.startsWith("BM"));
        const BmpHeaders h = readHeaders(bytes);
        const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
        EXPECT_EQ(h.fileSize, uint32_t(bytes.size()));
        EXPECT_EQ(h.pixelOffset, 54u);
        EXPECT_EQ(h.infoSize, 40u);
        EXPECT_EQ(h.width, width);
        EXPECT_EQ(h.height, height); // positive: rows bottom-up
        EXPECT_EQ(h.planes, 1);
        EXPECT_EQ(h.bitCount, 24);
        EXPECT_EQ(h.compression, 0u);
        EXPECT_TRUE(h.imageSize == 0 || h.imageSize == stride * uint32_t(height)) << h.imageSize;
        EXPECT_EQ(uint64_t(h.pixelOffset) + uint64_t(stride) * uint32_t(height),
                  uint64_t(bytes.size()));
        CxImage image;
        ASSERT_TRUE(image.Load(native(out), CXIMAGE_FORMAT_BMP)) << image.GetLastError();
        EXPECT_EQ(int(image.GetWidth()), width);
        EXPECT_EQ(int(image.GetHeight()), height);
        EXPECT_EQ(image.GetBpp(), 24u);
        m_last = image;
    }
    CliSandbox m_box;
    CxImage m_last;
};

} // namespace

TEST_F(CmdCapture, DemoCameraGivesItsPagePhoto)
{
    expectWholeBitmap(QStringLiteral("demo"), 2592, 1944);
    // A light page in the middle of a dark desk.
    const RGBQUAD middle = pixelAt(m_last, 2592 / 2, 1944 / 2);
    const RGBQUAD corner = pixelAt(m_last, 10, 10);
    EXPECT_GT(middle.rgbRed + middle.rgbGreen + middle.rgbBlue, 3 * 170);
    EXPECT_LT(corner.rgbRed + corner.rgbGreen + corner.rgbBlue, 3 * 90);
}

TEST_F(CmdCapture, TestPatternGivesFullHd)
{
    expectWholeBitmap(QStringLiteral("test"), 1920, 1080);
}

TEST_F(CmdCapture, NoCameraFailsCleanly)
{
    const QString out = m_box.path(QStringLiteral("none.bmp"));
    EXPECT_ONE_ERROR_LINE(m_box.run({"capture", "--camera", "none", out}));
    EXPECT_FALSE(QFileInfo::exists(out));
    // The sandbox's SCRIVA_CAMERA=none rules when no --camera is given.
    EXPECT_ONE_ERROR_LINE(m_box.run({"capture", out}));
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(CmdCapture, UnwritableOutputFailsCleanly)
{
    ASSERT_TRUE(writeFile(m_box.path(QStringLiteral("a-file")), "not a folder"));
    const QString out = m_box.path(QStringLiteral("a-file/frame.bmp"));
    EXPECT_ONE_ERROR_LINE(m_box.run({"capture", "--camera", "test", out}));
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_ONE_ERROR_LINE(m_box.run({"capture", "--camera"}));
}

TEST_F(CmdCapture, FrameIsWrittenInTheFormatOfItsExtension)
{
    struct Case
    {
        const char* name;
        QByteArray magic;
        uint32_t format;
    };
    const Case cases[] = {
        {"frame.bmp", "BM", CXIMAGE_FORMAT_BMP},
        {"frame.png", "\x89PNG\r\n\x1a\n", CXIMAGE_FORMAT_PNG},
        {"frame.jpg", "\xff\xd8\xff", CXIMAGE_FORMAT_JPG},
        {"frame.JPEG", "\xff\xd8\xff", CXIMAGE_FORMAT_JPG},
        {"frame.tif", QByteArray("II*\0", 4), CXIMAGE_FORMAT_TIF},
        {"frame.tiff", QByteArray("II*\0", 4), CXIMAGE_FORMAT_TIF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = m_box.path(QString::fromLatin1(c.name));
        const CliRun r = m_box.run({"capture", "--camera", "test", out});
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(readFile(out).startsWith(c.magic));
        CxImage image;
        ASSERT_TRUE(image.Load(native(out), c.format)) << image.GetLastError();
        EXPECT_EQ(image.GetWidth(), 1920u);
        EXPECT_EQ(image.GetHeight(), 1080u);
    }
    // A name whose extension is no picture format is refused, nothing written.
    for (const char* name : {"frame.gif", "frame.txt", "frame"}) {
        SCOPED_TRACE(name);
        const QString out = m_box.path(QString::fromLatin1(name));
        const CliRun r = m_box.run({"capture", "--camera", "test", out});
        EXPECT_ONE_ERROR_LINE(r);
        EXPECT_TRUE(r.err.contains("unknown output format")) << r.err.constData();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

TEST_F(CmdCapture, PhotoGoesIntoTheSaveFolderWithTheConfiguredName)
{
    const QString folder = m_box.documentsFolder() + QStringLiteral("/Scriva/");
    for (const auto& [key, value] : {std::pair{"initialValue", "7"}, std::pair{"increment", "2"}})
        ASSERT_EQ(m_box.run({"config", "set", "TAKE_PHOTOS_SET", key, value}).exitCode, 0);
    for (const char* name : {"IMG_7.jpg", "IMG_9.jpg"}) {
        const CliRun r = m_box.run({"capture", "--camera", "demo", "--photo"});
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_EQ(QString::fromUtf8(r.out).trimmed(), folder + QString::fromLatin1(name));
    }
    const CliRun next = m_box.run({"config", "get", "TAKE_PHOTOS_SET", "initialValue"});
    EXPECT_TRUE(next.out.startsWith("11")) << next.out.constData();
    CxImage photo;
    ASSERT_TRUE(photo.Load(native(folder + "IMG_9.jpg"), CXIMAGE_FORMAT_UNKNOWN));
    EXPECT_NEAR(double(photo.GetHeight()) / photo.GetWidth(), 297.0 / 210.0, 0.03);

    // A name that is taken is never replaced; a name leaving the folder is refused.
    ASSERT_EQ(m_box.run({"config", "set", "TAKE_PHOTOS_SET", "initialValue", "9"}).exitCode, 0);
    const QByteArray before = readFile(folder + "IMG_9.jpg");
    const CliRun taken = m_box.run({"capture", "--camera", "demo", "--photo"});
    EXPECT_ONE_ERROR_LINE(taken);
    EXPECT_TRUE(taken.err.contains("IMG_9.jpg")) << taken.err.constData();
    EXPECT_EQ(readFile(folder + "IMG_9.jpg"), before);
    ASSERT_EQ(m_box.run({"config", "set", "TAKE_PHOTOS_SET", "fileName", "../x"}).exitCode, 0);
    const CliRun leaving = m_box.run({"capture", "--camera", "demo", "--photo"});
    EXPECT_ONE_ERROR_LINE(leaving);
    EXPECT_FALSE(QFileInfo::exists(m_box.documentsFolder() + "/x_11.jpg"));
    EXPECT_ONE_ERROR_LINE(m_box.run({"capture", "--camera", "demo", "--photo", "out.bmp"}));
}

TEST_F(CmdCapture, PhotosTakenInParallelNeverShareANameNorSetTheCounterBack)
{
    ASSERT_EQ(m_box.run({"config", "set", "TAKE_PHOTOS_SET", "initialValue", "20"}).exitCode, 0);
    constexpr int kRounds = 3;
    constexpr int kTakers = 2;
    QStringList paths;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::unique_ptr<QProcess>> takers;
        for (int t = 0; t < kTakers; ++t) {
            takers.push_back(std::make_unique<QProcess>());
            takers.back()->setProcessEnvironment(m_box.environment());
            takers.back()->start(CliSandbox::cliPath(), {"capture", "--camera", "demo", "--photo"});
        }
        for (auto& taker : takers) {
            ASSERT_TRUE(taker->waitForFinished(120000));
            EXPECT_EQ(taker->exitCode(), 0) << taker->readAllStandardError().constData();
            paths << QString::fromUtf8(taker->readAllStandardOutput()).trimmed();
        }
    }
    paths.removeDuplicates();
    EXPECT_EQ(paths.size(), kRounds * kTakers) << qPrintable(paths.join(u' '));
    for (const QString& path : paths)
        EXPECT_TRUE(QFileInfo(path).isFile()) << qPrintable(path);
    const CliRun next = m_box.run({"config", "get", "TAKE_PHOTOS_SET", "initialValue"});
    EXPECT_EQ(next.out.trimmed(), QByteArray::number(20 + kRounds * kTakers));
}

// A launch description as the camera, by option or by SCRIVA_CAMERA: JPEG
// frames give a whole bitmap at the stream's full size.
TEST_F(CmdCapture, LaunchDescriptionIsACamera)
{
    const QString jpeg320 = QStringLiteral(
        "gst:videotestsrc num-buffers=4 ! video/x-raw,width=320,height=240 ! jpegenc");
    const QString out = m_box.path(QStringLiteral("launch.bmp"));
    const CliRun byOption = m_box.run({"capture", "--camera", jpeg320, out});
    ASSERT_EQ(byOption.exitCode, 0) << byOption.err.constData();
    EXPECT_TRUE(byOption.out.contains("320x240")) << byOption.out.constData();
    EXPECT_EQ(readFile(out).size(), 54 + 320 * 3 * 240);

    const QString png = m_box.path(QStringLiteral("launch.png"));
    const CliRun byEnvironment =
        m_box.run({"capture", png}, {{QStringLiteral("SCRIVA_CAMERA"), jpeg320}});
    ASSERT_EQ(byEnvironment.exitCode, 0) << byEnvironment.err.constData();
    CxImage image;
    ASSERT_TRUE(image.Load(native(png), CXIMAGE_FORMAT_PNG)) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 320u);
}

// A launch that cannot be built, or that ends before its first frame, fails
// with its reason: never a picture of the demo camera.
TEST_F(CmdCapture, LaunchThatFailsOrEndsSaysWhyAndWritesNothing)
{
    struct Case
    {
        const char* camera;
        const char* said;
    };
    const Case cases[] = {
        {"gst:nosuchsource ! jpegenc", "nosuchsource"},
        {"gst:audiotestsrc", "neither raw video nor JPEG"},
        {"gst:videotestsrc num-buffers=0 ! jpegenc", "stopped sending pictures"},
    };
    for (const Case& c : cases) {
        const QString out = m_box.path(QStringLiteral("failed.bmp"));
        const CliRun r = m_box.run({"capture", "--camera", QString::fromUtf8(c.camera), out});
        EXPECT_ONE_ERROR_LINE(r);
        EXPECT_TRUE(r.err.contains(c.said)) << c.camera << ": " << r.err.constData();
        EXPECT_FALSE(QFileInfo::exists(out)) << c.camera;
    }
}

TEST_F(CmdCapture, RefusesAMistypedCameraAndSaysWhyAWriteFails)
{
    const QString out = m_box.path("frame.bmp");
    CliRun r = m_box.run({"capture", "--camera", "video0", out});
    EXPECT_ONE_ERROR_LINE(r);
    EXPECT_TRUE(r.err.contains("unknown camera source 'video0'")) << r.err.constData();
    EXPECT_FALSE(QFileInfo::exists(out));
    r = m_box.run({"capture", out}, {{"SCRIVA_CAMERA", "dmeo"}});
    EXPECT_ONE_ERROR_LINE(r);
    EXPECT_TRUE(r.err.contains("unknown camera source 'dmeo'")) << r.err.constData();
    r = m_box.run({"capture", "--camera", m_box.path("video9"), out});
    EXPECT_ONE_ERROR_LINE(r);
    EXPECT_TRUE(r.err.contains("No such file or directory")) << r.err.constData();
    EXPECT_FALSE(QFileInfo::exists(out));

    ASSERT_TRUE(writeFile(m_box.path("a-file"), "not a folder"));
    r = m_box.run({"capture", "--camera", "test", m_box.path("a-file/frame.bmp")});
    EXPECT_ONE_ERROR_LINE(r);
    EXPECT_TRUE(r.err.contains(": Not a directory")) << r.err.constData();
}
