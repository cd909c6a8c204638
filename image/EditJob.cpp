#include "EditJob.h"

#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace scriva::image {

EditJob::EditJob(QObject* parent) : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcher<EditResult>::finished, this, &EditJob::onWorkDone);
}

EditJob::~EditJob()
{
    m_watcher.waitForFinished();
}

bool EditJob::Start(const CxImage& source, const EditRequest& request)
{
    if (m_running)
        return false;
    m_running = true;
    m_request = request;
    m_error.clear();
    m_result = EditResult::Failed;
    m_clock.start();
    m_image = std::make_unique<CxImage>(source);
    if (!m_image->IsValid() && source.IsValid()) {
        // The copy itself ran out of memory: report it as the edit's failure.
        m_error = QString::fromUtf8(m_image->GetLastError());
        m_image.reset();
        finish();
        return true;
    }
    CxImage* image = m_image.get();
    m_watcher.setFuture(QtConcurrent::run([image, request] { return ApplyEdit(*image, request); }));
    return true;
}

void EditJob::onWorkDone()
{
    m_result = m_watcher.result();
    if (m_result != EditResult::Done) {
        m_error = QString::fromUtf8(m_image->GetLastError());
        m_image.reset();
    }
    finish();
}

void EditJob::finish()
{
    // Timers may fire a little early: wait again until the minimum has passed.
    const qint64 left = kMinimumMs - m_clock.elapsed();
    if (left > 0) {
        QTimer::singleShot(int(left), Qt::PreciseTimer, this, &EditJob::finish);
        return;
    }
    m_running = false;
    emit finished(m_request.command);
}

} // namespace scriva::image
