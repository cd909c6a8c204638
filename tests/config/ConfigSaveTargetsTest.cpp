// What a settings save may replace, and what it must keep: FIFOs are written into (made in a
// temporary folder), a file not in the store's format is never overwritten, a pipe is not
// read, a save of one's own changes keeps what another program wrote meanwhile, and no
// change is saved without the file's lock, whatever the length of its name.

#include "ConfigTestUtil.h"
#include "config/CConfigFile.h"
#include "config/CConfigFileLock.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using configtest::readBytes;
using configtest::utf16;
using configtest::writeBytes;

namespace {

class ConfigTargets : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const char* name) const { return m_dir.path() + u'/' + QLatin1String(name); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ConfigTargets, FifoIsWrittenIntoAndNeverReadFrom)
{
    const QString fifo = path("pipe.cfg");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    CConfigFile config;
    ASSERT_TRUE(config.SetString(QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("S")));
    QByteArray received;
    std::thread reader([&] { received = readBytes(fifo); });
    QString error;
    EXPECT_TRUE(config.Save(fifo, &error)) << qPrintable(error);
    reader.join();
    EXPECT_EQ(received, config.ToBytes());
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    // Loading a FIFO (no writer) fails at once instead of waiting for ever.
    EXPECT_FALSE(config.Load(fifo, &error));
    EXPECT_EQ(error, QStringLiteral("not a regular file"));
}

TEST_F(ConfigTargets, FileInAnotherFormatIsNeverOverwritten)
{
    const QString utf8 = path("utf8.cfg");
    const QByteArray text = "[NORMAL]\r\nlanguage = de\r\nsavePath = /srv/scans\r\n";
    ASSERT_TRUE(writeBytes(utf8, text));
    CConfigFile config;
    ASSERT_TRUE(config.Load(utf8));
    ASSERT_TRUE(config.SetString(QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("S")));
    QString error;
    EXPECT_FALSE(config.Save(utf8, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a settings file in this program's format")))
        << qPrintable(error);
    EXPECT_FALSE(config.SaveChanges(utf8, &error));
    EXPECT_EQ(readBytes(utf8), text);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) // + its lock
        << qPrintable(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).join(u' '));
    // Empty files and files of the store's own format are fine.
    for (const QByteArray& ok : {QByteArray(), utf16(QStringLiteral("[A]\r\nx = 1\r\n"))}) {
        ASSERT_TRUE(writeBytes(path("ok.cfg"), ok));
        EXPECT_TRUE(config.Save(path("ok.cfg"), &error)) << qPrintable(error);
    }
    EXPECT_TRUE(CConfigFile::IsStoreFormat(QByteArray("\xFF\xFE", 2)));
    EXPECT_FALSE(CConfigFile::IsStoreFormat(QByteArray("\xFE\xFF", 2)));
    EXPECT_FALSE(CConfigFile::IsStoreFormat(QByteArray("[", 1)));
}

TEST_F(ConfigTargets, SavingOwnChangesKeepsWhatOthersWroteMeanwhile)
{
    const QString file = path("config.cfg");
    CConfigFile seed;
    seed.SetString(QStringLiteral("savePath"), QStringLiteral("/home/a"),
                   QStringLiteral("TAKE_PHOTOS_SET"));
    seed.SetString(QStringLiteral("language"), QStringLiteral("en"), QStringLiteral("NORMAL"));
    seed.SetString(QStringLiteral("zoom"), QStringLiteral("1"), QStringLiteral("VIEW"));
    ASSERT_TRUE(seed.Save(file));

    CConfigFile program; // loaded at start, changes one key while running
    ASSERT_TRUE(program.Load(file));
    EXPECT_FALSE(program.HasChanges());
    ASSERT_TRUE(program.SetString(QStringLiteral("language"), QStringLiteral("fr"),
                                  QStringLiteral("NORMAL")));
    // Setting a key to the value it has is no change.
    ASSERT_TRUE(
        program.SetString(QStringLiteral("zoom"), QStringLiteral("1"), QStringLiteral("VIEW")));
    CConfigFile other; // another program changes two keys meanwhile
    ASSERT_TRUE(other.Load(file));
    other.SetString(QStringLiteral("savePath"), QStringLiteral("/srv/scans"),
                    QStringLiteral("TAKE_PHOTOS_SET"));
    other.SetString(QStringLiteral("zoom"), QStringLiteral("2"), QStringLiteral("VIEW"));
    ASSERT_TRUE(other.SaveChanges(file));

    QString error;
    ASSERT_TRUE(program.SaveChanges(file, &error)) << qPrintable(error);
    EXPECT_FALSE(program.HasChanges());
    CConfigFile after;
    ASSERT_TRUE(after.Load(file));
    EXPECT_EQ(after.GetString(QStringLiteral("savePath"), QStringLiteral("TAKE_PHOTOS_SET")),
              QStringLiteral("/srv/scans"));
    EXPECT_EQ(after.GetString(QStringLiteral("zoom"), QStringLiteral("VIEW")), QStringLiteral("2"));
    EXPECT_EQ(after.GetString(QStringLiteral("language"), QStringLiteral("NORMAL")),
              QStringLiteral("fr"));
    // A missing file is created with the changes.
    CConfigFile fresh;
    fresh.SetString(QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("S"));
    ASSERT_TRUE(fresh.SaveChanges(path("new.cfg"), &error)) << qPrintable(error);
    EXPECT_EQ(readBytes(path("new.cfg")), fresh.ToBytes());
}

