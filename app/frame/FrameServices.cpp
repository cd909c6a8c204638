#include "app/frame/FrameServices.h"

#include "export/ui/FileNamePrompt.h"
#include "image/ui/QtWindowServices.h"

#include <QFileDialog>
#include <QMessageBox>

FrameServices FrameServices::WithDefaults(FrameServices s)
{
    if (!s.string)
        s.string = [](int) { return QString(); };
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
    if (!s.showMessage) {
        auto strings = s.string;
        s.showMessage = [strings](QWidget* parent, int id) {
            QMessageBox::warning(parent, QString(), strings(id));
        };
    }
    if (!s.askMessage) {
        auto strings = s.string;
        s.askMessage = [strings](QWidget* parent, int id, QMessageBox::StandardButtons buttons,
                                 QMessageBox::Icon icon, QMessageBox::StandardButton preset) {
            QMessageBox box(icon, QString(), strings(id), buttons, parent);
            box.setDefaultButton(preset);
            return QMessageBox::StandardButton(box.exec());
        };
    }
    if (!s.openFile)
        s.openFile = [](const QString&) { return false; };
    if (!s.isEditing)
        s.isEditing = [] { return false; };
    if (!s.showMessageWithReason) {
        auto show = s.showMessage;
        s.showMessageWithReason = [show](QWidget* parent, int id, const QString&) {
            show(parent, id);
        };
    }
    if (!s.setTakingPhoto)
        s.setTakingPhoto = [](bool) {};
    if (!s.chooseFolder) {
        s.chooseFolder = [](QWidget* parent, const QString& title, const QString& start) {
            return QFileDialog::getExistingDirectory(parent, title, start);
        };
    }
    if (!s.showText) {
        s.showText = [](QWidget* parent, const QString& text, const QString& caption, bool info) {
            QMessageBox::information(parent, caption, text);
            Q_UNUSED(info);
        };
    }
    if (!s.ocrSettings)
        s.ocrSettings = &scriva::ocr::OcrSettings::Defaults;
    if (!s.setRecognizing)
        s.setRecognizing = [](bool) {};
    if (!s.askYesNo) {
        s.askYesNo = [](QWidget* parent, const QString& text) {
            return QMessageBox::question(parent, QString(), text) == QMessageBox::Yes;
        };
    }
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
        s.setSetting = [](const QString&, const QString&, const QString&) {};
    return s;
}
