// "scriva-cli pdf": the same export as the program's, from files. Pages of the
// images' sizes at their resolutions in the given order, searchable with --ocr; a missing,
// unreadable or non-image input is one error line, a non-zero exit and no PDF; an older PDF stays
// as it was.

#include "CliTestSupport.h"
#include "tests/common/PdfProbe.h"
#include "tests/ocr/OcrTestSupport.h"

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
    // The image library writes its pictures at 200 dpi: pages of their size at that.
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(pages[i].width, expected[i][0] * 72.0 / 200, 0.01) << i;
        EXPECT_NEAR(pages[i].height, expected[i][1] * 72.0 / 200, 0.01) << i;
    }
    // --dpi gives every page one resolution: 72 is one point per pixel.
    const CliRun at72 = m_box.run({"pdf", "--dpi", "72", "out.pdf", "a.jpg", "b.png"});
    ASSERT_EQ(at72.exitCode, 0) << at72.err.constData();
    const auto sized = pdftest::PageSizes(m_box.path("out.pdf"), 1, 2);
    ASSERT_EQ(sized.size(), 2u);
    EXPECT_EQ(sized[0].width, 160);
    EXPECT_EQ(sized[1].height, 60);
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
        {{"pdf", "--dpi", "0", "new.pdf", "a.jpg"}, "--dpi"},
        {{"pdf", "--dpi", "many", "new.pdf", "a.jpg"}, "--dpi"},
        {{"pdf", "--lang", "eng", "new.pdf", "a.jpg"}, "--ocr"},
        {{"pdf", "--ocr", "--lang", "eng;rm", "new.pdf", "a.jpg"}, "model codes"},
        {{"pdf", "--ocr", "--lang", "xx_none", "new.pdf", "a.jpg"}, "xx_none"},
        {{"pdf", "--title", "new.pdf", "a.jpg"}, "usage"},
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

TEST_F(CmdPdf, OcrMakesTheWordsSearchableAndTitleIsKept)
{
    const QStringList lines = {QStringLiteral("Searchable pages from the command line"),
                               QStringLiteral("second page words here")};
    ASSERT_TRUE(
        ocrtest::renderText({lines[0]}).Save(native(m_box.path("p1.png")), CXIMAGE_FORMAT_PNG));
    ASSERT_TRUE(ocrtest::renderText({lines[1]}, 40, 30, true)
                    .Save(native(m_box.path("p2.jpg")), CXIMAGE_FORMAT_JPG));
    const CliRun run = m_box.run({"pdf", "out.pdf", "p1.png", "p2.jpg", "--ocr", "--lang", "eng",
                                  "--title", "Minutes of today"},
                                 {{"OMP_THREAD_LIMIT", "1"}});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QString pdf = m_box.path("out.pdf");
    for (int page = 1; page <= 2; ++page)
        EXPECT_EQ(pdftest::Text(pdf, page, page).simplified(), lines[page - 1]) << page;
    const auto words = pdftest::Words(pdf);
    ASSERT_EQ(words.size(), 10u);
    EXPECT_EQ(words[0].text, QStringLiteral("Searchable"));
    EXPECT_EQ(words.back().page, 2);
    EXPECT_EQ(pdftest::Info(pdf, QStringLiteral("Title")), QStringLiteral("Minutes of today"));
    EXPECT_TRUE(pdftest::Info(pdf, QStringLiteral("Producer")).startsWith("Scriva "));
    QString report;
    EXPECT_TRUE(pdftest::QpdfClean(pdf, &report)) << report.toStdString();
    // Without --ocr the same pages carry no text.
    ASSERT_EQ(m_box.run({"pdf", "plain.pdf", "p1.png", "p2.jpg"}).exitCode, 0);
    EXPECT_TRUE(pdftest::Text(m_box.path("plain.pdf")).trimmed().isEmpty());
    EXPECT_TRUE(pdftest::Words(m_box.path("plain.pdf")).empty());
}
