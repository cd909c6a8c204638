#pragma once
// What the document asks of the windows around it besides their texts and boxes
// (those come from IWindowServices): the window its boxes are shown over, the
// file-name prompt, the right-area mode and its switch, the result pane, the
// recent-file list, the thumbnail column, the program's busy state and the
// preset area's flag. The main frame is one (FrameDocumentHost); tests give
// their own. Every member has a plain default: nothing is shown or done, the
// prompt is cancelled, the image view fills the right area and nothing is busy.
// User-interface thread only.

#include "config/CommandIds.h"

#include <QString>

class IThumbList;
class QWidget;

class DocumentHost
{
public:
    virtual ~DocumentHost() = default;

    virtual QWidget* BoxParent() const { return nullptr; }
    // The file-name prompt for saving: name and type in and out, with its title
    // (empty: the prompt's own); false on Cancel.
    virtual bool PromptSaveName(QString& /*name*/, int& /*type*/, const QString& /*title*/)
    {
        return false;
    }
    virtual int RightAreaMode() const { return scriva::mode::kImage; } // or kCapture
    virtual bool ProgramBusy() const { return false; } // a worker, a photo or a switch runs
    virtual void SwitchRightPane() {}                  // at once
    virtual void SwitchRightPaneLater() {}             // from the event loop (view handlers)
    virtual void ShowResultPane(bool /*half*/) {}
    virtual void SetResultText(const QString& /*path*/, const QString& /*text*/) {}
    // The text pane stores what the user changed in it under its image's path.
    virtual void KeepResultEdits() {}
    virtual void AddRecentFile(const QString& /*path*/) {}
    virtual IThumbList* Thumbs() const { return nullptr; }
    virtual bool PresetAreaFlag() const { return false; }
    virtual void ClearPresetAreaFlag() {}
    // The preset capture area was confirmed (the document holds it): the frame
    // sets its flag, the photo settings take "Preinstall" and the camera comes.
    virtual void PresetAreaConfirmed() {}
};
