// Help pages of the eleven languages in the data folder: present, UTF-8, the
// same sections and shortcut rows as the English page, and translated.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <gtest/gtest.h>

namespace {

const char* const kNames[] = {"enHelp",  "ChHelp", "ChtHelp", "PgHelp",  "JpHelp",  "FREHelp",
                              "GERHelp", "KoHelp", "SpaHelp", "BasHelp", "CataHelp"};

QString dataFolder()
{
    const QByteArray env = qgetenv("SCRIVA_DATA_DIR");
    return env.isEmpty() ? QDir::currentPath() : QString::fromLocal8Bit(env);
}

QString readPage(const char* name, bool* utf8)
{
    QFile f(dataFolder() + QStringLiteral("/help/%1/index.html").arg(QLatin1String(name)));
    *utf8 = false;
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(f.readAll());
    *utf8 = !decode.hasError();
    return text;
}

int count(const QString& text, const QString& pattern)
{
    return int(text.count(QRegularExpression(pattern)));
}

TEST(HelpPages, EveryLanguageHasATranslatedPageWithTheSameOutline)
{
    bool utf8 = false;
    const QString en = readPage("enHelp", &utf8);
    ASSERT_FALSE(en.isEmpty());
    const int sections = count(en, QStringLiteral("<h2 "));
    const int rows = count(en, QStringLiteral("<tr>"));
    EXPECT_GE(sections, 5);
    QStringList languages;
    for (const char* name : kNames) {
        const QString page = readPage(name, &utf8);
        ASSERT_FALSE(page.isEmpty()) << name << " missing";
        EXPECT_TRUE(utf8) << name;
        EXPECT_EQ(count(page, QStringLiteral("<h2 ")), sections) << name;
        EXPECT_EQ(count(page, QStringLiteral("<tr>")), rows) << name;
        EXPECT_EQ(count(page, QStringLiteral("<p>")), count(en, QStringLiteral("<p>"))) << name;
        EXPECT_TRUE(page.contains(QLatin1String("</html>"))) << name;
        const QString lang =
            QRegularExpression(QStringLiteral("<html lang=\"([^\"]+)\"")).match(page).captured(1);
        EXPECT_FALSE(lang.isEmpty()) << name;
        EXPECT_FALSE(languages.contains(lang))
            << name << " repeats language " << lang.toStdString();
        languages << lang;
        if (QLatin1String(name) != QLatin1String("enHelp")) {
            EXPECT_NE(page.section(QLatin1String("<body>"), 1),
                      en.section(QLatin1String("<body>"), 1))
                << name;
        }
    }
}

// Every picture and style sheet a page names is shipped beside the pages.
TEST(HelpPages, EveryReferencedFileIsShipped)
{
    bool utf8 = false;
    for (const char* name : kNames) {
        const QString page = readPage(name, &utf8);
        const QRegularExpression ref(QStringLiteral("(?:src|href)=\"(\\.\\./[^\"#]+)\""));
        int count = 0;
        for (auto it = ref.globalMatch(page); it.hasNext(); ++count) {
            const QString file = QStringLiteral("%1/help/%2/%3")
                                     .arg(dataFolder(), QLatin1String(name), it.next().captured(1));
            EXPECT_TRUE(QFile::exists(file)) << name << " names " << file.toStdString();
        }
        EXPECT_GE(count, 2) << name; // the style sheet and at least one picture
    }
}

} // namespace
