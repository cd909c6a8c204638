// Token splitting and number reading of single settings entries.

#include "config/CConfigEntry.h"

#include <gtest/gtest.h>
#include <limits>

TEST(ConfigEntry, SplitsAtCommaLineBreaksAndTabsWithoutEmptyTokens)
{
    EXPECT_EQ(CConfigEntry::SplitTokens(QStringLiteral("800, 600")),
              QStringList({QStringLiteral("800"), QStringLiteral(" 600")}));
    EXPECT_EQ(CConfigEntry::SplitTokens(QStringLiteral(",,a,\t\r\nb c,,")),
              QStringList({QStringLiteral("a"), QStringLiteral("b c")}));
    EXPECT_TRUE(CConfigEntry::SplitTokens(QString()).isEmpty());
    EXPECT_TRUE(CConfigEntry::SplitTokens(QStringLiteral(",\t,\n")).isEmpty());
    EXPECT_EQ(CConfigEntry::SplitTokens(QStringLiteral("x")), QStringList({QStringLiteral("x")}));
}

TEST(ConfigEntry, SetRecomputesTokensAndTokenAccessIsBounded)
{
    CConfigEntry entry;
    entry.Set(QStringLiteral("210, 297"), QStringLiteral("; A4"));
    EXPECT_EQ(entry.Value(), QStringLiteral("210, 297"));
    EXPECT_EQ(entry.Comment(), QStringLiteral("; A4"));
    int32_t out = -5;
    EXPECT_EQ(entry.GetTokenInt(1, out), 297);
    EXPECT_EQ(out, 297);
    EXPECT_EQ(entry.GetToken(0), QStringLiteral("210"));
    EXPECT_TRUE(entry.GetToken(2).isEmpty());
    EXPECT_TRUE(entry.GetToken(-1).isEmpty());
    EXPECT_EQ(entry.GetTokenInt(7, out), 0);
    EXPECT_EQ(out, 0);

    entry.Set(QStringLiteral("one"), QString());
    EXPECT_EQ(entry.Tokens(), QStringList({QStringLiteral("one")}));
}

TEST(ConfigEntry, ParseIntReadsLeadingNumberLikeTheCLibrary)
{
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("  12abc")), 12);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("abc")), 0);
    EXPECT_EQ(CConfigEntry::ParseInt(QString()), 0);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("\t\n\v\f\r -7x")), -7);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("+42")), 42);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("- 4")), 0);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("--4")), 0);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("0x1F")), 0);
    // Digits outside ASCII are not digits here.
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("\u0661\u0662")), 0);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("\uFF11")), 0);
}

TEST(ConfigEntry, ParseIntSaturatesAtThe32BitLimits)
{
    constexpr int32_t maxInt = std::numeric_limits<int32_t>::max();
    constexpr int32_t minInt = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("2147483647")), maxInt);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("2147483648")), maxInt);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("-2147483648")), minInt);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("-2147483649")), minInt);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("9999999999999999999")), maxInt);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("-999999999999999999")), minInt);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("4294967295")), maxInt);
}

TEST(ConfigEntry, ParseIntSeesOnlyTheFirst19Characters)
{
    // 19 characters: all count.
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("0000000000000000012")), 12);
    // 20 characters: the last digit is cut off.
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("00000000000000000123")), 12);
    EXPECT_EQ(CConfigEntry::ParseInt(QString(18, u' ') + u'7'), 7);
    EXPECT_EQ(CConfigEntry::ParseInt(QString(19, u' ') + u'7'), 0);
    EXPECT_EQ(CConfigEntry::ParseInt(QStringLiteral("-000000000000000005")), -5);
}
