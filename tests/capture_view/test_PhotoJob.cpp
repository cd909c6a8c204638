// The take-photo steps between the settings and the file: counter names saved
// at once, date names from the given clock, names that would leave the folder
// refused before the counter moves, the print path touching nothing, an
// unknown format saving nothing, the preset page size, a failed save that
// leaves the file it was to replace whole, takers in parallel that share
// the counter and never replace each other's photos, and a fixed name part
// with the first free number (the command-line demo), and a page look that
// fails leaving the photo as taken.

#include "PhotoTestSupport.h"

#include "capture_view/PhotoJob.h"
#include "config/CConfigFile.h"
#include "tests/common/MemoryCeiling.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>
#include <vector>

using namespace phototest;

namespace {

const QString S = QStringLiteral("TAKE_PHOTOS_SET");

class PhotoJobTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_box.isValid());
        const QString shipped =
            qEnvironmentVariable("SCRIVA_SOURCE_DIR") + "/resources/config/config.cfg";
        QString error;
        ASSERT_TRUE(m_store.Load(shipped, &error)) << qPrintable(error);
        m_storePath = m_box.path("config.cfg");
        m_folder = m_box.documents() + "/Scriva";
    }
    int32_t savedCounter() const
    {
        CConfigFile saved;
        int32_t value = 0;
        if (saved.Load(m_storePath))
            saved.GetInt("initialValue", value, S);
        return value;
    }
    // Prepares a photo and develops the demo frame into it.
    bool take(PhotoJob& job, bool noSave = false)
    {
        if (!job.Prepare(m_now, noSave))
            return false;
        CxImage frame = demoFrame();
        return job.Develop(frame, 4, 2592);
    }
    PhotoSandbox m_box;
    CConfigFile m_store;
    QString m_storePath;
    QString m_folder;
    PhotoMemory m_memory;
    QDateTime m_now{QDate(2026, 5, 6), QTime(7, 8, 9)};
};

} // namespace

TEST_F(PhotoJobTest, CounterNamesAdvanceAndAreSavedAtOnce)
{
    m_store.SetInt("initialValue", 7, S);
    m_store.SetInt("increment", 2, S);
    const std::pair<const char*, int> expected[] = {
        {"IMG_7.jpg", 9}, {"IMG_9.jpg", 11}, {"IMG_11.jpg", 13}};
    for (const auto& [name, next] : expected) {
        PhotoJob job(m_store, m_storePath, m_memory);
        ASSERT_TRUE(job.Prepare(m_now));
        EXPECT_EQ(job.PhotoPath(), m_folder + "/" + name);
        // On disk before the photo is even taken.
        EXPECT_EQ(savedCounter(), next);
        EXPECT_FALSE(job.PhotoExists());
    }
    EXPECT_TRUE(QFileInfo(m_folder).isDir());
}

TEST_F(PhotoJobTest, TakesAnUprightA4PhotoIntoTheSaveFolder)
{
    PhotoJob job(m_store, m_storePath, m_memory);
    ASSERT_TRUE(take(job)) << qPrintable(job.FailureDetail());
    EXPECT_EQ(job.PhotoPath(), m_folder + "/IMG_1.jpg");
    CxImage saved;
    ASSERT_TRUE(saved.Load(QFile::encodeName(job.PhotoPath()).toStdString(), 0));
    EXPECT_EQ(saved.GetType(), uint32_t(CXIMAGE_FORMAT_JPG));
    EXPECT_NEAR(double(saved.GetHeight()) / saved.GetWidth(), 297.0 / 210.0, 0.03);
    EXPECT_TRUE(readsUpright(saved));
    EXPECT_EQ(saved.GetXDPI(), 400);
    // The shipped A4 page size is remembered for preset photos.
    EXPECT_EQ(m_memory.pageHeightMm, 210);
    EXPECT_EQ(m_memory.pageWidthMm, 297);
    // Nothing but the photo in the folder.
    EXPECT_EQ(QDir(m_folder).entryList(QDir::Files), QStringList{"IMG_1.jpg"});
}

