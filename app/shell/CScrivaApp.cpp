// Start-up, restart and shutdown of the application object.

#include "app/shell/CScrivaApp.h"

#include "app/shell/AppEvent.h"
#include "app/shell/AppMessageBox.h"
#include "app/shell/RecentFiles.h"
#include "app/shell/ShellCommands.h"
#include "app/shell/ShellHost.h"
#include "app/shell/SingleInstance.h"
#include "capture/ButtonWatcher.h"
#include "capture/CaptureProfile.h"
#include "capture_view/ui/CVideoView.h"
#include "config/AppPaths.h"
#include "config/CommandIds.h"
#include "config/Languages.h"
#include "config/SettingsKeys.h"
#include "image/ui/CScrivaView.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QPrinter>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {
CScrivaApp* s_instance = nullptr;
// While the program ends on request, how often it looks again for what holds it up.
constexpr int kTerminatePollMs = 100;

// The files named on the command line ("scriva FILE...", also a file manager's
// "Open with"), made absolute, in their order.
QStringList commandLineFiles(const QStringList& arguments)
{
    QStringList files;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!argument.isEmpty() && !argument.startsWith(QLatin1Char('-')))
            files << QFileInfo(argument).absoluteFilePath();
    }
    return files;
}

// The main window every application object makes unless given its own.
CScrivaApp::WindowFactory& defaultWindowFactory()
{
    static CScrivaApp::WindowFactory factory;
    return factory;
}
} // namespace

void CScrivaApp::SetDefaultWindowFactory(WindowFactory factory)
{
    defaultWindowFactory() = std::move(factory);
}

CScrivaApp::WindowFactory CScrivaApp::DefaultWindowFactory()
{
    return defaultWindowFactory();
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
    if (!m_settingsNotice.isEmpty())
        AppMessageBox(nullptr, m_settingsNotice, QMessageBox::Ok, QMessageBox::Warning);
    m_uiThread = QThread::currentThreadId();
    loadRecentFiles();
    if (!createMainWindow())
        return false;
    watchDeviceScans();
    scanDevices();
    m_started = true;
    const QStringList files = commandLineFiles(arguments);
    if (!files.isEmpty() && m_windows)
        m_windows->OpenFiles(files);
    return true;
}

bool CScrivaApp::loadSettings()
{
    keepUnreadableSettingsAside();
    QString failedPath;
    QString reason;
    if (!scriva::loadSettings(m_settings, &failedPath, &reason)) {
        AppMessageBox(nullptr,
                      QStringLiteral("Failed to load config file !") +
                          QStringLiteral("\r\nPath:\t") + failedPath +
                          QStringLiteral("\r\nReason:\t") + reason,
                      QMessageBox::Ok, QMessageBox::Critical);
        return false;
    }
    m_settingsLoaded = true;
    return true;
}

// A user settings file that is not in the store's format (saved by hand as UTF-8, say) is
// moved aside under a dated name before anything reads it, so that neither the defaults the
// program then starts with nor its exit save can overwrite it; the user is told after the
// language is known.
void CScrivaApp::keepUnreadableSettingsAside()
{
    const QString file = scriva::userConfigFile();
    const QString problem = CConfigFile::FormatProblem(file);
    if (problem.isEmpty())
        return;
    const QString kept = file + QStringLiteral(".unreadable-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!QFile::rename(file, kept)) {
        m_settingsNotice = QStringLiteral("Your settings file %1 cannot be read (%2) and could "
                                          "not be kept aside; it is left as it is.")
                               .arg(file, problem);
        return;
    }
    m_settingsNotice = QStringLiteral("Your settings file could not be read: %1.\nIt was kept as "
                                      "%2.\nScriva starts with the default settings.")
                           .arg(problem, kept);
    std::fprintf(stderr, "scriva: %s\n", qPrintable(m_settingsNotice));
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
        // "scriva FILE..." (a file manager's "Open with") while Scriva runs: the
        // running one opens the files and this start has done its job.
        const QStringList files = commandLineFiles(arguments);
        QString error;
        if (!files.isEmpty() && SingleInstance::SendFiles(scriva::runtimeFolder(), files, &error)) {
            m_handedOver = true;
            return false;
        }
        if (!files.isEmpty())
            std::fprintf(stderr, "scriva: %s\n", qPrintable(error));
        AppMessageBox(nullptr, scriva::str::kAlreadyRunning);
        return false;
    }
    connect(m_singleInstance.get(), &SingleInstance::openRequested, this,
            &CScrivaApp::openHandedFiles);
    // Without the socket the program still runs (its exit save keeps the changes of
    // others), but the user is told that a second start is no longer refused and that
    // buttons sent with --button do not arrive.
    if (result == SingleInstance::Start::Failed) {
        const QString text =
            QStringLiteral("Scriva cannot listen on %1: %2.\nA second Scriva started now would "
                           "not be refused, and camera buttons sent with --button do not arrive.")
                .arg(m_singleInstance->socketPath(), m_singleInstance->errorString());
        std::fprintf(stderr, "scriva: %s\n", qPrintable(text));
        AppMessageBox(nullptr, text, QMessageBox::Ok, QMessageBox::Warning);
    }
    return true;
}

