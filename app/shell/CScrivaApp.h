#pragma once
// The application object: loads the settings and the language pack, keeps one
// instance per user, creates the document and the main window, hands the
// camera ids to the device guard, and saves the settings at the end. Handles
// the events workers and camera buttons post to qApp (AppEvent 0x7E8-0x7E9)
// and the application-level commands. Exists once; user-interface thread only,
// except isBusy()/setBusy(), which any thread may call.

#include "app/shell/AppWindowServices.h"
#include "app/shell/IAppWindows.h"
#include "app/shell/LanguagePack.h"
#include "capture/CDeviceGuard.h"
#include "config/CConfigFile.h"
#include "image/CommandTarget.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

class AppEvent;
class QPrinter;
class QTimer;
class QTranslator;
class RecentFiles;
class SingleInstance;
class ButtonWatcher;
class ShellCommands;
class ShellHost;

class CScrivaApp : public QObject, public ICommandTarget
{
    Q_OBJECT
public:
    enum BusyReason : unsigned {
        BusyEditing = 1,     // the image-editing worker runs
        BusyRecognizing = 2, // the recognition worker runs
        BusyPhoto = 4,       // a photo is being taken
        BusySwitching = 8,   // the right area is being switched
    };
    using WindowFactory = std::function<std::unique_ptr<IAppWindows>(CScrivaApp&)>;
    // How an application object makes its main window unless given its own
    // (setWindowFactory). The program sets the main frame's (FrameWindows::Make)
    // before it starts; without any, start-up fails as when the window cannot be made.
    static void SetDefaultWindowFactory(WindowFactory factory);
    static WindowFactory DefaultWindowFactory();

    explicit CScrivaApp(QObject* parent = nullptr);
    ~CScrivaApp() override;
    static CScrivaApp* instance();

    // Start-up; false when the program must end (the reason was shown).
    bool init(const QStringList& arguments);
    // init() ended because the files named were handed to the running instance:
    // this start has done its job (exit status 0).
    bool HandedOver() const { return m_handedOver; }
    // The end: devices restored, settings saved unless restarting, pack unloaded.
    void shutdown();
    void RestartApplication();
    // A terminate request (the session ends, a service manager stops the
    // program): every box and dialog on screen is closed without a choice,
    // boxes are no longer shown, and the main window closes as soon as no
    // worker runs, so the program ends through its normal exit and its save.
    void Terminate();
    bool isTerminating() const { return m_terminating; }

    QString GetExeFolder() const;
    QString GetDocumentsFolder() const;
    CConfigFile& settings() { return m_settings; }
    LanguagePack& pack() { return m_pack; }
    // Texts, boxes and questions for every window of the program.
    IWindowServices& windowServices() { return m_windowServices; }
    CDeviceGuard& deviceGuard() { return m_deviceGuard; }
    RecentFiles* recentFiles() const { return m_recentFiles.get(); }
    // A file the document opened or saved goes to the top of the recent list.
    void AddToRecentFileList(const QString& path);
    QPrinter& printer();
    int languageIndex() const { return m_languageIndex; }
    // The table's lower-case code ("en" also when the settings say "EN").
    QString languageCode() const { return m_languageCode; }
    Qt::HANDLE uiThread() const { return m_uiThread; }
    IAppWindows* windows() const { return m_windows.get(); }
    QWidget* mainWindow() const;
    bool isRestarting() const { return m_restarting; }

    // Whoever starts a worker, a photo or a switch sets its reason and clears
    // it when done; camera buttons and timers do nothing while any is set.
    bool isBusy() const { return m_busy.load() != 0; }
    bool isBusy(BusyReason reason) const { return (m_busy.load() & reason) != 0; }
    void setBusy(BusyReason reason, bool busy);

    // How the main window is made; tests put their own windows here.
    void setWindowFactory(WindowFactory factory) { m_windowFactory = std::move(factory); }
    // The program a restart starts (this program unless a test says otherwise).
    void setRestartProgram(const QString& program) { m_restartProgram = program; }
    // Where the language packs are looked for (the data folder by default).
    void setDataFolder(const QString& folder)
    {
        m_dataFolder = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    }
    QString dataFolder() const { return m_dataFolder; }

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

signals:
    void restartStarted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    friend class ShellHost; // the shell commands read and change the application through it

    bool loadSettings();
    bool loadLanguage();
    bool checkSingleInstance(const QStringList& arguments);
    void openHandedFiles(const QStringList& paths);
    void loadRecentFiles();
    bool createMainWindow();
    bool scanDevices();
    void attachCameraButtons(const VideoNode* camera);
    void watchDeviceScans();
    void keepUnreadableSettingsAside();
    void continueTerminate();

    void OnButton(const AppEvent& event);
    void OnButtonImageCommand(int code);
    void OnButtonPhoto();
    void OnEditDone(const AppEvent& event);

    void OnAbout();
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnHelp();
    ShellCommands& shellCommands() const;
    void OnClearRecentFiles();
    void OpenRecentFile(const QString& path);
    bool OnDropEvent(QEvent* event);

    CConfigFile m_settings;
    bool m_settingsLoaded = false;
    QString m_settingsNotice; // said in a box once the language is loaded
    LanguagePack m_pack;
    AppWindowServices m_windowServices{m_pack};
    int m_languageIndex = 0;
    QString m_languageCode;
    bool m_restarting = false;
    CDeviceGuard m_deviceGuard;
    Qt::HANDLE m_uiThread = nullptr;
    std::atomic<unsigned> m_busy{0};
    std::unique_ptr<SingleInstance> m_singleInstance;
    std::unique_ptr<ButtonWatcher> m_buttonWatcher;
    std::unique_ptr<RecentFiles> m_recentFiles;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QTranslator> m_qtTranslator;
    WindowFactory m_windowFactory;
    std::unique_ptr<IAppWindows> m_windows;
    QString m_restartProgram;
    QString m_dataFolder;
    // Language, recorder, page and paint; made on first use, as the rules ask early.
    mutable std::unique_ptr<ShellHost> m_shellHost;
    mutable std::unique_ptr<ShellCommands> m_shellCommands;
    bool m_started = false; // init() went through every step
    bool m_handedOver = false;
    bool m_shutDown = false;
    bool m_terminating = false;
    QTimer* m_terminateTimer = nullptr;
};
