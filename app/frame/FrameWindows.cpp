#include "app/frame/FrameWindows.h"

#include "app/frame/CMainFrame.h"
#include "app/frame/FrameImageCommands.h"
#include "app/shell/AppMessageBox.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/LanguagePack.h"
#include "config/AppPaths.h"
#include "config/CommandIds.h"
#include "config/SettingsKeys.h"
#include "image/CScrivaDoc.h"
#include "ocr/ui/CRecognizeView.h"
#include "thumbs/ui/CThumbView.h"

#include <QFile>
#include <QTimer>

IWindowServices& AppFrameServices::Window() const
{
    return m_app.windowServices();
}

QJsonValue AppFrameServices::Menu(int id) const
{
    return m_app.pack().Menu(id);
}

QJsonValue AppFrameServices::Toolbar(int id) const
{
    return m_app.pack().Toolbar(id);
}

QPixmap AppFrameServices::Bitmap(int id) const
{
    return m_app.pack().Bitmap(id);
}

QString AppFrameServices::SkinFile(scriva::settings::Key key) const
{
    const QString file = scriva::settings::ReadString(m_app.settings(), key);
    if (file.isEmpty())
        return QString();
    QString own = m_app.pack().FilePath(QStringLiteral("skin/") + file);
    if (!own.isEmpty())
        return own;
    QString folder = scriva::resolveDataPath(
        scriva::settings::ReadString(m_app.settings(), scriva::settings::kSkinFolder));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + file;
}

QString AppFrameServices::SaveFolder() const
{
    return scriva::settings::PhotoFolder(m_app.settings());
}

bool AppFrameServices::IsBusy() const
{
    return m_app.isBusy();
}

void AppFrameServices::SetSwitching(bool on)
{
    m_app.setBusy(CScrivaApp::BusySwitching, on);
}

bool AppFrameServices::OpenFile(const QString& path)
{
    // Thumbnail clicks and the column's deletions open through the document's
    // browsing path (an empty path clears it).
    auto* windows = dynamic_cast<FrameWindows*>(m_app.windows());
    return windows && windows->document().OpenPath(path);
}

bool AppFrameServices::IsEditing() const
{
    return m_app.isBusy(CScrivaApp::BusyEditing);
}

scriva::ocr::OcrSettings AppFrameServices::RecognitionSettings() const
{
    return scriva::ocr::OcrSettings::Read(m_app.settings());
}

void AppFrameServices::SetRecognizing(bool on)
{
    m_app.setBusy(CScrivaApp::BusyRecognizing, on);
}

const CConfigFile* AppFrameServices::Settings() const
{
    return &m_app.settings();
}

void AppFrameServices::AddRecentFile(const QString& path)
{
    m_app.AddToRecentFileList(path);
}

void AppFrameServices::SetSetting(scriva::settings::Key key, const QString& value)
{
    scriva::settings::WriteString(m_app.settings(), key, value);
}

CConfigFile* AppFrameServices::PhotoSettings() const
{
    return &m_app.settings();
}

QString AppFrameServices::SettingsPath() const
{
    return scriva::userConfigFile();
}

QString AppFrameServices::LanguageCode() const
{
    return m_app.languageCode();
}

void AppFrameServices::SetTakingPhoto(bool on)
{
    m_app.setBusy(CScrivaApp::BusyPhoto, on);
}

FrameWindows::FrameWindows(CScrivaApp& app)
    : m_app(app), m_services(app), m_doc(std::make_unique<CScrivaDoc>()),
      m_frame(std::make_unique<CMainFrame>(m_services, *m_doc))
{
    m_imageCommands = std::make_unique<FrameImageCommands>(app, *m_frame, *m_doc);
    m_frame->router().setApplication(this);
    m_frame->thumbView()->SetSettings(&app.settings());
    // The photos taken so far fill the column from the start, once the window
    // has its size.
    QTimer::singleShot(0, m_frame.get(), [thumbs = m_frame->thumbView(), &app] {
        thumbs->ScanFolder(scriva::settings::PhotoFolder(app.settings()));
    });
}

std::unique_ptr<IAppWindows> FrameWindows::Make(CScrivaApp& app)
{
    auto windows = std::make_unique<FrameWindows>(app);
    if (!windows->frame()->IsCreated())
        return nullptr;
    return windows;
}

FrameWindows::~FrameWindows()
{
    m_frame->router().setApplication(nullptr);
    m_imageCommands.reset(); // its handlers leave the document first
    m_frame.reset();         // the views leave the document before it goes
}

bool FrameWindows::OnCommand(int id)
{
    return m_imageCommands->OnCommand(id) || m_app.OnCommand(id);
}

std::optional<CommandState> FrameWindows::OnUpdateCommand(int id) const
{
    const auto state = m_imageCommands->OnUpdateCommand(id);
    return state ? state : m_app.OnUpdateCommand(id);
}

QWidget* FrameWindows::Window() const
{
    return m_frame.get();
}

void FrameWindows::ShowWindow()
{
    if (m_frame->RestorePlacement(WindowPlacement::Read(m_app.settings())))
        m_frame->showMaximized();
    else
        m_frame->show();
}

QMenu* FrameWindows::RecentFileMenu() const
{
    return m_frame->recentFileMenu();
}

int FrameWindows::RightAreaMode() const
{
    return m_frame->RightAreaMode();
}

bool FrameWindows::HasImage() const
{
    return m_doc->HasImage();
}

bool FrameWindows::SwitchRightPane()
{
    return m_frame->SwitchRightPane();
}

bool FrameWindows::DispatchCommand(int id)
{
    return m_frame->router().dispatch(id);
}

void FrameWindows::OpenPreviousFile()
{
    m_frame->router().dispatch(CScrivaDoc::CmdPreviousFile);
}

void FrameWindows::OpenNextFile()
{
    m_frame->router().dispatch(CScrivaDoc::CmdNextFile);
}

void FrameWindows::TakePhoto()
{
    m_frame->router().dispatch(scriva::cmd::kTakePhoto);
}

void FrameWindows::UpdateStatus(int what)
{
    m_doc->UpdateStatus(what);
}

bool FrameWindows::NewDocument()
{
    if (!m_doc->SaveModified())
        return false;
    m_doc->SetPathName(QString());
    return true;
}

bool FrameWindows::SaveModified()
{
    return m_doc->SaveModified();
}

QString FrameWindows::CurrentFile() const
{
    return m_doc->HasImage() ? m_doc->PathName() : QString();
}

bool FrameWindows::OpenFile(const QString& path)
{
    return m_doc->OpenDocument(path);
}

bool FrameWindows::OpenFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return false;
    for (const QString& path : paths)
        m_frame->thumbView()->AddFile(path);
    return OpenFile(paths.first());
}
