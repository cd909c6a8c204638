// Words with their boxes from the engine library: on rendered text whose every
// word's ink box is known, through the C interface and through COcrEngine.

#include "OcrTestSupport.h"
#include "ocr/COcrEngine.h"
#include "ocr/PageWords.h"
#include "ocr/QxLibrary.h"

#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cstring>

using namespace scriva::ocr;

namespace {

const QStringList kLines = {QStringLiteral("The quick brown fox jumps over the lazy dog."),
                            QStringLiteral("Pack my box with five dozen liquor jugs 1234."),
                            QStringLiteral("Sphinx of black quartz, judge my vow!")};
constexpr int kPixelSize = 40;
constexpr int kMargin = 30;

OcrSettings englishOnly()
{
    OcrSettings s = OcrSettings::Defaults();
    s.language2 = QStringLiteral("eng");
    return s;
}

// Where renderText draws each word: its ink box in image pixels.
std::vector<QRect> inkBoxes(const QStringList& lines)
{
    ocrtest::ensureGuiApp();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(kPixelSize);
    const QFontMetrics fm(font);
    const int lineHeight = fm.lineSpacing() * 3 / 2;
    std::vector<QRect> boxes;
    for (int i = 0; i < lines.size(); ++i) {
        const int baseline = kMargin + fm.ascent() + i * lineHeight;
        const QStringList words = lines[i].split(QLatin1Char(' '));
        QString before;
        for (const QString& word : words) {
            const int x = kMargin + fm.horizontalAdvance(before);
            boxes.push_back(fm.tightBoundingRect(word).translated(x, baseline));
            before += word + QLatin1Char(' ');
        }
    }
    return boxes;
}

double overlap(const QRect& a, const QRect& b)
{
    const QRect both = a.intersected(b);
    const double in = double(both.width()) * both.height();
    const double all = double(a.width()) * a.height() + double(b.width()) * b.height() - in;
    return all > 0 ? in / all : 0;
}

OcrImage* greyRecord(const CxImage& grey)
{
    const QxLibrary& qx = QxLibrary::Shared();
    OcrImage* image = nullptr;
    const int w = int(grey.GetWidth()), h = int(grey.GetHeight());
    if (!qx.allocImage(0, &image, w, h, 255))
        return nullptr;
    for (int y = 0; y < h; ++y)
        std::memcpy(image->rows[y], grey.GetBits(uint32_t(h - 1 - y)), size_t(w));
    return image;
}

class PageWordsTest : public ::testing::Test
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

} // namespace

TEST_F(PageWordsTest, EveryWordComesWithItsInkBoxLineAndConfidence)
{
    CxImage image = ocrtest::renderText(kLines, kPixelSize, kMargin);
    PageWords words;
    ASSERT_TRUE(engine.RecognizeWords(image, words));
    const std::vector<QRect> truth = inkBoxes(kLines);
    const QStringList truthWords = kLines.join(QLatin1Char(' ')).split(QLatin1Char(' '));
    ASSERT_EQ(words.size(), truth.size()) << PageWordsText(words).toStdString();
    int lineOfWord = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        const RecognizedWord& w = words[i];
        SCOPED_TRACE(w.text.toStdString());
        EXPECT_EQ(w.text, truthWords[qsizetype(i)]);
        EXPECT_GE(overlap(w.box, truth[i]), 0.8)
            << w.box.x() << "," << w.box.y() << " " << w.box.width() << "x" << w.box.height()
            << " vs " << truth[i].x() << "," << truth[i].y() << " " << truth[i].width() << "x"
            << truth[i].height();
        if (i > 0 && truth[i].y() > truth[i - 1].bottom())
            ++lineOfWord;
        EXPECT_EQ(w.line, lineOfWord);
        EXPECT_TRUE(w.lineBox.contains(w.box));
        EXPECT_GE(w.baseline, w.lineBox.top());
        EXPECT_LE(w.baseline, w.lineBox.bottom() + 1);
        EXPECT_GE(w.confidence, 60);
        EXPECT_LE(w.confidence, 100);
    }
}

TEST_F(PageWordsTest, WordsGiveTheSameTextAsTheLines)
{
    CxImage forLines = ocrtest::renderText(kLines, kPixelSize, kMargin);
    CxImage forWords = forLines;
    ASSERT_TRUE(engine.RecognizeImage(forLines));
    const QString lines = engine.AssembleText();
    PageWords words;
    ASSERT_TRUE(engine.RecognizeWords(forWords, words));
    EXPECT_EQ(PageWordsText(words), lines);
    // The words' recognition leaves no lines behind.
    EXPECT_TRUE(engine.AssembleText().isEmpty());
}

