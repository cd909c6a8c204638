// "scriva-cli convert" on real files: every pair of the four formats round
// trips a synthesised picture, bad input fails with one line and leaves no
// output behind (nor harms a file already there), and a pipe (/dev/stdout) or a
// FIFO made in a temporary folder is written into instead of replaced.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <thread>

using namespace clitest;

namespace {

const QStringList kFormats = {"bmp", "png", "tif", "jpg"};

bool lossless(const QString& format)
{
    return format != QLatin1String("jpg");
}

class CmdConvert : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_box.isValid());
        ASSERT_TRUE(QFileInfo(CliSandbox::cliPath()).isExecutable())
            << "build the scriva-cli target: " << qPrintable(CliSandbox::cliPath());
        m_original = makeColourPattern(173, 91); // odd width: padded BMP rows
        for (const QString& f : kFormats)
            ASSERT_TRUE(m_original.Save(native(source(f)),
                                        CxImage::FormatFromExtension(f.toLatin1().constData())))
                << m_original.GetLastError();
    }
    QString source(const QString& format) const { return m_box.path("source." + format); }

    CliSandbox m_box;
    CxImage m_original;
};

} // namespace

TEST_F(CmdConvert, EveryFormatConvertsToEveryOther)
{
    for (const QString& from : kFormats) {
        CxImage reference; // what the source file holds
        ASSERT_TRUE(reference.Load(native(source(from)), 0)) << qPrintable(from);
        if (lossless(from)) {
            EXPECT_TRUE(samePixels(reference, m_original)) << qPrintable(from);
        }
        for (const QString& to : kFormats) {
            SCOPED_TRACE(qPrintable(from + " -> " + to));
            const QString out = m_box.path("out-" + from + "." + to);
            const CliRun r = m_box.run({"convert", source(from), out});
            ASSERT_EQ(r.exitCode, 0) << r.err.constData();
            EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
            CxImage result;
            ASSERT_TRUE(result.Load(native(out), 0)) << result.GetLastError();
            EXPECT_EQ(result.GetType(), CxImage::FormatFromExtension(to.toLatin1().constData()));
            ASSERT_EQ(result.GetWidth(), 173u);
            ASSERT_EQ(result.GetHeight(), 91u);
            if (lossless(to)) {
                EXPECT_TRUE(samePixels(result, reference));
            } else {
                // JPEG keeps brightness closely and colour at half resolution, so
                // brightness per pixel and colour on average must survive.
                EXPECT_LT(meanLumaDifference(result, reference), 4.0);
                EXPECT_LT(channelMeanDifference(result, reference), 2.0);
            }
        }
    }
}

TEST_F(CmdConvert, FormatOptionBeatsTheExtension)
{
    const QString out = m_box.path("written-as-png.dat");
    const CliRun r = m_box.run({"convert", source("bmp"), out, "--format", "png"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(readFile(out).startsWith("\x89PNG\r\n\x1a\n"));
    CxImage result;
    ASSERT_TRUE(result.Load(native(out), 0));
    EXPECT_TRUE(samePixels(result, m_original));
}

TEST_F(CmdConvert, BadInputFailsWithOneLineAndNoOutput)
{
    const QByteArray png = readFile(source("png"));
    ASSERT_TRUE(writeFile(m_box.path("garbage.png"), QByteArray(3000, '\x5a')));
    ASSERT_TRUE(writeFile(m_box.path("cut.png"), png.left(png.size() / 2)));
    ASSERT_TRUE(writeFile(m_box.path("empty.bmp"), QByteArray()));
    ASSERT_TRUE(writeFile(m_box.path("a-file"), "not a folder"));
    const std::vector<QStringList> cases = {
        {m_box.path("missing.png"), m_box.path("o1.bmp")},
        {m_box.path("garbage.png"), m_box.path("o2.bmp")},
        {m_box.path("cut.png"), m_box.path("o3.bmp")},
        {m_box.path("empty.bmp"), m_box.path("o4.png")},
        {source("png"), m_box.path("o5.xyz")},
        {source("png"), m_box.path("o6")},
        {source("png"), m_box.path("o7.png"), "--format", "gif"},
        {source("png"), m_box.path("no-such-folder/o8.png")},
        {source("png"), m_box.path("a-file/o9.png")},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        const CliRun r = m_box.run(QStringList{"convert"} + args);
        EXPECT_ONE_ERROR_LINE(r);
        EXPECT_FALSE(QFileInfo::exists(args[1]));
    }
}

TEST_F(CmdConvert, FailedConversionLeavesAnExistingOutputAsItWas)
{
    const QString out = m_box.path("keep.png");
    ASSERT_TRUE(writeFile(out, "earlier work"));
    ASSERT_TRUE(writeFile(m_box.path("garbage.jpg"), QByteArray(500, '\x01')));
    const CliRun r = m_box.run({"convert", m_box.path("garbage.jpg"), out});
    EXPECT_ONE_ERROR_LINE(r);
    EXPECT_EQ(readFile(out), QByteArray("earlier work"));
}

TEST_F(CmdConvert, WrongUsageFails)
{
    for (const QStringList& args :
         {QStringList{"convert"}, QStringList{"convert", source("png")},
          QStringList{"convert", source("png"), m_box.path("x.png"), m_box.path("y.png")},
          QStringList{"convert", source("png"), m_box.path("z.png"), "--format"},
          QStringList{"convert", source("png"), m_box.path("w.png"), "--fast"}}) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        EXPECT_ONE_ERROR_LINE(m_box.run(args));
    }
    EXPECT_FALSE(QFileInfo::exists(m_box.path("w.png")));
    EXPECT_FALSE(QFileInfo::exists(m_box.path("z.png")));
}

TEST_F(CmdConvert, WritesIntoPipesInsteadOfReplacingThem)
{
    // Standard output is a pipe here: the picture comes through it.
    CliRun r = m_box.run({"convert", source("png"), "/dev/stdout", "--format", "bmp"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    CxImage back;
    ASSERT_TRUE(back.Decode(reinterpret_cast<const uint8_t*>(r.out.constData()),
                            size_t(r.out.size()), CXIMAGE_FORMAT_BMP));
    EXPECT_TRUE(samePixels(back, m_original));

    const QByteArray fifo = QFile::encodeName(m_box.path("pipe"));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    QByteArray received;
    std::thread reader([&] { received = readFile(QFile::decodeName(fifo)); });
    r = m_box.run({"convert", source("png"), QFile::decodeName(fifo), "--format", "png"});
    reader.join();
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    struct stat st;
    ASSERT_EQ(stat(fifo.constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_TRUE(back.Decode(reinterpret_cast<const uint8_t*>(received.constData()),
                            size_t(received.size()), CXIMAGE_FORMAT_PNG));
    EXPECT_TRUE(samePixels(back, m_original));
}
