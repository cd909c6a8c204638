// Commands the application object answers: About, New, Open, Print Setup,
// Exit, Help and the recent-file list.

#include "app/shell/AboutDialog.h"
#include "app/shell/AppCommandLine.h"
#include "app/shell/AppMessageBox.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/CompanionPrograms.h"
#include "app/shell/RecentFiles.h"
#include "app/shell/ShellCommands.h"
#include "app/shell/ShellHost.h"
#include "config/AppPaths.h"
#include "config/CommandIds.h"
#include "config/FileTypeTable.h"
#include "config/Languages.h"
#include "config/SettingsKeys.h"
#include "export/ui/FileNamePrompt.h"
#include "ocr/COcrEngine.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QUrl>
#include <QWidget>

namespace {

namespace cmd = scriva::cmd;

bool isRecentEntry(int id)
{
    return id >= cmd::kFirstRecentFile && id < cmd::kFirstRecentFile + RecentFiles::kSize;
}

// The first local file among the dropped ones.
QString firstLocalFile(const QMimeData* data)
{
    if (!data)
        return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            return url.toLocalFile();
    }
    return {};
}

} // namespace

int ShellHost::LanguageIndex() const
{
    return m_app.m_languageIndex;
}

bool ShellHost::StoreLanguage(const QString& code)
{
    namespace settings = scriva::settings;
    // Only the program's own changes, under the file's lock: others' stay.
    return settings::WriteString(m_app.m_settings, settings::kLanguage, code) &&
           m_app.m_settings.SaveChanges(scriva::userConfigFile());
}

bool ShellHost::AskRestart()
{
    return AppMessageBox(m_app.mainWindow(), scriva::str::kRestartForLanguage,
                         QMessageBox::Yes | QMessageBox::No,
                         QMessageBox::Question) == QMessageBox::Yes;
}

bool ShellHost::SaveModified()
{
    return !m_app.m_windows || m_app.m_windows->SaveModified();
}

void ShellHost::Restart()
{
    m_app.RestartApplication();
}

bool ShellHost::ImageMode() const
{
    return m_app.m_windows && m_app.m_windows->RightAreaMode() == scriva::mode::kImage;
}

bool ShellHost::HasImage() const
{
    return m_app.m_windows && m_app.m_windows->HasImage();
}

bool ShellHost::Editing() const
{
    return m_app.isBusy(CScrivaApp::BusyEditing);
}

QString ShellHost::CurrentFile() const
{
    return m_app.m_windows ? m_app.m_windows->CurrentFile() : QString();
}

QString ShellHost::Recorder() const
{
    namespace settings = scriva::settings;
    return companion::FindRecorder(m_app.m_dataFolder, m_app.m_languageIndex,
                                   settings::ReadString(m_app.m_settings, settings::kRecorder));
}

QString ShellHost::PaintProgram() const
{
    return companion::FindPaintProgram();
}

QUrl ShellHost::ProductPage() const
{
    namespace settings = scriva::settings;
    return companion::ProductPage(settings::ReadString(m_app.m_settings, settings::kUrl));
}

bool ShellHost::OpenUrl(const QUrl& url)
{
    return OpenInBrowser(url);
}

ProgramStart ShellHost::StartDetached(const QString& program, const QStringList& arguments)
{
    return RunProgram(program, arguments, false);
}

void ShellHost::ReportError(const QString& operation, int code, const QString& message)
{
    ReportLastError(m_app.mainWindow(), operation, code, message);
}

ShellCommands& CScrivaApp::shellCommands() const
{
    if (m_shellCommands)
        return *m_shellCommands;
    auto* self = const_cast<CScrivaApp*>(this);
    m_shellHost = std::make_unique<ShellHost>(*self);
    m_shellCommands = std::make_unique<ShellCommands>(*m_shellHost);
    return *m_shellCommands;
}

