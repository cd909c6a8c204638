// Where "scriva-cli ocr --out" may write, by the program's one saving rule: a full disk (a file
// size limit on the process) fails and keeps the older text, an output that is one of the
// inputs is refused whatever its name, a FIFO is written into, a dangling link creates its
// target, a write-protected file is kept (also for root), the longest legal name is saved,
// and each text is on disk as soon as it is read, so a kill loses none of the finished ones.
// FIFOs and links are made in a temporary folder only.

#include "OcrCliSandbox.h"
#include "tests/common/RawProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using ocrtest::CliResult;

class CliOcrSaving : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(box.isValid());
        photo = page(QStringLiteral("photo.png"), QStringLiteral("Keep this page"));
    }

    void prepare(QProcess& p, long long fileSizeLimit = -1) { box.prepare(p, fileSizeLimit); }
    CliResult run(const QStringList& args, long long fileSizeLimit = -1)
    {
        return box.run(QStringList{"ocr", "--lang", "eng"} + args, fileSizeLimit);
    }
    QString page(const QString& name, const QString& text) { return box.page(name, text); }
    QString path(const QString& name) const { return box.path(name); }
    static QByteArray read(const QString& path) { return ocrtest::readFile(path); }
    static bool write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    static mode_t modeOf(const QString& path)
    {
        struct stat st = {};
        return lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
    }
    QStringList entries() const
    {
        return QDir(box.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    ocrtest::CliSandbox box;
    QString photo;
};

} // namespace

TEST_F(CliOcrSaving, AFullDiskFailsKeepsTheOlderTextAndSaysWhy)
{
    ASSERT_EQ(run({photo}).exitCode, 0); // the settings file is made on the first run
    const QString out = path(QStringLiteral("photo.txt"));
    ASSERT_TRUE(write(out, "old"));
    const QStringList before = entries();
    const CliResult r = run({photo, QStringLiteral("--out"), out}, 5);
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_EQ(read(out), QByteArray("old"));
    EXPECT_TRUE(r.err.contains(out)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("File too large"))) << r.err.toStdString();
    EXPECT_EQ(entries(), before) << "no temporary left";
}

TEST_F(CliOcrSaving, AnOutputThatIsOneOfTheInputsIsRefused)
{
    const QByteArray original = read(photo);
    ASSERT_TRUE(QFile::link(photo, path(QStringLiteral("link.txt"))));
    ASSERT_EQ(link(QFile::encodeName(photo).constData(),
                   QFile::encodeName(path(QStringLiteral("hard.txt"))).constData()),
              0);
    // Several inputs into a folder where one input's text would land on another input.
    const QString other = page(QStringLiteral("other.png"), QStringLiteral("Other"));
    ASSERT_TRUE(QFile::link(photo, path(QStringLiteral("other.txt"))));
    struct Case
    {
        QStringList args;
        QString victim;
        QByteArray bytes;
    };
    for (const Case& c :
         {Case{{photo, QStringLiteral("--out"), photo}, photo, original},
          Case{{photo, QStringLiteral("--out"), path(QStringLiteral("link.txt"))}, photo, original},
          Case{{photo, QStringLiteral("--out"), path(QStringLiteral("hard.txt"))}, photo, original},
          Case{{other, photo, QStringLiteral("--out"), box.path()}, photo, original}}) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const CliResult r = run(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("is both input and output")))
            << r.err.toStdString();
        EXPECT_EQ(read(c.victim), c.bytes);
    }
}

