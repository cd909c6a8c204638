#pragma once
// The main frame's presenter mode: F11 (command 32910) shows the live
// picture alone, full screen on the main window's screen, switching the right
// area to the camera first when it shows an image; F11 or Esc leaves and
// brings the image view back when presenter mode brought the camera. The main
// window itself is never changed, so its size, state and panes are as they
// were. While presenting, this part runs the presenter window's commands:
// freeze, turn (remembered in the settings), the selected thumbnail beside the
// live picture, zoom, and Take Photo of the frozen frame. A camera that fails
// ends presenter mode. The drawing over the live picture (pen, highlighter,
// colour, undo, clear, save with the drawing) outlives the window: leaving
// and coming back in the same run finds it again until it is cleared.
// User-interface thread only.

#include "app/frame/FrameServices.h"

#include "image/CommandTarget.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <optional>

class CMainFrame;
class CVideoView;
class PresenterInk;
class PresenterWindow;
class QToolButton;

class PresenterCommands : public QObject, public ICommandTarget
{
    Q_OBJECT
public:
    PresenterCommands(CMainFrame& frame, FrameServices& services);
    ~PresenterCommands() override;

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

    bool IsPresenting() const { return !m_window.isNull(); }
    PresenterWindow* Window() const;
    // False when the camera cannot be shown (the switch reports why).
    bool Enter();
    void Leave();

    // The photo of the thumbnail column shown beside the live picture: the
    // selected one, else the current one; null when there is none or it
    // cannot be read.
    QImage ChosenPhoto() const;

    // The drawing over the live picture (kept while not presenting).
    PresenterInk* Ink() const { return m_ink; }

signals:
    void presentingChanged(bool presenting);

private:
    void AddButtons();
    void UpdateButtons();
    bool TakeFrozenPhoto();
    bool RunInkCommand(int id);
    bool SaveWithInk();
    int SavedTurn() const;

    CMainFrame& m_frame;
    FrameServices& m_services;
    QPointer<PresenterWindow> m_window;
    QPointer<CVideoView> m_video;
    QPointer<QToolButton> m_freezeButton;
    QPointer<QToolButton> m_besideButton;
    QPointer<QToolButton> m_penButton;
    QPointer<QToolButton> m_highlighterButton;
    QPointer<QToolButton> m_colourButton;
    PresenterInk* m_ink;
    bool m_broughtCamera = false;
    bool m_leaving = false;
};
