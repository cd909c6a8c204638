#pragma once
// Takes the capture view's photos: on a command, a camera button or the
// auto-capture timer (2029), or hands-free each time a new page lies still
// under the camera (the page watcher on small grey pictures of the live
// frames), one at a time. Runs the photo steps (name,
// question about an existing file, held frame to the temporary bitmap,
// processing, atomic save), reports failures, and tells who listens about the
// saved photo. No photo starts while another is in progress (a question box
// dispatches timer ticks and buttons) or while the program is busy. The
// print path develops the held frame in memory and touches no counter, list
// or file. User-interface thread only. Emits photoSaved after each saved photo.

#include "capture_view/PageWatcher.h"
#include "capture_view/PhotoJob.h"
#include "capture_view/PhotoSettings.h"
#include "config/CommandIds.h"
#include "image/IWindowServices.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class CCaptureGraph;
class CConfigFile;
class QWidget;

class PhotoTaker : public QObject
{
    Q_OBJECT
public:
    static constexpr int kAutoCaptureTimer = 2029; // its id in the program's timer table
    static constexpr int kMinIntervalSeconds = 1;
    static constexpr int kMaxIntervalSeconds = 86400;
    static constexpr int kMsPerSecond = 1000;
    // How often hands-free capture looks for a new live frame (a camera sends
    // one every 33 to 100 ms).
    static constexpr int kWatchPollMs = 30;

    // What the program around the view supplies; unset members fall back to
    // a program that is never busy and a counter saved nowhere.
    struct Hooks
    {
        std::function<bool()> isBusy;       // a worker or a pane switch owns the program
        std::function<void(bool)> setBusy;  // a photo starts or ends
        std::function<QString()> storePath; // where the counter is saved; empty: nowhere
    };

    PhotoTaker(CCaptureGraph& graph, QWidget* owner);
    ~PhotoTaker() override;

    void SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    // The texts and boxes; without one, Qt's own boxes and the ids for texts.
    void SetWindow(IWindowServices& window) { m_window = &window; }
    void SetStore(CConfigFile* store) { m_store = store; }
    // Page size and preset area shared with the other photos of the program;
    // the taker keeps its own without one.
    void SetMemory(PhotoMemory* memory) { m_memory = memory ? memory : &m_ownMemory; }
    void SetClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // One photo; with noSave only the processed image (LastPhoto). True when
    // a photo was saved (or, with noSave, developed).
    bool Take(bool noSave = false);
    // Saves a picture as it is shown (drawn on, turned) as a new photo under
    // the photo naming, never replacing a file; the resolution from the
    // width of the camera frame it came from. Takes over its pixels. True when
    // it was saved (photoSaved is emitted); failures are reported.
    bool SaveShown(CxImage& picture, int frameWidth);
    // One saved photo of a frame held elsewhere (a frozen picture, at full
    // size and without page frame) instead of the camera's held frame.
    bool TakeOf(const CxImage& frame);
    bool InProgress() const { return m_inProgress; }
    // Another job (a worker, a pane switch) owns the program.
    bool ProgramBusy() const { return m_hooks.isBusy && m_hooks.isBusy(); }
    const CxImage& LastPhoto() const { return m_photo; }

    // Auto-capture in the mode of the settings: at an interval, one photo at
    // once, then one per interval (seconds of the settings, clamped to 1 ...
    // 86400); when the page changes, one photo each time a new page has lain
    // still for the settle time, taken as a command takes it, never of a
    // frame that moved since; off: nothing starts.
    void StartAuto();
    void StopAuto();
    bool IsAuto() const { return m_auto; }
    int IntervalMs() const { return m_timer.interval(); }
    // The mode the settings choose now (Timer without a store).
    AutoCaptureMode ChosenMode() const;
    // Hands-free capture runs, and what its watcher saw last.
    bool IsWatching() const { return m_auto && m_mode == AutoCaptureMode::PageChange; }
    scriva::watch::WatchState WatchState() const { return m_watcher.State(); }
    // The language pack's text of the id (its number without a pack).
    QString Text(int id) const;

signals:
    void photoSaved(const QString& path);
    // Hands-free capture started or stopped, or its watcher's state changed.
    void watchStateChanged();
    // Hands-free capture saved this photo.
    void watchPhotoTaken(const QString& path);

private:
    class Guard;
    void OnTick();
    void OnWatchTick();
    void TakeWatched();
    bool Run(bool noSave, const CxImage* frame);
    bool Develop(PhotoJob& job, bool noSave, const CxImage* frame);
    // Asks whether the file of the photo's name is to be replaced; true (and
    // the job allowed to) on Yes while the taker still lives.
    bool AskReplace(PhotoJob& job, const Guard& guard);
    void Report(const PhotoJob& job);
    // The photo was kept as taken because its page look failed: says which
    // look and why.
    void TellLookNotApplied(const PhotoJob& job);
    IWindowServices::Button Box(const QString& text, IWindowServices::Buttons buttons,
                                IWindowServices::Icon icon);

    CCaptureGraph& m_graph;
    QPointer<QWidget> m_owner;
    Hooks m_hooks;
    IWindowServices* m_window = nullptr;
    CConfigFile* m_store = nullptr;
    PhotoMemory m_ownMemory;
    PhotoMemory* m_memory = &m_ownMemory;
    std::function<QDateTime()> m_clock;
    QTimer m_timer;
    bool m_auto = false;
    AutoCaptureMode m_mode = AutoCaptureMode::Timer;
    QTimer m_watchTimer;
    scriva::watch::PageWatcher m_watcher;
    QElapsedTimer m_watchClock;
    uint64_t m_watchSeen = 0; // the grabber's frame count last fed
    bool m_inProgress = false;
    CxImage m_photo;
};
