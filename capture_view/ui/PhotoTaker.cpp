#include "PhotoTaker.h"

#include "capture/CCaptureGraph.h"
#include "capture_view/WatchFrames.h"
#include "config/CConfigFile.h"
#include "image/ui/QtWindowServices.h"

#include <QApplication>
#include <QFileInfo>
#include <QWidget>
#include <algorithm>

// Marks a photo in progress for as long as it lives; survives the taker
// being destroyed under a question box.
class PhotoTaker::Guard
{
public:
    explicit Guard(PhotoTaker& taker) : m_taker(&taker), m_setBusy(taker.m_hooks.setBusy)
    {
        taker.m_inProgress = true;
        if (m_setBusy)
            m_setBusy(true);
    }
    ~Guard()
    {
        if (m_taker)
            m_taker->m_inProgress = false;
        if (m_setBusy)
            m_setBusy(false);
    }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
    bool Alive() const { return !m_taker.isNull(); }

private:
    QPointer<PhotoTaker> m_taker;
    std::function<void(bool)> m_setBusy;
};

PhotoTaker::PhotoTaker(CCaptureGraph& graph, QWidget* owner)
    : QObject(owner), m_graph(graph), m_owner(owner)
{
    m_timer.setParent(this); // findable by its name
    m_timer.setObjectName(QStringLiteral("timer_%1").arg(kAutoCaptureTimer));
    connect(&m_timer, &QTimer::timeout, this, &PhotoTaker::OnTick);
    m_watchTimer.setParent(this);
    m_watchTimer.setObjectName(QStringLiteral("pageWatchTimer"));
    connect(&m_watchTimer, &QTimer::timeout, this, &PhotoTaker::OnWatchTick);
}

PhotoTaker::~PhotoTaker()
{
    m_timer.stop();
    m_watchTimer.stop();
}

QString PhotoTaker::Text(int id) const
{
    const QString text = m_window ? m_window->Text(id) : QString();
    return text.isEmpty() ? QString::number(id) : text;
}

IWindowServices::Button PhotoTaker::Box(const QString& text, IWindowServices::Buttons buttons,
                                        IWindowServices::Icon icon)
{
    IWindowServices& window = m_window ? *m_window : QtWindowServices::Plain();
    return window.Ask(m_owner, text, buttons, icon);
}

bool PhotoTaker::Take(bool noSave)
{
    return Run(noSave, nullptr);
}

bool PhotoTaker::TakeOf(const CxImage& frame)
{
    return Run(false, &frame);
}

bool PhotoTaker::Run(bool noSave, const CxImage* frame)
{
    if (m_inProgress || !m_store)
        return false;
    Guard guard(*this);
    const QString storePath = !noSave && m_hooks.storePath ? m_hooks.storePath() : QString();
    PhotoJob job(*m_store, storePath, *m_memory);
    if (!job.Prepare(m_clock ? m_clock() : QDateTime::currentDateTime(), noSave)) {
        Report(job);
        return false;
    }
    if (!noSave && job.PhotoExists()) {
        if (!AskReplace(job, guard))
            return false;
    }
    if (!Develop(job, noSave, frame)) {
        // Another program saved a file of this name while the photo was taken:
        // it is replaced only when the user says so.
        if (job.failure() != PhotoJob::Failure::Exists || !AskReplace(job, guard))
            return false;
        if (!job.SavePhoto()) {
            Report(job);
            return false;
        }
    }
    m_photo = job.Photo();
    if (!noSave)
        emit photoSaved(job.PhotoPath());
    if (!noSave && job.Report().lookFailed)
        TellLookNotApplied(job);
    return true;
}

bool PhotoTaker::SaveShown(CxImage& picture, int frameWidth)
{
    if (m_inProgress || !m_store)
        return false;
    Guard guard(*this);
    PhotoJob job(*m_store, m_hooks.storePath ? m_hooks.storePath() : QString(), *m_memory);
    if (!job.Prepare(m_clock ? m_clock() : QDateTime::currentDateTime()) ||
        !job.SaveAsShown(picture, frameWidth)) {
        Report(job);
        return false;
    }
    emit photoSaved(job.PhotoPath());
    return true;
}

