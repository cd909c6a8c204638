#pragma once
// Recognition of whole image files as one job: the files are read on worker
// threads (RecognizeFiles), progress arrives on the user-interface thread, and
// `finished` says once, from one place, that the texts are ready. The texts
// are what the program stores for each file read (the recognised text or the
// failure text); files cancelled before their turn have none. Create, start,
// cancel and read on the user-interface thread; the workers touch only the
// job's own results.

#include "FileRecognition.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <atomic>
#include <memory>
#include <vector>

class QThread;

namespace scriva::ocr {

class RecognitionJob : public QObject
{
    Q_OBJECT
public:
    explicit RecognitionJob(QObject* parent = nullptr);
    ~RecognitionJob() override; // cancels a running job and waits for its workers

    // Starts reading the files; `failureText` is stored for a file without a
    // text. False (and no `finished`) when a job runs already or there are no files.
    bool Start(const QStringList& paths, const RecognitionOptions& options,
               const QString& failureText);
    bool IsRunning() const { return m_running; }
    // The workers stop after the files they are reading; `finished` still comes.
    void Cancel() { m_cancel = true; }

    // After `finished`: every file's result in input order, and the stored
    // text of each file that was read (path -> text).
    const std::vector<FileResult>& Results() const { return m_results; }
    const QVariantMap& Texts() const { return m_texts; }

signals:
    void progress(int done, int total);
    void finished();

private:
    void finish();

    std::unique_ptr<QThread> m_worker;
    std::atomic<bool> m_cancel{false};
    std::vector<FileResult> m_results;
    QVariantMap m_texts;
    bool m_running = false;
};

} // namespace scriva::ocr
