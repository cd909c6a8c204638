// "scriva-cli pdf": the same export as the program's, from files. Pages of the
// images' sizes in the given order; a missing, unreadable or non-image input is
// one error line, a non-zero exit and no PDF; an older PDF stays as it was.

#include "CliTestSupport.h"
#include "tests/common/PdfProbe.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

using namespace clitest;

namespace {

class CmdPdf : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_box.isValid());
        ASSERT_TRUE(QFileInfo(CliSandbox::cliPath()).isExecutable());
        ASSERT_TRUE(
            makeColourPattern(160, 120).Save(native(m_box.path("a.jpg")), CXIMAGE_FORMAT_JPG));
        ASSERT_TRUE(
            makeColourPattern(80, 60).Save(native(m_box.path("b.png")), CXIMAGE_FORMAT_PNG));
        ASSERT_TRUE(
            makeColourPattern(120, 160).Save(native(m_box.path("c.bmp")), CXIMAGE_FORMAT_BMP));
    }
    CliSandbox m_box;
};

} // namespace

TEST_F(CmdPdf, WritesOnePagePerImageInOrder)
{
    const CliRun run = m_box.run({"pdf", "out.pdf", "a.jpg", "b.png", "c.bmp", "a.jpg"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.err.isEmpty()) << "no progress line off a terminal: " << run.err.constData();
    const auto pages = pdftest::PageSizes(m_box.path("out.pdf"), 1, 4);
    ASSERT_EQ(pages.size(), 4u);
    const int expected[4][2] = {{160, 120}, {80, 60}, {120, 160}, {160, 120}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pages[i].width, expected[i][0]) << i;
        EXPECT_EQ(pages[i].height, expected[i][1]) << i;
    }
    EXPECT_TRUE(readFile(m_box.path("out.pdf")).contains(readFile(m_box.path("a.jpg"))));
}

TEST_F(CmdPdf, BadInputIsOneErrorAndNoPdf)
{
    ASSERT_TRUE(writeFile(m_box.path("broken.jpg"), "no picture"));
    ASSERT_TRUE(writeFile(m_box.path("old.pdf"), "older"));
    struct Case
    {
        QStringList args;
        const char* says;
    };
    const Case cases[] = {
        {{"pdf", "new.pdf", "a.jpg", "missing.png"}, "missing.png"},
        {{"pdf", "new.pdf", "broken.jpg", "a.jpg"}, "broken.jpg"},
        {{"pdf", "new.pdf", "a.jpg", "old.pdf"}, "not an image"},
        {{"pdf", "new.pdf"}, "usage"},
        {{"pdf", "new.jpg", "a.jpg"}, ".pdf"},
        {{"pdf", "a.pdf", "a.pdf"}, "both input and output"},
        {{"pdf", "--fast", "new.pdf", "a.jpg"}, "unknown option"},
    };
    for (const Case& c : cases) {
        const CliRun run = m_box.run(c.args);
        EXPECT_ONE_ERROR_LINE(run);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.constData();
        EXPECT_FALSE(QFileInfo::exists(m_box.path("new.pdf"))) << c.says;
        EXPECT_FALSE(QFileInfo::exists(m_box.path("new.jpg"))) << c.says;
    }
    // A failed export over an existing PDF leaves it as it was.
    const CliRun over = m_box.run({"pdf", "old.pdf", "a.jpg", "broken.jpg"});
    EXPECT_ONE_ERROR_LINE(over);
    EXPECT_EQ(readFile(m_box.path("old.pdf")), QByteArray("older"));
    EXPECT_EQ(QDir(m_box.path("")).entryList(QDir::Files | QDir::Hidden).filter(".tmp"),
              QStringList());
}