bool CScrivaApp::OnCommand(int id)
{
    if (shellCommands().OnCommand(id))
        return true;
    switch (id) {
    case cmd::kAbout:
        OnAbout();
        return true;
    case cmd::kFileNew:
        OnFileNew();
        return true;
    case cmd::kFileOpen:
        OnFileOpen();
        return true;
    case cmd::kPrintSetup:
        OnFilePrintSetup();
        return true;
    case cmd::kExit:
        // As the window's close button: the document is asked first.
        if (QWidget* window = mainWindow())
            window->close();
        return true;
    case cmd::kHelp:
        OnHelp();
        return true;
    case cmd::kClearRecentFiles:
        OnClearRecentFiles();
        return true;
    default:
        break;
    }
    if (isRecentEntry(id) && m_recentFiles) {
        const QString path = m_recentFiles->At(id - cmd::kFirstRecentFile);
        if (!path.isEmpty())
            OpenRecentFile(path);
        return true;
    }
    return false;
}

std::optional<CommandState> CScrivaApp::OnUpdateCommand(int id) const
{
    if (auto state = shellCommands().OnUpdateCommand(id))
        return state;
    switch (id) {
    case cmd::kAbout:
    case cmd::kFileNew:
    case cmd::kFileOpen:
    case cmd::kPrintSetup:
    case cmd::kExit:
    case cmd::kHelp:
        return CommandState::Enabled();
    case cmd::kClearRecentFiles:
        return CommandState::Enabled(m_recentFiles && !m_recentFiles->IsEmpty());
    default:
        break;
    }
    if (isRecentEntry(id)) {
        const int index = id - cmd::kFirstRecentFile;
        return CommandState::Enabled(m_recentFiles && !m_recentFiles->IsEmpty() &&
                                     index < m_recentFiles->Count());
    }
    return std::nullopt;
}

void CScrivaApp::OnAbout()
{
    const QString url = scriva::settings::ReadString(m_settings, scriva::settings::kUrl);
    // The build's version, as --version and the package give it (not the settings' field).
    const QString version = QString::fromLatin1(scriva::ProgramVersion());
    // The engine's own version; empty when its library cannot be loaded.
    const QString engine = COcrEngine::EngineVersion();
    AboutDialog dialog(m_pack, url, version, engine, mainWindow());
    dialog.exec();
}

void CScrivaApp::OnFileNew()
{
    if (m_windows)
        m_windows->NewDocument();
}

void CScrivaApp::OnFileOpen()
{
    if (!m_windows)
        return;
    // The program's file-name prompt over its file-type table.
    QString path;
    int type = scriva::FileTypeTable::AllSupported;
    if (scriva::PromptFileName(mainWindow(), path, true, type) && !path.isEmpty())
        m_windows->OpenFile(path);
}

void CScrivaApp::OnFilePrintSetup()
{
    QPageSetupDialog dialog(&printer(), mainWindow());
    dialog.exec();
}

void CScrivaApp::OnHelp()
{
    if (!scriva::languages::IsValidIndex(m_languageIndex))
        return;
    const QString page = m_dataFolder + QStringLiteral("help/") +
                         QLatin1String(scriva::languages::Info(m_languageIndex).helpFolder) +
                         QStringLiteral("/index.html");
    if (!QFileInfo::exists(page) || !QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        QApplication::beep();
}

void CScrivaApp::OnClearRecentFiles()
{
    if (m_recentFiles)
        m_recentFiles->Clear();
}

void CScrivaApp::AddToRecentFileList(const QString& path)
{
    if (m_recentFiles)
        m_recentFiles->Add(path);
}

void CScrivaApp::OpenRecentFile(const QString& path)
{
    if (!m_windows)
        return;
    // An entry whose file is gone leaves the list; the document still says why.
    if (!QFileInfo::exists(path) && m_recentFiles) {
        const int index = m_recentFiles->Paths().indexOf(path);
        if (index >= 0)
            m_recentFiles->Remove(index);
    }
    m_windows->OpenFile(path);
}

bool CScrivaApp::OnDropEvent(QEvent* event)
{
    auto* drop = static_cast<QDropEvent*>(event);
    const QString path = firstLocalFile(drop->mimeData());
    // The file is only read: a drop is always a copy, never a move after which
    // the program it came from would delete it.
    if (path.isEmpty() || !m_windows || !(drop->possibleActions() & Qt::CopyAction))
        return false;
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    // Files dropped on the window open as File Open opens them.
    if (event->type() == QEvent::Drop)
        m_windows->OpenFile(path);
    return true;
}
