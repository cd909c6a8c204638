// Searchable PDFs and pages at their real size, read back with poppler's tools
// and qpdf: page sizes from the pictures' resolutions, the document's
// information and first page, the invisible words (text, places, every script),
// the program's own texts, black and white kept losslessly, grey kept grey.

#include "export/HpdfDocument.h"
#include "export/PdfExport.h"
#include "export/PdfTextLayer.h"
#include "image/cximage/CxImage.h"
#include "ocr/COcrEngine.h"
#include "tests/common/ExifJpeg.h"
#include "tests/common/PdfProbe.h"
#include "tests/ocr/OcrTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace scriva::exporter;

namespace {

const QStringList kLines = {QStringLiteral("The quick brown fox jumps over the lazy dog."),
                            QStringLiteral("Pack my box with five dozen liquor jugs 1234."),
                            QStringLiteral("Sphinx of black quartz, judge my vow!")};
constexpr int kPixelSize = 40;
constexpr int kMargin = 30;

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

// Where renderText draws each word: its ink box in pixels.
std::vector<QRectF> inkBoxes()
{
    ocrtest::ensureGuiApp();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(kPixelSize);
    const QFontMetrics fm(font);
    const int lineHeight = fm.lineSpacing() * 3 / 2;
    std::vector<QRectF> boxes;
    for (int i = 0; i < kLines.size(); ++i) {
        const int baseline = kMargin + fm.ascent() + i * lineHeight;
        QString before;
        for (const QString& word : kLines[i].split(QLatin1Char(' '))) {
            const int x = kMargin + fm.horizontalAdvance(before);
            boxes.push_back(QRectF(fm.tightBoundingRect(word).translated(x, baseline)));
            before += word + QLatin1Char(' ');
        }
    }
    return boxes;
}

double overlap(const QRectF& a, const QRectF& b)
{
    const QRectF both = a.intersected(b);
    const double in = both.width() * both.height();
    const double all = a.width() * a.height() + b.width() * b.height() - in;
    return all > 0 ? in / all : 0;
}

class SearchablePdfTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

    QString save(const QString& name, CxImage image, uint32_t format, int dpi = 0)
    {
        if (dpi > 0) {
            image.SetXDPI(dpi);
            image.SetYDPI(dpi);
        }
        const QString file = path(name);
        EXPECT_TRUE(image.Save(QFile::encodeName(file).toStdString(), format))
            << image.GetLastError();
        return file;
    }

