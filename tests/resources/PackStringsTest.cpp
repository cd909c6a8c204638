// String tables of the eleven language packs: complete, translated, with the
// placeholders and field layout the program fills in.
#include "PackFixture.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// printf-style and Qt-style placeholders, "%%" included; "100 %" is plain text.
QStringList placeholders(const QString& text)
{
    static const QRegularExpression re(
        QStringLiteral("%(\\d+|[-+#0]*\\d*(?:\\.\\d+)?[sdifuxXc]|%)"));
    QStringList found;
    for (auto it = re.globalMatch(text); it.hasNext();)
        found << it.next().captured(0);
    return found;
}

QStringList qtArgsSorted(QStringList list)
{
    QStringList qtArgs;
    for (const QString& p : list)
        if (p.size() > 1 && p.at(1).isDigit())
            qtArgs << p;
    std::sort(qtArgs.begin(), qtArgs.end());
    return qtArgs;
}

QStringList printfInOrder(const QStringList& list)
{
    QStringList out;
    for (const QString& p : list)
        if (!(p.size() > 1 && p.at(1).isDigit()))
            out << p;
    return out;
}

class PackStrings : public ::testing::TestWithParam<QString>
{
};

TEST(PackFiles, AllElevenPacksRegister)
{
    ASSERT_EQ(packStems().size(), 11);
    for (const QString& stem : packStems()) {
        const PackInfo& pack = openPack(stem);
        EXPECT_TRUE(pack.registered) << stem.toStdString() << "ResDll.rcc does not register";
        for (const char* file :
             {"strings.json", "menu128.json", "menu155.json", "toolbar128.json", "toolbar168.json"})
            EXPECT_FALSE(packFile(pack, QLatin1String(file)).isEmpty())
                << stem.toStdString() << " " << file;
    }
}

TEST(PackFiles, EnglishHoldsEveryIdTheProgramAsksFor)
{
    const auto en = packStrings(openPack(QStringLiteral("en")));
    const int required[] = {
        128, 57344, 57616, 59145, 59146, 59147, 59148, 59149, 61441, 61444, 61447, 61448, 61449,
        61452, 61453, 61456, 61458, 61459, 61460, 61705, 61800, 61801, 61802, 61804, 61806, 61808,
        61809, 61810, 61811, 61812, 61813, 61814, 61815, 61816, 61817, 61818, 61824, 61829, 61830,
        62001, 62002, 62003, 62004, 62005, 62006, 62020,
        // dialog titles and control texts: About, left pane, capture settings, rotation,
        // resize, preview bar, text, search bar, wait dialogs
        1000000, 1001087, 1301000, 1301019, 1332792, 1332807, 1330000, 1331002, 1331003, 1331004,
        1331005, 1340000, 1341030, 1350000, 1351052, 1351055, 1351061, 1520000, 1521043, 1521046,
        1521047, 1521050, 1521051, 1790000, 1791021, 1791025, 1791031, 1791069, 1791070, 1791071,
        1791076, 1791077, 1810000, 1811083, 1811085, 1820000, 1821086, 1830000, 1831088};
    for (int id : required)
        EXPECT_TRUE(en.count(id) && !en.at(id).isEmpty()) << "string " << id;
    EXPECT_EQ(en.at(62001).count(QStringLiteral("%1")), 1);
    EXPECT_EQ(en.at(62001).count(QStringLiteral("%2")), 1);
}

TEST_P(PackStrings, HasEveryEnglishIdWithTheSamePlaceholders)
{
    const auto en = packStrings(openPack(QStringLiteral("en")));
    const auto own = packStrings(openPack(GetParam()));
    ASSERT_FALSE(en.empty());
    for (const auto& [id, english] : en) {
        auto it = own.find(id);
        ASSERT_NE(it, own.end()) << "string " << id << " missing";
        const QString& text = it->second;
        EXPECT_FALSE(text.trimmed().isEmpty()) << "string " << id << " empty";
        const QStringList a = placeholders(english), b = placeholders(text);
        EXPECT_EQ(printfInOrder(a), printfInOrder(b))
            << "string " << id << ": " << text.toStdString();
        EXPECT_EQ(qtArgsSorted(a), qtArgsSorted(b))
            << "string " << id << ": " << text.toStdString();
        EXPECT_EQ(english.count(QLatin1Char('\n')), text.count(QLatin1Char('\n')))
            << "string " << id << " has another number of lines: " << text.toStdString();
    }
    EXPECT_EQ(own.size(), en.size()) << "ids the English pack does not have";
}

TEST_P(PackStrings, DocumentStringKeepsTheProgramName)
{
    const auto own = packStrings(openPack(GetParam()));
    ASSERT_TRUE(own.count(128));
    const QStringList fields = own.at(128).split(QLatin1Char('\n'));
    ASSERT_EQ(fields.size(), 7);
    EXPECT_EQ(fields[0], QStringLiteral("Scriva"));
    EXPECT_FALSE(fields[1].isEmpty()) << "default document name";
}

// Every pack but the English master one.
class TranslatedPack : public PackStrings
{
};

TEST_P(TranslatedPack, IsTranslatedNotCopied)
{
    const auto en = packStrings(openPack(QStringLiteral("en")));
    const auto own = packStrings(openPack(GetParam()));
    int same = 0;
    for (const auto& [id, english] : en)
        if (own.count(id) && own.at(id) == english)
            ++same;
    // Names, "OK" and the like may stay; a copied table would not.
    EXPECT_LT(same * 10, int(en.size()))
        << same << " of " << en.size() << " strings equal the English ones";
}

static const QStringList& translatedStems()
{
    static const QStringList stems = [] {
        QStringList all = packStems();
        all.removeAll(QStringLiteral("en"));
        return all;
    }();
    return stems;
}

INSTANTIATE_TEST_SUITE_P(OtherPacks, TranslatedPack,
                         ::testing::ValuesIn(translatedStems().begin(), translatedStems().end()),
                         [](const auto& info) { return info.param.toStdString(); });

INSTANTIATE_TEST_SUITE_P(AllPacks, PackStrings,
                         ::testing::ValuesIn(packStems().begin(), packStems().end()),
                         [](const auto& info) { return info.param.toStdString(); });

} // namespace
