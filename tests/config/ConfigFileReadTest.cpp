// Reading settings files: line structure, headers, key lines, comments, first
// occurrence wins, and malformed input.

#include "ConfigTestUtil.h"
#include "config/CConfigFile.h"

#include <gtest/gtest.h>

using configtest::readBytes;
using configtest::utf16;
using configtest::writeBytes;

namespace {

class ConfigRead : public ::testing::Test
{
protected:
    QString file(const QString& name = QStringLiteral("config.cfg")) const
    {
        return m_dir.path() + u'/' + name;
    }
    // Writes bytes to a real file and loads it into m_config.
    bool loadBytes(const QByteArray& bytes)
    {
        EXPECT_TRUE(writeBytes(file(), bytes));
        return m_config.Load(file());
    }
    bool loadText(const QString& text, bool bom = true) { return loadBytes(utf16(text, bom)); }
    QString get(const QString& section, const QString& key) const
    {
        return m_config.GetString(key, section);
    }
    bool has(const QString& section, const QString& key) const
    {
        CConfigEntry entry;
        return m_config.GetEntry(key, entry, section);
    }
    size_t sectionCount() const { return m_config.Sections().size(); }

    QTemporaryDir m_dir;
    CConfigFile m_config;
};

} // namespace

TEST_F(ConfigRead, EmptyFileAndLoneByteOrderMarkGiveAnEmptyStore)
{
    EXPECT_TRUE(loadBytes(QByteArray()));
    EXPECT_EQ(sectionCount(), 0u);
    EXPECT_TRUE(loadText(QString()));
    EXPECT_EQ(sectionCount(), 0u);
    // A single stray byte is half a code unit: ignored.
    EXPECT_TRUE(loadBytes(QByteArray("\xff", 1)));
    EXPECT_EQ(sectionCount(), 0u);
}

