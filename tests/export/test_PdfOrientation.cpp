// Photos stored turned or mirrored with an EXIF orientation show upright in the
// exported PDF, as poppler renders the pages. A quarter or half turn keeps the
// JPEG file byte for byte and turns the page (/Rotate); a mirrored one, which a
// page cannot show, is decoded upright and encoded again.

#include "export/PdfExport.h"
#include "image/cximage/CxImage.h"
#include "tests/common/ExifJpeg.h"
#include "tests/common/PdfProbe.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace scriva::exporter;

namespace {

// The page's turn as pdfinfo lists it ("Page    1 rot:  90"); -1 when not listed.
int pageRotation(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                        QStringLiteral("-l"), QStringLiteral("1"), pdf});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return -1;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Page\\s+1 rot:\\s+(\\d+)"),
                           QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The first page as a viewer shows it, at the picture's own resolution (one pixel
// of the picture per pixel).
CxImage renderedPage(const QString& pdf, const QString& prefix, int dpi)
{
    CxImage page;
    if (QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                           QStringLiteral("-singlefile"), pdf, prefix}) == 0)
        page.Load(QFile::encodeName(prefix + QStringLiteral(".png")).toStdString(),
                  CXIMAGE_FORMAT_PNG);
    return page;
}

TEST(PdfOrientation, SidewaysPhotosShowUpright)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case
    {
        int orientation;
        int rotation;        // the page's /Rotate, -1: the picture is encoded again
        bool storedPortrait; // the JPEG's own size is 80 x 120
    };
    const Case cases[] = {{1, 0, false},  {3, 180, false}, {6, 90, true}, {8, 270, true},
                          {2, -1, false}, {4, -1, false},  {5, -1, true}, {7, -1, true}};
    for (const Case& c : cases) {
        CxImage stored = exiftest::UprightPicture();
        ASSERT_TRUE(exiftest::StoreAs(stored, c.orientation));
        std::vector<uint8_t> plain;
        ASSERT_TRUE(stored.Encode(plain, CXIMAGE_FORMAT_JPG));
        const std::vector<uint8_t> jpeg = exiftest::WithExifOrientation(plain, c.orientation);
        const QByteArray bytes(reinterpret_cast<const char*>(jpeg.data()), qsizetype(jpeg.size()));
        const QString photo = dir.filePath(QStringLiteral("photo%1.jpg").arg(c.orientation));
        QFile file(photo);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
        file.close();

        const QString pdf = dir.filePath(QStringLiteral("photo%1.pdf").arg(c.orientation));
        const PdfExportResult result = ExportPdf(pdf, {photo});
        ASSERT_TRUE(result.ok()) << c.orientation << ": " << result.Message().toStdString();

        const bool kept = c.rotation >= 0;
        EXPECT_EQ(result.passedThrough, kept ? 1 : 0) << "orientation " << c.orientation;
        QFile written(pdf);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.readAll().contains(bytes), kept) << "orientation " << c.orientation;
        EXPECT_EQ(pageRotation(pdf), kept ? c.rotation : 0) << "orientation " << c.orientation;
        const auto embedded = pdftest::Images(pdf);
        ASSERT_EQ(embedded.size(), 1u);
        const bool portrait = kept && c.storedPortrait; // re-encoded pictures are upright
        EXPECT_EQ(embedded[0].width, portrait ? 80 : 120) << "orientation " << c.orientation;
        EXPECT_EQ(embedded[0].height, portrait ? 120 : 80) << "orientation " << c.orientation;

        const CxImage shown = renderedPage(
            pdf, dir.filePath(QStringLiteral("shown%1").arg(c.orientation)), stored.GetXDPI());
        ASSERT_TRUE(shown.IsValid()) << "orientation " << c.orientation;
        EXPECT_TRUE(exiftest::IsUpright(shown)) << "orientation " << c.orientation << ": shown "
                                                << shown.GetWidth() << " x " << shown.GetHeight();
    }
}

} // namespace
