// File names as the file system's bytes: every byte string survives the trip through
// QString, valid UTF-8 converts as Qt's own conversion does, and a folder listing gives
// names that open again.

#include "config/NativePath.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using scriva::NativePath;
using scriva::PathFromNative;

TEST(NativePath, EveryByteStringRoundTrips)
{
    const QByteArray cases[] = {
        "",
        "plain.png",
        "Gr\xC3\xBC\xC3\x9F"
        "e.png",
        "\xE4\xB8\xAD\xE6\x96\x87",
        "caf\xE9.png", // Latin-1
        "\xFF\xFE",
        "a\xC3",
        "\xC3(", // cut or broken sequences
        "\xC0\xAF",
        "\xE0\x80\xAF",         // overlong forms
        "\xED\xA0\x80",         // an encoded surrogate
        "\xF4\x90\x80\x80",     // past U+10FFFF
        "\xF0\x90\x82\x80\xE9", // a valid 4-byte sequence next to a stray byte
        QByteArray("nul\0in", 6),
    };
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.toHex().constData());
        const QString path = PathFromNative(bytes);
        EXPECT_EQ(NativePath(path), bytes);
        if (QString::fromUtf8(bytes).toUtf8() == bytes) { // valid UTF-8: as Qt converts it
            EXPECT_EQ(path, QFile::decodeName(bytes));
        }
    }
    // Text with characters outside the basic plane and real surrogate pairs converts as UTF-8.
    const QString text = QStringLiteral("\U00010080 \u00E9 page");
    EXPECT_EQ(NativePath(text), text.toUtf8());
    EXPECT_EQ(PathFromNative(text.toUtf8()), text);
}

TEST(NativePath, AFolderListingGivesNamesThatOpenAgain)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray names[] = {"caf\xE9.png", "plain.txt", "\xFF"};
    for (const QByteArray& name : names) {
        const int fd = open((folder + "/" + name).constData(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    ASSERT_EQ(mkdir((folder + "/sub\xE9").constData(), 0700), 0);
    std::vector<QString> listed = scriva::FolderEntries(dir.path());
    ASSERT_EQ(listed.size(), 4u);
    std::vector<QByteArray> back;
    for (const QString& name : listed) {
        struct stat st;
        EXPECT_TRUE(scriva::StatPath(dir.path() + "/" + name, &st)) << name.toStdString();
        back.push_back(NativePath(name));
    }
    std::sort(back.begin(), back.end());
    EXPECT_EQ(back, (std::vector<QByteArray>{"caf\xE9.png", "plain.txt", "sub\xE9", "\xFF"}));
    EXPECT_TRUE(scriva::IsFolderPath(dir.path() + "/" + PathFromNative("sub\xE9")));
    EXPECT_FALSE(scriva::IsFolderPath(dir.path() + "/" + PathFromNative("caf\xE9.png")));
    EXPECT_TRUE(scriva::FolderEntries(dir.path() + "/none").empty());
}
