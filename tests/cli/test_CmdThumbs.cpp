// "scriva-cli thumbs" on real files: one JPEG per image with the longest side
// asked for, names that cannot collide, unreadable photos reported while the
// others are written, and arguments that would harm the photos refused.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSize>

using namespace clitest;

namespace {

class CmdThumbs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_box.isValid());
        ASSERT_TRUE(QDir().mkpath(in()));
    }
    QString in() const { return m_box.path("photos"); }
    QString out() const { return m_box.path("thumbs"); }
    void write(const QString& name, int w, int h)
    {
        CxImage picture = makeColourPattern(w, h);
        const QString ext = QFileInfo(name).suffix();
        ASSERT_TRUE(picture.Save(native(in() + "/" + name),
                                 CxImage::FormatFromExtension(ext.toLatin1().constData())))
            << picture.GetLastError();
    }
    static QSize sizeOf(const QString& path)
    {
        CxImage image;
        if (!image.Load(native(path), 3))
            return QSize();
        return QSize(int(image.GetWidth()), int(image.GetHeight()));
    }

    CliSandbox m_box;
};

} // namespace

TEST_F(CmdThumbs, WritesOneJpegPerImageWithTheLongestSideAsked)
{
    write("page1.jpg", 640, 480);
    write("Page2.PNG", 300, 600);
    write("scan.tif", 200, 100);
    write("small.bmp", 50, 40);
    ASSERT_TRUE(writeFile(in() + "/notes.txt", "not a picture"));
    const CliRun r = m_box.run({"thumbs", in(), out(), "--size", "120"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData(); // no terminal: no progress line
    EXPECT_TRUE(r.out.contains("4 thumbnails")) << r.out.constData();
    EXPECT_EQ(sizeOf(out() + "/page1.jpg"), QSize(120, 90));
    EXPECT_EQ(sizeOf(out() + "/Page2.jpg"), QSize(60, 120));
    EXPECT_EQ(sizeOf(out() + "/scan.jpg"), QSize(120, 60));
    EXPECT_EQ(sizeOf(out() + "/small.jpg"), QSize(120, 96));
    EXPECT_EQ(QDir(out()).entryList(QDir::Files).size(), 4);
}

TEST_F(CmdThumbs, PhotosSharingANameKeepTheirExtension)
{
    write("p.jpg", 100, 100);
    write("p.png", 100, 50);
    const CliRun r = m_box.run({"thumbs", in(), out()});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(sizeOf(out() + "/p.jpg.jpg"), QSize(200, 200)); // small photos are enlarged
    EXPECT_EQ(sizeOf(out() + "/p.png.jpg"), QSize(200, 100));
}

TEST_F(CmdThumbs, UnreadablePhotosAreReportedAndTheRestWritten)
{
    write("good.jpg", 320, 240);
    ASSERT_TRUE(writeFile(in() + "/broken.jpg", QByteArray("\xFF\xD8\xFF\xE0garbage", 11)));
    const CliRun r = m_box.run({"thumbs", in(), out(), "--size", "64"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("broken.jpg")) << r.err.constData();
    EXPECT_EQ(sizeOf(out() + "/good.jpg"), QSize(64, 48));
    EXPECT_FALSE(QFileInfo::exists(out() + "/broken.jpg"));
}

TEST_F(CmdThumbs, ArgumentsThatWouldHarmOrMakeNoSenseAreRefused)
{
    write("keep.jpg", 320, 240);
    const QByteArray original = readFile(in() + "/keep.jpg");
    struct Case
    {
        QStringList args;
        const char* says;
    };
    const std::vector<Case> cases = {
        {{"thumbs", in(), in()}, "OUTDIR is INDIR"},
        {{"thumbs", in(), in() + "/."}, "OUTDIR is INDIR"},
        {{"thumbs", in(), out(), "--size", "0"}, "--size"},
        {{"thumbs", in(), out(), "--size", "many"}, "--size"},
        {{"thumbs", in(), out(), "--size"}, "--size"},
        {{"thumbs", in()}, "usage"},
        {{"thumbs", in(), out(), "--fast"}, "unknown option"},
        {{"thumbs", m_box.path("missing"), out()}, "is not a folder"},
    };
    for (const Case& c : cases) {
        const CliRun r = m_box.run(c.args);
        EXPECT_EQ(r.exitCode, 1) << qPrintable(c.args.join(' '));
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.constData();
    }
    EXPECT_EQ(readFile(in() + "/keep.jpg"), original);
}
