// The PDF export on real files: page sizes and order as poppler reads them, the
// user's files beside the photos left alone, failures that leave no PDF (and an
// older one intact), JPEG files embedded byte for byte, progress and cancel.

#include "export/PdfExport.h"
#include "image/cximage/CxImage.h"
#include "tests/common/PdfProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace scriva::exporter;

namespace {

CxImage makePicture(uint32_t w, uint32_t h, uint32_t bpp = 24)
{
    CxImage image(w, h, bpp);
    if (bpp == 8)
        image.SetGrayPalette();
    for (uint32_t y = 0; y < h; y += 1)
        for (uint32_t x = 0; x < w; x += 1)
            image.SetPixelColor(int32_t(x), int32_t(y),
                                CxRGB(uint8_t(x / 4), uint8_t(y / 4), uint8_t((x ^ y) & 0xFF)));
    return image;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class PdfExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("photos")));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("out")));
    }

    QString photo(const QString& name) const { return m_dir.path() + "/photos/" + name; }
    QString out(const QString& name) const { return m_dir.path() + "/out/" + name; }

    // Pictures at 72 dots per inch: pages of one point per pixel.
    QString save(const QString& name, CxImage image, uint32_t format)
    {
        image.SetXDPI(72);
        image.SetYDPI(72);
        const QString path = photo(name);
        EXPECT_TRUE(image.Save(QFile::encodeName(path).toStdString(), format))
            << image.GetLastError();
        return path;
    }

    QStringList listing(const QString& folder) const
    {
        return QDir(m_dir.path() + "/" + folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(PdfExportTest, PagesAreTheImagesSizesInPointsInTheOrderGiven)
{
    struct Case
    {
        const char* what;
        uint32_t formats[3];
    };
    const Case cases[] = {
        {"JPEG files", {CXIMAGE_FORMAT_JPG, CXIMAGE_FORMAT_JPG, CXIMAGE_FORMAT_JPG}},
        {"BMP, PNG and TIFF files", {CXIMAGE_FORMAT_BMP, CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_TIF}},
    };
    const uint32_t sizes[3][2] = {{1600, 1200}, {800, 600}, {1200, 1600}};
    const char* ext[7] = {"", "bmp", "", "jpg", "png", "", "tif"};
    for (const Case& c : cases) {
        QStringList images;
        for (int i = 0; i < 3; ++i)
            images << save(QStringLiteral("p%1.%2").arg(i).arg(QLatin1String(ext[c.formats[i]])),
                           makePicture(sizes[i][0], sizes[i][1]), c.formats[i]);
        const QString pdf = out(QStringLiteral("three.pdf"));
        const PdfExportResult result = ExportPdf(pdf, images);
        ASSERT_TRUE(result.ok()) << c.what << ": " << result.Message().toStdString();
        EXPECT_EQ(result.pages, 3);
        EXPECT_EQ(pdftest::PageCount(pdf), 3) << c.what;
        const auto pages = pdftest::PageSizes(pdf, 1, 3);
        const auto embedded = pdftest::Images(pdf);
        ASSERT_EQ(pages.size(), 3u) << c.what;
        ASSERT_EQ(embedded.size(), 3u) << c.what;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(pages[i].width, sizes[i][0]) << c.what << " page " << i + 1;
            EXPECT_EQ(pages[i].height, sizes[i][1]) << c.what << " page " << i + 1;
            EXPECT_EQ(embedded[i].page, i + 1) << c.what;
            EXPECT_EQ(embedded[i].width, int(sizes[i][0])) << c.what;
            EXPECT_EQ(embedded[i].height, int(sizes[i][1])) << c.what;
            EXPECT_EQ(embedded[i].encoding, QStringLiteral("jpeg")) << c.what;
        }
        for (const QString& image : images)
            QFile::remove(image);
    }
}

TEST_F(PdfExportTest, JpegFilesAreEmbeddedByteForByteOthersReEncoded)
{
    const QString jpeg = save("a.jpg", makePicture(320, 200), CXIMAGE_FORMAT_JPG);
    const QString grey = save("b.jpg", makePicture(200, 320, 8), CXIMAGE_FORMAT_JPG);
    const QString png = save("c.png", makePicture(64, 64), CXIMAGE_FORMAT_PNG);
    const QString pdf = out("mixed.pdf");
    const PdfExportResult result = ExportPdf(pdf, {jpeg, grey, png});
    ASSERT_TRUE(result.ok()) << result.Message().toStdString();
    EXPECT_EQ(result.passedThrough, 2);
    const QByteArray written = readFile(pdf);
    EXPECT_TRUE(written.contains(readFile(jpeg)));
    EXPECT_TRUE(written.contains(readFile(grey)));
    const auto embedded = pdftest::Images(pdf);
    ASSERT_EQ(embedded.size(), 3u);
    EXPECT_EQ(embedded[0].colour, QStringLiteral("rgb"));
    EXPECT_EQ(embedded[1].colour, QStringLiteral("gray"));
    EXPECT_EQ(embedded[2].encoding, QStringLiteral("jpeg"));
}

TEST_F(PdfExportTest, NothingIsWrittenBesideThePhotos)
{
    const QByteArray userFile = "the user's own tmp.jpg";
    ASSERT_TRUE(writeFile(photo("tmp.jpg"), userFile));
    const QString bmp = save("scan.bmp", makePicture(90, 60), CXIMAGE_FORMAT_BMP);
    const QString png = save("scan.png", makePicture(60, 90), CXIMAGE_FORMAT_PNG);
    const QStringList before = listing("photos");
    const QByteArray bmpBytes = readFile(bmp);
    ASSERT_TRUE(ExportPdf(out("x.pdf"), {bmp, png}).ok());
    EXPECT_EQ(readFile(photo("tmp.jpg")), userFile);
    EXPECT_EQ(readFile(bmp), bmpBytes);
    EXPECT_EQ(listing("photos"), before);
    EXPECT_EQ(listing("out"), QStringList{"x.pdf"});
}

TEST_F(PdfExportTest, FailuresLeaveNoPdfAndAnOlderOneIntact)
{
    const QString good = save("good.jpg", makePicture(100, 80), CXIMAGE_FORMAT_JPG);
    ASSERT_TRUE(writeFile(photo("broken.png"), "not a png at all"));
    ASSERT_TRUE(writeFile(photo("notes.txt"), "text"));
    const QString tooWide = save("wide.bmp", makePicture(14401, 3, 8), CXIMAGE_FORMAT_BMP);
    struct Case
    {
        const char* what;
        QString file;
        PdfExportStatus status;
    };
    const Case cases[] = {
        {"a file that is not there", photo("missing.jpg"), PdfExportStatus::PageFailed},
        {"a file that does not decode", photo("broken.png"), PdfExportStatus::PageFailed},
        {"a file that is no image by its name", photo("notes.txt"), PdfExportStatus::PageFailed},
        {"a folder", m_dir.path() + "/photos", PdfExportStatus::PageFailed},
        {"a page wider than a PDF allows", tooWide, PdfExportStatus::PdfFailed},
    };
    const QByteArray older = "%PDF-1.4 an older export\n";
    for (const Case& c : cases) {
        for (const QString& pdf : {out("new.pdf"), out("old.pdf")}) {
            if (pdf.endsWith("old.pdf")) {
                ASSERT_TRUE(writeFile(pdf, older));
            }
            const PdfExportResult result = ExportPdf(pdf, {good, c.file, good});
            EXPECT_EQ(int(result.status), int(c.status)) << c.what;
            EXPECT_EQ(result.file, c.file) << c.what;
            EXPECT_FALSE(result.detail.isEmpty()) << c.what;
            EXPECT_TRUE(result.Message().contains(c.file)) << c.what;
        }
        EXPECT_FALSE(QFileInfo::exists(out("new.pdf"))) << c.what;
        EXPECT_EQ(readFile(out("old.pdf")), older) << c.what;
        EXPECT_EQ(listing("out"), QStringList{"old.pdf"}) << c.what << ": no temporary left";
    }
}

TEST_F(PdfExportTest, LibraryErrorsAreReportedWithTheirNumbers)
{
    const QString tooWide = save("wide.bmp", makePicture(14401, 3, 8), CXIMAGE_FORMAT_BMP);
    const PdfExportResult result = ExportPdf(out("w.pdf"), {tooWide});
    EXPECT_EQ(result.status, PdfExportStatus::PdfFailed);
    EXPECT_EQ(result.libraryError, 0x1054u);
    EXPECT_TRUE(result.detail.contains("14400")) << result.detail.toStdString();
}

TEST_F(PdfExportTest, UnwritableTargetsFailCleanly)
{
    const QString good = save("good.jpg", makePicture(50, 40), CXIMAGE_FORMAT_JPG);
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("out/folder.pdf"));
    const PdfExportResult folder = ExportPdf(out("folder.pdf"), {good});
    EXPECT_EQ(folder.status, PdfExportStatus::PdfFailed);
    EXPECT_TRUE(QFileInfo(out("folder.pdf")).isDir());
    const PdfExportResult noFolder = ExportPdf(out("none/x.pdf"), {good});
    EXPECT_EQ(noFolder.status, PdfExportStatus::PdfFailed);
    EXPECT_EQ(listing("out"), QStringList{});
}