TEST_F(PhotoJobTest, DateNamesComeFromTheClockAndRepeatWithinASecond)
{
    m_store.SetInt("nomenclature", 0, S);
    m_store.SetString("pictureFormat", "JPEG", S);
    PhotoJob first(m_store, m_storePath, m_memory);
    ASSERT_TRUE(take(first));
    EXPECT_EQ(first.PhotoPath(), m_folder + "/IMG_2026_05_06_07_08_09.JPEG");
    PhotoJob second(m_store, m_storePath, m_memory);
    ASSERT_TRUE(second.Prepare(m_now));
    EXPECT_TRUE(second.PhotoExists());
    EXPECT_FALSE(QFileInfo::exists(m_storePath)); // date names store nothing
}

TEST_F(PhotoJobTest, AFixedNamePartTakesTheFirstFreeNameAndNoCounter)
{
    m_store.SetInt("initialValue", 7, S);
    ASSERT_TRUE(QDir().mkpath(m_folder));
    ASSERT_TRUE(writeFile(m_folder + "/IMG_demo_2.jpg", "not ours"));
    const char* const expected[] = {"IMG_demo.jpg", "IMG_demo_3.jpg"};
    for (const char* name : expected) {
        PhotoJob job(m_store, m_storePath, m_memory);
        job.NameWith(QStringLiteral("demo"));
        ASSERT_TRUE(take(job)) << qPrintable(job.FailureDetail());
        EXPECT_EQ(job.PhotoPath(), m_folder + "/" + name);
        EXPECT_FALSE(job.PhotoExists()); // a free name is never asked about
    }
    EXPECT_EQ(readFile(m_folder + "/IMG_demo_2.jpg"), QByteArray("not ours"));
    CxImage saved;
    ASSERT_TRUE(saved.Load(QFile::encodeName(m_folder + "/IMG_demo_3.jpg").toStdString(), 0));
    EXPECT_EQ(saved.GetType(), uint32_t(CXIMAGE_FORMAT_JPG));
    EXPECT_FALSE(QFileInfo::exists(m_storePath));
    int32_t counter = 0;
    EXPECT_TRUE(m_store.GetInt("initialValue", counter, S));
    EXPECT_EQ(counter, 7);

    // A folder that cannot be made: the save fails and leaves nothing.
    m_store.SetString("savePath", m_box.path("blocked/photos"), S);
    ASSERT_TRUE(writeFile(m_box.path("blocked"), "a file"));
    PhotoJob blocked(m_store, m_storePath, m_memory);
    blocked.NameWith(QStringLiteral("demo"));
    EXPECT_FALSE(take(blocked));
    EXPECT_EQ(blocked.failure(), PhotoJob::Failure::SaveFailed);
    EXPECT_TRUE(blocked.FailureDetail().startsWith(m_box.path("blocked/photos/IMG_demo.jpg")))
        << qPrintable(blocked.FailureDetail());
    EXPECT_EQ(readFile(m_box.path("blocked")), QByteArray("a file"));
}

TEST_F(PhotoJobTest, NamesLeavingTheFolderAreRefusedBeforeTheCounterMoves)
{
    for (const auto& [key, value] :
         {std::pair{"fileName", "../escape"}, std::pair{"fileName", "a/b"},
          std::pair{"pictureFormat", "jpg/../../x"}}) {
        CConfigFile store;
        ASSERT_TRUE(
            store.Load(qEnvironmentVariable("SCRIVA_SOURCE_DIR") + "/resources/config/config.cfg"));
        store.SetString(QString::fromLatin1(key), QString::fromLatin1(value), S);
        PhotoJob job(store, m_storePath, m_memory);
        EXPECT_FALSE(job.Prepare(m_now));
        EXPECT_EQ(job.failure(), PhotoJob::Failure::UnusableName);
        int32_t counter = 0;
        store.GetInt("initialValue", counter, S);
        EXPECT_EQ(counter, 1);
    }
    EXPECT_FALSE(QFileInfo::exists(m_storePath));
    EXPECT_TRUE(QDir(m_box.path("")).entryList({"escape*"}).isEmpty());
}