    static PdfExportOptions searchable()
    {
        PdfExportOptions options;
        options.recognition.enabled = true;
        options.recognition.models = QStringLiteral("eng");
        options.threads = 2;
        return options;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(SearchablePdfTest, PagesAreTheirPicturesSizeAtTheirResolution)
{
    CxImage picture = ocrtest::renderText({QStringLiteral("size")}, kPixelSize, 200, true);
    const double w = picture.GetWidth(), h = picture.GetHeight();
    // A JPEG whose JFIF header gives no unit has no resolution: one point per pixel.
    QByteArray plain = readFile(save(QStringLiteral("plain.jpg"), picture, CXIMAGE_FORMAT_JPG));
    ASSERT_EQ(plain.mid(6, 4), QByteArray("JFIF"));
    plain[13] = 0; // density unit: none (an aspect ratio only)
    ASSERT_TRUE(writeFile(path(QStringLiteral("plain.jpg")), plain));
    struct Case
    {
        QString file;
        int dpiOption;
        double width, height;
    };
    const std::vector<Case> cases = {
        {save(QStringLiteral("300.png"), picture, CXIMAGE_FORMAT_PNG, 300), 0, w * 72 / 300,
         h * 72 / 300},
        {save(QStringLiteral("150.jpg"), picture, CXIMAGE_FORMAT_JPG, 150), 0, w * 72 / 150,
         h * 72 / 150},
        {save(QStringLiteral("96.tif"), picture, CXIMAGE_FORMAT_TIF, 96), 0, w * 72 / 96,
         h * 72 / 96},
        {save(QStringLiteral("600.bmp"), picture, CXIMAGE_FORMAT_BMP, 600), 0, w * 72 / 600,
         h * 72 / 600},
        {path(QStringLiteral("plain.jpg")), 0, w, h},
        {path(QStringLiteral("plain.jpg")), 200, w * 72 / 200, h * 72 / 200},
        {path(QStringLiteral("300.png")), 72, w, h},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString() + " --dpi " + std::to_string(c.dpiOption));
        PdfExportOptions options;
        options.dpi = c.dpiOption;
        const QString pdf = path(QStringLiteral("size.pdf"));
        ASSERT_TRUE(ExportPdf(pdf, {c.file}, options).ok());
        const auto sizes = pdftest::PageSizes(pdf, 1, 1);
        ASSERT_EQ(sizes.size(), 1u);
        EXPECT_NEAR(sizes[0].width, c.width, 0.5);
        EXPECT_NEAR(sizes[0].height, c.height, 0.5);
    }
}

TEST_F(SearchablePdfTest, InformationNamesTitleDateAndProgramAndOpensOnThePageOne)
{
    CxImage picture = ocrtest::renderText({QStringLiteral("info")}, kPixelSize, 40, true);
    const QStringList files = {save(QStringLiteral("a.jpg"), picture, CXIMAGE_FORMAT_JPG),
                               save(QStringLiteral("b.png"), picture, CXIMAGE_FORMAT_PNG),
                               save(QStringLiteral("c.jpg"), picture, CXIMAGE_FORMAT_JPG)};
    PdfExportOptions options;
    options.title = QStringLiteral("Straße – 東京 minutes");
    options.created = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);
    const QString pdf = path(QStringLiteral("info.pdf"));
    ASSERT_TRUE(ExportPdf(pdf, files, options).ok());
    EXPECT_EQ(pdftest::Info(pdf, QStringLiteral("Title")), options.title);
    EXPECT_EQ(pdftest::Info(pdf, QStringLiteral("Producer")), ProducerName());
    EXPECT_EQ(pdftest::Info(pdf, QStringLiteral("Creator")), ProducerName());
    EXPECT_TRUE(ProducerName().startsWith(QStringLiteral("Scriva ")));
    EXPECT_TRUE(pdftest::Info(pdf, QStringLiteral("CreationDate")).contains(QStringLiteral("2026")))
        << pdftest::Info(pdf, QStringLiteral("CreationDate")).toStdString();
    // The open action's destination is the first of the page tree's kids.
    const QString bytes = QString::fromLatin1(readFile(pdf));
    const auto kids = QRegularExpression(QStringLiteral("/Kids\\s*\\[\\s*(\\d+) 0 R")).match(bytes);
    const auto open = QRegularExpression(QStringLiteral("/OpenAction\\s*(\\d+) 0 R")).match(bytes);
    ASSERT_TRUE(kids.hasMatch());
    ASSERT_TRUE(open.hasMatch());
    const auto destination = QRegularExpression(QStringLiteral("\\n") + open.captured(1) +
                                                QStringLiteral(" 0 obj\\s*\\[\\s*(\\d+) 0 R /XYZ"))
                                 .match(bytes);
    ASSERT_TRUE(destination.hasMatch());
    EXPECT_EQ(destination.captured(1), kids.captured(1));
    QString report;
    EXPECT_TRUE(pdftest::QpdfClean(pdf, &report)) << report.toStdString();
    // Without a title none is written.
    ASSERT_TRUE(ExportPdf(pdf, files).ok());
    EXPECT_TRUE(pdftest::Info(pdf, QStringLiteral("Title")).isEmpty());
}