TEST_F(ConfigRead, MissingFileOrFolderFailsAndLeavesTheStoreAlone)
{
    ASSERT_TRUE(loadText(QStringLiteral("[A]\r\nk = v\r\n")));
    QString error;
    EXPECT_FALSE(m_config.Load(file(QStringLiteral("absent.cfg")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(m_config.Load(m_dir.path()));
    EXPECT_EQ(sectionCount(), 1u);
    EXPECT_EQ(get("A", "k"), QStringLiteral("v"));
}

TEST_F(ConfigRead, FileWithoutByteOrderMarkLosesItsFirstCharacter)
{
    testing::internal::CaptureStderr();
    ASSERT_TRUE(loadText(QStringLiteral("[A]\r\nk = v\r\n[B]\r\nx = y\r\n"), false));
    const std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find("byte-order mark"), std::string::npos) << warning;
    EXPECT_FALSE(has("A", "k"));
    EXPECT_FALSE(has("A]", "k"));
    EXPECT_EQ(sectionCount(), 1u);
    EXPECT_EQ(get("B", "x"), QStringLiteral("y"));
}

TEST_F(ConfigRead, LinesEndAtCarriageReturnAndAnUnfinishedLastLineIsIgnored)
{
    ASSERT_TRUE(loadText(QStringLiteral("[A]\r\nk = v\r\nlast = 1")));
    EXPECT_EQ(get("A", "k"), QStringLiteral("v"));
    EXPECT_FALSE(has("A", "last"));

    // LF alone is no line break: the value runs on to the next CR.
    CConfigFile lf;
    ASSERT_TRUE(writeBytes(file(QStringLiteral("lf.cfg")),
                           utf16(QStringLiteral("[A]\r\nk = v\nj = w\r\n"))));
    ASSERT_TRUE(lf.Load(file(QStringLiteral("lf.cfg"))));
    CConfigEntry entry;
    ASSERT_TRUE(lf.GetEntry(QStringLiteral("k"), entry, QStringLiteral("A")));
    EXPECT_EQ(entry.Value(), QStringLiteral("v\nj = w"));
    EXPECT_EQ(entry.Tokens(), QStringList({QStringLiteral("v"), QStringLiteral("j = w")}));
    EXPECT_FALSE(lf.GetEntry(QStringLiteral("j"), entry, QStringLiteral("A")));
}

TEST_F(ConfigRead, CarriageReturnAsLastUnitAndOddTrailingByteStayInBounds)
{
    QByteArray bytes = utf16(QStringLiteral("[A]\r\nk = v\r"));
    bytes.append('\x41');
    ASSERT_TRUE(loadBytes(bytes));
    EXPECT_EQ(get("A", "k"), QStringLiteral("v"));
    // The unit after a CR is skipped whatever it is.
    CConfigFile skip;
    skip.LoadFromBytes(utf16(QStringLiteral("[A]\rXk = v\r\n")));
    EXPECT_EQ(skip.GetString(QStringLiteral("k"), QStringLiteral("A")), QStringLiteral("v"));
}

TEST_F(ConfigRead, HeadersAreTrimmedAndEmptyOnesIgnored)
{
    ASSERT_TRUE(loadText(QStringLiteral(" \t[ Sec\t] ; header comment\r\n"
                                        "a = 1\r\n"
                                        "[]\r\n"
                                        "b = 2\r\n"
                                        "[ \t ]\r\n"
                                        "c = 3\r\n"
                                        "[\r\n"
                                        "d = 4\r\n")));
    EXPECT_EQ(sectionCount(), 1u);
    for (const char* key : {"a", "b", "c", "d"})
        EXPECT_TRUE(has("Sec", key)) << key;
    EXPECT_EQ(m_config.Sections().begin()->first, QStringLiteral("Sec"));
}

TEST_F(ConfigRead, KeyLineForms)
{
    ASSERT_TRUE(loadText(QStringLiteral("before = header\r\n"
                                        "[K]\r\n"
                                        "tight=1\r\n"
                                        "  spaced \t=\t  two words  \r\n"
                                        "eq = a = b\r\n"
                                        "= nothing before\r\n"
                                        "empty =\r\n"
                                        "no equals sign\r\n"
                                        "\r\n")));
    EXPECT_EQ(sectionCount(), 1u);
    EXPECT_EQ(get("K", "tight"), QStringLiteral("1"));
    EXPECT_EQ(get("K", "spaced"), QStringLiteral("two words"));
    EXPECT_EQ(get("K", "eq"), QStringLiteral("a = b"));
    EXPECT_EQ(get("K", ""), QStringLiteral("nothing before"));
    EXPECT_TRUE(has("K", "empty"));
    EXPECT_EQ(get("K", "empty"), QString());
    EXPECT_EQ(m_config.Sections().at(QStringLiteral("K")).size(), 5u);
}

TEST_F(ConfigRead, SemicolonStartsTheCommentAndCutsTheValue)
{
    ASSERT_TRUE(loadText(QStringLiteral("[C]\r\n"
                                        "path = C:\\a;b ; note\r\n"
                                        "plain = x\r\n"
                                        "bare = y;\r\n"
                                        "; k = commented out\r\n")));
    CConfigEntry entry;
    ASSERT_TRUE(m_config.GetEntry(QStringLiteral("path"), entry, QStringLiteral("C")));
    EXPECT_EQ(entry.Value(), QStringLiteral("C:\\a"));
    EXPECT_EQ(entry.Comment(), QStringLiteral(";b ; note"));
    ASSERT_TRUE(m_config.GetEntry(QStringLiteral("plain"), entry, QStringLiteral("C")));
    EXPECT_EQ(entry.Comment(), QStringLiteral(";"));
    ASSERT_TRUE(m_config.GetEntry(QStringLiteral("bare"), entry, QStringLiteral("C")));
    EXPECT_EQ(entry.Comment(), QStringLiteral(";"));
    EXPECT_FALSE(has("C", "k"));
    EXPECT_FALSE(has("C", ""));
}

TEST_F(ConfigRead, FirstOccurrenceWinsAndRepeatedHeadersMerge)
{
    ASSERT_TRUE(loadText(QStringLiteral("[A]\r\nk = 1\r\nk = 2\r\n"
                                        "[B]\r\nb = 1\r\n"
                                        "[A]\r\nk = 3\r\nm = 4\r\n")));
    EXPECT_EQ(get("A", "k"), QStringLiteral("1"));
    EXPECT_EQ(get("A", "m"), QStringLiteral("4"));
    EXPECT_EQ(get("B", "b"), QStringLiteral("1"));
    EXPECT_EQ(sectionCount(), 2u);
}

TEST_F(ConfigRead, SecondLoadOnlyAddsWhatIsMissing)
{
    ASSERT_TRUE(loadText(QStringLiteral("[A]\r\nk = user\r\n")));
    ASSERT_TRUE(
        writeBytes(file(QStringLiteral("more.cfg")),
                   utf16(QStringLiteral("[A]\r\nk = shipped\r\nnew = n\r\n[Z]\r\nz = 1\r\n"))));
    ASSERT_TRUE(m_config.Load(file(QStringLiteral("more.cfg"))));
    EXPECT_EQ(get("A", "k"), QStringLiteral("user"));
    EXPECT_EQ(get("A", "new"), QStringLiteral("n"));
    EXPECT_EQ(get("Z", "z"), QStringLiteral("1"));
}

TEST_F(ConfigRead, NamesAreCaseSensitiveAndMissingOnesReadEmpty)
{
    ASSERT_TRUE(loadText(QStringLiteral("[a]\r\nKey = lower section\r\n[A]\r\nkey = upper\r\n")));
    EXPECT_EQ(sectionCount(), 2u);
    EXPECT_EQ(get("a", "Key"), QStringLiteral("lower section"));
    EXPECT_EQ(get("a", "key"), QString());
    EXPECT_EQ(get("A", "key"), QStringLiteral("upper"));
    int32_t value = 99;
    EXPECT_EQ(m_config.GetInt(QStringLiteral("none"), value, QStringLiteral("A")), 0);
    EXPECT_EQ(value, 0);
    CConfigEntry untouched;
    untouched.Set(QStringLiteral("keep"), QStringLiteral(";k"));
    EXPECT_FALSE(m_config.GetEntry(QStringLiteral("none"), untouched, QStringLiteral("A")));
    EXPECT_FALSE(m_config.GetEntry(QStringLiteral("key"), untouched, QStringLiteral("nosection")));
    EXPECT_EQ(untouched.Value(), QStringLiteral("keep"));
    EXPECT_EQ(untouched.Comment(), QStringLiteral(";k"));
}

TEST_F(ConfigRead, NumbersAndListsThroughTheStore)
{
    ASSERT_TRUE(loadText(QStringLiteral("[N]\r\nsize = 800, 600\r\nmixed =   12abc\r\n"
                                        "letters = abc\r\nminus = -1\r\nbig = 123456789012\r\n"
                                        "long = 0000000000000000012345\r\n")));
    int32_t i = 0;
    uint32_t u = 0;
    EXPECT_EQ(m_config.GetInt(QStringLiteral("mixed"), i, QStringLiteral("N")), 12);
    EXPECT_EQ(m_config.GetInt(QStringLiteral("letters"), i, QStringLiteral("N")), 0);
    EXPECT_EQ(m_config.GetInt(QStringLiteral("minus"), u, QStringLiteral("N")), 4294967295u);
    EXPECT_EQ(u, 4294967295u);
    EXPECT_EQ(m_config.GetInt(QStringLiteral("big"), i, QStringLiteral("N")), 2147483647);
    // Only the first 19 characters count: 17 zeros and "12".
    EXPECT_EQ(m_config.GetInt(QStringLiteral("long"), i, QStringLiteral("N")), 12);
    CConfigEntry entry;
    ASSERT_TRUE(m_config.GetEntry(QStringLiteral("size"), entry, QStringLiteral("N")));
    ASSERT_EQ(entry.Tokens().size(), 2);
    int32_t second = 0;
    EXPECT_EQ(entry.GetTokenInt(1, second), 600);
    EXPECT_EQ(entry.GetToken(1), QStringLiteral(" 600"));
    EXPECT_TRUE(entry.GetToken(2).isEmpty());
}

TEST_F(ConfigRead, NonAsciiAndSurrogatesSurviveAndSortByCodeUnit)
{
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const QString text = QStringLiteral("[S]\r\n\uFF01 = full width\r\n") + emoji +
                         QStringLiteral(" = \u65E5\u672C,") + emoji + QStringLiteral("\r\n");
    ASSERT_TRUE(loadText(text));
    const auto table = m_config.Sections().at(QStringLiteral("S"));
    ASSERT_EQ(table.size(), 2u);
    // U+1F600 is stored as D83D DE00, which sorts before U+FF01.
    EXPECT_EQ(table.begin()->first, emoji);
    CConfigEntry entry;
    ASSERT_TRUE(m_config.GetEntry(emoji, entry, QStringLiteral("S")));
    EXPECT_EQ(entry.Tokens(), QStringList({QStringLiteral("\u65E5\u672C"), emoji}));
    // A lone surrogate in the file is kept as it is.
    CConfigFile lone;
    lone.LoadFromBytes(
        utf16(QStringLiteral("[S]\r\nk = a") + QChar(0xDC00) + QStringLiteral("\r\n")));
    EXPECT_EQ(lone.GetString(QStringLiteral("k"), QStringLiteral("S")),
              QStringLiteral("a") + QChar(0xDC00));
}

TEST_F(ConfigRead, OversizedFilesAndEndlessDevicesAreRefused)
{
    ASSERT_TRUE(loadText(QStringLiteral("[A]\r\nk = v\r\n")));
    QFile big(file(QStringLiteral("big.cfg")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(17 * 1024 * 1024));
    big.close();
    QString error;
    EXPECT_FALSE(m_config.Load(big.fileName(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(m_config.Load(QStringLiteral("/dev/zero")));
    EXPECT_EQ(sectionCount(), 1u);
    EXPECT_EQ(get("A", "k"), QStringLiteral("v"));
}