void PhotoTaker::TellLookNotApplied(const PhotoJob& job)
{
    const QString name = QFileInfo(job.PhotoPath()).fileName();
    const QString look = Text(scriva::str::kLookNames + int(job.Settings().look));
    Box(Text(scriva::str::kLookNotApplied).arg(name, look, job.Report().lookError),
        IWindowServices::Ok, IWindowServices::Icon::Warning);
}

bool PhotoTaker::AskReplace(PhotoJob& job, const Guard& guard)
{
    const QString name = QFileInfo(job.PhotoPath()).fileName();
    const auto answer =
        Box(name + u' ' + Text(scriva::str::kReplacePhotoQuestion),
            IWindowServices::Yes | IWindowServices::No, IWindowServices::Icon::Question);
    if (!guard.Alive() || answer != IWindowServices::Yes)
        return false;
    Box(Text(scriva::str::kReplacingPhoto), IWindowServices::Ok,
        IWindowServices::Icon::Information);
    if (!guard.Alive())
        return false;
    job.AllowReplace();
    return true;
}

namespace {

class LivePause
{
public:
    explicit LivePause(CGrabberCallback& callback) : m_callback(callback)
    {
        m_callback.PauseLive(true);
    }
    ~LivePause() { m_callback.PauseLive(false); }
    LivePause(const LivePause&) = delete;
    LivePause& operator=(const LivePause&) = delete;

private:
    CGrabberCallback& m_callback;
};

} // namespace

bool PhotoTaker::Develop(PhotoJob& job, bool noSave, const CxImage* frame)
{
    int width = 0;
    int height = 0;
    if (!m_graph.Callback().FrameSize(width, height))
        width = m_graph.VideoWidth();
    const int model = m_graph.CameraModel();
    bool ok = false;
    bool held = true;
    if (frame) {
        // A frame held elsewhere: developed in memory, at its own width.
        CxImage copy(*frame);
        held = copy.IsValid();
        ok = held && job.Develop(copy, model, int(copy.GetWidth()));
    } else {
        // The view does not paint until the photo is made: live frames wait.
        const LivePause pause(m_graph.Callback());
        if (noSave) {
            // Printing takes the held frame in memory: no file is written.
            CxImage frame;
            m_graph.CopyHeldFrame(frame);
            ok = job.Develop(frame, model, width);
        } else {
            // The rows written to the temporary bitmap are developed as they
            // are in memory: reading the file back would give the same ones.
            CxImage frame;
            held = m_graph.SaveFrameAsBitmap(job.TempBitmapPath(), frame);
            ok = held && job.Develop(frame, model, width);
        }
    }
    if (!held) {
        Box(Text(scriva::str::kNoPhoto), IWindowServices::Ok, IWindowServices::Icon::None);
        return false;
    }
    if (!ok)
        Report(job);
    return ok;
}

void PhotoTaker::Report(const PhotoJob& job)
{
    switch (job.failure()) {
    case PhotoJob::Failure::UnusableName:
        Box(Text(scriva::str::kUnusableCharacters) + u'\n' + job.FailureDetail(),
            IWindowServices::Ok, IWindowServices::Icon::None);
        return;
    case PhotoJob::Failure::SaveFailed:
        Box(Text(scriva::str::kFileNotWritten) + u'\n' + job.FailureDetail(), IWindowServices::Ok,
            IWindowServices::Icon::None);
        return;
    case PhotoJob::Failure::NoTempFolder:
    case PhotoJob::Failure::NoFrame:
    case PhotoJob::Failure::ProcessFailed:
        Box(Text(scriva::str::kNoPhoto), IWindowServices::Ok, IWindowServices::Icon::None);
        return;
    case PhotoJob::Failure::UnknownFormat: // not a picture format: nothing is saved, as set
    case PhotoJob::Failure::Exists:        // the question was asked
    case PhotoJob::Failure::None:
        return;
    }
}