TEST_F(SearchablePdfTest, RecognisedWordsAreTextOverTheWordsInThePicture)
{
    constexpr int kDpi = 300;
    CxImage picture = ocrtest::renderText(kLines, kPixelSize, kMargin, true);
    struct Case
    {
        const char* name;
        uint32_t format;
    };
    for (const Case& c :
         {Case{"words.jpg", CXIMAGE_FORMAT_JPG}, Case{"words.png", CXIMAGE_FORMAT_PNG}}) {
        SCOPED_TRACE(c.name);
        const QString image = save(QString::fromLatin1(c.name), picture, c.format, kDpi);
        const QString pdf = path(QStringLiteral("words.pdf"));
        const PdfExportResult result = ExportPdf(pdf, {image}, searchable());
        ASSERT_TRUE(result.ok()) << result.Message().toStdString();
        EXPECT_EQ(result.words, 25);
        QString report;
        EXPECT_TRUE(pdftest::QpdfClean(pdf, &report)) << report.toStdString();

        // The text, line by line in reading order.
        const QString text = pdftest::Text(pdf);
        const double cer = ocrtest::charErrorRate(text, kLines.join(QLatin1Char('\n')));
        EXPECT_LE(cer, 0.01) << text.toStdString();
        const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_GE(lines.size(), 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(lines[i].trimmed(), kLines[i]);

        // Each word where the engine saw it, and over its ink.
        CxImage upright = picture;
        COcrEngine engine;
        engine.SetModelsOverride(QStringLiteral("eng"));
        scriva::ocr::PageWords engineWords;
        ASSERT_TRUE(engine.Start(scriva::ocr::kLanguageLatin));
        ASSERT_TRUE(engine.RecognizeWords(upright, engineWords));
        const std::vector<pdftest::WordBox> words = pdftest::Words(pdf);
        const std::vector<QRectF> truth = inkBoxes();
        ASSERT_EQ(words.size(), truth.size());
        ASSERT_EQ(engineWords.size(), truth.size());
        const double scale = 72.0 / kDpi;
        const QStringList truthWords = kLines.join(QLatin1Char(' ')).split(QLatin1Char(' '));
        std::vector<double> overlaps;
        for (size_t i = 0; i < words.size(); ++i) {
            const pdftest::WordBox& w = words[i];
            SCOPED_TRACE(w.text.toStdString());
            EXPECT_EQ(w.text, truthWords[qsizetype(i)]);
            const QRectF seen(w.xMin / scale, w.yMin / scale, (w.xMax - w.xMin) / scale,
                              (w.yMax - w.yMin) / scale);
            // Horizontally the engine's box; vertically its whole line, ascenders to descenders.
            const QRect& box = engineWords[i].box;
            const QRect& line = engineWords[i].lineBox;
            EXPECT_NEAR(seen.left(), box.left(), 1.0);
            EXPECT_NEAR(seen.right(), box.right() + 1, 1.0);
            EXPECT_NEAR(seen.top(), line.top(), 1.0);
            EXPECT_NEAR(seen.bottom(), line.bottom() + 1, 1.0);
            overlaps.push_back(overlap(seen, truth[i]));
            EXPECT_GE(overlaps.back(), 0.5);
        }
        std::sort(overlaps.begin(), overlaps.end());
        EXPECT_GE(overlaps[overlaps.size() / 2], 0.7);
        // The picture is the same picture as without words.
        const auto images = pdftest::Images(pdf);
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].encoding, c.format == CXIMAGE_FORMAT_JPG ? "jpeg" : "jpeg");
    }
}

