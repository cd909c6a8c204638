// Photo names and folders: the number part by date or counter (with 32-bit
// wrapping), the file name, the save folder under the documents folder, the
// name parts that would leave the folder, and free names that never reuse a
// file.

#include "PhotoTestSupport.h"

#include "capture_view/PhotoNaming.h"
#include "capture_view/PhotoSettings.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace phototest;

TEST(PhotoNamingTest, NumberPartsAndNames)
{
    EXPECT_EQ(PhotoNaming::DateNumber(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))),
              QStringLiteral("2026_03_04_05_06_07"));
    EXPECT_EQ(PhotoNaming::DateNumber(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59))),
              QStringLiteral("2026_12_31_23_59_59"));
    EXPECT_EQ(PhotoNaming::CounterNumber(7), QStringLiteral("7"));
    EXPECT_EQ(PhotoNaming::CounterNumber(-12), QStringLiteral("-12"));
    EXPECT_EQ(PhotoNaming::NextCounter(7, 2), 9);
    EXPECT_EQ(PhotoNaming::NextCounter(INT32_MAX, 1), INT32_MIN);
    EXPECT_EQ(PhotoNaming::NextCounter(INT32_MIN, -1), INT32_MAX);
    EXPECT_EQ(PhotoNaming::FileName("IMG", "7", "jpg"), QStringLiteral("IMG_7.jpg"));
    EXPECT_EQ(PhotoNaming::FileName("", "7", "JPEG"), QStringLiteral("_7.JPEG"));
}

TEST(PhotoNamingTest, RelativeSaveFoldersLieUnderTheDocumentsFolder)
{
    PhotoSandbox box;
    ASSERT_TRUE(box.isValid());
    const QString docs = box.documents();
    EXPECT_EQ(PhotoNaming::SaveFolder("Scriva"), docs + "/Scriva");
    EXPECT_EQ(PhotoNaming::SaveFolder("Scans\\2026"), docs + "/Scans/2026");
    EXPECT_EQ(PhotoNaming::SaveFolder(""), docs);
    EXPECT_EQ(PhotoNaming::SaveFolder("/srv/photos/"), QStringLiteral("/srv/photos"));
    EXPECT_EQ(PhotoNaming::PathIn("/srv/photos", "a.jpg"), QStringLiteral("/srv/photos/a.jpg"));
    EXPECT_TRUE(PhotoNaming::TempBitmapPath("temp", "scan.bmp").endsWith("/scriva/temp/scan.bmp"));
    EXPECT_TRUE(PhotoNaming::TempBitmapPath("temp", "scan.bmp").startsWith(box.path("cache")));
}

// The root and trailing slashes: the root stays the root, and a photo's path
// never gets a doubled slash.
TEST(PhotoNamingTest, TheRootAndTrailingSlashes)
{
    struct Case
    {
        const char* savePath;
        const char* folder;
        const char* photo; // the folder joined with "a.jpg"
    };
    const Case cases[] = {
        {"/", "/", "/a.jpg"},
        {"//", "/", "/a.jpg"},
        {"\\", "/", "/a.jpg"},
        {"/srv", "/srv", "/srv/a.jpg"},
        {"/srv/photos/", "/srv/photos", "/srv/photos/a.jpg"},
        {"/srv/photos///", "/srv/photos", "/srv/photos/a.jpg"},
        {"\\srv\\photos\\", "/srv/photos", "/srv/photos/a.jpg"},
    };
    for (const Case& c : cases) {
        const QString folder = PhotoNaming::SaveFolder(QString::fromUtf8(c.savePath));
        EXPECT_EQ(folder, QString::fromUtf8(c.folder)) << c.savePath;
        EXPECT_EQ(PhotoNaming::PathIn(folder, "a.jpg"), QString::fromUtf8(c.photo)) << c.savePath;
    }
    const std::pair<const char*, const char*> joins[] = {
        {"/", "/a.jpg"}, {"/srv/", "/srv/a.jpg"}, {"/srv", "/srv/a.jpg"}, {"", "/a.jpg"}};
    for (const auto& [folder, path] : joins)
        EXPECT_EQ(PhotoNaming::PathIn(QString::fromUtf8(folder), "a.jpg"), QString::fromUtf8(path))
            << folder;
}

TEST(PhotoNamingTest, NamePartsThatWouldLeaveTheFolderAreRefused)
{
    for (const char* ok : {"IMG", "", "scan..2", "a b", "..x"})
        EXPECT_TRUE(PhotoSettingsReader::IsSafeNamePart(QString::fromUtf8(ok))) << ok;
    for (const char* bad : {"../escape", "a/b", "a\\b", "..", "/abs"})
        EXPECT_FALSE(PhotoSettingsReader::IsSafeNamePart(QString::fromUtf8(bad))) << bad;
    EXPECT_FALSE(PhotoSettingsReader::IsSafeNamePart(QStringLiteral("a") + QChar(0) + "b"));
}

TEST(PhotoNamingTest, FreeNamesNeverReuseAFileOrLink)
{
    PhotoSandbox box;
    const QString folder = box.path("photos");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(writeFile(folder + "/IMG_demo.jpg", "first"));
    ASSERT_TRUE(QFile::link(box.path("elsewhere.jpg"), folder + "/IMG_demo_2.jpg"));
    QFile file;
    QString error;
    const QString path = PhotoNaming::ReserveNewFile(folder, "IMG_demo", "jpg", file, error);
    EXPECT_EQ(path, folder + "/IMG_demo_3.jpg") << qPrintable(error);
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(readFile(folder + "/IMG_demo.jpg"), QByteArray("first"));
    EXPECT_FALSE(QFile::exists(box.path("elsewhere.jpg")));

    QFile other;
    EXPECT_TRUE(
        PhotoNaming::ReserveNewFile(box.path("missing"), "x", "jpg", other, error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}
