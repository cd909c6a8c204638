#include "app/frame/FrameServices.h"

#include "export/ui/FileNamePrompt.h"
#include "image/ui/QtWindowServices.h"

IWindowServices& FrameServices::Window() const
{
    return QtWindowServices::Plain();
}

QJsonValue FrameServices::Menu(int) const
{
    return QJsonValue(QJsonValue::Undefined);
}

QJsonValue FrameServices::Toolbar(int) const
{
    return QJsonValue(QJsonValue::Undefined);
}

QPixmap FrameServices::Bitmap(int) const
{
    return QPixmap();
}

QString FrameServices::SkinFile(scriva::settings::Key) const
{
    return QString();
}

QString FrameServices::SaveFolder() const
{
    return QString();
}

bool FrameServices::IsBusy() const
{
    return false;
}

void FrameServices::SetSwitching(bool) {}

bool FrameServices::OpenFile(const QString&)
{
    return false;
}

bool FrameServices::IsEditing() const
{
    return false;
}

scriva::ocr::OcrSettings FrameServices::RecognitionSettings() const
{
    return scriva::ocr::OcrSettings::Defaults();
}

void FrameServices::SetRecognizing(bool) {}

const CConfigFile* FrameServices::Settings() const
{
    return nullptr;
}

bool FrameServices::PromptSaveName(QWidget* parent, QString& name, int& type, const QString& title)
{
    return scriva::PromptFileName(parent, name, false, type, title);
}

void FrameServices::AddRecentFile(const QString&) {}

void FrameServices::SetSetting(scriva::settings::Key, const QString&) {}

CConfigFile* FrameServices::PhotoSettings() const
{
    return nullptr;
}

QString FrameServices::SettingsPath() const
{
    return QString();
}

QString FrameServices::LanguageCode() const
{
    return QString();
}

void FrameServices::SetTakingPhoto(bool) {}

void FrameServices::TellWithReason(QWidget* parent, int id, const QString& reason) const
{
    const QString message = text(id);
    Window().Tell(parent, reason.isEmpty() ? message : message + QStringLiteral("\n\n") + reason);
}
