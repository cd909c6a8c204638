// An input scriva-cli cannot use is called what it is, with the system's real reason:
// convert and straighten give the same reason for the same bad file, and ocr and thumbs
// name folders, empty files and outputs that cannot be made.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

using namespace clitest;

namespace {

class CliBadInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_box.isValid());
        ASSERT_TRUE(QFileInfo(CliSandbox::cliPath()).isExecutable());
        m_picture = makeColourPattern(40, 30);
        ASSERT_TRUE(m_picture.Save(native(m_box.path("in.png")), CXIMAGE_FORMAT_PNG));
    }
    // The reason after "cannot read 'IN': " or "IN: ".
    static QByteArray reasonOf(const CliRun& r, const QString& in)
    {
        QByteArray line = r.err.trimmed();
        for (const QString& lead : {QStringLiteral("cannot read '%1': ").arg(in), in + ": "}) {
            const qsizetype at = line.indexOf(lead.toLocal8Bit());
            if (at >= 0)
                return line.mid(at + lead.toLocal8Bit().size());
        }
        return line;
    }
    CliSandbox m_box;
    CxImage m_picture;
};

} // namespace

TEST_F(CliBadInput, ConvertAndStraightenGiveTheSameRealReason)
{
    QByteArray huge = readFile(m_box.path("in.png"));
    ASSERT_TRUE(m_picture.Save(native(m_box.path("in.bmp")), CXIMAGE_FORMAT_BMP));
    QByteArray bmp = readFile(m_box.path("in.bmp"));
    for (int i = 0; i < 4; ++i) { // 30000 x 30000
        bmp[18 + i] = char((30000 >> (8 * i)) & 0xFF);
        bmp[22 + i] = char((30000 >> (8 * i)) & 0xFF);
    }
    ASSERT_TRUE(writeFile(m_box.path("huge.img"), bmp));
    ASSERT_TRUE(writeFile(m_box.path("cut.png"), huge.left(huge.size() / 2)));
    ASSERT_TRUE(writeFile(m_box.path("empty.jpg"), QByteArray()));
    QDir().mkpath(m_box.path("folder.png"));
    struct Case
    {
        const char* name;
        const char* reason;
    };
    for (const Case& c :
         {Case{"huge.img", "Image Memory exceeded"},
          Case{"cut.png", "Read Error: file is truncated"}, Case{"empty.jpg", "the file is empty"},
          Case{"folder.png", "Is a directory"}, Case{"missing.png", "No such file or directory"}}) {
        SCOPED_TRACE(c.name);
        const QString in = m_box.path(c.name);
        const CliRun converted = m_box.run({"convert", in, m_box.path("out.bmp")});
        const CliRun straightened = m_box.run({"straighten", in, m_box.path("out.bmp")});
        EXPECT_ONE_ERROR_LINE(converted);
        EXPECT_ONE_ERROR_LINE(straightened);
        EXPECT_EQ(reasonOf(converted, in), QByteArray(c.reason)) << converted.err.constData();
        EXPECT_EQ(reasonOf(straightened, in), QByteArray(c.reason)) << straightened.err.constData();
    }
}

TEST_F(CliBadInput, FoldersFilesAndEmptyFilesAreCalledWhatTheyAre)
{
    QDir().mkpath(m_box.path("photos"));
    ASSERT_TRUE(writeFile(m_box.path("photos/empty.jpg"), QByteArray()));
    ASSERT_TRUE(writeFile(m_box.path("file"), "x"));
    struct Case
    {
        QStringList args;
        QByteArray said;
    };
    const Case cases[] = {
        {{"ocr", m_box.path("photos")}, "it is a folder, not an image file"},
        {{"ocr", m_box.path("photos/empty.jpg")}, "the file is empty"},
        {{"ocr", m_box.path("in.png"), m_box.path("photos/empty.jpg"), "--out",
          m_box.path("file/sub")},
         "cannot create the folder '" + m_box.path("file/sub").toLocal8Bit() +
             "': Not a directory"},
        {{"thumbs", m_box.path("photos"), m_box.path("file")},
         "cannot create the folder '" + m_box.path("file").toLocal8Bit() + "': Not a directory"},
        {{"thumbs", m_box.path("photos"), m_box.path("thumbs")}, "empty.jpg: the file is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r =
            m_box.run(c.args, {{QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1")}});
        EXPECT_NE(r.exitCode, 0);
        EXPECT_TRUE(r.err.contains(c.said)) << r.err.constData();
    }
}
