// The events posted to the application: camera buttons (0x7E8), the end of an
// image edit (0x7E9) and the end of recognition (0x7EA).

#include "AppEvent.h"
#include "AppMessageBox.h"
#include "CScrivaApp.h"

#include <QCoreApplication>

namespace {

namespace Button {
constexpr int SwitchArea = 0x20;
constexpr int ZoomIn = 0x04;
constexpr int ZoomOut = 0x02;
constexpr int Previous = 0x08;
constexpr int Next = 0x10;
constexpr int Photo = 0x40;
constexpr int Photo2 = 0x41;
} // namespace Button

constexpr int kZoomInCommand = 32799;
constexpr int kZoomOutCommand = 32793;
constexpr int kNoImageHere = 61453;    // image mode without an image
constexpr int kNotInImageMode = 61458; // image command outside image mode
constexpr int kNoPhotoHere = 61456;    // photo asked for in image mode

// Edits whose end rewrites the status-bar panes (they change the image size).
bool changesImageSize(uintptr_t command)
{
    return command == 32780 || command == 32781 || command == 32791 || command == 32796;
}

} // namespace

bool CScrivaApp::eventFilter(QObject* watched, QEvent* event)
{
    const int type = event->type();
    if (watched == QCoreApplication::instance() && type >= AppEventCode::Button &&
        type <= AppEventCode::RecognizeDone) {
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
    if (type < AppEventCode::Button || type > AppEventCode::RecognizeDone)
        return;
    const auto& appEvent = static_cast<const AppEvent&>(*event);
    if (!mainWindow())
        return;
    if (type == AppEventCode::Button)
        OnButton(appEvent);
    else if (type == AppEventCode::EditDone)
        OnEditDone(appEvent);
    else
        OnRecognizeDone(appEvent);
}

void CScrivaApp::OnButton(const AppEvent& event)
{
    // A press that arrives while a worker, a photo or a pane switch is under
    // way would pull the image or the view from under it.
    if (event.lParam() != 0 || isBusy())
        return;
    const int code = int(event.wParam() & 0xFF);
    switch (code) {
    case Button::SwitchArea:
        m_windows->SwitchRightPane();
        break;
    case Button::ZoomIn:
    case Button::ZoomOut:
    case Button::Previous:
    case Button::Next:
        OnButtonImageCommand(code);
        break;
    case Button::Photo:
    case Button::Photo2:
        OnButtonPhoto();
        break;
    default:
        break;
    }
}

void CScrivaApp::OnButtonImageCommand(int code)
{
    const bool imageMode = m_windows->RightAreaMode() == IAppWindows::ImageMode;
    if (!m_windows->HasImage()) {
        AppMessageBox(mainWindow(), imageMode ? kNoImageHere : kNotInImageMode);
        return;
    }
    if (!imageMode) {
        AppMessageBox(mainWindow(), kNotInImageMode);
        return;
    }
    if (code == Button::ZoomIn)
        m_windows->DispatchCommand(kZoomInCommand);
    else if (code == Button::ZoomOut)
        m_windows->DispatchCommand(kZoomOutCommand);
    else if (code == Button::Previous)
        m_windows->OpenPreviousFile();
    else
        m_windows->OpenNextFile();
}

void CScrivaApp::OnButtonPhoto()
{
    if (m_windows->RightAreaMode() == IAppWindows::ImageMode) {
        AppMessageBox(mainWindow(), kNoPhotoHere);
        return;
    }
    m_windows->TakePhoto();
}

void CScrivaApp::OnEditDone(const AppEvent& event)
{
    if (changesImageSize(event.wParam()))
        m_windows->UpdateStatus(11);
}

void CScrivaApp::OnRecognizeDone(const AppEvent& event)
{
    // The worker hands its texts over in the event; only this thread writes
    // the document's map.
    const QVariantMap texts = event.payload().toMap();
    if (!texts.isEmpty())
        m_windows->MergeRecognizedTexts(texts);
    const QString path = m_windows->FirstSelectedPath();
    // With nothing selected no empty path enters the document's texts.
    const QString text = path.isEmpty() ? QString() : m_windows->RecognizedText(path);
    if (m_windows->ResultViewHeld())
        return;
    m_windows->ShowResultText(path, text);
}