TEST_F(SearchablePdfTest, WordsOfATurnedPhotoLieWhereTheUprightPageShowsThem)
{
    CxImage upright = ocrtest::renderText(kLines, kPixelSize, kMargin, true);
    upright.SetXDPI(150);
    upright.SetYDPI(150);
    const QString plain = save(QStringLiteral("upright.jpg"), upright, CXIMAGE_FORMAT_JPG);
    const QString plainPdf = path(QStringLiteral("upright.pdf"));
    ASSERT_TRUE(ExportPdf(plainPdf, {plain}, searchable()).ok());
    const std::vector<pdftest::WordBox> expected = pdftest::Words(plainPdf);
    ASSERT_EQ(expected.size(), 25u);
    for (int orientation : {3, 6, 8}) {
        SCOPED_TRACE(orientation);
        // Stored turned, with the EXIF orientation that shows it upright: the page
        // keeps the file's bytes and is turned by the viewer.
        CxImage stored = upright;
        ASSERT_TRUE(exiftest::StoreAs(stored, orientation));
        std::vector<uint8_t> jpeg;
        ASSERT_TRUE(stored.Encode(jpeg, CXIMAGE_FORMAT_JPG));
        jpeg = exiftest::WithExifOrientation(jpeg, orientation);
        const QString photo = path(QStringLiteral("turned%1.jpg").arg(orientation));
        ASSERT_TRUE(writeFile(
            photo, QByteArray(reinterpret_cast<const char*>(jpeg.data()), qsizetype(jpeg.size()))));
        const QString pdf = path(QStringLiteral("turned%1.pdf").arg(orientation));
        const PdfExportResult result = ExportPdf(pdf, {photo}, searchable());
        ASSERT_TRUE(result.ok()) << result.Message().toStdString();
        EXPECT_EQ(result.passedThrough, 1);
        const std::vector<pdftest::WordBox> words = pdftest::Words(pdf);
        ASSERT_EQ(words.size(), expected.size()) << pdftest::Text(pdf).toStdString();
        // The same places as on the upright page (the engine reads a JPEG decoded
        // once more a pixel or two differently in places).
        std::vector<double> offsets;
        for (size_t i = 0; i < words.size(); ++i) {
            const pdftest::WordBox& w = words[i];
            const pdftest::WordBox& e = expected[i];
            EXPECT_EQ(w.text, e.text);
            const QRectF got(QPointF(w.xMin, w.yMin), QPointF(w.xMax, w.yMax));
            const QRectF want(QPointF(e.xMin, e.yMin), QPointF(e.xMax, e.yMax));
            EXPECT_GE(overlap(got, want), 0.8) << w.text.toStdString();
            offsets.push_back(std::max({std::abs(w.xMin - e.xMin), std::abs(w.yMin - e.yMin),
                                        std::abs(w.xMax - e.xMax), std::abs(w.yMax - e.yMax)}));
        }
        std::sort(offsets.begin(), offsets.end());
        EXPECT_LE(offsets[offsets.size() / 2], 0.5);
    }
}

