// The thumbnail builder on its private pool: every job reported once under its
// generation, a new start cancels the old run, added jobs, worker sinks.
#include "EventIdle.h"
#include "QtTestRegistry.h"
#include "ThumbTestSupport.h"
#include "thumbs/ThumbBuilder.h"
#include "thumbs/ThumbGeometry.h"

#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <set>

using namespace scriva::thumbs;

namespace {

// Gathers the builder's signals on the test thread (queued, as the program
// receives them; a QSignalSpy would record on the workers).
struct Results : QObject
{
    struct Ready
    {
        quint64 generation;
        quint64 id;
        QImage image;
    };
    std::vector<Ready> ready;
    std::vector<quint64> finished;

    explicit Results(ThumbBuilder& builder)
    {
        connect(&builder, &ThumbBuilder::thumbnailReady, this,
                [this](quint64 g, quint64 id, const QImage& image) {
                    ready.push_back({g, id, image});
                });
        connect(&builder, &ThumbBuilder::finished, this,
                [this](quint64 g) { finished.push_back(g); });
    }
    bool waitFinished(int timeoutMs = 20000)
    {
        return QTest::qWaitFor([this] { return !finished.empty(); }, timeoutMs);
    }
};

} // namespace

class ThumbBuilderTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyJobIsReportedOnceThenFinished();
    void aNewStartCancelsTheOldRun();
    void addedJobsRunUnderTheCurrentGeneration();
    void sinkSeesEveryJobOnAWorker();
    void emptyRunFinishes();

private:
    std::vector<ThumbJob> jobs(int count) const;
    QTemporaryDir m_dir;
    QStringList m_paths;
};

void ThumbBuilderTest::initTestCase()
{
    for (int i = 0; i < 12; ++i) {
        const QString path = m_dir.filePath(QString("p%1.jpg").arg(i));
        QVERIFY(thumbtest::writeTwoColour(path, 640 + i, 480, Qt::red, Qt::blue));
        m_paths << path;
    }
}

std::vector<ThumbJob> ThumbBuilderTest::jobs(int count) const
{
    std::vector<ThumbJob> out;
    for (int i = 0; i < count; ++i)
        out.push_back(ThumbJob{quint64(100 + i), m_paths[i % m_paths.size()]});
    return out;
}

void ThumbBuilderTest::everyJobIsReportedOnceThenFinished()
{
    ThumbBuilder builder(2);
    Results r(builder);
    std::vector<ThumbJob> list = jobs(12);
    list.push_back(ThumbJob{999, m_dir.filePath("missing.jpg")});
    const quint64 generation = builder.Start(list, ThumbStyle{QSize(125, 100), true});
    QVERIFY(r.waitFinished());
    QCOMPARE(r.finished, std::vector<quint64>{generation});
    QCOMPARE(r.ready.size(), size_t(13));
    std::set<quint64> ids;
    for (const Results::Ready& one : r.ready) {
        QCOMPARE(one.generation, generation);
        ids.insert(one.id);
        if (one.id == 999)
            QVERIFY(one.image.isNull()); // a missing file keeps a blank cell
        else
            QCOMPARE(one.image.size(), QSize(125, 100)); // whole cells
    }
    QCOMPARE(ids.size(), size_t(13));
}

void ThumbBuilderTest::aNewStartCancelsTheOldRun()
{
    ThumbBuilder builder(2);
    Results r(builder);
    const quint64 first = builder.Start(jobs(200), ThumbStyle{QSize(125, 100), true});
    const quint64 second = builder.Start(jobs(3), ThumbStyle{QSize(60, 40), true});
    QVERIFY(second > first);
    QVERIFY(r.waitFinished());
    // The new start waited for the first run's workers: anything late of it is queued.
    QVERIFY(scriva::test::processUntilIdle());
    QCOMPARE(r.finished, std::vector<quint64>{second});
    int ofFirst = 0;
    for (const Results::Ready& one : r.ready)
        ofFirst += one.generation == first;
    // At most what the workers were decoding when the start came; never all.
    QVERIFY2(ofFirst <= builder.Threads(), qPrintable(QString::number(ofFirst)));
    QCOMPARE(int(r.ready.size()) - ofFirst, 3);
}

void ThumbBuilderTest::addedJobsRunUnderTheCurrentGeneration()
{
    ThumbBuilder builder(1);
    Results r(builder);
    const quint64 generation = builder.Start(jobs(6), ThumbStyle{QSize(50, 40), true});
    builder.Add(ThumbJob{7, m_paths[0]}, ThumbStyle{QSize(50, 40), true});
    QVERIFY(r.waitFinished());
    QVERIFY(builder.WaitForDone(20000));
    QTRY_COMPARE(r.ready.size(), size_t(7));
    // The added photo goes ahead of the queued rebuild jobs.
    int addedAt = -1;
    for (size_t i = 0; i < r.ready.size(); ++i) {
        QCOMPARE(r.ready[i].generation, generation);
        if (r.ready[i].id == 7)
            addedAt = int(i);
    }
    QVERIFY2(addedAt >= 0 && addedAt <= 1, qPrintable(QString::number(addedAt)));
    builder.Stop();
    builder.Add(ThumbJob{8, m_paths[1]}, ThumbStyle{QSize(50, 40), true});
    QTRY_COMPARE(r.ready.size(), size_t(8)); // adding works when no run is going
}

void ThumbBuilderTest::sinkSeesEveryJobOnAWorker()
{
    ThumbBuilder builder(2);
    Results r(builder);
    std::atomic<int> seen{0};
    std::atomic<int> onMain{0};
    QThread* main = QThread::currentThread();
    builder.Start(jobs(8), ThumbStyle{QSize(200, 200), false},
                  [&](const ThumbJob&, const ThumbPicture& picture) {
                      seen += !picture.image.isNull() && picture.image.width() == 200;
                      onMain += QThread::currentThread() == main;
                  });
    QVERIFY(builder.WaitForDone(20000));
    QCOMPARE(seen.load(), 8);
    QCOMPARE(onMain.load(), 0);
    QVERIFY(r.waitFinished());
}

void ThumbBuilderTest::emptyRunFinishes()
{
    ThumbBuilder builder;
    Results r(builder);
    const quint64 generation = builder.Start({}, ThumbStyle{QSize(10, 10), true});
    QVERIFY(r.waitFinished(5000));
    QCOMPARE(r.finished, std::vector<quint64>{generation});
}

SCRIVA_QTEST(ThumbBuilderTest)
#include "test_ThumbBuilder.moc"