TEST_F(PhotoJobTest, PrintPathTouchesNoCounterFolderOrFile)
{
    PhotoJob job(m_store, m_storePath, m_memory);
    ASSERT_TRUE(take(job, true));
    EXPECT_TRUE(job.Photo().IsValid());
    EXPECT_TRUE(readsUpright(job.Photo()));
    EXPECT_TRUE(job.PhotoPath().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(m_storePath));
    EXPECT_FALSE(QFileInfo::exists(m_folder));
    int32_t counter = 0;
    m_store.GetInt("initialValue", counter, S);
    EXPECT_EQ(counter, 1);
}

TEST_F(PhotoJobTest, UnknownFormatSavesNothing)
{
    m_store.SetString("pictureFormat", "gif", S);
    PhotoJob job(m_store, m_storePath, m_memory);
    EXPECT_FALSE(take(job));
    EXPECT_EQ(job.failure(), PhotoJob::Failure::UnknownFormat);
    EXPECT_TRUE(QDir(m_folder).entryList(QDir::Files).isEmpty());
    // Refused before the counter moves or the save folder is made.
    EXPECT_EQ(savedCounter(), 0);
    EXPECT_FALSE(QFileInfo::exists(m_folder));
}

TEST_F(PhotoJobTest, PresetPageSizeKeepsTheLastNamedSize)
{
    // Without a preset area "Preinstall" means the whole picture.
    m_store.SetString("sizePicture", "Preinstall", S);
    PhotoJob whole(m_store, m_storePath, m_memory);
    ASSERT_TRUE(take(whole, true));
    EXPECT_FALSE(whole.Report().page.cut);
    EXPECT_EQ(m_memory.pageHeightMm, 0);

    m_memory.hasPreset = true;
    m_memory.pageHeightMm = 148;
    m_memory.pageWidthMm = 210;
    m_memory.preset = PresetArea{0, 0, 200, 100, 0, 0, 1.0};
    PhotoJob preset(m_store, m_storePath, m_memory);
    ASSERT_TRUE(take(preset, true));
    EXPECT_TRUE(preset.Report().page.cut);
    EXPECT_EQ(m_memory.pageHeightMm, 148); // kept, not looked up
    EXPECT_EQ(preset.Photo().GetWidth(), 200u);
    EXPECT_EQ(preset.Photo().GetHeight(), 100u);
}

TEST_F(PhotoJobTest, AFailedSaveKeepsTheFileItWasToReplace)
{
    PhotoJob job(m_store, m_storePath, m_memory);
    ASSERT_TRUE(job.Prepare(m_now));
    ASSERT_TRUE(writeFile(job.PhotoPath(), "the earlier photo"));
    ASSERT_TRUE(job.PhotoExists());
    job.AllowReplace(); // as the user's Yes to the question
    // Files may grow to 4 KiB only: the encoder's writes fail part-way.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    CxImage frame = demoFrame();
    const bool developed = job.Develop(frame, 4, 2592);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(developed);
    EXPECT_EQ(job.failure(), PhotoJob::Failure::SaveFailed);
    EXPECT_TRUE(job.FailureDetail().contains(job.PhotoPath()));
    EXPECT_EQ(readFile(job.PhotoPath()), QByteArray("the earlier photo"));
    EXPECT_EQ(QDir(m_folder).entryList(QDir::Files), QStringList{"IMG_1.jpg"});
}

