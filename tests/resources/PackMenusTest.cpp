// Menus, toolbars and bitmaps of the language packs: well-formed trees, the
// same commands in every language, unique mnemonics, a string for every
// command and toolbar strips that match their button lists.
#include "PackFixture.h"

#include <QJsonArray>
#include <QSet>

#include <gtest/gtest.h>

namespace {

// Recent-file placeholder: its string is the menu text itself.
constexpr int kRecentFile = 57616;

class PackMenus : public ::testing::TestWithParam<QString>
{
};

// Checks the shape of one menu level and returns its command signature.
QString checkLevel(const QJsonArray& items, const std::string& where, QList<int>* ids)
{
    QString signature;
    QSet<QChar> mnemonics;
    for (const QJsonValue& v : items) {
        const QJsonObject item = v.toObject();
        EXPECT_TRUE(v.isObject()) << where;
        if (item.value(QLatin1String("separator")).toBool()) {
            EXPECT_EQ(item.size(), 1) << where << ": separator with other keys";
            signature += QLatin1Char('-');
            continue;
        }
        const QString text = item.value(QLatin1String("text")).toString();
        EXPECT_FALSE(text.trimmed().isEmpty()) << where << ": item without text";
        const QString label = text.section(QLatin1Char('\t'), 0, 0);
        QString plain = label;
        plain.replace(QLatin1String("&&"), QString());
        const int amp = plain.indexOf(QLatin1Char('&'));
        EXPECT_EQ(plain.count(QLatin1Char('&')), amp < 0 ? 0 : 1)
            << where << ": " << text.toStdString();
        if (amp >= 0 && amp + 1 < plain.size()) {
            const QChar m = plain.at(amp + 1).toLower();
            EXPECT_FALSE(mnemonics.contains(m))
                << where << ": mnemonic " << QString(m).toStdString() << " twice, at "
                << text.toStdString();
            mnemonics.insert(m);
        }
        if (item.contains(QLatin1String("items"))) {
            EXPECT_FALSE(item.contains(QLatin1String("id"))) << where;
            const QJsonArray sub = item.value(QLatin1String("items")).toArray();
            EXPECT_FALSE(sub.isEmpty()) << where << ": empty popup " << text.toStdString();
            signature += QLatin1Char('(') +
                         checkLevel(sub, where + " > " + label.toStdString(), ids) +
                         QLatin1Char(')');
        } else {
            const QJsonValue id = item.value(QLatin1String("id"));
            EXPECT_TRUE(id.isDouble() && id.toInt() > 0) << where << ": " << text.toStdString();
            ids->append(id.toInt());
            signature += QString::number(id.toInt()) + QLatin1Char('/') +
                         text.section(QLatin1Char('\t'), 1) + QLatin1Char(',');
        }
    }
    return signature;
}

QString menuSignature(const QString& stem, const QString& file, QList<int>* ids)
{
    const QJsonValue menu = packJson(openPack(stem), file);
    EXPECT_TRUE(menu.isArray()) << stem.toStdString() << " " << file.toStdString();
    return checkLevel(menu.toArray(), stem.toStdString() + " " + file.toStdString(), ids);
}

QList<int> toolbar(const QString& stem, const QString& file)
{
    QList<int> ids;
    const QJsonValue bar = packJson(openPack(stem), file);
    EXPECT_TRUE(bar.isArray()) << stem.toStdString() << " " << file.toStdString();
    for (const QJsonValue& v : bar.toArray()) {
        EXPECT_TRUE(v.isDouble() && v.toInt() >= 0) << file.toStdString();
        ids.append(v.toInt());
    }
    return ids;
}

TEST_P(PackMenus, MenusAreWellFormedAndMatchTheEnglishOnes)
{
    QList<int> ids, enIds;
    for (const char* file : {"menu128.json", "menu155.json"}) {
        const QString name = QLatin1String(file);
        const QString own = menuSignature(GetParam(), name, &ids);
        const QString en = menuSignature(QStringLiteral("en"), name, &enIds);
        EXPECT_FALSE(own.isEmpty());
        EXPECT_EQ(own, en) << name.toStdString()
                           << ": other commands, order or shortcuts than English";
    }
    // The thumbnail context menu is shown as submenu 0.
    const QJsonArray context =
        packJson(openPack(GetParam()), QStringLiteral("menu155.json")).toArray();
    ASSERT_FALSE(context.isEmpty());
    EXPECT_TRUE(context.at(0).toObject().contains(QLatin1String("items")));
}

TEST_P(PackMenus, EveryCommandHasStatusTipAndTooltip)
{
    QList<int> ids;
    menuSignature(GetParam(), QStringLiteral("menu128.json"), &ids);
    menuSignature(GetParam(), QStringLiteral("menu155.json"), &ids);
    for (const char* file : {"toolbar128.json", "toolbar168.json"})
        for (int id : toolbar(GetParam(), QLatin1String(file)))
            if (id != 0)
                ids.append(id);
    const auto strings = packStrings(openPack(GetParam()));
    for (int id : ids) {
        ASSERT_TRUE(strings.count(id)) << "command " << id << " has no string";
        if (id == kRecentFile)
            continue;
        const QStringList parts = strings.at(id).split(QLatin1Char('\n'));
        ASSERT_EQ(parts.size(), 2) << "command " << id << ": " << strings.at(id).toStdString();
        EXPECT_FALSE(parts[0].trimmed().isEmpty()) << "command " << id << " status tip";
        EXPECT_FALSE(parts[1].trimmed().isEmpty()) << "command " << id << " tooltip";
    }
}

TEST_P(PackMenus, ToolbarsListTheEnglishCommands)
{
    for (const char* file : {"toolbar128.json", "toolbar168.json"}) {
        const QList<int> own = toolbar(GetParam(), QLatin1String(file));
        EXPECT_FALSE(own.isEmpty());
        EXPECT_EQ(own, toolbar(QStringLiteral("en"), QLatin1String(file))) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(AllPacks, PackMenus,
                         ::testing::ValuesIn(packStems().begin(), packStems().end()),
                         [](const auto& info) { return info.param.toStdString(); });

} // namespace
