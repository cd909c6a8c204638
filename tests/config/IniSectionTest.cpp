// One section of a hand-edited INI file rewritten in place: comments, order, other sections
// and line ends stay; the header keeps its real name (also when an earlier version wrote it
// %-escaped); a missing file or section is created.

#include "config/IniSection.h"
#include "ConfigTestUtil.h"

#include <gtest/gtest.h>

using configtest::readBytes;
using configtest::writeBytes;

namespace {

const QString kRecent = QStringLiteral("Recent File List");

QList<QPair<QString, QString>> files(const QStringList& paths)
{
    QList<QPair<QString, QString>> out;
    for (int i = 0; i < paths.size(); ++i)
        out.append({QStringLiteral("File%1").arg(i + 1), paths[i]});
    return out;
}

} // namespace

TEST(IniSection, RewritesOnlyItsKeysAndKeepsTheRest)
{
    QTemporaryDir dir;
    const QString ini = dir.path() + QStringLiteral("/profile.ini");
    ASSERT_TRUE(writeBytes(ini, "; my camera\r\n[camera]\r\nSource=test ; by hand\r\n\r\n"
                                "[Recent File List]\r\n; newest first\r\nFile1=/a.jpg\r\n"
                                "File2=/b.jpg\r\nFile3=/c.jpg\r\n\r\n[buttons]\r\n0x2fe=0x40\r\n"));
    const IniSection recent(ini, kRecent);
    EXPECT_EQ(recent.Read(), files({"/a.jpg", "/b.jpg", "/c.jpg"}));
    QString error;
    ASSERT_TRUE(recent.Write(files({"/new, odd;name.jpg", "/a.jpg"}), {"File3", "File4"}, &error))
        << qPrintable(error);
    EXPECT_EQ(readBytes(ini), QByteArray("; my camera\r\n[camera]\r\nSource=test ; by hand\r\n\r\n"
                                         "[Recent File List]\r\n; newest first\r\n"
                                         "File1=/new, odd;name.jpg\r\nFile2=/a.jpg\r\n\r\n"
                                         "[buttons]\r\n0x2fe=0x40\r\n"));
    EXPECT_EQ(recent.Read(), files({"/new, odd;name.jpg", "/a.jpg"}));
    ASSERT_TRUE(recent.Write(files({"/x", "/y", "/z"}), {"File4"}));
    EXPECT_EQ(recent.Read(), files({"/x", "/y", "/z"}));
    EXPECT_TRUE(readBytes(ini).contains("File2=/y\r\nFile3=/z\r\n\r\n[buttons]"));
}

TEST(IniSection, EscapedHeaderAndQuotedValuesOfAnEarlierVersionAreRead)
{
    QTemporaryDir dir;
    const QString ini = dir.path() + QStringLiteral("/profile.ini");
    ASSERT_TRUE(writeBytes(ini, "[camera]\nModel=2\n\n[Recent%20File%20List]\n"
                                "File1=\"/scans/a, b.jpg\"\nFile2=/c.jpg\n"));
    const IniSection recent(ini, kRecent);
    EXPECT_EQ(recent.Read(), files({"/scans/a, b.jpg", "/c.jpg"}));
    ASSERT_TRUE(recent.Write(files({"/d.jpg"}), {"File2", "File3", "File4"}));
    EXPECT_EQ(readBytes(ini),
              QByteArray("[camera]\nModel=2\n\n[Recent File List]\nFile1=/d.jpg\n"));
}

TEST(IniSection, MissingFileOrSectionIsCreated)
{
    QTemporaryDir dir;
    const QString ini = dir.path() + QStringLiteral("/profile.ini");
    const IniSection recent(ini, kRecent);
    EXPECT_TRUE(recent.Read().isEmpty());
    ASSERT_TRUE(recent.Write(files({"/a.jpg"}), {}));
    EXPECT_EQ(readBytes(ini), QByteArray("[Recent File List]\nFile1=/a.jpg\n"));
    ASSERT_TRUE(writeBytes(ini, "[camera]\nSource=demo")); // no line end at the end
    ASSERT_TRUE(recent.Write(files({"/b.jpg"}), {}));
    EXPECT_EQ(readBytes(ini),
              QByteArray("[camera]\nSource=demo\n[Recent File List]\nFile1=/b.jpg\n"));
}
