// Start-up, restart and shutdown of the application object.

#include "app/shell/CScrivaApp.h"

#include "app/frame/CMainFrame.h"
#include "app/frame/FrameWindows.h"
#include "app/shell/AppEvent.h"
#include "app/shell/AppMessageBox.h"
#include "app/shell/RecentFiles.h"
#include "app/shell/ShellCommands.h"
#include "app/shell/SingleInstance.h"
#include "capture/ButtonWatcher.h"
#include "capture/CaptureProfile.h"
#include "capture_view/ui/CVideoView.h"
#include "config/AppPaths.h"
#include "config/CommandIds.h"
#include "config/Languages.h"
#include "config/SettingsKeys.h"

#include <QApplication>
#include <QMetaObject>
#include <QPrinter>
#include <QProcess>
#include <QThread>
#include <QWidget>

namespace {
CScrivaApp* s_instance = nullptr;

} // namespace

CScrivaApp::WindowFactory CScrivaApp::DefaultWindowFactory()
{
    return [](CScrivaApp& app) -> std::unique_ptr<IAppWindows> {
        auto windows = std::make_unique<FrameWindows>(app);
        if (!windows->frame()->IsCreated())
            return nullptr;
        return windows;
    };
}

CScrivaApp::CScrivaApp(QObject* parent) : QObject(parent)
{
    s_instance = this;
    m_restartProgram = QCoreApplication::applicationFilePath();
    m_dataFolder = scriva::dataFolder();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

CScrivaApp::~CScrivaApp()
{
    shutdown();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    m_windows.reset();
    if (s_instance == this)
        s_instance = nullptr;
}

CScrivaApp* CScrivaApp::instance()
{
    return s_instance;
}

bool CScrivaApp::init(const QStringList& arguments)
{
    m_restarting = false;
    m_shutDown = false;
    m_started = false;
    if (!loadSettings() || !loadLanguage() || !checkSingleInstance(arguments))
        return false;
    m_uiThread = QThread::currentThreadId();
    loadRecentFiles();
    if (!createMainWindow())
        return false;
    scanDevices();
    m_started = true;
    return true;
}

bool CScrivaApp::loadSettings()
{
    QString failedPath;
    if (!scriva::loadSettings(m_settings, &failedPath)) {
        AppMessageBox(nullptr,
                      QStringLiteral("Failed to load config file !") +
                          QStringLiteral("\r\nPath:\t") + failedPath,
                      QMessageBox::Ok, QMessageBox::Critical);
        return false;
    }
    m_settingsLoaded = true;
    return true;
}

bool CScrivaApp::loadLanguage()
{
    const QString code = scriva::settings::ReadString(m_settings, scriva::settings::kLanguage);
    const int index = scriva::languages::IndexOfCode(code);
    if (index == 0 || !m_pack.Load(m_dataFolder, index)) {
        AppMessageBox(nullptr, QStringLiteral("Failed to load resource!"), QMessageBox::Ok,
                      QMessageBox::Critical);
        return false;
    }
    m_languageIndex = index;
    // Keys such as "<code>Page" are built from the table's own spelling.
    m_languageCode = scriva::languages::CodeOfIndex(index);
    LanguagePack::SetActive(&m_pack);
    m_qtTranslator = LanguagePack::QtTranslator(index);
    if (m_qtTranslator)
        QCoreApplication::installTranslator(m_qtTranslator.get());
    return true;
}

bool CScrivaApp::checkSingleInstance(const QStringList& arguments)
{
    m_singleInstance = std::make_unique<SingleInstance>(scriva::runtimeFolder(), nullptr);
    const bool restart = SingleInstance::HasRestartFlag(arguments);
    const SingleInstance::Start result = m_singleInstance->start(restart);
    if (result == SingleInstance::Start::AlreadyRunning) {
        m_singleInstance.reset();
        AppMessageBox(nullptr, scriva::str::kAlreadyRunning);
        return false;
    }
    // Without the socket the program still runs; only buttons sent with
    // --button and the one-instance check are lost.
    if (result == SingleInstance::Start::Failed)
        qWarning("scriva: cannot listen on %s", qPrintable(m_singleInstance->socketPath()));
    return true;
}

void CScrivaApp::loadRecentFiles()
{
    m_recentFiles =
        std::make_unique<RecentFiles>(scriva::userConfigFolder() + QStringLiteral("profile.ini"));
    m_recentFiles->Load();
}

bool CScrivaApp::createMainWindow()
{
    // Capture views read the store the application owns (unsaved changes
    // included) and pan with the pack's hand cursor.
    CVideoView::SetSharedSettings(&m_settings);
    CVideoView::SetPanCursor(m_pack.Cursor(scriva::res::kPanCursor));
    if (!m_windowFactory)
        m_windowFactory = DefaultWindowFactory();
    m_windows = m_windowFactory ? m_windowFactory(*this) : nullptr;
    if (!m_windows || !m_windows->Window())
        return false;
    QWidget* window = m_windows->Window();
    window->setAcceptDrops(true);
    window->showMaximized();
    m_recentFiles->SetMenu(m_windows->RecentFileMenu(),
                           m_pack.String(scriva::cmd::kFirstRecentFile),
                           [this](const QString& path) { OpenRecentFile(path); });
    return true;
}

bool CScrivaApp::scanDevices()
{
    const bool found = m_deviceGuard.ScanDevices(scriva::settings::CameraIds(m_settings));
    attachCameraButtons();
    return found;
}

// The camera's own buttons (its input nodes) follow the camera of the latest
// scan; they arrive as the same 0x7E8 event as `scriva --button`.
void CScrivaApp::attachCameraButtons()
{
    if (!m_buttonWatcher) {
        m_buttonWatcher = std::make_unique<ButtonWatcher>([this](int code) {
            QCoreApplication::postEvent(this, new AppEvent(scriva::msg::kButton, code, 0));
        });
    }
    m_buttonWatcher->SetKeyMap(CaptureProfile().ButtonMap());
    const auto* camera = m_deviceGuard.Camera();
    m_buttonWatcher->Attach(camera ? camera->usbDevicePath : QString());
}

void CScrivaApp::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_deviceGuard.RestoreDevices();
    m_buttonWatcher.reset();
    CVideoView::SetSharedSettings(nullptr);
    // A start that failed half-way (a second instance, a missing pack) must
    // not write its copy over the user's file; neither may a restart, whose
    // new instance has already read it.
    if (m_settingsLoaded && m_started && !m_restarting)
        m_settings.Save(scriva::userConfigFile());
    if (m_recentFiles)
        m_recentFiles->Save();
    // Closing the socket now lets a restarted instance take the name over.
    m_singleInstance.reset();
    if (LanguagePack::Active() == &m_pack)
        LanguagePack::SetActive(nullptr);
    m_pack.Unload();
    if (m_qtTranslator)
        QCoreApplication::removeTranslator(m_qtTranslator.get());
    m_qtTranslator.reset();
}

void CScrivaApp::RestartApplication()
{
    scanDevices();
    QProcess process;
    process.setProgram(m_restartProgram);
    process.setArguments({QStringLiteral("-r")});
    if (!process.startDetached()) {
        ReportLastError(mainWindow(), QStringLiteral("CreateProcess"), int(process.error()),
                        process.errorString());
        return;
    }
    m_restarting = true;
    emit restartStarted();
    QWidget* window = mainWindow();
    if (!window) {
        QCoreApplication::exit(-1);
        return;
    }
    QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
}

QString CScrivaApp::GetExeFolder() const
{
    return scriva::exeFolder();
}

QString CScrivaApp::GetDocumentsFolder() const
{
    return scriva::documentsFolder();
}

QPrinter& CScrivaApp::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

QWidget* CScrivaApp::mainWindow() const
{
    return m_windows ? m_windows->Window() : nullptr;
}

void CScrivaApp::setBusy(BusyReason reason, bool busy)
{
    if (busy)
        m_busy.fetch_or(reason);
    else
        m_busy.fetch_and(~unsigned(reason));
}