AutoCaptureMode PhotoTaker::ChosenMode() const
{
    return m_store ? PhotoSettingsReader::AutoMode(*m_store) : AutoCaptureMode::Timer;
}

void PhotoTaker::StartAuto()
{
    const PhotoSettings settings = m_store ? PhotoSettingsReader::Read(*m_store) : PhotoSettings{};
    const bool wasWatching = IsWatching();
    m_timer.stop();
    m_watchTimer.stop();
    m_mode = settings.autoMode;
    m_auto = m_mode != AutoCaptureMode::Off;
    if (m_mode == AutoCaptureMode::PageChange) {
        // The page lying there when it starts is photographed once it is still.
        m_watcher.SetSettings(settings.watch);
        m_watcher.Reset();
        m_watchSeen = m_graph.Callback().FrameCount();
        m_watchClock.start();
        m_watchTimer.start(kWatchPollMs);
        emit watchStateChanged();
        return;
    }
    if (wasWatching)
        emit watchStateChanged();
    if (!m_auto)
        return;
    const int seconds =
        std::clamp<int>(settings.intervalSeconds, kMinIntervalSeconds, kMaxIntervalSeconds);
    QPointer<PhotoTaker> self(this);
    Take(false);
    if (self && m_auto)
        m_timer.start(seconds * kMsPerSecond);
}

void PhotoTaker::StopAuto()
{
    const bool watching = IsWatching();
    m_timer.stop();
    m_watchTimer.stop();
    m_auto = false;
    if (watching)
        emit watchStateChanged();
}

void PhotoTaker::OnTick()
{
    // A tick during a photo's question, an edit or a pane switch is skipped.
    if (m_inProgress || ProgramBusy())
        return;
    Take(false);
}

void PhotoTaker::OnWatchTick()
{
    // Nothing is watched during a photo's question, an edit, a pane switch or
    // while a dialog (the settings) is open.
    if (!IsWatching() || m_inProgress || ProgramBusy() || QApplication::activeModalWidget())
        return;
    const uint64_t count = m_graph.Callback().FrameCount();
    if (count == m_watchSeen)
        return;
    m_watchSeen = count;
    scriva::watch::SmallFrame small;
    if (!scriva::watch::ShrinkLiveFrame(m_graph.Callback(), small))
        return;
    const scriva::watch::WatchState before = m_watcher.State();
    const bool take = m_watcher.Feed(small, double(m_watchClock.nsecsElapsed()) / 1e9);
    if (m_watcher.State() != before)
        emit watchStateChanged();
    if (take)
        TakeWatched();
}

void PhotoTaker::TakeWatched()
{
    // The held frame is taken with the live picture it belongs to (neither
    // changes while the live frames wait) and photographed only when that
    // picture is still the one the watcher found still.
    CxImage frame;
    {
        const LivePause pause(m_graph.Callback());
        scriva::watch::SmallFrame now;
        if (!scriva::watch::ShrinkLiveFrame(m_graph.Callback(), now) ||
            !m_watcher.SameAsLast(now) || !m_graph.CopyHeldFrame(frame))
            return; // it moved since: the watcher sees it on the next frame
    }
    QPointer<PhotoTaker> self(this);
    QString saved;
    const auto connection = connect(this, &PhotoTaker::photoSaved, this,
                                    [&saved](const QString& path) { saved = path; });
    TakeOf(frame);
    if (!self)
        return;
    disconnect(connection);
    // Photographed, declined at the question or failed and said why: in each
    // case the next photo waits for the next change.
    m_watcher.Taken();
    emit watchStateChanged();
    if (!saved.isEmpty())
        emit watchPhotoTaken(saved);
}
