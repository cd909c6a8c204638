#include "app/frame/PresenterCommands.h"

#include "app/frame/CMainFrame.h"
#include "app/frame/MainMenus.h"
#include "capture_view/ui/CVideoView.h"
#include "capture_view/ui/PresenterInk.h"
#include "capture_view/ui/PresenterWindow.h"
#include "config/CConfigFile.h"
#include "config/CommandIds.h"
#include "config/SettingsKeys.h"
#include "image/CxImageDraw.h"
#include "thumbs/ui/CThumbView.h"

#include <QAction>
#include <QFile>
#include <QPainter>
#include <QToolButton>

namespace cmd = scriva::cmd;

PresenterCommands::PresenterCommands(CMainFrame& frame, FrameServices& services)
    : QObject(&frame), m_frame(frame), m_services(services), m_ink(new PresenterInk(this))
{
    connect(m_ink, &PresenterInk::changed, this, &PresenterCommands::UpdateButtons);
}

PresenterCommands::~PresenterCommands()
{
    m_ink->Attach(nullptr);
    delete m_window;
}

PresenterWindow* PresenterCommands::Window() const
{
    return m_window;
}

int PresenterCommands::SavedTurn() const
{
    const CConfigFile* settings = m_services.Settings();
    if (!settings)
        return 0;
    const int turn = scriva::settings::ReadInt(*settings, scriva::settings::kPresenterTurn);
    return turn % 90 == 0 ? ((turn % 360) + 360) % 360 : 0;
}

bool PresenterCommands::Enter()
{
    if (IsPresenting())
        return true;
    m_broughtCamera = false;
    if (m_frame.RightAreaMode() != scriva::mode::kCapture) {
        if (!m_frame.SwitchRightPane() || m_frame.RightAreaMode() != scriva::mode::kCapture)
            return false;
        m_broughtCamera = true;
    }
    CVideoView* video = m_frame.videoView();
    if (!video || !video->IsCapturing()) {
        if (m_broughtCamera && m_frame.RightAreaMode() == scriva::mode::kCapture)
            m_frame.SwitchRightPane();
        return false;
    }
    m_video = video;
    auto* window = new PresenterWindow(&m_frame);
    m_window = window;
    window->setWindowTitle(m_frame.windowTitle());
    window->LiveView()->SetLive(&video->Graph());
    window->SetTurn(SavedTurn());
    m_ink->Attach(window->LiveView());
    video->SetShownElsewhere(true);
    window->SetDispatcher([this](int id) { return m_frame.router().dispatchFrom(this, id); });
    AddButtons();
    // A camera that fails or goes away ends presenter mode; the pane switch
    // that follows reports it.
    connect(video, &CVideoView::captureFailed, this, [this] {
        m_broughtCamera = false;
        Leave();
    });
    connect(video, &QObject::destroyed, this, [this] {
        if (m_window)
            m_window->LiveView()->SetLive(nullptr);
        m_broughtCamera = false;
        Leave();
    });
    connect(
        window, &PresenterWindow::closed, this, [this] { Leave(); }, Qt::QueuedConnection);
    window->ShowOn(m_frame.screen());
    emit presentingChanged(true);
    return true;
}

void PresenterCommands::Leave()
{
    if (!m_window || m_leaving)
        return;
    m_leaving = true;
    PresenterWindow* window = m_window;
    m_window = nullptr;
    // The drawing stays for the next time.
    m_ink->Attach(nullptr);
    window->LiveView()->SetLive(nullptr);
    window->hide();
    window->deleteLater();
    if (m_video) {
        disconnect(m_video, nullptr, this, nullptr);
        m_video->SetShownElsewhere(false);
    }
    m_video = nullptr;
    if (m_broughtCamera && m_frame.RightAreaMode() == scriva::mode::kCapture)
        m_frame.SwitchRightPane();
    m_broughtCamera = false;
    m_frame.activateWindow();
    m_leaving = false;
    emit presentingChanged(false);
}

