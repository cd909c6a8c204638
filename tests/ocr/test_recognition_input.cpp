// What recognition is given to read: black text on a transparent ground is
// read as on paper, a photo stored sideways is read the way it shows (its EXIF
// orientation), and a result of nothing but white space counts as no text.

#include "OcrTestSupport.h"
#include "ocr/COcrEngine.h"
#include "ocr/FileRecognition.h"
#include "tests/common/ExifJpeg.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace scriva::ocr;

namespace {

const QStringList kLines = {QStringLiteral("Black ink on a clear sheet"),
                            QStringLiteral("reads like ink on paper.")};
const QString kFailure = QStringLiteral("No text could be recognised.");

QString truth()
{
    return kLines.join(QLatin1Char('\n'));
}

OcrSettings englishOnly()
{
    OcrSettings s = OcrSettings::Defaults();
    s.language2 = QStringLiteral("eng");
    return s;
}

// The rendered text as black pixels everywhere, the ink told only by alpha.
CxImage inkOnClearSheet()
{
    const CxImage grey = ocrtest::renderText(kLines);
    const uint32_t w = grey.GetWidth(), h = grey.GetHeight();
    CxImage clear(w, h, 24);
    clear.AlphaCreate();
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            clear.AlphaSet(int32_t(x), int32_t(y), uint8_t(255 - grey.GetBits(y)[x]));
    return clear;
}

// One bit per pixel, both palette entries black, the ground's entry transparent.
CxImage inkOnClearPalette()
{
    CxImage mono = ocrtest::toOneBit(ocrtest::renderText(kLines), false); // 0 ink, 1 ground
    mono.SetPaletteColor(1, RGBQUAD{0, 0, 0, 0});
    mono.SetTransIndex(1);
    return mono;
}

class RecognitionInputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        engine.SetSettingsReader(&englishOnly);
        ASSERT_TRUE(engine.Start(kLanguageLatin));
    }

    QString save(const QString& name, CxImage& image, uint32_t format)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.Save(QFile::encodeName(path).toStdString(), format))
            << image.GetLastError();
        return path;
    }

    QTemporaryDir dir;
    COcrEngine engine;
};

TEST_F(RecognitionInputTest, TransparentGroundIsReadAsWhitePaper)
{
    struct Case
    {
        const char* name;
        CxImage (*make)();
    };
    const Case cases[] = {{"alpha plane", &inkOnClearSheet},
                          {"transparent palette entry", &inkOnClearPalette}};
    for (const Case& c : cases) {
        CxImage whole = c.make();
        ASSERT_TRUE(whole.IsTransparent()) << c.name;
        ASSERT_TRUE(engine.RecognizeImage(whole)) << c.name;
        EXPECT_LE(ocrtest::charErrorRate(engine.AssembleText(), truth()), 0.03)
            << c.name << ": " << engine.AssembleText().toStdString();

        CxImage region = c.make();
        QString text;
        ASSERT_TRUE(engine.RecognizeRegion(region, 0, 0, int(region.GetWidth()),
                                           int(region.GetHeight()), text))
            << c.name;
        EXPECT_LE(ocrtest::charErrorRate(text, truth()), 0.03)
            << c.name << ": " << text.toStdString();
    }

    // A PNG file with an alpha channel, as the program's recognition command reads it.
    CxImage sheet = inkOnClearSheet();
    const QString png = save(QStringLiteral("clear.png"), sheet, CXIMAGE_FORMAT_PNG);
    const FileResult r = RecognizeFile(engine, kLanguageLatin, png);
    ASSERT_TRUE(r.ok) << r.reason.toStdString();
    EXPECT_LE(ocrtest::charErrorRate(r.text, truth()), 0.03) << r.text.toStdString();
}

TEST_F(RecognitionInputTest, PhotoStoredSidewaysIsReadTheWayItShows)
{
    // Each orientation with the turn that stores an upright page that way.
    struct Case
    {
        int orientation;
        bool (CxImage::*storeTurn)(CxImage*);
    };
    const Case cases[] = {
        {6, &CxImage::RotateLeft90}, {8, &CxImage::RotateRight90}, {3, &CxImage::Rotate180}};
    for (const Case& c : cases) {
        CxImage stored = ocrtest::renderText(kLines);
        ASSERT_TRUE((stored.*c.storeTurn)(nullptr));
        std::vector<uint8_t> jpeg;
        ASSERT_TRUE(stored.Encode(jpeg, CXIMAGE_FORMAT_JPG));
        jpeg = exiftest::WithExifOrientation(jpeg, c.orientation);
        const QString path = dir.filePath(QStringLiteral("turned%1.jpg").arg(c.orientation));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(reinterpret_cast<const char*>(jpeg.data()), qint64(jpeg.size())),
                  qint64(jpeg.size()));
        file.close();

        const FileResult r = RecognizeFile(engine, kLanguageLatin, path);
        ASSERT_TRUE(r.ok) << c.orientation << ": " << r.reason.toStdString();
        EXPECT_LE(ocrtest::charErrorRate(r.text, truth()), 0.03)
            << "orientation " << c.orientation << ": " << r.text.toStdString();
    }
}

TEST(StoredText, OnlyWhiteSpaceIsTheFailureText)
{
    struct Case
    {
        const char* name;
        QString text;
        bool isText;
    };
    const Case cases[] = {
        {"nothing", QString(), false},
        {"spaces", QStringLiteral("   \r\n"), false},
        {"lines of spaces and tabs", QStringLiteral(" \t \r\n  \r\n"), false},
        {"no-break space", QStringLiteral("\u00a0\r\n"), false},
        {"a word among spaces", QStringLiteral("  a  \r\n"), true},
    };
    for (const Case& c : cases) {
        FileResult r;
        r.ok = true;
        r.done = true;
        r.text = c.text;
        EXPECT_EQ(StoredTextFor(r, kFailure).toStdString(),
                  (c.isText ? c.text : kFailure).toStdString())
            << c.name;
    }
}

} // namespace
