// The events posted to the application: camera buttons (0x7E8) and the end of
// an image edit (0x7E9).

#include "app/shell/AppEvent.h"
#include "app/shell/AppMessageBox.h"
#include "app/shell/CScrivaApp.h"
#include "config/CommandIds.h"
#include "image/EditOperation.h"

#include <QApplication>

namespace button = scriva::button;

bool CScrivaApp::eventFilter(QObject* watched, QEvent* event)
{
    const int type = event->type();
    if (watched == QCoreApplication::instance() && type >= scriva::msg::kButton &&
        type <= scriva::msg::kEditDone) {
        customEvent(event);
        return true;
    }
    if ((type == QEvent::DragEnter || type == QEvent::Drop) && watched && watched == mainWindow())
        return OnDropEvent(event);
    return QObject::eventFilter(watched, event);
}

void CScrivaApp::customEvent(QEvent* event)
{
    const int type = event->type();
    if (type < scriva::msg::kButton || type > scriva::msg::kEditDone)
        return;
    const auto& appEvent = static_cast<const AppEvent&>(*event);
    if (!mainWindow())
        return;
    if (type == scriva::msg::kButton)
        OnButton(appEvent);
    else
        OnEditDone(appEvent);
}

void CScrivaApp::OnButton(const AppEvent& event)
{
    // A press that arrives while a worker, a photo or a pane switch is under
    // way would pull the image or the view from under it. While a box or any
    // other modal window is open, presses are dropped too: each would act
    // under it or open a box inside it, and a stream of them would nest boxes
    // until the stack runs out.
    if (event.lParam() != 0 || isBusy() || OpenAppMessageBoxes() > 0 ||
        QApplication::activeModalWidget())
        return;
    const int code = int(event.wParam() & 0xFF);
    switch (code) {
    case button::kSwitchArea:
        m_windows->SwitchRightPane();
        break;
    case button::kZoomIn:
    case button::kZoomOut:
    case button::kPrevious:
    case button::kNext:
        OnButtonImageCommand(code);
        break;
    case button::kPhoto:
    case button::kPhoto2:
        OnButtonPhoto();
        break;
    default:
        break;
    }
}

void CScrivaApp::OnButtonImageCommand(int code)
{
    const bool imageMode = m_windows->RightAreaMode() == scriva::mode::kImage;
    if (!m_windows->HasImage()) {
        AppMessageBox(mainWindow(),
                      imageMode ? scriva::str::kNoImageHere : scriva::str::kNotInImageMode);
        return;
    }
    if (!imageMode) {
        AppMessageBox(mainWindow(), scriva::str::kNotInImageMode);
        return;
    }
    if (code == button::kZoomIn)
        m_windows->DispatchCommand(scriva::cmd::kZoomIn);
    else if (code == button::kZoomOut)
        m_windows->DispatchCommand(scriva::cmd::kZoomOut);
    else if (code == button::kPrevious)
        m_windows->OpenPreviousFile();
    else
        m_windows->OpenNextFile();
}

void CScrivaApp::OnButtonPhoto()
{
    if (m_windows->RightAreaMode() == scriva::mode::kImage) {
        AppMessageBox(mainWindow(), scriva::str::kNoPhotoHere);
        return;
    }
    m_windows->TakePhoto();
}

void CScrivaApp::OnEditDone(const AppEvent& event)
{
    // Every edit may change the size or the depth (grey, black and white):
    // all panes are rewritten after any of them.
    if (scriva::image::IsEditCommand(int(event.wParam())))
        m_windows->UpdateStatus(scriva::status::kAllPanes);
}