TEST_F(PdfExportTest, ReplacedPdfKeepsItsPermissionsAndLinks)
{
    const QString good = save("good.jpg", makePicture(50, 40), CXIMAGE_FORMAT_JPG);
    ASSERT_TRUE(writeFile(out("real.pdf"), "old"));
    QFile::setPermissions(out("real.pdf"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadGroup);
    ASSERT_TRUE(QFile::link(out("real.pdf"), out("link.pdf")));
    ASSERT_TRUE(ExportPdf(out("link.pdf"), {good}).ok());
    EXPECT_TRUE(QFileInfo(out("link.pdf")).isSymLink());
    EXPECT_EQ(pdftest::PageCount(out("real.pdf")), 1);
    EXPECT_EQ(QFileInfo(out("real.pdf")).permissions() & 0x7077, // owner, group, others
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
}

TEST_F(PdfExportTest, NothingToExportWritesNothing)
{
    const PdfExportResult result = ExportPdf(out("empty.pdf"), {});
    EXPECT_EQ(result.status, PdfExportStatus::NothingToExport);
    EXPECT_EQ(listing("out"), QStringList{});
}

TEST_F(PdfExportTest, ProgressCountsEveryPageAndCancelStops)
{
    QStringList images;
    for (int i = 0; i < 6; ++i)
        images << save(QStringLiteral("p%1.png").arg(i), makePicture(40 + i, 30),
                       CXIMAGE_FORMAT_PNG);
    for (int threads : {1, 3}) {
        std::vector<std::pair<int, int>> calls;
        PdfExportOptions options;
        options.threads = threads;
        options.progress = [&](int done, int total) { calls.emplace_back(done, total); };
        ASSERT_TRUE(ExportPdf(out("all.pdf"), images, options).ok());
        ASSERT_EQ(calls.size(), 6u);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(calls[i], std::make_pair(i + 1, 6));
        const auto pages = pdftest::PageSizes(out("all.pdf"), 1, 6);
        ASSERT_EQ(pages.size(), 6u) << threads << " threads";
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(pages[i].width, 40 + i) << "order with " << threads << " threads";
    }
    std::atomic<bool> cancel{false};
    PdfExportOptions options;
    options.cancel = &cancel;
    options.progress = [&](int done, int) { cancel = done == 2; };
    const PdfExportResult result = ExportPdf(out("cancelled.pdf"), images, options);
    EXPECT_EQ(result.status, PdfExportStatus::Cancelled);
    EXPECT_EQ(result.pages, 2);
    EXPECT_FALSE(QFileInfo::exists(out("cancelled.pdf")));
}

TEST_F(PdfExportTest, TransparentAndPalettePicturesBecomeFlatPages)
{
    CxImage transparent = makePicture(40, 40);
    ASSERT_TRUE(transparent.AlphaCreate());
    transparent.AlphaClear(); // fully transparent: the page shows paper white
    const QString clear = save("clear.png", transparent, CXIMAGE_FORMAT_PNG);
    CxImage palette(30, 20, 8);
    for (int i = 0; i < 256; ++i)
        palette.SetPaletteColor(uint8_t(i), uint8_t(i), 0, uint8_t(255 - i));
    const QString colours = save("colours.bmp", palette, CXIMAGE_FORMAT_BMP);
    const QString pdf = out("flat.pdf");
    ASSERT_TRUE(ExportPdf(pdf, {clear, colours}).ok());
    const auto embedded = pdftest::Images(pdf);
    ASSERT_EQ(embedded.size(), 2u);
    EXPECT_EQ(embedded[1].colour, QStringLiteral("rgb"));
    // The first page's picture, taken back out, is white (all paper: kept as black and
    // white, losslessly).
    EXPECT_EQ(embedded[0].encoding, QStringLiteral("ccitt"));
    const QString prefix = m_dir.path() + "/out/img";
    ASSERT_EQ(QProcess::execute("pdfimages", {"-png", "-f", "1", "-l", "1", pdf, prefix}), 0);
    CxImage back;
    ASSERT_TRUE(
        back.Load(QFile::encodeName(prefix + "-000.png").toStdString(), CXIMAGE_FORMAT_PNG));
    const RGBQUAD c = back.GetPixelColor(20, 20);
    EXPECT_GE(std::min({c.rgbRed, c.rgbGreen, c.rgbBlue}), 250);
}