TEST_F(ConfigTargets, SaveOfOwnChangesWaitsForTheFilesLock)
{
    const QString file = path("config.cfg");
    CConfigFile seed;
    seed.SetString(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("S"));
    ASSERT_TRUE(seed.Save(file));
    CConfigFile program;
    ASSERT_TRUE(program.Load(file));
    program.SetString(QStringLiteral("mine"), QStringLiteral("x"), QStringLiteral("S"));

    std::atomic<bool> saved{false};
    std::thread saver;
    {
        const CConfigFileLock held(file); // another program's read-modify-write
        ASSERT_TRUE(held.IsLocked());
        EXPECT_TRUE(QFileInfo::exists(CConfigFileLock::LockPathFor(file)));
        saver = std::thread([&] { saved = program.SaveChanges(file); });
        // While the lock is held the other program writes its change, unhurried.
        CConfigFile other;
        ASSERT_TRUE(other.Load(file));
        other.SetString(QStringLiteral("theirs"), QStringLiteral("y"), QStringLiteral("S"));
        ASSERT_TRUE(other.Save(file));
        EXPECT_FALSE(saved.load()); // still waiting for the lock
    }
    saver.join();
    EXPECT_TRUE(saved.load());
    CConfigFile after;
    ASSERT_TRUE(after.Load(file));
    EXPECT_EQ(after.GetString(QStringLiteral("theirs"), QStringLiteral("S")), QStringLiteral("y"));
    EXPECT_EQ(after.GetString(QStringLiteral("mine"), QStringLiteral("S")), QStringLiteral("x"));
}

TEST_F(ConfigTargets, SavesOfChangesRefuseWhenTheLockCannotBeHad)
{
    const QString file = path("config.cfg");
    CConfigFile seed;
    seed.SetString(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("S"));
    ASSERT_TRUE(seed.Save(file));
    const QByteArray before = readBytes(file);
    // A folder holds the lock file's name.
    ASSERT_TRUE(QDir().mkdir(CConfigFileLock::LockPathFor(file)));
    CConfigFile program;
    ASSERT_TRUE(program.Load(file));
    program.SetString(QStringLiteral("mine"), QStringLiteral("x"), QStringLiteral("S"));
    QString error;
    EXPECT_FALSE(program.SaveChanges(file, &error));
    EXPECT_TRUE(error.contains(CConfigFileLock::LockPathFor(file))) << qPrintable(error);
    EXPECT_TRUE(program.HasChanges());
    QString taken;
    EXPECT_FALSE(program.UpdateInFile(
        file, QStringLiteral("a"), QStringLiteral("S"), [](const QString&) { return "2"; },
        &taken));
    EXPECT_EQ(readBytes(file), before);
    EXPECT_EQ(program.GetString(QStringLiteral("a"), QStringLiteral("S")), QStringLiteral("1"));
}

TEST_F(ConfigTargets, LongNamesGetAShortLockBesideThem)
{
    // "<name>.lock" does not fit for names of 251 to 255 bytes.
    for (const int length : {250, 251, 255}) {
        SCOPED_TRACE(length);
        const QString file = m_dir.path() + u'/' + QString(length, u'c');
        const QString lock = CConfigFileLock::LockPathFor(file);
        EXPECT_EQ(QFileInfo(lock).path(), m_dir.path());
        EXPECT_LE(QFile::encodeName(QFileInfo(lock).fileName()).size(), 255);
        EXPECT_NE(lock, CConfigFileLock::LockPathFor(file + u'x'));
        const CConfigFileLock held(file);
        EXPECT_TRUE(held.IsLocked()) << qPrintable(held.Error());
        EXPECT_FALSE(held.Failed());
    }
}
