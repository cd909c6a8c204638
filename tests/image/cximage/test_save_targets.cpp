// Where a save may write: FIFOs and devices are written into, folders refused, dangling links
// followed, write-protected files kept, long names saved, and temporaries of killed saves
// cleared. FIFOs and links are made in a temporary folder only.
#include "base/CxSafeFile.h"
#include "test_codecs_images.h"
#include "tests/common/DeadPid.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace codectest;
using scriva::test::deadPid;
namespace fs = std::filesystem;

namespace {

// Reads everything a FIFO delivers until its writer closes it.
std::vector<uint8_t> drainFifo(const fs::path& fifo)
{
    std::vector<uint8_t> bytes;
    const int fd = open(fifo.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    uint8_t buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    close(fd);
    return bytes;
}

} // namespace

TEST(SaveTargets, FifoIsWrittenIntoAndStaysAFifo)
{
    TempDir dir;
    const fs::path fifo = dir.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CxImage img = makeImage(9, 7, 24, false);
    std::vector<uint8_t> received;
    std::thread reader([&] { received = drainFifo(fifo); });
    const bool saved = img.Save(fifo.string(), CXIMAGE_FORMAT_PNG);
    reader.join();
    EXPECT_TRUE(saved) << img.GetLastError();
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(received, encode(img, CXIMAGE_FORMAT_PNG));
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(SaveTargets, LinkToAFifoIsFollowedAndKept)
{
    TempDir dir;
    const fs::path fifo = dir.file("pipe");
    const fs::path link = dir.file("out");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink(fifo, link);
    CxImage img = makeImage(5, 4, 8, true);
    std::vector<uint8_t> received;
    std::thread reader([&] { received = drainFifo(fifo); });
    const bool saved = img.Save(link.string(), CXIMAGE_FORMAT_BMP);
    reader.join();
    EXPECT_TRUE(saved) << img.GetLastError();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(received, encode(img, CXIMAGE_FORMAT_BMP));
}

TEST(SaveTargets, DanglingLinkCreatesItsTargetAndStaysALink)
{
    TempDir dir;
    const fs::path link = dir.file("latest.png");
    fs::create_symlink("pages/page1.png", link);
    fs::create_directory(dir.file("pages"));
    CxImage img = makeImage(6, 6, 24, false);
    ASSERT_TRUE(img.Save(link.string(), CXIMAGE_FORMAT_PNG)) << img.GetLastError();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_regular_file(dir.file("pages/page1.png")));
    CxImage back(link.string(), CXIMAGE_FORMAT_PNG);
    EXPECT_EQ(back.GetWidth(), 6u);
}

TEST(SaveTargets, FolderIsRefusedAndLeftAlone)
{
    TempDir dir;
    const fs::path folder = dir.file("shots.png");
    fs::create_directory(folder);
    CxImage img = makeImage(4, 4, 24, false);
    EXPECT_FALSE(img.Save(folder.string(), CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(img.GetLastError(), "Can't open file for writing: Is a directory");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(dir.entryCount(), 1u);
    CxSafeFile out;
    EXPECT_FALSE(out.Open(folder.string()));
    EXPECT_EQ(out.Error(), "Is a directory");
}

TEST(SaveTargets, WriteProtectedFileIsRefusedUnchanged)
{
    TempDir dir;
    const fs::path target = dir.file("signed.png");
    const std::vector<uint8_t> old = {'k', 'e', 'e', 'p'};
    writeFile(target, old);
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    CxImage img = makeImage(4, 4, 24, false);
    EXPECT_FALSE(img.Save(target.string(), CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(img.GetLastError(), "Can't open file for writing: Permission denied");
    EXPECT_EQ(readFile(target), old);
    EXPECT_EQ(dir.entryCount(), 1u);
    // Through a link the protection holds as well.
    const fs::path link = dir.file("link.png");
    fs::create_symlink(target, link);
    EXPECT_FALSE(img.Save(link.string(), CXIMAGE_FORMAT_PNG));
    EXPECT_EQ(readFile(target), old);
    CxSafeFile out;
    EXPECT_FALSE(out.Open(target.string()));
    EXPECT_EQ(out.Error(), "Permission denied");
}

TEST(SaveTargets, LongestValidNameIsSaved)
{
    TempDir dir;
    const long nameMax = pathconf(dir.file("").c_str(), _PC_NAME_MAX);
    ASSERT_GT(nameMax, 10);
    for (size_t length : {size_t(nameMax) - 10, size_t(nameMax)}) {
        SCOPED_TRACE(length);
        const std::string name = std::string(length - 4, 'p') + ".png";
        CxImage img = makeImage(3, 2, 24, false);
        ASSERT_TRUE(img.Save(dir.file(name).string(), CXIMAGE_FORMAT_PNG)) << img.GetLastError();
        ASSERT_TRUE(img.Save(dir.file(name).string(), CXIMAGE_FORMAT_PNG)) << img.GetLastError();
        CxImage back(dir.file(name).string(), CXIMAGE_FORMAT_PNG);
        EXPECT_EQ(back.GetWidth(), 3u);
    }
    EXPECT_EQ(dir.entryCount(), 2u);
}

TEST(SaveTargets, TemporariesOfKilledSavesAreClearedOnTheNextSave)
{
    TempDir dir;
    const pid_t gone = deadPid();
    const pid_t alive = getppid(); // a running process: its temporary may be in use
    const std::string stale = ".scriva-" + std::to_string(gone) + "-0.tmp";
    const std::string live = ".scriva-" + std::to_string(alive) + "-3.tmp";
    // Names a user may choose, whatever number they hold, and a folder of our naming.
    const std::string g = std::to_string(gone);
    const std::vector<std::string> keep = {"notes.part-1-2-x",     ".scriva-x-1.tmp",
                                           "a.png.part-",          "old.png.part-" + g + "-0",
                                           "minutes.part-2024-12", "x.part-" + g + "-1.png"};
    const std::string folder = ".scriva-" + g + "-1.tmp";
    for (const auto& n : {stale, live})
        writeFile(dir.file(n), {1, 2, 3});
    for (const auto& n : keep)
        writeFile(dir.file(n), {4});
    fs::create_directory(dir.file(folder));
    CxImage img = makeImage(3, 3, 24, false);
    ASSERT_TRUE(img.Save(dir.file("new.png").string(), CXIMAGE_FORMAT_PNG));
    EXPECT_FALSE(fs::exists(dir.file(stale)));
    EXPECT_TRUE(fs::is_directory(dir.file(folder)));
    EXPECT_TRUE(fs::exists(dir.file(live)));
    for (const auto& n : keep)
        EXPECT_TRUE(fs::exists(dir.file(n))) << n;
    EXPECT_TRUE(fs::exists(dir.file("new.png")));
}

TEST(SaveTargets, KilledWriterLeavesOnlyATemporaryTheNextSaveRemoves)
{
    TempDir dir;
    const fs::path target = dir.file("page.bmp");
    CxImage first = makeImage(4, 4, 24, false);
    ASSERT_TRUE(first.Save(target.string(), CXIMAGE_FORMAT_BMP));
    const std::vector<uint8_t> before = readFile(target);
    const pid_t child = fork();
    if (child == 0) { // a save that never commits: its process dies with the file open
        CxSafeFile out;
        if (out.Open(target.string()))
            std::fputs("half a picture", out.Stream()), std::fflush(out.Stream());
        raise(SIGKILL);
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(readFile(target), before);
    EXPECT_EQ(dir.entryCount(), 2u); // the target and the killed save's temporary
    CxImage second = makeImage(6, 5, 24, false);
    ASSERT_TRUE(second.Save(target.string(), CXIMAGE_FORMAT_BMP));
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(SaveTargets, TemporaryNamesAreRecognised)
{
    struct Case
    {
        const char* name;
        bool ours;
        long pid;
    };
    for (const Case& c : {Case{".scriva-123-0.tmp", true, 123}, Case{"x.png.part-77-12", false, 0},
                          Case{".scriva-123-.tmp", false, 0}, Case{".scriva--1.tmp", false, 0},
                          Case{".scriva-1a-2.tmp", false, 0}, Case{"part-1-2", false, 0},
                          Case{"x.part-1-2.png", false, 0}, Case{"page.png", false, 0}}) {
        long pid = 0;
        EXPECT_EQ(CxSafeFile::IsTemporaryName(c.name, &pid), c.ours) << c.name;
        if (c.ours) {
            EXPECT_EQ(pid, c.pid) << c.name;
        }
    }
}

TEST(SaveTargets, WriteErrorOfADirectTargetIsReported)
{
    // A FIFO whose reader goes away: the writer gets EPIPE, not success.
    TempDir dir;
    const fs::path fifo = dir.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::thread reader([&] {
        const int fd = open(fifo.c_str(), O_RDONLY | O_CLOEXEC);
        close(fd);
    });
    struct sigaction ignore = {}, old = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &old);
    CxImage img = makeImage(300, 300, 24, false);
    CxSafeFile out;
    bool committed = true;
    if (out.Open(fifo.string())) {
        reader.join();
        std::vector<uint8_t> bytes = encode(img, CXIMAGE_FORMAT_BMP);
        EXPECT_FALSE(out.Write(bytes.data(), bytes.size()));
        committed = out.Commit();
    } else {
        reader.join();
    }
    sigaction(SIGPIPE, &old, nullptr);
    EXPECT_FALSE(committed);
    EXPECT_EQ(out.Error(), "Broken pipe");
}

TEST(SaveTargets, AFullDiskKeepsTheOlderFileAndSaysTheSystemsReason)
{
    // The save runs in a child process whose files may not grow past 64 bytes (the file
    // system's "full" for it: EFBIG); its error text comes back through a pipe.
    TempDir dir;
    const fs::path target = dir.file("page.png");
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    for (uint32_t type :
         {CXIMAGE_FORMAT_BMP, CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_JPG, CXIMAGE_FORMAT_TIF}) {
        SCOPED_TRACE(type);
        writeFile(target, old);
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit = {64, 64};
            setrlimit(RLIMIT_FSIZE, &limit);
            CxImage img = makeImage(200, 150, 24, false);
            const bool saved = img.Save(target.string(), type);
            const std::string text = img.GetLastError();
            if (write(fds[1], text.data(), text.size()) < 0)
                _exit(3);
            _exit(saved ? 0 : 1);
        }
        close(fds[1]);
        char buf[300] = {};
        const ssize_t n = read(fds[0], buf, sizeof buf - 1);
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string text(buf, n > 0 ? size_t(n) : 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1) << text;
        EXPECT_NE(text.find("File too large"), std::string::npos) << text;
        EXPECT_EQ(readFile(target), old);
        EXPECT_EQ(dir.entryCount(), 1u) << "no temporary left";
    }
}
