// One saving rule for every writer of scriva-cli (convert, thumbs, pdf): files a user named
// like a temporary stay, a full disk is a failure that keeps the older file and says why, a
// FIFO is written into and a dangling link creates its target, a write-protected file is
// kept as it is (also for root), an output that is one of the inputs is refused, the
// longest legal name is saved, and a killed save's temporary goes on the next save. FIFOs
// and links are made in the sandbox only; a full disk is a file size limit on the process.

#include "CliTestSupport.h"
#include "tests/common/DeadPid.h"
#include "tests/common/PdfProbe.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace clitest;
using scriva::test::deadPid;

namespace {

class CliSaving : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_box.isValid());
        ASSERT_TRUE(QFileInfo(CliSandbox::cliPath()).isExecutable());
        ASSERT_TRUE(QDir().mkpath(m_box.path("photos")));
        CxImage picture = makeColourPattern(120, 90);
        ASSERT_TRUE(picture.Save(native(m_box.path("a.png")), CXIMAGE_FORMAT_PNG));
        ASSERT_TRUE(picture.Save(native(m_box.path("photos/p1.png")), CXIMAGE_FORMAT_PNG));
        ASSERT_TRUE(picture.Save(native(m_box.path("photos/p2.jpg")), CXIMAGE_FORMAT_JPG));
    }
    static mode_t modeOf(const QString& path)
    {
        struct stat st = {};
        return lstat(native(path).c_str(), &st) == 0 ? st.st_mode : 0;
    }
    // The output file each writer makes for the case: convert and pdf name it, thumbs
    // writes thumbs/p1.jpg (and p2.jpg).
    struct Writer
    {
        const char* name;
        QStringList args;
        QString target;
    };
    std::vector<Writer> writers() const
    {
        return {
            {"convert", {"convert", "a.png", "out.bmp"}, m_box.path("out.bmp")},
            {"thumbs", {"thumbs", "photos", "thumbs"}, m_box.path("thumbs/p1.jpg")},
            {"pdf", {"pdf", "out.pdf", "a.png"}, m_box.path("out.pdf")},
        };
    }
    CliSandbox m_box;
};

} // namespace

TEST_F(CliSaving, FilesNamedLikeATemporaryAreNotOursToRemove)
{
    const QString gone = QString::number(deadPid());
    const QStringList theirs = {"minutes.part-2024-12", "out.bmp.part-" + gone + "-0",
                                "thumbs/p1.jpg.part-" + gone + "-3"};
    ASSERT_TRUE(QDir().mkpath(m_box.path("thumbs")));
    for (const QString& name : theirs)
        ASSERT_TRUE(writeFile(m_box.path(name), "data"));
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.name);
        // A save of ours that was killed, in the folder this writer saves into.
        const QString killed = QFileInfo(w.target).dir().filePath(".scriva-" + gone + "-0.tmp");
        ASSERT_TRUE(writeFile(killed, "half"));
        const CliRun r = m_box.run(w.args);
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        for (const QString& name : theirs)
            EXPECT_EQ(readFile(m_box.path(name)), "data") << qPrintable(name);
        EXPECT_FALSE(QFileInfo::exists(killed));
    }
}

TEST_F(CliSaving, AFullDiskFailsKeepsTheOlderFileAndSaysWhy)
{
    ASSERT_TRUE(QDir().mkpath(m_box.path("thumbs")));
    m_box.setFileSizeLimit(100); // every output here is larger
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.name);
        ASSERT_TRUE(writeFile(w.target, "older"));
        const QStringList before =
            QDir(QFileInfo(w.target).path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        const CliRun r = m_box.run(w.args);
        EXPECT_NE(r.exitCode, 0) << r.out.constData();
        EXPECT_EQ(readFile(w.target), "older");
        EXPECT_TRUE(r.err.contains(QFileInfo(w.target).fileName().toLocal8Bit()))
            << r.err.constData();
        EXPECT_TRUE(r.err.contains("File too large")) << r.err.constData();
        EXPECT_FALSE(r.out.contains("2 thumbnails written")) << r.out.constData();
        EXPECT_EQ(
            QDir(QFileInfo(w.target).path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            before)
            << "no temporary left, no empty file made";
    }
}

