// "scriva-cli enhance" and "process --look" on a generated page photo under a
// desk lamp: each look gives its depth and format, the ground comes out white,
// a black and white TIFF is one bit with Group 4, and a wrong look or input
// fails with one line and leaves no output.

#include "CliTestSupport.h"
#include "tests/image/cximage/lit_page.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <tiffio.h>

using namespace clitest;

namespace {

class CmdEnhance : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_box.isValid());
        ASSERT_TRUE(QFileInfo(CliSandbox::cliPath()).isExecutable())
            << "build the scriva-cli target: " << qPrintable(CliSandbox::cliPath());
        litpage::Scene scene;
        scene.width = 640;
        scene.height = 480;
        m_page = litpage::Draw(scene);
        m_photo = m_box.path("photo.jpg");
        ASSERT_TRUE(m_page.image.Save(native(m_photo), CXIMAGE_FORMAT_JPG));
    }

    CliSandbox m_box;
    litpage::Page m_page;
    QString m_photo;
};

uint16_t TiffCompression(const QString& path)
{
    TIFF* t = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!t)
        return 0;
    uint16_t c = 0;
    TIFFGetField(t, TIFFTAG_COMPRESSION, &c);
    TIFFClose(t);
    return c;
}

} // namespace

TEST_F(CmdEnhance, EachLookWritesItsKindOfPage)
{
    struct Case
    {
        QStringList look; // extra arguments
        QString out;
        uint32_t bpp;
    };
    const Case cases[] = {
        {{}, "doc.png", 24},
        {{"--look", "document"}, "doc.jpg", 24},
        {{"--look", "grey"}, "grey.png", 8},
        {{"--look=bw"}, "bw.png", 1},
        {{"--look", "bw"}, "bw.tif", 1},
        {{"--look", "BW"}, "bw.bmp", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.out));
        const QString out = m_box.path(c.out);
        const CliRun r = m_box.run(QStringList{"enhance", m_photo, out} + c.look);
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
        CxImage result;
        ASSERT_TRUE(result.Load(native(out), 0)) << result.GetLastError();
        EXPECT_EQ(result.GetBpp(), c.bpp);
        EXPECT_EQ(result.GetWidth(), m_page.image.GetWidth());
        const litpage::Stats ground = litpage::Measure(result, m_page.ground);
        EXPECT_GE(ground.median, 240.0);
    }
    EXPECT_EQ(TiffCompression(m_box.path("bw.tif")), COMPRESSION_CCITTFAX4);
}

TEST_F(CmdEnhance, RefusesWhatItCannotDo)
{
    struct Case
    {
        QStringList args;
        QString says;
    };
    const QString out = m_box.path("never.png");
    const Case cases[] = {
        {{"enhance", m_photo, out, "--look", "sepia"}, "'sepia' is not a look"},
        {{"enhance", m_photo, out, "--look", "original"}, "'original' is not a look"},
        {{"enhance", m_box.path("missing.jpg"), out}, "missing.jpg"},
        {{"enhance", m_photo, m_box.path("never.gif")}, "unknown output format"},
        {{"enhance", m_photo}, "enhance IN OUT"},
        {{"process", m_photo, out, "--look", "sepia"}, "'sepia' is not a look"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(' ')));
        const CliRun r = m_box.run(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(c.says.toUtf8())) << r.err.constData();
        EXPECT_FALSE(QFileInfo::exists(out));
        EXPECT_FALSE(QFileInfo::exists(m_box.path("never.gif")));
    }
}

// process --look gives the photo pipeline's page the look; without it the
// setting pageLook counts (shipped as the photo as taken).
TEST_F(CmdEnhance, ProcessTakesTheLookOrTheSetting)
{
    const QString plain = m_box.path("plain.png"), bw = m_box.path("processed-bw.png");
    const CliRun a = m_box.run({"process", m_photo, plain, "--camera-model", "0"});
    ASSERT_EQ(a.exitCode, 0) << a.err.constData();
    const CliRun b = m_box.run({"process", m_photo, bw, "--camera-model", "0", "--look", "bw"});
    ASSERT_EQ(b.exitCode, 0) << b.err.constData();
    CxImage asTaken, blackWhite;
    ASSERT_TRUE(asTaken.Load(native(plain), 0));
    ASSERT_TRUE(blackWhite.Load(native(bw), 0));
    EXPECT_EQ(asTaken.GetBpp(), 24u);
    EXPECT_EQ(blackWhite.GetBpp(), 1u);

    const CliRun set = m_box.run({"config", "set", "TAKE_PHOTOS_SET", "pageLook", "2"});
    ASSERT_EQ(set.exitCode, 0) << set.err.constData();
    const QString grey = m_box.path("processed-grey.png");
    const CliRun c = m_box.run({"process", m_photo, grey, "--camera-model", "0"});
    ASSERT_EQ(c.exitCode, 0) << c.err.constData();
    CxImage byTheSetting;
    ASSERT_TRUE(byTheSetting.Load(native(grey), 0));
    EXPECT_EQ(byTheSetting.GetBpp(), 8u);
}
