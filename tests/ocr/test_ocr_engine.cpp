// The binding over the real engine library and the English model: whole
// images and regions of rendered text, every pixel layout the program hands
// over, and the failures the caller is told about.

#include "OcrTestSupport.h"
#include "ocr/COcrEngine.h"
#include "ocr/QxLibrary.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace scriva::ocr;

namespace {

const QStringList kLines = {QStringLiteral("The quick brown fox jumps over the lazy dog."),
                            QStringLiteral("Pack my box with five dozen liquor jugs 1234."),
                            QStringLiteral("Sphinx of black quartz, judge my vow!")};

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

class OcrEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QxLibrary::Shared().IsLoaded())
            << QxLibrary::Shared().LoadError().toStdString();
        engine.SetSettingsReader(&englishOnly);
        ASSERT_TRUE(engine.Start(kLanguageLatin));
    }
    COcrEngine engine;
};

TEST_F(OcrEngineTest, RendersTextBackWithAMeasuredErrorRate)
{
    CxImage image = ocrtest::renderText(kLines);
    ASSERT_TRUE(engine.RecognizeImage(image));
    const QString text = engine.AssembleText();
    const double cer = ocrtest::charErrorRate(text, truth());
    RecordProperty("cer_percent", QString::number(cer * 100, 'f', 2).toStdString());
    EXPECT_LE(cer, 0.01) << text.toStdString();
    // One field per line, each ending in CR LF, the last included.
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 3) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
}

TEST_F(OcrEngineTest, ColourImageIsTurnedGreyInPlaceFirst)
{
    CxImage image = ocrtest::renderText(kLines, 40, 30, true);
    ASSERT_EQ(image.GetBpp(), 24u);
    ASSERT_TRUE(engine.RecognizeImage(image));
    EXPECT_EQ(image.GetBpp(), 8u);
    EXPECT_LE(ocrtest::charErrorRate(engine.AssembleText(), truth()), 0.01);
}

TEST_F(OcrEngineTest, OneBitImagesAreReadThroughTheirPalette)
{
    // Both palette orders must read as black text on white: the set bit is ink
    // in one and paper in the other, and neither may reach the engine as a negative.
    for (bool inverted : {false, true}) {
        CxImage mono = ocrtest::toOneBit(ocrtest::renderText(kLines), inverted);
        ASSERT_EQ(mono.GetBpp(), 1u);
        ASSERT_TRUE(engine.RecognizeImage(mono)) << "inverted " << inverted;
        EXPECT_LE(ocrtest::charErrorRate(engine.AssembleText(), truth()), 0.02)
            << "inverted " << inverted << ": " << engine.AssembleText().toStdString();
    }
}

TEST_F(OcrEngineTest, BlankPageGivesAnEmptyText)
{
    CxImage blank(300, 120, 8);
    blank.SetGrayPalette();
    std::memset(blank.GetBits(), 255, blank.GetEffWidth() * blank.GetHeight());
    ASSERT_TRUE(engine.RecognizeImage(blank));
    EXPECT_TRUE(engine.AssembleText().isEmpty());
}

TEST_F(OcrEngineTest, RegionsAreCutToTheImage)
{
    const CxImage page = ocrtest::renderText(kLines);
    const int w = int(page.GetWidth()), h = int(page.GetHeight());
    const int lineBottom = h / 3 + 10; // the first line and its margin, rows from the top
    struct Case
    {
        const char* name;
        int left, top, right, bottom;
        bool ok;
        const char* expected; // a part of the text that must be read
    };
    const Case cases[] = {
        {"inside", 0, 0, w, lineBottom, true, "quick brown fox"},
        {"past right and bottom", w / 2, 2 * h / 3 - 10, w + 500, h + 500, true, "my vow"},
        {"left of and above", -200, -300, w, lineBottom, true, "quick brown fox"},
        {"beside the image", w + 10, 0, w + 200, h, false, nullptr},
        {"above the image", 0, -100, w, -1, false, nullptr},
        {"empty", 10, 10, 10, 50, false, nullptr},
        {"upside down", 100, 80, 20, 10, false, nullptr},
    };
    for (const Case& c : cases) {
        CxImage copy(page);
        QString text = QStringLiteral("stale");
        EXPECT_EQ(engine.RecognizeRegion(copy, c.left, c.top, c.right, c.bottom, text), c.ok)
            << c.name;
        if (c.expected)
            EXPECT_TRUE(text.contains(QLatin1String(c.expected)))
                << c.name << ": " << text.toStdString();
        else
            EXPECT_TRUE(text.isEmpty()) << c.name;
    }
}

