#pragma once
// The presenter window: the live picture alone, full screen on a given screen,
// optionally beside a still photo, with a small toolbar that shows while the
// mouse moves and hides two seconds after it stops. Keys become command ids
// handed to the dispatcher (the program's command routing); without one the
// window runs them itself. The window runs the picture commands (zoom, fit,
// 100 %, freeze, turn) on the pane under the mouse, or the live pane;
// leaving, photos and choosing the photo beside are the program's.
// User-interface thread only.

#include "PresenterView.h"

#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

class QHBoxLayout;
class QScreen;
class QToolButton;

class PresenterWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kToolBarHideMs = 2000;
    static constexpr int kToolBarMargin = 8;

    // parent: the main window (the presenter window is a window of its own).
    explicit PresenterWindow(QWidget* parent = nullptr);
    ~PresenterWindow() override;

    // Full screen on `screen` (the main window's), or sized to it without a
    // window manager.
    void ShowOn(QScreen* screen);

    PresenterView* LiveView() const { return m_live; }
    // The photo pane, or null while the live picture is alone.
    PresenterView* PhotoView() const { return m_photo; }
    // The pane the picture commands act on: the one under the mouse, else the live one.
    PresenterView* ActiveView() const;

    // Shows the photo beside the live picture (replacing one shown); false
    // when the picture is empty.
    bool ShowBeside(const QImage& photo);
    void HideBeside();
    bool IsBeside() const { return m_photo != nullptr; }

    // Turns the live picture (0, 90, 180, 270 clockwise).
    void SetTurn(int degrees);
    int Turn() const { return m_live->Transform().Turn(); }

    // A toolbar button for a command id; the caller connects or binds it.
    QToolButton* AddToolButton(int id, const QIcon& icon, const QString& tip);
    void AddToolSeparator();
    QWidget* ToolBar() const { return m_toolBar; }
    bool IsToolBarShown() const;
    void ShowToolBar();

    // Where key commands go; true when someone ran it.
    void SetDispatcher(std::function<bool(int)> dispatch) { m_dispatch = std::move(dispatch); }
    // The picture commands: zoom in and out, 100 %, fit, freeze, turn. False
    // for any other id.
    bool RunCommand(int id);
    // Whether the window can run a picture command now (nullopt: not one of them).
    std::optional<bool> CanRun(int id) const;
    // The command of a key, 0 for none.
    static int CommandForKey(int key, Qt::KeyboardModifiers modifiers);

signals:
    // The window was closed by other means than leaving (the window manager).
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MouseMoved(QPointF global);
    void PlaceToolBar();
    void OnHideTimer();

    QHBoxLayout* m_layout;
    PresenterView* m_live;
    PresenterView* m_photo = nullptr;
    QWidget* m_toolBar;
    QHBoxLayout* m_toolLayout;
    QTimer m_hideTimer;
    std::function<bool(int)> m_dispatch;
    QPointF m_lastMouse{-1e9, -1e9};
};
