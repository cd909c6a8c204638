#include "RecognitionJob.h"

#include <QThread>

namespace scriva::ocr {

RecognitionJob::RecognitionJob(QObject* parent) : QObject(parent) {}

RecognitionJob::~RecognitionJob()
{
    m_cancel = true;
    if (m_worker)
        m_worker->wait();
}

bool RecognitionJob::Start(const QStringList& paths, const RecognitionOptions& options,
                           const QString& failureText)
{
    if (m_running || paths.isEmpty())
        return false;
    if (m_worker)
        m_worker->wait(); // the last one has ended; its thread may still be leaving
    m_running = true;
    m_cancel = false;
    m_results.clear();
    m_texts.clear();
    auto work = [this, paths, options, failureText] {
        auto report = [this](int done, int total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { emit progress(done, total); }, Qt::QueuedConnection);
        };
        m_results = RecognizeFiles(paths, options, &m_cancel, report);
        for (const FileResult& result : m_results) {
            if (result.done)
                m_texts.insert(result.path, StoredTextFor(result, failureText));
        }
    };
    m_worker.reset(QThread::create(work));
    // The thread's end is queued behind its progress reports.
    connect(m_worker.get(), &QThread::finished, this, &RecognitionJob::finish,
            Qt::QueuedConnection);
    m_worker->start();
    return true;
}

void RecognitionJob::finish()
{
    m_running = false;
    emit finished();
}

} // namespace scriva::ocr