TEST_F(CliOcrSaving, FifosLinksProtectedFilesAndLongNamesAreSavedByTheOneRule)
{
    // A FIFO: written into, stays a FIFO. Opened for reading and writing by the test, so
    // neither side waits for the other.
    const QString fifo = path(QStringLiteral("pipe.txt"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int fd = open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    CliResult r = run({photo, QStringLiteral("--out"), fifo});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    char buf[256] = {};
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    close(fd);
    EXPECT_EQ(QByteArray(buf, n > 0 ? int(n) : 0), QByteArray("Keep this page\r\n"));
    EXPECT_TRUE(S_ISFIFO(modeOf(fifo)));

    // A dangling link: its target is made, the link stays.
    ASSERT_TRUE(QDir(box.path()).mkdir(QStringLiteral("kept")));
    const QString link = path(QStringLiteral("latest.txt"));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("kept/text.txt")), link));
    r = run({photo, QStringLiteral("--out"), link});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(S_ISLNK(modeOf(link)));
    EXPECT_EQ(read(path(QStringLiteral("kept/text.txt"))), QByteArray("Keep this page\r\n"));

    // A write-protected file: kept with its mode, even for root; the reason is said.
    const QString signedText = path(QStringLiteral("signed.txt"));
    ASSERT_TRUE(write(signedText, "signed"));
    ASSERT_EQ(chmod(QFile::encodeName(signedText).constData(), 0444), 0);
    r = run({photo, QStringLiteral("--out"), signedText});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(read(signedText), QByteArray("signed"));
    EXPECT_EQ(modeOf(signedText) & 07777, 0444u);
    EXPECT_TRUE(r.err.contains(signedText) && r.err.contains(QStringLiteral("Permission denied")))
        << r.err.toStdString();

    // The longest name the file system takes, new and replaced.
    const long nameMax = pathconf(QFile::encodeName(box.path()).constData(), _PC_NAME_MAX);
    const QString longName = path(QString(int(nameMax) - 4, QLatin1Char('t')) + ".txt");
    for (int round = 0; round < 2; ++round) {
        r = run({photo, QStringLiteral("--out"), longName});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(read(longName), QByteArray("Keep this page\r\n"));
    }
}

TEST_F(CliOcrSaving, EachTextIsOnDiskAsSoonAsItIsRead)
{
    // The last input is a FIFO nobody writes into: reading it waits for ever, as a slow
    // last page would. The finished texts must be there before the kill.
    const QStringList inputs = {page(QStringLiteral("one.png"), QStringLiteral("First page")),
                                page(QStringLiteral("two.png"), QStringLiteral("Second page"))};
    const QString stuck = path(QStringLiteral("stuck.png"));
    ASSERT_EQ(mkfifo(QFile::encodeName(stuck).constData(), 0600), 0);
    const int writer = open(QFile::encodeName(stuck).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0); // keeps the FIFO open for writing: its reader never sees the end
    const QString outDir = path(QStringLiteral("texts"));
    QProcess p;
    prepare(p);
    p.start(ocrtest::CliSandbox::cliPath(),
            QStringList{"ocr", "--lang", "eng", "--threads", "2", "--out", outDir, stuck} + inputs);
    ASSERT_TRUE(p.waitForStarted());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const QStringList texts = {outDir + "/one.txt", outDir + "/two.txt"};
    auto bothWritten = [&] { return QFile::exists(texts[0]) && QFile::exists(texts[1]); };
    while (!bothWritten() && std::chrono::steady_clock::now() < deadline &&
           p.state() == QProcess::Running)
        p.waitForFinished(100);
    const bool running = p.state() == QProcess::Running;
    p.kill(); // SIGKILL
    p.waitForFinished(10000);
    close(writer);
    EXPECT_TRUE(running) << "the stuck input should hold the command";
    EXPECT_EQ(read(texts[0]), QByteArray("First page\r\n"));
    EXPECT_EQ(read(texts[1]), QByteArray("Second page\r\n"));
}

TEST_F(CliOcrSaving, NamesThatAreNotUtf8AreReadAndTheirTextsNamedAlike)
{
    const QByteArray folder = QFile::encodeName(box.path()) + "/";
    const QByteArray cafe = "caf\xE9";
    ASSERT_TRUE(QFile::copy(photo, QFile::decodeName(folder + "plain.png")));
    ASSERT_EQ(std::rename((folder + "plain.png").constData(), (folder + cafe + ".png").constData()),
              0);
    QProcess settings; // the environment of the other runs
    prepare(settings);
    const auto raw = [&](const QList<QByteArray>& args) {
        return rawtest::runRaw(ocrtest::CliSandbox::cliPath(),
                               QList<QByteArray>{"ocr", "--lang", "eng"} + args,
                               settings.processEnvironment(), box.path(), box.path());
    };
    rawtest::RawRun r = raw({folder + cafe + ".png"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray("Keep this page\n"));
    r = raw({folder + cafe + ".png", photo.toUtf8(), "--out", folder + "texts"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    QFile text;
    const int fd = open((folder + "texts/" + cafe + ".txt").constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0) << "the text is named after the picture's own bytes";
    ASSERT_TRUE(text.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    EXPECT_EQ(text.readAll(), QByteArray("Keep this page\r\n"));
    // The temporary folder's own removal goes through Qt, which cannot name these files.
    std::filesystem::remove_all(folder.toStdString());
}