namespace {

// Reads a FIFO while a command runs. The FIFO is opened for reading and writing at once, so
// neither side waits for the other, and reading stops when told (a command that replaced the
// FIFO with a file never opens it: the test still ends).
class FifoReader
{
public:
    explicit FifoReader(const QString& path)
    {
        m_fd = open(native(path).c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (m_fd >= 0)
            m_thread = std::thread([this] { run(); });
    }
    ~FifoReader() { Stop(); }
    bool isOpen() const { return m_fd >= 0; }
    QByteArray Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
        return m_bytes;
    }

private:
    void run()
    {
        char buf[65536];
        for (;;) {
            const bool last = m_stop; // one more read after the stop: what is left in the pipe
            ssize_t n;
            while ((n = read(m_fd, buf, sizeof buf)) > 0)
                m_bytes.append(buf, qsizetype(n));
            if (last)
                return;
            usleep(5000);
        }
    }
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    QByteArray m_bytes;
};

} // namespace

TEST_F(CliSaving, AFifoIsWrittenIntoAndStaysAFifo)
{
    ASSERT_TRUE(QDir().mkpath(m_box.path("thumbs")));
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.name);
        ASSERT_EQ(mkfifo(native(w.target).c_str(), 0600), 0);
        FifoReader reader(w.target);
        ASSERT_TRUE(reader.isOpen());
        const CliRun r = m_box.run(w.args);
        const QByteArray received = reader.Stop();
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(S_ISFIFO(modeOf(w.target)));
        EXPECT_GT(received.size(), 100);
        const QByteArray head = std::string(w.name) == "pdf"      ? "%PDF-"
                                : std::string(w.name) == "thumbs" ? "\xFF\xD8\xFF"
                                                                  : "BM";
        EXPECT_TRUE(received.startsWith(head)) << received.left(8).toHex().constData();
        QFile::remove(w.target);
    }
}

TEST_F(CliSaving, ADanglingLinkCreatesItsTargetAndStaysALink)
{
    ASSERT_TRUE(QDir().mkpath(m_box.path("thumbs")));
    ASSERT_TRUE(QDir().mkpath(m_box.path("kept")));
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.name);
        const QString real = m_box.path("kept/" + QString::fromLatin1(w.name));
        ASSERT_TRUE(QFile::link(real, w.target));
        const CliRun r = m_box.run(w.args);
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(S_ISLNK(modeOf(w.target)));
        EXPECT_TRUE(S_ISREG(modeOf(real)));
        EXPECT_GT(QFileInfo(real).size(), 100);
    }
}

TEST_F(CliSaving, AWriteProtectedFileIsKeptWithItsModeEvenForRoot)
{
    ASSERT_TRUE(QDir().mkpath(m_box.path("thumbs")));
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.name);
        ASSERT_TRUE(writeFile(w.target, "signed"));
        ASSERT_EQ(chmod(native(w.target).c_str(), 0444), 0);
        const CliRun r = m_box.run(w.args);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_EQ(readFile(w.target), "signed");
        EXPECT_EQ(modeOf(w.target) & 07777, 0444u);
        EXPECT_TRUE(r.err.contains(QFileInfo(w.target).fileName().toLocal8Bit()))
            << r.err.constData();
        EXPECT_TRUE(r.err.contains("Permission denied")) << r.err.constData();
    }
}

