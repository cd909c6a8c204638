#pragma once
// One whole-image edit on a worker thread: the edit runs on a private copy of the
// image, and `finished` reaches the user-interface thread no sooner than half a
// second after the start, so a wait dialog shown for it never just flashes. The
// caller installs the result. Create, start and read on the user-interface
// thread; the copy alone is touched by the worker.

#include "EditOperation.h"
#include "image/cximage/CxImage.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <memory>

namespace scriva::image {

class EditJob : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMinimumMs = 500; // shortest time from start to `finished`

    explicit EditJob(QObject* parent = nullptr);
    ~EditJob() override; // waits for a running edit

    // Copies source and starts the edit on the copy. False when a job runs already.
    bool Start(const CxImage& source, const EditRequest& request);
    bool IsRunning() const { return m_running; }

    const EditRequest& Request() const { return m_request; }
    EditResult Result() const { return m_result; }
    QString ErrorText() const { return m_error; }
    // The edited image after a successful `finished`; null otherwise.
    std::unique_ptr<CxImage> TakeImage() { return std::move(m_image); }

signals:
    void finished(int command);

private:
    void onWorkDone();
    void finish();

    EditRequest m_request;
    std::unique_ptr<CxImage> m_image;
    EditResult m_result = EditResult::Failed;
    QString m_error;
    QElapsedTimer m_clock;
    QFutureWatcher<EditResult> m_watcher;
    bool m_running = false;
};

} // namespace scriva::image
