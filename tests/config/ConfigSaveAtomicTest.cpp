// Saving replaces the settings file as a whole or not at all: a folder that
// cannot be written, a write that fails half way and a target that is not a
// file all leave the old file byte for byte and no stray temporary files.

#include "ConfigTestUtil.h"
#include "config/CConfigFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using configtest::readBytes;
using configtest::utf16;
using configtest::writeBytes;

namespace {

// Runs fn without the power to ignore file permissions: in a child process
// that drops to an unprivileged user when the tests run as root.
int runUnprivileged(const std::function<int()>& fn)
{
    if (geteuid() != 0)
        return fn();
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(90);
        _exit(fn());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return 91;
    return WEXITSTATUS(status);
}

class ConfigSave : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + QStringLiteral("/settings");
        ASSERT_TRUE(QDir().mkpath(m_folder));
        m_path = m_folder + QStringLiteral("/config.cfg");
        m_old = utf16(QStringLiteral("[OLD]\r\nk = v;\r\n\r\n"));
        ASSERT_TRUE(writeBytes(m_path, m_old));
        // A store whose file is far larger than the old one.
        for (int i = 0; i < 2000; ++i)
            m_config.SetInt(QStringLiteral("key%1").arg(i), int32_t(i), QStringLiteral("NEW"));
    }
    QStringList folderEntries() const
    {
        return QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_path;
    QByteArray m_old;
    CConfigFile m_config;
};

} // namespace

TEST_F(ConfigSave, ReplacesTheFileWhenAllGoesWell)
{
    QString error;
    ASSERT_TRUE(m_config.Save(m_path, &error)) << qPrintable(error);
    EXPECT_EQ(readBytes(m_path), m_config.ToBytes());
    EXPECT_EQ(folderEntries(), QStringList({QStringLiteral("config.cfg")}));
}

TEST_F(ConfigSave, UnwritableFolderLeavesTheOldFile)
{
    ASSERT_EQ(chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    ASSERT_EQ(chmod(QFile::encodeName(m_folder).constData(), 0555), 0);
    ASSERT_EQ(chmod(QFile::encodeName(m_path).constData(), 0666), 0);
    const int result = runUnprivileged([this] { return m_config.Save(m_path) ? 1 : 0; });
    chmod(QFile::encodeName(m_folder).constData(), 0755);
    EXPECT_EQ(result, 0) << "Save must report the failure";
    EXPECT_EQ(readBytes(m_path), m_old);
    EXPECT_EQ(folderEntries(), QStringList({QStringLiteral("config.cfg")}));
}

TEST_F(ConfigSave, FailedWriteLeavesTheOldFile)
{
    // Files may grow to a few hundred bytes only: the write of the new
    // contents fails part way, as on a full disk.
    struct rlimit old = {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 300;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool saved = m_config.Save(m_path, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readBytes(m_path), m_old);
    EXPECT_EQ(folderEntries(), QStringList({QStringLiteral("config.cfg")}));
}

TEST_F(ConfigSave, TargetThatIsNotAFileOrHasNoFolderFails)
{
    const QString folderTarget = m_folder + QStringLiteral("/sub");
    ASSERT_TRUE(QDir().mkpath(folderTarget));
    EXPECT_FALSE(m_config.Save(folderTarget));
    EXPECT_TRUE(QFileInfo(folderTarget).isDir());
    EXPECT_FALSE(m_config.Save(m_folder + QStringLiteral("/missing/config.cfg")));
    EXPECT_FALSE(m_config.Save(m_path + QStringLiteral("/below-a-file.cfg")));
    EXPECT_EQ(readBytes(m_path), m_old);
    EXPECT_EQ(folderEntries(), QStringList({QStringLiteral("config.cfg"), QStringLiteral("sub")}));
}
