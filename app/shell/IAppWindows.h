#pragma once
// What the application object needs from the main window and its panes: the
// right-area mode and the image and thumbnail operations reached by camera
// buttons and application commands. The main frame
// provides it (FrameWindows); tests provide their own. User-interface thread only.

#include "config/CommandIds.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class QMenu;

class IAppWindows
{
public:
    virtual ~IAppWindows() = default;

    virtual QWidget* Window() const = 0; // the main window
    // Shows the main window at start-up: maximised, unless the windows keep
    // their own place from an earlier run.
    virtual void ShowWindow();
    virtual QMenu* RecentFileMenu() const = 0;
    virtual int RightAreaMode() const = 0; // scriva::mode::kImage or kCapture
    virtual bool HasImage() const = 0;

    virtual bool SwitchRightPane() = 0;
    virtual bool DispatchCommand(int id) = 0;
    virtual void OpenPreviousFile() = 0; // the file before the selected thumbnail
    virtual void OpenNextFile() = 0;     // the file after it
    virtual void TakePhoto() = 0;
    virtual void UpdateStatus(int what) = 0;

    virtual bool NewDocument() = 0;
    virtual bool OpenFile(const QString& path) = 0; // as File Open does
    // Files handed in from outside ("scriva FILE..."): the first is opened.
    virtual bool OpenFiles(const QStringList& paths)
    {
        return !paths.isEmpty() && OpenFile(paths.first());
    }
    // The document's ask-to-save of a changed image; false when the user cancels.
    virtual bool SaveModified() { return true; }
    virtual QString CurrentFile() const { return {}; } // the open image's path
};

inline void IAppWindows::ShowWindow()
{
    if (QWidget* window = Window())
        window->showMaximized();
}
