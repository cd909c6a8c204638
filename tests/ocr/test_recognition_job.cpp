// The recognition job with the real engine on real image files: progress and
// the one `finished` arrive on the calling thread, the texts are what the
// program stores (failures as the failure text), a cancel keeps what is done,
// and a job refuses a second start while it runs.

#include "OcrTestSupport.h"
#include "ocr/RecognitionJob.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace scriva::ocr;

namespace {

const QString kFailure = QStringLiteral("No text could be recognised.");
constexpr int kLongestRunMs = 120000; // a job that never ends fails instead of hanging

class RecognitionJobTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ocrtest::ensureGuiApp();
        QObject::connect(&job, &RecognitionJob::progress, [this](int done, int total) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            progress.push_back({done, total});
        });
        QObject::connect(&job, &RecognitionJob::finished, [this] {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            ++finished;
        });
    }

    QString savePage(const QString& name, const QString& text)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(ocrtest::renderText({text}).Save(QFile::encodeName(path).toStdString(),
                                                     CXIMAGE_FORMAT_PNG));
        return path;
    }

    static RecognitionOptions options(int threads)
    {
        RecognitionOptions o;
        o.modelsOverride = QStringLiteral("eng");
        o.threads = threads;
        return o;
    }

    // Runs the event loop until the job has finished (or the bound has passed).
    bool waitForEnd()
    {
        QEventLoop loop;
        QTimer bound;
        bound.setSingleShot(true);
        QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(&job, &RecognitionJob::finished, &loop, &QEventLoop::quit);
        bound.start(kLongestRunMs);
        if (job.IsRunning())
            loop.exec();
        return !job.IsRunning();
    }

    QTemporaryDir dir;
    RecognitionJob job;
    std::vector<std::pair<int, int>> progress;
    int finished = 0;
};

TEST_F(RecognitionJobTest, ThreeFilesWithTheSecondFailing)
{
    const QString broken = dir.filePath(QStringLiteral("b.png"));
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("broken");
    f.close();
    const QStringList paths = {savePage(QStringLiteral("a.png"), QStringLiteral("Alpha page")),
                               broken,
                               savePage(QStringLiteral("c.png"), QStringLiteral("Gamma page"))};
    ASSERT_TRUE(job.Start(paths, options(2), kFailure));
    EXPECT_TRUE(job.IsRunning());
    EXPECT_EQ(finished, 0); // never from within Start
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(finished, 1);
    // Every file counted once, in order, before the end.
    const std::vector<std::pair<int, int>> counted = {{1, 3}, {2, 3}, {3, 3}};
    EXPECT_EQ(progress, counted);
    const QVariantMap expected = {{paths[0], QStringLiteral("Alpha page\r\n")},
                                  {broken, kFailure},
                                  {paths[2], QStringLiteral("Gamma page\r\n")}};
    EXPECT_EQ(job.Texts(), expected);
    ASSERT_EQ(job.Results().size(), 3u);
    EXPECT_FALSE(job.Results()[1].ok);
    EXPECT_TRUE(job.Results()[1].reason.startsWith(QStringLiteral("cannot read the image")));

    // The job can run again; the new texts replace the old ones.
    ASSERT_TRUE(job.Start({paths[2]}, options(1), kFailure));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(finished, 2);
    EXPECT_EQ(job.Texts(), QVariantMap({{paths[2], QStringLiteral("Gamma page\r\n")}}));
}

TEST_F(RecognitionJobTest, StartsRefusedWithoutFilesOrWhileRunning)
{
    EXPECT_FALSE(job.Start({}, options(1), kFailure));
    EXPECT_FALSE(job.IsRunning());
    const QString page = savePage(QStringLiteral("a.png"), QStringLiteral("Only page"));
    ASSERT_TRUE(job.Start({page}, options(1), kFailure));
    EXPECT_FALSE(job.Start({page, page}, options(1), kFailure));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(job.Texts(), QVariantMap({{page, QStringLiteral("Only page\r\n")}}));
}

TEST_F(RecognitionJobTest, CancelKeepsWhatIsDone)
{
    QStringList paths;
    for (int i = 1; i <= 12; ++i)
        paths << savePage(QStringLiteral("p%1.png").arg(i), QStringLiteral("Sheet %1").arg(i));
    // Cancelled as soon as the first page is counted.
    QObject::connect(&job, &RecognitionJob::progress, [this] { job.Cancel(); });
    ASSERT_TRUE(job.Start(paths, options(1), kFailure));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(finished, 1);
    const QVariantMap texts = job.Texts();
    EXPECT_GE(texts.size(), 1);
    EXPECT_LT(texts.size(), paths.size());
    for (int i = 0; i < paths.size(); ++i) {
        if (texts.contains(paths[i]))
            EXPECT_EQ(texts.value(paths[i]).toString(), QStringLiteral("Sheet %1\r\n").arg(i + 1));
        EXPECT_EQ(job.Results()[size_t(i)].done, texts.contains(paths[i]));
    }
}

TEST_F(RecognitionJobTest, AJobLeftRunningIsWaitedFor)
{
    const QString page = savePage(QStringLiteral("a.png"), QStringLiteral("Left behind"));
    auto running = std::make_unique<RecognitionJob>();
    int ended = 0;
    QObject::connect(running.get(), &RecognitionJob::finished, [&ended] { ++ended; });
    ASSERT_TRUE(running->Start({page, page, page}, options(1), kFailure));
    running.reset(); // cancels, waits for the worker, and reports nothing afterwards
    QCoreApplication::processEvents();
    EXPECT_EQ(ended, 0);
}

} // namespace