void PresenterCommands::AddButtons()
{
    ActionRegistry& actions = m_frame.actions();
    // The window's own commands have no menu item: their icons come from the
    // menu icon strip like those of the other commands without a button.
    for (int id : {cmd::kPresenterFreeze, cmd::kPresenterTurn, cmd::kPresenterBeside,
                   cmd::kPresenterPen, cmd::kPresenterHighlighter, cmd::kPresenterColour,
                   cmd::kPresenterUndoStroke, cmd::kPresenterClearInk, cmd::kPresenterSaveInk})
        actions.action(id);
    MainMenus::SetMenuIcons(m_services.Toolbar(scriva::res::kMenuIcons),
                            m_services.Bitmap(scriva::res::kMenuIconBitmap), actions);
    const auto add = [&](int id) {
        QAction* action = actions.action(id);
        QToolButton* button = m_window->AddToolButton(id, action->icon(), action->toolTip());
        actions.bindButton(button, id, this);
        return button;
    };
    m_freezeButton = add(cmd::kPresenterFreeze);
    m_freezeButton->setCheckable(true);
    add(cmd::kTakePhoto);
    m_window->AddToolSeparator();
    add(cmd::kZoomIn);
    add(cmd::kZoomOut);
    add(cmd::kActualSizeImage);
    add(cmd::kFit);
    m_window->AddToolSeparator();
    add(cmd::kPresenterTurn);
    m_besideButton = add(cmd::kPresenterBeside);
    m_besideButton->setCheckable(true);
    m_window->AddToolSeparator();
    m_penButton = add(cmd::kPresenterPen);
    m_penButton->setCheckable(true);
    m_highlighterButton = add(cmd::kPresenterHighlighter);
    m_highlighterButton->setCheckable(true);
    m_colourButton = add(cmd::kPresenterColour);
    add(cmd::kPresenterUndoStroke);
    add(cmd::kPresenterClearInk);
    add(cmd::kPresenterSaveInk);
    m_window->AddToolSeparator();
    add(cmd::kPresenterMode);
    UpdateButtons();
}

void PresenterCommands::UpdateButtons()
{
    if (!m_window)
        return;
    if (m_freezeButton)
        m_freezeButton->setChecked(m_window->LiveView()->IsFrozen());
    if (m_besideButton)
        m_besideButton->setChecked(m_window->IsBeside());
    const bool on = m_ink->IsDrawingOn();
    if (m_penButton)
        m_penButton->setChecked(on && m_ink->Tool() == InkDrawing::Tool::Pen);
    if (m_highlighterButton)
        m_highlighterButton->setChecked(on && m_ink->Tool() == InkDrawing::Tool::Highlighter);
    if (m_colourButton) {
        // The button shows the colour the tool draws in now, the tip names it.
        QAction* action = m_frame.actions().action(cmd::kPresenterColour);
        const QColor shade = InkDrawing::Shade(m_ink->Tool(), m_ink->Colour());
        QPixmap pixmap = action->icon().pixmap(m_colourButton->iconSize());
        if (pixmap.isNull()) {
            pixmap = QPixmap(m_colourButton->iconSize());
            pixmap.fill(Qt::transparent);
        }
        {
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(shade);
            const double d = pixmap.width() / pixmap.devicePixelRatio() * 0.45;
            painter.drawEllipse(QRectF(pixmap.width() / pixmap.devicePixelRatio() - d - 0.5,
                                       pixmap.height() / pixmap.devicePixelRatio() - d - 0.5, d,
                                       d));
        }
        m_colourButton->setIcon(QIcon(pixmap));
        const QString name =
            m_services.Window().Text(scriva::str::kInkColourNames + int(m_ink->Colour()));
        m_colourButton->setToolTip(name.isEmpty()
                                       ? action->toolTip()
                                       : QStringLiteral("%1: %2").arg(action->toolTip(), name));
    }
}

QImage PresenterCommands::ChosenPhoto() const
{
    CThumbView* thumbs = m_frame.thumbView();
    if (!thumbs)
        return QImage();
    QString path = thumbs->SelectedPath();
    if (path.isEmpty() && thumbs->CurrentIndex() >= 0)
        path = thumbs->PathAt(thumbs->CurrentIndex());
    if (path.isEmpty())
        return QImage();
    CxImage image;
    if (!image.Load(QFile::encodeName(path).toStdString()))
        return QImage();
    return scriva::CxImageToQImage(image);
}

bool PresenterCommands::TakeFrozenPhoto()
{
    if (!m_video)
        return false;
    return m_video->Photos().TakeOf(m_window->LiveView()->FrozenFrame());
}

bool PresenterCommands::SaveWithInk()
{
    if (!m_video || !m_window)
        return false;
    CxImage picture;
    if (!m_ink->ComposeShown(picture)) {
        IWindowServices& window = m_services.Window();
        window.Ask(m_window, window.Text(scriva::str::kNoPhoto), IWindowServices::Ok,
                   IWindowServices::Icon::Information);
        return false;
    }
    // The resolution follows the width of the camera frame, however it is turned.
    const int frameWidth = m_window->LiveView()->Transform().FrameSize().width();
    return m_video->Photos().SaveShown(picture, frameWidth);
}

