#pragma once
// What the main frame and its panes take from the rest of the program: the
// window's texts, boxes and folder chooser (IWindowServices), menus, toolbars
// and bitmaps, skin files, the photo folder, the busy state, what recognition
// needs and the settings store. The application is one (FrameWindows'
// AppFrameServices, over its pack and settings); tests give their own over a
// loaded pack and temporary folders. Every member has a plain default: no
// texts, menus or skins, never busy, Qt's own folder dialog and message box
// (QtWindowServices), the program's file-name prompt. Passed by reference and
// never owned by the frame; user-interface thread only.

#include "config/SettingsKeys.h"
#include "image/IWindowServices.h"
#include "ocr/OcrSettings.h"

#include <QJsonValue>
#include <QPixmap>
#include <QString>

class CConfigFile;
class QWidget;

class FrameServices
{
public:
    virtual ~FrameServices() = default;

    // Texts, boxes and questions of the program's window.
    virtual IWindowServices& Window() const;
    virtual QJsonValue Menu(int id) const;    // menu tree by id
    virtual QJsonValue Toolbar(int id) const; // toolbar button ids by id
    virtual QPixmap Bitmap(int id) const;     // pack bitmap by id
    // A skin bitmap's path by its settings key; empty when there is none.
    virtual QString SkinFile(scriva::settings::Key key) const;
    virtual QString SaveFolder() const; // the photo folder, resolved
    virtual bool IsBusy() const;
    virtual void SetSwitching(bool on);         // a right-area switch starts or ends
    virtual bool OpenFile(const QString& path); // into the document; "" clears it
    virtual bool IsEditing() const;             // an image operation runs on the document
    // Text recognition: its settings read afresh and the job's busy state.
    virtual scriva::ocr::OcrSettings RecognitionSettings() const;
    virtual void SetRecognizing(bool on);
    virtual const CConfigFile* Settings() const; // the store, for views that read it; may be null
    // The file-name prompt for saving (name and type in and out) with its
    // title (empty: the prompt's own); false on Cancel.
    virtual bool PromptSaveName(QWidget* parent, QString& name, int& type, const QString& title);
    virtual void AddRecentFile(const QString& path);
    // Writes a setting into the program's store.
    virtual void SetSetting(scriva::settings::Key key, const QString& value);
    // Photos: the settings store they read and write (null: no photos), the
    // file the counter is saved to, the language of the settings lists and the
    // photo-in-progress flag.
    virtual CConfigFile* PhotoSettings() const;
    virtual QString SettingsPath() const;
    virtual QString LanguageCode() const;
    virtual void SetTakingPhoto(bool on);

    QString text(int id) const { return Window().Text(id); }
    // A numbered message with the reason (a system's or camera's text) after it.
    void TellWithReason(QWidget* parent, int id, const QString& reason) const;
    bool busy() const { return IsBusy(); }
};
