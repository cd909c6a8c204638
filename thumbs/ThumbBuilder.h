#pragma once
// Builds thumbnails on a private thread pool (all cores unless told otherwise).
// Each Start begins a new generation: the previous one is cancelled and waited
// for, so results that still arrive carry an old generation and are dropped by
// the receiver. Workers decode from an immutable snapshot of (id, path) and
// never touch the caller's lists or widgets. Control from the thread that owns
// the builder; thumbnailReady and finished arrive there by queued signals.

#include "ThumbDecoder.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <vector>

namespace scriva::thumbs {

struct ThumbJob
{
    quint64 id = 0;
    QString path;
};

struct ThumbStyle
{
    QSize box;           // the cell, or the longest side as box x box
    bool inCell = false; // true: white cell with frame (the column); false: the picture alone
    // The picture alone as JPEG bytes by pictureReady (the column keeps them
    // so), with inCell the cells of urgent jobs as well; thumbnailReady is
    // then not sent.
    bool compressed = false;
    // Take pictures from the desktop's shared thumbnail cache when it holds
    // them for the file as it is now, and store the ones made there.
    bool sharedCache = false;
    // With the cache: files just written are read afresh and their entries replaced.
    bool freshFiles = false;
};

class ThumbBuilder : public QObject
{
    Q_OBJECT
public:
    // Runs on the worker for every job once its picture is made (failed ones
    // too, with a null image), before thumbnailReady is sent.
    using WorkerSink = std::function<void(const ThumbJob&, const ThumbPicture&)>;

    explicit ThumbBuilder(int threads = 0, QObject* parent = nullptr);
    ~ThumbBuilder() override; // stops and waits

    // Cancels what runs, then queues the jobs in the order given. Returns the
    // new generation. The first `urgent` jobs are the cells on screen: with
    // the shared cache, no thumbnail is written there until each of them has
    // been handed over, and a compressed style hands them over with their cell
    // already made.
    quint64 Start(const std::vector<ThumbJob>& jobs, ThumbStyle style, WorkerSink sink = {},
                  size_t urgent = 0);
    // One more job ahead of the queued ones, under the current generation; it
    // is not part of the run that `finished` reports.
    void Add(const ThumbJob& job, ThumbStyle style);
    // Cancels every queued and running job and waits for the workers (each
    // ends after the picture it is decoding).
    void Stop();
    // Waits for the queued jobs; false when msecs passed first (-1: no limit).
    bool WaitForDone(int msecs = -1);

    quint64 Generation() const { return m_generation; }
    int Threads() const { return m_pool.maxThreadCount(); }

signals:
    void thumbnailReady(quint64 generation, quint64 id, const QImage& image);
    // For a compressed style: the picture's JPEG bytes (empty when it failed);
    // for an urgent job of a style in cells also the cell made from the decoded
    // picture (else null), so that it is shown without decoding the bytes again.
    void pictureReady(quint64 generation, quint64 id, const QByteArray& jpeg, const QImage& cell);
    // Every job of the run started by Start(generation) is done; not sent for a
    // run that was stopped or replaced.
    void finished(quint64 generation);

private:
    struct Run;
    void queue(const std::shared_ptr<Run>& run, const ThumbJob& job, int priority, bool urgent);
    void work(Run& run, const ThumbJob& job, bool urgent);

    QThreadPool m_pool;
    quint64 m_generation = 0;
    std::vector<std::shared_ptr<Run>> m_runs;
};

} // namespace scriva::thumbs