TEST_F(PageWordsTest, BlankPageAndOneBitPage)
{
    CxImage blank(200, 100, 8);
    blank.SetGrayPalette();
    for (uint32_t y = 0; y < blank.GetHeight(); ++y)
        std::memset(blank.GetBits(y), 255, blank.GetWidth());
    PageWords words{RecognizedWord{}};
    ASSERT_TRUE(engine.RecognizeWords(blank, words));
    EXPECT_TRUE(words.empty());

    CxImage mono = ocrtest::toOneBit(ocrtest::renderText(kLines, kPixelSize, kMargin), true);
    ASSERT_TRUE(engine.RecognizeWords(mono, words));
    EXPECT_EQ(PageWordsText(words), kLines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

TEST(PageWordsInterface, BadArgumentsAreRefusedWithAReason)
{
    const QxLibrary& qx = QxLibrary::Shared();
    ASSERT_TRUE(qx.IsLoaded()) << qx.LoadError().toStdString();
    OcrWord* words = reinterpret_cast<OcrWord*>(1);
    EXPECT_EQ(qx.DoImageWords(nullptr, nullptr, &words), 0);
    EXPECT_EQ(qx.freeWords(nullptr, nullptr), 1); // nothing to free is fine

    void* handle = nullptr;
    ASSERT_TRUE(qx.SetLanguages("eng", "eng"));
    ASSERT_TRUE(qx.StartOCR(&handle, "", "", 2, 3));
    CxImage grey = ocrtest::renderText({QStringLiteral("Hello words")}, kPixelSize, kMargin);
    OcrImage* image = greyRecord(grey);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(qx.DoImageWords(handle, image, nullptr), 0);
    char buffer[256] = {};
    EXPECT_EQ(qx.GetLastErr(handle, buffer, sizeof buffer), 2) << buffer;
    image->right = image->width; // past the last column
    EXPECT_EQ(qx.DoImageWords(handle, image, &words), 0);
    EXPECT_EQ(words, nullptr);
    image->right = uint16_t(image->width - 1);
    ASSERT_EQ(qx.DoImageWords(handle, image, &words), 1);
    EXPECT_EQ(qx.GetLastErr(handle, buffer, sizeof buffer), 0); // success clears the failure
    ASSERT_NE(words, nullptr);
    EXPECT_STREQ(words->text, "Hello");
    ASSERT_NE(words->next, nullptr);
    EXPECT_STREQ(words->next->text, "words");
    EXPECT_EQ(words->next->index, 1);
    EXPECT_EQ(words->next->line, 0);
    EXPECT_LT(words->right, words->next->left);
    EXPECT_EQ(words->next->next, nullptr);
    EXPECT_EQ(qx.freeWords(handle, words), 1);
    qx.freeImage(0, &image);
    qx.CloseOCR(&handle);
}

TEST(LayTextOverWords, TheProgramsTextTakesTheRecognisedPlaces)
{
    // Two recognised lines: "one two" and "three".
    auto word = [](const char* text, int line, QRect box, QRect lineBox) {
        RecognizedWord w;
        w.text = QString::fromUtf8(text);
        w.line = line;
        w.box = box;
        w.lineBox = lineBox;
        return w;
    };
    const QRect line0(10, 10, 200, 30), line1(10, 60, 120, 30);
    const PageWords recognised = {word("one", 0, QRect(10, 10, 80, 30), line0),
                                  word("two", 0, QRect(130, 10, 80, 30), line0),
                                  word("three", 1, QRect(10, 60, 120, 30), line1)};
    const QSize page(300, 120);
    struct Case
    {
        const char* what;
        QString text;
        QStringList words;
        std::vector<int> lines;
    };
    const std::vector<Case> cases = {
        {"the same text",
         QStringLiteral("one two\r\nthree\r\n"),
         {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")},
         {0, 0, 1}},
        {"a word changed",
         QStringLiteral("one too\nthree"),
         {QStringLiteral("one"), QStringLiteral("too"), QStringLiteral("three")},
         {0, 0, 1}},
        {"a word added",
         QStringLiteral("one two\nthree four"),
         {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
          QStringLiteral("four")},
         {0, 0, 1, 1}},
        {"lines joined",
         QStringLiteral("one two three\n\n"),
         {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")},
         {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PageWords laid = LayTextOverWords(c.text, recognised, page);
        ASSERT_EQ(laid.size(), size_t(c.words.size()));
        for (size_t i = 0; i < laid.size(); ++i) {
            EXPECT_EQ(laid[i].text, c.words[qsizetype(i)]);
            EXPECT_EQ(laid[i].line, c.lines[i]);
            EXPECT_TRUE(QRect(0, 0, 300, 120).contains(laid[i].box));
            if (i > 0 && laid[i].line == laid[i - 1].line) {
                EXPECT_GT(laid[i].box.left(), laid[i - 1].box.right()); // left to right
            }
        }
    }
    // Same shape: the recognised boxes themselves.
    const PageWords same = LayTextOverWords(QStringLiteral("one too\nthree"), recognised, page);
    EXPECT_EQ(same[1].box, recognised[1].box);
    // More words on a line: spread over that line's box, in it.
    const PageWords more =
        LayTextOverWords(QStringLiteral("one two\nthree four"), recognised, page);
    EXPECT_TRUE(line1.contains(more[2].box));
    EXPECT_TRUE(line1.contains(more[3].box));
    // Nothing recognised: the text's lines share the page in bands.
    const PageWords bands = LayTextOverWords(QStringLiteral("a\nb"), {}, page);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].box.top(), 0);
    EXPECT_EQ(bands[1].box.top(), 60);
    EXPECT_TRUE(LayTextOverWords(QStringLiteral(" \r\n "), recognised, page).empty());
}