// A page look that fails never costs the photo: it is saved as taken and the
// report says which step failed and why. The child process gets a ceiling on
// its address space a little above what it uses with the frame in memory:
// enough to straighten the page, too little for the black-and-white page's
// running sums (eight bytes a pixel).
TEST_F(PhotoJobTest, APageLookThatFailsSavesThePhotoAsTaken)
{
    m_store.SetInt("pageLook", int(cxlook::Look::BlackWhite), S);
    m_store.SetInt("imageDirection", 0, S); // not turned
    PhotoJob job(m_store, m_storePath, m_memory);
    ASSERT_TRUE(job.Prepare(m_now));
    CxImage frame = plainPage(4000, 3000, 3600, 2700);
    ASSERT_TRUE(frame.IsValid());
    const QString reportPath = m_box.path("report.txt");
    const int result = scriva::test::RunWithHeadroom(48u << 20, [&] {
        const bool developed = job.Develop(frame, 0, 4000);
        const QString text = developed ? job.Report().lookError : job.FailureDetail();
        writeFile(reportPath, text.toUtf8());
        return !developed ? 4 : job.Report().lookFailed ? 0 : 5;
    });
    const QString said = QString::fromUtf8(readFile(reportPath));
    // 4: the photo was refused; 5: the ceiling was too high to mean anything;
    // negative: the child was ended by that signal.
    ASSERT_EQ(result, 0) << qPrintable(said);
    EXPECT_TRUE(said.contains(QStringLiteral("memory"))) << qPrintable(said);
    CxImage saved;
    ASSERT_TRUE(saved.Load(QFile::encodeName(job.PhotoPath()).toStdString(), 0));
    EXPECT_EQ(saved.GetBpp(), 24u); // as taken, not the 1-bit page
    EXPECT_NEAR(int(saved.GetWidth()), 3600, 8);
    EXPECT_NEAR(int(saved.GetHeight()), 2700, 8);
    EXPECT_EQ(QDir(m_folder).entryList(QDir::Files), QStringList{"IMG_1.jpg"});
}

TEST_F(PhotoJobTest, ParallelTakersNeverReplaceEachOthersPhotosNorSetTheCounterBack)
{
    // Two programs (the program and scriva-cli) take photos into one folder
    // with one settings file; each has its own store, loaded once.
    m_store.SetString("pictureFormat", "bmp", S);
    m_store.SetInt("initialValue", 5, S);
    m_store.SetInt("increment", 1, S);
    ASSERT_TRUE(m_store.Save(m_storePath));
    constexpr int kTakers = 2;
    constexpr int kPhotos = 8;
    struct Saved
    {
        QString path;
        std::vector<uint8_t> bytes;
    };
    std::vector<Saved> saved[kTakers];
    std::vector<int32_t> counters[kTakers];
    QString failures[kTakers];
    std::vector<std::thread> takers;
    for (int t = 0; t < kTakers; ++t) {
        takers.emplace_back([&, t] {
            CConfigFile store;
            PhotoMemory memory;
            if (!store.Load(m_storePath))
                failures[t] = "cannot load the settings";
            for (int i = 0; i < kPhotos && failures[t].isEmpty(); ++i) {
                PhotoJob job(store, m_storePath, memory);
                // A page of its own size: the photo's bytes tell whose it is.
                CxImage frame = plainPage(400, 300, 150 + 40 * t + 4 * i, 200);
                if (!job.Prepare(m_now) || !job.Develop(frame, 0, 400)) {
                    failures[t] = job.FailureDetail();
                    break;
                }
                Saved photo{job.PhotoPath(), {}};
                CxImage developed(job.Photo());
                developed.Encode(photo.bytes, CXIMAGE_FORMAT_BMP);
                saved[t].push_back(std::move(photo));
                CConfigFile now;
                int32_t counter = 0;
                if (now.Load(m_storePath))
                    now.GetInt("initialValue", counter, S);
                counters[t].push_back(counter);
            }
        });
    }
    for (std::thread& taker : takers)
        taker.join();
    QSet<QString> names;
    for (int t = 0; t < kTakers; ++t) {
        SCOPED_TRACE(t);
        EXPECT_TRUE(failures[t].isEmpty()) << qPrintable(failures[t]);
        EXPECT_EQ(saved[t].size(), size_t(kPhotos));
        // Every photo reported saved is there with its own content.
        for (const Saved& photo : saved[t]) {
            names.insert(photo.path);
            const QByteArray bytes = readFile(photo.path);
            EXPECT_TRUE(bytes == QByteArray(reinterpret_cast<const char*>(photo.bytes.data()),
                                            qsizetype(photo.bytes.size())))
                << qPrintable(photo.path) << " holds another photo";
        }
        // The counter each taker sees on disk only ever moves on.
        QStringList seen;
        for (int32_t c : counters[t])
            seen << QString::number(c);
        EXPECT_TRUE(std::is_sorted(counters[t].begin(), counters[t].end()))
            << qPrintable(seen.join(u' '));
    }
    EXPECT_EQ(names.size(), kTakers * kPhotos);
    EXPECT_EQ(QDir(m_folder).entryList(QDir::Files).size(), kTakers * kPhotos);
    EXPECT_EQ(savedCounter(), 5 + kTakers * kPhotos);
}

