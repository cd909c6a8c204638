#include "app/frame/FrameServices.h"

#include "export/ui/FileNamePrompt.h"
#include "image/ui/QtWindowServices.h"

FrameServices FrameServices::WithDefaults(FrameServices s)
{
    if (!s.menu)
        s.menu = [](int) { return QJsonValue(QJsonValue::Undefined); };
    if (!s.toolbar)
        s.toolbar = [](int) { return QJsonValue(QJsonValue::Undefined); };
    if (!s.bitmap)
        s.bitmap = [](int) { return QPixmap(); };
    if (!s.skinFile)
        s.skinFile = [](scriva::settings::Key) { return QString(); };
    if (!s.saveFolder)
        s.saveFolder = [] { return QString(); };
    if (!s.isBusy)
        s.isBusy = [] { return false; };
    if (!s.setSwitching)
        s.setSwitching = [](bool) {};
    if (!s.openFile)
        s.openFile = [](const QString&) { return false; };
    if (!s.isEditing)
        s.isEditing = [] { return false; };
    if (!s.setTakingPhoto)
        s.setTakingPhoto = [](bool) {};
    if (!s.ocrSettings)
        s.ocrSettings = &scriva::ocr::OcrSettings::Defaults;
    if (!s.setRecognizing)
        s.setRecognizing = [](bool) {};
    if (!s.promptSaveName) {
        s.promptSaveName = [](QWidget* parent, QString& name, int& type, const QString& title) {
            return scriva::PromptFileName(parent, name, false, type, title);
        };
    }
    if (!s.window)
        s.window = &QtWindowServices::Plain();
    if (!s.addRecentFile)
        s.addRecentFile = [](const QString&) {};
    if (!s.setSetting)
        s.setSetting = [](scriva::settings::Key, const QString&) {};
    return s;
}

void FrameServices::TellWithReason(QWidget* parent, int id, const QString& reason) const
{
    const QString message = text(id);
    window->Tell(parent, reason.isEmpty() ? message : message + QStringLiteral("\n\n") + reason);
}
