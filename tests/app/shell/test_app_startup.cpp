// The application object: start-up failures, one instance, restart and the
// settings save at exit, camera buttons, worker events and the recent-file
// commands. The main window is a stand-in that records what it was asked.

#include "AppTestSupport.h"
#include "EventIdle.h"
#include "QtTestRegistry.h"
#include "app/shell/AppEvent.h"
#include "app/shell/CScrivaApp.h"
#include "app/shell/RecentFiles.h"
#include "app/shell/SingleInstance.h"
#include "config/AppPaths.h"
#include "config/CommandIds.h"

#include <QAction>
#include <QDropEvent>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

namespace {

class FakeWindows : public IAppWindows
{
public:
    QStringList log;
    int mode = scriva::mode::kImage;
    bool image = true;
    QWidget window;
    QMenu recentMenu;

    QWidget* Window() const override { return const_cast<QWidget*>(&window); }
    QMenu* RecentFileMenu() const override { return const_cast<QMenu*>(&recentMenu); }
    int RightAreaMode() const override { return mode; }
    bool HasImage() const override { return image; }
    bool SwitchRightPane() override { return record(QStringLiteral("switch")); }
    bool DispatchCommand(int id) override { return record(QStringLiteral("command %1").arg(id)); }
    void OpenPreviousFile() override { record(QStringLiteral("previous")); }
    void OpenNextFile() override { record(QStringLiteral("next")); }
    void TakePhoto() override { record(QStringLiteral("photo")); }
    void UpdateStatus(int what) override { record(QStringLiteral("status %1").arg(what)); }
    bool NewDocument() override { return record(QStringLiteral("new")); }
    bool OpenFile(const QString& path) override { return record(QStringLiteral("open ") + path); }

private:
    bool record(const QString& entry)
    {
        log << entry;
        return true;
    }
};

void postAndDeliver(int type, uintptr_t wParam, intptr_t lParam)
{
    QCoreApplication::postEvent(qApp, new AppEvent(type, wParam, lParam));
    QCoreApplication::sendPostedEvents(qApp);
}

} // namespace

class TestAppStartup : public QObject
{
    Q_OBJECT
    QTemporaryDir m_packs;
    apptest::EnvRestorer m_env{"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SCRIVA_CAMERA"};
    std::unique_ptr<QTemporaryDir> m_home;
    FakeWindows* m_windows = nullptr; // owned by the application under test

    // A fresh user config and runtime folder for each case.
    void freshHome(const std::map<QString, QString>& normal)
    {
        m_home = apptest::freshHome();
        if (!normal.empty())
            QVERIFY(apptest::writeSettings(scriva::userConfigFile(), normal));
    }

    std::unique_ptr<CScrivaApp> makeApp()
    {
        auto app = std::make_unique<CScrivaApp>();
        app->setDataFolder(m_packs.path());
        app->setWindowFactory([this](CScrivaApp&) {
            auto windows = std::make_unique<FakeWindows>();
            m_windows = windows.get();
            return windows;
        });
        return app;
    }

