// The "config" commands of the built scriva-cli, run as a separate process
// from the same bin folder as this test.

#include "ConfigTestUtil.h"
#include "config/AppPaths.h"
#include "config/CConfigFile.h"
#include "config/CConfigFileLock.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <memory>
#include <sys/stat.h>
#include <vector>

using configtest::readBytes;
using configtest::TempXdg;
using configtest::utf16;
using configtest::writeBytes;

namespace {

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class CmdConfig : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_cli = scriva::exeFolder() + QStringLiteral("scriva-cli");
        ASSERT_TRUE(QFileInfo(m_cli).isExecutable())
            << "build the scriva-cli target: " << qPrintable(m_cli);
        m_file = m_xdg.path("work.cfg");
        ASSERT_TRUE(writeBytes(m_file, utf16(QStringLiteral("[B]\r\nlist = 1, 2 ;note\r\n\r\n"
                                                            "[A]\r\nq = say \"hi\"\\;\r\n\r\n"))));
    }
    CliResult run(const QStringList& args) const
    {
        QProcess process;
        process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        process.start(m_cli, args);
        CliResult result;
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
            return result;
        result.exitCode = process.exitCode();
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }
    static void expectOneErrorLine(const CliResult& r)
    {
        EXPECT_NE(r.exitCode, 0);
        EXPECT_TRUE(r.err.startsWith("scriva-cli: ")) << r.err.constData();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
    }

    TempXdg m_xdg;
    QString m_cli;
    QString m_file;
};

} // namespace

TEST_F(CmdConfig, DumpPrintsSectionsAndKeysInStoreOrderAsJson)
{
    const CliResult r = run({"config", "dump", m_file});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << qPrintable(error.errorString());
    const QJsonArray sections = doc.object().value("sections").toArray();
    ASSERT_EQ(sections.size(), 2);
    EXPECT_EQ(sections[0].toObject().value("section").toString(), QStringLiteral("A"));
    const QJsonObject q = sections[0].toObject().value("keys").toArray()[0].toObject();
    EXPECT_EQ(q.value("key").toString(), QStringLiteral("q"));
    EXPECT_EQ(q.value("value").toString(), QStringLiteral("say \"hi\"\\"));
    EXPECT_EQ(q.value("comment").toString(), QStringLiteral(";"));
    const QJsonObject list = sections[1].toObject().value("keys").toArray()[0].toObject();
    EXPECT_EQ(list.value("comment").toString(), QStringLiteral(";note"));
    EXPECT_EQ(list.value("tokens").toArray(), QJsonArray({"1", " 2"}));
    // Fields come in a fixed order: key, value, comment, tokens.
    const qsizetype k = r.out.indexOf("\"key\"");
    const qsizetype v = r.out.indexOf("\"value\"");
    const qsizetype c = r.out.indexOf("\"comment\"");
    const qsizetype t = r.out.indexOf("\"tokens\"");
    EXPECT_TRUE(k < v && v < c && c < t);
}

TEST_F(CmdConfig, DumpOfTheShippedFileIsValidJson)
{
    const CliResult r = run({"config", "dump", scriva::shippedConfigFile()});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonDocument doc = QJsonDocument::fromJson(r.out);
    EXPECT_EQ(doc.object().value("sections").toArray().size(), 5);
    EXPECT_TRUE(r.out.contains("\"Preinstall\""));
}