TEST_F(CliSaving, AnOutputThatIsOneOfTheInputsIsRefused)
{
    // Another name of the input: a link in the output's place, a hard link.
    ASSERT_TRUE(QDir().mkpath(m_box.path("thumbs")));
    ASSERT_TRUE(QFile::link(m_box.path("photos/p1.png"), m_box.path("thumbs/p1.jpg")));
    ASSERT_TRUE(QFile::link(m_box.path("a.png"), m_box.path("link.pdf")));
    ASSERT_EQ(link(native(m_box.path("a.png")).c_str(), native(m_box.path("hard.pdf")).c_str()), 0);
    const QByteArray photo = readFile(m_box.path("photos/p1.png"));
    const QByteArray a = readFile(m_box.path("a.png"));
    for (const QStringList& args :
         {QStringList{"thumbs", "photos", "thumbs"}, QStringList{"pdf", "link.pdf", "a.png"},
          QStringList{"pdf", "hard.pdf", "photos/p2.jpg", "a.png"}}) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        const CliRun r = m_box.run(args);
        EXPECT_ONE_ERROR_LINE(r);
        EXPECT_EQ(readFile(m_box.path("photos/p1.png")), photo);
        EXPECT_EQ(readFile(m_box.path("a.png")), a);
    }
    EXPECT_FALSE(QFileInfo::exists(m_box.path("thumbs/p2.jpg"))) << "nothing written";
}

TEST_F(CliSaving, TheLongestLegalNameIsSaved)
{
    const long nameMax = pathconf(native(m_box.path("")).c_str(), _PC_NAME_MAX);
    ASSERT_GT(nameMax, 20);
    const QString stem(int(nameMax) - 4, QLatin1Char('n'));
    ASSERT_TRUE(QDir().mkpath(m_box.path("long")));
    ASSERT_TRUE(makeColourPattern(30, 20).Save(native(m_box.path("long/" + stem + ".png")),
                                               CXIMAGE_FORMAT_PNG));
    struct Case
    {
        QStringList args;
        QString target;
    };
    for (const Case& c : {Case{{"convert", "a.png", stem + ".bmp"}, m_box.path(stem + ".bmp")},
                          Case{{"pdf", stem + ".pdf", "a.png"}, m_box.path(stem + ".pdf")},
                          Case{{"thumbs", "long", "tl"}, m_box.path("tl/" + stem + ".jpg")}}) {
        SCOPED_TRACE(qPrintable(c.args.first()));
        for (int round = 0; round < 2; ++round) { // a new file, then one replaced
            const CliRun r = m_box.run(c.args);
            EXPECT_EQ(r.exitCode, 0) << r.err.constData();
            EXPECT_GT(QFileInfo(c.target).size(), 100);
        }
    }
}

TEST_F(CliSaving, NamesThatAreNotUtf8AreFilesLikeAnyOther)
{
    // Latin-1 names as an older system or a camera's card would write them.
    const QByteArray scratch = QFile::encodeName(m_box.path(""));
    const QByteArray cafe = "caf\xE9";
    CxImage picture = makeColourPattern(64, 48);
    ASSERT_TRUE(
        picture.Save((scratch + "photos/" + cafe + ".png").toStdString(), CXIMAGE_FORMAT_PNG));
    auto isFile = [&](const QByteArray& name) {
        struct stat st = {};
        return stat((scratch + name).constData(), &st) == 0 && S_ISREG(st.st_mode) &&
               st.st_size > 100;
    };
    CliRun r = m_box.runBytes({"thumbs", "photos", "small"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.startsWith("3 thumbnails written")) << r.out.constData();
    EXPECT_TRUE(isFile("small/" + cafe + ".jpg"));

    r = m_box.runBytes({"pdf", "r\xE9sum\xE9.pdf", "a.png", "photos/" + cafe + ".png"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(isFile("r\xE9sum\xE9.pdf"));

    r = m_box.runBytes({"convert", "photos/" + cafe + ".png", cafe + ".bmp"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(isFile(cafe + ".bmp"));

    // A name in a message comes out as its own bytes.
    r = m_box.runBytes({"pdf", "x.pdf", "photos/gone\xE9.png"});
    EXPECT_ONE_ERROR_LINE(r);
    EXPECT_TRUE(r.err.contains("photos/gone\xE9.png")) << r.err.constData();
    // The sandbox's own removal goes through Qt, which cannot name these files.
    std::filesystem::remove_all(scratch.toStdString());
}
