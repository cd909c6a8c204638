// The rules of the stored texts (look up, store back, search, save as a file)
// and of the settings that choose the models.

#include "config/CConfigFile.h"
#include "ocr/OcrSettings.h"
#include "ocr/RecognizedTexts.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace scriva::ocr;

namespace {

TEST(StoredTexts, LookupAndStoreChangeOnlyExistingEntries)
{
    TextMap texts{{QStringLiteral("/p/a.png"), QStringLiteral("alpha\r\n")}};
    QString out = QStringLiteral("kept");
    EXPECT_FALSE(LookupText(texts, out, QStringLiteral("/p/b.png")));
    EXPECT_EQ(out, QStringLiteral("kept"));
    EXPECT_TRUE(LookupText(texts, out, QStringLiteral("/p/a.png")));
    EXPECT_EQ(out, QStringLiteral("alpha\r\n"));

    struct Case
    {
        const char* path;
        const char* text;
        bool existed;
        int sizeAfter;
    };
    const Case cases[] = {
        {"/p/b.png", "new", false, 1}, // no entry: nothing is added
        {"/p/a.png", "edited", true, 1},
        {"/p/a.png", "", true, 0}, // empty text removes the entry
        {"/p/a.png", "again", false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StoreText(texts, QString::fromUtf8(c.text), QString::fromUtf8(c.path)), c.existed)
            << c.path << " " << c.text;
        EXPECT_EQ(int(texts.size()), c.sizeAfter);
    }
}

TEST(StoredTexts, SearchIsCaseSensitiveInPathOrderAndMayFindNothing)
{
    const TextMap texts{{QStringLiteral("/p/c.png"), QStringLiteral("Invoice 42")},
                        {QStringLiteral("/p/a.png"), QStringLiteral("invoice 7")},
                        {QStringLiteral("/p/B.png"), QStringLiteral("Invoice 9")},
                        {QStringLiteral("/p/d.png"), QString()}};
    EXPECT_EQ(PathsContaining(texts, QStringLiteral("Invoice")),
              QStringList({QStringLiteral("/p/B.png"), QStringLiteral("/p/c.png")}));
    EXPECT_TRUE(PathsContaining(texts, QStringLiteral("receipt")).isEmpty());
    EXPECT_EQ(PathsContaining(texts, QString()).size(), 3); // every text that is not empty
}

TEST(StoredTexts, PaneAndStoredLineBreaksConvertBothWays)
{
    EXPECT_EQ(ToPaneText(QStringLiteral("a\r\nb\r\n")), QStringLiteral("a\nb\n"));
    EXPECT_EQ(FromPaneText(QStringLiteral("a\nb\n")), QStringLiteral("a\r\nb\r\n"));
    EXPECT_EQ(FromPaneText(QStringLiteral("a\r\nb")), QStringLiteral("a\r\nb"));
}

TEST(StoredTexts, SavingWritesTheSameBytesForEveryExtension)
{
    QTemporaryDir dir;
    const QString text = QStringLiteral("Grüße\r\n中文\r\nlast");
    const QByteArray expected = text.toUtf8();
    for (const char* ext : {"txt", "doc", "xls"}) {
        const QString path = dir.filePath(QStringLiteral("out.") + QLatin1String(ext));
        ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly)); // an older file is replaced
        QString error;
        ASSERT_TRUE(WriteTextFile(path, text, &error)) << error.toStdString();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), expected) << ext; // no BOM, no terminator, CR LF kept
    }
    QString error;
    EXPECT_FALSE(WriteTextFile(dir.filePath(QStringLiteral("no/such/dir/x.txt")), text, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(OcrSettingsRules, ModelsFollowTheInterfaceLanguage)
{
    struct Case
    {
        const char* interface;
        int codeMode;
        const char* models1;
        const char* models2;
        int defaultLanguage;
    };
    const Case cases[] = {
        {"en", 1, "chi_sim+eng", "eng", 2},       {"ch", 1, "chi_sim+eng", "eng", 1},
        {"cht", 2, "chi_tra+eng", "eng", 1},      {"pg", 1, "chi_sim+eng", "eng+por", 2},
        {"jp", 1, "chi_sim+eng", "eng", 2},       {"fre", 1, "chi_sim+eng", "eng+fra", 2},
        {"ger", 1, "chi_sim+eng", "eng+deu", 2},  {"ko", 1, "chi_sim+eng", "eng", 2},
        {"spa", 1, "chi_sim+eng", "eng+spa", 2},  {"bas", 1, "chi_sim+eng", "eng+eus", 2},
        {"cata", 1, "chi_sim+eng", "eng+cat", 2},
    };
    for (const Case& c : cases) {
        const QString code = QString::fromUtf8(c.interface);
        EXPECT_EQ(CodeModeFor(code), c.codeMode) << c.interface;
        EXPECT_EQ(Language1Models(QString(), CodeModeFor(code)), QLatin1String(c.models1));
        EXPECT_EQ(Language2Models(QString(), code), QLatin1String(c.models2)) << c.interface;
        EXPECT_EQ(DefaultLanguageFor(code), c.defaultLanguage) << c.interface;
    }
    // Written settings win over the interface's choice.
    EXPECT_EQ(Language1Models(QStringLiteral("jpn+eng"), 2), QStringLiteral("jpn+eng"));
    EXPECT_EQ(Language2Models(QStringLiteral("deu"), QStringLiteral("fre")), QStringLiteral("deu"));
}

TEST(OcrSettingsRules, PathsAreReadFromTheStore)
{
    CConfigFile config;
    config.SetString(QStringLiteral("ConfigPath"), QStringLiteral("ocr/"),
                     QStringLiteral("OCR_INDENTIFY"));
    config.SetString(QStringLiteral("DataPath"), QStringLiteral("/opt/models"),
                     QStringLiteral("OCR_INDENTIFY"));
    config.SetString(QStringLiteral("Lang2"), QStringLiteral(" eng+deu "),
                     QStringLiteral("OCR_INDENTIFY"));
    config.SetString(QStringLiteral("language"), QStringLiteral("ger"), QStringLiteral("NORMAL"));
    const OcrSettings s = OcrSettings::Read(config);
    EXPECT_TRUE(s.configFile.endsWith(QStringLiteral("/ocr/Quillet_pc.cfg")))
        << s.configFile.toStdString();
    EXPECT_TRUE(QFile::exists(s.configFile))
        << "the shipped parameter file lies in the data folder";
    EXPECT_EQ(s.dataPath, QStringLiteral("/opt/models"));
    EXPECT_EQ(s.language2, QStringLiteral("eng+deu"));
    EXPECT_EQ(s.interfaceCode, QStringLiteral("ger"));
    EXPECT_TRUE(OcrSettings::Defaults().dataPath.isEmpty());
}

} // namespace
