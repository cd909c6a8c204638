// The program's folders under temporary XDG folders, first-run seeding of the
// user's settings and the user-over-shipped merge at start-up.

#include "config/AppPaths.h"
#include "ConfigTestUtil.h"
#include "config/CConfigFile.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <sys/stat.h>

using configtest::readBytes;
using configtest::TempXdg;
using configtest::utf16;
using configtest::writeBytes;

TEST(AppPaths, FoldersFollowTheXdgVariables)
{
    TempXdg xdg;
    EXPECT_EQ(scriva::userConfigFolder(), xdg.path("config") + QStringLiteral("/scriva/"));
    EXPECT_EQ(scriva::userConfigFile(), xdg.path("config") + QStringLiteral("/scriva/config.cfg"));
    EXPECT_EQ(scriva::runtimeFolder(), xdg.path("runtime") + u'/');

    const QString cache = scriva::cacheFolder();
    EXPECT_EQ(cache, xdg.path("cache") + QStringLiteral("/scriva/"));
    ASSERT_TRUE(QFileInfo(cache).isDir());
    struct stat info = {};
    ASSERT_EQ(stat(QFile::encodeName(cache).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(scriva::resolveCachePath(QStringLiteral("temp")), cache + QStringLiteral("temp"));
}

TEST(AppPaths, DocumentsFolderIsNeverEmpty)
{
    TempXdg xdg;
    EXPECT_EQ(scriva::documentsFolder(), xdg.path("home") + QStringLiteral("/Documents/"));
    // The user's own choice of documents folder is honoured.
    ASSERT_TRUE(writeBytes(xdg.path("config") + QStringLiteral("/user-dirs.dirs"),
                           QByteArray("XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n")));
    EXPECT_EQ(scriva::documentsFolder(), xdg.path("home") + QStringLiteral("/Papers/"));
    EXPECT_EQ(scriva::resolveDocumentsPath(QStringLiteral("Scriva")),
              xdg.path("home") + QStringLiteral("/Papers/Scriva"));
    EXPECT_EQ(scriva::resolveDocumentsPath(QString()),
              xdg.path("home") + QStringLiteral("/Papers/"));
    EXPECT_EQ(scriva::resolveDocumentsPath(QStringLiteral("\\srv\\photos")),
              QStringLiteral("/srv/photos"));
}

TEST(AppPaths, DataPathsAcceptBothSeparators)
{
    const QString data = scriva::dataFolder();
    ASSERT_TRUE(data.endsWith(u'/'));
    ASSERT_TRUE(QFileInfo(data).isDir());
    // The tests run from the build tree, where the data folder is the
    // executable's own.
    EXPECT_EQ(data, scriva::exeFolder());
    EXPECT_EQ(scriva::shippedConfigFile(), data + QStringLiteral("config/config.cfg"));
    EXPECT_EQ(scriva::resolveDataPath(QStringLiteral("skin\\blue/")),
              data + QStringLiteral("skin/blue/"));
    EXPECT_EQ(scriva::resolveDataPath(QStringLiteral("ocr/")), data + QStringLiteral("ocr/"));
    EXPECT_EQ(scriva::resolveDataPath(QString()), data);
    EXPECT_EQ(scriva::resolveDataPath(QStringLiteral("/usr/share\\tessdata")),
              QStringLiteral("/usr/share/tessdata"));
}

TEST(AppPaths, FirstRunCopiesTheShippedFileByteForByte)
{
    TempXdg xdg;
    const QByteArray shipped = readBytes(scriva::shippedConfigFile());
    ASSERT_FALSE(shipped.isEmpty())
        << "no shipped settings at " << qPrintable(scriva::shippedConfigFile());
    QString message;
    ASSERT_TRUE(scriva::ensureUserConfig(&message)) << qPrintable(message);
    EXPECT_EQ(readBytes(scriva::userConfigFile()), shipped);
    EXPECT_TRUE(QFileInfo(scriva::userConfigFile()).isWritable());

    // Later runs keep what the user has.
    const QByteArray mine = utf16(QStringLiteral("[NORMAL]\r\nlanguage = ger;\r\n\r\n"));
    ASSERT_TRUE(writeBytes(scriva::userConfigFile(), mine));
    ASSERT_TRUE(scriva::ensureUserConfig());
    EXPECT_EQ(readBytes(scriva::userConfigFile()), mine);
}

TEST(AppPaths, SeedingFailureIsReported)
{
    TempXdg xdg;
    // The config "folder" is a file: nothing can be created below it.
    const QString blocker = xdg.path("blocked");
    ASSERT_TRUE(writeBytes(blocker, QByteArray("x")));
    setenv("XDG_CONFIG_HOME", QFile::encodeName(blocker).constData(), 1);
    QString message;
    EXPECT_FALSE(scriva::ensureUserConfig(&message));
    EXPECT_FALSE(message.isEmpty());
    CConfigFile config;
    QString failed;
    QString reason;
    EXPECT_FALSE(scriva::loadSettings(config, &failed, &reason));
    EXPECT_EQ(failed, scriva::userConfigFile());
    EXPECT_EQ(reason, message);
    EXPECT_TRUE(config.Sections().empty());
}

TEST(AppPaths, UserValuesWinAndNewShippedKeysAreFilledIn)
{
    TempXdg xdg;
    ASSERT_TRUE(QDir().mkpath(scriva::userConfigFolder()));
    ASSERT_TRUE(writeBytes(scriva::userConfigFile(),
                           utf16(QStringLiteral("[NORMAL]\r\nlanguage = fre;\r\n\r\n"
                                                "[TAKE_PHOTOS_SET]\r\ninitialValue = 42;\r\n"
                                                "mine = kept;\r\n\r\n"))));
    CConfigFile config;
    QString failed;
    ASSERT_TRUE(scriva::loadSettings(config, &failed)) << qPrintable(failed);
    EXPECT_EQ(config.GetString(QStringLiteral("language"), QStringLiteral("NORMAL")),
              QStringLiteral("fre"));
    int32_t counter = 0;
    EXPECT_EQ(
        config.GetInt(QStringLiteral("initialValue"), counter, QStringLiteral("TAKE_PHOTOS_SET")),
        42);
    EXPECT_EQ(config.GetString(QStringLiteral("mine"), QStringLiteral("TAKE_PHOTOS_SET")),
              QStringLiteral("kept"));
    // Keys the user file lacks come from the shipped file.
    EXPECT_EQ(config.GetString(QStringLiteral("pictureFormat"), QStringLiteral("TAKE_PHOTOS_SET")),
              QStringLiteral("jpg"));
    EXPECT_FALSE(
        config.GetString(QStringLiteral("SkinPath"), QStringLiteral("SKIN_PATH")).isEmpty());
}

TEST(AppPaths, UnreadableUserFileNamesItsPath)
{
    TempXdg xdg;
    // A folder where the file should be cannot be loaded.
    ASSERT_TRUE(QDir().mkpath(scriva::userConfigFile()));
    CConfigFile config;
    QString failed;
    EXPECT_FALSE(scriva::loadSettings(config, &failed));
    EXPECT_EQ(failed, scriva::userConfigFile());
}