TEST_F(PhotoJobTest, ANameTakenWhileThePhotoIsDevelopedIsReplacedOnlyWhenAllowed)
{
    PhotoJob job(m_store, m_storePath, m_memory);
    ASSERT_TRUE(job.Prepare(m_now));
    ASSERT_FALSE(job.PhotoExists());
    // Another program saves a photo of the same name meanwhile.
    ASSERT_TRUE(writeFile(job.PhotoPath(), "their photo"));
    CxImage frame = demoFrame();
    EXPECT_FALSE(job.Develop(frame, 4, 2592));
    EXPECT_EQ(job.failure(), PhotoJob::Failure::Exists);
    EXPECT_EQ(readFile(job.PhotoPath()), QByteArray("their photo"));
    EXPECT_EQ(QDir(m_folder).entryList(QDir::Files | QDir::Hidden), QStringList{"IMG_1.jpg"});
    // The user's Yes to the question replaces it with the photo already developed.
    job.AllowReplace();
    ASSERT_TRUE(job.SavePhoto()) << qPrintable(job.FailureDetail());
    CxImage saved;
    ASSERT_TRUE(saved.Load(QFile::encodeName(job.PhotoPath()).toStdString(), 0));
    EXPECT_EQ(saved.GetType(), uint32_t(CXIMAGE_FORMAT_JPG));
    EXPECT_EQ(saved.GetWidth(), job.Photo().GetWidth());
}

TEST_F(PhotoJobTest, TheProgramsExitSaveNeverSetsTheCounterBack)
{
    m_store.SetInt("initialValue", 5, S);
    ASSERT_TRUE(m_store.Save(m_storePath));
    CConfigFile program;
    ASSERT_TRUE(program.Load(m_storePath));
    PhotoJob first(program, m_storePath, m_memory);
    ASSERT_TRUE(first.Prepare(m_now));
    EXPECT_TRUE(first.PhotoPath().endsWith("/IMG_5.jpg"));
    // scriva-cli takes two photos meanwhile.
    CConfigFile cli;
    ASSERT_TRUE(cli.Load(m_storePath));
    for (const char* name : {"/IMG_6.jpg", "/IMG_7.jpg"}) {
        PhotoJob job(cli, m_storePath, m_memory);
        ASSERT_TRUE(job.Prepare(m_now));
        EXPECT_TRUE(job.PhotoPath().endsWith(QLatin1String(name))) << qPrintable(job.PhotoPath());
    }
    // The program's next photo goes on from there, and its exit save keeps it.
    PhotoJob second(program, m_storePath, m_memory);
    ASSERT_TRUE(second.Prepare(m_now));
    EXPECT_TRUE(second.PhotoPath().endsWith("/IMG_8.jpg")) << qPrintable(second.PhotoPath());
    ASSERT_TRUE(cli.SaveChanges(m_storePath));
    ASSERT_TRUE(program.SaveChanges(m_storePath));
    EXPECT_EQ(savedCounter(), 9);
}

// The photo setting pageLook gives every photo its look after the cut and the
// straightening; anything but 1 to 3 (the shipped 0 too) keeps the photo as taken.
TEST_F(PhotoJobTest, PageLookSettingGivesThePhotoItsLook)
{
    struct Case
    {
        const char* look;
        const char* format;
        uint32_t bpp;
    };
    const Case cases[] = {{"0", "png", 24}, {"1", "png", 24}, {"2", "png", 8},  {"3", "png", 1},
                          {"3", "tif", 1},  {"3", "jpg", 8},  {"7", "png", 24}, {"", "png", 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.look) + " " + c.format);
        m_store.SetString("pageLook", c.look, S);
        m_store.SetString("pictureFormat", c.format, S);
        PhotoJob job(m_store, m_storePath, m_memory);
        ASSERT_TRUE(take(job)) << qPrintable(job.FailureDetail());
        CxImage saved;
        ASSERT_TRUE(saved.Load(QFile::encodeName(job.PhotoPath()).toStdString(), 0));
        EXPECT_EQ(saved.GetBpp(), c.bpp);
        // Cut, straightened and turned as ever: an upright A4 page whose print reads.
        EXPECT_NEAR(double(saved.GetHeight()) / saved.GetWidth(), 297.0 / 210.0, 0.03);
        EXPECT_TRUE(readsUpright(saved));
    }
}

