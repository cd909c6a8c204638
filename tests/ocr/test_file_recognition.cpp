// Whole files recognised one after the other and in parallel: the texts in
// input order, failures with the text the program stores for them, progress
// and cancel.

#include "OcrTestSupport.h"
#include "ocr/COcrEngine.h"
#include "ocr/FileRecognition.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <mutex>

using namespace scriva::ocr;

namespace {

const QString kFailure = QStringLiteral("No text could be recognised.");

class FileRecognitionTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString savePage(const QString& name, const QString& text, uint32_t format)
    {
        const QString path = dir.filePath(name);
        CxImage image = ocrtest::renderText({text});
        EXPECT_TRUE(image.Save(QFile::encodeName(path).toStdString(), format));
        return path;
    }
    QString saveBytes(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    RecognitionOptions options()
    {
        RecognitionOptions o;
        o.modelsOverride = QStringLiteral("eng");
        o.threads = 2;
        return o;
    }

    QTemporaryDir dir;
};

TEST_F(FileRecognitionTest, ThreeFilesWithTheSecondFailing)
{
    const QStringList paths = {
        savePage(QStringLiteral("a.png"), QStringLiteral("First page text"), CXIMAGE_FORMAT_PNG),
        saveBytes(QStringLiteral("b.jpg"), QByteArray("this is no JPEG")),
        savePage(QStringLiteral("c.bmp"), QStringLiteral("Third page text"), CXIMAGE_FORMAT_BMP)};
    std::mutex lock;
    std::vector<int> seen;
    const auto results = RecognizeFiles(paths, options(), nullptr, [&](int done, int total) {
        std::lock_guard<std::mutex> g(lock);
        EXPECT_EQ(total, 3);
        seen.push_back(done);
    });
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_TRUE(results[0].ok);
    EXPECT_EQ(results[0].text, QStringLiteral("First page text\r\n"));
    EXPECT_FALSE(results[1].ok);
    EXPECT_TRUE(results[1].done);
    EXPECT_TRUE(results[1].reason.startsWith(QStringLiteral("cannot read the image")))
        << results[1].reason.toStdString();
    EXPECT_EQ(results[2].text, QStringLiteral("Third page text\r\n"));
    EXPECT_EQ(StoredTextFor(results[0], kFailure), results[0].text);
    EXPECT_EQ(StoredTextFor(results[1], kFailure), kFailure); // not the engine's fault: no code
}

TEST_F(FileRecognitionTest, FilesTheProgramCannotTakeFailOneByOne)
{
    const QString blank = dir.filePath(QStringLiteral("blank.png"));
    CxImage white(200, 80, 8);
    white.SetGrayPalette();
    std::memset(white.GetBits(), 255, white.GetEffWidth() * white.GetHeight());
    ASSERT_TRUE(white.Save(QFile::encodeName(blank).toStdString(), CXIMAGE_FORMAT_PNG));
    struct Case
    {
        QString path;
        bool ok;
        const char* reason;
    };
    const Case cases[] = {
        {saveBytes(QStringLiteral("noext"), "x"), false, "the file name has no extension"},
        {saveBytes(QStringLiteral("notes.txt"), "x"), false, "not an image type"},
        {dir.filePath(QStringLiteral("gone.png")), false, "cannot read the image"},
        {blank, true, ""},
    };
    COcrEngine engine;
    engine.SetModelsOverride(QStringLiteral("eng"));
    for (const Case& c : cases) {
        const FileResult r = RecognizeFile(engine, kLanguageLatin, c.path);
        EXPECT_EQ(r.ok, c.ok) << c.path.toStdString();
        EXPECT_EQ(r.reason.left(int(std::strlen(c.reason))), QLatin1String(c.reason))
            << c.path.toStdString();
        // Nothing read is stored as the failure text, never as an empty entry.
        EXPECT_EQ(StoredTextFor(r, kFailure), kFailure);
    }
}

TEST_F(FileRecognitionTest, EngineErrorsAreStoredWithMessageAndCode)
{
    FileResult r;
    r.done = true;
    r.engineError = QStringLiteral("cannot load 'xyz' from 'the default model folder'");
    r.engineCode = 1;
    EXPECT_EQ(StoredTextFor(r, kFailure), kFailure + QStringLiteral("\r\nOcr error infomation: ") +
                                              r.engineError + QStringLiteral("\r\nError code: 1"));
    // A start that fails for want of a model gives that entry for every file.
    RecognitionOptions o = options();
    o.modelsOverride = QStringLiteral("xyz");
    const auto results = RecognizeFiles(
        {savePage(QStringLiteral("x.png"), QStringLiteral("x"), CXIMAGE_FORMAT_PNG)}, o);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].engineCode, 1);
    EXPECT_TRUE(StoredTextFor(results[0], kFailure).contains(QStringLiteral("Error code: 1")));
}

TEST_F(FileRecognitionTest, CancelledBeforeStartRecognisesNothing)
{
    const QStringList paths = {
        savePage(QStringLiteral("a.png"), QStringLiteral("one"), CXIMAGE_FORMAT_PNG),
        savePage(QStringLiteral("b.png"), QStringLiteral("two"), CXIMAGE_FORMAT_PNG)};
    std::atomic<bool> cancel{true};
    const auto results = RecognizeFiles(paths, options(), &cancel);
    ASSERT_EQ(results.size(), 2u);
    for (const FileResult& r : results) {
        EXPECT_FALSE(r.done);
        EXPECT_EQ(r.path, paths[&r - results.data()]);
    }
}

} // namespace
