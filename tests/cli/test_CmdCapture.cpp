// "scriva-cli capture" through the real capture pipeline: the demo camera and
// the test pattern give whole 24-bit bitmaps of their sizes, other extensions
// their own formats; no camera, an unknown extension or a file that cannot be
// written fails with one line and no file.

#include "CliTestSupport.h"
#include "capture_view/PageSequence.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
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

// Hands-free capture: generated camera pictures (pages laid down, turned by a
// hand, a hand resting on a page, a page put back) played as JPEG frames in
// real time (the frames timed by their rate) through a launch description.
class CmdCaptureWatch : public CmdCapture
{
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    // Writes the script's frames and gives the camera that plays them.
    QString recordScript(const pageseq::Script& script)
    {
        const QString folder = m_box.path(QStringLiteral("frames"));
        EXPECT_TRUE(QDir().mkpath(folder));
        for (size_t i = 0; i < script.frames.size(); ++i) {
            const std::vector<uint8_t> bgr = pageseq::Draw(script.frames[i].shot, kWidth, kHeight);
            CxImage image;
            image.Create(kWidth, kHeight, 24, CXIMAGE_FORMAT_BMP);
            for (int y = 0; y < kHeight; ++y)
                std::memcpy(image.GetBits(kHeight - 1 - y),
                            &bgr[static_cast<size_t>(y) * kWidth * 3], kWidth * 3);
            image.SetJpegQuality(85);
            const QString name =
                QStringLiteral("%1/f%2.jpg").arg(folder).arg(i, 4, 10, QChar(u'0'));
            EXPECT_TRUE(image.Save(native(name), CXIMAGE_FORMAT_JPG)) << image.GetLastError();
        }
        return QStringLiteral("gst:imagesequencesrc location=%1/f%04d.jpg start-index=0 "
                              "framerate=%2/1")
            .arg(folder)
            .arg(static_cast<int>(script.fps));
    }

    // The page a photo shows (a hand or a smeared page is near none).
    static int pageOf(const QString& path, const std::vector<int>& pages)
    {
        CxImage photo;
        if (!photo.Load(native(path), CXIMAGE_FORMAT_UNKNOWN))
            return -1;
        const int w = static_cast<int>(photo.GetWidth());
        const int h = static_cast<int>(photo.GetHeight());
        std::vector<double> grey(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const RGBQUAD p = pixelAt(photo, x, y);
                grey[static_cast<size_t>(y) * w + x] =
                    0.299 * p.rgbRed + 0.587 * p.rgbGreen + 0.114 * p.rgbBlue;
            }
        const int page = pageseq::PageShown(grey, w, h, pages);
        EXPECT_GE(page, 0) << "near none of the pages: " << qPrintable(path);
        return page;
    }
};

TEST_F(CmdCaptureWatch, OnPageChangeTakesOnePhotoOfEachNewPageLaidStill)
{
    pageseq::Script script;
    script.Still(1, 1.6, true);
    script.Turn(1, 2, 0.6);
    script.Still(2, 1.5, true);
    script.Hand(2, 0.4, 1.2, 0.4); // a hand rests on the page and leaves: no photo
    script.Still(2, 1.0, false);
    script.Turn(2, 2, 0.6); // lifted and put back as it was: no photo
    script.Still(2, 1.2, false);
    script.Turn(2, 3, 0.6);
    script.Still(3, 1.5, true);
    const QString camera = recordScript(script);
    // Photos as the page lies (not turned), to compare with the pages drawn.
    ASSERT_EQ(m_box.run({"config", "set", "TAKE_PHOTOS_SET", "imageDirection", "0"}).exitCode, 0);
    const CliRun run = m_box.run({"capture", "--camera", camera, "--on-page-change"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QStringList photos = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    std::vector<int> shown;
    for (const QString& photo : photos) {
        EXPECT_TRUE(photo.startsWith(m_box.documentsFolder())) << qPrintable(photo);
        shown.push_back(pageOf(photo, {1, 2, 3}));
    }
    EXPECT_EQ(shown, script.expected) << run.out.constData() << run.err.constData();

    // The same with a limit: the first photo, then the command ends at once.
    const CliRun one = m_box.run({"capture", "--camera", camera, "--on-page-change", "--max-photos",
                                  "1", "--settle", "0.5"});
    ASSERT_EQ(one.exitCode, 0) << one.err.constData();
    const QStringList onePhoto = QString::fromUtf8(one.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(onePhoto.size(), 1) << one.out.constData();
    EXPECT_EQ(pageOf(onePhoto[0], {1, 2, 3}), 1);
}

TEST_F(CmdCaptureWatch, RefusesSettingsOutOfRangeAndOptionsWithoutTheMode)
{
    const std::vector<QStringList> cases = {
        {"capture", "--camera", "test", "--on-page-change", "--settle", "0"},
        {"capture", "--camera", "test", "--on-page-change", "--settle", "soon"},
        {"capture", "--camera", "test", "--on-page-change", "--sensitivity", "11"},
        {"capture", "--camera", "test", "--on-page-change", "--max-photos", "0"},
        {"capture", "--camera", "test", "--on-page-change", "--photo"},
        {"capture", "--camera", "test", "--photo", "--settle", "1"},
    };
    for (const QStringList& args : cases) {
        const CliRun run = m_box.run(args);
        EXPECT_ONE_ERROR_LINE(run);
        EXPECT_TRUE(run.out.isEmpty()) << qPrintable(args.join(u' '));
    }
}
