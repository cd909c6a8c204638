#include "app/frame/PaneSwitcher.h"

#include "app/frame/FramePanes.h"
#include "capture_view/ui/CVideoView.h"
#include "config/CommandIds.h"
#include "image/ui/CScrivaView.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>

PaneSwitcher::PaneSwitcher(FramePanes& panes, CScrivaDoc& doc, FrameServices& services,
                           QWidget* frame)
    : QObject(frame), m_panes(panes), m_doc(doc), m_services(services), m_frame(frame),
      m_factory([](CScrivaDoc& d) { return new CVideoView(d); })
{
}

void PaneSwitcher::setSwitching(bool on)
{
    m_switching = on;
    m_services.SetSwitching(on);
}

bool PaneSwitcher::SwitchRightPane()
{
    // The guard comes first: while a switch runs the program counts as busy.
    if (m_switching || m_services.busy())
        return false;
    setSwitching(true);
    if (m_mode == scriva::mode::kImage)
        toCapture();
    else
        toImage();
    setSwitching(false);
    emit modeChanged(m_mode);
    return true;
}

void PaneSwitcher::PostSwitchRightPane()
{
    QMetaObject::invokeMethod(
        this, [this] { SwitchRightPane(); }, Qt::QueuedConnection);
}

void PaneSwitcher::toCapture()
{
    CVideoView* video = m_factory(m_doc);
    // The view reads the store the application owns (unsaved changes included).
    if (!video->Settings())
        video->SetSettings(m_services.Settings());
    emit captureViewCreated(video);
    m_panes.ReplaceRightView(video);
    m_mode = scriva::mode::kCapture;
    if (video->StartCapture()) {
        m_panes.setActiveView(video);
        watchCapture(video);
    } else {
        // Requests arriving while the box is open are refused by the guard.
        m_services.TellWithReason(m_frame, scriva::str::kCaptureFailed, video->FailureReason());
        toImage();
    }
    m_panes.ShowResultPane(false, m_frame->height());
}

void PaneSwitcher::watchCapture(CVideoView* video)
{
    // A camera that stops delivering later is handled like one that never
    // started. Queued: the view that reports it is the one to be replaced.
    connect(video, &CVideoView::captureFailed, this, &PaneSwitcher::onCaptureFailed,
            Qt::QueuedConnection);
}

void PaneSwitcher::onCaptureFailed(const QString& reason)
{
    captureLost(sender(), reason);
}

void PaneSwitcher::captureLost(QObject* view, const QString& reason)
{
    if (!view || view != m_panes.videoView() || m_mode != scriva::mode::kCapture)
        return;
    if (m_switching || m_services.busy()) {
        // A photo or another switch is running: come back when it is over.
        QTimer::singleShot(RetryMs, this, [this, later = QPointer<QObject>(view), reason] {
            captureLost(later, reason);
        });
        return;
    }
    setSwitching(true);
    m_services.TellWithReason(m_frame, scriva::str::kCaptureFailed, reason);
    toImage();
    setSwitching(false);
    emit modeChanged(m_mode);
}

void PaneSwitcher::toImage()
{
    m_panes.ReplaceRightView(new CScrivaView(m_doc));
    m_mode = scriva::mode::kImage;
}
