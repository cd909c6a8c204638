#include "ThumbBuilder.h"

#include "ThumbCache.h"
#include "ThumbCell.h"
#include "ThumbJpegWriter.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <mutex>

namespace scriva::thumbs {

namespace {
constexpr int kRunPriority = 0;
constexpr int kAddedPriority = 1; // a new photo goes ahead of a running rebuild
} // namespace

struct ThumbBuilder::Run
{
    ThumbStyle style;
    ThumbCache cache; // its folder is found on the controlling thread
    WorkerSink sink;
    quint64 generation = 0;
    bool reportsFinished = false;
    std::atomic<bool> cancel{false};
    std::atomic<size_t> remaining{0};
    // Cache writes held back while cells on screen are still being made (a
    // run stopped before then drops them; a later run makes them again).
    std::mutex storeMutex;
    size_t urgentLeft = 0;          // under storeMutex
    std::vector<PendingStore> held; // under storeMutex

    // Writes the job's new thumbnail (if any) to the cache, or holds it back
    // while urgent jobs remain; the one that hands over the last urgent
    // picture writes what was held.
    void store(PendingStore pending, bool urgent);
};

void ThumbBuilder::Run::store(PendingStore pending, bool urgent)
{
    std::vector<PendingStore> due;
    {
        const std::lock_guard<std::mutex> lock(storeMutex);
        if (urgent && urgentLeft > 0)
            --urgentLeft;
        if (urgentLeft > 0) {
            if (!pending.image.isNull())
                held.push_back(std::move(pending));
            return;
        }
        due.swap(held);
    }
    for (PendingStore& p : due)
        p.Commit(cache);
    pending.Commit(cache);
}

ThumbBuilder::ThumbBuilder(int threads, QObject* parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(threads > 0 ? threads : std::max(1, QThread::idealThreadCount()));
}

ThumbBuilder::~ThumbBuilder()
{
    Stop();
}

quint64 ThumbBuilder::Start(const std::vector<ThumbJob>& jobs, ThumbStyle style, WorkerSink sink,
                            size_t urgent)
{
    Stop();
    auto run = std::make_shared<Run>();
    run->style = style;
    run->sink = std::move(sink);
    run->generation = ++m_generation;
    run->reportsFinished = true;
    run->remaining = jobs.size();
    run->urgentLeft = std::min(urgent, jobs.size());
    m_runs.push_back(run);
    if (jobs.empty()) {
        QMetaObject::invokeMethod(
            this, [this, g = run->generation] { emit finished(g); }, Qt::QueuedConnection);
        return run->generation;
    }
    for (size_t i = 0; i < jobs.size(); ++i)
        queue(run, jobs[i], kRunPriority, i < run->urgentLeft);
    return run->generation;
}

void ThumbBuilder::Add(const ThumbJob& job, ThumbStyle style)
{
    m_runs.erase(std::remove_if(m_runs.begin(), m_runs.end(),
                                [](const auto& r) { return r->remaining.load() == 0; }),
                 m_runs.end());
    auto run = std::make_shared<Run>();
    run->style = style;
    run->generation = m_generation;
    run->remaining = 1;
    m_runs.push_back(run);
    queue(run, job, kAddedPriority, false);
}

void ThumbBuilder::queue(const std::shared_ptr<Run>& run, const ThumbJob& job, int priority,
                         bool urgent)
{
    m_pool.start([this, run, job, urgent] { work(*run, job, urgent); }, priority);
}

void ThumbBuilder::work(Run& run, const ThumbJob& job, bool urgent)
{
    if (!run.cancel.load()) {
        PendingStore pending; // written once the picture is on its way
        ThumbPicture picture = run.style.sharedCache
                                   ? PictureThroughCache(job.path, run.style.box, run.cache,
                                                         run.style.freshFiles, &pending)
                                   : DecodeThumbnail(job.path, run.style.box);
        if (run.sink)
            run.sink(job, picture);
        if (run.style.compressed) {
            const QByteArray jpeg = EncodeThumbJpeg(picture.image);
            const QImage cell = urgent && run.style.inCell && !picture.image.isNull()
                                    ? ComposeCell(picture.image, run.style.box)
                                    : QImage();
            if (!run.cancel.load())
                emit pictureReady(run.generation, job.id, jpeg, cell);
        } else if (!run.cancel.load()) {
            QImage image = run.style.inCell && !picture.image.isNull()
                               ? ComposeCell(picture.image, run.style.box)
                               : picture.image;
            emit thumbnailReady(run.generation, job.id, image);
        }
        run.store(std::move(pending), urgent);
    }
    if (run.remaining.fetch_sub(1) == 1 && run.reportsFinished && !run.cancel.load())
        emit finished(run.generation);
}

void ThumbBuilder::Stop()
{
    for (const auto& run : m_runs)
        run->cancel = true;
    m_pool.clear(); // queued jobs never start; their runs are dropped below
    m_pool.waitForDone();
    m_runs.clear();
}

bool ThumbBuilder::WaitForDone(int msecs)
{
    return m_pool.waitForDone(msecs);
}

} // namespace scriva::thumbs
