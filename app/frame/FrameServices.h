#pragma once
// What the main frame and its panes take from the rest of the program: the
// window's texts, boxes and folder chooser (IWindowServices), menus, toolbars
// and bitmaps, skin files, the photo folder, the busy state, what recognition
// needs and the settings store. The application fills it from its pack and settings
// (FrameWindows); tests fill it from a loaded pack and temporary folders. A
// plain value; user-interface thread only.

#include "config/SettingsKeys.h"
#include "image/IWindowServices.h"
#include "ocr/OcrSettings.h"

#include <QJsonValue>
#include <QPixmap>
#include <QString>
#include <functional>

class CConfigFile;
class QWidget;

struct FrameServices
{
    std::function<QJsonValue(int)> menu;                    // menu tree by id
    std::function<QJsonValue(int)> toolbar;                 // toolbar button ids by id
    std::function<QPixmap(int)> bitmap;                     // pack bitmap by id
    std::function<QString(scriva::settings::Key)> skinFile; // skin bitmap path by its settings key
    std::function<QString()> saveFolder;                    // the photo folder, resolved
    std::function<bool()> isBusy;
    std::function<void(bool)> setSwitching;       // a right-area switch starts or ends
    std::function<bool(const QString&)> openFile; // into the document; "" clears it
    std::function<bool()> isEditing;              // an image operation runs on the document
    // Text recognition: its settings read afresh and the job's busy state.
    std::function<scriva::ocr::OcrSettings()> ocrSettings;
    std::function<void(bool)> setRecognizing;
    const CConfigFile* settings = nullptr; // the store, for views that read it; may be null
    // Texts, boxes and questions of the program's window; never owned.
    IWindowServices* window = nullptr;
    // The file-name prompt for saving (name and type in and out) with its
    // title (empty: the prompt's own); false on Cancel.
    std::function<bool(QWidget*, QString& name, int& type, const QString& title)> promptSaveName;
    std::function<void(const QString&)> addRecentFile;
    // Writes a setting into the program's store.
    std::function<void(scriva::settings::Key, const QString&)> setSetting;
    // Photos: the settings store they read and write, the file the counter is
    // saved to, the language of the settings lists and the photo-in-progress flag.
    std::function<CConfigFile*()> photoSettings;
    std::function<QString()> settingsPath;
    std::function<QString()> languageCode;
    std::function<void(bool)> setTakingPhoto;

    QString text(int id) const { return window ? window->Text(id) : QString(); }
    // A numbered message with the reason (a system's or camera's text) after it.
    void TellWithReason(QWidget* parent, int id, const QString& reason) const;
    bool busy() const { return isBusy && isBusy(); }

    // Fills what is unset with plain behaviour: no texts, never busy, Qt's own
    // folder dialog and message box (QtWindowServices).
    static FrameServices WithDefaults(FrameServices services);
};