    QString configValue(const QString& key)
    {
        CConfigFile stored;
        if (!stored.Load(scriva::userConfigFile()))
            return QStringLiteral("<unreadable>");
        return stored.GetString(key, QStringLiteral("NORMAL"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(apptest::buildPack(m_packs.path(), QStringLiteral("resDll/enResDll.rcc"),
                                   apptest::shellStrings(QStringLiteral("EN"))));
        QVERIFY(apptest::buildPack(m_packs.path(), QStringLiteral("resDll/FreResDll.rcc"),
                                   apptest::shellStrings(QStringLiteral("FR"))));
    }

    void unreadableSettingsStopStartUp()
    {
        freshHome({});
        QVERIFY(QDir().mkpath(scriva::userConfigFile())); // a folder where the file should be
        auto app = makeApp();
        apptest::BoxCatcher catcher;
        QVERIFY(!app->init({QStringLiteral("scriva")}));
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes[0].text,
                 QStringLiteral("Failed to load config file !\nPath:\t") +
                     scriva::userConfigFile() + QStringLiteral("\nReason:\tcannot write ") +
                     scriva::userConfigFile() + QStringLiteral(": Is a directory"));
        QCOMPARE(catcher.boxes[0].icon, QMessageBox::Critical);
        QVERIFY(!app->mainWindow());
        app.reset(); // nothing may be written after a failed start
        QVERIFY(QFileInfo(scriva::userConfigFile()).isDir());
    }

    void folderThatCannotBeMadeGivesTheSystemsReason()
    {
        freshHome({});
        // The config home is a file: the program's folder below it cannot be made.
        QVERIFY(apptest::writeBytes(m_home->filePath(QStringLiteral("config")), "a file"));
        auto app = makeApp();
        apptest::BoxCatcher catcher;
        QVERIFY(!app->init({QStringLiteral("scriva")}));
        QCOMPARE(catcher.boxes.size(), 1);
        QVERIFY2(catcher.boxes[0].text.endsWith(QStringLiteral("Not a directory")),
                 qPrintable(catcher.boxes[0].text));
    }

    void unreadableSettingsAreKeptAsideAndSaid()
    {
        freshHome({});
        const QByteArray handMade = "[NORMAL]\r\nlanguage = fre\r\nsavePath = /srv/scans\r\n";
        QVERIFY(QDir().mkpath(scriva::userConfigFolder()));
        QVERIFY(apptest::writeBytes(scriva::userConfigFile(), handMade));
        auto app = makeApp();
        apptest::BoxCatcher catcher;
        QVERIFY(app->init({QStringLiteral("scriva")}));
        QCOMPARE(catcher.boxes.size(), 1);
        const QStringList kept =
            QDir(scriva::userConfigFolder()).entryList({QStringLiteral("config.cfg.unreadable-*")});
        QCOMPARE(kept.size(), 1);
        const QString keptPath = scriva::userConfigFolder() + kept.first();
        QVERIFY2(catcher.boxes[0].text.contains(keptPath), qPrintable(catcher.boxes[0].text));
        QVERIFY(catcher.boxes[0].text.contains(QStringLiteral("default settings")));
        QCOMPARE(catcher.boxes[0].icon, QMessageBox::Warning);
        QCOMPARE(app->languageCode(), QStringLiteral("en")); // the shipped value
        app->settings().SetString(QStringLiteral("URL"), QStringLiteral("mine"),
                                  QStringLiteral("NORMAL"));
        app.reset();
        QCOMPARE(apptest::fileBytes(keptPath), handMade); // never overwritten
        QCOMPARE(configValue(QStringLiteral("URL")), QStringLiteral("mine"));
    }

    void exitSaveKeepsWhatOthersChangedMeanwhile()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("en")},
                   {QStringLiteral("URL"), QStringLiteral("old")}});
        auto app = makeApp();
        QVERIFY(app->init({QStringLiteral("scriva")}));
        QVERIFY(app->settings().SetString(QStringLiteral("URL"), QStringLiteral("new"),
                                          QStringLiteral("NORMAL")));
        CConfigFile other; // scriva-cli config set while the program runs
        QVERIFY(other.Load(scriva::userConfigFile()));
        QVERIFY(other.SetString(QStringLiteral("savePath"), QStringLiteral("/srv/scans"),
                                QStringLiteral("TAKE_PHOTOS_SET")));
        QVERIFY(other.SaveChanges(scriva::userConfigFile()));
        app->shutdown();
        CConfigFile after;
        QVERIFY(after.Load(scriva::userConfigFile()));
        QCOMPARE(after.GetString(QStringLiteral("URL"), QStringLiteral("NORMAL")),
                 QStringLiteral("new"));
        QCOMPARE(after.GetString(QStringLiteral("savePath"), QStringLiteral("TAKE_PHOTOS_SET")),
                 QStringLiteral("/srv/scans"));
    }

    void socketThatCannotListenIsSaidInTheWindow()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("en")}});
        // A folder stands where the socket belongs: it can neither be removed nor listened on.
        QVERIFY(QDir().mkpath(m_home->filePath(QStringLiteral("runtime/")) +
                              QLatin1String(SingleInstance::kName) + QStringLiteral("/x")));
        auto app = makeApp();
        apptest::BoxCatcher catcher;
        QVERIFY(app->init({QStringLiteral("scriva")}));
        QCOMPARE(catcher.boxes.size(), 1);
        QVERIFY2(catcher.boxes[0].text.contains(QStringLiteral("cannot listen on")),
                 qPrintable(catcher.boxes[0].text));
        QVERIFY(catcher.boxes[0].text.contains(QStringLiteral("would not be refused")));
    }

    void recentListKeepsTheProfilesLayout()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("en")}});
        const QString profile = scriva::userConfigFolder() + QStringLiteral("profile.ini");
        QVERIFY(apptest::writeBytes(profile, "; my camera\n[camera]\nSource=demo\n\n"
                                             "[Recent File List]\nFile1=/old.jpg\n\n"
                                             "[buttons]\n; snapshot\n0x2fe=0x40\n"));
        auto app = makeApp();
        QVERIFY(app->init({QStringLiteral("scriva")}));
        QCOMPARE(app->recentFiles()->Paths(), QStringList{QStringLiteral("/old.jpg")});
        app->AddToRecentFileList(QStringLiteral("/new.jpg"));
        app.reset();
        QCOMPARE(apptest::fileBytes(profile), QByteArray("; my camera\n[camera]\nSource=demo\n\n"
                                                         "[Recent File List]\nFile1=/new.jpg\n"
                                                         "File2=/old.jpg\n\n[buttons]\n; snapshot\n"
                                                         "0x2fe=0x40\n"));
    }

    void unknownOrMissingLanguage_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("unknown code") << QStringLiteral("xx");
        QTest::newRow("empty code") << QString();
        QTest::newRow("pack not installed") << QStringLiteral("ko");
        QTest::newRow("whole name") << QStringLiteral("english");
    }

    void unknownOrMissingLanguage()
    {
        QFETCH(QString, code);
        freshHome(
            {{QStringLiteral("language"), code}, {QStringLiteral("URL"), QStringLiteral("u")}});
        auto app = makeApp();
        apptest::BoxCatcher catcher;
        QVERIFY(!app->init({QStringLiteral("scriva")}));
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes[0].text, QStringLiteral("Failed to load resource!"));
        QCOMPARE(catcher.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(app->languageIndex(), 0);
        const QByteArray before = apptest::fileBytes(scriva::userConfigFile());
        app.reset();
        QCOMPARE(apptest::fileBytes(scriva::userConfigFile()), before);
    }

    void upperCaseCodeSelectsEnglish()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("EN")}});
        auto app = makeApp();
        apptest::BoxCatcher catcher;
        QVERIFY(app->init({QStringLiteral("scriva")}));
        QCOMPARE(catcher.boxes.size(), 0);
        QCOMPARE(app->languageIndex(), 1);
        QCOMPARE(app->languageCode(), QStringLiteral("en"));
        QCOMPARE(app->pack().String(scriva::str::kBoxTitle), QStringLiteral("EN Scriva"));
        QVERIFY(m_windows->window.isVisible());
        QVERIFY(m_windows->window.windowState() & Qt::WindowMaximized);
        QVERIFY(m_windows->window.acceptDrops());
        // An empty recent-file list shows one disabled placeholder.
        const QList<QAction*> items = m_windows->recentMenu.actions();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0]->text(), QStringLiteral("EN Recent File"));
        QCOMPARE(items[0]->data().toInt(), scriva::cmd::kFirstRecentFile);
        QVERIFY(!items[0]->isEnabled());
    }

    void oneInstancePerUser()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("fre")}});
        auto first = makeApp();
        QVERIFY(first->init({QStringLiteral("scriva")}));
        for (const QStringList& args :
             {QStringList{QStringLiteral("scriva")},
              QStringList{QStringLiteral("/opt/scan-r/scriva")},
              QStringList{QStringLiteral("/opt/scriva"), QStringLiteral("-rr")}}) {
            auto second = makeApp();
            apptest::BoxCatcher catcher;
            const QByteArray before = apptest::fileBytes(scriva::userConfigFile());
            QVERIFY(!second->init(args));
            QCOMPARE(catcher.boxes.size(), 1);
            QCOMPARE(catcher.boxes[0].text, QStringLiteral("FR already running"));
            QCOMPARE(catcher.boxes[0].title, QStringLiteral("FR Scriva"));
            QCOMPARE(catcher.boxes[0].icon, QMessageBox::Warning);
            QVERIFY(catcher.boxes[0].buttonTexts.contains(QStringLiteral("FR-OK")));
            QVERIFY(!second->mainWindow());
            second.reset(); // the refused instance leaves the user's file alone
            QCOMPARE(apptest::fileBytes(scriva::userConfigFile()), before);
        }
        auto restarted = makeApp();
        apptest::BoxCatcher catcher;
        QVERIFY(restarted->init({QStringLiteral("/opt/scriva"), QStringLiteral("-r")}));
        QCOMPARE(catcher.boxes.size(), 0);
    }

    void normalCloseSavesSettings()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("en")},
                   {QStringLiteral("URL"), QStringLiteral("old")}});
        auto app = makeApp();
        QVERIFY(app->init({QStringLiteral("scriva")}));
        QVERIFY(app->settings().SetString(QStringLiteral("URL"), QStringLiteral("new"),
                                          QStringLiteral("NORMAL")));
        QCOMPARE(configValue(QStringLiteral("URL")), QStringLiteral("old"));
        app->shutdown();
        QCOMPARE(configValue(QStringLiteral("URL")), QStringLiteral("new"));
        QVERIFY(!LanguagePack::Active());
    }

    void restartDoesNotSaveSettings()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("en")},
                   {QStringLiteral("URL"), QStringLiteral("old")}});
        auto app = makeApp();
        QVERIFY(app->init({QStringLiteral("scriva")}));
        app->settings().SetString(QStringLiteral("URL"), QStringLiteral("new"),
                                  QStringLiteral("NORMAL"));
        app->setRestartProgram(QStringLiteral("/bin/true"));
        apptest::BoxCatcher catcher;
        app->RestartApplication();
        QVERIFY(app->isRestarting());
        QVERIFY(m_windows->window.isVisible()); // closed from the event loop, not at once
        QTRY_VERIFY(!m_windows->window.isVisible());
        app->shutdown();
        QCOMPARE(configValue(QStringLiteral("URL")), QStringLiteral("old"));
        QCOMPARE(catcher.boxes.size(), 0);
    }

    void failedRestartKeepsRunning()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("en")}});
        auto app = makeApp();
        QVERIFY(app->init({QStringLiteral("scriva")}));
        app->setRestartProgram(m_home->filePath(QStringLiteral("no-such-program")));
        apptest::BoxCatcher catcher;
        app->RestartApplication();
        QVERIFY(!app->isRestarting());
        QCOMPARE(catcher.boxes.size(), 1);
        QVERIFY2(catcher.boxes[0].text.startsWith(QStringLiteral("CreateProcess\nError code: 0x")),
                 qPrintable(catcher.boxes[0].text));
        QVERIFY(catcher.boxes[0].text.contains(QStringLiteral("No such file")));
        QVERIFY(scriva::test::processUntilIdle());
        QVERIFY(m_windows->window.isVisible());
    }

    void buttons_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("image");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("action");  // what the windows are asked, or ""
        QTest::addColumn<QString>("message"); // the box shown, or ""
        const int I = scriva::mode::kImage;
        const int C = scriva::mode::kCapture;
        const struct
        {
            int code;
            const char* action;
        } imageCommands[] = {
            {0x04, "command 32799"}, {0x02, "command 32793"}, {0x08, "previous"}, {0x10, "next"}};
        for (const auto& c : imageCommands) {
            const QString name = QString::number(c.code, 16);
            QTest::newRow(qPrintable(name + " image mode"))
                << I << true << c.code << c.action << "";
            QTest::newRow(qPrintable(name + " image mode, no image")) << I << false << c.code << ""
                                                                      << "EN no image";
            QTest::newRow(qPrintable(name + " capture mode"))
                << C << true << c.code << ""
                << "EN switch to the image view first";
            QTest::newRow(qPrintable(name + " capture mode, no image"))
                << C << false << c.code << ""
                << "EN switch to the image view first";
        }
        for (int code : {0x40, 0x41, 0x140}) {
            const QString name = QString::number(code, 16);
            QTest::newRow(qPrintable(name + " capture mode")) << C << false << code << "photo"
                                                              << "";
            QTest::newRow(qPrintable(name + " image mode"))
                << I << true << code << ""
                << "EN switch to the capture view first";
        }
        QTest::newRow("20 image mode") << I << false << 0x20 << "switch"
                                       << "";
        QTest::newRow("20 capture mode") << C << true << 0x20 << "switch"
                                         << "";
        for (int code : {0x00, 0x01, 0x80, 0xFF, 0x42})
            QTest::newRow(qPrintable(QString::number(code, 16) + " ignored"))
                << I << true << code << ""
                << "";
    }

    void buttons()
    {
        QFETCH(int, mode);
        QFETCH(bool, image);
        QFETCH(int, code);
        QFETCH(QString, action);
        QFETCH(QString, message);
        freshHome({{QStringLiteral("language"), QStringLiteral("en")}});
        auto app = makeApp();
        QVERIFY(app->init({QStringLiteral("scriva")}));
        m_windows->mode = mode;
        m_windows->image = image;
        apptest::BoxCatcher catcher;

        // Never while a second parameter is set or anything is busy.
        postAndDeliver(scriva::msg::kButton, code, 1);
        postAndDeliver(scriva::msg::kButton, code, -1);
        for (auto reason : {CScrivaApp::BusyEditing, CScrivaApp::BusyRecognizing,
                            CScrivaApp::BusyPhoto, CScrivaApp::BusySwitching}) {
            app->setBusy(reason, true);
            QVERIFY(app->isBusy());
            postAndDeliver(scriva::msg::kButton, code, 0);
            app->setBusy(reason, false);
        }
        QVERIFY(!app->isBusy());
        QCOMPARE(m_windows->log, QStringList());
        QCOMPARE(catcher.boxes.size(), 0);

        postAndDeliver(scriva::msg::kButton, code, 0);
        QCOMPARE(m_windows->log, action.isEmpty() ? QStringList() : QStringList{action});
        QCOMPARE(catcher.boxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(catcher.boxes[0].text, message);
            QCOMPARE(catcher.boxes[0].icon, QMessageBox::Warning);
        }
    }

    void workerEvents()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("en")}});
        auto app = makeApp();
        QVERIFY(app->init({QStringLiteral("scriva")}));
        // Every edit rewrites the panes (grey and black-and-white change the
        // depth); other ids do nothing.
        for (int id : {scriva::cmd::kRotateLeft90, scriva::cmd::kRotateRight90,
                       scriva::cmd::kRotateFree, scriva::cmd::kResize, scriva::cmd::kBrighter,
                       scriva::cmd::kToGray, scriva::cmd::kBlackAndWhite, scriva::cmd::kZoomIn, 0})
            postAndDeliver(scriva::msg::kEditDone, id, 0);
        QCOMPARE(m_windows->log, QStringList(7, QStringLiteral("status 11")));
    }

    void dropsOpenTheFirstLocalFile()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("en")}});
        auto app = makeApp();
        QVERIFY(app->init({QStringLiteral("scriva")}));
        QMimeData remote;
        remote.setUrls({QUrl(QStringLiteral("https://example.org/a.jpg"))});
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &remote, Qt::LeftButton,
                                Qt::NoModifier);
        QCoreApplication::sendEvent(&m_windows->window, &refused);
        QVERIFY(!refused.isAccepted());
        QDropEvent remoteDrop(QPointF(5, 5), Qt::CopyAction, &remote, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&m_windows->window, &remoteDrop);
        QCOMPARE(m_windows->log, QStringList());

        QMimeData files;
        files.setUrls({QUrl(QStringLiteral("https://example.org/a.jpg")),
                       QUrl::fromLocalFile(QStringLiteral("/photos/one two.jpg")),
                       QUrl::fromLocalFile(QStringLiteral("/photos/b.jpg"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&m_windows->window, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(m_windows->log, QStringList());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&m_windows->window, &drop);
        QCOMPARE(m_windows->log, QStringList{QStringLiteral("open /photos/one two.jpg")});
    }

    void fileOpenOpensTheChosenFile()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("en")}});
        auto app = makeApp();
        QVERIFY(app->init({QStringLiteral("scriva")}));
        const QString photo = m_home->filePath(QStringLiteral("page.png"));
        QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(photo));
        apptest::ModalHandler<QFileDialog> choose([&](QFileDialog* dialog) {
            // Typed into the name box, as a user would.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(photo);
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog's own accept
        });
        QVERIFY(app->OnCommand(scriva::cmd::kFileOpen));
        QVERIFY(choose.seen());
        QCOMPARE(m_windows->log, QStringList{QStringLiteral("open ") + photo});

        m_windows->log.clear();
        apptest::ModalHandler<QFileDialog> cancel([](QFileDialog* dialog) { dialog->reject(); });
        QVERIFY(app->OnCommand(scriva::cmd::kFileOpen));
        QVERIFY(cancel.seen());
        QCOMPARE(m_windows->log, QStringList());
        QVERIFY(app->OnCommand(scriva::cmd::kFileNew));
        QCOMPARE(m_windows->log, QStringList{QStringLiteral("new")});
    }

    void nothingWithoutAMainWindow()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("en")}});
        CScrivaApp app; // never started
        apptest::BoxCatcher catcher;
        postAndDeliver(scriva::msg::kButton, 0x04, 0);
        postAndDeliver(scriva::msg::kButton, 0x40, 0);
        postAndDeliver(scriva::msg::kEditDone, scriva::cmd::kRotateLeft90, 0);
        QCOMPARE(catcher.boxes.size(), 0);
    }

    void recentFileCommands()
    {
        freshHome({{QStringLiteral("language"), QStringLiteral("en")}});
        auto app = makeApp();
        QVERIFY(app->init({QStringLiteral("scriva")}));
        const int clear = scriva::cmd::kClearRecentFiles;
        QCOMPARE(app->OnUpdateCommand(clear)->enabled, false);
        QCOMPARE(app->OnUpdateCommand(scriva::cmd::kFirstRecentFile)->enabled, false);
        const QString photo = m_home->filePath(QStringLiteral("a.jpg"));
        QFile(photo).open(QIODevice::WriteOnly);
        app->AddToRecentFileList(QStringLiteral("/gone/b.jpg"));
        app->AddToRecentFileList(photo);
        QCOMPARE(app->OnUpdateCommand(clear)->enabled, true);
        QCOMPARE(app->OnUpdateCommand(57617)->enabled, true);
        QCOMPARE(app->OnUpdateCommand(57618)->enabled, false);
        QCOMPARE(m_windows->recentMenu.actions().size(), 2);

        QVERIFY(app->OnCommand(scriva::cmd::kFirstRecentFile));
        QCOMPARE(m_windows->log, QStringList{QStringLiteral("open ") + photo});
        // A file that is gone leaves the list when it is chosen.
        QVERIFY(app->OnCommand(57617));
        QCOMPARE(app->recentFiles()->Paths(), QStringList{photo});

        QVERIFY(app->OnCommand(clear));
        QVERIFY(app->recentFiles()->IsEmpty());
        QCOMPARE(app->OnUpdateCommand(clear)->enabled, false);
        QCOMPARE(m_windows->recentMenu.actions().size(), 1);
        QVERIFY(!app->OnCommand(scriva::cmd::kTakePhoto)); // not the application's
        QVERIFY(!app->OnUpdateCommand(scriva::cmd::kTakePhoto).has_value());
    }
};

SCRIVA_QTEST(TestAppStartup)
#include "test_app_startup.moc"