void CScrivaApp::openHandedFiles(const QStringList& paths)
{
    if (!m_windows || !m_started)
        return;
    m_windows->OpenFiles(paths);
    if (QWidget* window = m_windows->Window()) {
        if (window->isMinimized())
            window->showNormal();
        window->raise();
        window->activateWindow();
    }
}

void CScrivaApp::loadRecentFiles()
{
    m_recentFiles =
        std::make_unique<RecentFiles>(scriva::userConfigFolder() + QStringLiteral("profile.ini"));
    m_recentFiles->Load();
}

bool CScrivaApp::createMainWindow()
{
    // Capture views pan with the pack's hand cursor; the store reaches them
    // through the frame's services.
    CVideoView::SetPanCursor(m_pack.Cursor(scriva::res::kPanCursor));
    CScrivaView::SetHandCursor(m_pack.Cursor(scriva::res::kPanCursor));
    if (!m_windowFactory)
        m_windowFactory = DefaultWindowFactory();
    m_windows = m_windowFactory ? m_windowFactory(*this) : nullptr;
    if (!m_windows || !m_windows->Window())
        return false;
    QWidget* window = m_windows->Window();
    window->setAcceptDrops(true);
    m_windows->ShowWindow();
    m_recentFiles->SetMenu(m_windows->RecentFileMenu(),
                           m_pack.String(scriva::cmd::kFirstRecentFile),
                           [this](const QString& path) { OpenRecentFile(path); });
    return true;
}

void CScrivaApp::watchDeviceScans()
{
    // Every scan, the capture view's at each start as well as this object's,
    // re-attaches the buttons, so a camera plugged in later gets them too.
    CDeviceGuard::SetScanObserver(
        [this](const CDeviceGuard& scanned) { attachCameraButtons(scanned.Camera()); });
}

bool CScrivaApp::scanDevices()
{
    return m_deviceGuard.ScanDevices(scriva::settings::CameraIds(m_settings));
}

// The camera's own buttons (its input nodes) follow the camera of the latest
// scan; they arrive as the same 0x7E8 event as `scriva --button`.
void CScrivaApp::attachCameraButtons(const VideoNode* camera)
{
    if (!m_buttonWatcher) {
        m_buttonWatcher = std::make_unique<ButtonWatcher>([this](int code) {
            QCoreApplication::postEvent(this, new AppEvent(scriva::msg::kButton, code, 0));
        });
    }
    m_buttonWatcher->SetKeyMap(CaptureProfile().ButtonMap());
    m_buttonWatcher->Attach(camera ? camera->usbDevicePath : QString());
}

void CScrivaApp::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_deviceGuard.RestoreDevices();
    CDeviceGuard::SetScanObserver(nullptr);
    m_buttonWatcher.reset();
    // A start that failed half-way (a second instance, a missing pack) must
    // not write its copy over the user's file; neither may a restart, whose
    // new instance has already read it. Only the program's own changes are
    // written, over the file as it is now, so changes made meanwhile by
    // scriva-cli or by hand stay.
    if (m_settingsLoaded && m_started && !m_restarting) {
        QString error;
        if (!m_settings.SaveChanges(scriva::userConfigFile(), &error))
            std::fprintf(stderr, "scriva: the settings were not saved: %s\n", qPrintable(error));
    }
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

void CScrivaApp::Terminate()
{
    m_terminating = true;
    EndAppMessageBoxes();
    if (!m_terminateTimer) {
        m_terminateTimer = new QTimer(this);
        m_terminateTimer->setInterval(kTerminatePollMs);
        connect(m_terminateTimer, &QTimer::timeout, this, &CScrivaApp::continueTerminate);
    }
    m_terminateTimer->start();
    continueTerminate();
}

void CScrivaApp::continueTerminate()
{
    // Open dialogs end as their Cancel would. A wait box does not: it ends when
    // its worker does (recognition is cancelled), and the window waits for it.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog && dialog->isVisible() && dialog->isModal())
            dialog->reject();
    }
    if (isBusy(BusyEditing) || isBusy(BusyRecognizing))
        return;
    QWidget* window = mainWindow();
    if (!window) // still starting: the window closes once it is there
        return;
    m_terminateTimer->stop();
    // Unsaved edits meet the ask-to-save question, which now answers as a
    // closed box does. Should the window still refuse, the program ends anyway.
    if (window->isVisible() && !window->close())
        QCoreApplication::exit(0);
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
