#include "app/frame/PhotoCommands.h"

#include "app/frame/CMainFrame.h"
#include "capture_view/ui/CCaptureSettingsDlg.h"
#include "capture_view/ui/CVideoView.h"
#include "config/CommandIds.h"
#include "thumbs/ui/CThumbView.h"

PhotoCommands::PhotoCommands(CMainFrame& frame, FrameServices& services)
    : QObject(&frame), m_frame(frame), m_services(services)
{
}

bool PhotoCommands::InImageMode() const
{
    return m_frame.RightAreaMode() == scriva::mode::kImage;
}

bool PhotoCommands::OnCommand(int id)
{
    if (id == scriva::cmd::kTakePhoto && InImageMode()) {
        // The first press brings the camera; the next one takes the photo.
        m_frame.SwitchRightPane();
        return true;
    }
    if (id == scriva::cmd::kCaptureSettings) {
        OpenSettings();
        return true;
    }
    return false;
}

std::optional<CommandState> PhotoCommands::OnUpdateCommand(int id) const
{
    if (id == scriva::cmd::kTakePhoto && InImageMode())
        return CommandState::Enabled(!m_frame.IsSwitching() && !m_services.busy());
    if (id == scriva::cmd::kCaptureSettings)
        return CommandState::Enabled(m_services.PhotoSettings() && !m_services.busy());
    return std::nullopt;
}

void PhotoCommands::SetUp(CVideoView* view)
{
    if (!view)
        return;
    if (CConfigFile* settings = m_services.PhotoSettings())
        view->SetSettings(settings);
    PhotoTaker::Hooks hooks;
    hooks.isBusy = [this] { return m_services.IsBusy(); };
    hooks.setBusy = [this](bool on) { m_services.SetTakingPhoto(on); };
    hooks.storePath = [this] { return m_services.SettingsPath(); };
    view->Photos().SetHooks(hooks);
    view->Photos().SetWindow(m_services.Window());
    view->Photos().SetMemory(&m_memory);
    connect(view, &CVideoView::photoSaved, this, &PhotoCommands::ShowPhoto);
}

void PhotoCommands::ShowPhoto(const QString& path)
{
    CThumbView* thumbs = m_frame.thumbView();
    if (!thumbs)
        return;
    // A replaced photo is listed once; selecting goes by a neighbour.
    const int count = thumbs->ItemCount();
    for (int i = 0; i < count; ++i) {
        if (thumbs->PathAt(i) != path)
            continue;
        if (i > 0)
            thumbs->SelectItem(CThumbView::SelectNext, i - 1);
        else if (count > 1)
            thumbs->SelectItem(CThumbView::SelectPrev, 1);
        else
            thumbs->SelectItem(CThumbView::SelectNext, -1); // selects it when nothing is
        return;
    }
    thumbs->AddFile(path);
    thumbs->SelectItem(CThumbView::SelectNext, thumbs->CurrentIndex() - 1);
}

bool PhotoCommands::OpenSettings()
{
    CConfigFile* settings = m_services.PhotoSettings();
    if (!settings)
        return false;
    auto heldFrame = [this](CxImage& frame) {
        const CVideoView* video = m_frame.videoView();
        return video && video->Graph().CopyHeldFrame(frame);
    };
    const QString language = m_services.LanguageCode();
    CCaptureSettingsDlg dialog(*settings, language, m_frame.PresetAreaFlag(), m_services.Window(),
                               heldFrame, &m_frame);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (dialog.ThumbnailCountChanged()) {
        m_frame.UpdateLeftColumnWidth(true);
        m_frame.RefreshThumbnails();
        m_frame.document().updateAllViews(0);
    }
    // A running auto-capture starts again with the new interval (one photo at once).
    if (CVideoView* video = m_frame.videoView(); video && video->Photos().IsAuto()) {
        video->Photos().StopAuto();
        video->Photos().StartAuto();
    }
    return true;
}
