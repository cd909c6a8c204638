#include "PresenterWindow.h"

#include "config/CommandIds.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

namespace cmd = scriva::cmd;

PresenterWindow::PresenterWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("PresenterWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(2);
    m_live = new PresenterView(this);
    m_live->setObjectName(QStringLiteral("PresenterLive"));
    m_live->installEventFilter(this);
    m_layout->addWidget(m_live);

    m_toolBar = new QWidget(this);
    m_toolBar->setObjectName(QStringLiteral("PresenterToolBar"));
    m_toolBar->setAutoFillBackground(true);
    QPalette bar = palette();
    bar.setColor(QPalette::Window, QColor(240, 240, 240));
    m_toolBar->setPalette(bar);
    m_toolLayout = new QHBoxLayout(m_toolBar);
    m_toolLayout->setContentsMargins(4, 4, 4, 4);
    m_toolLayout->setSpacing(2);
    m_toolBar->installEventFilter(this);
    m_toolBar->hide();

    m_hideTimer.setSingleShot(true);
    m_hideTimer.setInterval(kToolBarHideMs);
    connect(&m_hideTimer, &QTimer::timeout, this, &PresenterWindow::OnHideTimer);
}

PresenterWindow::~PresenterWindow() = default;

void PresenterWindow::ShowOn(QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    // The window is placed on the screen before it goes full screen, so the
    // window manager makes it full screen there.
    if (screen) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
    showFullScreen();
    raise();
    activateWindow();
    setFocus();
}

PresenterView* PresenterWindow::ActiveView() const
{
    if (m_photo && m_photo->underMouse())
        return m_photo;
    return m_live;
}

bool PresenterWindow::ShowBeside(const QImage& photo)
{
    if (photo.isNull())
        return false;
    if (!m_photo) {
        m_photo = new PresenterView(this);
        m_photo->setObjectName(QStringLiteral("PresenterPhoto"));
        m_photo->installEventFilter(this);
        m_layout->addWidget(m_photo);
    }
    m_photo->SetStill(photo);
    m_photo->Fit();
    m_photo->show();
    m_toolBar->raise();
    return true;
}

void PresenterWindow::HideBeside()
{
    delete m_photo;
    m_photo = nullptr;
}

void PresenterWindow::SetTurn(int degrees)
{
    m_live->SetTurn(degrees);
}

QToolButton* PresenterWindow::AddToolButton(int id, const QIcon& icon, const QString& tip)
{
    auto* button = new QToolButton(m_toolBar);
    button->setObjectName(QStringLiteral("presenter_%1").arg(id));
    button->setIcon(icon);
    button->setIconSize(QSize(28, 28));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    // Space and Enter belong to the picture, never to a button.
    button->setFocusPolicy(Qt::NoFocus);
    m_toolLayout->addWidget(button);
    m_toolBar->adjustSize();
    PlaceToolBar();
    return button;
}

void PresenterWindow::AddToolSeparator()
{
    m_toolLayout->addSpacing(10);
    m_toolBar->adjustSize();
    PlaceToolBar();
}

bool PresenterWindow::IsToolBarShown() const
{
    return m_toolBar->isVisible();
}

void PresenterWindow::ShowToolBar()
{
    if (m_toolLayout->count() == 0)
        return;
    PlaceToolBar();
    m_toolBar->show();
    m_toolBar->raise();
    m_hideTimer.start();
}

void PresenterWindow::OnHideTimer()
{
    // Kept while the mouse rests on it.
    if (m_toolBar->underMouse()) {
        m_hideTimer.start();
        return;
    }
    m_toolBar->hide();
}

void PresenterWindow::PlaceToolBar()
{
    m_toolBar->adjustSize();
    m_toolBar->move((width() - m_toolBar->width()) / 2, kToolBarMargin);
}

std::optional<bool> PresenterWindow::CanRun(int id) const
{
    switch (id) {
    case cmd::kZoomIn:
    case cmd::kZoomOut:
    case cmd::kActualSizeImage:
    case cmd::kFit:
    case cmd::kPresenterTurn:
        return true;
    case cmd::kPresenterFreeze:
        return m_live->IsFrozen() || m_live->HasPicture();
    default:
        return std::nullopt;
    }
}

bool PresenterWindow::RunCommand(int id)
{
    PresenterView* view = ActiveView();
    switch (id) {
    case cmd::kZoomIn:
        view->ZoomIn();
        return true;
    case cmd::kZoomOut:
        view->ZoomOut();
        return true;
    case cmd::kActualSizeImage:
        view->ZoomTo(1.0);
        return true;
    case cmd::kFit:
        view->Fit();
        return true;
    case cmd::kPresenterFreeze:
        if (m_live->IsFrozen())
            m_live->Unfreeze();
        else
            m_live->Freeze();
        return true;
    case cmd::kPresenterTurn:
        SetTurn(Turn() + 90);
        return true;
    default:
        return false;
    }
}

int PresenterWindow::CommandForKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool plain = !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const bool onlyControl =
        (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier |
                      Qt::ShiftModifier)) == Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Escape:
    case Qt::Key_F11:
        return cmd::kPresenterMode;
    case Qt::Key_Space:
        return cmd::kPresenterFreeze;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return cmd::kZoomIn;
    case Qt::Key_Minus:
        return cmd::kZoomOut;
    case Qt::Key_1:
        return plain ? cmd::kActualSizeImage : 0;
    case Qt::Key_0:
        return plain ? cmd::kFit : 0;
    case Qt::Key_R:
        return plain ? cmd::kPresenterTurn : 0;
    case Qt::Key_B:
        return plain ? cmd::kPresenterBeside : 0;
    case Qt::Key_P:
        return plain ? cmd::kPresenterPen : 0;
    case Qt::Key_H:
        return plain ? cmd::kPresenterHighlighter : 0;
    case Qt::Key_C:
        return plain ? cmd::kPresenterColour : 0;
    case Qt::Key_Z:
        return onlyControl ? cmd::kPresenterUndoStroke : 0;
    case Qt::Key_S:
        return onlyControl ? cmd::kPresenterSaveInk : 0;
    case Qt::Key_Delete:
        return plain ? cmd::kPresenterClearInk : 0;
    case Qt::Key_F5:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return cmd::kTakePhoto;
    default:
        return 0;
    }
}

void PresenterWindow::keyPressEvent(QKeyEvent* event)
{
    const int id = CommandForKey(event->key(), event->modifiers());
    if (id == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() && id != cmd::kZoomIn && id != cmd::kZoomOut)
        return; // holding Space or Esc does not toggle again and again
    if (m_dispatch)
        m_dispatch(id);
    else
        RunCommand(id);
}

void PresenterWindow::MouseMoved(QPointF global)
{
    // Qt repeats the last position when the widget under the mouse changes
    // (the toolbar hiding): only a real move shows the toolbar.
    if (global == m_lastMouse)
        return;
    m_lastMouse = global;
    ShowToolBar();
}

void PresenterWindow::mouseMoveEvent(QMouseEvent* event)
{
    MouseMoved(event->globalPosition());
    QWidget::mouseMoveEvent(event);
}

bool PresenterWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove)
        MouseMoved(static_cast<QMouseEvent*>(event)->globalPosition());
    return QWidget::eventFilter(watched, event);
}

void PresenterWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceToolBar();
}

void PresenterWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    emit closed();
}