TEST_F(CmdConfig, GetAndSetWorkOnTheGivenFile)
{
    CliResult r = run({"config", "get", "--file", m_file, "B", "list"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray("1, 2\n"));

    const QByteArray before = readBytes(m_file);
    r = run({"config", "set", "--file", m_file, "NEW", "key", "a value"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    CConfigFile config;
    ASSERT_TRUE(config.Load(m_file));
    EXPECT_EQ(config.GetString("key", "NEW"), QStringLiteral("a value"));
    EXPECT_EQ(config.GetString("list", "B"), QStringLiteral("1, 2"));
    // The file is exactly what the store writes after that one change.
    CConfigFile expected;
    expected.LoadFromBytes(before);
    ASSERT_TRUE(expected.SetString("key", "a value", "NEW"));
    EXPECT_EQ(readBytes(m_file), expected.ToBytes());
}

TEST_F(CmdConfig, ErrorsGiveOneLineAndAFailingExit)
{
    const QByteArray before = readBytes(m_file);
    expectOneErrorLine(run({"config", "set", "--file", m_file, "B", "list", "a;b"}));
    expectOneErrorLine(run({"config", "set", "--file", m_file, "B", "list", "a\nb"}));
    EXPECT_EQ(readBytes(m_file), before);
    expectOneErrorLine(run({"config", "get", "--file", m_file, "B", "absent"}));
    expectOneErrorLine(run({"config", "dump", m_xdg.path("absent.cfg")}));
    expectOneErrorLine(run({"config", "dump", m_xdg.root()}));
    expectOneErrorLine(run({"config", "get", "--file", m_xdg.path("absent.cfg"), "B", "list"}));
    expectOneErrorLine(run({"config", "set", "--file", m_file, "B"}));
    expectOneErrorLine(run({"config", "frobnicate"}));
    EXPECT_FALSE(QFileInfo::exists(m_xdg.path("absent.cfg")));
}

TEST_F(CmdConfig, WithoutAFileGetOnlyReadsAndSetSeedsTheUsersSettings)
{
    ASSERT_FALSE(QFileInfo::exists(scriva::userConfigFile()));
    CliResult r = run({"config", "get", "NORMAL", "language"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray("en\n"));
    EXPECT_FALSE(QFileInfo::exists(scriva::userConfigFile())); // reading never writes
    EXPECT_FALSE(QFileInfo::exists(scriva::userConfigFolder()));

    r = run({"config", "set", "TAKE_PHOTOS_SET", "initialValue", "17"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    r = run({"config", "get", "TAKE_PHOTOS_SET", "initialValue"});
    EXPECT_EQ(r.out, QByteArray("17\n"));
    EXPECT_NE(readBytes(scriva::userConfigFile()), readBytes(scriva::shippedConfigFile()));
}

TEST_F(CmdConfig, OptionsComeFirstAndDoubleDashEndsThem)
{
    CliResult r = run({"config", "set", "--file", m_file, "B", "flag", "--file"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    r = run({"config", "get", "--file", m_file, "B", "flag"});
    EXPECT_EQ(r.out, QByteArray("--file\n"));
    r = run({"config", "set", "--file", m_file, "--", "--odd", "key", "v"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    r = run({"config", "get", "--file", m_file, "--", "--odd", "key"});
    EXPECT_EQ(r.out, QByteArray("v\n"));
    expectOneErrorLine(run({"config", "get", "--fil", m_file, "B", "list"}));
    expectOneErrorLine(run({"config", "get", "--file"}));
}

TEST_F(CmdConfig, SetCreatesAMissingFileButRefusesOneInAnotherFormat)
{
    const QString fresh = m_xdg.path("fresh.cfg");
    CliResult r = run({"config", "set", "--file", fresh, "S", "k", "v"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    CConfigFile created;
    ASSERT_TRUE(created.Load(fresh));
    EXPECT_EQ(created.GetString("k", "S"), QStringLiteral("v"));

    const QString utf8 = m_xdg.path("utf8.cfg");
    const QByteArray text = "[NORMAL]\r\nlanguage = de\r\nsavePath = /srv/scans\r\n";
    ASSERT_TRUE(writeBytes(utf8, text));
    r = run({"config", "set", "--file", utf8, "S", "k", "v"});
    expectOneErrorLine(r);
    EXPECT_TRUE(r.err.contains("not a settings file in this program's format"))
        << r.err.constData();
    EXPECT_EQ(readBytes(utf8), text);
}

TEST_F(CmdConfig, DumpOfAFileItCannotReadSaysWhyAndFails)
{
    struct Case
    {
        const char* name;
        QByteArray bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"utf8.cfg", "[A]\r\nk = v\r\n", "not a settings file in this program's format"},
        {"photo.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR", "not a settings file"},
        {"odd.cfg", "\xff", "not a settings file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = m_xdg.path(c.name);
        ASSERT_TRUE(writeBytes(file, c.bytes));
        const CliResult r = run({"config", "dump", file});
        expectOneErrorLine(r);
        EXPECT_TRUE(r.err.contains(QFile::encodeName(file))) << r.err.constData();
        EXPECT_TRUE(r.err.contains(c.reason)) << r.err.constData();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.constData();
    }
    // An empty file is an empty store, not a failure.
    ASSERT_TRUE(writeBytes(m_xdg.path("empty.cfg"), QByteArray()));
    const CliResult empty = run({"config", "dump", m_xdg.path("empty.cfg")});
    EXPECT_EQ(empty.exitCode, 0) << empty.err.constData();
}

TEST_F(CmdConfig, DumpOfAPipeWithoutWriterFailsAtOnce)
{
    const QString fifo = m_xdg.path("pipe.cfg");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const CliResult r = run({"config", "dump", fifo});
    expectOneErrorLine(r);
    EXPECT_TRUE(r.err.contains("not a regular file")) << r.err.constData();
}

TEST_F(CmdConfig, ParallelSetsKeepEveryChangeWhateverTheNamesLength)
{
    constexpr int kRuns = 40;
    // Names of 251 to 255 bytes leave no room for "<name>.lock" on usual file systems.
    const QString names[] = {QStringLiteral("work.cfg"), QString(247, u'n') + ".cfg",
                             QString(251, u'n') + ".cfg"};
    for (const QString& name : names) {
        SCOPED_TRACE(name.size());
        const QString file = m_xdg.path(name);
        ASSERT_TRUE(QFile::copy(m_file, file) || file == m_file);
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int i = 0; i < kRuns; ++i) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->start(m_cli, {"config", "set", "--file", file, "P",
                                       QStringLiteral("k%1").arg(i), QStringLiteral("v%1").arg(i)});
        }
        for (auto& p : runs) {
            ASSERT_TRUE(p->waitForFinished(60000));
            EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().constData();
        }
        CConfigFile after;
        ASSERT_TRUE(after.Load(file));
        for (int i = 0; i < kRuns; ++i)
            EXPECT_EQ(after.GetString(QStringLiteral("k%1").arg(i), "P"),
                      QStringLiteral("v%1").arg(i));
        EXPECT_EQ(after.GetString("list", "B"), QStringLiteral("1, 2"));
        EXPECT_TRUE(QFileInfo::exists(CConfigFileLock::LockPathFor(file)));
    }
}

TEST_F(CmdConfig, SetRefusesToWriteWithoutTheFilesLock)
{
    // Something that is no lock file holds the lock's name.
    ASSERT_TRUE(QDir().mkdir(CConfigFileLock::LockPathFor(m_file)));
    const QByteArray before = readBytes(m_file);
    const CliResult r = run({"config", "set", "--file", m_file, "B", "k", "v"});
    expectOneErrorLine(r);
    EXPECT_TRUE(r.err.contains(QFile::encodeName(CConfigFileLock::LockPathFor(m_file))))
        << r.err.constData();
    EXPECT_EQ(readBytes(m_file), before);
}
