// The language table shared by the program and the command-line tool: codes
// as the settings write them, and every language's pack and help pages.

#include "config/Languages.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <set>

namespace languages = scriva::languages;

TEST(Languages, CodesAndIndexesMatchBothWays)
{
    struct Case
    {
        const char* code;
        int index;
    };
    const Case cases[] = {{"EN", 1}, {"Cht", 3}, {"CATA", 11}, {"c", 0}, {"", 0}, {"en ", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(languages::IndexOfCode(QLatin1String(c.code)), c.index) << c.code;
    EXPECT_EQ(languages::CodeOfIndex(6), QStringLiteral("fre"));
    EXPECT_EQ(languages::CodeOfIndex(12), QString());
    EXPECT_EQ(languages::PackFile(7), QStringLiteral("resDll/GerResDll.rcc"));
    EXPECT_EQ(languages::PackFile(0), QString());
    EXPECT_STREQ(languages::Info(0).code, "en"); // outside the table: English
    EXPECT_STREQ(languages::InfoOfCode(QStringLiteral("CHT")).code, "cht");
    EXPECT_STREQ(languages::InfoOfCode(QStringLiteral("xx")).code, "en"); // unknown: English
    for (int index = 1; index <= languages::kCount; ++index) {
        EXPECT_EQ(languages::Info(index).index, index);
        EXPECT_EQ(languages::IndexOfCode(languages::CodeOfIndex(index)), index);
        EXPECT_EQ(languages::IndexOfCommand(languages::Info(index).command), index);
    }
    EXPECT_EQ(languages::IndexOfCommand(32807), 0);
}

TEST(Languages, EveryLanguageHasItsPackAndHelpPages)
{
    std::set<int> commands;
    for (int index = 1; index <= languages::kCount; ++index) {
        const languages::Language& language = languages::Info(index);
        EXPECT_TRUE(QFileInfo::exists(QStringLiteral(SCRIVA_TEST_DATA_DIR "/") +
                                      languages::PackFile(index)))
            << language.packFile;
        EXPECT_TRUE(QFileInfo::exists(QStringLiteral(SCRIVA_TEST_SOURCE_DIR "/resources/help/") +
                                      QLatin1String(language.helpFolder) +
                                      QStringLiteral("/index.html")))
            << language.helpFolder;
        EXPECT_TRUE(commands.insert(language.command).second) << language.command;
    }
}