TEST_F(SearchablePdfTest, TheProgramsOwnTextIsUsedInAnyScript)
{
    CxImage picture = ocrtest::renderText(kLines, kPixelSize, kMargin, true);
    const QString image = save(QStringLiteral("own.png"), picture, CXIMAGE_FORMAT_PNG, 300);
    struct Case
    {
        const char* what;
        QString stored;
        QStringList expected; // the lines pdftotext gives
    };
    const std::vector<Case> cases = {
        {"edited words, same shape",
         QStringLiteral("The quick brown cat jumps over the lazy dog.\r\nPack my box with five "
                        "dozen liquor jugs 5678.\r\nSphinx of black quartz, judge my vow!\r\n"),
         {QStringLiteral("The quick brown cat jumps over the lazy dog."),
          QStringLiteral("Pack my box with five dozen liquor jugs 5678."),
          QStringLiteral("Sphinx of black quartz, judge my vow!")}},
        {"other scripts, other word counts",
         QStringLiteral("中文文字 识别\r\nΕλληνικά κείμενα εδώ\r\nemoji 𝄞 clef\r\n"),
         {QStringLiteral("中文文字 识别"), QStringLiteral("Ελληνικά κείμενα εδώ"),
          QStringLiteral("emoji 𝄞 clef")}},
        {"fewer lines than recognised", QStringLiteral("只有一行"), {QStringLiteral("只有一行")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PdfExportOptions options = searchable();
        const QString stored = c.stored;
        options.recognition.storedText = [&image, stored](const QString& file, QString& text) {
            if (file != image)
                return false;
            text = stored;
            return true;
        };
        const QString pdf = path(QStringLiteral("own.pdf"));
        const PdfExportResult result = ExportPdf(pdf, {image}, options);
        ASSERT_TRUE(result.ok()) << result.Message().toStdString();
        EXPECT_EQ(result.storedTexts, 1);
        const QStringList lines = pdftest::Text(pdf).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList trimmed;
        for (const QString& line : lines)
            if (!line.trimmed().isEmpty() && line.trimmed() != QStringLiteral("\f"))
                trimmed << line.trimmed();
        EXPECT_EQ(trimmed, c.expected);
        // Every word lies inside the page and on the text's area.
        for (const pdftest::WordBox& w : pdftest::Words(pdf)) {
            EXPECT_GE(w.xMin, 0);
            EXPECT_LE(w.xMax, picture.GetWidth() * 72.0 / 300 + 0.5);
            EXPECT_LT(w.xMin, w.xMax);
        }
        QString report;
        EXPECT_TRUE(pdftest::QpdfClean(pdf, &report)) << report.toStdString();
    }
}

TEST_F(SearchablePdfTest, BlackAndWhiteIsLosslessGreyStaysGreyColourJpegUnchanged)
{
    CxImage grey = ocrtest::renderText(kLines, kPixelSize, kMargin);
    CxImage mono = ocrtest::toOneBit(grey, false);
    CxImage monoInverted = ocrtest::toOneBit(grey, true);
    CxImage greyOnlyBlackWhite = grey;
    for (uint32_t y = 0; y < grey.GetHeight(); ++y)
        for (uint32_t x = 0; x < grey.GetWidth(); ++x) {
            uint8_t* p = greyOnlyBlackWhite.GetBits(y) + x;
            *p = *p < 128 ? 0 : 255;
        }
    CxImage colour = ocrtest::renderText(kLines, kPixelSize, kMargin, true);
    struct Case
    {
        QString file;
        const char* colour;
        const char* encoding;
        int bits;
    };
    const std::vector<Case> cases = {
        {save(QStringLiteral("mono.png"), mono, CXIMAGE_FORMAT_PNG), "gray", "ccitt", 1},
        {save(QStringLiteral("inverted.tif"), monoInverted, CXIMAGE_FORMAT_TIF), "gray", "ccitt",
         1},
        {save(QStringLiteral("twotones.png"), greyOnlyBlackWhite, CXIMAGE_FORMAT_PNG), "gray",
         "ccitt", 1},
        {save(QStringLiteral("grey.png"), grey, CXIMAGE_FORMAT_PNG), "gray", "jpeg", 8},
        {save(QStringLiteral("colour.png"), colour, CXIMAGE_FORMAT_PNG), "rgb", "jpeg", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const QString pdf = path(QStringLiteral("bw.pdf"));
        const PdfExportResult result = ExportPdf(pdf, {c.file});
        ASSERT_TRUE(result.ok()) << result.Message().toStdString();
        EXPECT_EQ(result.blackAndWhite, QString::fromLatin1(c.encoding) == "ccitt" ? 1 : 0);
        const auto images = pdftest::Images(pdf);
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].colour, c.colour);
        EXPECT_EQ(images[0].encoding, c.encoding);
        EXPECT_EQ(images[0].bitsPerComponent, c.bits);
        QString report;
        EXPECT_TRUE(pdftest::QpdfClean(pdf, &report)) << report.toStdString();
        if (QString::fromLatin1(c.encoding) != "ccitt")
            continue;
        // Every pixel back as it was: ink black, paper white.
        const QString prefix = path(QStringLiteral("back"));
        ASSERT_EQ(
            QProcess::execute(QStringLiteral("pdfimages"), {QStringLiteral("-png"), pdf, prefix}),
            0);
        CxImage back;
        ASSERT_TRUE(
            back.Load(QFile::encodeName(prefix + "-000.png").toStdString(), CXIMAGE_FORMAT_PNG));
        ASSERT_EQ(back.GetWidth(), grey.GetWidth());
        ASSERT_EQ(back.GetHeight(), grey.GetHeight());
        int wrong = 0;
        for (uint32_t y = 0; y < grey.GetHeight(); ++y)
            for (uint32_t x = 0; x < grey.GetWidth(); ++x) {
                const bool ink = grey.GetBits(y)[x] < 128;
                const bool backInk = back.GetPixelColor(int32_t(x), int32_t(y)).rgbRed < 128;
                wrong += ink != backInk ? 1 : 0;
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(GlyphlessFont, IsAWellFormedTrueTypeFont)
{
    const std::vector<uint8_t> font = GlyphlessFontProgram();
    ASSERT_GE(font.size(), 12u + 8 * 16);
    EXPECT_EQ(font[0], 0x00);
    EXPECT_EQ(font[1], 0x01);
    EXPECT_EQ(font[5], 8); // tables
    EXPECT_EQ(font.size() % 4, 0u);
    // The whole font sums to the magic number once the head's adjustment is in.
    uint32_t sum = 0;
    for (size_t i = 0; i < font.size(); i += 4)
        sum += (uint32_t(font[i]) << 24) | (uint32_t(font[i + 1]) << 16) |
               (uint32_t(font[i + 2]) << 8) | font[i + 3];
    EXPECT_EQ(sum, 0xB1B0AFBAu);
}