TEST_F(OcrEngineTest, RegionOfAOneBitImageAtTheBottomEdge)
{
    CxImage mono = ocrtest::toOneBit(ocrtest::renderText(kLines), true);
    const int w = int(mono.GetWidth()), h = int(mono.GetHeight());
    QString text;
    ASSERT_TRUE(engine.RecognizeRegion(mono, 0, 2 * h / 3 - 10, w, h, text));
    EXPECT_LE(ocrtest::charErrorRate(text, kLines[2]), 0.03) << text.toStdString();
}

TEST_F(OcrEngineTest, RestartingKeepsWorkingAndClearsTheOldResult)
{
    CxImage image = ocrtest::renderText({QStringLiteral("Restart me")});
    ASSERT_TRUE(engine.RecognizeImage(image));
    ASSERT_FALSE(engine.AssembleText().isEmpty());
    ASSERT_TRUE(engine.Start(kLanguageLatin));
    EXPECT_TRUE(engine.AssembleText().isEmpty());
    CxImage again = ocrtest::renderText({QStringLiteral("Restart me")});
    ASSERT_TRUE(engine.RecognizeImage(again));
    EXPECT_TRUE(engine.AssembleText().contains(QStringLiteral("Restart me")));
}

TEST(OcrEngineFailures, NotStartedRefusesEverything)
{
    COcrEngine engine;
    CxImage image = ocrtest::renderText({QStringLiteral("x")});
    QString text;
    EXPECT_FALSE(engine.RecognizeImage(image));
    EXPECT_FALSE(engine.RecognizeRegion(image, 0, 0, 10, 10, text));
    EXPECT_TRUE(engine.AssembleText().isEmpty());
}

TEST(OcrEngineFailures, MissingModelFailsTheStartWithItsName)
{
    COcrEngine engine;
    engine.SetModelsOverride(QStringLiteral("xyzmissing+eng"));
    EXPECT_FALSE(engine.Start(kLanguageLatin));
    EXPECT_FALSE(engine.IsStarted());
    QString message;
    int code = 0;
    engine.GetEngineError(message, code);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(message.contains(QStringLiteral("cannot load 'xyzmissing+eng'")))
        << message.toStdString();
}

TEST(OcrEngineFailures, MissingLibraryIsAnErrorNotACrash)
{
    QxLibrary missing(QStringLiteral("/nonexistent/libqxbcr.so"));
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_TRUE(missing.Version().isEmpty());
    COcrEngine engine(&missing);
    EXPECT_FALSE(engine.Start(kLanguageLatin));
    QString message;
    int code = 0;
    engine.GetEngineError(message, code);
    EXPECT_EQ(code, -1);
    EXPECT_TRUE(message.startsWith(QStringLiteral("cannot load the OCR engine library: ")));
}

TEST(OcrEngineFailures, CodeModeChoosesTheCodePage)
{
    COcrEngine engine;
    EXPECT_EQ(engine.CodePage(), 936);
    engine.SetCodeMode(2);
    EXPECT_EQ(engine.CodePage(), 950);
    engine.SetCodeMode(1);
    EXPECT_EQ(engine.CodePage(), 936);
}

TEST(OcrEngineFailures, VersionIsTheEnginesOwn)
{
    EXPECT_TRUE(COcrEngine::EngineVersion().startsWith(QStringLiteral("5.")))
        << COcrEngine::EngineVersion().toStdString();
}

} // namespace