TEST_F(PhotoJobTest, APictureAsShownIsSavedWholeAndNeverReplacesAFile)
{
    m_store.SetInt("initialValue", 7, S);
    m_store.SetInt("increment", 1, S);
    m_store.SetString("pictureFormat", "png", S);
    ASSERT_TRUE(QDir().mkpath(m_folder));
    ASSERT_TRUE(writeFile(m_folder + "/IMG_8.png", "not ours"));
    // A picture with one marked pixel near its top-left corner (rows of the
    // image object count from the bottom).
    const auto picture = [] {
        CxImage frame = demoFrame();
        frame.SetPixelColor(5, int32_t(frame.GetHeight()) - 1 - 3, RGBQUAD{0, 0, 255, 0});
        return frame;
    };
    const struct
    {
        const char* name;
        int counterAfter;
    } expected[] = {{"IMG_7.png", 8}, {"IMG_8_2.png", 9}};
    for (const auto& e : expected) {
        PhotoJob job(m_store, m_storePath, m_memory);
        ASSERT_TRUE(job.Prepare(m_now));
        CxImage shown = picture();
        ASSERT_TRUE(job.SaveAsShown(shown, 2592)) << qPrintable(job.FailureDetail());
        EXPECT_EQ(job.PhotoPath(), m_folder + "/" + e.name);
        EXPECT_EQ(savedCounter(), e.counterAfter);
        // Saved whole: no page cut, turn or look, the resolution of the frame width.
        CxImage saved;
        ASSERT_TRUE(saved.Load(QFile::encodeName(job.PhotoPath()).toStdString(), 0));
        EXPECT_EQ(saved.GetType(), uint32_t(CXIMAGE_FORMAT_PNG));
        EXPECT_EQ(saved.GetWidth(), 2592u);
        EXPECT_EQ(saved.GetHeight(), 1944u);
        EXPECT_EQ(saved.GetXDPI(), 400);
        const RGBQUAD marked = saved.GetPixelColor(5, 1944 - 1 - 3);
        EXPECT_EQ(marked.rgbRed, 255);
        EXPECT_EQ(marked.rgbGreen + marked.rgbBlue, 0);
    }
    EXPECT_EQ(readFile(m_folder + "/IMG_8.png"), QByteArray("not ours"));

    // Date names twice within a second: the second picture takes a free name.
    m_store.SetInt("nomenclature", 0, S);
    for (const char* name : {"IMG_2026_05_06_07_08_09.png", "IMG_2026_05_06_07_08_09_2.png"}) {
        PhotoJob job(m_store, m_storePath, m_memory);
        ASSERT_TRUE(job.Prepare(m_now));
        CxImage shown = picture();
        ASSERT_TRUE(job.SaveAsShown(shown, 1600));
        EXPECT_EQ(job.PhotoPath(), m_folder + "/" + name);
    }

    // No picture, or a job prepared for printing only: nothing is saved.
    const QStringList before = QDir(m_folder).entryList(QDir::Files);
    PhotoJob empty(m_store, m_storePath, m_memory);
    ASSERT_TRUE(empty.Prepare(m_now));
    CxImage none;
    EXPECT_FALSE(empty.SaveAsShown(none, 2592));
    EXPECT_EQ(empty.failure(), PhotoJob::Failure::NoFrame);
    PhotoJob print(m_store, m_storePath, m_memory);
    ASSERT_TRUE(print.Prepare(m_now, true));
    CxImage shown = picture();
    EXPECT_FALSE(print.SaveAsShown(shown, 2592));
    EXPECT_EQ(QDir(m_folder).entryList(QDir::Files), before);
}
