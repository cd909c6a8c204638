// "scriva-cli ocr" as a user runs it: one file to standard output or a file,
// several files into a folder in parallel, one clear line per error and a
// non-zero exit. Also checks that the programs load the engine at run time
// instead of linking it.

#include "OcrCliSandbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using ocrtest::CliResult;
using ocrtest::readFile;

class CliOcrTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(box.isValid()); }

    CliResult run(const QStringList& args) { return box.run(QStringList{"ocr"} + args); }
    QString page(const QString& name, const QString& text) { return box.page(name, text); }

    ocrtest::CliSandbox box;
};

TEST_F(CliOcrTest, OneFilePrintsItsTextOrWritesTheGivenFile)
{
    const QString in = page(QStringLiteral("one.png"), QStringLiteral("Hello from the desk"));
    const CliResult shown = run({in, QStringLiteral("--lang"), QStringLiteral("eng")});
    EXPECT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_EQ(shown.out, QStringLiteral("Hello from the desk\n"));
    EXPECT_TRUE(shown.err.isEmpty()) << shown.err.toStdString();

    const QString out = box.path(QStringLiteral("one.txt"));
    const CliResult written = run({in, QStringLiteral("--out"), out});
    EXPECT_EQ(written.exitCode, 0) << written.err.toStdString();
    EXPECT_EQ(readFile(out), QByteArray("Hello from the desk\r\n"));
}

TEST_F(CliOcrTest, SeveralFilesGoIntoTheFolderAndTheBadOneIsSaidOnce)
{
    const QString bad = box.path(QStringLiteral("b.png"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    const QStringList inputs = {page(QStringLiteral("a.png"), QStringLiteral("Alpha page")), bad,
                                page(QStringLiteral("c.png"), QStringLiteral("Gamma page"))};
    const QString outDir = box.path(QStringLiteral("texts"));
    const CliResult r = run(inputs + QStringList{QStringLiteral("--out"), outDir,
                                                 QStringLiteral("--lang"), QStringLiteral("eng")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("scriva-cli: ") + bad + QStringLiteral(": ")))
        << r.err.toStdString();
    EXPECT_EQ(readFile(outDir + QStringLiteral("/a.txt")), QByteArray("Alpha page\r\n"));
    EXPECT_EQ(readFile(outDir + QStringLiteral("/c.txt")), QByteArray("Gamma page\r\n"));
    EXPECT_FALSE(QFile::exists(outDir + QStringLiteral("/b.txt")));
}

TEST_F(CliOcrTest, UsageErrorsAreOneLineAndNonZero)
{
    const QString in = page(QStringLiteral("x.png"), QStringLiteral("x"));
    const QString twin = box.path(QStringLiteral("sub/x.png"));
    QDir().mkpath(box.path(QStringLiteral("sub")));
    QFile::copy(in, twin);
    struct Case
    {
        QStringList args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "usage: ocr IN..."},
        {{in, in + "2"}, "several inputs need --out DIR"},
        {{in, QStringLiteral("--lang"), QStringLiteral("eng;rm")},
         "--lang eng;rm: give model codes"},
        {{in, QStringLiteral("--lang"), QStringLiteral("xyzmissing")}, "cannot load 'xyzmissing'"},
        {{in, twin, QStringLiteral("--out"), box.path(QStringLiteral("o"))},
         "two inputs would write the same file"},
        {{in, QStringLiteral("--frobnicate")}, "unknown option '--frobnicate'"},
    };
    for (const Case& c : cases) {
        const CliResult r = run(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.message))) << r.err.toStdString();
    }
}

TEST(EngineLinking, ProgramsLoadTheEngineInsteadOfLinkingIt)
{
    for (const char* program : {"scriva-cli", "scriva"}) {
        const QString path = ocrtest::CliSandbox::binFolder() + QLatin1String(program);
        if (!QFile::exists(path))
            continue; // scriva is not built without the widgets
        QProcess p;
        p.start(QStringLiteral("objdump"), {QStringLiteral("-p"), path});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString dump = QString::fromUtf8(p.readAllStandardOutput());
        ASSERT_TRUE(dump.contains(QStringLiteral("NEEDED"))) << program;
        for (const char* lib : {"libtesseract", "liblept", "libgomp"})
            EXPECT_FALSE(dump.contains(QLatin1String(lib))) << program << " links " << lib;
    }
    EXPECT_TRUE(QFile::exists(ocrtest::CliSandbox::binFolder() + QStringLiteral("libqxbcr.so")));
}

} // namespace
