// Writes that only ever create a file: a name that is taken, before the write or while it
// runs, is never replaced, and nothing of the write stays behind. Made in a temporary folder.
#include "base/CxSafeFile.h"
#include "test_codecs_images.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace codectest;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

TEST(SaveNewFiles, AFreeNameIsCreated)
{
    TempDir dir;
    const fs::path target = dir.file("IMG_1.jpg");
    CxSafeFile file;
    ASSERT_TRUE(file.OpenNew(target.string())) << file.Error();
    ASSERT_TRUE(file.Write("photo", 5));
    ASSERT_TRUE(file.Commit()) << file.Error();
    EXPECT_EQ(readAll(target), "photo");
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(SaveNewFiles, ATakenNameIsRefusedBeforeWriting)
{
    TempDir dir;
    writeAll(dir.file("photo.jpg"), "theirs");
    ASSERT_EQ(mkdir(dir.file("folder.jpg").c_str(), 0700), 0);
    ASSERT_EQ(symlink("nowhere.jpg", dir.file("dangling.jpg").c_str()), 0);
    for (const char* name : {"photo.jpg", "folder.jpg", "dangling.jpg"}) {
        SCOPED_TRACE(name);
        CxSafeFile file;
        EXPECT_FALSE(file.OpenNew(dir.file(name).string()));
        EXPECT_EQ(file.ErrorNumber(), EEXIST);
        EXPECT_FALSE(file.Error().empty());
    }
    EXPECT_EQ(readAll(dir.file("photo.jpg")), "theirs");
    EXPECT_FALSE(fs::exists(dir.file("nowhere.jpg")));
    EXPECT_EQ(dir.entryCount(), 3u);
}

TEST(SaveNewFiles, ANameTakenWhileWritingIsKeptAndTheWriteDropped)
{
    // Another program saves a file (or a link) of the same name between the check and the
    // commit: the commit fails, theirs stays whole, no temporary is left.
    struct Case
    {
        const char* name;
        bool link;
    };
    for (const Case c : {Case{"IMG_7.jpg", false}, Case{"IMG_8.jpg", true}}) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path target = dir.file(c.name);
        CxSafeFile file;
        ASSERT_TRUE(file.OpenNew(target.string())) << file.Error();
        ASSERT_TRUE(file.Write("mine", 4));
        if (c.link)
            ASSERT_EQ(symlink("elsewhere.jpg", target.c_str()), 0);
        else
            writeAll(target, "theirs");
        EXPECT_FALSE(file.Commit());
        EXPECT_EQ(file.ErrorNumber(), EEXIST);
        if (c.link)
            EXPECT_TRUE(fs::is_symlink(target));
        else
            EXPECT_EQ(readAll(target), "theirs");
        EXPECT_EQ(dir.entryCount(), 1u);
    }
}

TEST(SaveNewFiles, AnOrdinaryOpenAfterwardsReplacesAgain)
{
    // The same object, reused for a save the user agreed to, replaces as before.
    TempDir dir;
    const fs::path target = dir.file("IMG_1.jpg");
    writeAll(target, "old");
    CxSafeFile file;
    EXPECT_FALSE(file.OpenNew(target.string()));
    ASSERT_TRUE(file.Open(target.string())) << file.Error();
    ASSERT_TRUE(file.Write("new", 3));
    ASSERT_TRUE(file.Commit()) << file.Error();
    EXPECT_EQ(readAll(target), "new");
    EXPECT_EQ(dir.entryCount(), 1u);
}