bool PresenterCommands::RunInkCommand(int id)
{
    const auto choose = [this](InkDrawing::Tool tool) {
        // The chosen tool's key again puts it down: the mouse pans.
        if (m_ink->IsDrawingOn() && m_ink->Tool() == tool)
            m_ink->StopDrawing();
        else
            m_ink->ChooseTool(tool);
    };
    switch (id) {
    case cmd::kPresenterPen:
        choose(InkDrawing::Tool::Pen);
        return true;
    case cmd::kPresenterHighlighter:
        choose(InkDrawing::Tool::Highlighter);
        return true;
    case cmd::kPresenterColour:
        m_ink->NextColour();
        return true;
    case cmd::kPresenterUndoStroke:
        m_ink->Undo();
        return true;
    case cmd::kPresenterClearInk:
        m_ink->Clear();
        return true;
    case cmd::kPresenterSaveInk:
        SaveWithInk();
        return true;
    default:
        return false;
    }
}

bool PresenterCommands::OnCommand(int id)
{
    if (id == cmd::kPresenterMode) {
        if (IsPresenting())
            Leave();
        else
            Enter();
        return true;
    }
    if (!IsPresenting())
        return false;
    bool handled = true;
    if (m_window->CanRun(id)) {
        m_window->RunCommand(id);
        if (id == cmd::kPresenterTurn)
            m_services.SetSetting(scriva::settings::kPresenterTurn,
                                  QString::number(m_window->Turn()));
    } else if (id == cmd::kPresenterBeside) {
        if (m_window->IsBeside()) {
            m_window->HideBeside();
        } else if (!m_window->ShowBeside(ChosenPhoto())) {
            IWindowServices& window = m_services.Window();
            window.Ask(m_window, window.Text(scriva::str::kNoPhotoBeside), IWindowServices::Ok,
                       IWindowServices::Icon::Information);
        }
    } else if (id == cmd::kTakePhoto && m_window->LiveView()->IsFrozen()) {
        TakeFrozenPhoto();
    } else if (RunInkCommand(id)) {
    } else {
        handled = false;
    }
    UpdateButtons();
    return handled;
}

std::optional<CommandState> PresenterCommands::OnUpdateCommand(int id) const
{
    if (id == cmd::kPresenterMode) {
        if (IsPresenting())
            return CommandState::Checked(true, true);
        return CommandState::Checked(!m_frame.IsSwitching() && !m_services.busy(), false);
    }
    if (!IsPresenting()) {
        if (id == cmd::kPresenterFreeze || id == cmd::kPresenterTurn ||
            id == cmd::kPresenterBeside ||
            (id >= cmd::kPresenterPen && id <= cmd::kPresenterSaveInk))
            return CommandState::Enabled(false);
        return std::nullopt;
    }
    if (const std::optional<bool> can = m_window->CanRun(id)) {
        if (id == cmd::kPresenterFreeze)
            return CommandState::Checked(*can, m_window->LiveView()->IsFrozen());
        return CommandState::Enabled(*can);
    }
    if (id == cmd::kPresenterBeside)
        return CommandState::Checked(true, m_window->IsBeside());
    const bool drawing = m_ink->IsDrawingOn();
    switch (id) {
    case cmd::kPresenterPen:
        return CommandState::Checked(true, drawing && m_ink->Tool() == InkDrawing::Tool::Pen);
    case cmd::kPresenterHighlighter:
        return CommandState::Checked(true,
                                     drawing && m_ink->Tool() == InkDrawing::Tool::Highlighter);
    case cmd::kPresenterColour:
        return CommandState::Enabled(true);
    case cmd::kPresenterUndoStroke:
    case cmd::kPresenterClearInk:
        return CommandState::Enabled(!m_ink->IsEmpty());
    case cmd::kPresenterSaveInk:
        return CommandState::Enabled(m_video && m_window->LiveView()->HasPicture() &&
                                     !m_video->Photos().InProgress() &&
                                     !m_video->Photos().ProgramBusy());
    default:
        break;
    }
    if (id == cmd::kTakePhoto && m_window->LiveView()->IsFrozen() && m_video)
        return CommandState::Enabled(!m_video->Photos().InProgress() &&
                                     !m_video->Photos().ProgramBusy());
    return std::nullopt;
}
