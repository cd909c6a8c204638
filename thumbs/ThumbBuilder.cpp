#include "ThumbBuilder.h"

#include "ThumbCache.h"
#include "ThumbCell.h"
#include "ThumbJpegWriter.h"

#include <QThread>
#include <algorithm>
#include <atomic>

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
};

ThumbBuilder::ThumbBuilder(int threads, QObject* parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(threads > 0 ? threads : std::max(1, QThread::idealThreadCount()));
}

ThumbBuilder::~ThumbBuilder()
{
    Stop();
}

quint64 ThumbBuilder::Start(const std::vector<ThumbJob>& jobs, ThumbStyle style, WorkerSink sink)
{
    Stop();
    auto run = std::make_shared<Run>();
    run->style = style;
    run->sink = std::move(sink);
    run->generation = ++m_generation;
    run->reportsFinished = true;
    run->remaining = jobs.size();
    m_runs.push_back(run);
    if (jobs.empty()) {
        QMetaObject::invokeMethod(
            this, [this, g = run->generation] { emit finished(g); }, Qt::QueuedConnection);
        return run->generation;
    }
    for (const ThumbJob& job : jobs)
        queue(run, job, kRunPriority);
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
    queue(run, job, kAddedPriority);
}

void ThumbBuilder::queue(const std::shared_ptr<Run>& run, const ThumbJob& job, int priority)
{
    m_pool.start([this, run, job] { work(*run, job); }, priority);
}

void ThumbBuilder::work(Run& run, const ThumbJob& job)
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
            if (!run.cancel.load())
                emit pictureReady(run.generation, job.id, jpeg);
        } else if (!run.cancel.load()) {
            QImage image = run.style.inCell && !picture.image.isNull()
                               ? ComposeCell(picture.image, run.style.box)
                               : picture.image;
            emit thumbnailReady(run.generation, job.id, image);
        }
        pending.Commit(run.cache);
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
