// Writing settings files: the exact bytes, stability after the first save,
// changes through SetString/SetInt/AddSection, and refused values.

#include "ConfigTestUtil.h"
#include "config/CConfigFile.h"

#include <gtest/gtest.h>

using configtest::readBytes;
using configtest::utf16;
using configtest::writeBytes;

namespace {

class ConfigWrite : public ::testing::Test
{
protected:
    QString file(const QString& name) const { return m_dir.path() + u'/' + name; }
    QByteArray saved(const CConfigFile& config, const QString& name)
    {
        EXPECT_TRUE(config.Save(file(name)));
        return readBytes(file(name));
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ConfigWrite, WritesSortedSectionsAndKeysInTheFixedLineForm)
{
    CConfigFile config;
    config.LoadFromBytes(utf16(QStringLiteral("[b]\r\nz=1\r\n[B]\r\n y = two ;c\r\n a=\r\n"
                                              "[A]\r\n[a]\r\nk = v\r\n")));
    ASSERT_TRUE(
        config.SetString(QStringLiteral("new"), QStringLiteral("x y"), QStringLiteral("B")));
    ASSERT_TRUE(config.AddSection(QStringLiteral("Empty")));
    const QString expected = QStringLiteral("[A]\r\n\r\n"
                                            "[B]\r\na = ;\r\nnew = x y\r\ny = two;c\r\n\r\n"
                                            "[Empty]\r\n\r\n"
                                            "[a]\r\nk = v;\r\n\r\n"
                                            "[b]\r\nz = 1;\r\n\r\n");
    EXPECT_EQ(saved(config, QStringLiteral("out.cfg")), utf16(expected));
    EXPECT_EQ(config.ToBytes(), utf16(expected));

    CConfigFile empty;
    EXPECT_EQ(saved(empty, QStringLiteral("empty.cfg")), utf16(QString()));
}

TEST_F(ConfigWrite, FileIsStableAfterTheFirstSave)
{
    CConfigFile first;
    first.LoadFromBytes(utf16(QStringLiteral("; leading comment\r\n\r\n[S] ; header note\r\n"
                                             "b=2\r\n a = 1 ;one\r\nlist = 1,\t2,, 3\r\n"
                                             "junk line\r\n[R]\r\nr = \r\n")));
    ASSERT_TRUE(first.SetString(QStringLiteral("fresh"), QStringLiteral("f"), QStringLiteral("S")));
    const QByteArray once = saved(first, QStringLiteral("once.cfg"));
    // A key set in memory has no comment and is written without ';' ...
    EXPECT_TRUE(once.contains(utf16(QStringLiteral("fresh = f\r\n"), false)));

    CConfigFile second;
    ASSERT_TRUE(second.Load(file(QStringLiteral("once.cfg"))));
    const QByteArray twice = saved(second, QStringLiteral("twice.cfg"));
    // ... so it gains the ';' once, and from then on nothing changes.
    EXPECT_TRUE(twice.contains(utf16(QStringLiteral("fresh = f;\r\n"), false)));
    CConfigFile third;
    ASSERT_TRUE(third.Load(file(QStringLiteral("twice.cfg"))));
    EXPECT_EQ(saved(third, QStringLiteral("thrice.cfg")), twice);
    EXPECT_EQ(third.GetString(QStringLiteral("list"), QStringLiteral("S")),
              QStringLiteral("1,\t2,, 3"));
}

TEST_F(ConfigWrite, SetStringCreatesSectionsAndKeepsExistingComments)
{
    CConfigFile config;
    config.LoadFromBytes(utf16(QStringLiteral("[S]\r\nk = old ; why\r\n")));
    ASSERT_TRUE(config.SetString(QStringLiteral("k"), QStringLiteral("new"), QStringLiteral("S")));
    ASSERT_TRUE(config.SetString(QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("T")));
    CConfigEntry entry;
    ASSERT_TRUE(config.GetEntry(QStringLiteral("k"), entry, QStringLiteral("S")));
    EXPECT_EQ(entry.Value(), QStringLiteral("new"));
    EXPECT_EQ(entry.Comment(), QStringLiteral("; why"));
    ASSERT_TRUE(config.GetEntry(QStringLiteral("k"), entry, QStringLiteral("T")));
    EXPECT_EQ(entry.Comment(), QString());
    EXPECT_EQ(config.ToBytes(),
              utf16(QStringLiteral("[S]\r\nk = new; why\r\n\r\n[T]\r\nk = v\r\n\r\n")));

    ASSERT_TRUE(
        config.SetString(QStringLiteral("list"), QStringLiteral("a,b"), QStringLiteral("S")));
    ASSERT_TRUE(config.GetEntry(QStringLiteral("list"), entry, QStringLiteral("S")));
    EXPECT_EQ(entry.Tokens().size(), 2);
    EXPECT_FALSE(config.AddSection(QStringLiteral("S")));
    EXPECT_TRUE(config.AddSection(QStringLiteral("s")));
}

TEST_F(ConfigWrite, SetIntFormatsLikePrintfD)
{
    CConfigFile config;
    ASSERT_TRUE(config.SetInt(QStringLiteral("n"), int32_t(7), QStringLiteral("S")));
    EXPECT_EQ(config.GetString(QStringLiteral("n"), QStringLiteral("S")), QStringLiteral("7"));
    ASSERT_TRUE(config.SetInt(QStringLiteral("n"), int32_t(-2147483647 - 1), QStringLiteral("S")));
    EXPECT_EQ(config.GetString(QStringLiteral("n"), QStringLiteral("S")),
              QStringLiteral("-2147483648"));
    ASSERT_TRUE(config.SetInt(QStringLiteral("u"), uint32_t(4294967295u), QStringLiteral("S")));
    EXPECT_EQ(config.GetString(QStringLiteral("u"), QStringLiteral("S")), QStringLiteral("-1"));
    uint32_t back = 0;
    EXPECT_EQ(config.GetInt(QStringLiteral("u"), back, QStringLiteral("S")), 4294967295u);
}

TEST_F(ConfigWrite, RefusesWhatWouldNotReadBack)
{
    CConfigFile config;
    config.LoadFromBytes(utf16(QStringLiteral("[S]\r\nk = keep ;c\r\n")));
    const QByteArray before = config.ToBytes();
    const QString S = QStringLiteral("S");
    for (const QString& bad :
         {QStringLiteral("a;b"), QStringLiteral("a\rb"), QStringLiteral("a\nb"),
          QStringLiteral(";"), QStringLiteral("x\r\n[T]\r\ny = z")}) {
        EXPECT_FALSE(config.SetString(QStringLiteral("k"), bad, S)) << qPrintable(bad);
        EXPECT_FALSE(config.SetString(QStringLiteral("other"), bad, S)) << qPrintable(bad);
        EXPECT_FALSE(CConfigFile::SetProblem(QStringLiteral("k"), bad, S).isEmpty());
    }
    // Names that the reader would turn into something else.
    EXPECT_FALSE(config.SetString(QStringLiteral("a=b"), QStringLiteral("v"), S));
    EXPECT_FALSE(config.SetString(QStringLiteral(" k"), QStringLiteral("v"), S));
    EXPECT_FALSE(config.SetString(QStringLiteral("k;"), QStringLiteral("v"), S));
    EXPECT_FALSE(config.SetString(QStringLiteral("[x"), QStringLiteral("y]"), S));
    EXPECT_FALSE(config.SetString(QStringLiteral("k"), QStringLiteral("v"), QString()));
    EXPECT_FALSE(config.SetString(QStringLiteral("k"), QStringLiteral("v"), QStringLiteral(" S")));
    EXPECT_FALSE(
        config.SetString(QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("a\nb")));
    EXPECT_FALSE(config.AddSection(QString()));
    EXPECT_FALSE(config.AddSection(QStringLiteral("x;y")));
    EXPECT_EQ(config.ToBytes(), before);

    // Unusual but faithful names are fine: an empty key, brackets inside.
    EXPECT_TRUE(config.SetString(QString(), QStringLiteral("empty key"), S));
    EXPECT_TRUE(config.SetString(QStringLiteral("[x"), QStringLiteral("y"), S));
    EXPECT_TRUE(
        config.SetString(QStringLiteral("k"), QStringLiteral("  padded  "), QStringLiteral("a]b")));
    CConfigFile back;
    back.LoadFromBytes(config.ToBytes());
    EXPECT_EQ(back.GetString(QString(), S), QStringLiteral("empty key"));
    EXPECT_EQ(back.GetString(QStringLiteral("[x"), S), QStringLiteral("y"));
    EXPECT_EQ(back.GetString(QStringLiteral("k"), QStringLiteral("a]b")), QStringLiteral("padded"));
}
